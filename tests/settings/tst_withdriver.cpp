// The settings application against the real driver, two processes on a
// session bus: the driver runs simulated devices in real time
// (--sim-devices), the settings application reports what it shows and posts
// (--report-state). Every wait has a deadline.

#include <functional>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/plist.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "support_jsonprocess.h"

using namespace store;

namespace {

bool isPost(const QJsonObject &line, const QString &name)
{
    return line.value(QStringLiteral("post")).toObject().value(QStringLiteral("name")).toString() == name;
}

QString postObject(const QJsonObject &line)
{
    return line.value(QStringLiteral("post")).toObject().value(QStringLiteral("object")).toString();
}

QJsonObject state(const QJsonObject &line)
{
    return line.value(QStringLiteral("state")).toObject();
}

QStringList devicesOf(const QJsonObject &line)
{
    QStringList titles;
    for (const QJsonValue &title : state(line).value(QStringLiteral("devices")).toArray())
        titles.append(title.toString());
    return titles;
}

bool isDriverAnnouncement(const QJsonObject &line, const QString &key, bool connected)
{
    const QJsonObject notify = line.value(QStringLiteral("notify")).toObject();
    return notify.value(QStringLiteral("name")).toString() == QLatin1String(OVCFGResponseDNotification)
        && notify.value(QStringLiteral("userInfo")).toObject().value(key) == QJsonValue(connected);
}

QString productName(Model model)
{
    return QString::fromUtf8(rowFor(model).productName);
}

} // namespace

class TestWithDriver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void settingsFollowsDriver();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_bus;
    QString m_busAddress;
};

void TestWithDriver::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("no session bus (DBUS_SESSION_BUS_ADDRESS is unset): run under dbus-run-session");
    QVERIFY(QFile::exists(QStringLiteral(OV_DRIVER_BINARY)));
    QVERIFY(QFile::exists(QStringLiteral(OV_SETTING_BINARY)));
    // A bus of the two programs' own: other tests on the session bus take our
    // programs' names and post notices of their own.
    m_bus = std::make_unique<QProcess>();
    m_busAddress = startDaemon(*m_bus, QStringLiteral("dbus-daemon"),
        { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    if (m_busAddress.isEmpty()) {
        // No daemon of our own: the session bus will do.
        stopDaemon(*m_bus);
        m_bus.reset();
        m_busAddress = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    }
}

void TestWithDriver::cleanupTestCase()
{
    if (m_bus)
        stopDaemon(*m_bus);
}

void TestWithDriver::settingsFollowsDriver()
{
    const QString keyM = devKeyFor(Model::TevraM);
    const QString keyS = devKeyFor(Model::Sorvi16Pro);
    // The driver's answer is a dictionary: its keys come in key order, and the
    // first one handled is the selected device.
    const bool mFirst = keyM < keyS;
    const QString firstKey = mFirst ? keyM : keyS;
    const QString otherKey = mFirst ? keyS : keyM;
    const QStringList titles = mFirst
        ? QStringList { productName(Model::TevraM), productName(Model::Sorvi16Pro) }
        : QStringList { productName(Model::Sorvi16Pro), productName(Model::TevraM) };

    // The first device is unplugged 18 s after the start, well after the
    // settings application's change and the driver's 3-second save.
    const QString script = m_dir.filePath(QStringLiteral("devices.ovs"));
    {
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("display 1 0 0 1920 1080 main name=\"Built-in\"\n"
                   "connect m-pen \"Tevra M\" page=0x01 product=\"Tevra M\"\n"
                   "connect m \"Tevra M\" page=0xFF0A product=\"Tevra M\"\n"
                   "connect s \"Sorvi 16Pro\" page=0xFF0A product=\"Sorvi 16Pro\"\n"
                   "wait 18\n");
        file.write(mFirst ? "remove m\n" : "remove s\n");
    }
    const QString driverData = m_dir.filePath(QStringLiteral("driver"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The settings application's files and defaults stay in the test's folder.
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));

    JsonProcess driver(QStringLiteral(OV_DRIVER_BINARY),
        { QStringLiteral("--sim-devices"), script, QStringLiteral("--data"), driverData }, env);
    QVERIFY(driver.started());
    QVERIFY2(driver.waitFor([&](const QJsonObject &l) { return isDriverAnnouncement(l, keyM, true); }) >= 0,
        driver.errors());
    QVERIFY(driver.waitFor([&](const QJsonObject &l) { return isDriverAnnouncement(l, keyS, true); }) >= 0);
    const int driverLinesBefore = int(driver.lines.size());

    JsonProcess app(QStringLiteral(OV_SETTING_BINARY), { QStringLiteral("--report-state") }, env);
    QVERIFY(app.started());

    // Asks, gets both devices, tells the driver the selected one.
    const int keyPost = app.waitFor([](const QJsonObject &l) { return isPost(l, OV_GetCurDevKey_Noti); });
    QVERIFY2(keyPost >= 0, app.errors());
    QCOMPARE(postObject(app.lines[keyPost]), firstKey);
    const int shown = app.waitFor(
        [](const QJsonObject &l) {
            return state(l).value(QStringLiteral("content")) == QLatin1String("devices")
                && state(l).value(QStringLiteral("tabs")).toBool();
        },
        keyPost);
    QVERIFY(shown >= 0);
    QCOMPARE(devicesOf(app.lines[shown]), titles);
    QCOMPARE(state(app.lines[shown]).value(QStringLiteral("selected")).toString(), titles.first());
    QCOMPARE(state(app.lines[shown]).value(QStringLiteral("tab")).toInt(), 0);
    // The tabs appear 1.4 s after the first device (timers never run early).
    const double delay = app.lines[shown].value(QStringLiteral("t")).toDouble()
        - app.lines[keyPost].value(QStringLiteral("t")).toDouble();
    QVERIFY2(delay >= 1.39, qPrintable(QString::number(delay)));
    int requests = 0;
    int keys = 0;
    for (const QJsonObject &line : std::as_const(app.lines)) {
        requests += isPost(line, OVCFGRequestDNotification) ? 1 : 0;
        keys += isPost(line, OV_GetCurDevKey_Noti) ? 1 : 0;
    }
    QCOMPARE(requests, 1);
    QCOMPARE(keys, 1);

    // A change through the settings store reaches the driver's copy with
    // its type: an integer stays an integer, a boolean a boolean.
    app.write("update OVCFGPenKey OVCFGPenKeyUp int 4\nupdate OVCFGPenKey OVCFGPressure bool false\n");
    const QString ownFile = QStringLiteral(".OVCFGS_") + firstKey;
    QVariantMap pen;
    const int written = driver.waitFor(
        [&](const QJsonObject &l) {
            const QJsonObject write = l.value(QStringLiteral("write")).toObject();
            if (write.value(QStringLiteral("name")).toString() != ownFile)
                return false;
            QFile file(QDir(driverData).filePath(ownFile));
            if (!file.open(QIODevice::ReadOnly))
                return false;
            pen = platform::plist::parse(file.readAll())
                      .value_or(QVariant())
                      .toMap()
                      .value(OVCFGPenKey)
                      .toMap();
            return pen.contains(OVCFGPenKeyUp) && pen.contains(OVCFGPressure);
        },
        driverLinesBefore);
    QVERIFY2(written >= 0, "the driver never saved the change");
    QCOMPARE(pen.value(OVCFGPenKeyUp).typeId(), int(QMetaType::LongLong));
    QCOMPARE(pen.value(OVCFGPenKeyUp).toLongLong(), 4);
    QCOMPARE(pen.value(OVCFGPressure).typeId(), int(QMetaType::Bool));
    QCOMPARE(pen.value(OVCFGPressure).toBool(), false);

    // The selected device unplugged: the hide notice, the other device
    // selected, its key posted after.
    QVERIFY(
        driver.waitFor([&](const QJsonObject &l) { return isDriverAnnouncement(l, firstKey, false); }) >= 0);
    const int hide
        = app.waitFor([](const QJsonObject &l) { return isPost(l, OVUI_DeviceDisconnect_Hide_Noti); }, shown);
    QVERIFY(hide >= 0);
    const int otherKeyPost
        = app.waitFor([](const QJsonObject &l) { return isPost(l, OV_GetCurDevKey_Noti); }, hide);
    QVERIFY(otherKeyPost >= 0);
    QCOMPARE(postObject(app.lines[otherKeyPost]), otherKey);
    const int one = app.waitFor([](const QJsonObject &l) { return devicesOf(l).size() == 1; }, hide);
    QVERIFY(one >= 0);
    QCOMPARE(devicesOf(app.lines[one]), QStringList { titles.last() });
    QCOMPARE(state(app.lines[one]).value(QStringLiteral("selected")).toString(), titles.last());

    // The driver quits: every device goes, the settings application stays.
    QVERIFY(driver.stop());
    const int none = app.waitFor(
        [](const QJsonObject &l) {
            return state(l).value(QStringLiteral("content")) == QLatin1String("none")
                && devicesOf(l).isEmpty();
        },
        one);
    QVERIFY(none >= 0);
    QCOMPARE(state(app.lines[none]).value(QStringLiteral("tab")).toInt(), 4);
    QVERIFY(app.running());

    QCOMPARE(app.stop(), std::optional(0));
}

QTEST_GUILESS_MAIN(TestWithDriver)
#include "tst_withdriver.moc"
