#include <QTest>

#include "hidfixture.h"
#include "platform/linux/hiddescriptor.h"

using platform::native::HidDescriptorSummary;
using platform::native::HidUsagePair;
using platform::native::parseHidDescriptor;

using Pairs = QList<HidUsagePair>;
Q_DECLARE_METATYPE(Pairs)

namespace platform::native {
char *toString(const HidUsagePair &pair)
{
    return QTest::toString(QStringLiteral("(0x%1, 0x%2)").arg(pair.usagePage, 0, 16).arg(pair.usage, 0, 16));
}
} // namespace platform::native

namespace {

std::optional<HidDescriptorSummary> parse(const QByteArray &bytes)
{
    return parseHidDescriptor(
        std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), size_t(bytes.size())));
}

} // namespace

class TestHidDescriptor : public QObject
{
    Q_OBJECT
private slots:
    void realShapedDescriptors_data();
    void realShapedDescriptors();
    void itemOrderAndForms_data();
    void itemOrderAndForms();
    void malformedDescriptorsAreRefused_data();
    void malformedDescriptorsAreRefused();
};

void TestHidDescriptor::realShapedDescriptors_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<Pairs>("collections");
    QTest::addColumn<bool>("numbered");

    QTest::newRow("vendor-page tablet") << "vendor-tablet.hex" << Pairs { { 0xFF0A, 1 } } << true;
    QTest::newRow("command and boot channels")
        << "vendor-command.hex" << Pairs { { 0xFF0B, 1 }, { 0xFF0C, 1 } } << true;
    QTest::newRow("generic desktop: mouse, keyboard, consumer")
        << "desktop-mouse-keyboard.hex" << Pairs { { 0x01, 0x02 }, { 0x01, 0x06 }, { 0x0C, 0x01 } } << true;
    // The stylus collection is nested in the pen's: not a pair of its own.
    QTest::newRow("digitizer pen") << "digitizer-pen.hex" << Pairs { { 0x0D, 0x02 } } << true;
    QTest::newRow("unnumbered boot mouse") << "boot-mouse.hex" << Pairs { { 0x01, 0x02 } } << false;
}

void TestHidDescriptor::realShapedDescriptors()
{
    QFETCH(QString, fixture);
    QFETCH(Pairs, collections);
    QFETCH(bool, numbered);

    const QByteArray bytes = hidFixture(fixture);
    QVERIFY2(!bytes.isEmpty(), qPrintable(fixture));
    const auto summary = parse(bytes);
    QVERIFY(summary);
    QCOMPARE(summary->collections, collections);
    QCOMPARE(summary->primary(), collections.first());
    QCOMPARE(summary->numberedReports, numbered);
}

void TestHidDescriptor::itemOrderAndForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Pairs>("collections");

    // HID 1.11, 6.2.2.8: a 16-bit usage is read with the page in effect at
    // the main item, even when the page is set after the usage.
    QTest::newRow("page after usage") << QByteArray::fromHex("0901060AFFA101C0") << Pairs { { 0xFF0A, 1 } };
    // A 32-bit usage names its own page, whatever page is in effect.
    QTest::newRow("extended usage") << QByteArray::fromHex("05010B01000AFFA101C0") << Pairs { { 0xFF0A, 1 } };
    // Usages are local: the second collection has none of its own.
    QTest::newRow("usage does not outlive its collection")
        << QByteArray::fromHex("060AFF0901A101C0A101C0") << Pairs { { 0xFF0A, 1 }, { 0xFF0A, 0 } };
    QTest::newRow("pop restores the page")
        << QByteArray::fromHex("060BFFA40501B40901A101C0") << Pairs { { 0xFF0B, 1 } };
    QTest::newRow("long item skipped")
        << QByteArray::fromHex("FE0210AABB050D0902A101C0") << Pairs { { 0x0D, 2 } };
    // Top-level collections that are not application collections are no
    // interface the system lists.
    QTest::newRow("top-level physical ignored") << QByteArray::fromHex("05010901A100C0") << Pairs {};
    QTest::newRow("empty") << QByteArray() << Pairs {};
}

void TestHidDescriptor::itemOrderAndForms()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Pairs, collections);

    const auto summary = parse(bytes);
    QVERIFY(summary);
    QCOMPARE(summary->collections, collections);
}

void TestHidDescriptor::malformedDescriptorsAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("item cut short") << QByteArray::fromHex("060A");
    QTest::newRow("four-byte item cut short") << QByteArray::fromHex("0B0100");
    QTest::newRow("long item cut short") << QByteArray::fromHex("FE0510AABB");
    QTest::newRow("end without collection") << QByteArray::fromHex("05010902C0");
    QTest::newRow("collection left open") << QByteArray::fromHex("05010902A101");
    QTest::newRow("pop without push") << QByteArray::fromHex("B4");
    QTest::newRow("push past the stack") << QByteArray::fromHex("A4A4A4A4A4");
    QTest::newRow("cut after a good collection")
        << hidFixture(QStringLiteral("vendor-tablet.hex")) + QByteArray::fromHex("26FF");
}

void TestHidDescriptor::malformedDescriptorsAreRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!parse(bytes));
}

QTEST_GUILESS_MAIN(TestHidDescriptor)
#include "tst_hiddescriptor.moc"
