#include <QRegularExpression>
#include <QTest>

#include "driver/appdelegate.h"
#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "platform/eventposter.h"
#include "platform/sim/simplatform.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

using namespace platform;
using namespace platform::sim;
using store::Model;

Q_DECLARE_METATYPE(Model)

namespace {

const QString kGuideCN = QStringLiteral(
    "/Applications/OrvaneTablet/OrvaneTabletSetting.app/Contents/Resources/MacOS_Setup_CN.pdf");
const QString kGuideEn = QStringLiteral(
    "/Applications/OrvaneTablet/OrvaneTabletSetting.app/Contents/Resources/MacOS_Setup_En.pdf");

QVariantMap pair(qint64 page, qint64 usage = 1)
{
    return QVariantMap { { QLatin1String(kHidDeviceUsagePage), page },
        { QLatin1String(kHidDeviceUsage), usage } };
}

// One HID interface of a model. pairs: an invalid QVariant leaves the
// property out.
QVariantMap iface(
    Model model, qint64 page, const QVariant &pairs = QVariant(), const QString &product = QString())
{
    const store::ModelRow &row = store::rowFor(model);
    QVariantMap props { { QLatin1String(kHidVendorID), row.vendorId },
        { QLatin1String(kHidProductID), row.productId }, { QLatin1String(kHidPrimaryUsagePage), page },
        { QLatin1String(kHidPrimaryUsage), 1 } };
    if (pairs.isValid())
        props.insert(QLatin1String(kHidDeviceUsagePairs), pairs);
    if (!product.isNull())
        props.insert(QLatin1String(kHidProduct), product);
    return props;
}

VendorProduct vendorProduct(Model model)
{
    const store::ModelRow &row = store::rowFor(model);
    return VendorProduct { row.vendorId, row.productId };
}

// One simulated driver process with what it posts on the bus.
struct Driver
{
    SimBus bus;
    SimPlatform sim { bus, QLatin1String(kDriverBundleId) };
    driver::AppDelegate delegate { sim.platform() };
    QList<Notification> posts;
    QStringList exits;

    Driver()
    {
        bus.setPostHook([this](const SimDistributedCenter &, const Notification &n) { posts << n; });
        delegate.setTerminationHandler([this](const QString &reason) { exits << reason; });
    }
    // Launch, then the delegate's and the manager's turns.
    void start()
    {
        delegate.applicationDidFinishLaunching();
        sim.runLoop.drain();
    }
    QList<QVariantMap> responses() const
    {
        QList<QVariantMap> list;
        for (const Notification &n : posts) {
            if (n.name == store::OVCFGResponseDNotification)
                list << n.userInfo;
        }
        return list;
    }
    int postsNamed(const QString &name) const
    {
        int count = 0;
        for (const Notification &n : posts)
            count += n.name == name ? 1 : 0;
        return count;
    }
    driver::OVManager &manager() { return *delegate.manager(); }
};

} // namespace

class TestManager : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void plugAndUnplug();
    void requestWithoutDevice();
    void binding_data();
    void binding();
    void plugLines_data();
    void plugLines();
    void currentDevice();
    void firmwarePathKeptAcrossRemoval();
    void reconnectReadsNewestStore();
    void secondDeviceOfSameModel();
    void openResults_data();
    void openResults();
    void fatalAlertOnSecondManager();
    void tapFailure();
    void secondCopy_data();
    void secondCopy();
    void modifierTracking_data();
    void modifierTracking();
    void diagnosticsRequest();
    void termination();
};

void TestManager::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestManager::plugAndUnplug()
{
    Driver d;
    d.start();
    const QString key = store::devKeyFor(Model::TevraM);

    // The generic-desktop interface comes first: service and store, no notice.
    d.sim.hid.connect("mouse", iface(Model::TevraM, 0x01, QVariantList { pair(0x01, 2) }, "Tevra M"));
    d.sim.runLoop.drain();
    driver::OVService *service = d.manager().service(key);
    QVERIFY(service);
    QVERIFY(service->configMan());
    QVERIFY(service->configMan()->configurationList().has_value());
    QCOMPARE(service->pName(), QStringLiteral("Tevra M"));
    QVERIFY(d.responses().isEmpty());

    QTest::ignoreMessage(QtInfoMsg, "UsagePairs:({DeviceUsage = 1; DeviceUsagePage = 65290;})");
    QTest::ignoreMessage(QtInfoMsg, "plug in: Tevra M");
    d.sim.hid.connect("vendor", iface(Model::TevraM, 0xFF0A, QVariantList { pair(0xFF0A) }, "Tevra M"));
    d.sim.runLoop.drain();
    QCOMPARE(d.responses(), (QList<QVariantMap> { { { key, true } } }));
    QCOMPARE(d.manager().service(key), service); // the same service

    d.bus.inject(Notification { store::OVCFGRequestDNotification, {}, {} });
    d.sim.runLoop.drain();
    QCOMPARE(d.responses().last(), (QVariantMap { { key, true } }));

    // A change not yet saved: the removal writes it at once.
    service->configMan()->updateConfiguration(store::OVCFGPenKey, store::OVCFGPressure, false);
    const int writesBefore = d.sim.files.writeCount();

    // Not the interface the service holds: nothing happens.
    d.sim.hid.remove("mouse");
    d.sim.runLoop.drain();
    QCOMPARE(d.responses().size(), 2);
    QCOMPARE(d.manager().service(key), service);
    QCOMPARE(d.sim.files.writeCount(), writesBefore);

    QTest::ignoreMessage(QtInfoMsg, "unplug: Tevra M");
    d.sim.hid.remove("vendor");
    QCOMPARE(d.sim.files.writeCount(), writesBefore + 1);
    d.sim.runLoop.drain();
    QCOMPARE(d.responses().last(), (QVariantMap { { key, false } }));
    QVERIFY(!d.manager().service(key));
    QVERIFY(d.manager().services().empty());

    // The save that was pending is gone with the store.
    d.sim.runLoop.advance(5);
    QCOMPARE(d.sim.files.writeCount(), writesBefore + 1);
}

void TestManager::requestWithoutDevice()
{
    Driver d;
    d.start();
    d.bus.inject(Notification { store::OVCFGRequestDNotification, {}, {} });
    d.sim.runLoop.drain();
    QCOMPARE(d.responses(), QList<QVariantMap> { QVariantMap() });
}

void TestManager::binding_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<qint64>("page");
    QTest::addColumn<QVariant>("pairs");
    QTest::addColumn<bool>("slot0A");
    QTest::addColumn<bool>("slot0B");
    QTest::addColumn<bool>("slot0C");
    QTest::addColumn<bool>("firmwareUpdate");

    const QVariant none;
    const QVariant reportPair = QVariantList { pair(0xFF0A) };

    QTest::newRow("digitizer") << Model::TevraM << qint64(0x0D) << reportPair << false << false << false
                               << false;
    QTest::newRow("generic desktop: Sorvi10")
        << Model::Sorvi10 << qint64(0x01) << none << true << false << false << false;
    QTest::newRow("generic desktop: Sorvi 13/16")
        << Model::Sorvi1316 << qint64(0x01) << none << true << false << false << false;
    QTest::newRow("generic desktop: Sorvi 22")
        << Model::Sorvi22 << qint64(0x01) << none << true << false << false << false;
    QTest::newRow("generic desktop: Sorvi12 Pro")
        << Model::Sorvi12Pro << qint64(0x01) << reportPair << false << false << false << false;
    QTest::newRow("generic desktop: Tevra M")
        << Model::TevraM << qint64(0x01) << reportPair << false << false << false << false;
    // The page test comes before the pairs: a report pair does not count here.
    QTest::newRow("below 0xFF01") << Model::TevraM << qint64(0xFF00) << reportPair << false << false << false
                                  << false;
    QTest::newRow("0xFF07: M517 V1") << Model::M517V1 << qint64(0xFF07) << none << true << false << false
                                     << false;
    QTest::newRow("0xFF07: another model goes on to the pairs")
        << Model::TevraM << qint64(0xFF07) << reportPair << true << false << false << false;
    QTest::newRow("0xFF07: another model without pairs")
        << Model::TevraM << qint64(0xFF07) << none << false << false << false << false;
    QTest::newRow("pairs bind three slots")
        << Model::TevraM << qint64(0xFF0A)
        << QVariant(QVariantList { pair(0xFF0A), pair(0xFF0B), pair(0xFF0C) }) << true << true << true
        << false;
    QTest::newRow("pairs decide, not the page")
        << Model::TevraM << qint64(0xFF0A) << QVariant(QVariantList { pair(0xFF0B) }) << false << true
        << false << false;
    QTest::newRow("0xFF0C pair on a 0xFF0C interface: boot program")
        << Model::TevraM << qint64(0xFF0C) << QVariant(QVariantList { pair(0xFF0C) }) << false << false
        << true << true;
    QTest::newRow("0xFF0C pair on another page: application")
        << Model::TevraM << qint64(0xFF0B) << QVariant(QVariantList { pair(0xFF0C) }) << false << false
        << true << false;
    QTest::newRow("unknown pair page")
        << Model::TevraM << qint64(0xFF0A) << QVariant(QVariantList { pair(0xFF0D) }) << false << false
        << false << false;
    QTest::newRow("no pairs: 0xFF0C is the boot program")
        << Model::TevraM << qint64(0xFF0C) << none << false << false << true << true;
    QTest::newRow("empty pairs: 0xFF0C is the boot program")
        << Model::TevraM << qint64(0xFF0C) << QVariant(QVariantList {}) << false << false << true << true;
    QTest::newRow("no pairs: 0xFF0B")
        << Model::TevraM << qint64(0xFF0B) << none << false << true << false << false;
    QTest::newRow("no pairs: 0xFF0A")
        << Model::TevraM << qint64(0xFF0A) << none << true << false << false << false;
    QTest::newRow("no pairs: other vendor page")
        << Model::TevraM << qint64(0xFF0D) << none << false << false << false << false;
}

void TestManager::binding()
{
    QFETCH(Model, model);
    QFETCH(qint64, page);
    QFETCH(QVariant, pairs);
    QFETCH(bool, slot0A);
    QFETCH(bool, slot0B);
    QFETCH(bool, slot0C);
    QFETCH(bool, firmwareUpdate);

    Driver d;
    d.start();
    SimHidDevice *device = d.sim.hid.connect("i", iface(model, page, pairs, "Product"));
    d.sim.runLoop.drain();
    const QString key = store::devKeyFor(model);
    driver::OVService *service = d.manager().service(key);
    QVERIFY(service); // whatever the page

    // Only the report interface is announced.
    const QList<QVariantMap> announced
        = slot0A ? QList<QVariantMap> { QVariantMap { { key, true } } } : QList<QVariantMap>();
    QCOMPARE(d.responses(), announced);
    QCOMPARE(service->deviceRefForPup(0xFF0A) == device, slot0A);
    if (!slot0A) {
        QCOMPARE(service->deviceRefForPup(0xFF0B) == device, slot0B);
        QCOMPARE(service->deviceRefForPup(0xFF0C) == device, slot0C);
    }
    QCOMPARE(device->hasInputCallback(), slot0A || slot0B || slot0C);
    QCOMPARE(service->isFirmwareUpdate(), firmwareUpdate);
}

void TestManager::plugLines_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<qint64>("page");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("name");

    QTest::newRow("product property") << Model::Sorvi10 << qint64(0x01) << "OEM 10"
                                      << "OEM 10";
    QTest::newRow("Sorvi10 fallback") << Model::Sorvi10 << qint64(0x01) << QString() << "Sorvi 10";
    QTest::newRow("Sorvi 13/16 fallback") << Model::Sorvi1316 << qint64(0x01) << QString() << "Sorvi 16";
    QTest::newRow("Sorvi 22 fallback") << Model::Sorvi22 << qint64(0x01) << QString() << "Sorvi 22";
    QTest::newRow("Sorvi 16Pro fallback")
        << Model::Sorvi16Pro << qint64(0xFF0A) << QString() << "Sorvi 16Pro";
    QTest::newRow("Sorvi 22Pro fallback")
        << Model::Sorvi22Pro << qint64(0xFF0A) << QString() << "Sorvi 22Pro";
    QTest::newRow("no name") << Model::TevraM << qint64(0xFF0A) << QString() << "未获取到产品名称";
}

void TestManager::plugLines()
{
    QFETCH(Model, model);
    QFETCH(qint64, page);
    QFETCH(QString, product);
    QFETCH(QString, name);

    Driver d;
    d.start();
    QTest::ignoreMessage(QtInfoMsg, qPrintable(QStringLiteral("plug in: ") + name));
    d.sim.hid.connect("r", iface(model, page, QVariant(), product));
    d.sim.runLoop.drain();
    QTest::ignoreMessage(QtInfoMsg, qPrintable(QStringLiteral("unplug: ") + name));
    d.sim.hid.remove("r");
    d.sim.runLoop.drain();
    QCOMPARE(d.responses(),
        (QList<QVariantMap> {
            { { store::devKeyFor(model), true } }, { { store::devKeyFor(model), false } } }));
}

void TestManager::currentDevice()
{
    Driver d;
    d.start();
    const QString m = store::devKeyFor(Model::TevraM);
    const QString s = store::devKeyFor(Model::KalverinS);
    QVERIFY(d.manager().curDevKey().isEmpty());
    QVERIFY(!d.manager().getCurService());

    d.sim.hid.connect("m", iface(Model::TevraM, 0x0D)); // even an ignored interface
    d.sim.hid.connect("s", iface(Model::KalverinS, 0xFF0A));
    d.sim.runLoop.drain();
    QCOMPARE(d.manager().curDevKey(), m);
    QCOMPARE(d.manager().getCurService(), d.manager().service(m));

    d.bus.inject(Notification { store::OV_GetCurDevKey_Noti, s, {} });
    d.sim.runLoop.drain();
    QCOMPARE(d.manager().curDevKey(), s);
    QCOMPARE(d.manager().getCurService(), d.manager().service(s));

    // Not cleared when that device goes.
    d.sim.hid.remove("s");
    QCOMPARE(d.manager().curDevKey(), s);
    QVERIFY(!d.manager().getCurService());
}

void TestManager::firmwarePathKeptAcrossRemoval()
{
    Driver d;
    d.start();
    const QString key = store::devKeyFor(Model::KalverinS);
    d.sim.hid.connect("r", iface(Model::KalverinS, 0xFF0A));
    d.sim.runLoop.drain();
    d.manager().service(key)->setBPath(QStringLiteral("/tmp/KalverinS.bin"));
    d.sim.hid.remove("r");
    QCOMPARE(d.manager().keptFirmwarePath(key), QStringLiteral("/tmp/KalverinS.bin"));

    // The device restarts in its boot program under the same key.
    d.sim.hid.connect("boot", iface(Model::KalverinS, 0xFF0C));
    d.sim.runLoop.drain();
    driver::OVService *service = d.manager().service(key);
    QCOMPARE(service->bPath(), QStringLiteral("/tmp/KalverinS.bin"));
    QVERIFY(service->isFirmwareUpdate());

    // Gone without a path: the entry goes too.
    service->setBPath(QString());
    d.sim.hid.remove("boot");
    QVERIFY(!d.manager().service(key));
    QVERIFY(d.manager().keptFirmwarePath(key).isNull());
}

void TestManager::reconnectReadsNewestStore()
{
    Driver d;
    d.start();
    const QString key = store::devKeyFor(Model::TevraS);
    d.sim.hid.connect("r", iface(Model::TevraS, 0xFF0A));
    d.sim.runLoop.drain();
    d.manager().service(key)->configMan()->updateConfiguration(store::OVCFGPenKey, store::OVCFGTips, false);
    d.sim.hid.remove("r");
    d.sim.hid.connect("r", iface(Model::TevraS, 0xFF0A));
    d.sim.runLoop.drain();
    d.manager().service(key)->configMan()->updateConfiguration(
        store::OVCFGPenKey, store::OVCFGPressure, false);
    d.sim.runLoop.advance(3.5);
    d.sim.hid.remove("r");

    // A third store reads both changes back.
    d.sim.hid.connect("r", iface(Model::TevraS, 0xFF0A));
    d.sim.runLoop.drain();
    store::OVPublicObject *store = d.manager().service(key)->configMan();
    QCOMPARE(store->queryConfiguration(store::OVCFGPenKey, store::OVCFGTips), QVariant(false));
    QCOMPARE(store->queryConfiguration(store::OVCFGPenKey, store::OVCFGPressure), QVariant(false));
}

void TestManager::secondDeviceOfSameModel()
{
    Driver d;
    d.start();
    const QString key = store::devKeyFor(Model::TevraM);
    SimHidDevice *first = d.sim.hid.connect("first", iface(Model::TevraM, 0xFF0A));
    SimHidDevice *second = d.sim.hid.connect("second", iface(Model::TevraM, 0xFF0A));
    d.sim.runLoop.drain();
    QCOMPARE(d.manager().services().size(), size_t(1));
    QCOMPARE(d.responses().size(), 2); // each binding announces
    driver::OVService *service = d.manager().service(key);
    QCOMPARE(service->deviceRefForPup(0xFF0A), second);
    QVERIFY(first->hasInputCallback());

    // The first device goes: the service holds the second and stays.
    d.sim.hid.remove("first");
    d.sim.runLoop.drain();
    QCOMPARE(d.manager().service(key), service);
    QCOMPARE(d.responses().size(), 2);

    // The service must not touch the first device's gone interface now.
    d.sim.hid.remove("second");
    d.sim.runLoop.drain();
    QVERIFY(!d.manager().service(key));
    QCOMPARE(d.responses().last(), (QVariantMap { { key, false } }));
}

void TestManager::openResults_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QString>("titleKey");
    QTest::addColumn<QString>("messageKey");
    QTest::addColumn<QString>("guide");
    QTest::addColumn<QString>("log");

    const QString ap = QStringLiteral("OVD_AT_AP");
    const QString apm = QStringLiteral("OVD_AM_AP");
    QTest::newRow("not permitted, zh-CN")
        << hidresult::NotPermitted << QStringList { "zh-CN" } << ap << apm << kGuideCN << QString();
    QTest::newRow("not permitted, zh_TW")
        << hidresult::NotPermitted << QStringList { "zh_TW", "en" } << ap << apm << kGuideCN << QString();
    QTest::newRow("not permitted, zh-Hant-HK")
        << hidresult::NotPermitted << QStringList { "zh-Hant-HK" } << ap << apm << kGuideCN << QString();
    QTest::newRow("not permitted, en first")
        << hidresult::NotPermitted << QStringList { "en-US", "zh-CN" } << ap << apm << kGuideEn << QString();
    QTest::newRow("not permitted, no language")
        << hidresult::NotPermitted << QStringList {} << ap << apm << kGuideEn << QString();
    QTest::newRow("exclusive access") << hidresult::ExclusiveAccess << QStringList { "zh-CN" } << "OVD_AT_DC"
                                      << "OVD_AM_DC" << QString() << QString();
    QTest::newRow("not privileged") << hidresult::NotPrivileged << QStringList { "en" } << QString()
                                    << QString() << QString() << "manager open failed: privilege violation";
    QTest::newRow("other code") << hidresult::Error << QStringList { "en" } << QString() << QString()
                                << QString() << "manager open failed: 3758097084";
}

void TestManager::openResults()
{
    QFETCH(quint32, code);
    QFETCH(QStringList, languages);
    QFETCH(QString, titleKey);
    QFETCH(QString, messageKey);
    QFETCH(QString, guide);
    QFETCH(QString, log);

    Driver d;
    d.sim.hid.setOpenResult(vendorProduct(Model::TevraM), code);
    d.sim.defaults.setPreferredLanguages(languages);
    if (!log.isEmpty())
        QTest::ignoreMessage(QtInfoMsg, qPrintable(log));
    d.start();

    if (titleKey.isEmpty()) {
        // Logged only: the driver runs on with the M517 V1 manager and the tap.
        QVERIFY(d.sim.alerts.shown().empty());
        QVERIFY(d.exits.isEmpty());
        QCOMPARE(d.sim.hid.openedManagerCount(), 1);
        QCOMPARE(d.sim.hid.managerCount(), 1);
        QVERIFY(d.sim.modifierTap.isCreated());
        QCOMPARE(d.postsNamed(store::OVCFGQuitDNotification), 0);
        d.sim.hid.connect("m517", iface(Model::M517V1, 0xFF07));
        d.sim.hid.connect("tevra", iface(Model::TevraM, 0xFF0A));
        d.sim.runLoop.drain();
        QCOMPARE(d.manager().serviceKeys(), QStringList { store::devKeyFor(Model::M517V1) });
        return;
    }
    QCOMPARE(d.sim.alerts.shown().size(), size_t(1));
    const ScriptedAlerts::Shown &alert = d.sim.alerts.shown().front();
    QVERIFY(!alert.title.isEmpty());
    QCOMPARE(alert.title, d.sim.strings.text(titleKey));
    QCOMPARE(alert.message, d.sim.strings.text(messageKey));
    QCOMPARE(alert.buttons, QStringList { "OK" });
    QCOMPARE(d.sim.workspace.opened(), guide.isEmpty() ? QStringList() : QStringList { guide });
    QCOMPARE(d.posts.size(), 1);
    QCOMPARE(d.posts.first().name, QString(store::OVCFGQuitDNotification));
    QVERIFY(d.posts.first().userInfo.isEmpty());
    QCOMPARE(d.exits, QStringList { "fatal alert" });
    QVERIFY(d.sim.runLoop.quitRequested());
    // Nothing else was opened after the alert.
    QCOMPARE(d.sim.hid.openedManagerCount(), 0);
    QCOMPARE(d.sim.hid.managerCount(), 0);
    QVERIFY(!d.sim.modifierTap.isCreated());
}

void TestManager::fatalAlertOnSecondManager()
{
    Driver d;
    d.sim.hid.setOpenResult(vendorProduct(Model::M517V1), hidresult::ExclusiveAccess);
    d.sim.hid.connect("tevra", iface(Model::TevraM, 0xFF0A));
    d.start();
    QCOMPARE(d.sim.alerts.shown().size(), size_t(1));
    QCOMPARE(d.exits, QStringList { "fatal alert" });
    // The main manager was opened and then closed at cleanup; its device's
    // service went with it.
    QCOMPARE(d.sim.hid.openedManagerCount(), 1);
    QCOMPARE(d.sim.hid.managerCount(), 0);
    QVERIFY(d.manager().services().empty());
    QVERIFY(!d.sim.modifierTap.isCreated());
    QVERIFY(!d.sim.hid.device("tevra")->hasInputCallback());
}

void TestManager::tapFailure()
{
    Driver d;
    d.sim.modifierTap.setCreateResult(false);
    d.sim.defaults.setPreferredLanguages({ "zh-Hans-CN" });
    d.start();
    QCOMPARE(d.sim.alerts.shown().size(), size_t(1));
    QCOMPARE(d.sim.alerts.shown().front().title, d.sim.strings.text("OVD_AT_AP"));
    QCOMPARE(d.sim.workspace.opened(), QStringList { kGuideCN });
    QCOMPARE(d.postsNamed(store::OVCFGQuitDNotification), 1);
    QCOMPARE(d.exits, QStringList { "fatal alert" });
    QCOMPARE(d.sim.hid.managerCount(), 0); // both closed at cleanup
}

void TestManager::secondCopy_data()
{
    QTest::addColumn<int>("running");
    QTest::addColumn<bool>("ends");
    QTest::newRow("alone") << 1 << false;
    QTest::newRow("second copy") << 2 << true;
    QTest::newRow("third copy") << 3 << true;
}

void TestManager::secondCopy()
{
    QFETCH(int, running);
    QFETCH(bool, ends);

    Driver d;
    d.sim.workspace.setRunning(QLatin1String(kDriverBundleId), running);
    d.start();
    QCOMPARE(d.exits, ends ? QStringList { "another copy is running" } : QStringList {});
    QCOMPARE(d.sim.runLoop.quitRequested(), ends);
    QCOMPARE(d.delegate.manager() == nullptr, ends);
    QCOMPARE(d.sim.hid.managerCount(), ends ? 0 : 2);
    QCOMPARE(d.sim.modifierTap.isCreated(), !ends);
}

void TestManager::modifierTracking_data()
{
    QTest::addColumn<QList<QList<quint64>>>("events"); // {key code, flags}
    QTest::addColumn<QList<bool>>("expected"); // Shift, Command, Option, Control

    using E = QList<QList<quint64>>;
    using F = QList<bool>;
    const quint64 cmd = eventflag::Command;
    const quint64 sh = eventflag::Shift;
    const quint64 opt = eventflag::Option;
    const quint64 ctl = eventflag::Control;

    QTest::newRow("Command down") << E { { 55, cmd } } << F { false, true, false, false };
    QTest::newRow("Shift down with Command held")
        << E { { 55, cmd }, { 56, cmd | sh } } << F { true, true, false, false };
    QTest::newRow("Shift up with Command held")
        << E { { 55, cmd }, { 56, cmd | sh }, { 56, cmd } } << F { false, true, false, false };
    QTest::newRow("Command up clears all") << E { { 55, cmd }, { 58, cmd | opt }, { 59, cmd | opt | ctl },
        { 55, opt | ctl }, { 55, 0 } } << F { false, false, false, false };
    QTest::newRow("right-hand keys") << E { { 54, cmd }, { 60, cmd | sh }, { 61, cmd | sh | opt },
        { 62, cmd | sh | opt | ctl } }
                                     << F { true, true, true, true };
    QTest::newRow("Caps Lock ignored") << E { { 56, sh }, { 57, 0 } } << F { true, false, false, false };
    QTest::newRow("other key ignored") << E { { 56, sh }, { 0, 0 } } << F { true, false, false, false };
    // Function alone is none of the four: the last of them went up.
    QTest::newRow("Function is not tracked")
        << E { { 56, sh }, { 56, eventflag::Function } } << F { false, false, false, false };
}

void TestManager::modifierTracking()
{
    QFETCH(QList<QList<quint64>>, events);
    QFETCH(QList<bool>, expected);

    Driver d;
    d.start();
    for (const QList<quint64> &event : events)
        d.sim.modifierTap.inject(quint16(event[0]), event[1]);
    const driver::OVManager &m = d.manager();
    QCOMPARE(
        (QList<bool> { m.keyCode_Shift(), m.keyCode_Command(), m.keyCode_Option(), m.keyCode_Control() }),
        expected);
}

void TestManager::diagnosticsRequest()
{
    Driver d;
    d.start();
    const QString key = store::devKeyFor(Model::TevraM);
    d.sim.hid.connect("r", iface(Model::TevraM, 0xFF0A));
    d.sim.runLoop.drain();

    // A name of the wrong type is refused with one line.
    QTest::ignoreMessage(QtWarningMsg,
        qPrintable(key + QStringLiteral(": cannot open diagnostics: the product name is not a text")));
    d.bus.inject(Notification { store::OVCFGDiaSDNotification, {}, { { key, 5 } } });
    // Another key, an empty request: nothing.
    d.bus.inject(Notification { store::OVCFGDiaSDNotification, {}, { { QStringLiteral("1-1"), 5 } } });
    d.bus.inject(Notification { store::OVCFGDiaSDNotification, {}, {} });
    d.bus.inject(Notification { store::OVCFGDiaSDNotification, {}, { { key, QStringLiteral("Tevra M") } } });
    d.sim.runLoop.drain();
    QVERIFY(d.manager().service(key));
}

void TestManager::termination()
{
    Driver d;
    d.start();
    const QString key = store::devKeyFor(Model::TevraM);
    SimHidDevice *device = d.sim.hid.connect("r", iface(Model::TevraM, 0xFF0A));
    d.sim.runLoop.drain();
    d.manager().service(key)->configMan()->updateConfiguration(store::OVCFGPenKey, store::OVCFGTips, false);
    const int writes = d.sim.files.writeCount();

    d.delegate.terminate(QStringLiteral("signal"));
    QCOMPARE(d.exits, QStringList { "signal" });
    QVERIFY(d.sim.runLoop.quitRequested());
    QCOMPARE(d.sim.files.writeCount(), writes + 1); // the pending save, at once
    QVERIFY(d.manager().isCleanedUp());
    QVERIFY(d.manager().services().empty());
    QVERIFY(!device->hasInputCallback());
    QCOMPARE(d.sim.hid.managerCount(), 0);
    QVERIFY(!d.sim.modifierTap.isCreated());

    // Ending twice reports once; a later device or request finds no driver.
    d.delegate.terminate(QStringLiteral("fatal alert"));
    QCOMPARE(d.exits, QStringList { "signal" });
    d.sim.hid.connect("late", iface(Model::TevraS, 0xFF0A));
    d.bus.inject(Notification { store::OVCFGRequestDNotification, {}, {} });
    d.sim.runLoop.advance(5);
    QVERIFY(d.manager().services().empty());
    QCOMPARE(d.responses().size(), 1);
    QCOMPARE(d.sim.files.writeCount(), writes + 1);
}

QTEST_GUILESS_MAIN(TestManager)
#include "tst_manager.moc"
