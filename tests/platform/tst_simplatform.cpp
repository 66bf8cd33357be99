#include <thread>

#include <QTest>

#include "platform/sim/simbus.h"
#include "platform/sim/simhid.h"
#include "platform/sim/simrunloop.h"

using namespace platform;
using namespace platform::sim;

class TestSimPlatform : public QObject
{
    Q_OBJECT
private slots:
    void runLoopOrdersByTimeThenSchedule();
    void repeatingTimerCanCancelItself();
    void advanceRunsWorkScheduledOnTheWay();
    void postFromAnyThread();
    void observerRemovedDuringDelivery();
    void distributedReachesEveryProcessOnALaterTurn();
    void hidReportsPresentDevicesWhenScheduled();
};

void TestSimPlatform::runLoopOrdersByTimeThenSchedule()
{
    SimRunLoop loop;
    QStringList order;
    loop.after(2.0, nullptr, [&] { order << "b@2"; });
    loop.after(1.0, nullptr, [&] { order << "a@1"; });
    loop.post([&] { order << "turn"; });
    loop.after(2.0, nullptr, [&] { order << "c@2"; });
    const auto cancelled = loop.after(1.5, nullptr, [&] { order << "cancelled"; });
    loop.cancel(cancelled);
    loop.advance(1.9);
    QCOMPARE(order, (QStringList{"turn", "a@1"}));
    QCOMPARE(loop.now(), 1.9);
    loop.advance(0.1);
    QCOMPARE(order, (QStringList{"turn", "a@1", "b@2", "c@2"}));
}

void TestSimPlatform::repeatingTimerCanCancelItself()
{
    SimRunLoop loop;
    int fired = 0;
    RunLoop::TimerId id = 0;
    id = loop.repeat(2.0, this, [&] {
        if (++fired == 3)
            loop.cancel(id);
    });
    loop.advance(100);
    QCOMPARE(fired, 3);
    QVERIFY(!loop.hasPending());

    int other = 0;
    loop.repeat(1.0, this, [&] { ++other; });
    loop.advance(2.5);
    loop.cancelAll(this);
    loop.advance(10);
    QCOMPARE(other, 2);
}

void TestSimPlatform::advanceRunsWorkScheduledOnTheWay()
{
    SimRunLoop loop;
    QList<double> times;
    loop.after(1.0, nullptr, [&] {
        times << loop.now();
        loop.after(1.0, nullptr, [&] { times << loop.now(); });
        loop.post([&] { times << loop.now(); });
    });
    loop.advance(3.0);
    QCOMPARE(times, (QList<double>{1.0, 1.0, 2.0}));
    QCOMPARE(loop.wallClockMillis() - SimRunLoop().wallClockMillis(), qint64(3000));
}

void TestSimPlatform::postFromAnyThread()
{
    SimRunLoop loop;
    bool ranOnMain = false;
    std::thread worker([&] { loop.postFromAnyThread([&] { ranOnMain = loop.isMainThread(); }); });
    worker.join();
    QVERIFY(!ranOnMain);
    loop.drain();
    QVERIFY(ranOnMain);
}

void TestSimPlatform::observerRemovedDuringDelivery()
{
    NotificationCenter center;
    int first = 0, second = 0;
    const int ownerA = 0, ownerB = 0;
    center.observe("N", &ownerA, [&](const Notification &) {
        ++first;
        center.removeObserver(&ownerA);
        center.removeObserver(&ownerB); // a later observer of the same post
    });
    center.observe("N", &ownerB, [&](const Notification &) { ++second; });
    center.post("N");
    center.post("N");
    QCOMPARE(first, 1);
    QCOMPARE(second, 0);
    QVERIFY(!center.hasObservers("N"));
}

void TestSimPlatform::distributedReachesEveryProcessOnALaterTurn()
{
    SimBus bus;
    SimRunLoop loopA, loopB;
    SimDistributedCenter a(bus, loopA), b(bus, loopB);
    QList<QVariant> gotA, gotB;
    a.observe("N", this, [&](const Notification &n) { gotA << n.userInfo.value("v"); });
    b.observe("N", this, [&](const Notification &n) {
        gotB << n.userInfo.value("v");
        QCOMPARE(n.object, QStringLiteral("obj"));
    });
    int hooked = 0;
    bus.setPostHook([&](const SimDistributedCenter &poster, const Notification &) {
        QCOMPARE(&poster, &a);
        ++hooked;
    });
    a.post("N", "obj", {{"v", QVariant::fromValue(1.5f)}});
    QVERIFY(gotA.isEmpty() && gotB.isEmpty()); // never synchronous
    loopA.drain();
    loopB.drain();
    QCOMPARE(hooked, 1);
    QCOMPARE(gotA.size(), 1);
    QCOMPARE(gotB.size(), 1);
    // A float crosses the process boundary widened to double.
    QCOMPARE(gotB.first().typeId(), QMetaType::Double);
    QCOMPARE(gotB.first().toDouble(), 1.5);
}

void TestSimPlatform::hidReportsPresentDevicesWhenScheduled()
{
    SimHidSystem hid;
    QVariantMap props{{kHidVendorID, 7}, {kHidProductID, 9}};
    hid.connect("early", props);
    auto manager = hid.createManager();
    manager->setDeviceMatchingMultiple({VendorProduct{7, 9}});
    QStringList matched, removed;
    manager->registerDeviceMatchingCallback(
        [&](HidDevice *d) { matched << static_cast<SimHidDevice *>(d)->name(); });
    manager->registerDeviceRemovalCallback(
        [&](HidDevice *d) { removed << static_cast<SimHidDevice *>(d)->name(); });
    QCOMPARE(manager->open(kHidOptionsSeize), hidresult::Success);
    QVERIFY(matched.isEmpty());
    manager->scheduleWithRunLoop();
    QCOMPARE(matched, QStringList{"early"});
    hid.connect("late", props);
    hid.connect("other", QVariantMap{{kHidVendorID, 7}, {kHidProductID, 10}});
    QCOMPARE(matched, (QStringList{"early", "late"}));

    QByteArray seen;
    hid.device("late")->registerInputReportCallback(
        [&](const InputReport &r) { seen = QByteArray(reinterpret_cast<const char *>(r.bytes.data()), r.bytes.size()); },
        3);
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
    hid.report("late", bytes);
    QCOMPARE(seen, QByteArray("\x01\x02\x03", 3)); // cut at the registered length

    hid.remove("early");
    hid.remove("other");
    QCOMPARE(removed, QStringList{"early"});
    QVERIFY(!hid.device("early"));

    hid.setOpenResult(VendorProduct{7, 9}, hidresult::NotPermitted);
    auto refused = hid.createManager();
    refused->setDeviceMatchingMultiple({VendorProduct{7, 9}});
    QCOMPARE(refused->open(kHidOptionsNone), hidresult::NotPermitted);
}

QTEST_GUILESS_MAIN(TestSimPlatform)
#include "tst_simplatform.moc"
