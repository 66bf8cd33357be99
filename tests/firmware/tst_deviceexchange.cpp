#include <atomic>
#include <chrono>
#include <thread>

#include <QTest>

#include "firmware/devcmd.h"
#include "firmware/deviceexchange.h"
#include "store/ovmodels.h"
#include "support_firmwaredevice.h"

using namespace firmware;
using namespace std::chrono_literals;
using fwtest::onWorker;

class TestDeviceExchange : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void informationCommands();
    void runSpace_data();
    void runSpace();
    void commandFailures_data();
    void commandFailures();
    void flashSpace_data();
    void flashSpace();
    void payloadsReachTheDevice();
    void reportsDuringWait_data();
    void reportsDuringWait();
    void sendFailure();
    void silentDeviceEndsAtDeadline();
    void cleanupEndsWait();
    void lateReplyIsDropped();
    void absentInterface_data();
    void absentInterface();
    void mainThreadNeverWaits();
    void exchangesAreSerialised();
    void sequenceIsSharedByDevices();

private:
    std::unique_ptr<platform::sim::SimRunLoop> m_runLoop;
    std::unique_ptr<platform::sim::SimHidSystem> m_hid;
    std::unique_ptr<fwtest::SimFirmwareDevice> m_device;
    std::shared_ptr<DeviceExchange> m_exchange;
    std::unique_ptr<fwtest::LogCapture> m_log;
};

void TestDeviceExchange::init()
{
    m_log = std::make_unique<fwtest::LogCapture>();
    m_runLoop = std::make_unique<platform::sim::SimRunLoop>();
    m_hid = std::make_unique<platform::sim::SimHidSystem>();
    m_device = std::make_unique<fwtest::SimFirmwareDevice>(*m_hid, *m_runLoop);
    m_exchange = DeviceExchange::create(*m_runLoop, store::devKeyFor(store::Model::KalverinS));
    m_exchange->setDeadlines({500ms, 500ms});
    m_device->attach(*m_exchange);
}

void TestDeviceExchange::cleanup()
{
    m_exchange->cleanup();
    // Let answers still queued by the double run while it exists.
    fwtest::pumpUntil(*m_runLoop, [] { return true; });
    m_exchange.reset();
    m_device.reset();
    m_hid.reset();
    m_runLoop.reset();
    m_log.reset();
}

void TestDeviceExchange::informationCommands()
{
    const auto version = onWorker(*m_runLoop, [&] { return Tll_DevCmd_ReadVersionInfo(*m_exchange, 3, 7); });
    QVERIFY(version);
    QCOMPARE(version->firmwareMajor, quint16(1));
    QCOMPARE(version->firmwareMinor, quint16(15));
    QCOMPARE(version->hardwareMajor, quint16(1));
    QCOMPARE(version->hardwareMinor, quint16(2));
    QCOMPARE(version->reserved[5], std::uint8_t(5));
    QCOMPARE(version->further, (std::array<quint16, 3>{7, 8, 9}));

    const auto cpu = onWorker(*m_runLoop, [&] { return Tll_DevCmd_ReadCpuInfo(*m_exchange, 3, 2); });
    QCOMPARE(cpu, std::optional<CpuInfo>(CpuInfo{3, 1, 5}));

    const auto requests = m_device->requests();
    QCOMPARE(requests.size(), size_t(2));
    for (const fwtest::Request &request : requests) {
        QCOMPARE(request.reportLength, 1101);
        QVERIFY(request.crcValid);
        QVERIFY(request.zeroPadded);
        QVERIFY(request.payload.isEmpty());
        QCOMPARE(request.words[0], quint16(0));
    }
    QCOMPARE(requests[0].words[1], quint16(0x0101));
    QCOMPARE(requests[0].words[2], quint16(0x0202));
    QCOMPARE(requests[1].words[1], quint16(0x0102)); // model 2, the M517 V2
    QCOMPARE(requests[1].words[2], quint16(0x0204));
    QCOMPARE(m_log->lines("ov.stdout"), QStringList());
}

void TestDeviceExchange::runSpace_data()
{
    QTest::addColumn<QByteArray>("spaceByte");
    QTest::addColumn<int>("resultCode");
    QTest::addColumn<bool>("corruptCrc");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("boot program") << QByteArray(1, '\0') << 0 << false << 0 << QStringList();
    QTest::newRow("application") << QByteArray(1, '\1') << 0 << false << 1 << QStringList();
    QTest::newRow("other space") << QByteArray(1, '\2') << 0 << false << 4 << QStringList();
    QTest::newRow("device error") << QByteArray(1, '\0') << 3 << false << 4
                                  << QStringList{QStringLiteral("Tll_IapCmd_CheckRunSpace RspErrCode: 0x 3")};
    QTest::newRow("bad CRC") << QByteArray(1, '\0') << 0 << true << 4
                             << QStringList{QStringLiteral("Tll_IapCmd_CheckRunSpace RspErrCode: 0x 8")};
    QTest::newRow("reply without data") << QByteArray("") << 0 << false << 4
                                        << QStringList{QStringLiteral("Tll_IapCmd_CheckRunSpace RspErrCode: 0x 8")};
}

void TestDeviceExchange::runSpace()
{
    QFETCH(QByteArray, spaceByte);
    QFETCH(int, resultCode);
    QFETCH(bool, corruptCrc);
    QFETCH(int, expected);
    QFETCH(QStringList, log);
    m_device->runSpaceByte = spaceByte;
    m_device->resultCodes[0x0101] = quint16(resultCode);
    m_device->corruptCrc = corruptCrc;
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckRunSpace(*m_exchange, 3); }), expected);
    QCOMPARE(m_log->lines("ov.stdout"), log);
}

void TestDeviceExchange::commandFailures_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("line");
    QTest::newRow("ModifyRunSpace") << 0x0102 << QStringLiteral("Tll_IapCmd_ModifyRunSpace RspErrCode: 6");
    QTest::newRow("CheckReserveFlashSpace") << 0x0103
                                            << QStringLiteral("Tll_IapCmd_CheckReserveFlashSpace RspErrCode: 6");
    QTest::newRow("TransmitVersionFile") << 0x0104 << QStringLiteral("Tll_IapCmd_TransmitVersionFile RspErrCode: 6");
    QTest::newRow("TransmitVersionFilePara") << 0x0105
                                             << QStringLiteral("Tll_IapCmd_TransmitVersionFilePara RspErrCode: 6");
    QTest::newRow("ReadVersionInfo logs nothing") << 0x0202 << QString();
    QTest::newRow("ReadCpuInfo logs nothing") << 0x0204 << QString();
}

void TestDeviceExchange::commandFailures()
{
    QFETCH(int, command);
    QFETCH(QString, line);
    m_device->resultCodes[quint16(command)] = 6;
    const std::array<std::uint8_t, 1032> record{};
    const bool failed = onWorker(*m_runLoop, [&] {
        switch (command) {
        case 0x0102:
            return Tll_IapCmd_ModifyRunSpace(*m_exchange, 3, 0) == 0;
        case 0x0103:
            return Tll_IapCmd_CheckReserveFlashSpace(*m_exchange, 3) == -1;
        case 0x0104:
            return Tll_IapCmd_TransmitVersionFile(*m_exchange, 3, record) == 0;
        case 0x0105:
            return Tll_IapCmd_TransmitVersionFilePara(*m_exchange, 3, 1, 2) == 0;
        case 0x0202:
            return !Tll_DevCmd_ReadVersionInfo(*m_exchange, 3, 1);
        default:
            return !Tll_DevCmd_ReadCpuInfo(*m_exchange, 3, 1);
        }
    });
    QVERIFY(failed);
    QCOMPARE(m_log->lines("ov.stdout"), line.isNull() ? QStringList() : QStringList{line});
    QCOMPARE(m_device->commandWords(), std::vector<quint16>{quint16(command)});
}

void TestDeviceExchange::flashSpace_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("65536") << QByteArray::fromHex("00000100") << qint64(65536);
    QTest::newRow("low byte first") << QByteArray::fromHex("01020304") << qint64(0x04030201);
    QTest::newRow("top bit set") << QByteArray::fromHex("00000080") << qint64(INT32_MIN);
}

void TestDeviceExchange::flashSpace()
{
    QFETCH(QByteArray, data);
    QFETCH(qint64, expected);
    m_device->flashBytes = data;
    QCOMPARE(qint64(onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckReserveFlashSpace(*m_exchange, 3); })),
             expected);
}

void TestDeviceExchange::payloadsReachTheDevice()
{
    std::array<std::uint8_t, 1032> record;
    for (size_t i = 0; i < record.size(); ++i)
        record[i] = std::uint8_t(i * 13);
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_ModifyRunSpace(*m_exchange, 3, 0); }), 1);
    QCOMPARE(m_device->runSpace, 0);
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_TransmitVersionFilePara(*m_exchange, 3, 0x12345, 0xDEADBEEF); }),
             1);
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_TransmitVersionFile(*m_exchange, 3, record); }), 1);

    const auto requests = m_device->requests();
    QCOMPARE(requests.size(), size_t(3));
    QCOMPARE(requests[0].payload, QByteArray(1, '\0'));
    QCOMPARE(requests[1].payload, QByteArray::fromHex("00012345deadbeef"));
    QCOMPARE(requests[2].payload, QByteArray(reinterpret_cast<const char *>(record.data()), 1032));
    for (const fwtest::Request &request : requests) {
        QVERIFY(request.crcValid);
        QVERIFY(request.zeroPadded);
        QCOMPARE(request.words[1], quint16(0x0301));
    }
}

void TestDeviceExchange::reportsDuringWait_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("withReply");
    QTest::addColumn<int>("expected");
    QTest::newRow("10-byte report changes nothing") << QByteArray(10, '\x01') << true << 1;
    QTest::newRow("8-byte report ends the wait") << QByteArray::fromHex("0102030405060708") << true << 4;
    QTest::newRow("empty report ends the wait") << QByteArray() << true << 4;
    QTest::newRow("10-byte report alone: deadline") << QByteArray(10, '\xFC') << false << 4;
}

void TestDeviceExchange::reportsDuringWait()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, withReply);
    QFETCH(int, expected);
    m_exchange->setDeadlines({100ms, 100ms});
    m_device->beforeReply = {before};
    m_device->replyAtAll = withReply;
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckRunSpace(*m_exchange, 3); }), expected);
}

void TestDeviceExchange::sendFailure()
{
    m_device->refuseReports(platform::hidresult::Error);
    m_exchange->setDeadlines({5000ms, 5000ms});
    const auto started = std::chrono::steady_clock::now();
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_ModifyRunSpace(*m_exchange, 3, 0); }), 0);
    QVERIFY(std::chrono::steady_clock::now() - started < 2s);
    QCOMPARE(m_log->lines("ov.stdout"), (QStringList{QStringLiteral("Driver_Comm_SendFailed: -536870212"),
                                                     QStringLiteral("Tll_IapCmd_ModifyRunSpace RspErrCode: 8")}));
    QCOMPARE(m_device->runSpace, 1);
}

void TestDeviceExchange::silentDeviceEndsAtDeadline()
{
    m_device->silent = true;
    m_exchange->setDeadlines({50ms, 80ms});
    const auto timed = [&](auto command) {
        const auto started = std::chrono::steady_clock::now();
        const auto result = onWorker(*m_runLoop, command);
        return std::make_pair(result, std::chrono::steady_clock::now() - started);
    };
    const auto version = timed([&] { return Tll_DevCmd_ReadVersionInfo(*m_exchange, 3, 7).has_value(); });
    QCOMPARE(version.first, false);
    QVERIFY(version.second >= 50ms && version.second < 1s);
    const auto cpu = timed([&] { return Tll_DevCmd_ReadCpuInfo(*m_exchange, 3, 7).has_value(); });
    QCOMPARE(cpu.first, false);
    const auto space = timed([&] { return Tll_IapCmd_CheckRunSpace(*m_exchange, 3); });
    QCOMPARE(space.first, 4);
    const auto flash = timed([&] { return Tll_IapCmd_CheckReserveFlashSpace(*m_exchange, 3); });
    QCOMPARE(flash.first, -1);
    QVERIFY(flash.second >= 80ms && flash.second < 1s);
    const std::array<std::uint8_t, 1032> record{};
    QCOMPARE(timed([&] { return Tll_IapCmd_TransmitVersionFile(*m_exchange, 3, record); }).first, 0);
    QCOMPARE(timed([&] { return Tll_IapCmd_TransmitVersionFilePara(*m_exchange, 3, 0, 0); }).first, 0);
    QCOMPARE(timed([&] { return Tll_IapCmd_ModifyRunSpace(*m_exchange, 3, 0); }).first, 0);

    const QString key = store::devKeyFor(store::Model::KalverinS);
    QCOMPARE(m_log->warnings().size(), 7);
    QCOMPARE(m_log->warnings().first(), key + QStringLiteral(": cannot read reply: none within 50 ms"));
    QCOMPARE(m_log->warnings().last(), key + QStringLiteral(": cannot read reply: none within 80 ms"));
    // A timed-out command fails as a missing reply does.
    QCOMPARE(m_log->lines("ov.stdout"),
             (QStringList{QStringLiteral("Tll_IapCmd_CheckRunSpace RspErrCode: 0x 8"),
                          QStringLiteral("Tll_IapCmd_CheckReserveFlashSpace RspErrCode: 8"),
                          QStringLiteral("Tll_IapCmd_TransmitVersionFile RspErrCode: 8"),
                          QStringLiteral("Tll_IapCmd_TransmitVersionFilePara RspErrCode: 8"),
                          QStringLiteral("Tll_IapCmd_ModifyRunSpace RspErrCode: 8")}));
}

void TestDeviceExchange::cleanupEndsWait()
{
    m_device->silent = true;
    m_exchange->setDeadlines({10s, 10s});
    std::atomic<int> result{-2};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = Tll_IapCmd_CheckRunSpace(*m_exchange, 3);
        done = true;
    });
    QVERIFY(fwtest::pumpUntil(*m_runLoop, [&] { return m_device->requests().size() == 1; }));
    const auto cleaned = std::chrono::steady_clock::now();
    m_exchange->cleanup();
    QVERIFY(fwtest::pumpUntil(*m_runLoop, [&] { return done.load(); }, 2s));
    QVERIFY(std::chrono::steady_clock::now() - cleaned < 500ms);
    worker.join();
    QCOMPARE(result.load(), 4);

    // Nothing is sent once the service has gone.
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckReserveFlashSpace(*m_exchange, 3); }), -1);
    QCOMPARE(m_device->requests().size(), size_t(1));
}

void TestDeviceExchange::lateReplyIsDropped()
{
    m_exchange->setDeadlines({50ms, 50ms});
    m_device->answerDelay = 150ms;
    std::array<std::uint8_t, kReportLength> request{};
    buildRequestReport(request, takeSequenceNumber(), 0, 0x0301, 0x0101, {});
    std::array<std::uint8_t, kReportLength> reply;
    reply.fill(0xAB);
    quint16 length = 777;
    const CommOutcome outcome =
        onWorker(*m_runLoop, [&] { return m_exchange->DriverCommSend(3, request, reply, &length, 50ms); });
    QCOMPARE(outcome, CommOutcome::TimedOut);
    // The reply comes after the worker gave up: it must land nowhere.
    std::this_thread::sleep_for(200ms);
    m_runLoop->drain();
    QCOMPARE(length, quint16(777));
    QVERIFY(std::all_of(reply.begin(), reply.end(), [](std::uint8_t b) { return b == 0xAB; }));

    // The next exchange is not confused by it.
    m_device->answerDelay = 0ms;
    m_exchange->setDeadlines({500ms, 500ms});
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckRunSpace(*m_exchange, 3); }), 1);
}

void TestDeviceExchange::absentInterface_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("report interface unbound") << 1;
    QTest::newRow("0xFF0B unbound") << 2;
    QTest::newRow("number 0") << 0;
    QTest::newRow("number 4") << 4;
}

void TestDeviceExchange::absentInterface()
{
    QFETCH(int, number);
    m_exchange->setDeadlines({5s, 5s});
    const auto started = std::chrono::steady_clock::now();
    QCOMPARE(onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckReserveFlashSpace(*m_exchange, number); }), -1);
    QVERIFY(std::chrono::steady_clock::now() - started < 2s);
    QVERIFY(m_device->requests().empty());
    QCOMPARE(m_log->lines("ov.stdout"), QStringList{QStringLiteral("Tll_IapCmd_CheckReserveFlashSpace RspErrCode: 8")});
}

void TestDeviceExchange::mainThreadNeverWaits()
{
    m_exchange->setDeadlines({5s, 5s});
    QCOMPARE(Tll_IapCmd_CheckRunSpace(*m_exchange, 3), 4);
    m_runLoop->drain();
    QVERIFY(m_device->requests().empty());
    QCOMPARE(m_log->warnings(), QStringList{store::devKeyFor(store::Model::KalverinS)
                                            + QStringLiteral(": cannot send command: called on the main thread")});
}

void TestDeviceExchange::exchangesAreSerialised()
{
    m_device->answerDelay = 5ms;
    std::atomic<int> finished{0};
    std::atomic<int> succeeded{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 3; ++t) {
        workers.emplace_back([&] {
            for (int i = 0; i < 4; ++i) {
                if (Tll_IapCmd_CheckRunSpace(*m_exchange, 3) == 1)
                    ++succeeded;
            }
            ++finished;
        });
    }
    QVERIFY(fwtest::pumpUntil(*m_runLoop, [&] { return finished == 3; }));
    for (std::thread &worker : workers)
        worker.join();
    QCOMPARE(succeeded.load(), 12);
    QCOMPARE(m_device->requests().size(), size_t(12));
    QVERIFY(!m_device->sawOverlap());
}

void TestDeviceExchange::sequenceIsSharedByDevices()
{
    auto other = DeviceExchange::create(*m_runLoop, store::devKeyFor(store::Model::TevraM));
    onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckRunSpace(*m_exchange, 3); });
    // The other device has no interface: its frame is built, not sent.
    onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckRunSpace(*other, 3); });
    onWorker(*m_runLoop, [&] { return Tll_IapCmd_CheckRunSpace(*m_exchange, 3); });
    const auto requests = m_device->requests();
    QCOMPARE(requests.size(), size_t(2));
    QCOMPARE(quint16(requests[1].sequence - requests[0].sequence), quint16(2));
}

QTEST_GUILESS_MAIN(TestDeviceExchange)
#include "tst_deviceexchange.moc"
