#include <QTest>

#include "driver/appdelegate.h"
#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "platform/sim/simplatform.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

using namespace platform;
using namespace platform::sim;
using store::Model;

namespace {

QVariantMap iface(Model model, qint64 page, QVariantList pairs = {}, const QString &product = QString())
{
    const auto &row = store::rowFor(model);
    QVariantMap props{{kHidVendorID, row.vendorId}, {kHidProductID, row.productId}, {kHidPrimaryUsagePage, page},
                      {kHidPrimaryUsage, 1}};
    if (pairs.isEmpty())
        pairs << QVariantMap{{kHidDeviceUsagePage, page}, {kHidDeviceUsage, 1}};
    props.insert(kHidDeviceUsagePairs, pairs);
    if (!product.isNull())
        props.insert(kHidProduct, product);
    return props;
}

QVariantMap pair(qint64 page)
{
    return QVariantMap{{kHidDeviceUsagePage, page}, {kHidDeviceUsage, 1}};
}

// One simulated driver process, with the distributed posts it makes.
struct Driver
{
    SimBus bus;
    SimPlatform sim{bus, QLatin1String(kDriverBundleId)};
    driver::AppDelegate delegate{sim.platform()};
    QList<Notification> posts;
    QString exitReason;

    Driver()
    {
        bus.setPostHook([this](const SimDistributedCenter &, const Notification &n) { posts << n; });
        delegate.setTerminationHandler([this](const QString &reason) { exitReason = reason; });
    }
    void start()
    {
        delegate.applicationDidFinishLaunching();
        sim.runLoop.drain();
    }
    QList<QVariantMap> responses() const
    {
        QList<QVariantMap> list;
        for (const auto &n : posts) {
            if (n.name == store::OVCFGResponseDNotification)
                list << n.userInfo;
        }
        return list;
    }
    driver::OVManager &manager() { return *delegate.manager(); }
};

} // namespace

class TestSpine : public QObject
{
    Q_OBJECT
private slots:
    void announcesOnlyTheReportInterface();
    void answersRequests();
    void bindingByUsagePage_data();
    void bindingByUsagePage();
    void openResults_data();
    void openResults();
    void secondCopyOpensNothing();
    void modifierTracking();
    void cleanedUpServiceGetsNoReport();
    void startCommandOnBinding();
};

void TestSpine::announcesOnlyTheReportInterface()
{
    Driver d;
    d.start();
    const QString key = store::devKeyFor(Model::TevraM);
    d.sim.hid.connect("pen", iface(Model::TevraM, 0x01));
    d.sim.runLoop.drain();
    QVERIFY(d.manager().service(key)); // service and store exist all the same
    QVERIFY(d.responses().isEmpty());

    d.sim.hid.connect("vendor", iface(Model::TevraM, 0xFF0A, {}, "Tevra M"));
    d.sim.runLoop.drain();
    QCOMPARE(d.responses(), (QList<QVariantMap>{{{key, true}}}));

    // The defaults are written 3 s after their creation.
    int writes = 0;
    d.sim.files.setHook([&](const QString &path, const QByteArray &) {
        QVERIFY(path.endsWith(QStringLiteral("/.OVCFGS_") + key));
        ++writes;
    });
    d.sim.runLoop.advance(2.9);
    QCOMPARE(writes, 0);
    d.sim.runLoop.advance(0.2);
    QCOMPARE(writes, 1);

    d.sim.hid.remove("pen"); // not the interface the service holds
    d.sim.runLoop.drain();
    QCOMPARE(d.responses().size(), 1);
    QVERIFY(d.manager().service(key));

    d.sim.hid.remove("vendor");
    d.sim.runLoop.drain();
    QCOMPARE(d.responses().last(), (QVariantMap{{key, false}}));
    QVERIFY(!d.manager().service(key));
}

void TestSpine::answersRequests()
{
    Driver d;
    d.start();
    d.bus.inject(Notification{store::OVCFGRequestDNotification, {}, {}});
    d.sim.runLoop.drain();
    QCOMPARE(d.responses(), QList<QVariantMap>{QVariantMap()});

    d.sim.hid.connect("a", iface(Model::TevraM, 0xFF0A));
    d.sim.hid.connect("b", iface(Model::KalverinS, 0xFF0A));
    d.bus.inject(Notification{store::OVCFGRequestDNotification, {}, {}});
    d.sim.runLoop.drain();
    QCOMPARE(d.responses().last(), (QVariantMap{{store::devKeyFor(Model::TevraM), true},
                                                {store::devKeyFor(Model::KalverinS), true}}));

    d.bus.inject(Notification{store::OV_GetCurDevKey_Noti, store::devKeyFor(Model::KalverinS), {}});
    d.sim.runLoop.drain();
    QCOMPARE(d.manager().curDevKey(), store::devKeyFor(Model::KalverinS));
    QCOMPARE(d.manager().getCurService(), d.manager().service(store::devKeyFor(Model::KalverinS)));
}

void TestSpine::bindingByUsagePage_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<qint64>("page");
    QTest::addColumn<QVariantList>("pairs");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<QList<qint64>>("heldPages");
    QTest::addColumn<bool>("firmwareUpdate");

    const QList<qint64> none;
    QTest::newRow("digitizer") << int(Model::TevraM) << qint64(0x0D) << QVariantList{} << false << none << false;
    QTest::newRow("generic desktop, tablet") << int(Model::TevraM) << qint64(0x01) << QVariantList{} << false << none
                                             << false;
    QTest::newRow("generic desktop, Sorvi 22")
        << int(Model::Sorvi22) << qint64(0x01) << QVariantList{} << true << QList<qint64>{0xFF0A} << false;
    QTest::newRow("below vendor pages") << int(Model::TevraM) << qint64(0xFF00) << QVariantList{} << false << none
                                        << false;
    QTest::newRow("0xFF07 on the M517 V1")
        << int(Model::M517V1) << qint64(0xFF07) << QVariantList{} << true << QList<qint64>{0xFF07} << false;
    QTest::newRow("0xFF07 on another model")
        << int(Model::TevraM) << qint64(0xFF07) << QVariantList{pair(0xFF0B)} << false << QList<qint64>{0xFF0B}
        << false;
    QTest::newRow("pairs bind several slots")
        << int(Model::TevraM) << qint64(0xFF0A) << QVariantList{pair(0xFF0A), pair(0xFF0B)} << true
        << QList<qint64>{0xFF0A, 0xFF0B} << false;
    QTest::newRow("boot program") << int(Model::TevraM) << qint64(0xFF0C) << QVariantList{} << false
                                  << QList<qint64>{0xFF0C} << true;
    QTest::newRow("0xFF0C pair of an application interface")
        << int(Model::TevraM) << qint64(0xFF0B) << QVariantList{pair(0xFF0C)} << false << QList<qint64>{0xFF0C}
        << false;
}

void TestSpine::bindingByUsagePage()
{
    QFETCH(int, model);
    QFETCH(qint64, page);
    QFETCH(QVariantList, pairs);
    QFETCH(bool, announced);
    QFETCH(QList<qint64>, heldPages);
    QFETCH(bool, firmwareUpdate);

    Driver d;
    d.start();
    HidDevice *device = d.sim.hid.connect("i", iface(Model(model), page, pairs));
    d.sim.runLoop.drain();
    const QString key = store::devKeyFor(Model(model));
    driver::OVService *service = d.manager().service(key);
    QVERIFY(service);
    QCOMPARE(!d.responses().isEmpty(), announced);
    for (qint64 held : heldPages)
        QCOMPARE(service->deviceRefForPup(held), device);
    QCOMPARE(service->isFirmwareUpdate(), firmwareUpdate);
}

void TestSpine::openResults_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("alertKey");
    QTest::addColumn<QString>("guide");
    QTest::addColumn<QString>("log");

    const QString cn = "/Applications/OrvaneTablet/OrvaneTabletSetting.app/Contents/Resources/MacOS_Setup_CN.pdf";
    const QString en = "/Applications/OrvaneTablet/OrvaneTabletSetting.app/Contents/Resources/MacOS_Setup_En.pdf";
    QTest::newRow("not permitted, zh-CN") << hidresult::NotPermitted << "zh-CN" << "OVD_AT_AP" << cn << QString();
    QTest::newRow("not permitted, zh-Hant-TW")
        << hidresult::NotPermitted << "zh-Hant-TW" << "OVD_AT_AP" << cn << QString();
    QTest::newRow("not permitted, en") << hidresult::NotPermitted << "en-GB" << "OVD_AT_AP" << en << QString();
    QTest::newRow("exclusive access") << hidresult::ExclusiveAccess << "zh-CN" << "OVD_AT_DC" << QString()
                                      << QString();
    QTest::newRow("not privileged") << hidresult::NotPrivileged << "en" << QString() << QString()
                                    << "manager open failed: privilege violation";
    QTest::newRow("other code") << quint32(0xE00002BC) << "en" << QString() << QString()
                                << "manager open failed: 3758097084";
}

void TestSpine::openResults()
{
    QFETCH(quint32, code);
    QFETCH(QString, language);
    QFETCH(QString, alertKey);
    QFETCH(QString, guide);
    QFETCH(QString, log);

    Driver d;
    const auto &row = store::rowFor(Model::TevraM);
    d.sim.hid.setOpenResult(VendorProduct{row.vendorId, row.productId}, code);
    d.sim.defaults.setPreferredLanguages({language});
    if (!log.isEmpty())
        QTest::ignoreMessage(QtInfoMsg, qPrintable(log));
    d.start();

    if (alertKey.isEmpty()) {
        QVERIFY(d.sim.alerts.shown().empty());
        QVERIFY(d.exitReason.isEmpty());
        QCOMPARE(d.sim.hid.openedManagerCount(), 1); // the M517 manager runs on
        return;
    }
    QCOMPARE(d.sim.alerts.shown().size(), size_t(1));
    QCOMPARE(d.sim.alerts.shown().front().title, d.sim.strings.text(alertKey));
    QCOMPARE(d.sim.workspace.opened(), guide.isEmpty() ? QStringList() : QStringList{guide});
    QCOMPARE(d.posts.size(), 1);
    QCOMPARE(d.posts.first().name, QString(store::OVCFGQuitDNotification));
    QCOMPARE(d.exitReason, QStringLiteral("fatal alert"));
    QCOMPARE(d.sim.hid.openedManagerCount(), 0);
}

void TestSpine::secondCopyOpensNothing()
{
    Driver d;
    d.sim.workspace.setRunning(QLatin1String(kDriverBundleId), 2);
    d.start();
    QCOMPARE(d.exitReason, QStringLiteral("another copy is running"));
    QCOMPARE(d.sim.hid.managerCount(), 0);
    QVERIFY(!d.sim.modifierTap.isCreated());
    QVERIFY(d.sim.runLoop.quitRequested());
}

void TestSpine::modifierTracking()
{
    Driver d;
    d.start();
    auto &m = d.manager();
    d.sim.modifierTap.inject(55, eventflag::Command); // Command down
    QVERIFY(m.keyCode_Command());
    d.sim.modifierTap.inject(56, eventflag::Command | eventflag::Shift); // Shift down
    QVERIFY(m.keyCode_Shift());
    d.sim.modifierTap.inject(57, 0); // Caps Lock is ignored
    QVERIFY(m.keyCode_Shift());
    d.sim.modifierTap.inject(56, eventflag::Command); // Shift up, Command held
    QVERIFY(!m.keyCode_Shift());
    QVERIFY(m.keyCode_Command());
    d.sim.modifierTap.inject(58, eventflag::Command | eventflag::Option);
    d.sim.modifierTap.inject(59, eventflag::Command | eventflag::Option | eventflag::Control);
    QVERIFY(m.keyCode_Option() && m.keyCode_Control());
    d.sim.modifierTap.inject(55, 0); // the last modifier up clears all four
    QVERIFY(!m.keyCode_Command() && !m.keyCode_Option() && !m.keyCode_Control() && !m.keyCode_Shift());
}

void TestSpine::cleanedUpServiceGetsNoReport()
{
    Driver d;
    d.start();
    const QString key = store::devKeyFor(Model::TevraM);
    auto *first = d.sim.hid.connect("first", iface(Model::TevraM, 0xFF0A));
    auto *second = d.sim.hid.connect("second", iface(Model::TevraM, 0xFF0A)); // replaces the slot
    d.sim.runLoop.drain();
    QVERIFY(first->hasInputCallback() && second->hasInputCallback());
    driver::OVService *service = d.manager().service(key);
    QCOMPARE(service->deviceRefForPup(0xFF0A), second);

    // The replaced interface goes: the service stays and forgets it.
    d.sim.hid.remove("first");
    QVERIFY(d.manager().service(key));
    auto *third = d.sim.hid.connect("third", iface(Model::TevraM, 0xFF0B));
    d.sim.runLoop.drain();
    QVERIFY(third->hasInputCallback());

    d.sim.hid.remove("second"); // the held one: the service is cleaned up
    QVERIFY(!d.manager().service(key));
    QVERIFY(!third->hasInputCallback()); // no report can reach the old service
    const std::uint8_t report[] = {0x02, 0x80, 0, 0, 0, 0, 0, 0};
    d.sim.hid.report("third", report);
}

void TestSpine::startCommandOnBinding()
{
    Driver d;
    d.start();
    auto *q = d.sim.hid.connect("q", iface(Model::TevraQ, 0xFF0A));
    auto *s22 = d.sim.hid.connect("s22", iface(Model::Sorvi22, 0x01));
    auto *pro = d.sim.hid.connect("pro", iface(Model::Sorvi22Pro, 0xFF0A));
    d.sim.runLoop.drain();
    QCOMPARE(q->outputReports().size(), size_t(1));
    QCOMPARE(q->outputReports()[0].bytes, QByteArray::fromHex("02B0040000000000"));
    QVERIFY(s22->outputReports().empty());
    QCOMPARE(pro->outputReports().size(), size_t(1));
    d.sim.runLoop.advance(0.5);
    QCOMPARE(pro->outputReports().size(), size_t(2));
    QCOMPARE(pro->outputReports()[1].bytes, QByteArray::fromHex("0902020000000000"));
}

QTEST_GUILESS_MAIN(TestSpine)
#include "tst_spine.moc"
