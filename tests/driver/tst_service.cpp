#include <memory>

#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "driver/tiltfilter.h"
#include "platform/sim/simplatform.h"
#include "store/ovdefaults.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "store/ovrecttext.h"

using namespace platform;
using namespace platform::sim;
using store::Model;

Q_DECLARE_METATYPE(Model)

namespace {

// Interfaces that no HID manager of the driver matches (vendor 0): the tests
// bind them to the service by hand, as the manager would.
QVariantMap looseInterface(qint64 page)
{
    return QVariantMap { { QLatin1String(kHidVendorID), 0 }, { QLatin1String(kHidProductID), 0 },
        { QLatin1String(kHidPrimaryUsagePage), page } };
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return { reinterpret_cast<const std::uint8_t *>(bytes.constData()), size_t(bytes.size()) };
}

// A pen report that moves a fresh pen state into proximity.
const QByteArray kHover = QByteArray::fromHex("02A00010001000000000");

} // namespace

class TestService : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void creation_data();
    void creation();
    void reportRouting_data();
    void reportRouting();
    void shortReportLineIsRateLimited();
    void oneInterfaceForReportsAndCommands_data();
    void oneInterfaceForReportsAndCommands();
    void deviceRefForPup_data();
    void deviceRefForPup();
    void startCommandPerBinding_data();
    void startCommandPerBinding();
    void commandInterfaceTiming_data();
    void commandInterfaceTiming();
    void cleanupUnregistersEveryInterface();
    void noReportReachesAGoneService();
    void removedInterfaceIsForgotten();
    void orientationTurnsAPenDisplay_data();
    void orientationTurnsAPenDisplay();

private:
    std::unique_ptr<SimBus> m_bus;
    std::unique_ptr<SimPlatform> m_sim;
    driver::OVManager *m_manager = nullptr;
    QStringList m_exits;

    std::unique_ptr<driver::OVService> makeService(Model model)
    {
        auto service
            = std::make_unique<driver::OVService>(m_sim->platform(), *m_manager, store::devKeyFor(model));
        m_sim->runLoop.drain();
        return service;
    }
};

void TestService::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    m_bus = std::make_unique<SimBus>();
    m_sim = std::make_unique<SimPlatform>(*m_bus, QLatin1String(kDriverBundleId));
    m_exits.clear();
    m_manager
        = &driver::OVManager::shareManager(m_sim->platform(), [this](const QString &r) { m_exits << r; });
    m_sim->runLoop.drain(); // the manager's HID managers and tap
}

void TestService::cleanup()
{
    driver::OVManager::destroySharedManager();
    m_manager = nullptr;
    m_sim.reset();
    m_bus.reset();
}

void TestService::creation_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("calibrationObserver");
    QTest::newRow("tablet") << Model::TevraM << false;
    QTest::newRow("Sorvi12 Pro") << Model::Sorvi12Pro << true;
    QTest::newRow("Sorvi 22") << Model::Sorvi22 << true;
    QTest::newRow("Sorvi 22Pro") << Model::Sorvi22Pro << true;
    QTest::newRow("Sorvi13 is no pen display") << Model::Sorvi13 << false;
}

void TestService::creation()
{
    QFETCH(Model, model);
    QFETCH(bool, calibrationObserver);

    const QString key = store::devKeyFor(model);
    auto service = std::make_unique<driver::OVService>(m_sim->platform(), *m_manager, key);
    QCOMPARE(service->getDevkey(), key);
    QVERIFY(service->configMan());
    QCOMPARE(service->configMan()->devKey(), key);
    // The store's load notice comes one turn later and finds the service's
    // observer in place.
    QVERIFY(m_sim->local.hasObservers(store::OVCFGNotification));
    QCOMPARE(m_sim->distributed.hasObservers(store::OVMCRequestDNotification), calibrationObserver);
    m_sim->runLoop.drain();
    QVERIFY(service->configMan()->configurationList().has_value());
    // The screen check is the first timer to fall due; the defaults' save follows.
    QCOMPARE(m_sim->runLoop.nextDueTime(), 2.0);
    QVERIFY(!service->isFirmwareUpdate());

    service->cleanup();
    QVERIFY(service->getDevkey().isEmpty());
    QVERIFY(!service->configMan());
    QVERIFY(!m_sim->local.hasObservers(store::OVCFGNotification));
    QVERIFY(!m_sim->distributed.hasObservers(store::OVMCRequestDNotification));
    // Nothing of the service (nor of its store) is left on the run loop.
    QVERIFY(m_sim->runLoop.nextDueTime() < 0);
    // The defaults were written at cleanup, not dropped.
    QVERIFY(QFileInfo::exists(m_sim->platform().dataFolder + QStringLiteral("/.OVCFGS_") + key));
}

void TestService::reportRouting_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("decoded");
    QTest::newRow("pen report to the dispatcher") << kHover << true;
    QTest::newRow("command reply never to the pen parser") << hex("FCA00010001000000000") << false;
    QTest::newRow("empty report dropped") << QByteArray() << false;
}

void TestService::reportRouting()
{
    QFETCH(QByteArray, report);
    QFETCH(bool, decoded);

    auto service = makeService(Model::TevraQ);
    SimHidDevice *device = m_sim->hid.connect("r", looseInterface(0xFF0A));
    service->setDeviceRef_0A(device);
    device->deliverInput(bytesOf(report));
    QCOMPARE(service->penState().eventData.type, decoded ? 1u : 0u);
}

void TestService::oneInterfaceForReportsAndCommands_data()
{
    QTest::addColumn<bool>("reportSlotFirst");
    QTest::newRow("report slot bound first") << true;
    QTest::newRow("command slots bound first") << false;
}

// The pairs of one interface may fill all three slots: its pen reports still
// reach the dispatcher, its command replies still never do, and an
// interface that gives up the report slot is a command interface again.
void TestService::oneInterfaceForReportsAndCommands()
{
    QFETCH(bool, reportSlotFirst);

    auto service = makeService(Model::TevraQ);
    SimHidDevice *device = m_sim->hid.connect("all", looseInterface(0xFF0A));
    if (reportSlotFirst)
        service->setDeviceRef_0A(device);
    service->setDeviceRef_0B(device);
    service->setDeviceRef_0C(device, false);
    if (!reportSlotFirst)
        service->setDeviceRef_0A(device);
    device->deliverInput(bytesOf(hex("FCA00010001000000000")));
    QCOMPARE(service->penState().eventData.type, 0u);
    device->deliverInput(bytesOf(kHover));
    QCOMPARE(service->penState().eventData.type, 1u);

    SimHidDevice *report = m_sim->hid.connect("report", looseInterface(0xFF0A));
    service->setDeviceRef_0A(report);
    device->deliverInput(bytesOf(QByteArray::fromHex("02C00010001000000000")));
    QCOMPARE(service->penState().eventData.type, 1u); // the out-of-range report went to the commands
    report->deliverInput(bytesOf(QByteArray::fromHex("02C00010001000000000")));
    QCOMPARE(service->penState().eventData.type, 0u);
}

void TestService::shortReportLineIsRateLimited()
{
    auto service = makeService(Model::TevraQ);
    SimHidDevice *device = m_sim->hid.connect("r", looseInterface(0xFF0A));
    service->setDeviceRef_0A(device);
    const QString key = store::devKeyFor(Model::TevraQ);
    const QByteArray shortReport = hex("02");
    const QByteArray line = (key + QStringLiteral(": cannot decode report: 1 bytes, needs 2")).toUtf8();

    QTest::ignoreMessage(QtWarningMsg, line.constData());
    device->deliverInput(bytesOf(shortReport));
    device->deliverInput(bytesOf(shortReport)); // within the second: no line
    m_sim->runLoop.advance(1.0);
    QTest::ignoreMessage(QtWarningMsg, line.constData());
    device->deliverInput(bytesOf(shortReport));
    QCOMPARE(service->penState().eventData.type, 0u);
}

void TestService::deviceRefForPup_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<qint64>("page");
    QTest::addColumn<QString>("slot"); // "0A", "0B", "0C" or empty for none

    QTest::newRow("0xFF07") << Model::TevraM << qint64(0xFF07) << "0A";
    QTest::newRow("0xFF0A") << Model::TevraM << qint64(0xFF0A) << "0A";
    QTest::newRow("0xFF0B") << Model::TevraM << qint64(0xFF0B) << "0B";
    QTest::newRow("0xFF0C") << Model::TevraM << qint64(0xFF0C) << "0C";
    QTest::newRow("generic desktop") << Model::TevraM << qint64(0x01) << QString();
    QTest::newRow("other vendor page") << Model::TevraM << qint64(0xFF0D) << QString();
    QTest::newRow("Sorvi10, generic desktop") << Model::Sorvi10 << qint64(0x01) << "0A";
    QTest::newRow("Sorvi 13/16, digitizer") << Model::Sorvi1316 << qint64(0x0D) << "0A";
    QTest::newRow("Sorvi 22, 0xFF0C") << Model::Sorvi22 << qint64(0xFF0C) << "0A";
    QTest::newRow("Sorvi 22Pro, generic desktop") << Model::Sorvi22Pro << qint64(0x01) << QString();
}

void TestService::deviceRefForPup()
{
    QFETCH(Model, model);
    QFETCH(qint64, page);
    QFETCH(QString, slot);

    auto service = makeService(model);
    SimHidDevice *a = m_sim->hid.connect("a", looseInterface(0xFF0A));
    SimHidDevice *b = m_sim->hid.connect("b", looseInterface(0xFF0B));
    SimHidDevice *c = m_sim->hid.connect("c", looseInterface(0xFF0C));
    service->setDeviceRef_0A(a);
    service->setDeviceRef_0B(b);
    service->setDeviceRef_0C(c, false);
    HidDevice *expected = slot == "0A" ? a : slot == "0B" ? b : slot == "0C" ? c : nullptr;
    QCOMPARE(service->deviceRefForPup(page), expected);

    service->cleanup();
    QCOMPARE(service->deviceRefForPup(page), nullptr);
}

void TestService::startCommandPerBinding_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<int>("reportsPerBinding");
    QTest::addColumn<int>("usbRequestsPerBinding");
    QTest::newRow("Tevra Q") << Model::TevraQ << 1 << 0;
    QTest::newRow("Sorvi 22: nothing") << Model::Sorvi22 << 0 << 0;
    QTest::newRow("Sorvi10: nothing") << Model::Sorvi10 << 0 << 0;
    QTest::newRow("M517 V1: string requests") << Model::M517V1 << 0 << 3;
}

void TestService::startCommandPerBinding()
{
    QFETCH(Model, model);
    QFETCH(int, reportsPerBinding);
    QFETCH(int, usbRequestsPerBinding);

    const store::ModelRow &row = store::rowFor(model);
    m_sim->usb.addDevice(row.vendorId, row.productId);
    auto service = makeService(model);
    SimHidDevice *device = m_sim->hid.connect("r", looseInterface(0xFF0A));
    SimHidDevice *command = m_sim->hid.connect("c", looseInterface(0xFF0B));
    service->setDeviceRef_0B(command); // a command interface starts nothing
    QVERIFY(command->outputReports().empty());
    service->setDeviceRef_0A(device);
    QCOMPARE(int(device->outputReports().size()), reportsPerBinding);
    QCOMPARE(int(m_sim->usb.requests().size()), usbRequestsPerBinding);
    service->setDeviceRef_0A(device); // once per binding
    QCOMPARE(int(device->outputReports().size()), 2 * reportsPerBinding);
    QCOMPARE(int(m_sim->usb.requests().size()), 2 * usbRequestsPerBinding);
    QVERIFY(command->outputReports().empty());
}

void TestService::commandInterfaceTiming_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("bootProgram");
    QTest::addColumn<QString>("path");
    QTest::addColumn<double>("firstDue"); // run-loop seconds

    // The screen check at 2 s is the first timer when the binding schedules
    // nothing.
    QTest::newRow("boot program without path: prompt after 0.5 s")
        << Model::TevraM << true << QString() << 0.5;
    // Its first progress notice goes out on the next turn.
    QTest::newRow("boot program with path: update resumes at once")
        << Model::TevraM << true << QStringLiteral("/tmp/fw.bin") << 0.0;
    QTest::newRow("Kalverin S: version read after 1 s") << Model::KalverinS << false << QString() << 1.0;
    QTest::newRow("other model: nothing") << Model::TevraM << false << QString() << 2.0;
}

void TestService::commandInterfaceTiming()
{
    QFETCH(Model, model);
    QFETCH(bool, bootProgram);
    QFETCH(QString, path);
    QFETCH(double, firstDue);

    auto service = makeService(model);
    service->setBPath(path);
    SimHidDevice *c = m_sim->hid.connect("c", looseInterface(bootProgram ? 0xFF0C : 0xFF0B));
    service->setDeviceRef_0C(c, bootProgram);
    QCOMPARE(service->isFirmwareUpdate(), bootProgram);
    QVERIFY(c->hasInputCallback());
    QCOMPARE(m_sim->runLoop.nextDueTime(), firstDue);

    // A service cleaned up before the step falls due skips it (a progress
    // notice already posted still goes out, to no window).
    service->cleanup();
    m_sim->runLoop.drain();
    QVERIFY(m_sim->runLoop.nextDueTime() < 0);
}

void TestService::cleanupUnregistersEveryInterface()
{
    auto service = makeService(Model::TevraQ);
    SimHidDevice *replaced = m_sim->hid.connect("old", looseInterface(0xFF0A));
    SimHidDevice *report = m_sim->hid.connect("new", looseInterface(0xFF0A));
    SimHidDevice *b = m_sim->hid.connect("b", looseInterface(0xFF0B));
    SimHidDevice *c = m_sim->hid.connect("c", looseInterface(0xFF0C));
    service->setDeviceRef_0A(replaced);
    service->setDeviceRef_0A(report); // the slot is rebound
    service->setDeviceRef_0B(b);
    service->setDeviceRef_0C(c, false);
    for (SimHidDevice *device : { replaced, report, b, c })
        QVERIFY(device->hasInputCallback());

    // A change still pending is written at cleanup.
    service->configMan()->updateConfiguration(store::OVCFGPenKey, store::OVCFGTips, false);
    const int writes = m_sim->files.writeCount();
    service->cleanup();
    QCOMPARE(m_sim->files.writeCount(), writes + 1);
    for (SimHidDevice *device : { replaced, report, b, c })
        QVERIFY2(!device->hasInputCallback(), qPrintable(device->name()));

    // Binding after cleanup is refused.
    service->setDeviceRef_0A(report);
    QVERIFY(!report->hasInputCallback());
    QVERIFY(report->outputReports().size() == 1);
}

void TestService::noReportReachesAGoneService()
{
    auto service = makeService(Model::TevraQ);
    SimHidDevice *replaced = m_sim->hid.connect("old", looseInterface(0xFF0A));
    SimHidDevice *report = m_sim->hid.connect("new", looseInterface(0xFF0A));
    service->setDeviceRef_0A(replaced);
    service->setDeviceRef_0A(report);
    service->cleanup();
    service.reset();
    // Under the address sanitizer a report into the freed service would fail here.
    QVERIFY(m_sim->hid.report("old", bytesOf(kHover)));
    QVERIFY(m_sim->hid.report("new", bytesOf(kHover)));
}

void TestService::removedInterfaceIsForgotten()
{
    auto service = makeService(Model::TevraM);
    SimHidDevice *report = m_sim->hid.connect("r", looseInterface(0xFF0A));
    SimHidDevice *command = m_sim->hid.connect("b", looseInterface(0xFF00));
    service->setDeviceRef_0A(report);
    service->setDeviceRef_0B(command); // bound through a pair, its own page 0xFF00

    service->interfaceRemoved(command);
    QVERIFY(m_sim->hid.remove("b")); // the interface is gone for good
    QCOMPARE(service->deviceRefForPup(0xFF0B), nullptr);
    QCOMPARE(service->deviceRefForPup(0xFF0A), report);

    // Cleanup touches only what is still there (the sanitizer watches).
    service->cleanup();
    QVERIFY(!report->hasInputCallback());
}

void TestService::orientationTurnsAPenDisplay_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QVariant>("degree"); // a change after the load, or none
    QTest::addColumn<QList<int>>("rotations"); // degrees asked of the display, in order
    QTest::addColumn<QString>("matrix"); // the factory matrix in force, or none
    QTest::newRow("pen display, load") << Model::Sorvi22 << QVariant() << QList<int>{0}
                                       << QStringLiteral("OVCFGMonitorCalibZD");
    QTest::newRow("pen display, turned to 90")
        << Model::Sorvi22 << QVariant(qint64(1)) << QList<int>{0, 90} << QStringLiteral("OVCFGMonitorCalibND");
    QTest::newRow("pen display, turned to 270")
        << Model::Sorvi22 << QVariant(qint64(3)) << QList<int>{0, 270} << QStringLiteral("OVCFGMonitorCalibTSD");
    QTest::newRow("tablet, load") << Model::TevraM << QVariant() << QList<int>{} << QString();
    QTest::newRow("tablet, turned to 90") << Model::TevraM << QVariant(qint64(1)) << QList<int>{} << QString();
}

void TestService::orientationTurnsAPenDisplay()
{
    QFETCH(Model, model);
    QFETCH(QVariant, degree);
    QFETCH(QList<int>, rotations);
    QFETCH(QString, matrix);

    // The pen display's panel beside a built-in main display.
    DisplayInfo builtIn;
    builtIn.id = 1;
    builtIn.bounds = QRectF(0, 0, 1440, 900);
    builtIn.main = true;
    builtIn.builtin = true;
    builtIn.productName = QStringLiteral("Built-in Retina Display");
    m_sim->displays.setDisplay(builtIn);
    DisplayInfo panel;
    panel.id = 9;
    panel.bounds = QRectF(1440, 0, 1920, 1080);
    panel.productName = QStringLiteral("SV22");
    m_sim->displays.setDisplay(panel);

    auto service = makeService(model);
    if (degree.isValid()) {
        service->configMan()->updateConfiguration(store::OVCFGPenKey, store::OVCFGDegree, degree);
        m_sim->runLoop.drain();
        QCOMPARE(service->settings().ovDegree, degree.toULongLong());
    }

    QList<int> asked;
    for (const auto &[id, degrees] : m_sim->displays.rotationRequests()) {
        QCOMPARE(id, panel.id);
        asked << degrees;
    }
    QCOMPARE(asked, rotations);

    const driver::MappingCalibration &calibration = service->calibration();
    QCOMPARE(calibration.calibrated, !matrix.isEmpty());
    if (matrix.isEmpty())
        return;
    const QVariantMap monitor
        = store::defaultConfiguration(store::devKeyFor(model), true, QString()).value(store::OVCFGMonitor).toMap();
    const QVariantMap factory = monitor.value(store::OVCFGMonitorCalib).toMap().value(matrix).toMap();
    const driver::CalibMatrix expected{factory["A"].toFloat(), factory["B"].toFloat(), factory["C"].toFloat(),
                                       factory["D"].toFloat(), factory["E"].toFloat(), factory["F"].toFloat()};
    QCOMPARE(calibration.abcdef, expected);
    // The edge record is the factory one, whatever the orientation.
    const QPointF maxX = store::pointFromString(monitor.value(store::OVCFGMonitorCalibMAXX).toString());
    QCOMPARE(calibration.cbDelta.maxX.ix, qint32(maxX.x()));
    QCOMPARE(calibration.cbDelta.maxX.dx, qint32(maxX.y()));
}

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
