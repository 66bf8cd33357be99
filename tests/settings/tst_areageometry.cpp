// The area views' geometry: scale to fit with the y flip, handles, the hit
// order with half-open edges, and the drag and typed-value rules, in inches
// (tablet area, minimum 1.6 x 0.9) and desktop points (monitor area,
// minimum 320 x 180).

#include <QTest>

#include "settings/areageometry.h"

using namespace settings::area;

Q_DECLARE_METATYPE(settings::area::Handle)
Q_DECLARE_METATYPE(settings::area::Field)
Q_DECLARE_METATYPE(std::optional<QRectF>)

namespace {

const QSizeF kInches(1.6, 0.9);
const QSizeF kPoints(320, 180);

} // namespace

class TestAreaGeometry : public QObject
{
    Q_OBJECT

private slots:
    void transform_data();
    void transform();
    void handles();
    void hitOrder_data();
    void hitOrder();
    void dragStep_data();
    void dragStep();
    void typedValue_data();
    void typedValue();
};

void TestAreaGeometry::transform_data()
{
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<QSizeF>("view");
    QTest::addColumn<QPointF>("model");
    QTest::addColumn<QPointF>("widget");

    // A 4 x 3 inch area in a view of its proportions: the bottom-left corner
    // is the view's bottom-left, the top-right lands inside the view.
    const QRectF n4(0, 0, 4, 3);
    QTest::newRow("origin at the bottom-left") << n4 << QSizeF(293, 220) << QPointF(0, 0) << QPointF(0, 220);
    QTest::newRow("far corner, width limits")
        << n4 << QSizeF(293, 220) << QPointF(4, 3) << QPointF(293, 0.25);
    QTest::newRow("height limits") << n4 << QSizeF(400, 150) << QPointF(4, 3) << QPointF(200, 0);
    // Two displays, the second left of the main one: the union's origin is
    // the view's bottom-left corner.
    QTest::newRow("union with a negative origin")
        << QRectF(-1920, 0, 3840, 1080) << QSizeF(384, 108) << QPointF(0, 1080) << QPointF(192, 0);
    QTest::newRow("empty area: unit scale")
        << QRectF() << QSizeF(100, 50) << QPointF(10, 5) << QPointF(10, 45);
}

void TestAreaGeometry::transform()
{
    QFETCH(QRectF, area);
    QFETCH(QSizeF, view);
    QFETCH(QPointF, model);
    QFETCH(QPointF, widget);

    const QTransform t = areaTransform(area, view);
    const QPointF mapped = t.map(model);
    QVERIFY2(qAbs(mapped.x() - widget.x()) < 1e-9 && qAbs(mapped.y() - widget.y()) < 1e-9,
        qPrintable(QStringLiteral("%1, %2").arg(mapped.x()).arg(mapped.y())));
    const QPointF back = t.inverted().map(widget);
    QVERIFY(qAbs(back.x() - model.x()) < 1e-9 && qAbs(back.y() - model.y()) < 1e-9);
}

void TestAreaGeometry::handles()
{
    // Kalverin M: edge 0.05, dlen 0.3 inch.
    const Handles h = handlesFor(QRectF(1, 1, 4, 2), 0.05, 0.3);
    const auto near = [](const QRectF &a, const QRectF &b) {
        return qAbs(a.x() - b.x()) < 1e-12 && qAbs(a.y() - b.y()) < 1e-12
            && qAbs(a.width() - b.width()) < 1e-12 && qAbs(a.height() - b.height()) < 1e-12;
    };
    QVERIFY(near(h.left, QRectF(0.85, 1.85, 0.3, 0.3)));
    QVERIFY(near(h.right, QRectF(4.85, 1.85, 0.3, 0.3)));
    QVERIFY(near(h.up, QRectF(2.85, 2.85, 0.3, 0.3)));
    QVERIFY(near(h.down, QRectF(2.85, 0.85, 0.3, 0.3)));
    QVERIFY(near(h.drag, QRectF(1.2, 1.2, 3.6, 1.6)));

    // A pen display: no handle has a size, the drag area is the rectangle.
    const Handles pen = handlesFor(QRectF(0, 0.5, 18, 9), 0, 0);
    QCOMPARE(pen.drag, QRectF(0, 0.5, 18, 9));
    QCOMPARE(hitHandle(pen, QPointF(0, 5)), Handle::Drag);
    QCOMPARE(hitHandle(pen, QPointF(9, 9.5)), Handle::None); // the top edge is outside
}

void TestAreaGeometry::hitOrder_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<Handle>("handle");

    // Overlapping handles: the first in the order left, right, up, down,
    // drag wins. Left [0,2)x[0,2), right [1,3)x[0,2), up [0,2)x[1,3),
    // down [1,3)x[1,3), drag [0,4)x[0,4).
    QTest::newRow("left before all") << QPointF(1.5, 1.5) << Handle::Left;
    QTest::newRow("right before up") << QPointF(2, 1.5) << Handle::Right;
    QTest::newRow("up before down") << QPointF(1.5, 2) << Handle::Up;
    QTest::newRow("down") << QPointF(2, 2) << Handle::Down;
    QTest::newRow("drag") << QPointF(3.5, 0) << Handle::Drag;
    QTest::newRow("near edges are inside") << QPointF(0, 0) << Handle::Left;
    QTest::newRow("far edges are outside") << QPointF(4, 3.5) << Handle::None;
    QTest::newRow("top edge is outside") << QPointF(3.5, 4) << Handle::None;
}

void TestAreaGeometry::hitOrder()
{
    QFETCH(QPointF, point);
    QFETCH(Handle, handle);
    Handles h;
    h.left = QRectF(0, 0, 2, 2);
    h.right = QRectF(1, 0, 2, 2);
    h.up = QRectF(0, 1, 2, 2);
    h.down = QRectF(1, 1, 2, 2);
    h.drag = QRectF(0, 0, 4, 4);
    QCOMPARE(hitHandle(h, point), handle);
}

void TestAreaGeometry::dragStep_data()
{
    QTest::addColumn<Handle>("handle");
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QPointF>("delta");
    QTest::addColumn<QSizeF>("minimum");
    QTest::addColumn<std::optional<QRectF>>("expected");

    // A 10 x 6 inch area; the rectangle (2, 1, 4, 3).
    const QRectF r(2, 1, 4, 3);
    const std::optional<QRectF> same;
    QTest::newRow("left moves, right edge kept")
        << Handle::Left << r << QPointF(-1, 5) << kInches << std::optional(QRectF(1, 1, 5, 3));
    QTest::newRow("left stops at the area")
        << Handle::Left << r << QPointF(-5, 0) << kInches << std::optional(QRectF(0, 1, 6, 3));
    QTest::newRow("left stops at the minimum width")
        << Handle::Left << r << QPointF(3, 0) << kInches << std::optional(QRectF(4.4, 1, 1.6, 3));
    QTest::newRow("left at the limit changes nothing")
        << Handle::Left << QRectF(4.4, 1, 1.6, 3) << QPointF(1, 0) << kInches << same;
    QTest::newRow("right grows") << Handle::Right << r << QPointF(1, 0) << kInches
                                 << std::optional(QRectF(2, 1, 5, 3));
    QTest::newRow("right cut at the area")
        << Handle::Right << r << QPointF(9, 0) << kInches << std::optional(QRectF(2, 1, 8, 3));
    QTest::newRow("right at the area changes nothing")
        << Handle::Right << QRectF(2, 1, 8, 3) << QPointF(1, 0) << kInches << same;
    QTest::newRow("up shrinks to the minimum")
        << Handle::Up << r << QPointF(0, -5) << kInches << std::optional(QRectF(2, 1, 4, 0.9));
    QTest::newRow("up cut at the top")
        << Handle::Up << r << QPointF(0, 5) << kInches << std::optional(QRectF(2, 1, 4, 5));
    QTest::newRow("down moves, top kept")
        << Handle::Down << r << QPointF(0, -0.5) << kInches << std::optional(QRectF(2, 0.5, 4, 3.5));
    QTest::newRow("down stops at the minimum height")
        << Handle::Down << r << QPointF(0, 5) << kInches << std::optional(QRectF(2, 3.1, 4, 0.9));
    QTest::newRow("drag moves") << Handle::Drag << r << QPointF(1, 1) << kInches
                                << std::optional(QRectF(3, 2, 4, 3));
    QTest::newRow("drag held inside")
        << Handle::Drag << r << QPointF(20, -20) << kInches << std::optional(QRectF(6, 0, 4, 3));
    QTest::newRow("drag without movement still answers")
        << Handle::Drag << r << QPointF(0, 0) << kInches << std::optional(r);
    QTest::newRow("nothing grabbed") << Handle::None << r << QPointF(1, 1) << kInches << same;
    // The monitor area's limits, in points, on a union of 3840 x 1080.
    QTest::newRow("monitor: right stops at 320 points")
        << Handle::Right << QRectF(100, 100, 1280, 720) << QPointF(-2000, 0) << kPoints
        << std::optional(QRectF(100, 100, 320, 720));
}

void TestAreaGeometry::dragStep()
{
    QFETCH(Handle, handle);
    QFETCH(QRectF, rect);
    QFETCH(QPointF, delta);
    QFETCH(QSizeF, minimum);
    QFETCH(std::optional<QRectF>, expected);

    const QRectF area = minimum == kPoints ? QRectF(0, 0, 3840, 1080) : QRectF(0, 0, 10, 6);
    const std::optional<QRectF> got = settings::area::dragStep(handle, rect, area, delta, minimum);
    QCOMPARE(got.has_value(), expected.has_value());
    if (got) {
        QVERIFY2(qAbs(got->x() - expected->x()) < 1e-12 && qAbs(got->y() - expected->y()) < 1e-12
                && qAbs(got->width() - expected->width()) < 1e-12
                && qAbs(got->height() - expected->height()) < 1e-12,
            qPrintable(QStringLiteral("%1 %2 %3 %4")
                           .arg(got->x())
                           .arg(got->y())
                           .arg(got->width())
                           .arg(got->height())));
    }
}

void TestAreaGeometry::typedValue_data()
{
    QTest::addColumn<Field>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QRectF>("expected");

    // Tevra N4, 4 x 3 inches, with the 16:9 band.
    const QRectF band(0, 0.375, 4, 2.25);
    QTest::newRow("x past the far edge keeps the rectangle inside") << Field::X << 3.0 << band << band;
    QTest::newRow("x moves a narrower rectangle")
        << Field::X << 1.0 << QRectF(0, 0, 2, 1) << QRectF(1, 0, 2, 1);
    QTest::newRow("x held at the far edge") << Field::X << 9.0 << QRectF(0, 0, 2, 1) << QRectF(2, 0, 2, 1);
    QTest::newRow("x below the origin") << Field::X << -1.0 << QRectF(1, 0, 2, 1) << QRectF(0, 0, 2, 1);
    QTest::newRow("y past the top") << Field::Y << 2.0 << band << QRectF(0, 0.75, 4, 2.25);
    QTest::newRow("width below the minimum") << Field::Width << 0.5 << band << QRectF(0, 0.375, 1.6, 2.25);
    QTest::newRow("width cut at the right edge")
        << Field::Width << 5.0 << QRectF(1, 0, 2, 1) << QRectF(1, 0, 3, 1);
    QTest::newRow("height below the minimum") << Field::Height << 0.1 << band << QRectF(0, 0.375, 4, 0.9);
    QTest::newRow("height cut at the top") << Field::Height << 3.0 << band << QRectF(0, 0.375, 4, 2.625);
}

void TestAreaGeometry::typedValue()
{
    QFETCH(Field, field);
    QFETCH(double, value);
    QFETCH(QRectF, rect);
    QFETCH(QRectF, expected);
    QCOMPARE(settings::area::typedValue(field, value, rect, QRectF(0, 0, 4, 3), kInches), expected);
}

QTEST_GUILESS_MAIN(TestAreaGeometry)
#include "tst_areageometry.moc"
