#include <cmath>
#include <limits>
#include <system_error>
#include <thread>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "platform/files.h"
#include "platform/plist.h"
#include "platform/sim/simplatform.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "store/ovrecttext.h"

using platform::Notification;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using store::OVPublicObject;
using store::StoreVariant;
using namespace store;

namespace {

const QString kDriverId = QStringLiteral("com.orvane.OrvaneTabletDriver");
const QString kSettingId = QStringLiteral("com.orvane.OrvaneTabletSetting");
const QString kImportErrorText = QStringLiteral("This file cannot be imported for this device.");

// The local "OVCFGNotification"s a device service would see.
struct NoticeLog
{
    explicit NoticeLog(platform::NotificationCenter &center)
    {
        center.observe(
            OVCFGNotification, this, [this](const Notification &n) { userInfos.append(n.userInfo); });
    }
    QList<QVariantMap> userInfos;
};

// Every file the simulated process writes, with the clock at the write.
struct WriteLog
{
    struct Write
    {
        QString path;
        QByteArray bytes;
        double at;
    };
    explicit WriteLog(SimPlatform &sim)
    {
        sim.files.setHook([this, &sim](const QString &path, const QByteArray &bytes) {
            writes.append(Write { path, bytes, sim.runLoop.now() });
        });
    }
    QList<Write> writes;
};

QVariantMap parseMap(const QByteArray &bytes)
{
    const auto value = platform::plist::parse(bytes);
    return value ? value->toMap() : QVariantMap();
}

QVariantMap readPlist(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseMap(file.readAll());
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writePlist(const QString &path, const QVariant &value, platform::plist::Format format)
{
    const auto bytes = platform::plist::write(value, format);
    return bytes && writeBytes(path, *bytes);
}

// Equal values of equal types at every level: a bool must not come back as
// an integer, an integer not as a real.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() == QMetaType::QVariantMap) {
        const QVariantMap ma = a.toMap(), mb = b.toMap();
        if (ma.keys() != mb.keys())
            return false;
        for (auto it = ma.cbegin(); it != ma.cend(); ++it) {
            if (!sameValue(it.value(), mb.value(it.key())))
                return false;
        }
        return true;
    }
    if (a.typeId() == QMetaType::QVariantList) {
        const QVariantList la = a.toList(), lb = b.toList();
        if (la.size() != lb.size())
            return false;
        for (qsizetype i = 0; i < la.size(); ++i) {
            if (!sameValue(la[i], lb[i]))
                return false;
        }
        return true;
    }
    return a == b;
}

QVariantList twelveKeys()
{
    return { QString(OVCFGDegree), QString(OVCFGPressure), QString(OVCFGTips), QString(OVCFGKeyFun),
        QString(OVCFGBezier), QString(OVCFGCoordinateMode), QString(OVCFGTrackingSpeed),
        QString(OVCFGMonitorMap), QString(OVCFGMonitorFrame), QString(OVCFGMonitorNumber),
        QString(OVCFGTabletMap), QString(OVCFGTabletFrame) };
}

// A change as the settings application, or anyone else on the bus, sends it.
Notification changeNotice(
    const QString &devKey, const QString &category, const QString &key, const QVariant &value)
{
    return Notification { QString(OVCFGDNotification), QString(),
        { { devKey,
            QVariantMap { { QStringLiteral("c"), category }, { QStringLiteral("k"), key },
                { QStringLiteral("v"), value } } } } };
}

void expectBandLog()
{
    // The defaults are made before any configuration exists.
    QTest::ignoreMessage(QtInfoMsg, "There is no mmap_num");
}

} // namespace

class TestPublicObject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void loadWithoutFile();
    void loadOwnFile();
    void unreadableOwnFile_data();
    void unreadableOwnFile();
    void coalescedSave();
    void cleanupWritesPendingChange();
    void noNoticeAfterCleanup();
    void announceRule_data();
    void announceRule();
    void removeAndRecords_data();
    void removeAndRecords();
    void categoryMissing();
    void refusedRecords_data();
    void refusedRecords();
    void refusedValues();
    void schemaOfValues_data();
    void schemaOfValues();
    void ownFileLeavesOutBrokenValues();
    void oversizedChangeAndImport_data();
    void oversizedChangeAndImport();
    void linkedOwnFile_data();
    void linkedOwnFile();
    void nilCategoryOrKey();
    void importFailures_data();
    void importFailures();
    void importFromSettingsNotice();
    void penDisplayPatch_data();
    void penDisplayPatch();
    void exportImportRoundTrip();
    void writeFailures();
    void supportDirectory_data();
    void supportDirectory();
    void saveOffMainThread();
    void settingsVariant();
    void perModelFacts();

private:
    QTemporaryDir m_resources;
    QTemporaryDir m_files;
};

void TestPublicObject::initTestCase()
{
    // A string table of our own, so the alert text is known.
    QVERIFY(m_resources.isValid());
    QVERIFY(QDir().mkpath(m_resources.path() + QStringLiteral("/strings/en")));
    QVERIFY(writeBytes(m_resources.path() + QStringLiteral("/strings/en/Localizable.json"),
        QByteArray("{\"OVS_AT_IC\": \"") + kImportErrorText.toUtf8() + "\"}"));
    qputenv("OV_RESOURCES", QFile::encodeName(m_resources.path()));
}

void TestPublicObject::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestPublicObject::loadWithoutFile()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    WriteLog writes(sim);
    OVPublicObject store(sim.platform(), kDevKeyTevraN4());

    expectBandLog();
    QVERIFY(store.loadConfiguration(QString(), false));
    // The device service may register in the same turn as the load.
    NoticeLog notices(sim.local);
    QVERIFY(notices.userInfos.isEmpty());
    QVERIFY(sim.runLoop.runNext());
    QCOMPARE(notices.userInfos.size(), 1);
    QCOMPARE(notices.userInfos.first(), (QVariantMap { { kDevKeyTevraN4(), twelveKeys() } }));

    // The defaults of a Tevra N4: no express keys, no wheel, the 16:9 band.
    const QVariantMap configuration = store.configurationList().value();
    QVERIFY(configuration.value(OVCFGBoardKey).toMap().isEmpty());
    QVERIFY(!configuration.contains(OVCFGWheelKey));
    QCOMPARE(rectFromString(store.queryConfiguration(OVCFGTablet, OVCFGTabletFrame).toString()),
        QRectF(0, 0.375, 4, 2.25));
    QCOMPARE(store.queryConfiguration(OVCFGPenKey, OVCFGPenKeyUpDef), QVariant(qint64(2)));

    // Written 3 s later, as XML, without a device key.
    sim.runLoop.advance(2.9);
    QVERIFY(writes.writes.isEmpty());
    sim.runLoop.advance(0.2);
    QCOMPARE(writes.writes.size(), 1);
    QCOMPARE(
        writes.writes[0].path, sim.platform().dataFolder + QStringLiteral("/.OVCFGS_") + kDevKeyTevraN4());
    QVERIFY(writes.writes[0].bytes.startsWith("<?xml"));
    const QVariantMap onDisk = parseMap(writes.writes[0].bytes);
    QVERIFY(!onDisk.contains(OVCFGVPID));
    QVERIFY(sameValue(onDisk, configuration));
    QCOMPARE(notices.userInfos.size(), 1);
}

void TestPublicObject::loadOwnFile()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    const QVariantMap content { { QString(OVCFGPenKey), QVariantMap { { QString(OVCFGDegree), qint64(2) } } },
        { QString(OVCFGTablet), QVariantMap() } };
    QVERIFY(writePlist(sim.platform().dataFolder + QStringLiteral("/.OVCFGS_") + kDevKeyTevraM(), content,
        platform::plist::Format::Xml));
    NoticeLog notices(sim.local);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());

    QVERIFY(store.loadConfiguration(QString(), false));
    QVERIFY(sameValue(store.configurationList().value(), content));
    QVERIFY(notices.userInfos.isEmpty());
    sim.runLoop.advance(10);
    QCOMPARE(notices.userInfos.size(), 1);
    QCOMPARE(notices.userInfos.first().value(kDevKeyTevraM()), QVariant(twelveKeys()));
    // A load is no change: nothing is written back.
    QCOMPARE(sim.files.writeCount(), 0);
}

void TestPublicObject::unreadableOwnFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind"); // 0 bytes as given, 1 a folder, 2 oversized
    QTest::addColumn<QString>("logPattern");

    const auto xml = [](const QVariant &v) {
        return platform::plist::write(v, platform::plist::Format::Xml).value_or(QByteArray());
    };
    QTest::newRow("garbage") << QByteArray("this is no property list") << 0 << QStringLiteral(".+");
    QTest::newRow("truncated xml") << xml(QVariantMap { { QStringLiteral("a"), 1 } }).left(40) << 0
                                   << QStringLiteral(".+");
    QTest::newRow("root is an array")
        << xml(QVariantList { 1, 2 }) << 0 << QStringLiteral(": the root is not a dictionary$");
    QTest::newRow("category is a string")
        << xml(QVariantMap { { QString(OVCFGPenKey), QStringLiteral("x") } }) << 0
        << QStringLiteral(": a category is not a dictionary$");
    QTest::newRow("folder in its place") << QByteArray() << 1 << QStringLiteral(": not a regular file$");
    QTest::newRow("oversized") << QByteArray() << 2 << QStringLiteral(": larger than \\d+ bytes$");
}

void TestPublicObject::unreadableOwnFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(QString, logPattern);

    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    const QString path = sim.platform().dataFolder + QStringLiteral("/.OVCFGS_") + kDevKeyTevraN4();
    if (kind == 0) {
        QVERIFY(writeBytes(path, bytes));
    } else if (kind == 1) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(platform::kMaxReadBytes + 1));
    }
    const QByteArray before = QFileInfo(path).isFile() && kind == 0 ? bytes : QByteArray();
    NoticeLog notices(sim.local);
    OVPublicObject store(sim.platform(), kDevKeyTevraN4());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(logPattern));
    QVERIFY(!store.loadConfiguration(QString(), false));
    QVERIFY(!store.configurationList().has_value());
    QVERIFY(!store.queryConfiguration(OVCFGPenKey, OVCFGDegree).isValid());

    // Updates are kept in memory only and never replace the unreadable file.
    QTest::ignoreMessage(QtWarningMsg,
        QRegularExpression(QStringLiteral("^")
            + QRegularExpression::escape(
                kDevKeyTevraN4() + ": cannot save configuration: " + path + " could not be read (")
            + QStringLiteral(".+\\); the change is kept in memory only$")));
    store.updateConfiguration(OVCFGTablet, OVCFGTabletMap, qint64(1));
    QCOMPARE(store.queryConfiguration(OVCFGTablet, OVCFGTabletMap), QVariant(qint64(1)));
    sim.runLoop.advance(10);
    QCOMPARE(sim.files.writeCount(), 0);
    if (kind == 0) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
    // The tablet-area notice of the update is the only one: no load notice.
    QCOMPARE(notices.userInfos.size(), 1);
    QCOMPARE(notices.userInfos.first().value(kDevKeyTevraN4()),
        QVariant(QVariantList { QString(OVCFGTabletMap) }));

    // A successful import replaces the unreadable file (a folder stays one).
    if (kind == 1)
        return;
    const QString importPath = m_files.path() + QStringLiteral("/over-unreadable.ovcfg");
    QVERIFY(writePlist(importPath,
        QVariantMap { { QString(OVCFGVPID), kDevKeyTevraN4() },
            { QString(OVCFGTablet), QVariantMap { { QString(OVCFGTabletMap), qint64(0) } } } },
        platform::plist::Format::Binary));
    QVERIFY(store.loadConfiguration(importPath, true));
    sim.runLoop.advance(3);
    QCOMPARE(sim.files.writeCount(), 1);
    QCOMPARE(readPlist(path).value(OVCFGTablet).toMap().value(OVCFGTabletMap), QVariant(qint64(0)));
}

void TestPublicObject::coalescedSave()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    WriteLog writes(sim);

    const double start = sim.runLoop.now();
    store.updateConfiguration(OVCFGPenKey, OVCFGDegree, qint64(1));
    sim.runLoop.advance(2);
    store.updateConfiguration(OVCFGTablet, OVCFGTabletMap, qint64(1));
    sim.runLoop.advance(2.9);
    QVERIFY(writes.writes.isEmpty());
    sim.runLoop.advance(0.2);
    QCOMPARE(writes.writes.size(), 1);
    QCOMPARE(writes.writes[0].at, start + 5.0);
    const QVariantMap onDisk = parseMap(writes.writes[0].bytes);
    QCOMPARE(onDisk.value(OVCFGPenKey).toMap().value(OVCFGDegree), QVariant(qint64(1)));
    QCOMPARE(onDisk.value(OVCFGTablet).toMap().value(OVCFGTabletMap), QVariant(qint64(1)));
    sim.runLoop.advance(10);
    QCOMPARE(writes.writes.size(), 1);
}

void TestPublicObject::cleanupWritesPendingChange()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    auto store = std::make_unique<OVPublicObject>(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store->loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    const int before = sim.files.writeCount();
    const QString path = store->cfgFilePath();

    store->updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(4));
    sim.runLoop.advance(1);
    QCOMPARE(sim.files.writeCount(), before);
    store->cleanup();
    QCOMPARE(sim.files.writeCount(), before + 1);
    QCOMPARE(readPlist(path).value(OVCFGPenKey).toMap().value(OVCFGPenKeyUp), QVariant(qint64(4)));
    QVERIFY(store->devKey().isEmpty());
    QVERIFY(!sim.distributed.hasObservers(OVCFGDNotification));
    QVERIFY(!sim.distributed.hasObservers(OVCFGIDNotification));

    // With nothing pending, a second cleanup and the release write nothing.
    store->cleanup();
    store.reset();
    sim.runLoop.advance(10);
    QCOMPARE(sim.files.writeCount(), before + 1);
}

void TestPublicObject::noNoticeAfterCleanup()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    SimPlatform settings(bus, kSettingId);
    NoticeLog notices(sim.local);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    // The device goes away in the same turn as its load.
    store.cleanup();
    settings.distributed.post(OVCFGDNotification, QString(),
        { { kDevKeyTevraM(),
            QVariantMap { { QStringLiteral("c"), QString(OVCFGTablet) },
                { QStringLiteral("k"), QString(OVCFGTabletMap) }, { QStringLiteral("v"), qint64(1) } } } });
    sim.runLoop.advance(10);
    QVERIFY(notices.userInfos.isEmpty());

    // An update through a stale pointer neither announces nor writes.
    const int writes = sim.files.writeCount();
    QTest::ignoreMessage(QtWarningMsg, "cannot save configuration: the store has no device key");
    store.updateConfiguration(OVCFGTablet, OVCFGTabletMap, qint64(1));
    sim.runLoop.advance(10);
    QVERIFY(notices.userInfos.isEmpty());
    QCOMPARE(sim.files.writeCount(), writes);
}

void TestPublicObject::announceRule_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("announced");

    QTest::newRow("pen button") << QString(OVCFGPenKey) << QString(OVCFGPenKeyUp) << QVariant(qint64(1))
                                << false;
    QTest::newRow("pen custom action")
        << QString(OVCFGPenKey) << QString(OVCFGPenKeyDownCus)
        << QVariant(QVariantMap { { QString(OVCFGPenKeyCus), qint64(2) } }) << false;
    QTest::newRow("express key") << QString(OVCFGBoardKey) << QString(OVCFGBoardKey1) << QVariant(qint64(11))
                                 << false;
    QTest::newRow("per-application sets")
        << QString(OVCFGBKApp) << QString(OVCFGBKAppOptions) << QVariant(QVariantMap()) << false;
    QTest::newRow("degree") << QString(OVCFGPenKey) << QString(OVCFGDegree) << QVariant(qint64(3)) << true;
    QTest::newRow("pressure") << QString(OVCFGPenKey) << QString(OVCFGPressure) << QVariant(false) << true;
    QTest::newRow("tips") << QString(OVCFGPenKey) << QString(OVCFGTips) << QVariant(false) << true;
    QTest::newRow("key function") << QString(OVCFGPenKey) << QString(OVCFGKeyFun) << QVariant(false) << true;
    QTest::newRow("bezier") << QString(OVCFGPenKey) << QString(OVCFGBezier) << QVariant(QVariantMap())
                            << true;
    QTest::newRow("coordinate mode") << QString(OVCFGPenKey) << QString(OVCFGCoordinateMode)
                                     << QVariant(qint64(1)) << true;
    QTest::newRow("tracking speed") << QString(OVCFGPenKey) << QString(OVCFGTrackingSpeed) << QVariant(1.5)
                                    << true;
    QTest::newRow("tablet frame") << QString(OVCFGTablet) << QString(OVCFGTabletFrame)
                                  << QVariant(QStringLiteral("{{0, 0}, {1, 1}}")) << true;
    QTest::newRow("monitor, any key")
        << QString(OVCFGMonitor) << QStringLiteral("SomethingNew") << QVariant(qint64(1)) << true;
}

void TestPublicObject::announceRule()
{
    QFETCH(QString, category);
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(bool, announced);

    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    NoticeLog notices(sim.local);
    WriteLog writes(sim);

    store.updateConfiguration(category, key, value);
    // Synchronous, so the device service reloads before the next report.
    if (announced) {
        QCOMPARE(notices.userInfos.size(), 1);
        QCOMPARE(notices.userInfos.first(), (QVariantMap { { kDevKeyTevraM(), QVariantList { key } } }));
    } else {
        QVERIFY(notices.userInfos.isEmpty());
    }
    QCOMPARE(store.queryConfiguration(category, key), value);
    sim.runLoop.advance(3);
    QCOMPARE(writes.writes.size(), 1);
    QVERIFY(sameValue(parseMap(writes.writes[0].bytes).value(category).toMap().value(key), value));
    QCOMPARE(notices.userInfos.size(), announced ? 1 : 0);
}

void TestPublicObject::removeAndRecords_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<bool>("direct");
    QTest::addColumn<QVariantMap>("record");
    QTest::addColumn<QVariant>("expected");

    const QVariantMap base { { QStringLiteral("c"), QString(OVCFGPenKey) },
        { QStringLiteral("k"), QString(OVCFGPenKeyUp) } };
    QVariantMap withValue = base;
    withValue.insert(QStringLiteral("v"), qint64(4));

    QTest::newRow("update with nil") << kDevKeyTevraM() << true << QVariantMap() << QVariant();
    QTest::newRow("record without v") << kDevKeyTevraM() << false << base << QVariant();
    QTest::newRow("record with v") << kDevKeyTevraM() << false << withValue << QVariant(qint64(4));
    QTest::newRow("record of another device") << kDevKeyTevraS() << false << base << QVariant(qint64(1));
}

void TestPublicObject::removeAndRecords()
{
    QFETCH(QString, devKey);
    QFETCH(bool, direct);
    QFETCH(QVariantMap, record);
    QFETCH(QVariant, expected);

    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    SimPlatform settings(bus, kSettingId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    store.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(1));
    sim.runLoop.advance(3);
    const int writes = sim.files.writeCount();

    if (direct)
        store.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, QVariant());
    else
        settings.distributed.post(OVCFGDNotification, QString(), { { devKey, record } });
    sim.runLoop.advance(3);

    QCOMPARE(store.queryConfiguration(OVCFGPenKey, OVCFGPenKeyUp), expected);
    const bool changed = expected != QVariant(qint64(1));
    QCOMPARE(
        store.configurationList()->value(OVCFGPenKey).toMap().contains(OVCFGPenKeyUp), expected.isValid());
    if (changed) {
        QCOMPARE(sim.files.writeCount(), writes + 1);
        QCOMPARE(readPlist(store.cfgFilePath()).value(OVCFGPenKey).toMap().value(OVCFGPenKeyUp), expected);
    } else {
        QCOMPARE(sim.files.writeCount(), writes);
    }
}

void TestPublicObject::categoryMissing()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject plain(sim.platform(), kDevKeyTevraN4());
    OVPublicObject wheel(sim.platform(), kDevKeyKalverinS());
    expectBandLog();
    plain.loadConfiguration(QString(), false);
    expectBandLog();
    wheel.loadConfiguration(QString(), false);

    const QVariantMap before = plain.configurationList().value();
    plain.updateConfiguration(OVCFGWheelKey, OVCFGWheelKey1, qint64(5));
    wheel.updateConfiguration(OVCFGWheelKey, OVCFGWheelKey1, qint64(5));
    QVERIFY(!plain.queryConfiguration(OVCFGWheelKey, OVCFGWheelKey1).isValid());
    QVERIFY(sameValue(plain.configurationList().value(), before));
    QCOMPARE(wheel.queryConfiguration(OVCFGWheelKey, OVCFGWheelKey1), QVariant(qint64(5)));
    sim.runLoop.advance(3);
    QVERIFY(!readPlist(plain.cfgFilePath()).contains(OVCFGWheelKey));
}

void TestPublicObject::refusedRecords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("payload");
    QTest::addColumn<QString>("log");

    const QString key = kDevKeyTevraM();
    QTest::newRow("record is a string") << QString(OVCFGDNotification) << QVariant(QStringLiteral("x"))
                                        << key + ": cannot apply change: the record is not a dictionary";
    QTest::newRow("record is an array") << QString(OVCFGDNotification) << QVariant(QVariantList { 1 })
                                        << key + ": cannot apply change: the record is not a dictionary";
    QTest::newRow("record without c")
        << QString(OVCFGDNotification)
        << QVariant(
               QVariantMap { { QStringLiteral("k"), QString(OVCFGTabletMap) }, { QStringLiteral("v"), 1 } })
        << key + ": cannot apply change: the record has no string \"c\" and \"k\"";
    QTest::newRow("k is a number") << QString(OVCFGDNotification)
                                   << QVariant(QVariantMap { { QStringLiteral("c"), QString(OVCFGTablet) },
                                          { QStringLiteral("k"), 7 } })
                                   << key + ": cannot apply change: the record has no string \"c\" and \"k\"";
    QTest::newRow("import path is a number")
        << QString(OVCFGIDNotification) << QVariant(qint64(5))
        << key + ": cannot import configuration: the path is not a string";
    QTest::newRow("import path is a dictionary")
        << QString(OVCFGIDNotification) << QVariant(QVariantMap())
        << key + ": cannot import configuration: the path is not a string";
}

void TestPublicObject::refusedRecords()
{
    QFETCH(QString, name);
    QFETCH(QVariant, payload);
    QFETCH(QString, log);

    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    const QVariantMap before = store.configurationList().value();
    const int writes = sim.files.writeCount();
    NoticeLog notices(sim.local);

    QTest::ignoreMessage(QtWarningMsg, qPrintable(log));
    bus.inject(Notification { name, QString(), { { kDevKeyTevraM(), payload } } });
    sim.runLoop.advance(10);

    QVERIFY(sameValue(store.configurationList().value(), before));
    QCOMPARE(sim.files.writeCount(), writes);
    QVERIFY(notices.userInfos.isEmpty());
    QVERIFY(sim.alerts.shown().empty());
}

void TestPublicObject::refusedValues()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    const QVariantMap before = store.configurationList().value();
    const int writes = sim.files.writeCount();
    NoticeLog notices(sim.local);

    QTest::ignoreMessage(QtWarningMsg,
        QRegularExpression(QStringLiteral("^") + kDevKeyTevraM()
            + QStringLiteral(": cannot update OVCFGTablet/OVCFGTabletFrame: "
                             "not a property-list value")));
    store.updateConfiguration(OVCFGTablet, OVCFGTabletFrame, QVariant(QRectF(0, 0, 1, 1)));
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral(": cannot update OVCFGPenKey/OVCFGBezier: ")));
    store.updateConfiguration(
        OVCFGPenKey, OVCFGBezier, QVariantMap { { QString(OVCFGBezierP1), QVariant(QPointF(1, 1)) } });
    sim.runLoop.advance(10);
    QVERIFY(sameValue(store.configurationList().value(), before));
    QVERIFY(notices.userInfos.isEmpty());
    QCOMPARE(sim.files.writeCount(), writes);

    // The store still saves: the refused values never reached it.
    store.updateConfiguration(OVCFGTablet, OVCFGTabletMap, qint64(1));
    sim.runLoop.advance(3);
    QCOMPARE(sim.files.writeCount(), writes + 1);
    // A float is kept as the double a file gives back.
    store.updateConfiguration(OVCFGPenKey, OVCFGTrackingSpeed, QVariant(1.25f));
    QCOMPARE(store.queryConfiguration(OVCFGPenKey, OVCFGTrackingSpeed).typeId(), int(QMetaType::Double));
}

void TestPublicObject::schemaOfValues_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("why"); // empty: kept

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QVariantMap matrix { { QStringLiteral("A"), 1.0 }, { QStringLiteral("B"), 0.0 },
        { QStringLiteral("C"), qint64(-5) }, { QStringLiteral("D"), 0.0 }, { QStringLiteral("E"), 1.0 },
        { QStringLiteral("F"), 0.5 } };
    QVariantMap shortOfF = matrix;
    shortOfF.remove(QStringLiteral("F"));
    QVariantMap nanC = matrix;
    nanC.insert(QStringLiteral("C"), nan);
    const QString pen = OVCFGPenKey, monitor = OVCFGMonitor;
    auto row
        = [](const char *name, const QString &category, const QString &key, const QVariant &value,
              const QString &why = QString()) { QTest::newRow(name) << category << key << value << why; };

    // What any process on the bus could send.
    row("degree infinite", pen, OVCFGDegree, inf, "not an unsigned integer");
    row("degree 4", pen, OVCFGDegree, qint64(4), "not 0 to 3");
    row("degree negative", pen, OVCFGDegree, qint64(-1), "not an unsigned integer");
    row("degree as a real", pen, OVCFGDegree, 1.0, "not an unsigned integer");
    row("degree as a Boolean", pen, OVCFGDegree, true, "not an unsigned integer");
    row("tracking speed NaN", pen, OVCFGTrackingSpeed, nan, "not a finite number");
    row("tracking speed infinite", pen, OVCFGTrackingSpeed, -inf, "not a finite number");
    row("pressure as a number", pen, OVCFGPressure, qint64(1), "not a Boolean");
    row("button a text", pen, OVCFGPenKeyUp, QStringLiteral("2"), "not an unsigned integer");
    row("curve point not a point", pen, OVCFGBezier,
        QVariantMap { { QString(OVCFGBezierP1), QStringLiteral("x") } },
        "OVCFGBezierP1: not a point \"{x, y}\"");
    row("custom action without kind", pen, OVCFGPenKeyUpCus,
        QVariantMap { { QString(OVCFGPenKeyCusAlias), QStringLiteral("a") } }, "no OVCFGPenKeyCus");
    row("recorded key code a text", OVCFGBoardKey, OVCFGBoardKey1Cus,
        QVariantMap { { QString(OVCFGPenKeyCus), qint64(1) },
            { QString(OVCFGPenKeyCusCusHotKey),
                QVariantMap { { QString(kRecorderKeyCode), QStringLiteral("a") } } } },
        "OVCFGPenKeyCusCusHotKey: keyCode: not an integer");
    row("express-key set not a dictionary", OVCFGBKApp, OVCFGBKAppOptions,
        QVariantMap { { QStringLiteral("Gimp"), qint64(5) } }, "\"Gimp\": not a dictionary");
    row("wheel slot of a set a text", OVCFGRKApp, OVCFGRKAppOptions,
        QVariantMap {
            { QStringLiteral("Krita"), QVariantMap { { QString(OVCFGRKAppCur), QStringLiteral("2") } } } },
        "\"Krita\": OVCFGRKAppCur: not an integer");
    row("wheel function a list", OVCFGWheelKey, OVCFGWheelKeyN(3) + QStringLiteral("Cus"), QVariantList { 1 },
        "not a dictionary");
    row("monitor map a dictionary", monitor, OVCFGMonitorMap, QVariantMap { { QStringLiteral("a"), 1 } },
        "not an unsigned integer");
    row("display number beyond 32 bits", monitor, OVCFGMonitorNumber, qint64(1) << 32, "not 0 to 4294967295");
    row("display names a number", monitor, OVCFGMonitorName, qint64(5), "not a string");
    row("calibration of another shape", monitor, OVCFGMonitorCalib,
        QVariantMap { { QStringLiteral("x"), QVariantList { 1 } } }, "\"x\" does not belong here");
    row("calibration short of a coefficient", monitor, OVCFGMonitorCalib,
        QVariantMap { { QString(OVCFGMonitorCalibZD), shortOfF } }, "OVCFGMonitorCalibZD: no F");
    row("calibration coefficient NaN", monitor, OVCFGMonitorCalib,
        QVariantMap { { QString(OVCFGMonitorCalibZDCus), nanC } },
        "OVCFGMonitorCalibZDCus: C: not a finite number");
    row("edge reading not finite", monitor, OVCFGMonitorCalibMINX, QStringLiteral("{0, nan}"),
        "not a point \"{x, y}\"");
    row("monitor frame a point", monitor, OVCFGMonitorFrame, QStringLiteral("{1, 2}"),
        "not a rectangle \"{{x, y}, {w, h}}\"");
    row("tablet frame a number", OVCFGTablet, OVCFGTabletFrame, 3.0, "not a rectangle \"{{x, y}, {w, h}}\"");

    // Kept as before.
    row("degree 3", pen, OVCFGDegree, qint64(3));
    row("tracking speed an integer", pen, OVCFGTrackingSpeed, qint64(2));
    row("user calibration", monitor, OVCFGMonitorCalib,
        QVariantMap { { QString(OVCFGMonitorCalibNDCus), matrix } });
    row("custom action of a kind to come", pen, OVCFGPenKeyDownCus,
        QVariantMap { { QString(OVCFGPenKeyCus), qint64(9) }, { QStringLiteral("Later"), true } });
    row("wheel set", OVCFGRKApp, OVCFGRKAppOptions,
        QVariantMap { { QStringLiteral("Krita"),
            QVariantMap { { QString(OVCFGRKAppCur), qint64(1) },
                { OVCFGWheelKeyN(2) + QStringLiteral("Cus"),
                    QVariantMap { { QString(OVCFGRKeyCusCusCWHK),
                        QVariantMap { { QString(kRecorderKeyCode), qint64(30) },
                            { QString(kRecorderModifierFlags), qint64(0x100000) } } } } } } } });
    row("unknown key takes any value", pen, QStringLiteral("SomethingNew"), inf);
    row("express key 11 is no known key", OVCFGBoardKey, QStringLiteral("OVCFGBoardKey11"),
        QStringLiteral("x"));
}

void TestPublicObject::schemaOfValues()
{
    QFETCH(QString, category);
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QString, why);

    // The driver's copy takes it from the bus, the settings application's
    // from its pages; both refuse the same values.
    for (const StoreVariant variant : { StoreVariant::Driver, StoreVariant::Settings }) {
        SimBus bus;
        SimPlatform sim(bus, variant == StoreVariant::Driver ? kDriverId : kSettingId);
        QList<Notification> posted;
        bus.setPostHook([&posted](const auto &, const Notification &n) { posted.append(n); });
        OVPublicObject store(sim.platform(), kDevKeyKalverinS(), variant);
        expectBandLog();
        store.loadConfiguration(QString(), false);
        sim.runLoop.advance(3);
        const QVariantMap before = store.configurationList().value();
        QFile file(store.cfgFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray fileBefore = file.readAll();
        const int writes = sim.files.writeCount();
        NoticeLog notices(sim.local);

        if (!why.isEmpty()) {
            QTest::ignoreMessage(QtWarningMsg,
                qPrintable(kDevKeyKalverinS() + QStringLiteral(": cannot update ") + category
                    + QLatin1Char('/') + key + QStringLiteral(": ") + why));
        }
        if (variant == StoreVariant::Driver) {
            bus.inject(changeNotice(kDevKeyKalverinS(), category, key, value));
        } else {
            store.updateConfiguration(category, key, value);
        }
        sim.runLoop.advance(10);

        if (why.isEmpty()) {
            QVERIFY(sameValue(store.queryConfiguration(category, key), value));
            QCOMPARE(sim.files.writeCount(), writes + 1);
            continue;
        }
        QVERIFY(sameValue(store.configurationList().value(), before));
        QCOMPARE(sim.files.writeCount(), writes);
        QVERIFY(file.seek(0));
        QCOMPARE(file.readAll(), fileBefore);
        QVERIFY(notices.userInfos.isEmpty());
        // Not even forwarded to the driver.
        QVERIFY(posted.isEmpty());
    }
}

void TestPublicObject::ownFileLeavesOutBrokenValues()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    // As an older version may have saved it.
    const QVariantMap content {
        { QString(OVCFGPenKey),
            QVariantMap { { QString(OVCFGDegree), std::numeric_limits<double>::infinity() },
                { QString(OVCFGTips), false }, { QStringLiteral("SomethingNew"), qint64(-1) } } },
        { QString(OVCFGMonitor),
            QVariantMap {
                { QString(OVCFGMonitorCalib), QVariantMap { { QStringLiteral("x"), QVariantList { 1 } } } },
                { QString(OVCFGMonitorMap), qint64(2) } } }
    };
    const QString path = sim.platform().dataFolder + QStringLiteral("/.OVCFGS_") + kDevKeySorvi22();
    QVERIFY(writePlist(path, content, platform::plist::Format::Xml));
    OVPublicObject store(sim.platform(), kDevKeySorvi22());

    const QString prefix = kDevKeySorvi22() + QStringLiteral(": cannot load ");
    QTest::ignoreMessage(QtWarningMsg,
        qPrintable(prefix + QStringLiteral("OVCFGMonitor/OVCFGMonitorCalib from ") + path
            + QStringLiteral(": \"x\" does not belong here; left out")));
    QTest::ignoreMessage(QtWarningMsg,
        qPrintable(prefix + QStringLiteral("OVCFGPenKey/OVCFGDegree from ") + path
            + QStringLiteral(": not an unsigned integer; left out")));
    QVERIFY(store.loadConfiguration(QString(), false));
    // The rest of the user's settings stay.
    QCOMPARE(store.queryConfiguration(OVCFGPenKey, OVCFGTips), QVariant(false));
    QCOMPARE(store.queryConfiguration(OVCFGPenKey, QStringLiteral("SomethingNew")), QVariant(qint64(-1)));
    QCOMPARE(store.queryConfiguration(OVCFGMonitor, OVCFGMonitorMap), QVariant(qint64(2)));
    QVERIFY(!store.queryConfiguration(OVCFGPenKey, OVCFGDegree).isValid());
    QVERIFY(!store.queryConfiguration(OVCFGMonitor, OVCFGMonitorCalib).isValid());
    sim.runLoop.advance(10);
    QCOMPARE(sim.files.writeCount(), 0);
}

void TestPublicObject::oversizedChangeAndImport_data()
{
    QTest::addColumn<QString>("key"); // of "OVCFGMonitor"
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("why");

    // 6.5 MB of data is 8.7 MB as base64 in XML: beyond what a load reads,
    // as 1.7 MB of "&" is once escaped.
    QTest::newRow("larger than a load reads")
        << QStringLiteral("Blob") << QVariant(QByteArray(6500 * 1000, 'x'))
        << QStringLiteral("the configuration would take \\d+ bytes, more than the %1 a load reads")
               .arg(kMaxConfigurationBytes);
    // Short, but its entity references would keep the next load busy.
    QTest::newRow("slower than a load reads")
        << QString(OVCFGMonitorName) << QVariant(QString(40 * 1000, QLatin1Char('&')))
        << QStringLiteral("the file would not be read back: .* entity references .*");
}

void TestPublicObject::oversizedChangeAndImport()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QString, why);

    QTemporaryDir dataFolder;
    {
        SimBus bus;
        SimPlatform sim(bus, kDriverId, dataFolder.path());
        OVPublicObject store(sim.platform(), kDevKeyTevraM());
        expectBandLog();
        store.loadConfiguration(QString(), false);
        store.updateConfiguration(OVCFGPenKey, OVCFGTips, false);
        sim.runLoop.advance(3);
        const QVariantMap before = store.configurationList().value();
        const int writes = sim.files.writeCount();
        NoticeLog notices(sim.local);

        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("^") + kDevKeyTevraM()
                + QStringLiteral(": cannot update OVCFGMonitor/") + key + QStringLiteral(": ") + why
                + QLatin1Char('$')));
        bus.inject(changeNotice(kDevKeyTevraM(), OVCFGMonitor, key, value));
        sim.runLoop.advance(10);
        QVERIFY(sameValue(store.configurationList().value(), before));
        QCOMPARE(sim.files.writeCount(), writes);
        QVERIFY(notices.userInfos.isEmpty());

        // The same as an import: the binary file is one an import reads, the
        // own file it would make is not.
        QVariantMap file = before;
        QVariantMap monitor = file.value(OVCFGMonitor).toMap();
        monitor.insert(key, value);
        file.insert(OVCFGMonitor, monitor);
        file.insert(OVCFGVPID, kDevKeyTevraM());
        const QString path = dataFolder.filePath(QStringLiteral("oversized.ovcfg"));
        QVERIFY(writePlist(path, file, platform::plist::Format::Binary));
        QVERIFY(QFileInfo(path).size() < kMaxConfigurationBytes);
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("^") + kDevKeyTevraM() + QStringLiteral(": cannot import ")
                + QRegularExpression::escape(path) + QStringLiteral(": ") + why + QLatin1Char('$')));
        QVERIFY(!store.loadConfiguration(path, true));
        sim.runLoop.advance(10);
        QCOMPARE(sim.alerts.shown().size(), size_t(1));
        QVERIFY(sameValue(store.configurationList().value(), before));
        QCOMPARE(sim.files.writeCount(), writes);
    }
    // The next start finds the earlier configuration.
    SimBus bus;
    SimPlatform sim(bus, kDriverId, dataFolder.path());
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    QVERIFY(store.loadConfiguration(QString(), false));
    QCOMPARE(store.queryConfiguration(OVCFGPenKey, OVCFGTips), QVariant(false));
}

void TestPublicObject::linkedOwnFile_data()
{
    QTest::addColumn<bool>("dangling");
    QTest::newRow("link to another file") << false;
    QTest::newRow("dangling link") << true;
}

void TestPublicObject::linkedOwnFile()
{
    QFETCH(bool, dangling);

    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    const QString own = sim.platform().dataFolder + QStringLiteral("/.OVCFGS_") + kDevKeyTevraM();
    const QString target = m_files.path() + QStringLiteral("/link-target-") + QString::number(dangling);
    QFile::remove(target);
    const QVariantMap content { { QString(OVCFGPenKey),
        QVariantMap { { QString(OVCFGDegree), qint64(2) } } } };
    if (!dangling)
        QVERIFY(writePlist(target, content, platform::plist::Format::Xml));
    QVERIFY(QFile::link(target, own));
    const QByteArray targetBefore = dangling ? QByteArray() : [&] {
        QFile file(target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    if (dangling)
        expectBandLog();
    QVERIFY(store.loadConfiguration(QString(), false));
    // A link is read through: its file is the configuration.
    if (!dangling)
        QCOMPARE(store.queryConfiguration(OVCFGPenKey, OVCFGDegree), QVariant(qint64(2)));
    store.updateConfiguration(OVCFGPenKey, OVCFGDegree, qint64(1));
    sim.runLoop.advance(3);

    // The save replaced the link with a file of its own.
    QVERIFY(!QFileInfo(own).isSymLink());
    QCOMPARE(readPlist(own).value(OVCFGPenKey).toMap().value(OVCFGDegree), QVariant(qint64(1)));
    if (dangling) {
        QVERIFY(!QFileInfo::exists(target));
    } else {
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), targetBefore);
    }
}

void TestPublicObject::nilCategoryOrKey()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    const int writes = sim.files.writeCount();
    NoticeLog notices(sim.local);

    QTest::ignoreMessage(QtWarningMsg, "query: category or key is nil");
    QVERIFY(!store.queryConfiguration(QString(), OVCFGDegree).isValid());
    QTest::ignoreMessage(QtWarningMsg, "query: category or key is nil");
    QVERIFY(!store.queryConfiguration(OVCFGPenKey, QString()).isValid());
    QTest::ignoreMessage(QtWarningMsg, "update: category or key is nil");
    store.updateConfiguration(QString(), OVCFGTabletMap, qint64(1));
    QTest::ignoreMessage(QtWarningMsg, "update: category or key is nil");
    store.updateConfiguration(OVCFGTablet, QString(), qint64(1));
    sim.runLoop.advance(10);
    QCOMPARE(sim.files.writeCount(), writes);
    QVERIFY(notices.userInfos.isEmpty());
    // A missing category or key is no fault.
    QVERIFY(!store.queryConfiguration(QStringLiteral("NoSuchCategory"), OVCFGDegree).isValid());
    QVERIFY(!store.queryConfiguration(OVCFGPenKey, QStringLiteral("NoSuchKey")).isValid());
}

void TestPublicObject::importFailures_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVariant>("content");
    QTest::addColumn<QString>("why");

    enum { Plist, Bytes, Fifo, Folder, Oversized, Missing };
    const QVariantMap tablet { { QString(OVCFGTablet),
        QVariantMap { { QString(OVCFGTabletMap), qint64(1) } } } };
    QVariantMap foreign = tablet;
    foreign.insert(OVCFGVPID, kDevKeyTevraS());
    QVariantMap numberKey = tablet;
    numberKey.insert(OVCFGVPID, qint64(42));
    QVariantMap badCategory { { QString(OVCFGVPID), kDevKeyTevraM() }, { QString(OVCFGTablet), qint64(1) } };

    QTest::newRow("another device") << int(Plist) << QVariant(foreign)
                                    << QStringLiteral("the file belongs to device ") + kDevKeyTevraS();
    QTest::newRow("no OVCFGVPID") << int(Plist) << QVariant(tablet)
                                  << QStringLiteral("no device key in the file");
    QTest::newRow("OVCFGVPID not a string")
        << int(Plist) << QVariant(numberKey) << QStringLiteral("no device key in the file");
    QTest::newRow("root is an array") << int(Plist) << QVariant(QVariantList { QString(kDevKeyTevraM()) })
                                      << QStringLiteral("the root is not a dictionary");
    QTest::newRow("category is a number")
        << int(Plist) << QVariant(badCategory) << QStringLiteral("a category is not a dictionary");
    QVariantMap badValue { { QString(OVCFGVPID), kDevKeyTevraM() },
        { QString(OVCFGTablet), QVariantMap { { QString(OVCFGTabletMap), qint64(-1) } } } };
    QTest::newRow("a value breaks the schema") << int(
        Plist) << QVariant(badValue) << QStringLiteral("OVCFGTablet/OVCFGTabletMap: not an unsigned integer");
    QTest::newRow("garbage") << int(Bytes) << QVariant(QByteArray("bplist00 but not really")) << QString();
    QTest::newRow("empty file") << int(Bytes) << QVariant(QByteArray()) << QString();
    QTest::newRow("fifo") << int(Fifo) << QVariant() << QStringLiteral("not a regular file");
    QTest::newRow("folder") << int(Folder) << QVariant() << QStringLiteral("not a regular file");
    QTest::newRow("oversized") << int(Oversized) << QVariant()
                               << QStringLiteral("larger than %1 bytes").arg(platform::kMaxReadBytes);
    QTest::newRow("missing") << int(Missing) << QVariant() << QStringLiteral("no such file");
}

void TestPublicObject::importFailures()
{
    QFETCH(int, kind);
    QFETCH(QVariant, content);
    QFETCH(QString, why);

    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    const QVariantMap before = store.configurationList().value();
    const int writes = sim.files.writeCount();
    NoticeLog notices(sim.local);

    const QString path
        = m_files.path() + QStringLiteral("/import-") + QString::fromLatin1(QTest::currentDataTag());
    QFile::remove(path);
    switch (kind) {
    case 0:
        QVERIFY(writePlist(path, content, platform::plist::Format::Binary));
        break;
    case 1:
        QVERIFY(writeBytes(path, content.toByteArray()));
        break;
    case 2:
        if (QProcess::execute(QStringLiteral("mkfifo"), { path }) != 0)
            QSKIP("mkfifo is not available");
        break;
    case 3:
        QVERIFY(QDir().mkpath(path));
        break;
    case 4: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(platform::kMaxReadBytes + 1));
        break;
    }
    default:
        break;
    }

    const QString prefix = kDevKeyTevraM() + QStringLiteral(": cannot import ") + path + QStringLiteral(": ");
    if (why.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(prefix) + ".+"));
    else
        QTest::ignoreMessage(QtWarningMsg, qPrintable(prefix + why));
    QVERIFY(!store.loadConfiguration(path, true));
    // The alert comes after the current event.
    QVERIFY(sim.alerts.shown().empty());
    sim.runLoop.advance(10);
    QCOMPARE(sim.alerts.shown().size(), size_t(1));
    QCOMPARE(sim.alerts.shown()[0].title, kImportErrorText);
    QCOMPARE(sim.alerts.shown()[0].buttons, QStringList { QStringLiteral("OK") });

    QVERIFY(sameValue(store.configurationList().value(), before));
    QCOMPARE(sim.files.writeCount(), writes);
    QVERIFY(notices.userInfos.isEmpty());

    const StoreError error = store.importError();
    QCOMPARE(error.domain, QStringLiteral("OVErrorDomain"));
    QCOMPARE(error.code, -1);
    QCOMPARE(error.localizedDescription, kImportErrorText);
}

void TestPublicObject::importFromSettingsNotice()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    SimPlatform settings(bus, kSettingId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    OVPublicObject other(sim.platform(), kDevKeyTevraS());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    expectBandLog();
    other.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    NoticeLog notices(sim.local);

    QVariantMap file = store.configurationList().value();
    QVariantMap pen = file.value(OVCFGPenKey).toMap();
    pen.insert(OVCFGDegree, qint64(3));
    file.insert(OVCFGPenKey, pen);
    file.insert(OVCFGVPID, kDevKeyTevraM());
    const QString path = m_files.path() + QStringLiteral("/from-settings.ovcfg");
    QVERIFY(writePlist(path, file, platform::plist::Format::Binary));
    const QVariantMap otherBefore = other.configurationList().value();

    settings.distributed.post(OVCFGIDNotification, QString(), { { kDevKeyTevraM(), path } });
    sim.runLoop.drain();
    QCOMPARE(store.queryConfiguration(OVCFGPenKey, OVCFGDegree), QVariant(qint64(3)));
    QVERIFY(!store.configurationList()->contains(OVCFGVPID));
    QVERIFY(sameValue(other.configurationList().value(), otherBefore));
    QCOMPARE(notices.userInfos.size(), 1);
    QCOMPARE(notices.userInfos.first(), (QVariantMap { { kDevKeyTevraM(), twelveKeys() } }));

    // The import is saved to the own file, without the device key.
    sim.runLoop.advance(3);
    const QVariantMap onDisk = readPlist(store.cfgFilePath());
    QVERIFY(!onDisk.contains(OVCFGVPID));
    QCOMPARE(onDisk.value(OVCFGPenKey).toMap().value(OVCFGDegree), QVariant(qint64(3)));
    QVERIFY(sim.alerts.shown().empty());
}

void TestPublicObject::penDisplayPatch_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<bool>("fileHasEdges");
    QTest::addColumn<bool>("patched");

    QTest::newRow("pen display, file without edges") << kDevKeySorvi16Pro() << false << true;
    QTest::newRow("pen display, file with edges") << kDevKeySorvi16Pro() << true << false;
    QTest::newRow("plain tablet") << kDevKeyTevraM() << false << false;
}

void TestPublicObject::penDisplayPatch()
{
    QFETCH(QString, devKey);
    QFETCH(bool, fileHasEdges);
    QFETCH(bool, patched);

    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    SimPlatform settings(bus, kSettingId);
    // The settings application's copy holds no calibration; the driver's does.
    OVPublicObject source(fileHasEdges ? sim.platform() : settings.platform(), devKey,
        fileHasEdges ? StoreVariant::Driver : StoreVariant::Settings);
    expectBandLog();
    source.loadConfiguration(QString(), false);
    if (fileHasEdges) {
        // The user's own calibration must survive the import too.
        source.updateConfiguration(OVCFGMonitor, OVCFGMonitorCalibMINXCus, QStringLiteral("{3, 4}"));
    }
    const QString path
        = m_files.path() + QStringLiteral("/patch-") + QString::fromLatin1(QTest::currentDataTag());
    QVERIFY(source.saveConfiguration(path, true));
    const QVariantMap sourceMonitor = source.configurationList()->value(OVCFGMonitor).toMap();
    QCOMPARE(sourceMonitor.contains(OVCFGMonitorCalibMINX), fileHasEdges);

    SimPlatform driver(bus, kDriverId);
    OVPublicObject store(driver.platform(), devKey);
    QVERIFY(store.loadConfiguration(path, true));
    const QVariantMap monitor = store.configurationList()->value(OVCFGMonitor).toMap();
    if (!patched) {
        QVERIFY(sameValue(monitor, sourceMonitor));
        return;
    }
    // Only the 0-degree matrix (the Sorvi 16Pro's import row: integers
    // 1, 0, 0, 0, 1, 0) and the factory edge readings are added.
    const QVariantMap calib = monitor.value(OVCFGMonitorCalib).toMap();
    QCOMPARE(calib.keys(), QStringList { QString(OVCFGMonitorCalibZD) });
    const QVariantMap zd = calib.value(OVCFGMonitorCalibZD).toMap();
    const QVariantMap expectedZd { { QStringLiteral("A"), qint64(1) }, { QStringLiteral("B"), qint64(0) },
        { QStringLiteral("C"), qint64(0) }, { QStringLiteral("D"), qint64(0) },
        { QStringLiteral("E"), qint64(1) }, { QStringLiteral("F"), qint64(0) } };
    QVERIFY(sameValue(zd, expectedZd));
    QCOMPARE(pointFromString(monitor.value(OVCFGMonitorCalibMINX).toString()), QPointF(0, 0));
    QCOMPARE(pointFromString(monitor.value(OVCFGMonitorCalibMINY).toString()), QPointF(0, 0));
    QCOMPARE(pointFromString(monitor.value(OVCFGMonitorCalibMAXX).toString()), QPointF(267, 232));
    QCOMPARE(pointFromString(monitor.value(OVCFGMonitorCalibMAXY).toString()), QPointF(151, 64));
    // The rest of the category is the file's.
    QCOMPARE(monitor.value(OVCFGMonitorMap), sourceMonitor.value(OVCFGMonitorMap));
    QCOMPARE(monitor.value(OVCFGMonitorName), sourceMonitor.value(OVCFGMonitorName));
    driver.runLoop.advance(3);
    QVERIFY(sameValue(readPlist(store.cfgFilePath()).value(OVCFGMonitor), monitor));
}

void TestPublicObject::exportImportRoundTrip()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyKalverinS());
    expectBandLog();
    store.loadConfiguration(QString(), false);

    const QVariantMap nested { { QStringLiteral("list"),
                                   QVariantList { qint64(1), QStringLiteral("two"), 3.5, true } },
        { QStringLiteral("map"), QVariantMap { { QStringLiteral("deep"), qint64(-7) } } } };
    store.updateConfiguration(OVCFGPenKey, OVCFGPressure, false);
    store.updateConfiguration(OVCFGPenKey, OVCFGDegree, qint64(3));
    store.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, quint64(4));
    store.updateConfiguration(OVCFGPenKey, OVCFGTrackingSpeed, 0.1);
    // Under keys the schema does not know, which take any value.
    store.updateConfiguration(OVCFGPenKey, QStringLiteral("Nested"), nested);
    store.updateConfiguration(OVCFGWheelKey, OVCFGWheelKeyCur, qint64(-2));
    store.updateConfiguration(OVCFGMonitor, OVCFGMonitorNumber, qint64(4294967295LL));
    store.updateConfiguration(OVCFGTablet, OVCFGTabletFrame, QStringLiteral("{{0.1, 0.2}, {3, 4.5}}"));
    store.updateConfiguration(OVCFGBKApp, QStringLiteral("Data"), QByteArray("\x00\x01\xff", 3));

    const QString path = m_files.path() + QStringLiteral("/round.ovcfg");
    QVERIFY(store.saveConfiguration(path, true));
    QFile exported(path);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray exportBytes = exported.readAll();
    QVERIFY(exportBytes.startsWith("bplist00"));
    QVariantMap fromExport = parseMap(exportBytes);
    QCOMPARE(fromExport.value(OVCFGVPID), QVariant(kDevKeyKalverinS()));
    fromExport.remove(OVCFGVPID);
    QVERIFY(sameValue(fromExport, store.configurationList().value()));

    // The own file keeps every type too, and never holds the key.
    sim.runLoop.advance(3);
    const QVariantMap own = readPlist(store.cfgFilePath());
    QVERIFY(!own.contains(OVCFGVPID));
    QVERIFY(sameValue(own, store.configurationList().value()));

    // Another copy of the same device imports it exactly.
    SimPlatform second(bus, kDriverId);
    OVPublicObject copy(second.platform(), kDevKeyKalverinS());
    QVERIFY(copy.loadConfiguration(path, true));
    QVERIFY(sameValue(copy.configurationList().value(), store.configurationList().value()));
    QVERIFY(!copy.configurationList()->contains(OVCFGVPID));
}

void TestPublicObject::writeFailures()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);

    sim.files.setFailure(QStringLiteral("No space left on device"));
    const QString path = m_files.path() + QStringLiteral("/full.ovcfg");
    QTest::ignoreMessage(QtWarningMsg,
        qPrintable(kDevKeyTevraM() + QStringLiteral(": cannot write ") + path
            + QStringLiteral(": No space left on device")));
    QVERIFY(!store.saveConfiguration(path, true));

    store.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(1));
    QTest::ignoreMessage(QtWarningMsg,
        qPrintable(kDevKeyTevraM() + QStringLiteral(": cannot write ") + store.cfgFilePath()
            + QStringLiteral(": No space left on device")));
    sim.runLoop.advance(3);
    QVERIFY(!QFile::exists(path));

    // No configuration: nothing to export.
    OVPublicObject empty(sim.platform(), kDevKeyTevraS());
    QTest::ignoreMessage(QtWarningMsg,
        qPrintable(kDevKeyTevraS() + QStringLiteral(": cannot export ") + path
            + QStringLiteral(": no configuration is loaded")));
    QVERIFY(!empty.saveConfiguration(path, true));
}

void TestPublicObject::supportDirectory_data()
{
    QTest::addColumn<int>("before"); // 0 nothing, 1 a file, 2 a folder, 3 a dangling link, 4 below a file
    QTest::addColumn<bool>("isFolder");

    QTest::newRow("missing") << 0 << true;
    QTest::newRow("file in the way") << 1 << true;
    QTest::newRow("folder") << 2 << true;
    QTest::newRow("dangling link in the way") << 3 << true;
    QTest::newRow("cannot be created") << 4 << false;
}

void TestPublicObject::supportDirectory()
{
    QFETCH(int, before);
    QFETCH(bool, isFolder);

    QTemporaryDir root;
    QString folder = root.path() + QStringLiteral("/a/b/") + kDriverId;
    if (before == 1) {
        QVERIFY(QDir().mkpath(root.path() + QStringLiteral("/a/b")));
        QVERIFY(writeBytes(folder, "in the way"));
    } else if (before == 2) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeBytes(folder + QStringLiteral("/.OVCFGS_x"), "kept"));
    } else if (before == 3) {
        QVERIFY(QDir().mkpath(root.path() + QStringLiteral("/a/b")));
        QVERIFY(QFile::link(root.path() + QStringLiteral("/nowhere"), folder));
    } else if (before == 4) {
        QVERIFY(writeBytes(root.path() + QStringLiteral("/a"), "a file"));
    }

    SimBus bus;
    SimPlatform sim(bus, kDriverId, folder);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    if (!isFolder) {
        // The reason is the whole line.
        QTest::ignoreMessage(
            QtWarningMsg, std::make_error_code(std::errc::not_a_directory).message().c_str());
    }
    QCOMPARE(store.supportDirectory(), folder);
    QCOMPARE(QFileInfo(folder).isDir(), isFolder);
    if (before == 2)
        QVERIFY(QFile::exists(folder + QStringLiteral("/.OVCFGS_x")));
    if (isFolder)
        QCOMPARE(store.cfgFilePath(), folder + QStringLiteral("/.OVCFGS_") + kDevKeyTevraM());
}

void TestPublicObject::saveOffMainThread()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject store(sim.platform(), kDevKeyTevraM());
    expectBandLog();
    store.loadConfiguration(QString(), false);
    sim.runLoop.advance(3);
    const int writes = sim.files.writeCount();

    QTest::ignoreMessage(QtWarningMsg, "warnning: save in background thread");
    bool scheduled = false;
    std::thread worker([&] { scheduled = store.saveConfiguration(QString(), false); });
    worker.join();
    QVERIFY(scheduled);
    sim.runLoop.advance(2.9);
    QCOMPARE(sim.files.writeCount(), writes);
    sim.runLoop.advance(0.2);
    QCOMPARE(sim.files.writeCount(), writes + 1);
}

void TestPublicObject::settingsVariant()
{
    SimBus bus;
    SimPlatform driverSim(bus, kDriverId);
    SimPlatform settingsSim(bus, kSettingId);
    OVPublicObject driver(driverSim.platform(), kDevKeySorvi16Pro());
    OVPublicObject settings(settingsSim.platform(), kDevKeySorvi16Pro(), StoreVariant::Settings);
    NoticeLog settingsNotices(settingsSim.local);
    QStringList driverReceived;
    driverSim.distributed.observe(OVCFGDNotification, &driverReceived,
        [&](const Notification &n) { driverReceived.append(n.userInfo.firstKey()); });

    expectBandLog();
    QVERIFY(driver.loadConfiguration(QString(), false));
    expectBandLog();
    QVERIFY(settings.loadConfiguration(QString(), false));
    QVERIFY(!settingsSim.distributed.hasObservers(OVCFGDNotification));
    // No calibration in the settings application's copy, and no load notice.
    const QVariantMap monitor = settings.configurationList()->value(OVCFGMonitor).toMap();
    QVERIFY(!monitor.contains(OVCFGMonitorCalib));
    QVERIFY(!monitor.contains(OVCFGMonitorCalibMINX));
    QCOMPARE(monitor.value(OVCFGMonitorMap), QVariant(qint64(2)));
    QVERIFY(driver.configurationList()->value(OVCFGMonitor).toMap().contains(OVCFGMonitorCalib));
    QCOMPARE(settings.cfgFilePath(),
        settingsSim.platform().dataFolder + QStringLiteral("/.OVCFGC_") + kDevKeySorvi16Pro());

    // Every change is forwarded; the driver's copy applies it.
    settings.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(4));
    driverSim.runLoop.drain();
    settingsSim.runLoop.drain();
    QCOMPARE(driver.queryConfiguration(OVCFGPenKey, OVCFGPenKeyUp), QVariant(qint64(4)));
    settings.updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, QVariant());
    driverSim.runLoop.drain();
    QVERIFY(!driver.queryConfiguration(OVCFGPenKey, OVCFGPenKeyUp).isValid());
    QCOMPARE(driverReceived.size(), 2);
    QVERIFY(settingsNotices.userInfos.isEmpty());

    // A successful import is handed to the driver, which imports the same file.
    QVariantMap file = settings.configurationList().value();
    QVariantMap tablet = file.value(OVCFGTablet).toMap();
    tablet.insert(OVCFGTabletMap, qint64(1));
    file.insert(OVCFGTablet, tablet);
    file.insert(OVCFGVPID, kDevKeySorvi16Pro());
    const QString path = m_files.path() + QStringLiteral("/settings-import.ovcfg");
    QVERIFY(writePlist(path, file, platform::plist::Format::Binary));
    QVERIFY(settings.loadConfiguration(path, true));
    QVERIFY(!settings.configurationList()->value(OVCFGMonitor).toMap().contains(OVCFGMonitorCalib));
    settingsSim.runLoop.drain();
    QCOMPARE(settingsNotices.userInfos.size(), 1);
    QVERIFY(settingsNotices.userInfos.first().isEmpty());
    driverSim.runLoop.drain();
    QCOMPARE(driver.queryConfiguration(OVCFGTablet, OVCFGTabletMap), QVariant(qint64(1)));
    // The driver patched its copy with the 0-degree calibration.
    QVERIFY(driver.configurationList()->value(OVCFGMonitor).toMap().contains(OVCFGMonitorCalibMINX));

    // The settings application's alert window takes over import errors.
    QStringList presented;
    settings.setErrorPresenter(
        [&](const StoreError &error) { presented.append(error.localizedDescription); });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(": cannot import ")));
    QVERIFY(!settings.loadConfiguration(m_files.path() + QStringLiteral("/none.ovcfg"), true));
    settingsSim.runLoop.drain();
    QCOMPARE(presented, QStringList { kImportErrorText });
    QVERIFY(settingsSim.alerts.shown().empty());
}

void TestPublicObject::perModelFacts()
{
    SimBus bus;
    SimPlatform sim(bus, kDriverId);
    OVPublicObject n4(sim.platform(), kDevKeyTevraN4());
    OVPublicObject kalverinS(sim.platform(), kDevKeyKalverinS());

    QCOMPARE(n4.widthInch(), 4.0f);
    QCOMPARE(n4.heightInch(), 3.0f);
    QCOMPARE(n4.fullRectInch(), QRectF(0, 0, 4, 3));
    double edge = -1, slen = -1, dlen = -1;
    n4.tabletViewEdge(&edge, &slen, &dlen);
    QCOMPARE(edge, double(0.04f));
    QCOMPARE(slen, double(0.11f));
    QCOMPARE(dlen, double(0.15f));
    QCOMPARE(n4.penImageName(), QStringLiteral("Pen_TevraN4_N7_N7B.png"));
    QVERIFY(n4.wheelImageName().isNull());
    QCOMPARE(n4.penViewXIBName(), QStringLiteral("PenViewCtrl_TevraN4_N7_N7B"));
    QCOMPARE(kalverinS.boardViewXIBName(), QStringLiteral("BoardViewCtrlKalverinS"));

    // The firmware flag is read at every call.
    QCOMPARE(kalverinS.widthPortion(), 67.5f);
    sim.defaults.setValue(KalverinSIs115, true);
    QCOMPARE(kalverinS.widthPortion(), 112.5f);
    QCOMPARE(kalverinS.heightPortion(), 62.2f);

    // The area follows the screens of the platform: one 1920 x 1080 screen
    // with map 0 gives the top-aligned band, a portrait one the right-aligned
    // full height.
    expectBandLog();
    n4.loadConfiguration(QString(), false);
    sim.displays.setDisplay(platform::DisplayInfo { 1, QRectF(0, 0, 1920, 1080), QStringLiteral("A"), true });
    QCOMPARE(n4.ratioRectInch(), QRectF(0, 0.75, 4, 2.25));
    sim.displays.setDisplay(platform::DisplayInfo { 1, QRectF(0, 0, 1080, 1920), QStringLiteral("A"), true });
    QCOMPARE(n4.ratioRectInch(), QRectF(2.3125, 0, 1.6875, 3));
}

QTEST_GUILESS_MAIN(TestPublicObject)
#include "tst_publicobject.moc"
