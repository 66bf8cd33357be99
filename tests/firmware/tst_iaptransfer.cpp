#include <QTest>

#include "firmware/devcmd.h"
#include "firmware/deviceexchange.h"
#include "firmware/firmwarefile.h"
#include "firmware/iaptransfer.h"
#include "platform/notificationcenter.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "support_firmwaredevice.h"
#include "support_firmwarefiles.h"

using namespace firmware;
using namespace std::chrono_literals;
using fwtest::await;

namespace {

// One progress notice as "index, indm, pres", with its value types checked.
QString describe(const platform::Notification &notice)
{
    const QVariant index = notice.userInfo.value(QStringLiteral("index"));
    const QVariant indm = notice.userInfo.value(QStringLiteral("indm"));
    const QVariant pres = notice.userInfo.value(QStringLiteral("pres"));
    if (index.typeId() != QMetaType::LongLong || indm.typeId() != QMetaType::Bool
        || pres.typeId() != QMetaType::Double || !notice.object.isNull() || notice.userInfo.size() != 3)
        return QStringLiteral("malformed");
    return QStringLiteral("%1 %2 %3").arg(index.toLongLong()).arg(indm.toBool() ? "i" : "d").arg(pres.toDouble());
}

// The record payload a device must receive, built from the body here.
QByteArray expectedRecord(const QByteArray &body, int index, int count, quint16 tag)
{
    QByteArray record;
    record.append(char(index == count - 1 ? 1 : 0));
    record.append(char(tag >> 8)).append(char(tag & 0xFF));
    record.append(char(index >> 8)).append(char(index & 0xFF));
    record.append(char(0x04)).append(char(0x01));
    QByteArray bytes = body.mid(index * 1025, 1025);
    bytes.append(QByteArray(1025 - bytes.size(), char(0xFF)));
    return record + bytes;
}

} // namespace

class TestIapTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void completeTransfer_data();
    void completeTransfer();
    void alreadyInBootProgram();
    void refusedBeforeSending_data();
    void refusedBeforeSending();
    void deviceFailures_data();
    void deviceFailures();
    void fileRecords();

private:
    int upgrade(const QByteArray &file);

    std::unique_ptr<platform::sim::SimRunLoop> m_runLoop;
    std::unique_ptr<platform::sim::SimHidSystem> m_hid;
    std::unique_ptr<fwtest::SimFirmwareDevice> m_device;
    std::shared_ptr<DeviceExchange> m_exchange;
    std::unique_ptr<platform::NotificationCenter> m_local;
    std::unique_ptr<fwtest::LogCapture> m_log;
    QStringList m_notices;
};

void TestIapTransfer::init()
{
    m_log = std::make_unique<fwtest::LogCapture>();
    m_runLoop = std::make_unique<platform::sim::SimRunLoop>();
    m_hid = std::make_unique<platform::sim::SimHidSystem>();
    m_device = std::make_unique<fwtest::SimFirmwareDevice>(*m_hid, *m_runLoop);
    m_exchange = DeviceExchange::create(*m_runLoop, store::devKeyFor(store::Model::TevraN7));
    m_device->attach(*m_exchange);
    m_local = std::make_unique<platform::NotificationCenter>();
    m_notices.clear();
    m_local->observe(store::OVIAPNotification, this,
                     [this](const platform::Notification &notice) { m_notices << describe(notice); });
}

void TestIapTransfer::cleanup()
{
    m_exchange->cleanup();
    m_runLoop->drain();
    m_exchange.reset();
    m_device.reset();
    m_hid.reset();
    m_runLoop.reset();
    m_local.reset();
    m_log.reset();
}

int TestIapTransfer::upgrade(const QByteArray &file)
{
    const IapEnvironment environment{*m_runLoop, *m_local};
    return await<int>(*m_runLoop,
                      [&](auto done) { Tll_IapUpgrade(m_exchange, kInterface0C, file, environment, done); });
}

void TestIapTransfer::completeTransfer_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bodyLength");
    QTest::addColumn<QStringList>("percents");
    QTest::newRow("1024 bytes: one record") << 1024 << 1025 << QStringList{"100.00"};
    QTest::newRow("1025 bytes: two records") << 1025 << 2050 << QStringList{"  0.00", "100.00"};
    QTest::newRow("short last record padded") << 3000 << 2 * 1025 + 500 << QStringList{"  0.00", " 50.00", "100.00"};
    QTest::newRow("size 0: no records") << 0 << 0 << QStringList();
}

void TestIapTransfer::completeTransfer()
{
    QFETCH(int, size);
    QFETCH(int, bodyLength);
    QFETCH(QStringList, percents);
    const quint16 tag = 0xA1B2;
    const QByteArray body = fwtest::patternBody(bodyLength);
    QCOMPARE(upgrade(fwtest::makeFirmware(body, quint32(size), tag, 0xCAFEF00D)), 1);

    const int count = percents.size();
    std::vector<quint16> words{0x0101, 0x0102, 0x0103, 0x0105};
    words.insert(words.end(), size_t(count), 0x0104);
    QCOMPARE(m_device->commandWords(), words);
    const auto requests = m_device->requests();
    QCOMPARE(requests[1].payload, QByteArray(1, '\0'));
    QByteArray para;
    for (const quint32 value : {quint32(size), quint32(0xCAFEF00D)})
        para.append(char(value >> 24)).append(char(value >> 16)).append(char(value >> 8)).append(char(value));
    QCOMPARE(requests[3].payload, para);
    for (int i = 0; i < count; ++i) {
        QCOMPARE(requests[size_t(4 + i)].payload, expectedRecord(body, i, count, tag));
        QVERIFY(requests[size_t(4 + i)].crcValid);
    }

    QStringList notices{QStringLiteral("2 i 0"), QStringLiteral("3 d 0")};
    QStringList lines{QStringLiteral("ModifyRunSpace To Boot: 1"), QStringLiteral("FlashSize: 65536"),
                      QStringLiteral("Firmware Crc：3405705229, Size：%1").arg(size)};
    for (int i = 0; i < count; ++i) {
        notices << QStringLiteral("3 d %1").arg(percents[i].trimmed().toDouble());
        if (i == count - 1)
            lines << QStringLiteral("传输版本文件结束");
        lines << QStringLiteral("IAP固件升级[%1%]").arg(percents[i]);
    }
    lines << QStringLiteral("已经完成IAP流程");
    QCOMPARE(m_notices, notices);
    QCOMPARE(m_log->lines("ov.stdout"), lines);
    QCOMPARE(m_log->warnings(), QStringList());
}

void TestIapTransfer::alreadyInBootProgram()
{
    m_device->runSpace = 0;
    QCOMPARE(upgrade(fwtest::makeFirmware(fwtest::patternBody(1025), 1024)), 1);
    QCOMPARE(m_device->commandWords(), (std::vector<quint16>{0x0101, 0x0103, 0x0105, 0x0104}));
    QVERIFY(!m_log->lines("ov.stdout").join('\n').contains(QStringLiteral("ModifyRunSpace")));
}

void TestIapTransfer::refusedBeforeSending_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("why");
    const QByteArray good = fwtest::makeFirmware(fwtest::patternBody(1025), 1024);
    QTest::newRow("shorter than the header") << good.left(20) << QStringLiteral("the file is shorter than its header");
    QByteArray badSum = good;
    badSum[8] = char(badSum[8] ^ 0xFF);
    QTest::newRow("checksum changed since the check") << badSum
                                                      << QStringLiteral("the body sum does not match the header");
    QTest::newRow("size field beyond the body") << fwtest::makeFirmware(fwtest::patternBody(1025), 5000)
                                                << QStringLiteral("the size field does not match the body");
    QTest::newRow("larger than the transfer can send")
        << fwtest::makeFirmware(fwtest::patternBody(int(kMaxFirmwareFileLength)), 512 * 1024)
        << QStringLiteral("the file is larger than the transfer can send");
}

void TestIapTransfer::refusedBeforeSending()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, why);
    QCOMPARE(upgrade(file), 0);
    QVERIFY(m_device->requests().empty());
    QVERIFY(m_notices.isEmpty());
    QCOMPARE(m_log->warnings(),
             QStringList{store::devKeyFor(store::Model::TevraN7) + QStringLiteral(": cannot send firmware file: ") + why});
    QCOMPARE(m_log->lines("ov.stdout"), QStringList());
}

void TestIapTransfer::deviceFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("notices");
    QTest::addColumn<QStringList>("lastLines");
    QTest::newRow("run space unknown") << "space" << QStringList() << QStringList();
    QTest::newRow("switch refused") << "switch" << QStringList()
                                    << QStringList{"Tll_IapCmd_ModifyRunSpace RspErrCode: 1", "ModifyRunSpace To Boot: 0"};
    QTest::newRow("negative flash space") << "flash" << QStringList() << QStringList{"ModifyRunSpace To Boot: 1"};
    QTest::newRow("parameters refused") << "para" << QStringList{"2 i 0"}
                                        << QStringList{"Tll_IapCmd_TransmitVersionFilePara RspErrCode: 2"};
    QTest::newRow("second record refused") << "record" << QStringList{"2 i 0", "3 d 0", "3 d 0"}
                                           << QStringList{"Tll_IapCmd_TransmitVersionFile RspErrCode: 3",
                                                          "传输本文件错误: 2/3", "已经完成IAP流程"};
    QTest::newRow("device silent on records") << "silent" << QStringList{"2 i 0", "3 d 0"}
                                              << QStringList{"Tll_IapCmd_TransmitVersionFile RspErrCode: 8",
                                                             "传输本文件错误: 1/3", "已经完成IAP流程"};
}

void TestIapTransfer::deviceFailures()
{
    QFETCH(QString, failure);
    QFETCH(QStringList, notices);
    QFETCH(QStringList, lastLines);
    if (failure == QLatin1String("space"))
        m_device->runSpaceByte = QByteArray(1, '\x07');
    else if (failure == QLatin1String("switch"))
        m_device->resultCodes[0x0102] = 1;
    else if (failure == QLatin1String("flash"))
        m_device->flashBytes = QByteArray::fromHex("00000080");
    else if (failure == QLatin1String("para"))
        m_device->resultCodes[0x0105] = 2;
    else if (failure == QLatin1String("record"))
        m_device->failRecordIndex = 1;
    else if (failure == QLatin1String("silent")) {
        m_device->silentFor[0x0104] = true;
    }
    QCOMPARE(upgrade(fwtest::makeFirmware(fwtest::patternBody(3 * 1025), 3 * 1024)), 0);
    QCOMPARE(m_notices, notices);
    const QStringList lines = m_log->lines("ov.stdout");
    QCOMPARE(lines.mid(lines.size() - lastLines.size()), lastLines);
    // Nothing follows the first failure.
    if (failure == QLatin1String("record"))
        QCOMPARE(m_device->commandWords().size(), size_t(4 + 2));
}

void TestIapTransfer::fileRecords()
{
    const QByteArray file = fwtest::makeFirmware(fwtest::patternBody(1025 + 10), 2048, 0x0102);
    // The second record: index 0x0001 and the tag, both high byte first.
    const auto second = Tll_IapReadFileRecord(file, 0x0102, RecordDescriptor{1, 1, 1025});
    QVERIFY(second);
    const QByteArray bytes(reinterpret_cast<const char *>(second->data()), int(second->size()));
    QCOMPARE(bytes.left(7), QByteArray::fromHex("01010200010401"));
    QCOMPARE(bytes.mid(7, 10), file.mid(26 + 1025, 10));
    QCOMPARE(bytes.mid(17), QByteArray(1015, char(0xFF)));
    // A record wholly beyond the bytes cannot be read.
    QCOMPARE(Tll_IapReadFileRecord(file, 0, RecordDescriptor{1, 2, 1025}), std::nullopt);

    // Only the first 524288 bytes count.
    const QByteArray large(int(kMaxFirmwareFileLength) + 3000, 'x');
    const int index = int((kMaxFirmwareFileLength - 26) / 1025); // the record the limit cuts
    const auto cut = Tll_IapReadFileRecord(large, 0, RecordDescriptor{0, quint16(index), 1025});
    QVERIFY(cut);
    const int inside = int(kMaxFirmwareFileLength) - 26 - index * 1025;
    QCOMPARE(int(std::count(cut->begin() + 7, cut->end(), std::uint8_t('x'))), inside);
    QCOMPARE(Tll_IapReadFileRecord(large, 0, RecordDescriptor{0, quint16(index + 1), 1025}), std::nullopt);
}

QTEST_GUILESS_MAIN(TestIapTransfer)
#include "tst_iaptransfer.moc"
