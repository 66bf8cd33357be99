#include <QTest>

#include "firmware/firmwarefile.h"
#include "store/diainfo.h"
#include "store/ovmodels.h"
#include "support_firmwarefiles.h"

using namespace firmware;

Q_DECLARE_METATYPE(firmware::FirmwareVerdict)

class TestFirmwareFile : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void parseBin_data();
    void parseBin();
    void numberWithHexString_data();
    void numberWithHexString();
    void checkProductName_data();
    void checkProductName();
    void floatValue_data();
    void floatValue();
    void nameChecks_data();
    void nameChecks();
    void fileChecks_data();
    void fileChecks();
    void header();
};

void TestFirmwareFile::parseBin_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QStringList>("fields"); // PM, CPU, Pen, HV, maxHV ("<none>"), SV
    const QString none = QStringLiteral("<none>");
    QTest::newRow("range") << QStringLiteral("M482PlusV2-CP1-Q52-HV[1.00^1.20]-SV[1.15].bin") << true
                           << QStringList{"M482PlusV2", "CP1", "Q52", "1.00", "1.20", "1.15"};
    QTest::newRow("lowest only, in a folder")
        << QStringLiteral("/home/u/Downloads/HV526-CP3-Q61-HV[1.00]-SV[2.01].bin") << true
        << QStringList{"HV526", "CP3", "Q61", "1.00", none, "2.01"};
    QTest::newRow("no dot before bin") << QStringLiteral("HV526-CP3-Q61-HV[1.00]-SV[2.01]bin") << true
                                       << QStringList{"HV526", "CP3", "Q61", "1.00", none, "2.01"};
    QTest::newRow("three versions: first and last") << QStringLiteral("A-B-C-HV[1.00^1.10^1.20]-SV[1].bin") << true
                                                    << QStringList{"A", "B", "C", "1.00", "1.20", "1"};
    QTest::newRow("pieces beyond the fifth") << QStringLiteral("A-B-C-HV[1]-SV[2]-extra-x.bin") << true
                                             << QStringList{"A", "B", "C", "1", none, "2"};
    QTest::newRow("empty brackets") << QStringLiteral("A-B-C-HV[^]-SV[].bin") << true
                                    << QStringList{"A", "B", "C", "", "", ""};
    QTest::newRow("upper-case BIN") << QStringLiteral("A-B-C-HV[1]-SV[2].BIN") << false << QStringList();
    QTest::newRow("four pieces") << QStringLiteral("A-B-HV[1]-SV[2].bin") << false << QStringList();
    QTest::newRow("no bracket in piece 3") << QStringLiteral("A-B-C-HV1.00-SV[2].bin") << false << QStringList();
    QTest::newRow("no bracket in piece 4") << QStringLiteral("A-B-C-HV[1.00]-SV2.bin") << false << QStringList();
    QTest::newRow("pieces only in the folder") << QStringLiteral("/a-b-c-HV[1]-SV[2]/x.bin") << false
                                               << QStringList();
    QTest::newRow("empty") << QString() << false << QStringList();
}

void TestFirmwareFile::parseBin()
{
    QFETCH(QString, path);
    QFETCH(bool, parsed);
    QFETCH(QStringList, fields);
    const auto name = firmware::parseBin(path);
    QCOMPARE(name.has_value(), parsed);
    if (!name)
        return;
    QCOMPARE(name->bin_PM, fields[0]);
    QCOMPARE(name->bin_CPU, fields[1]);
    QCOMPARE(name->bin_Pen, fields[2]);
    QCOMPARE(name->bin_HV, fields[3]);
    if (fields[4] == QLatin1String("<none>"))
        QVERIFY(name->bin_maxHV.isNull());
    else
        QCOMPARE(name->bin_maxHV, fields[4]);
    QCOMPARE(name->bin_SV, fields[5]);
}

void TestFirmwareFile::numberWithHexString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("value");
    QTest::newRow("F3") << QStringLiteral("F3") << quint32(0xF3);
    QTest::newRow("lower case, trailing text") << QStringLiteral(" f7 pen") << quint32(0xF7);
    QTest::newRow("0x prefix") << QStringLiteral("0xF1") << quint32(0xF1);
    QTest::newRow("no number") << QStringLiteral("pro") << quint32(0);
    QTest::newRow("empty") << QString() << quint32(0);
    QTest::newRow("overflow") << QStringLiteral("FFFFFFFFFF") << quint32(0xFFFFFFFF);
}

void TestFirmwareFile::numberWithHexString()
{
    QFETCH(QString, text);
    QFETCH(quint32, value);
    QCOMPARE(firmware::numberWithHexString(text), value);
}

void TestFirmwareFile::checkProductName_data()
{
    QTest::addColumn<QString>("pName");
    QTest::addColumn<QString>("expected"); // flags: f = hasFx, r = refuses, c, h, p
    QTest::newRow("no parentheses") << QStringLiteral("Kalverin S") << QString();
    QTest::newRow("F1") << QStringLiteral("Tevra N7(F1)") << QStringLiteral("fc");
    QTest::newRow("F2") << QStringLiteral("Tevra N7(F2)") << QStringLiteral("fh");
    QTest::newRow("F3") << QStringLiteral("Tevra N7(F3)") << QStringLiteral("fch");
    QTest::newRow("F4") << QStringLiteral("Tevra N7(F4)") << QStringLiteral("fp");
    QTest::newRow("F5") << QStringLiteral("Tevra N7(F5)") << QStringLiteral("fcp");
    QTest::newRow("F6") << QStringLiteral("Tevra N7(F6)") << QStringLiteral("fhp");
    QTest::newRow("f7 lower case") << QStringLiteral("Tevra N7(f7)") << QStringLiteral("fchp");
    QTest::newRow("F8: code without checks") << QStringLiteral("Tevra N7(F8)") << QStringLiteral("f");
    QTest::newRow("F0") << QStringLiteral("Tevra N7(F0)") << QStringLiteral("f");
    QTest::newRow("first parentheses count") << QStringLiteral("Tevra(F4) (F1)") << QStringLiteral("fp");
    QTest::newRow("no code inside") << QStringLiteral("Tevra N7(Pro)") << QStringLiteral("r");
    QTest::newRow("empty parentheses") << QStringLiteral("Tevra N7()") << QStringLiteral("r");
    QTest::newRow("only an opening one") << QStringLiteral("Tevra N7(F3") << QStringLiteral("fch");
}

void TestFirmwareFile::checkProductName()
{
    QFETCH(QString, pName);
    QFETCH(QString, expected);
    const ProductCapability capability = firmware::checkProductName(pName);
    QString flags;
    if (capability.hasFx)
        flags += QLatin1Char('f');
    if (capability.refusesAll)
        flags += QLatin1Char('r');
    if (capability.supportCheckCPU)
        flags += QLatin1Char('c');
    if (capability.supportCheckHardwareVersion)
        flags += QLatin1Char('h');
    if (capability.supportCheckPenKind)
        flags += QLatin1Char('p');
    QCOMPARE(flags, expected);
}

void TestFirmwareFile::floatValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("value");
    QTest::newRow("1.20") << QStringLiteral("1.20") << 1.2f;
    QTest::newRow("leading space, trailing text") << QStringLiteral(" 1.5abc") << 1.5f;
    QTest::newRow("1.x") << QStringLiteral("1.x") << 1.0f;
    QTest::newRow("not a number") << QStringLiteral("abc") << 0.0f;
    QTest::newRow("none") << QString() << 0.0f;
}

void TestFirmwareFile::floatValue()
{
    QFETCH(QString, text);
    QFETCH(float, value);
    QCOMPARE(firmware::floatValue(text), value);
}

void TestFirmwareFile::nameChecks_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("pName");
    QTest::addColumn<QString>("cchd");
    QTest::addColumn<int>("cpu");
    QTest::addColumn<int>("pen");
    QTest::addColumn<QString>("file");
    QTest::addColumn<FirmwareVerdict>("verdict");
    const int m482 = int(store::Model::M482PlusV2);
    const QString plain = QStringLiteral("M482 Plus V2");
    const QString f3 = QStringLiteral("M482 Plus V2(F3)");
    const QString f2 = QStringLiteral("M482 Plus V2(F2)");
    const QString f4 = QStringLiteral("M482 Plus V2(F4)");
    using V = FirmwareVerdict;
    // No capability code: model and "CP1".
    QTest::newRow("plain: CP1 passes") << m482 << plain << "1.00" << 0 << 0
                                       << "M482PlusV2-CP1-Q52-HV[9.00]-SV[1.15].bin" << V::Passed;
    QTest::newRow("plain: cp1 in any case") << m482 << plain << "1.00" << 0 << 0
                                            << "M482PlusV2-cp1-Q52-HV[1.00]-SV[1.15].bin" << V::Passed;
    QTest::newRow("plain: CP2 refused") << m482 << plain << "1.00" << 2 << 0
                                        << "M482PlusV2-CP2-Q52-HV[1.00]-SV[1.15].bin" << V::NotCP1;
    QTest::newRow("other model") << m482 << plain << "1.00" << 0 << 0
                                 << "M517V2-CP1-Q52-HV[1.00]-SV[1.15].bin" << V::ProductModelMismatch;
    QTest::newRow("model code is case-sensitive") << m482 << plain << "1.00" << 0 << 0
                                                  << "m482plusv2-CP1-Q52-HV[1.00]-SV[1.15].bin"
                                                  << V::ProductModelMismatch;
    QTest::newRow("M517 V1 has no model code") << int(store::Model::M517V1) << "M517 V1" << "1.00" << 0 << 0
                                               << "-CP1-Q52-HV[1.00]-SV[1.15].bin" << V::ProductModelMismatch;
    QTest::newRow("Sorvi 22 has no model code") << int(store::Model::Sorvi22) << "Sorvi 22" << "1.00" << 0 << 0
                                                << "Sorvi22-CP1-Q52-HV[1.00]-SV[1.15].bin"
                                                << V::ProductModelMismatch;
    QTest::newRow("unparsable") << m482 << plain << "1.00" << 0 << 0 << "M482PlusV2-CP1.bin" << V::NameUnparsable;
    QTest::newRow("parenthesised non-code refuses") << m482 << "M482 Plus V2(Pro)" << "1.00" << 0 << 0
                                                    << "M482PlusV2-CP1-Q52-HV[1.00]-SV[1.15].bin"
                                                    << V::ProductNameRefused;
    // F3: CPU and hardware version.
    QTest::newRow("F3: 1.10 within 1.00..1.20") << m482 << f3 << "1.10" << 1 << 0
                                                << "M482PlusV2-cp1-Q99-HV[1.00^1.20]-SV[1.15].bin" << V::Passed;
    QTest::newRow("F3: 1.30 above the highest") << m482 << f3 << "1.30" << 1 << 0
                                                << "M482PlusV2-CP1-Q52-HV[1.00^1.20]-SV[1.15].bin"
                                                << V::HardwareVersionMismatch;
    QTest::newRow("F3: 0.90 below the lowest") << m482 << f3 << "0.90" << 1 << 0
                                               << "M482PlusV2-CP1-Q52-HV[1.00]-SV[1.15].bin"
                                               << V::HardwareVersionMismatch;
    QTest::newRow("F3: code 6 is CP7") << m482 << f3 << "1.10" << 6 << 0
                                       << "M482PlusV2-CP7-Q52-HV[1.00]-SV[1.15].bin" << V::Passed;
    QTest::newRow("F3: other CPU") << m482 << f3 << "1.10" << 6 << 0
                                   << "M482PlusV2-CP6-Q52-HV[1.00]-SV[1.15].bin" << V::CpuMismatch;
    QTest::newRow("F3: CPU code names none") << m482 << f3 << "1.10" << 0 << 0
                                             << "M482PlusV2-CP1-Q52-HV[1.00]-SV[1.15].bin" << V::CpuMismatch;
    // F2: hardware version only.
    QTest::newRow("F2: x is refused") << m482 << f2 << "5.00" << 0 << 0
                                      << "M482PlusV2-CP9-Q52-HV[1.x]-SV[1.15].bin" << V::HardwareVersionMismatch;
    QTest::newRow("F2: non-numeric highest, no limit") << m482 << f2 << "5.00" << 0 << 0
                                                       << "M482PlusV2-CP9-Q52-HV[1.00^abc]-SV[1.15].bin"
                                                       << V::Passed;
    // F4: pen kind (M482 Plus V2: pen 2 is Q52E, pen 1 Q61).
    QTest::newRow("F4: pen matches") << m482 << f4 << "1.00" << 0 << 2
                                     << "M482PlusV2-CP9-q52e-HV[9]-SV[1.15].bin" << V::Passed;
    QTest::newRow("F4: other pen") << m482 << f4 << "1.00" << 0 << 1
                                   << "M482PlusV2-CP9-Q52E-HV[9]-SV[1.15].bin" << V::PenKindMismatch;
    // F8: a code with no checks, and no "CP1" rule either.
    QTest::newRow("F8: model only") << m482 << "M482 Plus V2(F8)" << "1.00" << 0 << 0
                                    << "M482PlusV2-CP9-Q1-HV[9]-SV[1].bin" << V::Passed;
}

void TestFirmwareFile::nameChecks()
{
    QFETCH(int, model);
    QFETCH(QString, pName);
    QFETCH(QString, cchd);
    QFETCH(int, cpu);
    QFETCH(int, pen);
    QFETCH(QString, file);
    QFETCH(FirmwareVerdict, verdict);
    FirmwareDevice device;
    device.pName = pName;
    device.cur_PM = store::productModelWithDevkey(store::devKeyFor(store::Model(model)));
    device.cchd = cchd;
    device.cpuInfo = CpuInfo{quint16(cpu), quint16(pen), 0};
    QCOMPARE(checkFirmwareName(file, device), verdict);
}

void TestFirmwareFile::fileChecks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<FirmwareVerdict>("verdict");
    QTest::addColumn<QString>("logLine");
    using V = FirmwareVerdict;
    using fwtest::makeFirmware;
    using fwtest::patternBody;
    QTest::newRow("one record") << makeFirmware(patternBody(1025), 1024) << V::Passed << QString();
    QTest::newRow("short last record") << makeFirmware(patternBody(1025 + 100), 1500) << V::Passed << QString();
    QTest::newRow("size 0, no body") << makeFirmware(QByteArray(), 0) << V::Passed << QString();

    QByteArray sum12 = makeFirmware(QByteArray(1, '\x12'), 1);
    QCOMPARE(quint8(sum12[8]), quint8(0x47));
    QCOMPARE(quint8(sum12[10]), quint8(0xB8));
    QTest::newRow("body summing to 0x12") << sum12 << V::Passed << QString();

    QByteArray badA = makeFirmware(patternBody(1025), 1024);
    badA[8] = char(badA[8] ^ 1);
    QTest::newRow("check A") << badA << V::Xor55Mismatch << QStringLiteral("CheckFw_Xor55: 0");
    QByteArray badB = makeFirmware(patternBody(1025), 1024);
    badB[10] = char(badB[10] ^ 1);
    QTest::newRow("check B") << badB << V::XorAAMismatch << QStringLiteral("CheckFw_XorAA: 0");
    QByteArray swapped = makeFirmware(patternBody(1025), 1024);
    std::swap(swapped[12], swapped[13]);
    QVERIFY(swapped[12] != swapped[13]);
    QTest::newRow("CRC stored high byte first") << swapped << V::Crc16Mismatch << QStringLiteral("CheckFw_Crc16: 0");
    QByteArray changed = makeFirmware(patternBody(1025), 1024);
    changed[100] = char(changed[100] + 1);
    changed[101] = char(changed[101] - 1); // the same sum, another CRC
    QTest::newRow("body changed, sum kept") << changed << V::Crc16Mismatch << QStringLiteral("CheckFw_Crc16: 0");

    QTest::newRow("shorter than the header") << QByteArray(25, '\0') << V::FileTooShort << QString();
    QTest::newRow("size asks for more records") << makeFirmware(patternBody(1025), 2048) << V::SizeMismatch
                                                << QString();
    QTest::newRow("body beyond the records") << makeFirmware(patternBody(1026), 1024) << V::SizeMismatch
                                             << QString();
    QTest::newRow("size 0 with a body") << makeFirmware(patternBody(10), 0) << V::SizeMismatch << QString();
    QTest::newRow("size field of 4 GiB") << makeFirmware(patternBody(1025), 0xFFFFFFFF) << V::SizeMismatch
                                         << QString();
    // 512 records would fit the size field, but not the transfer's reach.
    QTest::newRow("larger than the transfer can send")
        << makeFirmware(patternBody(int(kMaxFirmwareFileLength) - 26 + 1), 512 * 1024) << V::FileTooLarge
        << QString();
    QTest::newRow("largest file the transfer sends")
        << makeFirmware(patternBody(int(kMaxFirmwareFileLength) - 26), 512 * 1024) << V::Passed << QString();
}

void TestFirmwareFile::fileChecks()
{
    QFETCH(QByteArray, file);
    QFETCH(FirmwareVerdict, verdict);
    QFETCH(QString, logLine);
    QCOMPARE(ciphertextAlgoCheckFw(file), verdict);
    QCOMPARE(checkLogLine(verdict), logLine);
    QCOMPARE(verdictReason(verdict).isEmpty(), verdict == FirmwareVerdict::Passed);
}

void TestFirmwareFile::header()
{
    const QByteArray file = fwtest::makeFirmware(fwtest::patternBody(5), 0x00012345, 0xBEEF, 0x89ABCDEF);
    const auto header = parseFirmwareHeader(file);
    QVERIFY(header);
    QCOMPARE(header->fileTag, quint16(0xBEEF));
    QCOMPARE(header->size, quint32(0x00012345));
    QCOMPARE(header->crc, quint32(0x89ABCDEF));
    QCOMPARE(parseFirmwareHeader(file.left(25)), std::nullopt);
    QCOMPARE(recordCount(0), quint32(0));
    QCOMPARE(recordCount(1024), quint32(1));
    QCOMPARE(recordCount(1025), quint32(2));
    QCOMPARE(recordCount(0xFFFFFFFF), quint32(4194304));
}

QTEST_GUILESS_MAIN(TestFirmwareFile)
#include "tst_firmwarefile.moc"
