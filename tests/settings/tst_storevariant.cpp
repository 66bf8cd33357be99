#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/plist.h"
#include "platform/sim/simplatform.h"
#include "settings/modalruns.h"
#include "settings/ovalert.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "support_alertcatcher.h"

using platform::Notification;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using store::OVPublicObject;
using store::StoreVariant;
using namespace store;

namespace {

const QString kDriverId = QStringLiteral("com.orvane.OrvaneTabletDriver");
const QString kSettingId = QStringLiteral("com.orvane.OrvaneTabletSetting");

QString tevraM()
{
    return devKeyFor(Model::TevraM);
}

// A settings process and a driver process on one bus, each with a store of
// the same device, both loaded from the model's defaults.
struct Pair
{
    explicit Pair(const QString &devKey = tevraM())
        : settingsStore(settingsSim.platform(), devKey, StoreVariant::Settings)
        , driverStore(driverSim.platform(), devKey)
    {
        settingsStore.setErrorPresenter(
            settings::OVAlert::storeErrorPresenter(settingsSim.platform().strings, nullptr, &modalRuns));
        // Without displays the default tablet area falls back to the band.
        QTest::ignoreMessage(QtInfoMsg, "There is no mmap_num");
        settingsStore.loadConfiguration(QString(), false);
        QTest::ignoreMessage(QtInfoMsg, "There is no mmap_num");
        driverStore.loadConfiguration(QString(), false);
        driverSim.runLoop.drain();
        bus.setPostHook([this](const auto &, const Notification &n) { posted.append(n); });
        settingsSim.local.observe(
            OVCFGNotification, this, [this](const Notification &n) { localNotices.append(n); });
    }
    void drain()
    {
        settingsSim.runLoop.drain();
        driverSim.runLoop.drain();
    }

    settings::ModalRuns modalRuns;
    SimBus bus;
    SimPlatform settingsSim { bus, kSettingId };
    SimPlatform driverSim { bus, kDriverId };
    OVPublicObject settingsStore;
    OVPublicObject driverStore;
    QList<Notification> posted;
    QList<Notification> localNotices;
};

bool sameTypedValue(const QVariant &a, const QVariant &b)
{
    return a.typeId() == b.typeId() && a == b;
}

} // namespace

class TestStoreVariant : public QObject
{
    Q_OBJECT

private slots:
    void forwardedRecords_data();
    void forwardedRecords();
    void importNoticesInOrder();
    void importLeavesCalibrationToTheDriver();
    void failedImportShowsAlert_data();
    void failedImportShowsAlert();

private:
    QTemporaryDir m_files;
};

void TestStoreVariant::forwardedRecords_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    // As the driver receives it: integers as 64-bit, floats widened.
    QTest::addColumn<QVariant>("sent");

    QTest::newRow("pen button action") << QString(OVCFGPenKey) << QString(OVCFGPenKeyUp) << QVariant(4)
                                       << QVariant(qint64(4));
    QTest::newRow("boolean stays boolean") << QString(OVCFGPenKey) << QString(OVCFGPressure)
                                           << QVariant(false) << QVariant(false);
    QTest::newRow("float widened") << QString(OVCFGPenKey) << QString(OVCFGTrackingSpeed) << QVariant(0.25f)
                                   << QVariant(0.25);
    QTest::newRow("area text") << QString(OVCFGTablet) << QString(OVCFGTabletFrame)
                               << QVariant(QStringLiteral("{{1, 1}, {4, 3}}"))
                               << QVariant(QStringLiteral("{{1, 1}, {4, 3}}"));
    // The driver decides what applies; a category this model lacks is
    // forwarded all the same.
    QTest::newRow("category the model lacks") << QString(OVCFGWheelKey) << QString(OVCFGWheelKey1)
                                              << QVariant(qint64(2)) << QVariant(qint64(2));
    QTest::newRow("reset: no \"v\"") << QString(OVCFGPenKey) << QString(OVCFGPenKeyUp) << QVariant()
                                     << QVariant();
}

void TestStoreVariant::forwardedRecords()
{
    QFETCH(QString, category);
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QVariant, sent);

    Pair pair;
    pair.settingsStore.updateConfiguration(category, key, value);
    pair.drain();

    QCOMPARE(pair.posted.size(), 1);
    const Notification &n = pair.posted.first();
    QCOMPARE(n.name, QString(OVCFGDNotification));
    QVERIFY(n.object.isNull());
    QCOMPARE(n.userInfo.keys(), QStringList { tevraM() });
    const QVariantMap record = n.userInfo.value(tevraM()).toMap();
    QCOMPARE(record.value(QStringLiteral("c")), QVariant(category));
    QCOMPARE(record.value(QStringLiteral("k")), QVariant(key));
    QCOMPARE(record.contains(QStringLiteral("v")), sent.isValid());
    if (sent.isValid())
        QVERIFY(sameTypedValue(record.value(QStringLiteral("v")), sent));
    // The settings application announces nothing locally for a change.
    QVERIFY(pair.localNotices.isEmpty());
    // The driver's copy took it with its type (when the model has the category).
    const QVariant applied = pair.driverStore.queryConfiguration(category, key);
    if (pair.driverStore.configurationList()->contains(category))
        QVERIFY(sent.isValid() ? sameTypedValue(applied, sent) : !applied.isValid());
    else
        QVERIFY(!applied.isValid());
}

void TestStoreVariant::importNoticesInOrder()
{
    Pair pair;
    pair.settingsStore.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(4));
    const QString path = m_files.filePath(QStringLiteral("import.ovcfg"));
    QVERIFY(pair.settingsStore.saveConfiguration(path, true));
    pair.settingsStore.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(7));
    pair.drain();
    QCOMPARE(pair.driverStore.queryConfiguration(OVCFGPenKey, OVCFGPenKeyUp), QVariant(qint64(7)));
    pair.posted.clear();

    QVERIFY(pair.settingsStore.loadConfiguration(path, true));
    // The driver is told at once; the pages' notice waits for the next turn.
    QCOMPARE(pair.posted.size(), 1);
    QCOMPARE(pair.posted.first().name, QString(OVCFGIDNotification));
    QCOMPARE(pair.posted.first().userInfo, (QVariantMap { { tevraM(), path } }));
    QVERIFY(pair.localNotices.isEmpty());

    pair.settingsSim.runLoop.drain();
    QCOMPARE(pair.localNotices.size(), 1);
    QVERIFY(pair.localNotices.first().object.isNull());
    QVERIFY(pair.localNotices.first().userInfo.isEmpty());
    QCOMPARE(pair.posted.size(), 1);

    QCOMPARE(pair.settingsStore.queryConfiguration(OVCFGPenKey, OVCFGPenKeyUp), QVariant(qint64(4)));
    QVERIFY(!pair.settingsStore.configurationList()->contains(OVCFGVPID));
    // The driver imported the same file into its own copy.
    pair.driverSim.runLoop.drain();
    QCOMPARE(pair.driverStore.queryConfiguration(OVCFGPenKey, OVCFGPenKeyUp), QVariant(qint64(4)));
}

// A file exported by the driver's copy of a pen display (or by an earlier
// version) carries its matrices and edge readings; the settings copy stores
// the rest of it, the driver's copy all of it.
void TestStoreVariant::importLeavesCalibrationToTheDriver()
{
    const QString key = devKeyFor(Model::Sorvi22);
    Pair pair(key);
    const QVariantMap own { { QStringLiteral("A"), 1.5 }, { QStringLiteral("B"), 0.0 },
        { QStringLiteral("C"), 2.0 }, { QStringLiteral("D"), 0.0 }, { QStringLiteral("E"), 1.0 },
        { QStringLiteral("F"), -3.0 } };
    QVariantMap calib = pair.driverStore.queryConfiguration(OVCFGMonitor, OVCFGMonitorCalib).toMap();
    QVERIFY(!calib.isEmpty());
    calib.insert(OVCFGMonitorCalibZDCus, own);
    pair.driverStore.updateConfiguration(OVCFGMonitor, OVCFGMonitorCalib, calib);
    for (const QLatin1String edge : { OVCFGMonitorCalibMINXCus, OVCFGMonitorCalibMINYCus,
             OVCFGMonitorCalibMAXXCus, OVCFGMonitorCalibMAXYCus })
        pair.driverStore.updateConfiguration(OVCFGMonitor, edge, QStringLiteral("{3, 4}"));
    pair.driverStore.updateConfiguration(OVCFGMonitor, OVCFGMonitorName, QStringLiteral("SV22"));
    const QString path = m_files.filePath(QStringLiteral("pen display.ovcfg"));
    QVERIFY(pair.driverStore.saveConfiguration(path, true));
    pair.drain();

    QVERIFY(pair.settingsStore.loadConfiguration(path, true));
    pair.drain();
    const QVariantMap monitor = pair.settingsStore.configurationList()->value(OVCFGMonitor).toMap();
    QCOMPARE(monitor.value(OVCFGMonitorName), QVariant(QStringLiteral("SV22")));
    for (const QLatin1String entry : { OVCFGMonitorCalib, OVCFGMonitorCalibMINX, OVCFGMonitorCalibMINY,
             OVCFGMonitorCalibMAXX, OVCFGMonitorCalibMAXY, OVCFGMonitorCalibMINXCus, OVCFGMonitorCalibMINYCus,
             OVCFGMonitorCalibMAXXCus, OVCFGMonitorCalibMAXYCus })
        QVERIFY2(!monitor.contains(entry), entry.data());
    // The driver's copy took the same file whole.
    QCOMPARE(pair.driverStore.queryConfiguration(OVCFGMonitor, OVCFGMonitorCalib).toMap().value(
                 OVCFGMonitorCalibZDCus),
        QVariant(own));
    QCOMPARE(pair.driverStore.queryConfiguration(OVCFGMonitor, OVCFGMonitorCalibMAXYCus),
        QVariant(QStringLiteral("{3, 4}")));
}

void TestStoreVariant::failedImportShowsAlert_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content"); // empty: no file at all

    auto plist = [](const QVariantMap &map) {
        return platform::plist::write(QVariant(map), platform::plist::Format::Binary).value_or(QByteArray());
    };
    const QVariantMap pen { { QString(OVCFGPenKey), QVariantMap { { QString(OVCFGPenKeyUp), qint64(9) } } } };
    QVariantMap foreign = pen;
    foreign.insert(OVCFGVPID, devKeyFor(Model::Sorvi16Pro));
    QTest::newRow("another device's file") << "foreign.ovcfg" << plist(foreign);
    QTest::newRow("no device key") << "nokey.ovcfg" << plist(pen);
    QTest::newRow("not a property list") << "garbage.ovcfg" << QByteArray("not a property list");
    QTest::newRow("missing file") << "missing.ovcfg" << QByteArray();
}

void TestStoreVariant::failedImportShowsAlert()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);

    const QString path = m_files.filePath(fileName);
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    Pair pair;
    pair.settingsStore.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(3));
    pair.drain();
    pair.posted.clear();
    const QVariantMap before = pair.settingsStore.configurationList().value();
    const int writesBefore = pair.settingsSim.files.writeCount();

    AlertCatcher catcher;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^%1: cannot import ").arg(tevraM())));
    QVERIFY(!pair.settingsStore.loadConfiguration(path, true));
    // The alert runs after the current event, not inside the import.
    QVERIFY(catcher.seen.isEmpty());
    pair.settingsSim.runLoop.drain();

    QCOMPARE(catcher.seen.size(), 1);
    const platform::Strings &strings = pair.settingsSim.platform().strings;
    QCOMPARE(catcher.seen.first().text, strings.text(QStringLiteral("OVS_AT_IC")));
    QVERIFY(!catcher.seen.first().text.isEmpty());
    QCOMPARE(catcher.seen.first().title, strings.text(QStringLiteral("OVS_AL_TT")));
    QCOMPARE(catcher.seen.first().modalDepth, 1);

    QVERIFY(pair.posted.isEmpty());
    QVERIFY(pair.localNotices.isEmpty());
    QCOMPARE(pair.settingsStore.configurationList().value(), before);
    // The save of the change before is still the only one pending.
    pair.settingsSim.runLoop.advance(3.1);
    QCOMPARE(pair.settingsSim.files.writeCount(), writesBefore + 1);
}

QTEST_MAIN(TestStoreVariant)
#include "tst_storevariant.moc"
