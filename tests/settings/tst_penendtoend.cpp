// The pen page end to end: the real driver runs a simulated Tevra N4 in real
// time (--sim-devices) whose pen presses at half pressure every half second;
// the real settings application runs on an X server of its own (Xvfb), and
// the test drives it from outside through AT-SPI, the desktop's
// accessibility bus, as a screen reader or an automation tool would: it
// finds the pressure switch and the firmness slider by role and name and
// operates them. The driver's own file must hold the new values after its
// 3-second save, and the pressure it posts must follow them. Every wait has
// a deadline.

#include <cmath>

#include <QJsonObject>
#include <QTest>

#include "platform/stringtable.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "support_desktopsession.h"
#include "support_jsonprocess.h"

using namespace store;

namespace {

// Raw pressure 0x1000 of the tablet's 8192: half pressure.
constexpr double kRawPressure = 0.5;

QString strokeScript()
{
    QString script = QStringLiteral("display 1 0 0 1920 1080 main name=\"Built-in\"\n"
                                    "connect n \"Tevra N4\" page=0xFF0A\n");
    // Two minutes of presses: hover, tip down at half pressure, hover.
    for (int i = 0; i < 240; ++i)
        script += QStringLiteral("report n 02 A0 40 2A 00 10 00 00 00 00\n"
                                 "report n 02 A1 40 2A 00 10 00 10 00 00\n"
                                 "report n 02 A0 40 2A 00 10 00 00 00 00\n"
                                 "wait 0.5\n");
    return script;
}

// The curve's height at x: B(t) = (1 - t)^2 P1 + 2 (1 - t) t PC + t^2 P2,
// with t the root of x(t) = x that lies in 0..1.
double curveAt(double x, QPointF p1, QPointF p2, QPointF pc)
{
    const double a = p1.x() - 2 * pc.x() + p2.x();
    const double b = 2 * (pc.x() - p1.x());
    const double c = p1.x() - x;
    double t = -c / b;
    if (a != 0) {
        const double s = std::sqrt(b * b - 4 * a * c);
        t = (-b + s) / (2 * a);
        if (t < 0 || t > 1)
            t = (-b - s) / (2 * a);
    }
    return (1 - t) * (1 - t) * p1.y() + 2 * (1 - t) * t * pc.y() + t * t * p2.y();
}

// The pressure of the first tip-down the driver posted from line `from` on.
std::optional<double> downPressure(JsonProcess &driver, int from, int *at)
{
    *at = driver.waitFor(
        [](const QJsonObject &l) {
            return l.value(QStringLiteral("post")).toObject().value(QStringLiteral("type")) == 1;
        },
        from);
    if (*at < 0)
        return std::nullopt;
    return driver.lines[*at]
        .value(QStringLiteral("post"))
        .toObject()
        .value(QStringLiteral("fields"))
        .toObject()
        .value(QStringLiteral("2"))
        .toDouble();
}

} // namespace

class TestPenEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pressureSwitchAndFirmness();

private:
    // Waits for the driver's save of its own file that satisfies `holds`;
    // the line's index or -1.
    int waitForSave(JsonProcess &driver, int from, const std::function<bool(const QVariantMap &pen)> &holds);

    DesktopSession m_session;
    QString m_driverData;
    QString m_ownFile;
};

void TestPenEndToEnd::initTestCase()
{
    const QString missing = DesktopSession::missing();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    QVERIFY2(m_session.start(QStringLiteral("1280x1024")), "Xvfb or dbus-daemon did not start");
    m_driverData = m_session.path(QStringLiteral("driver"));
    m_ownFile = QStringLiteral(".OVCFGS_") + devKeyFor(Model::TevraN4);
}

int TestPenEndToEnd::waitForSave(
    JsonProcess &driver, int from, const std::function<bool(const QVariantMap &pen)> &holds)
{
    return DesktopSession::waitForSave(driver, from, m_driverData, m_ownFile,
        [&](const QVariantMap &root) { return holds(root.value(OVCFGPenKey).toMap()); });
}

void TestPenEndToEnd::pressureSwitchAndFirmness()
{
    const std::unique_ptr<JsonProcess> driverProcess = m_session.startDriver(strokeScript(), m_driverData);
    QVERIFY(driverProcess);
    JsonProcess &driver = *driverProcess;
    // The settings application on the X server, its accessibility on.
    const std::unique_ptr<JsonProcess> appProcess = m_session.startSettings();
    QVERIFY(appProcess);
    JsonProcess &app = *appProcess;
    const int shown = app.waitFor([](const QJsonObject &l) {
        const QJsonObject state = l.value(QStringLiteral("state")).toObject();
        return state.value(QStringLiteral("tabs")).toBool()
            && state.value(QStringLiteral("tab")).toInt() == 0;
    });
    QVERIFY2(shown >= 0, app.errors());

    // The factory curve passes the pressure unchanged.
    int at = -1;
    std::optional<double> pressure = downPressure(driver, 0, &at);
    QVERIFY2(pressure, driver.errors());
    QCOMPARE(*pressure, kRawPressure);

    const platform::StringTable strings({ QStringLiteral("en") });
    const QString pressureSwitch = strings.text(QStringLiteral("OVS_P_PressureOff"));
    const QString firmness = strings.text(QStringLiteral("OVS_P_Firmness"));
    const QString checkBox = QStringLiteral("check box");
    const QString slider = QStringLiteral("slider");

    // Pressure off: the driver saves NO and posts full pressure.
    QCOMPARE(m_session.operate(checkBox, pressureSwitch, { QStringLiteral("press") }),
        QStringLiteral("ok checked"));
    int saved = waitForSave(driver, at, [](const QVariantMap &pen) {
        return pen.value(OVCFGPressure).typeId() == QMetaType::Bool && !pen.value(OVCFGPressure).toBool();
    });
    QVERIFY2(saved >= 0, "the driver never saved the pressure switch");
    pressure = downPressure(driver, saved, &at);
    QVERIFY(pressure);
    QCOMPARE(*pressure, 1.0);

    // Pressure on again and a firmer curve: the slider at 0.75.
    QCOMPARE(m_session.operate(checkBox, pressureSwitch, { QStringLiteral("press") }),
        QStringLiteral("ok unchecked"));
    const QString moved
        = m_session.operate(slider, firmness, { QStringLiteral("value"), QStringLiteral("0.75") });
    QVERIFY2(moved.startsWith(QLatin1String("ok ")) && moved.endsWith(QLatin1String("value=0.75")),
        qPrintable(moved));
    saved = waitForSave(driver, at, [](const QVariantMap &pen) {
        const QVariantMap curve = pen.value(OVCFGBezier).toMap();
        return pen.value(OVCFGPressure) == QVariant(true)
            && curve.value(OVCFGBezierP1) == QLatin1String("{0, 0}")
            && curve.value(OVCFGBezierP2) == QLatin1String("{0.75, 1}")
            && curve.value(OVCFGBezierPC) == QLatin1String("{0.25, 0.75}");
    });
    QVERIFY2(saved >= 0, "the driver never saved the new curve");
    pressure = downPressure(driver, saved, &at);
    QVERIFY(pressure);
    const double expected = double(float(curveAt(kRawPressure, { 0, 0 }, { 0.75, 1 }, { 0.25, 0.75 })));
    QVERIFY2(std::abs(*pressure - expected) < 1e-6,
        qPrintable(QStringLiteral("%1, not %2").arg(*pressure).arg(expected)));
    QVERIFY(expected > 0.8);

    QCOMPARE(app.stop(), std::optional(0));
    QVERIFY(driver.stop());
}

QTEST_GUILESS_MAIN(TestPenEndToEnd)
#include "tst_penendtoend.moc"
