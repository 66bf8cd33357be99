// Placing a window on a display: the driver's desktop space (origin at the
// main display's top-left, device pixels from RandR) into the window
// system's logical space and back. X11 counts from the X screen's corner, so
// a primary monitor right of or below another one is offset; Qt scales each
// screen about its own corner.

#include <QTest>

#include "platform/windowspace.h"

using platform::DisplayInfo;
using platform::WindowSpace;

namespace {

DisplayInfo display(quint32 id, const QRectF &bounds, bool main)
{
    DisplayInfo d;
    d.id = id;
    d.bounds = bounds;
    d.main = main;
    return d;
}

// The primary 1920x1080 right of a 1280x1024 monitor: the X screen starts at
// the left one, so the main display's corner is at (1280, 0).
const QList<DisplayInfo> kPrimaryRight { display(1, QRectF(0, 0, 1920, 1080), true),
    display(2, QRectF(-1280, 0, 1280, 1024), false) };
// The primary below a 1920x1080 one: its corner is at (0, 1080).
const QList<DisplayInfo> kPrimaryBelow { display(1, QRectF(0, 0, 1920, 1080), true),
    display(2, QRectF(0, -1080, 1920, 1080), false) };

} // namespace

Q_DECLARE_METATYPE(QList<DisplayInfo>)

class TestWindowSpace : public QObject
{
    Q_OBJECT
private slots:
    void placement_data();
    void placement();
};

void TestWindowSpace::placement_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<WindowSpace>("space");
    QTest::addColumn<QRectF>("bounds");
    QTest::addColumn<QRectF>("window");

    const WindowSpace right { QPointF(1280, 0), 1.0 };
    const WindowSpace rightScaled { QPointF(1280, 0), 2.0 };
    const WindowSpace below { QPointF(0, 1080), 2.0 };
    // The notice near the bottom of the main display.
    QTest::newRow("main display, primary right")
        << kPrimaryRight << right << QRectF(830, 880, 260, 60) << QRectF(2110, 880, 260, 60);
    QTest::newRow("display left of the primary")
        << kPrimaryRight << right << QRectF(-1000, 100, 100, 50) << QRectF(280, 100, 100, 50);
    QTest::newRow("the whole left display")
        << kPrimaryRight << right << QRectF(-1280, 0, 1280, 1024) << QRectF(0, 0, 1280, 1024);
    // Each screen keeps its corner and shrinks by the factor.
    QTest::newRow("main display, factor 2")
        << kPrimaryRight << rightScaled << QRectF(830, 880, 260, 60) << QRectF(1280 + 415, 440, 130, 30);
    QTest::newRow("left display, factor 2")
        << kPrimaryRight << rightScaled << QRectF(-1000, 100, 100, 50) << QRectF(140, 50, 50, 25);
    QTest::newRow("the whole main display, factor 2")
        << kPrimaryRight << rightScaled << QRectF(0, 0, 1920, 1080) << QRectF(1280, 0, 960, 540);
    QTest::newRow("primary below, factor 2")
        << kPrimaryBelow << below << QRectF(100, 100, 10, 10) << QRectF(50, 1130, 5, 5);
    QTest::newRow("display above the primary, factor 2")
        << kPrimaryBelow << below << QRectF(60, -1000, 20, 20) << QRectF(30, 40, 10, 10);
    QTest::newRow("a factor that is no number counts as 1")
        << kPrimaryRight << WindowSpace { QPointF(1280, 0), qQNaN() } << QRectF(830, 880, 260, 60)
        << QRectF(2110, 880, 260, 60);
    QTest::newRow("no displays: the offset only")
        << QList<DisplayInfo>() << right << QRectF(10, 10, 20, 20) << QRectF(1290, 10, 20, 20);
}

void TestWindowSpace::placement()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(WindowSpace, space);
    QFETCH(QRectF, bounds);
    QFETCH(QRectF, window);

    QCOMPARE(platform::windowRectFromBounds(bounds, displays, space), window);
    QCOMPARE(platform::windowPointFromBounds(bounds.center(), displays, space), window.center());
    // A touch inside the window maps back to the point it shows.
    const QPointF inside = bounds.topLeft() + QPointF(bounds.width() / 4, bounds.height() / 4);
    QCOMPARE(platform::boundsPointFromWindow(
                 platform::windowPointFromBounds(inside, displays, space), displays, space),
        inside);
    QCOMPARE(platform::boundsPointFromWindow(window.topLeft(), displays, space), bounds.topLeft());
}

QTEST_GUILESS_MAIN(TestWindowSpace)
#include "tst_windowspace.moc"
