// A pen display's calibration end to end: the real driver runs a simulated
// Sorvi 22 in real time (--sim-devices) on the X server's display, whose pen
// touches the four edges and the five targets over and over; the real
// settings application runs on that X server (Xvfb), and the test opens its
// calibration window from outside through AT-SPI, from the tablet tab's
// button, as a user with a screen reader would. The window covers the pen
// display; the driver's answers to the touches that land during the step
// they are meant for move the run on, the others it rejects; after the end
// the driver's own file holds the new matrix of orientation 0. Every wait
// has a deadline.

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "platform/stringtable.h"
#include "sim/calibtouches.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "support_desktopsession.h"
#include "support_jsonprocess.h"

using namespace store;

namespace {

// The X server's one display, and the driver's record of it: the pen display.
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
// Each touch lands this far right of its target, within the driver's check.
constexpr double kOffset = 10;
// Rounds of the nine touches: the run, begun at any touch of a round, ends
// within the two rounds after it.
constexpr int kRounds = 8;
// A round of nine touches takes nine seconds.
constexpr int kRunMs = 3 * 9 * 1000;

QString touchScript()
{
    QString script = QStringLiteral("display 9 0 0 %1 %2 main name=\"SV22\"\n"
                                    "connect s \"Sorvi 22\" page=0x01\n")
                         .arg(kWidth)
                         .arg(kHeight);
    QString round = calibtouch::edgeTouches().join(QString());
    for (const QPointF &target : calibtouch::kTargets)
        round += calibtouch::pointTouch(target.x() + kOffset, target.y());
    for (int i = 0; i < kRounds; ++i)
        script += round;
    return script;
}

bool isPost(const QJsonObject &line, const QString &name)
{
    return line.value(QStringLiteral("post")).toObject().value(QStringLiteral("name")).toString() == name;
}

// The driver's answer of that key in the line, if it is one.
std::optional<bool> answer(const QJsonObject &line, const QString &key)
{
    const QJsonObject notice = line.value(QStringLiteral("notify")).toObject();
    if (notice.value(QStringLiteral("name")).toString() != QLatin1String(OVMCResponseDNotification))
        return std::nullopt;
    const QJsonObject info = notice.value(QStringLiteral("userInfo")).toObject();
    if (!info.contains(key))
        return std::nullopt;
    return info.value(key).toBool();
}

} // namespace

class TestCalibEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void calibrationRun();
    void quitDuringRun();

private:
    // Opens the calibration window from the tablet tab once the settings
    // application shows its tabs: the index of its first request's line, or
    // -1 with the reason in *why.
    int openCalibration(JsonProcess &app, QString *why) const;

    DesktopSession m_session;
};

void TestCalibEndToEnd::initTestCase()
{
    const QString missing = DesktopSession::missing();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    QVERIFY2(m_session.start(QStringLiteral("%1x%2").arg(kWidth).arg(kHeight)),
        "Xvfb or dbus-daemon did not start");
}

int TestCalibEndToEnd::openCalibration(JsonProcess &app, QString *why) const
{
    const int shown = app.waitFor([](const QJsonObject &l) {
        return l.value(QStringLiteral("state")).toObject().value(QStringLiteral("tabs")).toBool();
    });
    if (shown < 0) {
        *why = QStringLiteral("the settings application shows no tabs: ") + QString::fromUtf8(app.errors());
        return -1;
    }
    // The tablet tab, then its calibration button.
    const platform::StringTable strings({ QStringLiteral("en") });
    *why = m_session.operate(
        QStringLiteral("page tab"), strings.text(QStringLiteral("OVS_MW_T2")), { QStringLiteral("press") });
    if (!why->startsWith(QLatin1String("ok")))
        return -1;
    *why = m_session.operate(QStringLiteral("push button"), strings.text(QStringLiteral("OVS_T_CalibBtn")),
        { QStringLiteral("press") });
    if (!why->startsWith(QLatin1String("ok")))
        return -1;
    const int begun = app.waitFor(
        [](const QJsonObject &l) { return isPost(l, QLatin1String(OVMCRequestDNotification)); }, shown);
    if (begun < 0)
        *why = QStringLiteral("the calibration window posted no step");
    return begun;
}

void TestCalibEndToEnd::calibrationRun()
{
    const QString driverData = m_session.path(QStringLiteral("driver"));
    const std::unique_ptr<JsonProcess> driverProcess = m_session.startDriver(touchScript(), driverData);
    QVERIFY(driverProcess);
    JsonProcess &driver = *driverProcess;
    const std::unique_ptr<JsonProcess> appProcess = m_session.startSettings();
    QVERIFY(appProcess);
    JsonProcess &app = *appProcess;
    QString why;
    const int begun = openCalibration(app, &why);
    QVERIFY2(begun >= 0, qPrintable(why));
    const platform::StringTable strings({ QStringLiteral("en") });

    // It covers the pen display. (Qt names a top-level widget's role
    // "filler", the main window's too.)
    const QString frame = m_session.operate(QStringLiteral("filler"),
        strings.text(QStringLiteral("OVS_CW_TITLE")), { QStringLiteral("extents") });
    QCOMPARE(frame, QStringLiteral("ok 0 0 %1 %2").arg(kWidth).arg(kHeight));

    // The driver's result, after the nine touches it took.
    const int finished = driver.waitFor(
        [](const QJsonObject &l) { return answer(l, QLatin1String(OVMCFinish)).has_value(); }, 0, kRunMs);
    QVERIFY2(finished >= 0, qPrintable(QStringLiteral("no result: ") + QString::fromUtf8(driver.errors())));
    QCOMPARE(answer(driver.lines[finished], QLatin1String(OVMCFinish)), std::optional<bool>(true));
    int taken = 0;
    for (int i = 0; i < finished; ++i)
        taken += answer(driver.lines[i], QLatin1String(OVMCValid)) == std::optional<bool>(true);
    QCOMPARE(taken, 9);
    // Begin, four edges, five points, end: one request each.
    int requests = 0;
    const int ended = app.waitFor([&](const QJsonObject &l) {
        return isPost(l, QLatin1String(OVMCRequestDNotification)) && ++requests == 11;
    });
    QVERIFY2(ended >= 0, qPrintable(QStringLiteral("%1 requests").arg(requests)));

    // The driver's own file, after its save: the user's matrix of
    // orientation 0 takes the touches' offset back.
    const QString ownFile = QStringLiteral(".OVCFGS_") + devKeyFor(Model::Sorvi22);
    QVariantMap matrix;
    const int saved
        = DesktopSession::waitForSave(driver, finished, driverData, ownFile, [&](const QVariantMap &root) {
              matrix = root.value(OVCFGMonitor)
                           .toMap()
                           .value(QStringLiteral("OVCFGMonitorCalib"))
                           .toMap()
                           .value(QStringLiteral("OVCFGMonitorCalibZDCus"))
                           .toMap();
              return !matrix.isEmpty();
          });
    QVERIFY2(saved >= 0, "the driver never saved the new matrix");
    const auto near = [&](const char *name, double expected, double within) {
        return std::abs(matrix.value(QLatin1String(name)).toDouble() - expected) <= within;
    };
    QVERIFY2(near("A", 1, 0.01) && near("E", 1, 0.01) && near("B", 0, 0.01) && near("D", 0, 0.01)
            && near("C", -kOffset, 1) && near("F", 0, 1),
        qPrintable(QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(matrix)).toJson())));

    // OK ends it; nothing more is posted.
    QVERIFY(m_session
                .operate(QStringLiteral("push button"), strings.text(QStringLiteral("OVS_CW_OK")),
                    { QStringLiteral("press") })
                .startsWith(QLatin1String("ok")));
    QCOMPARE(app.stop(), std::optional(0));
    requests = 0;
    for (const QJsonObject &line : app.lines)
        requests += isPost(line, QLatin1String(OVMCRequestDNotification));
    QCOMPARE(requests, 11);
    QVERIFY(driver.stop());
}

void TestCalibEndToEnd::quitDuringRun()
{
    // No touches: the run waits at its first edge.
    const std::unique_ptr<JsonProcess> driver = m_session.startDriver(
        QStringLiteral("display 9 0 0 %1 %2 main name=\"SV22\"\nconnect s \"Sorvi 22\" page=0x01\n")
            .arg(kWidth)
            .arg(kHeight),
        m_session.path(QStringLiteral("quitting")));
    QVERIFY(driver);
    const std::unique_ptr<JsonProcess> app = m_session.startSettings();
    QVERIFY(app);
    QString why;
    const int begun = openCalibration(*app, &why);
    QVERIFY2(begun >= 0, qPrintable(why));
    int requests = 0;
    QVERIFY(app->waitFor([&](const QJsonObject &l) {
        return isPost(l, QLatin1String(OVMCRequestDNotification)) && ++requests == 2;
    }) >= 0);

    // Quitting posts one more request, the cancel, on its way out.
    QCOMPARE(app->stop(), std::optional(0));
    requests = 0;
    for (const QJsonObject &line : app->lines)
        requests += isPost(line, QLatin1String(OVMCRequestDNotification));
    QCOMPARE(requests, 3);
    QVERIFY(driver->stop());
}

QTEST_GUILESS_MAIN(TestCalibEndToEnd)
#include "tst_calibendtoend.moc"
