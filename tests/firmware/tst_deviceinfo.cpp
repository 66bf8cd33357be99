#include <QTest>

#include "firmware/deviceexchange.h"
#include "firmware/deviceinfo.h"
#include "platform/sim/simdesktop.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "support_firmwaredevice.h"

using namespace firmware;
using namespace std::chrono_literals;

class TestDeviceInfo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void versionText_data();
    void versionText();
    void kalverinSPreference_data();
    void kalverinSPreference();
    void bootProgramAsksForCpuInfo();
    void kalverinSAfterBinding_data();
    void kalverinSAfterBinding();
    void cleanupDuringTheDelayQueriesNothing();
    void cpuQueryWithoutCallback();
    void bootProgramEntry();
    void diagnosticsVersions();

private:
    void makeInfo(store::Model model, bool boot);

    std::unique_ptr<platform::sim::SimRunLoop> m_runLoop;
    std::unique_ptr<platform::sim::SimHidSystem> m_hid;
    std::unique_ptr<fwtest::SimFirmwareDevice> m_device;
    std::unique_ptr<platform::sim::MemoryUserDefaults> m_defaults;
    std::shared_ptr<DeviceExchange> m_exchange;
    std::shared_ptr<DeviceInfo> m_info;
    std::unique_ptr<fwtest::LogCapture> m_log;
};

void TestDeviceInfo::init()
{
    m_log = std::make_unique<fwtest::LogCapture>();
    m_runLoop = std::make_unique<platform::sim::SimRunLoop>();
    m_hid = std::make_unique<platform::sim::SimHidSystem>();
    m_device = std::make_unique<fwtest::SimFirmwareDevice>(*m_hid, *m_runLoop);
    m_defaults = std::make_unique<platform::sim::MemoryUserDefaults>();
}

void TestDeviceInfo::makeInfo(store::Model model, bool boot)
{
    m_exchange = DeviceExchange::create(*m_runLoop, store::devKeyFor(model));
    m_device->attach(*m_exchange);
    m_info = DeviceInfo::create(m_exchange, *m_runLoop, *m_defaults);
    m_info->setIsFirmwareUpdate(boot);
}

void TestDeviceInfo::cleanup()
{
    if (m_info) {
        m_info->cleanup();
        m_exchange->cleanup();
        m_runLoop->drain();
        // Nothing the object scheduled holds it any more.
        QCOMPARE(m_info.use_count(), 1L);
    }
    m_info.reset();
    m_exchange.reset();
    m_device.reset();
    m_hid.reset();
    m_runLoop.reset();
    m_defaults.reset();
    m_log.reset();
}

void TestDeviceInfo::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.15") << 1 << 15 << QStringLiteral("1.15");
    QTest::newRow("minor below 10") << 1 << 5 << QStringLiteral("1.05");
    QTest::newRow("minor 123 reads as decimals") << 1 << 123 << QStringLiteral("1.12");
    QTest::newRow("failed read") << 0 << 0 << QStringLiteral("0.00");
    QTest::newRow("minor 100") << 2 << 100 << QStringLiteral("2.10");
}

void TestDeviceInfo::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, text);
    QCOMPARE(firmware::versionText(quint16(major), quint16(minor)), text);
}

void TestDeviceInfo::kalverinSPreference_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("minor");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QVariant>("preset");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("fwVer");
    const QVariant none;
    QTest::newRow("Kalverin S 1.15") << int(store::Model::KalverinS) << 15 << false << none << QVariant(true)
                                     << QStringLiteral("1.15");
    QTest::newRow("Kalverin S 1.05") << int(store::Model::KalverinS) << 5 << false << QVariant(true)
                                     << QVariant(false) << QStringLiteral("1.05");
    QTest::newRow("failed read keeps YES") << int(store::Model::KalverinS) << 15 << true << QVariant(true)
                                           << QVariant(true) << QStringLiteral("0.00");
    QTest::newRow("failed read writes nothing") << int(store::Model::KalverinS) << 15 << true << none << none
                                                << QStringLiteral("0.00");
    QTest::newRow("Kalverin M never writes") << int(store::Model::KalverinM) << 15 << false << none << none
                                             << QStringLiteral("1.15");
}

void TestDeviceInfo::kalverinSPreference()
{
    QFETCH(int, model);
    QFETCH(int, minor);
    QFETCH(bool, silent);
    QFETCH(QVariant, preset);
    QFETCH(QVariant, expected);
    QFETCH(QString, fwVer);
    makeInfo(store::Model(model), false);
    if (preset.isValid())
        m_defaults->setValue(store::KalverinSIs115, preset);
    m_device->firmwareMinor = quint8(minor);
    m_device->silent = silent;

    bool read = false;
    m_info->hfvers([&] { read = true; });
    QVERIFY(fwtest::runUntil(*m_runLoop, [&] { return read; }));
    // A silent device's read ends at its deadline, 1 s after the request.
    QCOMPARE(m_runLoop->now(), silent ? 1.0 : 0.0);
    QCOMPARE(m_info->fwVer(), fwVer);
    QCOMPARE(m_info->hdVer(), silent ? QStringLiteral("0.00") : QStringLiteral("1.02"));
    m_runLoop->advance(0.09);
    QCOMPARE(m_defaults->value(store::KalverinSIs115), preset); // not before 0.1 s
    m_runLoop->advance(0.02);
    QCOMPARE(m_defaults->value(store::KalverinSIs115), expected);
    m_runLoop->advance(5);
    QCOMPARE(m_device->requests().size(), size_t(1));
}

void TestDeviceInfo::bootProgramAsksForCpuInfo()
{
    makeInfo(store::Model::KalverinS, true);
    m_device->answerDelay = 0.05;
    int alerts = 0;
    std::vector<CpuInfo> completions;
    m_info->setShowUpdateAlert([&] {
        ++alerts;
        // The prompt reads what the query stored.
        QCOMPARE(m_info->cpuInfo(), (CpuInfo{3, 1, 5}));
    });
    m_info->setRequestCpuInfoComplete([&](const CpuInfo &info) { completions.push_back(info); });

    m_info->hfvers();
    QVERIFY(fwtest::runUntil(*m_runLoop, [&] { return alerts == 1; }));
    QCOMPARE(completions, std::vector<CpuInfo>{(CpuInfo{3, 1, 5})});
    QCOMPARE(m_device->commandWords(), (std::vector<quint16>{0x0202, 0x0204}));
    // The CPU request goes out 0.5 s after the version reply.
    QVERIFY(qAbs(m_device->requestTimes()[1] - 0.55) < 1e-9);
    // In its boot program even the Kalverin S leaves the default alone.
    QVERIFY(!m_defaults->value(store::KalverinSIs115).isValid());
}

void TestDeviceInfo::kalverinSAfterBinding_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("boot");
    QTest::addColumn<bool>("reads");
    QTest::newRow("Kalverin S") << int(store::Model::KalverinS) << false << true;
    QTest::newRow("Kalverin M") << int(store::Model::KalverinM) << false << false;
    QTest::newRow("Kalverin S in its boot program") << int(store::Model::KalverinS) << true << false;
}

void TestDeviceInfo::kalverinSAfterBinding()
{
    QFETCH(int, model);
    QFETCH(bool, boot);
    QFETCH(bool, reads);
    makeInfo(store::Model(model), boot);
    m_info->interfaceBound();
    m_runLoop->advance(0.99);
    QVERIFY(m_device->requests().empty());
    m_runLoop->advance(0.01);
    if (!reads) {
        m_runLoop->advance(2);
        QVERIFY(m_device->requests().empty());
        QVERIFY(m_defaults->all().isEmpty());
        return;
    }
    QCOMPARE(m_device->commandWords(), std::vector<quint16>{0x0202});
    QCOMPARE(m_device->requestTimes(), std::vector<double>{1.0});
    QCOMPARE(m_runLoop->nextDueTime(), m_runLoop->now() + 0.1);
    m_runLoop->advance(0.1);
    QCOMPARE(m_defaults->value(store::KalverinSIs115), QVariant(true));
}

void TestDeviceInfo::cleanupDuringTheDelayQueriesNothing()
{
    makeInfo(store::Model::KalverinS, false);
    m_info->interfaceBound();
    m_runLoop->advance(0.5);
    m_info->cleanup();
    m_runLoop->advance(2);
    QVERIFY(m_device->requests().empty());
    QVERIFY(m_info->hdVer().isNull());
}

void TestDeviceInfo::cpuQueryWithoutCallback()
{
    makeInfo(store::Model::TevraS, false);
    int alerts = 0;
    m_info->setShowUpdateAlert([&] { ++alerts; });
    m_info->requestCpuInfo();
    m_runLoop->drain();
    QCOMPARE(m_device->requests().size(), size_t(1));
    QCOMPARE(m_device->requests()[0].words[1], quint16(0x0102)); // Tevra S, model 4
    QCOMPARE(m_info->cpuInfo(), CpuInfo{});
    QCOMPARE(alerts, 0);

    // A result that arrives after cleanup reaches nobody.
    std::vector<CpuInfo> completions;
    m_info->setRequestCpuInfoComplete([&](const CpuInfo &info) { completions.push_back(info); });
    m_device->answerDelay = 0.05;
    m_info->requestCpuInfo();
    m_runLoop->drain();
    QCOMPARE(m_device->requests().size(), size_t(2));
    m_info->cleanup();
    m_runLoop->advance(1);
    QVERIFY(completions.empty());
}

void TestDeviceInfo::bootProgramEntry()
{
    makeInfo(store::Model::TevraM, true);
    int firsts = 0;
    int alerts = 0;
    m_info->setShowUpdateAlert([&] { ++alerts; });
    m_info->bootProgramEntered([&] {
        // The quit notice goes out before the query.
        QVERIFY(m_device->requests().empty());
        ++firsts;
    });
    m_runLoop->advance(0.49);
    QCOMPARE(firsts, 0);
    m_runLoop->advance(0.01);
    QCOMPARE(firsts, 1);
    QCOMPARE(m_device->requestTimes(), std::vector<double>{0.5});
    m_runLoop->advance(0.49);
    QCOMPARE(alerts, 0);
    m_runLoop->advance(0.01);
    QCOMPARE(alerts, 1);
    QCOMPARE(m_device->commandWords(), (std::vector<quint16>{0x0202, 0x0204}));
    QCOMPARE(m_info->hdVer(), QStringLiteral("1.02"));
    QCOMPARE(m_info->cpuInfo(), (CpuInfo{3, 1, 5}));
}

void TestDeviceInfo::diagnosticsVersions()
{
    makeInfo(store::Model::M482PlusV2, false);
    m_device->hardwareMinor = 0;
    QString hd, fw;
    int calls = 0;
    m_info->readVersions([&](const QString &h, const QString &f) {
        hd = h;
        fw = f;
        ++calls;
    });
    QVERIFY(fwtest::runUntil(*m_runLoop, [&] { return calls == 1; }));
    QCOMPARE(hd, QStringLiteral("1.00"));
    QCOMPARE(fw, QStringLiteral("1.15"));
    QVERIFY(m_defaults->all().isEmpty());

    m_info->cleanup();
    QVERIFY(m_info->hdVer().isNull());
    QVERIFY(m_info->fwVer().isNull());
}

QTEST_GUILESS_MAIN(TestDeviceInfo)
#include "tst_deviceinfo.moc"
