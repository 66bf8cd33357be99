#include <array>

#include <QTest>

#include "firmware/crc16x25.h"
#include "firmware/devcmd.h"
#include "firmware/iapframe.h"
#include "store/ovmodels.h"

using namespace firmware;

namespace {

std::span<const std::uint8_t> bytes(const QByteArray &data)
{
    return {reinterpret_cast<const std::uint8_t *>(data.constData()), size_t(data.size())};
}

QByteArray toBytes(std::span<const std::uint8_t> data)
{
    return QByteArray(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
}

// A reply frame as a device sends it, CRC from the published check values'
// algorithm computed bit by bit here.
QByteArray replyFrame(quint16 code, const QByteArray &data, bool badCrc = false)
{
    QByteArray frame = QByteArray::fromHex("89FFFF0000");
    const int length = data.size() + 8;
    frame.append(char(length >> 8)).append(char(length & 0xFF));
    frame.append(QByteArray(6, '\0'));
    frame.append(char(code >> 8)).append(char(code & 0xFF));
    frame += data;
    quint16 crc = 0xFFFF;
    for (const char c : frame) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0x8408) : quint16(crc >> 1);
    }
    crc = quint16(~crc);
    if (badCrc)
        crc ^= 0x0100;
    frame.append(char(crc >> 8)).append(char(crc & 0xFF));
    return frame;
}

} // namespace

class TestIapFrame : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void crc_data();
    void crc();
    void requestFrame_data();
    void requestFrame();
    void recordFrameFillsItsReport();
    void oversizePayloadIsRefused();
    void parseResponse_data();
    void parseResponse();
    void sequenceIsSharedAndWraps();
    void modelWords_data();
    void modelWords();
    void decoders();
};

void TestIapFrame::crc_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("expected");
    QTest::newRow("check value") << QByteArray("123456789") << 0x906E;
    QTest::newRow("abc") << QByteArray("abc") << 0x9E25;
    QTest::newRow("no bytes") << QByteArray() << 0;
}

void TestIapFrame::crc()
{
    QFETCH(QByteArray, input);
    QFETCH(int, expected);
    QCOMPARE(int(Crc16X25(bytes(input))), expected);
}

void TestIapFrame::requestFrame_data()
{
    QTest::addColumn<int>("word1");
    QTest::addColumn<int>("word2");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("expected");
    // Sequence number 0x1234 in every row.
    QTest::newRow("ReadVersionInfo") << 0x0101 << 0x0202 << QByteArray()
                                     << QByteArray::fromHex("89ffff123400060000010102020df1");
    QTest::newRow("ReadCpuInfo, model word 0x0102") << 0x0102 << 0x0204 << QByteArray()
                                                    << QByteArray::fromHex("89ffff1234000600000102020487a3");
    QTest::newRow("CheckRunSpace") << 0x0301 << 0x0101 << QByteArray()
                                   << QByteArray::fromHex("89ffff123400060000030101012c74");
    QTest::newRow("ModifyRunSpace to boot") << 0x0301 << 0x0102 << QByteArray(1, '\0')
                                            << QByteArray::fromHex("89ffff12340007000003010102006e20");
    QTest::newRow("CheckReserveFlashSpace") << 0x0301 << 0x0103 << QByteArray()
                                            << QByteArray::fromHex("89ffff123400060000030101030f66");
    QTest::newRow("TransmitVersionFilePara") << 0x0301 << 0x0105 << QByteArray::fromHex("00012345deadbeef")
                                             << QByteArray::fromHex("89ffff1234000e00000301010500012345deadbeef49f1");
}

void TestIapFrame::requestFrame()
{
    QFETCH(int, word1);
    QFETCH(int, word2);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, expected);
    std::array<std::uint8_t, kReportLength> report;
    report.fill(0xEE);
    const std::size_t length = buildRequestReport(report, 0x1234, 0x0000, quint16(word1), quint16(word2), bytes(payload));
    QCOMPARE(length, size_t(payload.size() + 15));
    QCOMPARE(report[0], std::uint8_t(0xFD));
    QCOMPARE(toBytes(std::span(report).subspan(1, length)), expected);
    const QByteArray rest = toBytes(std::span(report).subspan(1 + length));
    QCOMPARE(rest, QByteArray(rest.size(), '\0'));
}

void TestIapFrame::recordFrameFillsItsReport()
{
    // Last record, tag 0xA55A, index 1, size 0x0401, then 1025 body bytes.
    QByteArray payload = QByteArray::fromHex("01a55a00010401");
    for (int i = 0; i < 1025; ++i)
        payload.append(char((i * 7 + 3) & 0xFF));
    std::array<std::uint8_t, kReportLength> report;
    const std::size_t length = buildRequestReport(report, 0x1234, 0, 0x0301, 0x0104, bytes(payload));
    QCOMPARE(length, size_t(1047));
    QCOMPARE(toBytes(std::span(report).subspan(1, 15)), QByteArray::fromHex("89ffff1234040e00000301010401a5"));
    QCOMPARE(toBytes(std::span(report).subspan(1046, 2)), QByteArray::fromHex("3057"));
    // Bytes 1048 to 1100 of the report are zero.
    QCOMPARE(toBytes(std::span(report).subspan(1048)), QByteArray(53, '\0'));
}

void TestIapFrame::oversizePayloadIsRefused()
{
    std::array<std::uint8_t, kReportLength> report;
    report.fill(0xEE);
    const QByteArray payload(int(kMaxPayload) + 1, 'x');
    QCOMPARE(buildRequestReport(report, 0, 0, 0, 0, bytes(payload)), size_t(0));
    QCOMPARE(toBytes(report), QByteArray(int(kReportLength), '\0'));
    std::array<std::uint8_t, 20> small{};
    QCOMPARE(Tll_IapBuildFrame(small, 0, 0, 0, 0, bytes(QByteArray(6, 'x'))), size_t(0));
    QCOMPARE(toBytes(small), QByteArray(20, '\0'));
    // The longest payload that fits still builds.
    QCOMPARE(buildRequestReport(report, 0, 0, 0, 0, bytes(QByteArray(int(kMaxPayload), 'x'))),
             size_t(kMaxFrameLength));
}

void TestIapFrame::parseResponse_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("resultCode");
    QTest::addColumn<QByteArray>("data");
    const QByteArray good = replyFrame(0, QByteArray::fromHex("01"));
    QTest::newRow("run space reply") << QByteArray::fromHex("89ffff00000009000000000000000001c29d") << 0
                                     << QByteArray::fromHex("01");
    QTest::newRow("zero padding behind the frame") << good + QByteArray(40, '\0') << 0 << QByteArray::fromHex("01");
    QTest::newRow("device result code") << replyFrame(5, QByteArray()) << 5 << QByteArray();
    QTest::newRow("bad CRC") << replyFrame(0, QByteArray::fromHex("01"), true) << 8 << QByteArray();
    QTest::newRow("nothing received (zeros)") << QByteArray(1100, '\0') << 8 << QByteArray();
    QTest::newRow("short report") << good.left(6) << 8 << QByteArray();
    QTest::newRow("L beyond the report") << good.left(good.size() - 1) << 8 << QByteArray();
    QByteArray huge = good;
    huge[5] = char(0xFF);
    huge[6] = char(0xFF);
    QTest::newRow("L of 65535") << huge + QByteArray(1000, '\0') << 8 << QByteArray();
    // L = 6: a valid CRC but no room for a result code.
    QByteArray noCode = QByteArray::fromHex("89ffff123400060000010102020df1");
    QTest::newRow("no result code") << noCode << 8 << QByteArray();
    QTest::newRow("empty") << QByteArray() << 8 << QByteArray();
}

void TestIapFrame::parseResponse()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, resultCode);
    QFETCH(QByteArray, data);
    const IapResponse response = Tll_IapParseResponse(bytes(frame));
    QCOMPARE(int(response.resultCode), resultCode);
    QCOMPARE(toBytes(response.data), data);
}

void TestIapFrame::sequenceIsSharedAndWraps()
{
    const quint16 first = takeSequenceNumber();
    QCOMPARE(takeSequenceNumber(), quint16(first + 1));
    for (int i = 0; i < 65535; ++i)
        takeSequenceNumber();
    // 65536 numbers later the counter has wrapped to where it was.
    QCOMPARE(takeSequenceNumber(), quint16(first + 1));
}

void TestIapFrame::modelWords_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("word");
    using store::Model;
    QTest::newRow("M482 Plus V2") << int(Model::M482PlusV2) << 1 << 0x0101;
    QTest::newRow("M517 V2") << int(Model::M517V2) << 2 << 0x0102;
    QTest::newRow("Tevra M") << int(Model::TevraM) << 3 << 0x0101;
    QTest::newRow("Tevra S") << int(Model::TevraS) << 4 << 0x0102;
    QTest::newRow("Sorvi12 Pro") << int(Model::Sorvi12Pro) << 5 << 0x0101;
    QTest::newRow("Kalverin M") << int(Model::KalverinM) << 6 << 0x0101;
    QTest::newRow("Kalverin S") << int(Model::KalverinS) << 7 << 0x0101;
    QTest::newRow("Tevra N4") << int(Model::TevraN4) << 8 << 0x0101;
    QTest::newRow("Tevra N7") << int(Model::TevraN7) << 9 << 0x0101;
    QTest::newRow("Tevra N7B") << int(Model::TevraN7B) << 10 << 0x0101;
    QTest::newRow("Tevra N10") << int(Model::TevraN10) << 11 << 0x0101;
    QTest::newRow("Tevra N10B") << int(Model::TevraN10B) << 12 << 0x0101;
    QTest::newRow("Tevra Q") << int(Model::TevraQ) << 13 << 0x0101;
    QTest::newRow("M517 V1 counts as 1") << int(Model::M517V1) << 1 << 0x0101;
    QTest::newRow("Sorvi 22 counts as 1") << int(Model::Sorvi22) << 1 << 0x0101;
    QTest::newRow("unknown key counts as 1") << -1 << 1 << 0x0101;
}

void TestIapFrame::modelWords()
{
    QFETCH(int, model);
    QFETCH(int, number);
    QFETCH(int, word);
    const QString key = model < 0 ? QStringLiteral("1-2") : store::devKeyFor(store::Model(model));
    QCOMPARE(modelNumberForDevKey(key), number);
    QCOMPARE(int(modelWordFor(number)), word);
}

void TestIapFrame::decoders()
{
    QCOMPARE(decodeFlashSpace(bytes(QByteArray::fromHex("00000100"))), std::optional<qint32>(65536));
    QVERIFY(*decodeFlashSpace(bytes(QByteArray::fromHex("00000080"))) < 0);
    QCOMPARE(decodeFlashSpace(bytes(QByteArray::fromHex("000001"))), std::nullopt);
    QCOMPARE(decodeRunSpace(bytes(QByteArray::fromHex("00"))), std::optional<int>(0));
    QCOMPARE(decodeRunSpace(bytes(QByteArray::fromHex("01"))), std::optional<int>(1));
    QCOMPARE(decodeRunSpace(bytes(QByteArray::fromHex("02"))), std::optional<int>(4));
    QCOMPARE(decodeRunSpace({}), std::nullopt);
    QCOMPARE(decodeCpuInfo(bytes(QByteArray::fromHex("030105"))), std::optional<CpuInfo>(CpuInfo{3, 1, 5}));
    QCOMPARE(decodeCpuInfo(bytes(QByteArray::fromHex("0301"))), std::nullopt);

    QByteArray data(72, '\0');
    data[0] = char(0x77); // not used
    data[1] = 1;
    data[2] = 15;
    for (int i = 0; i < 64; ++i)
        data[3 + i] = char(i + 100);
    data[67] = 2;
    data[68] = 3;
    data[69] = 7;
    data[70] = 8;
    data[71] = 9;
    const auto record = decodeVersionRecord(bytes(data));
    QVERIFY(record);
    QCOMPARE(record->firmwareMajor, quint16(1));
    QCOMPARE(record->firmwareMinor, quint16(15));
    QCOMPARE(record->reserved[0], std::uint8_t(100));
    QCOMPARE(record->reserved[63], std::uint8_t(163));
    QCOMPARE(record->hardwareMajor, quint16(2));
    QCOMPARE(record->hardwareMinor, quint16(3));
    QCOMPARE(record->further, (std::array<quint16, 3>{7, 8, 9}));
    QCOMPARE(decodeVersionRecord(bytes(data.left(71))), std::nullopt);
}

QTEST_GUILESS_MAIN(TestIapFrame)
#include "tst_iapframe.moc"
