#include <cmath>

#include <QTest>

#include "driver/pressurecurve.h"
#include "store/ovmodels.h"

using namespace driver;

namespace {

const QPointF kStart(0, 0);
const QPointF kEnd(1, 1);
const QPointF kControl(0.5, 0.5);

QString key(store::Model model)
{
    return store::devKeyFor(model);
}

} // namespace

class TestPressureCurve : public QObject
{
    Q_OBJECT
private slots:
    void fullScale_data();
    void fullScale();
    void pressure_data();
    void pressure();
    void curve_data();
    void curve();
};

void TestPressureCurve::fullScale_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<double>("expected");
    QTest::newRow("Sorvi10: 10 bits") << key(store::Model::Sorvi10) << 1024.0;
    QTest::newRow("Sorvi 22: 11 bits") << key(store::Model::Sorvi22) << 2048.0;
    QTest::newRow("Sorvi 22Pro") << key(store::Model::Sorvi22Pro) << 8192.0;
    QTest::newRow("Tevra N4") << key(store::Model::TevraN4) << 8192.0;
    QTest::newRow("unknown key") << QStringLiteral("1-2") << 8192.0;
}

void TestPressureCurve::fullScale()
{
    QFETCH(QString, devKey);
    QFETCH(double, expected);
    QCOMPARE(pressureFullScale(devKey), expected);
}

void TestPressureCurve::pressure_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<int>("pres");
    QTest::addColumn<bool>("isMouseDown");
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<QPointF>("pc");
    QTest::addColumn<float>("expected");

    const QString tablet = key(store::Model::TevraN4);
    const QString sorvi10 = key(store::Model::Sorvi10);
    QTest::newRow("hovering: no press") << tablet << 4096 << false << kStart << kEnd << kControl
                                        << 0.0f;
    QTest::newRow("Sorvi10 raw 512, factory curve")
        << sorvi10 << 512 << true << kStart << kEnd << kControl << 0.5f;
    QTest::newRow("tablet raw 512, factory curve")
        << tablet << 512 << true << kStart << kEnd << kControl << 0.0625f;
    QTest::newRow("Sorvi 22 raw 1024") << key(store::Model::Sorvi22) << 1024 << true << kStart
                                       << kEnd << kControl << 0.5f;
    // 1642 / 8192 = 0.20044: inside the 0.001 margin of the start point.
    QTest::newRow("left of start (0.2, 0)")
        << tablet << 1642 << true << QPointF(0.2, 0) << kEnd << kControl << 0.0f;
    // 6550 / 8192 = 0.79956: within 0.001 of the end point.
    QTest::newRow("right of end (0.8, 1)")
        << tablet << 6550 << true << kStart << QPointF(0.8, 1) << kControl << 1.0f;
    QTest::newRow("raw above full scale") << sorvi10 << 2000 << true << kStart << kEnd
                                          << kControl << 1.0f;
    QTest::newRow("raw 0 pressed") << tablet << 0 << true << kStart << kEnd << kControl << 0.0f;
    // a = 0: t = p, y = 1.8 p (1 - p) + p^2 = 0.45 + 0.25.
    QTest::newRow("control (0.5, 0.9), p 0.5")
        << tablet << 4096 << true << kStart << kEnd << QPointF(0.5, 0.9) << 0.7f;
    // a = 0.5, b = 0.5: t = -0.5 + sqrt(1.25) = 0.618034,
    // y = 2 (1 - t) t 0.75 + t^2 = 0.736068.
    QTest::newRow("control (0.25, 0.75), p 0.5")
        << tablet << 4096 << true << kStart << kEnd << QPointF(0.25, 0.75) << 0.736068f;
}

void TestPressureCurve::pressure()
{
    QFETCH(QString, devKey);
    QFETCH(int, pres);
    QFETCH(bool, isMouseDown);
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    QFETCH(QPointF, pc);
    QFETCH(float, expected);
    bool tBelowZero = true;
    const float fpres = pressureFromCurve(quint16(pres), isMouseDown, pressureFullScale(devKey),
                                          p1, p2, pc, &tBelowZero);
    QCOMPARE(fpres, expected);
    QVERIFY(!tBelowZero);
}

void TestPressureCurve::curve_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<QPointF>("pc");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("tBelowZero");

    QTest::newRow("factory line passes x") << 0.3 << kStart << kEnd << kControl << 0.3 << false;
    // x(t) = 3t - 2t^2 bends back: x = 1 at t = 0.5 and t = 1, equally near;
    // the second root (t = 1, y = 1) is taken, not t = 0.5 (y = 0.25).
    QTest::newRow("two roots, tie takes the second")
        << 1.0 << kStart << kEnd << QPointF(1.5, 0) << 1.0 << false;
    // x = 0.9: t = (3 - sqrt(1.8)) / 4 = 0.414590 (the other root lies past 1),
    // y = t^2 with the control's y at 0.
    QTest::newRow("one root in range") << 0.9 << kStart << kEnd << QPointF(1.5, 0) << 0.171885
                                       << false;
    // Outside the curve's x range the straight line gives t = x < 0.
    QTest::newRow("left of the curve: t < 0")
        << -0.5 << kStart << kEnd << kControl << -0.5 << true;
}

void TestPressureCurve::curve()
{
    QFETCH(double, x);
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    QFETCH(QPointF, pc);
    QFETCH(double, expected);
    QFETCH(bool, tBelowZero);
    bool below = !tBelowZero;
    const double y = yOnQuadraticCurve(x, p1, p2, pc, &below);
    QVERIFY2(std::fabs(y - expected) < 1e-6, qPrintable(QString::number(y, 'g', 17)));
    QCOMPARE(below, tBelowZero);
}

QTEST_GUILESS_MAIN(TestPressureCurve)
#include "tst_pressurecurve.moc"
