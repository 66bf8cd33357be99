#include <QTest>

#include "firmware/devcmd.h"
#include "firmware/deviceexchange.h"
#include "store/ovmodels.h"
#include "support_firmwaredevice.h"

using namespace firmware;
using namespace std::chrono_literals;
using fwtest::await;

namespace {

// The seven commands with their results as plain values, for the tables.
int checkRunSpace(platform::sim::SimRunLoop &loop, DeviceExchange &exchange, int number = 3)
{
    return await<int>(loop, [&](auto done) { Tll_IapCmd_CheckRunSpace(exchange, number, done); });
}

qint32 reserveFlash(platform::sim::SimRunLoop &loop, DeviceExchange &exchange, int number = 3)
{
    return await<qint32>(loop, [&](auto done) { Tll_IapCmd_CheckReserveFlashSpace(exchange, number, done); });
}

int modifyRunSpace(platform::sim::SimRunLoop &loop, DeviceExchange &exchange)
{
    return await<int>(loop, [&](auto done) { Tll_IapCmd_ModifyRunSpace(exchange, 3, 0, done); });
}

int transmitRecord(platform::sim::SimRunLoop &loop, DeviceExchange &exchange, std::span<const std::uint8_t> record)
{
    return await<int>(loop, [&](auto done) { Tll_IapCmd_TransmitVersionFile(exchange, 3, record, done); });
}

int transmitPara(platform::sim::SimRunLoop &loop, DeviceExchange &exchange, quint32 size, quint32 crc)
{
    return await<int>(loop, [&](auto done) { Tll_IapCmd_TransmitVersionFilePara(exchange, 3, size, crc, done); });
}

std::optional<VersionRecord> readVersion(platform::sim::SimRunLoop &loop, DeviceExchange &exchange, int model)
{
    return await<std::optional<VersionRecord>>(
        loop, [&](auto done) { Tll_DevCmd_ReadVersionInfo(exchange, 3, model, done); });
}

std::optional<CpuInfo> readCpu(platform::sim::SimRunLoop &loop, DeviceExchange &exchange, int model)
{
    return await<std::optional<CpuInfo>>(loop,
                                         [&](auto done) { Tll_DevCmd_ReadCpuInfo(exchange, 3, model, done); });
}

} // namespace

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
    void interfaceGoneEndsWait();
    void lateReplyIsDropped();
    void absentInterface_data();
    void absentInterface();
    void exchangesAreQueued();
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
    m_device->attach(*m_exchange);
}

void TestDeviceExchange::cleanup()
{
    m_exchange->cleanup();
    m_runLoop->drain();
    m_exchange.reset();
    m_device.reset();
    m_hid.reset();
    m_runLoop.reset();
    m_log.reset();
}

void TestDeviceExchange::informationCommands()
{
    const auto version = readVersion(*m_runLoop, *m_exchange, 7);
    QVERIFY(version);
    QCOMPARE(version->firmwareMajor, quint16(1));
    QCOMPARE(version->firmwareMinor, quint16(15));
    QCOMPARE(version->hardwareMajor, quint16(1));
    QCOMPARE(version->hardwareMinor, quint16(2));
    QCOMPARE(version->reserved[5], std::uint8_t(5));
    QCOMPARE(version->further, (std::array<quint16, 3>{7, 8, 9}));

    QCOMPARE(readCpu(*m_runLoop, *m_exchange, 2), std::optional<CpuInfo>(CpuInfo{3, 1, 5}));

    const auto &requests = m_device->requests();
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
    // Answered on the next turn: no virtual time passed.
    QCOMPARE(m_runLoop->now(), 0.0);
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
    QCOMPARE(checkRunSpace(*m_runLoop, *m_exchange), expected);
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
    bool failed = false;
    switch (command) {
    case 0x0102:
        failed = modifyRunSpace(*m_runLoop, *m_exchange) == 0;
        break;
    case 0x0103:
        failed = reserveFlash(*m_runLoop, *m_exchange) == -1;
        break;
    case 0x0104:
        failed = transmitRecord(*m_runLoop, *m_exchange, record) == 0;
        break;
    case 0x0105:
        failed = transmitPara(*m_runLoop, *m_exchange, 1, 2) == 0;
        break;
    case 0x0202:
        failed = !readVersion(*m_runLoop, *m_exchange, 1);
        break;
    default:
        failed = !readCpu(*m_runLoop, *m_exchange, 1);
        break;
    }
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
    QCOMPARE(qint64(reserveFlash(*m_runLoop, *m_exchange)), expected);
}

void TestDeviceExchange::payloadsReachTheDevice()
{
    std::array<std::uint8_t, 1032> record;
    for (size_t i = 0; i < record.size(); ++i)
        record[i] = std::uint8_t(i * 13);
    QCOMPARE(modifyRunSpace(*m_runLoop, *m_exchange), 1);
    QCOMPARE(m_device->runSpace, 0);
    QCOMPARE(transmitPara(*m_runLoop, *m_exchange, 0x12345, 0xDEADBEEF), 1);
    QCOMPARE(transmitRecord(*m_runLoop, *m_exchange, record), 1);

    const auto &requests = m_device->requests();
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
    QTest::addColumn<double>("endsAt");
    QTest::newRow("10-byte report changes nothing") << QByteArray(10, '\x01') << true << 1 << 0.2;
    QTest::newRow("8-byte report ends the wait") << QByteArray::fromHex("0102030405060708") << true << 4 << 0.2;
    QTest::newRow("empty report ends the wait") << QByteArray() << true << 4 << 0.2;
    QTest::newRow("10-byte report alone: deadline") << QByteArray(10, '\xFC') << false << 4 << 1.0;
}

void TestDeviceExchange::reportsDuringWait()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, withReply);
    QFETCH(int, expected);
    QFETCH(double, endsAt);
    m_device->answerDelay = 0.2;
    m_device->beforeReply = {before};
    m_device->replyAtAll = withReply;
    QCOMPARE(checkRunSpace(*m_runLoop, *m_exchange), expected);
    QCOMPARE(m_runLoop->now(), endsAt);
}

void TestDeviceExchange::sendFailure()
{
    m_device->refuseReports(platform::hidresult::Error);
    QCOMPARE(modifyRunSpace(*m_runLoop, *m_exchange), 0);
    QCOMPARE(m_runLoop->now(), 0.0);
    QCOMPARE(m_log->lines("ov.stdout"), (QStringList{QStringLiteral("Driver_Comm_SendFailed: -536870212"),
                                                     QStringLiteral("Tll_IapCmd_ModifyRunSpace RspErrCode: 8")}));
    QCOMPARE(m_device->runSpace, 1);
}

void TestDeviceExchange::silentDeviceEndsAtDeadline()
{
    // Queries wait 1 s, flash writes 5 s, as the run loop counts them.
    m_device->silent = true;
    const auto timed = [&](auto command) {
        const double started = m_runLoop->now();
        const auto result = command();
        return std::make_pair(result, m_runLoop->now() - started);
    };
    QCOMPARE(timed([&] { return readVersion(*m_runLoop, *m_exchange, 7).has_value(); }),
             std::make_pair(false, 1.0));
    QCOMPARE(timed([&] { return readCpu(*m_runLoop, *m_exchange, 7).has_value(); }), std::make_pair(false, 1.0));
    QCOMPARE(timed([&] { return checkRunSpace(*m_runLoop, *m_exchange); }), std::make_pair(4, 1.0));
    QCOMPARE(timed([&] { return reserveFlash(*m_runLoop, *m_exchange); }), std::make_pair(qint32(-1), 5.0));
    const std::array<std::uint8_t, 1032> record{};
    QCOMPARE(timed([&] { return transmitRecord(*m_runLoop, *m_exchange, record); }), std::make_pair(0, 5.0));
    QCOMPARE(timed([&] { return transmitPara(*m_runLoop, *m_exchange, 0, 0); }), std::make_pair(0, 5.0));
    QCOMPARE(timed([&] { return modifyRunSpace(*m_runLoop, *m_exchange); }), std::make_pair(0, 5.0));

    const QString key = store::devKeyFor(store::Model::KalverinS);
    QCOMPARE(m_log->warnings().size(), 7);
    QCOMPARE(m_log->warnings().first(), key + QStringLiteral(": cannot read reply: none within 1000 ms"));
    QCOMPARE(m_log->warnings().last(), key + QStringLiteral(": cannot read reply: none within 5000 ms"));
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
    std::vector<int> results;
    Tll_IapCmd_CheckRunSpace(*m_exchange, 3, [&](int space) { results.push_back(space); });
    // Queued behind it, never sent.
    Tll_IapCmd_CheckRunSpace(*m_exchange, 3, [&](int space) { results.push_back(space); });
    m_runLoop->advance(0.5);
    QCOMPARE(m_device->requests().size(), size_t(1));
    m_exchange->cleanup();
    m_runLoop->drain();
    QCOMPARE(results, (std::vector<int>{4, 4}));
    QCOMPARE(m_runLoop->now(), 0.5);
    QVERIFY(m_log->warnings().isEmpty());

    // Nothing is sent once the service has gone, and no deadline is left.
    QCOMPARE(reserveFlash(*m_runLoop, *m_exchange), -1);
    QCOMPARE(m_device->requests().size(), size_t(1));
    QCOMPARE(m_runLoop->nextDueTime(), -1.0);
}

void TestDeviceExchange::interfaceGoneEndsWait()
{
    m_device->silent = true;
    int space = -1;
    Tll_IapCmd_CheckRunSpace(*m_exchange, 3, [&](int result) { space = result; });
    m_runLoop->advance(0.25);
    m_exchange->setDeviceRef(kInterface0C, nullptr);
    m_runLoop->drain();
    QCOMPARE(space, 4);
    QCOMPARE(m_runLoop->now(), 0.25);
}

void TestDeviceExchange::lateReplyIsDropped()
{
    m_device->answerDelay = 1.5;
    RequestReport request{};
    buildRequestReport(request, takeSequenceNumber(), 0, 0x0301, 0x0101, {});
    CommOutcome outcome = CommOutcome::Replied;
    m_exchange->DriverCommSend(3, request, std::chrono::milliseconds(1000),
                               [&](CommOutcome o, std::span<const std::uint8_t>) { outcome = o; });
    m_runLoop->advance(1.0);
    QCOMPARE(outcome, CommOutcome::TimedOut);

    // The reply comes at 1.5 s with nobody waiting: it lands nowhere, and the
    // next exchange gets its own.
    m_runLoop->advance(1.0);
    QVERIFY(!m_exchange->isWaiting());
    m_device->answerDelay = 0;
    QCOMPARE(checkRunSpace(*m_runLoop, *m_exchange), 1);
    QCOMPARE(m_device->requests().size(), size_t(2));
    QCOMPARE(m_log->lines("ov.stdout"), QStringList());
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
    QCOMPARE(reserveFlash(*m_runLoop, *m_exchange, number), -1);
    QCOMPARE(m_runLoop->now(), 0.0);
    QVERIFY(m_device->requests().empty());
    QCOMPARE(m_log->lines("ov.stdout"), QStringList{QStringLiteral("Tll_IapCmd_CheckReserveFlashSpace RspErrCode: 8")});
}

void TestDeviceExchange::exchangesAreQueued()
{
    // Twelve commands asked for at once go out one after another, each once
    // the reply to the one before has come.
    m_device->answerDelay = 0.01;
    std::vector<int> results;
    for (int i = 0; i < 12; ++i)
        Tll_IapCmd_CheckRunSpace(*m_exchange, 3, [&](int space) { results.push_back(space); });
    QVERIFY(fwtest::runUntil(*m_runLoop, [&] { return results.size() == 12; }));
    QCOMPARE(results, std::vector<int>(12, 1));
    QCOMPARE(m_device->requests().size(), size_t(12));
    QVERIFY(!m_device->sawOverlap());
    QVERIFY(qAbs(m_device->requestTimes().back() - 0.11) < 1e-9);
}

void TestDeviceExchange::sequenceIsSharedByDevices()
{
    auto other = DeviceExchange::create(*m_runLoop, store::devKeyFor(store::Model::TevraM));
    checkRunSpace(*m_runLoop, *m_exchange);
    // The other device has no interface: its frame is built, not sent.
    checkRunSpace(*m_runLoop, *other);
    checkRunSpace(*m_runLoop, *m_exchange);
    const auto &requests = m_device->requests();
    QCOMPARE(requests.size(), size_t(2));
    QCOMPARE(quint16(requests[1].sequence - requests[0].sequence), quint16(2));
}

QTEST_GUILESS_MAIN(TestDeviceExchange)
#include "tst_deviceexchange.moc"
