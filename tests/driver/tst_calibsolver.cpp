#include <cmath>
#include <limits>

#include <QTest>

#include "driver/calibsolver.h"

using namespace driver;

Q_DECLARE_METATYPE(driver::CalibEdge)
Q_DECLARE_METATYPE(driver::CalibSamples)

namespace {

// A reading of `count` as the decoders capture it: (count / 255, count % 255).
QPointF reading(int count)
{
    return QPointF(count / 255, count % 255);
}

// Far edges of 56077 counts across (219 * 255 + 232) and 7394 down
// (28 * 255 + 254). Middles the check aims at: 56077 / 2 + 511 = 28549
// along the top and bottom, 7394 / 2 - 511 = 3186 along the sides.
CalibEdges edges()
{
    CalibEdges e;
    e.maxX = {219, 232};
    e.maxY = {28, 254};
    return e;
}

struct Affine
{
    double a, b, c, d, e, f;
    QPointF operator()(QPointF p) const
    {
        return QPointF(a * p.x() + b * p.y() + c, d * p.x() + e * p.y() + f);
    }
};

// Five touches near the corners and the centre of a 1920 x 1080 display,
// and the targets `transform` makes of them.
CalibSamples samplesOf(const Affine &transform)
{
    const QPointF touches[5] = {{152, 148}, {1768, 160}, {144, 932}, {1776, 920}, {960, 540}};
    CalibSamples s;
    for (size_t i = 0; i < 5; ++i) {
        const QPointF target = transform(touches[i]);
        s.x[i] = qint32(touches[i].x());
        s.y[i] = qint32(touches[i].y());
        s.xfb[i] = qint32(target.x());
        s.yfb[i] = qint32(target.y());
    }
    return s;
}

} // namespace

class TestCalibSolver : public QObject
{
    Q_OBJECT
private slots:
    void edgeCheck_data();
    void edgeCheck();
    void pointCheck_data();
    void pointCheck();
    void fitsAKnownTransform_data();
    void fitsAKnownTransform();
    void refusals_data();
    void refusals();
};

void TestCalibSolver::edgeCheck_data()
{
    QTest::addColumn<CalibEdge>("edge");
    QTest::addColumn<int>("x"); // the captured X reading, in counts
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("valid");

    QTest::newRow("left: near the edge, near its middle") << CalibEdge::Left << 300 << 3000 << true;
    QTest::newRow("left: 511 from the edge") << CalibEdge::Left << 511 << 3186 << true;
    QTest::newRow("left: 512 from the edge") << CalibEdge::Left << 512 << 3186 << false;
    QTest::newRow("left: too far in") << CalibEdge::Left << 600 << 3000 << false;
    QTest::newRow("left: 1023 above the middle") << CalibEdge::Left << 300 << 2163 << true;
    QTest::newRow("left: 1086 above the middle") << CalibEdge::Left << 300 << 2100 << false;
    QTest::newRow("left: 1024 below the middle") << CalibEdge::Left << 300 << 4210 << false;

    QTest::newRow("top: at the edge") << CalibEdge::Top << 28549 << 0 << true;
    QTest::newRow("top: 512 down") << CalibEdge::Top << 28549 << 512 << false;
    QTest::newRow("top: 1023 right of the middle") << CalibEdge::Top << 29572 << 100 << true;
    QTest::newRow("top: 1024 left of the middle") << CalibEdge::Top << 27525 << 100 << false;

    QTest::newRow("right: 511 short of the far edge") << CalibEdge::Right << 55566 << 3186 << true;
    QTest::newRow("right: 512 short") << CalibEdge::Right << 55565 << 3186 << false;
    QTest::newRow("right: 511 past the far edge") << CalibEdge::Right << 56588 << 3186 << true;
    QTest::newRow("right: 512 past") << CalibEdge::Right << 56589 << 3186 << false;
    QTest::newRow("right: off the middle") << CalibEdge::Right << 56077 << 4300 << false;

    QTest::newRow("bottom: at the far edge") << CalibEdge::Bottom << 28549 << 7394 << true;
    QTest::newRow("bottom: 511 short") << CalibEdge::Bottom << 28549 << 6883 << true;
    QTest::newRow("bottom: 512 short") << CalibEdge::Bottom << 28549 << 6882 << false;
    QTest::newRow("bottom: off the middle") << CalibEdge::Bottom << 30000 << 7394 << false;
}

void TestCalibSolver::edgeCheck()
{
    QFETCH(CalibEdge, edge);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, valid);

    // The decoders capture into the min pair while the left or top edge is
    // probed, into the max pair for the right and bottom; the other pair
    // holds readings from far away that must not count.
    EdgeCapture capture;
    const bool minPair = edge == CalibEdge::Left || edge == CalibEdge::Top;
    capture.minx1 = minPair ? reading(x) : reading(28000);
    capture.miny1 = minPair ? reading(y) : reading(40000);
    capture.maxx1 = minPair ? reading(0) : reading(x);
    capture.maxy1 = minPair ? reading(0) : reading(y);
    QCOMPARE(edgeTouchValid(edge, capture, edges()), valid);
}

void TestCalibSolver::pointCheck_data()
{
    QTest::addColumn<QPointF>("mapped");
    QTest::addColumn<bool>("valid");
    // Target (150, 150).
    QTest::newRow("on the target") << QPointF(150, 150) << true;
    QTest::newRow("100 points left") << QPointF(50, 150) << true;
    QTest::newRow("120 points left") << QPointF(30, 150) << false;
    QTest::newRow("100 points right and below") << QPointF(250, 250) << true;
    QTest::newRow("a little more than 100 below") << QPointF(150, 250.5) << false;
    QTest::newRow("not a number") << QPointF(std::numeric_limits<double>::quiet_NaN(), 150) << false;
}

void TestCalibSolver::pointCheck()
{
    QFETCH(QPointF, mapped);
    QFETCH(bool, valid);
    QCOMPARE(pointTouchValid(QPointF(150, 150), mapped), valid);
}

void TestCalibSolver::fitsAKnownTransform_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("c");
    QTest::addColumn<double>("d");
    QTest::addColumn<double>("e");
    QTest::addColumn<double>("f");

    QTest::newRow("touches on the targets") << 1.0 << 0.0 << 0.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("touches 10 points right of the targets") << 1.0 << 0.0 << -10.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("scaled, sheared and shifted") << 0.5 << 0.25 << 12.0 << -0.125 << 2.0 << -7.0;
}

void TestCalibSolver::fitsAKnownTransform()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, c);
    QFETCH(double, d);
    QFETCH(double, e);
    QFETCH(double, f);

    CalibSamples samples = samplesOf({a, b, c, d, e, f});
    QStringList printed;
    QCOMPARE(PerformCalibration(samples, &printed), 1);
    QCOMPARE(samples.a[6], 65536);
    const CalibMatrix m = matrixFromSamples(samples);
    // Single precision over sums of some 10^7: a few steps of 1/65536 on the
    // factors, a small fraction of a point on the offsets.
    const double factor = 1e-3, offset = 0.05;
    QVERIFY2(std::fabs(m.A - a) < factor && std::fabs(m.B - b) < factor && std::fabs(m.C - c) < offset
                 && std::fabs(m.D - d) < factor && std::fabs(m.E - e) < factor && std::fabs(m.F - f) < offset,
             qPrintable(QStringLiteral("%1 %2 %3 / %4 %5 %6").arg(m.A).arg(m.B).arg(m.C).arg(m.D).arg(m.E).arg(m.F)));
    // The unscaled coefficients, offset first, x line then y line.
    QCOMPARE(printed.size(), 2);
    const QStringList xLine = printed[0].split(QLatin1Char(' '));
    QCOMPARE(xLine.size(), 3);
    QVERIFY(std::fabs(xLine[0].toDouble() - c) < offset);
    QVERIFY(std::fabs(xLine[1].toDouble() - a) < factor);
    QCOMPARE(printed[1].split(QLatin1Char(' ')).size(), 3);
}

void TestCalibSolver::refusals_data()
{
    QTest::addColumn<CalibSamples>("samples");
    QTest::addColumn<QString>("firstLine");

    CalibSamples same;
    for (size_t i = 0; i < 5; ++i) {
        same.x[i] = same.xfb[i] = 960;
        same.y[i] = same.yfb[i] = 540;
    }
    QTest::newRow("five touches at one point") << same << QStringLiteral("ts_calibrate: determinant is too small -- 0.000000");

    // Targets no 32-bit fixed-point coefficient can reach.
    CalibSamples far = samplesOf({1, 0, 0, 0, 1, 0});
    for (size_t i = 0; i < 5; ++i)
        far.xfb[i] = 2000000000;
    QTest::newRow("coefficients beyond 32 bits") << far << QString();
}

void TestCalibSolver::refusals()
{
    QFETCH(CalibSamples, samples);
    QFETCH(QString, firstLine);

    samples.a = {1, 2, 3, 4, 5, 6, 7};
    QStringList printed;
    QCOMPARE(PerformCalibration(samples, &printed), 0);
    QCOMPARE(samples.a, (std::array<qint32, 7>{1, 2, 3, 4, 5, 6, 7}));
    if (!firstLine.isEmpty())
        QCOMPARE(printed, QStringList{firstLine});
}

QTEST_GUILESS_MAIN(TestCalibSolver)
#include "tst_calibsolver.moc"
