#include <QTest>

#include "edidfixture.h"
#include "platform/linux/edid.h"

using platform::native::parseEdid;

class TestEdid : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void refuses_data();
    void refuses();
};

void TestEdid::reads_data()
{
    QTest::addColumn<QByteArray>("edid");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<quint32>("serial");
    QTest::addColumn<QString>("name");

    const QByteArray edid = monitorEdid();
    QTest::newRow("monitor") << edid << "DEL" << 0x10AC << 0xA0C4 << 0x4134334Cu << "DELL U2415";
    // The extension block (CEA timings) that follows is not read.
    QTest::newRow("with an extension block")
        << edid + QByteArray(128, '\x5A') << "DEL" << 0x10AC << 0xA0C4 << 0x4134334Cu << "DELL U2415";
    // The name descriptor (bytes 90..107) turned into a dummy descriptor.
    QTest::newRow("no name descriptor") << edidWith(edid, 93, 0x10) << "DEL" << 0x10AC << 0xA0C4 << 0x4134334Cu << "";
    // "AUO": A=1, U=21, O=15 -> 0 00001 10101 01111.
    QTest::newRow("laptop panel vendor")
        << edidWith(edidWith(edid, 8, 0x06), 9, 0xAF) << "AUO" << 0x06AF << 0xA0C4 << 0x4134334Cu << "DELL U2415";
    // A name of the full 13 characters has no line feed.
    QByteArray full = edid;
    full.replace(95, 13, "ABCDEFGHIJKLM");
    QTest::newRow("name without line feed")
        << edidWith(full, 95, 'A') << "DEL" << 0x10AC << 0xA0C4 << 0x4134334Cu << "ABCDEFGHIJKLM";
    // The name reaches labels and log lines: a control character (C0 or C1)
    // ends it like the line feed, so no escape sequence gets through.
    QTest::newRow("escape ends the name")
        << edidWith(edid, 99, 0x1B) << "DEL" << 0x10AC << 0xA0C4 << 0x4134334Cu << "DELL";
    QTest::newRow("C1 control ends the name")
        << edidWith(edid, 99, 0x9B) << "DEL" << 0x10AC << 0xA0C4 << 0x4134334Cu << "DELL";
}

void TestEdid::reads()
{
    QFETCH(QByteArray, edid);
    QFETCH(QString, manufacturer);
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFETCH(quint32, serial);
    QFETCH(QString, name);

    const auto info = parseEdid(edid);
    QVERIFY(info);
    QCOMPARE(info->manufacturerId, manufacturer);
    QCOMPARE(int(info->vendor), vendor);
    QCOMPARE(int(info->productCode), product);
    QCOMPARE(info->serialNumber, serial);
    QCOMPARE(info->productName, name);
}

void TestEdid::refuses_data()
{
    QTest::addColumn<QByteArray>("edid");

    const QByteArray edid = monitorEdid();
    QByteArray flipped = edid;
    flipped[100] = char(flipped.at(100) ^ 0x01);
    QTest::newRow("checksum does not add up") << flipped;
    QTest::newRow("one byte short") << edid.left(127);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header") << edidWith(edid, 0, 0x01);
    QTest::newRow("manufacturer letter 0") << edidWith(edidWith(edid, 8, 0x00), 9, 0x00);
    QTest::newRow("manufacturer letter past Z") << edidWith(edid, 9, 0xBF);
    QTest::newRow("top bit of the manufacturer") << edidWith(edid, 8, 0x90);
    QTest::newRow("all 0xFF") << QByteArray(128, '\xFF');
}

void TestEdid::refuses()
{
    QFETCH(QByteArray, edid);
    QVERIFY(!parseEdid(edid));
}

QTEST_GUILESS_MAIN(TestEdid)
#include "tst_edid.moc"
