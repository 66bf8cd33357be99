// The monitor-area view: the displays to scale with the union's bottom-left
// corner on the view's, the cursor and the grab by zone in the order left,
// right, up, down, drag, every limit of a drag (minimum 320 x 180 points,
// inside the union), the resumption after a limit, the one report at the
// release, and nothing at all outside portion mode. Mouse events are sent
// at desktop points mapped through the view's own transform.

#include <QSignalSpy>
#include <QTest>

#include "settings/ovmonitorview.h"
#include "store/ovrecttext.h"
#include "support_widgets.h"

using settings::OVMonitorView;
using settings::area::Handle;

Q_DECLARE_METATYPE(settings::area::Handle)
Q_DECLARE_METATYPE(Qt::CursorShape)

namespace {

store::OVScreen screen(quint32 id, const QRectF &frame, const QString &name)
{
    store::OVScreen s;
    s.setNumber(id);
    s.setFrame(frame);
    s.setName(name);
    return s;
}

// One 1920 x 1080 display; the portion (400, 200, 800, 450): handles
// centred on (400, 425), (1200, 425), (800, 650), (800, 200), drag area
// (440, 240, 720, 370).
const QRectF kUnion(0, 0, 1920, 1080);
const QRectF kPortion(400, 200, 800, 450);

bool near(const QRectF &a, const QRectF &b)
{
    return qAbs(a.x() - b.x()) < 1e-6 && qAbs(a.y() - b.y()) < 1e-6 && qAbs(a.width() - b.width()) < 1e-6
        && qAbs(a.height() - b.height()) < 1e-6;
}

struct View
{
    explicit View(QSize size = QSize(480, 270), const QRectF &portion = kPortion)
    {
        view.setFixedSize(size);
        view.updateMapPortion({ screen(1, kUnion, QStringLiteral("Main")) }, kUnion, portion);
    }
    // Mouse events at a desktop point.
    void send(QEvent::Type type, QPointF desktop) { sendMouse(&view, type, view.transform().map(desktop)); }
    void hover(QPointF desktop) { hoverMouse(&view, view.transform().map(desktop)); }
    void drag(QPointF from, const QList<QPointF> &path)
    {
        send(QEvent::MouseButtonPress, from);
        for (QPointF at : path)
            send(QEvent::MouseMove, at);
        send(QEvent::MouseButtonRelease, path.isEmpty() ? from : path.last());
    }

    OVMonitorView view;
};

} // namespace

class TestOVMonitorView : public QObject
{
    Q_OBJECT
private slots:
    void transform_data();
    void transform();
    void cursorAndGrab_data();
    void cursorAndGrab();
    void dragLimits_data();
    void dragLimits();
    void limitResumesWhereItWasReached();
    void oneReportAtRelease();
    void otherModesIgnoreTheMouse_data();
    void otherModesIgnoreTheMouse();
    void namesUprightAtTheTop();
};

void TestOVMonitorView::transform_data()
{
    QTest::addColumn<QList<QRectF>>("frames");
    QTest::addColumn<QRectF>("totalFrame");
    QTest::addColumn<double>("scale");

    // Frames in desktop points, y up. A 1920 x 1080 main display with a
    // 1280 x 1024 one on its right, 56 points higher at the bottom: the width
    // limits the scale.
    QTest::newRow("side by side, different sizes")
        << QList<QRectF> { QRectF(0, 0, 1920, 1080), QRectF(1920, 56, 1280, 1024) }
        << QRectF(0, 0, 3200, 1080) << 544.0 / 3200;
    // A display below and left of the main one: the union's origin is
    // negative, and the height limits the scale.
    QTest::newRow("below at a negative offset")
        << QList<QRectF> { QRectF(0, 0, 1920, 1080), QRectF(-400, -720, 1280, 720) }
        << QRectF(-400, -720, 2320, 1800) << 306.0 / 1800;
}

void TestOVMonitorView::transform()
{
    QFETCH(QList<QRectF>, frames);
    QFETCH(QRectF, totalFrame);
    QFETCH(double, scale);

    OVMonitorView view;
    view.setFixedSize(544, 306);
    QList<store::OVScreen> screens;
    for (int i = 0; i < frames.size(); ++i)
        screens << screen(quint32(i + 1), frames[i], QStringLiteral("Display %1").arg(i + 1));
    view.updateMapFull(screens, totalFrame);

    // The union's bottom-left corner on the view's bottom-left corner.
    const QPointF origin = view.transform().map(totalFrame.topLeft());
    QVERIFY(qAbs(origin.x()) < 1e-9 && qAbs(origin.y() - 306) < 1e-9);
    // Every display at the one scale, y turned over.
    for (const QRectF &frame : frames) {
        const QRectF mapped = view.transform().mapRect(frame);
        QVERIFY(qAbs(mapped.width() - frame.width() * scale) < 1e-9);
        QVERIFY(qAbs(mapped.height() - frame.height() * scale) < 1e-9);
        const QPointF top = view.transform().map(QPointF(frame.x(), frame.y() + frame.height()));
        QVERIFY(qAbs(top.x() - (frame.x() - totalFrame.x()) * scale) < 1e-9);
        QVERIFY(qAbs(top.y() - (306 - (frame.y() + frame.height() - totalFrame.y()) * scale)) < 1e-9);
    }
    const QPointF back = view.invertTransform().map(view.transform().map(QPointF(123, -45)));
    QVERIFY(qAbs(back.x() - 123) < 1e-9 && qAbs(back.y() + 45) < 1e-9);
    QCOMPARE(view.frameByNumber(2), frames[1]);
    QCOMPARE(view.frameByNumber(99), QRectF());
}

void TestOVMonitorView::cursorAndGrab_data()
{
    QTest::addColumn<QRectF>("portion");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<Qt::CursorShape>("cursor");
    QTest::addColumn<Handle>("grabbed");

    QTest::newRow("left handle") << kPortion << QPointF(400, 425) << Qt::SizeHorCursor << Handle::Left;
    QTest::newRow("right handle") << kPortion << QPointF(1220, 440) << Qt::SizeHorCursor << Handle::Right;
    QTest::newRow("top handle") << kPortion << QPointF(800, 670) << Qt::SizeVerCursor << Handle::Up;
    QTest::newRow("bottom handle") << kPortion << QPointF(780, 180) << Qt::SizeVerCursor << Handle::Down;
    QTest::newRow("drag area") << kPortion << QPointF(1000, 500) << Qt::OpenHandCursor << Handle::Drag;
    QTest::newRow("between edge and drag area") << kPortion << QPointF(420, 300) << Qt::ArrowCursor << Handle::None;
    QTest::newRow("outside") << kPortion << QPointF(1600, 900) << Qt::ArrowCursor << Handle::None;
    // A portion smaller than its handles (an imported one): all four hold
    // its centre, and the left one comes first.
    QTest::newRow("overlap: left first")
        << QRectF(900, 500, 40, 40) << QPointF(920, 520) << Qt::SizeHorCursor << Handle::Left;
}

void TestOVMonitorView::cursorAndGrab()
{
    QFETCH(QRectF, portion);
    QFETCH(QPointF, at);
    QFETCH(Qt::CursorShape, cursor);
    QFETCH(Handle, grabbed);

    View v(QSize(480, 270), portion);
    v.hover(at);
    QCOMPARE(v.view.cursor().shape(), cursor);
    v.send(QEvent::MouseButtonPress, at);
    QCOMPARE(v.view.grabbed(), grabbed);
    QVERIFY(v.view.isMouseDown());
}

void TestOVMonitorView::dragLimits_data()
{
    QTest::addColumn<QSize>("viewSize");
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QRectF>("expected");

    // 480 x 270: the union fills the view (0.25 pixels a point). 480 x 400
    // leaves room above the union, 600 x 270 on its right, so that the
    // pointer can pass those edges inside the view.
    const QSize fill(480, 270), above(480, 400), right(600, 270);
    const QPointF left(400, 425), rightHandle(1200, 425), top(800, 650), bottom(800, 200), inside(800, 425);
    QTest::newRow("left moves, right edge kept") << fill << left << QPointF(300, 425) << QRectF(300, 200, 900, 450);
    QTest::newRow("left stops at the union") << fill << left << QPointF(0, 425) << QRectF(0, 200, 1200, 450);
    QTest::newRow("left stops 320 short of the right edge")
        << fill << left << QPointF(1100, 425) << QRectF(880, 200, 320, 450);
    QTest::newRow("right grows") << fill << rightHandle << QPointF(1500, 425) << QRectF(400, 200, 1100, 450);
    QTest::newRow("right stops at 320") << fill << rightHandle << QPointF(100, 425) << QRectF(400, 200, 320, 450);
    QTest::newRow("right cut at the union's edge")
        << right << rightHandle << QPointF(2300, 425) << QRectF(400, 200, 1520, 450);
    QTest::newRow("top grows") << fill << top << QPointF(800, 850) << QRectF(400, 200, 800, 650);
    QTest::newRow("top stops at 180") << fill << top << QPointF(800, 10) << QRectF(400, 200, 800, 180);
    QTest::newRow("top cut at the union's top") << above << top << QPointF(800, 1400) << QRectF(400, 200, 800, 880);
    QTest::newRow("bottom moves, top kept") << fill << bottom << QPointF(800, 100) << QRectF(400, 100, 800, 550);
    // The view's bottom row of pixels is outside it (half-open): a press
    // near the handle's top reaches the union's bottom from just above it.
    QTest::newRow("bottom stops at the union")
        << fill << QPointF(800, 229) << QPointF(800, 1) << QRectF(400, 0, 800, 650);
    QTest::newRow("bottom stops 180 below the top")
        << fill << bottom << QPointF(800, 1000) << QRectF(400, 470, 800, 180);
    QTest::newRow("drag moves") << fill << inside << QPointF(900, 475) << QRectF(500, 250, 800, 450);
    QTest::newRow("drag held at the union's origin") << fill << inside << QPointF(0, 1) << QRectF(0, 0, 800, 450);
    QTest::newRow("drag held at the union's far edges")
        << right << inside << QPointF(2350, 1079) << QRectF(1120, 630, 800, 450);
    QTest::newRow("drag held below the union's top") << above << inside << QPointF(800, 1500) << QRectF(400, 630, 800, 450);
    // The pointer leaves the view: those points are ignored.
    QTest::newRow("outside the view ignored") << fill << inside << QPointF(800, 2000) << kPortion;
}

void TestOVMonitorView::dragLimits()
{
    QFETCH(QSize, viewSize);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QRectF, expected);

    View v(viewSize);
    QSignalSpy reports(&v.view, &OVMonitorView::portionFrameDidChanged);
    v.drag(from, { to });
    QVERIFY2(near(v.view.selectFrame(), expected), qPrintable(store::stringFromRect(v.view.selectFrame())));
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.first().first().toString(), store::stringFromRect(v.view.selectFrame()));
    // The handles follow the portion.
    QVERIFY(near(v.view.handles().drag, v.view.selectFrame().adjusted(40, 40, -40, -40)));
}

void TestOVMonitorView::limitResumesWhereItWasReached()
{
    View v;
    v.send(QEvent::MouseButtonPress, QPointF(1200, 425));
    // The limit is reached at x 500 (800 - 700 would leave 100 points).
    v.send(QEvent::MouseMove, QPointF(500, 425));
    QCOMPARE(v.view.selectFrame().width(), 320.0);
    v.send(QEvent::MouseMove, QPointF(300, 425));
    v.send(QEvent::MouseMove, QPointF(450, 425));
    // Back right of 450, but still left of 500: nothing moves.
    QCOMPARE(v.view.selectFrame().width(), 320.0);
    v.send(QEvent::MouseMove, QPointF(600, 425));
    QCOMPARE(v.view.selectFrame().width(), 420.0);
    v.send(QEvent::MouseButtonRelease, QPointF(600, 425));
}

void TestOVMonitorView::oneReportAtRelease()
{
    View v;
    QSignalSpy reports(&v.view, &OVMonitorView::portionFrameDidChanged);
    v.send(QEvent::MouseButtonPress, QPointF(800, 425));
    QVERIFY(v.view.isMouseDown());
    v.send(QEvent::MouseMove, QPointF(850, 425));
    v.send(QEvent::MouseMove, QPointF(900, 425));
    QCOMPARE(reports.size(), 0);
    v.send(QEvent::MouseButtonRelease, QPointF(900, 425));
    QVERIFY(!v.view.isMouseDown());
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.takeFirst().first().toString(), QStringLiteral("{{500, 200}, {800, 450}}"));
    QCOMPARE(v.view.grabbed(), Handle::None);

    // A click that moves nothing still reports the portion.
    v.drag(QPointF(800, 425), {});
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.takeFirst().first().toString(), QStringLiteral("{{500, 200}, {800, 450}}"));

    // Leaving the view ends the press as well.
    v.send(QEvent::MouseButtonPress, QPointF(800, 425));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&v.view, &leave);
    QVERIFY(!v.view.isMouseDown());

    // updatePortion() shows a portion without a report.
    v.view.updatePortion(QRectF(0, 0, 640, 360));
    QCOMPARE(v.view.selectFrame(), QRectF(0, 0, 640, 360));
    QCOMPARE(reports.size(), 0);
}

void TestOVMonitorView::otherModesIgnoreTheMouse_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("all displays") << 0;
    QTest::newRow("one display") << 2;
}

void TestOVMonitorView::otherModesIgnoreTheMouse()
{
    QFETCH(int, mode);
    View v;
    const QList<store::OVScreen> screens { screen(1, kUnion, QStringLiteral("Main")) };
    if (mode == 0)
        v.view.updateMapFull(screens, kUnion);
    else
        v.view.updateMapSingle(screens, kUnion, 1);
    QSignalSpy reports(&v.view, &OVMonitorView::portionFrameDidChanged);
    v.hover(QPointF(400, 425));
    QCOMPARE(v.view.cursor().shape(), Qt::ArrowCursor);
    v.send(QEvent::MouseButtonPress, QPointF(400, 425));
    QVERIFY(!v.view.isMouseDown());
    v.send(QEvent::MouseMove, QPointF(100, 425));
    v.send(QEvent::MouseButtonRelease, QPointF(100, 425));
    QCOMPARE(v.view.selectFrame(), kPortion);
    QCOMPARE(reports.size(), 0);
    QCOMPARE(v.view.monitorMap(), qint64(mode));
}

void TestOVMonitorView::namesUprightAtTheTop()
{
    // Large, so that the render shows the details: two displays, a portion
    // across both.
    OVMonitorView view;
    view.setFixedSize(1088, 612);
    const QList<store::OVScreen> screens { screen(1, QRectF(0, 0, 1920, 1080), QStringLiteral("Main")),
        screen(2, QRectF(1920, 56, 1280, 1024), QStringLiteral("Right")) };
    view.updateMapPortion(screens, QRectF(0, 0, 3200, 1080), QRectF(1400, 300, 1000, 600));
    const QImage image = view.grab().toImage();
    QVERIFY(saveRender(image, QStringLiteral("ovmonitorview-portion")));

    // The names are the only white in the picture: in the band 10 to 106
    // points below each display's top, none in its lower half.
    for (const store::OVScreen &s : screens) {
        const QRect r = view.transform().mapRect(s.frame()).toRect();
        const auto whiteIn = [&image](const QRect &band) {
            int count = 0;
            for (int y = band.top(); y <= band.bottom(); ++y)
                for (int x = band.left(); x <= band.right(); ++x)
                    count += image.pixelColor(x, y) == QColor(Qt::white) ? 1 : 0;
            return count;
        };
        const double scale = r.width() / s.frame().width();
        QVERIFY2(whiteIn(QRect(r.x(), r.y(), r.width() / 2, int(106 * scale))) > 20, qPrintable(s.name()));
        QCOMPARE(whiteIn(QRect(r.x(), r.y() + r.height() / 2, r.width(), r.height() / 2)), 0);
    }
}

QTEST_MAIN(TestOVMonitorView)
#include "tst_ovmonitorview.moc"
