// The pressure-curve editor: scaling, picking, the drag limits and the
// report on release, driven by mouse events in the view's own points (y up).

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "settings/ovquadraticbezierview.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"

using settings::OVQuadraticBezierView;

namespace {

// Receives the curve as a page does.
class CurveDelegate : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void bezierPathDidChanged(const QVariantMap &curve) { reports.append(curve); }
    QList<QVariantMap> reports;
};

QVariantMap curve(QPointF p1, QPointF p2, QPointF pc)
{
    return { { store::OVCFGBezierP1, store::stringFromPoint(p1) },
        { store::OVCFGBezierP2, store::stringFromPoint(p2) },
        { store::OVCFGBezierPC, store::stringFromPoint(pc) } };
}

// A 200 x 100 editor showing a curve.
struct Editor
{
    explicit Editor(const QVariantMap &shown = curve({ 0, 0 }, { 1, 1 }, { 0.5, 0.5 }))
    {
        view.setFixedSize(200, 100);
        view.setDelegate(&delegate);
        view.updateBezierPoints(shown);
    }
    // Mouse events at a position in the view's points (y up).
    void send(QEvent::Type type, QPointF at)
    {
        const QPointF local(at.x(), view.height() - at.y());
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, view.mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }
    void drag(QPointF from, const QList<QPointF> &path)
    {
        send(QEvent::MouseButtonPress, from);
        for (QPointF at : path)
            send(QEvent::MouseMove, at);
        send(QEvent::MouseButtonRelease, path.isEmpty() ? from : path.last());
    }

    OVQuadraticBezierView view;
    CurveDelegate delegate;
};

} // namespace

class TstOVQuadraticBezierView : public QObject
{
    Q_OBJECT
private slots:
    void scalesTheStoredCurve();
    void picksInOrder_data();
    void picksInOrder();
    void dragLimits_data();
    void dragLimits();
    void reportsOnEveryRelease();
    void drawsOnlyOnceItHasACurve();
};

void TstOVQuadraticBezierView::scalesTheStoredCurve()
{
    Editor e;
    QCOMPARE(e.view.p1(), QPointF(0, 0));
    QCOMPARE(e.view.p2(), QPointF(200, 100));
    QCOMPARE(e.view.pc(), QPointF(100, 50));
    // Without any limit, and text that is no point reads as (0, 0).
    e.view.updateBezierPoints(
        { { store::OVCFGBezierP1, QStringLiteral("{-0.5, 2}") }, { store::OVCFGBezierP2, 7 } });
    QCOMPARE(e.view.p1(), QPointF(-100, 200));
    QCOMPARE(e.view.p2(), QPointF(0, 0));
    QCOMPARE(e.view.pc(), QPointF(0, 0));
}

void TstOVQuadraticBezierView::picksInOrder_data()
{
    QTest::addColumn<QVariantMap>("shown");
    QTest::addColumn<QPointF>("press");
    QTest::addColumn<int>("index");

    const QVariantMap straight = curve({ 0, 0 }, { 1, 1 }, { 0.5, 0.5 });
    QTest::newRow("start handle") << straight << QPointF(4, 4) << 1;
    QTest::newRow("end handle") << straight << QPointF(196, 96) << 2;
    QTest::newRow("control handle") << straight << QPointF(103, 47) << 3;
    // Square handles: the left and bottom edges are in, the right and top out.
    QTest::newRow("start handle's right edge") << straight << QPointF(8, 4) << -1;
    QTest::newRow("start handle's bottom-left corner") << straight << QPointF(0, 0) << 1;
    QTest::newRow("no handle") << straight << QPointF(60, 80) << -1;
    // Overlapping handles: the start wins over the control point, the end
    // over it too.
    QTest::newRow("start over control") << curve({ 0, 0 }, { 1, 1 }, { 0.04, 0.05 }) << QPointF(6, 4) << 1;
    QTest::newRow("end over control") << curve({ 0, 0 }, { 1, 1 }, { 0.96, 0.95 }) << QPointF(194, 94) << 2;
}

void TstOVQuadraticBezierView::picksInOrder()
{
    QFETCH(QVariantMap, shown);
    QFETCH(QPointF, press);
    QFETCH(int, index);

    Editor e(shown);
    e.send(QEvent::MouseButtonPress, press);
    // A press outside every handle leaves the initial "none" (0).
    QCOMPARE(e.view.mouseDownControlPointIndex(), index < 0 ? 0 : index);
    e.send(QEvent::MouseButtonRelease, press);
    QCOMPARE(e.view.mouseDownControlPointIndex(), -1);
}

void TstOVQuadraticBezierView::dragLimits_data()
{
    QTest::addColumn<QVariantMap>("shown");
    QTest::addColumn<QPointF>("press");
    QTest::addColumn<QList<QPointF>>("path");
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<QPointF>("pc");

    const QVariantMap straight = curve({ 0, 0 }, { 1, 1 }, { 0.5, 0.5 });
    QTest::newRow("start right stops 13 before the control point")
        << straight << QPointF(2, 2) << QList<QPointF> { { 150, 2 } } << QPointF(87, 0) << QPointF(200, 100)
        << QPointF(100, 50);
    QTest::newRow("start left stops at 0")
        << curve({ 0.25, 0 }, { 1, 1 }, { 0.5, 0.5 }) << QPointF(52, 2) << QList<QPointF> { { 1, 40 } }
        << QPointF(0, 0) << QPointF(200, 100) << QPointF(100, 50);
    QTest::newRow("end past the right edge stays at the width")
        << curve({ 0, 0 }, { 0.75, 1 }, { 0.25, 0.75 }) << QPointF(146, 96) << QList<QPointF> { { 199, 50 } }
        << QPointF(0, 0) << QPointF(200, 100) << QPointF(50, 75);
    QTest::newRow("end left stops 13 after the control point")
        << straight << QPointF(196, 96) << QList<QPointF> { { 20, 96 } } << QPointF(0, 0) << QPointF(113, 100)
        << QPointF(100, 50);
    QTest::newRow("control below the view keeps 13 from the bottom")
        << straight << QPointF(100, 50) << QList<QPointF> { { 100, 1 } } << QPointF(0, 0) << QPointF(200, 100)
        << QPointF(100, 13);
    QTest::newRow("control at the top keeps 13 from it")
        << straight << QPointF(100, 50) << QList<QPointF> { { 100, 99 } } << QPointF(0, 0)
        << QPointF(200, 100) << QPointF(100, 87);
    QTest::newRow("control left keeps 13 from the start")
        << straight << QPointF(100, 50) << QList<QPointF> { { 2, 50 } } << QPointF(0, 0) << QPointF(200, 100)
        << QPointF(13, 50);
    QTest::newRow("control right keeps 13 from the end")
        << straight << QPointF(100, 50) << QList<QPointF> { { 199, 50 } } << QPointF(0, 0)
        << QPointF(200, 100) << QPointF(187, 50);
    // Outside the view the drag waits; back inside it goes on from the last
    // position inside.
    QTest::newRow("pointer out of the view and back")
        << straight << QPointF(100, 50)
        << QList<QPointF> { { 110, 50 }, { 260, 50 }, { 100, -30 }, { 130, 60 } } << QPointF(0, 0)
        << QPointF(200, 100) << QPointF(130, 60);
    QTest::newRow("drag without a handle moves nothing")
        << straight << QPointF(60, 80) << QList<QPointF> { { 20, 20 } } << QPointF(0, 0) << QPointF(200, 100)
        << QPointF(100, 50);
}

void TstOVQuadraticBezierView::dragLimits()
{
    QFETCH(QVariantMap, shown);
    QFETCH(QPointF, press);
    QFETCH(QList<QPointF>, path);
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    QFETCH(QPointF, pc);

    Editor e(shown);
    e.drag(press, path);
    QCOMPARE(e.view.p1(), p1);
    QCOMPARE(e.view.p2(), p2);
    QCOMPARE(e.view.pc(), pc);
    // The release reports the curve normalised.
    QCOMPARE(e.delegate.reports.size(), 1);
    QCOMPARE(e.delegate.reports.last(),
        curve(
            { p1.x() / 200, p1.y() / 100 }, { p2.x() / 200, p2.y() / 100 }, { pc.x() / 200, pc.y() / 100 }));
}

void TstOVQuadraticBezierView::reportsOnEveryRelease()
{
    Editor e(curve({ 0.25, 0 }, { 1, 1 }, { 0.75, 0.25 }));
    // A click on no handle still reports the curve, unchanged.
    e.drag(QPointF(20, 90), {});
    e.drag(QPointF(150, 25), {});
    QCOMPARE(e.delegate.reports.size(), 2);
    for (const QVariantMap &report : std::as_const(e.delegate.reports))
        QCOMPARE(report, curve({ 0.25, 0 }, { 1, 1 }, { 0.75, 0.25 }));
    // The delegate is held weakly: once it is gone nothing is sent.
    auto *gone = new CurveDelegate;
    e.view.setDelegate(gone);
    delete gone;
    e.drag(QPointF(20, 90), {});
    QVERIFY(!e.view.delegate());
}

void TstOVQuadraticBezierView::drawsOnlyOnceItHasACurve()
{
    OVQuadraticBezierView view;
    view.setFixedSize(200, 100);
    const QColor green(30, 115, 71);
    QImage before(view.size(), QImage::Format_ARGB32);
    before.fill(Qt::transparent);
    view.render(&before, QPoint(), QRegion(), QWidget::RenderFlags());
    QCOMPARE(before.pixelColor(100, 50).alpha(), 0);

    view.updateBezierPoints(curve({ 0, 0 }, { 1, 1 }, { 0.5, 0.5 }));
    QImage after(view.size(), QImage::Format_ARGB32);
    after.fill(Qt::transparent);
    view.render(&after, QPoint(), QRegion(), QWidget::RenderFlags());
    // White inside, the round handle at the middle, the square ones in the
    // bottom-left and top-right corners (drawn with y down).
    QCOMPARE(after.pixelColor(60, 20), QColor(Qt::white));
    QCOMPARE(after.pixelColor(100, 50), green);
    QCOMPARE(after.pixelColor(4, 95), green);
    QCOMPARE(after.pixelColor(195, 4), green);
}

QTEST_MAIN(TstOVQuadraticBezierView)
#include "tst_ovquadraticbezierview.moc"
