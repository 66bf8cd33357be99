#include <limits>

#include <QTest>

#include "platform/displayid.h"
#include "store/ovscreen.h"
#include "store/ovui.h"

using namespace store;
using platform::displayIdFor;

namespace {

QByteArray edid(quint8 vendorLow, quint32 serial)
{
    QByteArray bytes(128, '\0');
    const char header[] = { 0, char(0xFF), char(0xFF), char(0xFF), char(0xFF), char(0xFF), char(0xFF), 0 };
    bytes.replace(0, 8, QByteArray(header, 8));
    bytes[8] = char(0x3E);
    bytes[9] = char(vendorLow);
    bytes[10] = char(0x22);
    bytes[11] = char(0x11);
    for (int i = 0; i < 4; ++i)
        bytes[12 + i] = char((serial >> (8 * i)) & 0xFF);
    bytes[16] = 12;
    bytes[17] = 33;
    return bytes;
}

} // namespace

class TestScreen : public QObject
{
    Q_OBJECT

private slots:
    void screenRecord();
    void flip_data();
    void flip();
    void objectAtIndexSafely_data();
    void objectAtIndexSafely();
    void removeObjectAtIndexSafely_data();
    void removeObjectAtIndexSafely();
    void displayIdKnownAnswer();
    void displayIdDistinguishes_data();
    void displayIdDistinguishes();
};

void TestScreen::screenRecord()
{
    OVScreen screen;
    QCOMPARE(screen.number(), 0u);
    QCOMPARE(screen.frame(), QRectF());
    QVERIFY(screen.name().isNull());
    QVERIFY(!screen.unknowName());

    QString name = QStringLiteral("Sorvi22");
    screen.setNumber(0xFFFFFFFFu);
    screen.setFrame(QRectF(-1920, 0, 1920, 1080));
    screen.setName(name);
    screen.setUnknowName(true);
    name.append(QLatin1String("Pro"));
    // The record keeps the name of the moment it was set.
    QCOMPARE(screen.name(), QStringLiteral("Sorvi22"));

    const OVScreen copy = screen;
    QCOMPARE(copy.number(), 0xFFFFFFFFu);
    QCOMPARE(copy.frame(), QRectF(-1920, 0, 1920, 1080));
    QVERIFY(copy.unknowName());
}

void TestScreen::flip_data()
{
    QTest::addColumn<QRectF>("bottomLeft");
    QTest::addColumn<double>("mainHeight");
    QTest::addColumn<QRectF>("topLeft");
    QTest::newRow("main display") << QRectF(0, 0, 1920, 1080) << 1080.0 << QRectF(0, 0, 1920, 1080);
    QTest::newRow("portion in the lower half")
        << QRectF(0, 0, 800, 600) << 1080.0 << QRectF(0, 480, 800, 600);
    QTest::newRow("shorter display at the right")
        << QRectF(1920, 0, 1280, 1024) << 1080.0 << QRectF(1920, 56, 1280, 1024);
    QTest::newRow("display above the main")
        << QRectF(0, 1080, 1920, 1200) << 1080.0 << QRectF(0, -1200, 1920, 1200);
    QTest::newRow("fractional") << QRectF(0.5, 10.25, 3, 7.5) << 900.0 << QRectF(0.5, 882.25, 3, 7.5);
}

void TestScreen::flip()
{
    QFETCH(QRectF, bottomLeft);
    QFETCH(double, mainHeight);
    QFETCH(QRectF, topLeft);
    QCOMPARE(flipRect(bottomLeft, mainHeight), topLeft);
    QCOMPARE(flipRect(topLeft, mainHeight), bottomLeft);
}

void TestScreen::objectAtIndexSafely_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<quint64>("index");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("element");
    QTest::newRow("empty, 0") << QStringList() << quint64(0) << false << QString();
    QTest::newRow("two, 1") << QStringList { "a", "b" } << quint64(1) << true << "b";
    QTest::newRow("two, 2") << QStringList { "a", "b" } << quint64(2) << false << QString();
    // Must not wrap to a negative list index.
    QTest::newRow("two, largest index")
        << QStringList { "a", "b" } << std::numeric_limits<quint64>::max() << false << QString();
    QTest::newRow("two, 2^32") << QStringList { "a", "b" } << (quint64(1) << 32) << false << QString();
}

void TestScreen::objectAtIndexSafely()
{
    QFETCH(QStringList, list);
    QFETCH(quint64, index);
    QFETCH(bool, found);
    QFETCH(QString, element);
    const std::optional<QString> result = store::objectAtIndexSafely(list, index);
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, element);
}

void TestScreen::removeObjectAtIndexSafely_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<quint64>("index");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("empty, 0") << QStringList() << quint64(0) << QStringList();
    QTest::newRow("first") << QStringList { "a", "b" } << quint64(0) << QStringList { "b" };
    QTest::newRow("last") << QStringList { "a", "b" } << quint64(1) << QStringList { "a" };
    QTest::newRow("index equal to the count")
        << QStringList { "a", "b" } << quint64(2) << QStringList { "a", "b" };
    QTest::newRow("largest index") << QStringList { "a", "b" } << std::numeric_limits<quint64>::max()
                                   << QStringList { "a", "b" };
}

void TestScreen::removeObjectAtIndexSafely()
{
    QFETCH(QStringList, list);
    QFETCH(quint64, index);
    QFETCH(QStringList, after);
    store::removeObjectAtIndexSafely(list, index);
    QCOMPARE(list, after);
}

void TestScreen::displayIdKnownAnswer()
{
    // Nothing but the separator byte: FNV-1a (32 bit) of a single zero byte.
    QCOMPARE(displayIdFor(QString(), QByteArray()), 0x050c5d1fu);
    // The EDID header (bytes 0..7) and everything past byte 17 do not count.
    QByteArray header(8, char(0xFF));
    QCOMPARE(displayIdFor(QString(), header), 0x050c5d1fu);
}

void TestScreen::displayIdDistinguishes_data()
{
    QTest::addColumn<QString>("connectorA");
    QTest::addColumn<QByteArray>("edidA");
    QTest::addColumn<QString>("connectorB");
    QTest::addColumn<QByteArray>("edidB");
    QTest::addColumn<bool>("same");

    const QByteArray panel = edid(0x45, 1001);
    QTest::newRow("same display, same connector") << "DP-1" << panel << "DP-1" << QByteArray(panel) << true;
    QByteArray otherModes = panel;
    otherModes[54] = char(0x7F); // a detailed timing descriptor
    otherModes[127] = char(0x11); // checksum
    QTest::newRow("mode list and checksum do not count") << "DP-1" << panel << "DP-1" << otherModes << true;
    QTest::newRow("other connector") << "DP-1" << panel << "DP-2" << panel << false;
    QTest::newRow("other serial") << "HDMI-1" << panel << "HDMI-1" << edid(0x45, 1002) << false;
    QTest::newRow("other vendor") << "HDMI-1" << panel << "HDMI-1" << edid(0x46, 1001) << false;
    QTest::newRow("no EDID against EDID") << "eDP-1" << QByteArray() << "eDP-1" << panel << false;
    QTest::newRow("connector and EDID do not run together")
        << "DP-1" << QByteArray() << "DP-" << QByteArray(9, '1') << false;
}

void TestScreen::displayIdDistinguishes()
{
    QFETCH(QString, connectorA);
    QFETCH(QByteArray, edidA);
    QFETCH(QString, connectorB);
    QFETCH(QByteArray, edidB);
    QFETCH(bool, same);
    const quint32 a = displayIdFor(connectorA, edidA);
    const quint32 b = displayIdFor(connectorB, edidB);
    QVERIFY(a != 0);
    QVERIFY(b != 0);
    QCOMPARE(a == b, same);
}

QTEST_GUILESS_MAIN(TestScreen)
#include "tst_screen.moc"
