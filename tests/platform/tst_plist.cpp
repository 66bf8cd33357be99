#include <cmath>
#include <limits>

#include <QDateTime>
#include <QPoint>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>
#include <QUrl>

#include "platform/plist.h"
#include "support_values.h"

using namespace platform;

namespace {

QDateTime utc(int year, int month, int day, int h = 0, int m = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(year, month, day), QTime(h, m, s, ms), Qt::UTC);
}

// Assembles a binary property list: objects are encoded by the caller, each
// container's references already in `refSize` bytes.
QByteArray binaryPlist(const QList<QByteArray> &objects, quint64 top = 0, int refSize = 1)
{
    QByteArray out("bplist00");
    QList<quint64> offsets;
    for (const QByteArray &object : objects) {
        offsets << quint64(out.size());
        out += object;
    }
    const quint64 tableAt = quint64(out.size());
    const int offsetSize = tableAt > 0xffff ? 4 : tableAt > 0xff ? 2 : 1;
    auto bigEndian = [](quint64 v, int size) {
        QByteArray b(size, '\0');
        for (int i = size - 1; i >= 0; --i, v >>= 8)
            b[i] = char(v & 0xff);
        return b;
    };
    for (quint64 offset : offsets)
        out += bigEndian(offset, offsetSize);
    out += QByteArray(6, '\0');
    out += char(offsetSize);
    out += char(refSize);
    out += bigEndian(quint64(objects.size()), 8);
    out += bigEndian(top, 8);
    out += bigEndian(tableAt, 8);
    return out;
}

QByteArray ref(quint64 index, int refSize = 1)
{
    QByteArray b(refSize, '\0');
    for (int i = refSize - 1; i >= 0; --i, index >>= 8)
        b[i] = char(index & 0xff);
    return b;
}

// An array marker with its count (extended count form above 14).
QByteArray arrayOf(const QList<quint64> &children, int refSize = 1)
{
    QByteArray b;
    if (children.size() < 15) {
        b += char(0xa0 | children.size());
    } else {
        b += char(0xaf);
        b += char(0x11);
        b += char((children.size() >> 8) & 0xff);
        b += char(children.size() & 0xff);
    }
    for (quint64 child : children)
        b += ref(child, refSize);
    return b;
}

QByteArray nestedXml(int levels)
{
    return "<plist version=\"1.0\">" + QByteArray("<array>").repeated(levels) + "<true/>"
        + QByteArray("</array>").repeated(levels) + "</plist>";
}

QVariant nestedValue(int levels)
{
    QVariant value = true;
    for (int i = 0; i < levels; ++i)
        value = QVariantList{value};
    return value;
}

// Arrays chained by one reference each, the innermost holding true.
QByteArray nestedBinary(int levels)
{
    const int refSize = levels + 1 > 0xffff ? 4 : levels + 1 > 0xff ? 2 : 1;
    QList<QByteArray> objects;
    for (int i = 0; i < levels; ++i)
        objects << arrayOf({quint64(i + 1)}, refSize);
    objects << QByteArray(1, char(0x09));
    return binaryPlist(objects, 0, refSize);
}

QByteArray kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

} // namespace

class TestPlist : public QObject
{
    Q_OBJECT
private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }
    void roundTrip_data();
    void roundTrip();
    void xmlKeepsTypesInText_data();
    void xmlKeepsTypesInText();
    void parseKnownBytes_data();
    void parseKnownBytes();
    void parseRefuses_data();
    void parseRefuses();
    void nestingLimit();
    void writeRefuses_data();
    void writeRefuses();
};

void TestPlist::roundTrip_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<bool>("xmlToo"); // XML dates carry whole seconds only

    auto row = [](const char *name, const QVariant &value, const QVariant &expected, bool xmlToo = true) {
        QTest::newRow(name) << value << expected << xmlToo;
    };
    row("true", true, true);
    row("false", false, false);
    row("int zero", 0, qint64(0));
    row("negative int", -5, qint64(-5));
    row("negative qint64", qint64(-5), qint64(-5));
    row("above 2^32", qint64(5000000000LL), qint64(5000000000LL));
    row("INT64_MIN", std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::min());
    row("INT64_MAX", std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max());
    row("unsigned above INT64_MAX", std::numeric_limits<quint64>::max(), std::numeric_limits<quint64>::max());
    row("uint small", 7u, qint64(7));
    row("uchar", QVariant::fromValue<uchar>(200), qint64(200));
    row("real", 0.1, 0.1);
    row("integral real stays real", 2.0, 2.0);
    row("negative real", -1234.5678e-9, -1234.5678e-9);
    row("float widened", QVariant::fromValue(1.1f), double(1.1f));
    row("infinity", std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity());
    row("nan", std::nan(""), std::nan(""));
    row("string", QStringLiteral("Orvane \u00e9\u4e2d\U0001F58A"), QStringLiteral("Orvane \u00e9\u4e2d\U0001F58A"));
    row("empty string", QString(""), QString(""));
    row("markup and blanks", QStringLiteral("a<b>&c\r\n\t\"'"), QStringLiteral("a<b>&c\r\n\t\"'"));
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte += char(i);
    row("data", everyByte, everyByte);
    row("empty data", QByteArray(), QByteArray());
    row("date", utc(2024, 3, 1, 12, 30, 5), utc(2024, 3, 1, 12, 30, 5));
    row("date 1900", utc(1900, 1, 1), utc(1900, 1, 1));
    row("date 2100", utc(2100, 6, 1, 1, 2, 3), utc(2100, 6, 1, 1, 2, 3));
    row("date year 1000", utc(1000, 1, 1), utc(1000, 1, 1));
    row("date year 9999", utc(9999, 12, 31, 23, 59, 59), utc(9999, 12, 31, 23, 59, 59));
    row("local date becomes UTC", QDateTime(QDate(2020, 1, 1), QTime(10, 0), QTimeZone(3600)),
        utc(2020, 1, 1, 9, 0));
    row("date with milliseconds", utc(2023, 5, 6, 7, 8, 9, 250), utc(2023, 5, 6, 7, 8, 9, 250), false);
    row("date before 2001 with milliseconds", utc(1999, 12, 31, 23, 59, 59, 750),
        utc(1999, 12, 31, 23, 59, 59, 750), false);
    row("empty map", QVariantMap(), QVariantMap());
    row("empty list", QVariantList(), QVariantList());
    row("string list", QStringList{"a", "b"}, QVariantList{"a", "b"});
    const QVariantMap nested{
        {"OVCFGPen", QVariantMap{{"c", "Pen"}, {"k", "Pressure"}, {"v", QVariantList{1, 2.5, true, "x"}}}},
        {"empty key ok", QVariantMap{{"", false}}},
        {"list of maps", QVariantList{QVariantMap{{"n", -1}}, QVariantMap()}}};
    const QVariantMap nestedRead{
        {"OVCFGPen",
         QVariantMap{{"c", "Pen"}, {"k", "Pressure"}, {"v", QVariantList{qint64(1), 2.5, true, "x"}}}},
        {"empty key ok", QVariantMap{{"", false}}},
        {"list of maps", QVariantList{QVariantMap{{"n", qint64(-1)}}, QVariantMap()}}};
    row("nested", nested, nestedRead);
}

void TestPlist::roundTrip()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    QFETCH(bool, xmlToo);

    QVERIFY(plist::isPlistValue(value));
    for (const plist::Format format : {plist::Format::Binary, plist::Format::Xml}) {
        if (format == plist::Format::Xml && !xmlToo)
            continue;
        QString error;
        const auto bytes = plist::write(value, format, &error);
        QVERIFY2(bytes, qPrintable(error));
        QCOMPARE(bytes->startsWith("bplist00"), format == plist::Format::Binary);
        const auto back = plist::parse(*bytes, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(describeValue(*back), describeValue(expected));
    }
}

void TestPlist::xmlKeepsTypesInText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("true") << QVariant(true) << QByteArray("<true/>");
    QTest::newRow("false") << QVariant(false) << QByteArray("<false/>");
    QTest::newRow("negative") << QVariant(-5) << QByteArray("<integer>-5</integer>");
    QTest::newRow("above 2^32") << QVariant(qint64(5000000000LL)) << QByteArray("<integer>5000000000</integer>");
    QTest::newRow("unsigned max") << QVariant(std::numeric_limits<quint64>::max())
                                  << QByteArray("<integer>18446744073709551615</integer>");
    QTest::newRow("integral real") << QVariant(2.0) << QByteArray("<real>2");
    QTest::newRow("bool in map") << QVariant(QVariantMap{{"OVCFGTouch", true}})
                                 << QByteArray("<key>OVCFGTouch</key>\n\t<true/>");
    QTest::newRow("escaped") << QVariant("a<&") << QByteArray("<string>a&lt;&amp;</string>");
    QTest::newRow("date") << QVariant(utc(2024, 3, 1, 12, 30, 5)) << QByteArray("<date>2024-03-01T12:30:05Z</date>");
}

void TestPlist::xmlKeepsTypesInText()
{
    QFETCH(QVariant, value);
    QFETCH(QByteArray, text);
    const auto bytes = plist::write(value, plist::Format::Xml);
    QVERIFY(bytes);
    QVERIFY2(bytes->contains(text), bytes->constData());
    QVERIFY(bytes->startsWith("<?xml"));
}

void TestPlist::parseKnownBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("xml document")
        << kXmlHead
            + "<plist version=\"1.0\">\n<dict>\n"
              "  <!-- a comment with <array> inside -->\n"
              "  <key>a</key><integer>-5</integer>\n"
              "  <key>b</key><real>0.5</real>\n"
              "  <key>c</key><true/>\n"
              "  <key>d</key><data>AAEC/w==</data>\n"
              "  <key>e</key><date>2001-01-01T00:01:40Z</date>\n"
              "  <key>f</key><string><![CDATA[x<y]]></string>\n"
              "  <key>g</key><array/>\n"
              "</dict>\n</plist>\n"
        << QVariant(QVariantMap{{"a", qint64(-5)},
                                {"b", 0.5},
                                {"c", true},
                                {"d", QByteArray::fromHex("000102ff")},
                                {"e", utc(2001, 1, 1, 0, 1, 40)},
                                {"f", "x<y"},
                                {"g", QVariantList()}});
    QTest::newRow("xml hex integer") << QByteArray("<plist><integer>0x10</integer></plist>") << QVariant(qint64(16));
    QTest::newRow("xml integer with blanks") << QByteArray("<plist><integer> 42\n</integer></plist>")
                                             << QVariant(qint64(42));
    QTest::newRow("xml infinity") << QByteArray("<plist><real>-infinity</real></plist>")
                                  << QVariant(-std::numeric_limits<double>::infinity());
    // Binary integers: 1, 2, 4 and 8 bytes are signed big-endian two's
    // complement only at 8 bytes; 16 bytes carry the unsigned range.
    QTest::newRow("bin one-byte integer") << binaryPlist({QByteArray::fromHex("10ff")}) << QVariant(qint64(255));
    QTest::newRow("bin two-byte integer") << binaryPlist({QByteArray::fromHex("110102")}) << QVariant(qint64(258));
    QTest::newRow("bin eight-byte negative") << binaryPlist({QByteArray::fromHex("13fffffffffffffffb")})
                                             << QVariant(qint64(-5));
    QTest::newRow("bin sixteen-byte unsigned")
        << binaryPlist({QByteArray::fromHex("140000000000000000ffffffffffffffff")})
        << QVariant(std::numeric_limits<quint64>::max());
    QTest::newRow("bin float32 real") << binaryPlist({QByteArray::fromHex("223fc00000")}) << QVariant(1.5);
    QTest::newRow("bin date") << binaryPlist({QByteArray::fromHex("334059200000000000")})
                              << QVariant(utc(2001, 1, 1, 0, 1, 40, 500));
    QTest::newRow("bin utf16 string") << binaryPlist({QByteArray::fromHex("624e2d00e9")})
                                      << QVariant(QStringLiteral("\u4e2d\u00e9"));
    // {"k": [true, false]} with the array's references shared with nobody.
    QTest::newRow("bin dict")
        << binaryPlist({QByteArray::fromHex("d10102"), QByteArray::fromHex("516b"), QByteArray::fromHex("a20304"),
                        QByteArray(1, char(0x09)), QByteArray(1, char(0x08))})
        << QVariant(QVariantMap{{"k", QVariantList{true, false}}});
    QTest::newRow("xml entity references within the bound") << QByteArray("<plist><string>")
            + QByteArray("&amp;&#38;").repeated(5000)
            + QByteArray("</string></plist>") << QVariant(QString(10000, QLatin1Char('&')));
    // One object referenced twice is two equal values.
    QTest::newRow("bin shared reference") << binaryPlist({arrayOf({1, 1}), QByteArray::fromHex("1007")})
                                          << QVariant(QVariantList{qint64(7), qint64(7)});
}

void TestPlist::parseKnownBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QVariant, expected);
    QString error;
    const auto value = plist::parse(bytes, &error);
    QVERIFY2(value, qPrintable(error));
    QCOMPARE(describeValue(*value), describeValue(expected));
}

void TestPlist::parseRefuses_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");

    const QByteArray good = *plist::write(QVariantMap{{"a", QVariantList{1, 2, 3}}}, plist::Format::Binary);

    QTest::newRow("empty") << QByteArray() << "no bytes";
    QTest::newRow("garbage") << QByteArray("hello, world") << "not a property list";
    QTest::newRow("binary garbage") << QByteArray("\x00\x01\x02\xff\xfe", 5) << "not a property list";
    QTest::newRow("too large") << QByteArray(plist::kMaxBytes + 1, ' ') << "larger than";
    QTest::newRow("truncated binary") << good.left(good.size() - 1) << "binary";
    QTest::newRow("binary header only") << QByteArray("bplist00") << "truncated";
    QTest::newRow("binary cut in half") << good.left(good.size() / 2) << "binary";
    QTest::newRow("reference out of range") << binaryPlist({arrayOf({5})}) << "truncated";
    QTest::newRow("top object out of range") << binaryPlist({QByteArray(1, char(0x09))}, 3) << "truncated";
    QTest::newRow("array count past the end") << binaryPlist({QByteArray::fromHex("a9")}) << "truncated";
    QTest::newRow("binary refers to itself") << binaryPlist({arrayOf({0})}) << "refers to itself";
    QTest::newRow("binary cycle through two") << binaryPlist({arrayOf({1}), arrayOf({0})}) << "refers to itself";
    {
        // 40 arrays each holding the next one twice: 2^40 values once expanded.
        QList<QByteArray> objects;
        for (int i = 0; i < 40; ++i)
            objects << arrayOf({quint64(i + 1), quint64(i + 1)});
        objects << QByteArray(1, char(0x09));
        QTest::newRow("shared references explode") << binaryPlist(objects) << "more than";
    }
    QTest::newRow("uid") << binaryPlist({QByteArray::fromHex("8005")}) << "unsupported";
    QTest::newRow("unterminated xml") << QByteArray("<plist><array><true/></plist>") << "not a property list";
    QTest::newRow("unterminated tag") << QByteArray("<plist><array") << "unterminated";
    QTest::newRow("unterminated comment") << QByteArray("<plist><!-- <true/>") << "unterminated";
    QTest::newRow("empty plist") << QByteArray("<plist></plist>") << "not a property list";
    QTest::newRow("unknown element") << QByteArray("<plist><foo/></plist>") << "not a property list";
    QTest::newRow("integer text") << QByteArray("<plist><integer>abc</integer></plist>") << "cannot read integer";
    QTest::newRow("empty integer") << QByteArray("<plist><integer/></plist>") << "cannot read integer";
    QTest::newRow("octal-looking integer") << QByteArray("<plist><integer>010</integer></plist>")
                                           << "cannot read integer";
    QTest::newRow("integer overflow") << QByteArray("<plist><integer>18446744073709551616</integer></plist>")
                                      << "cannot read integer";
    QTest::newRow("negative overflow") << QByteArray("<plist><integer>-9223372036854775809</integer></plist>")
                                       << "cannot read integer";
    QTest::newRow("real text") << QByteArray("<plist><real>1.5x</real></plist>") << "cannot read real";
    QTest::newRow("date before year 1000") << QByteArray("<plist><date>0209-01-01T00:00:00Z</date></plist>")
                                           << "out of range";
    QTest::newRow("binary date far out") << binaryPlist({QByteArray::fromHex("3342d6bcc41e900000")})
                                         << "out of range";
    QTest::newRow("binary date nan") << binaryPlist({QByteArray::fromHex("337ff8000000000000")}) << "out of range";
    QTest::newRow("date text") << QByteArray("<plist><date>yesterday</date></plist>") << "cannot read date";
    QTest::newRow("xml string with NUL") << QByteArray("<plist><string>a\0b</string></plist>", 35) << "NUL";
    QTest::newRow("binary string with NUL") << binaryPlist({QByteArray("\x53" "a\0b", 4)}) << "NUL";
    QTest::newRow("binary utf16 string with NUL")
        << binaryPlist({arrayOf({1}), QByteArray::fromHex("620041000000")}) << "NUL";
    QTest::newRow("xml too deep") << nestedXml(257) << "nested deeper than 256";
    QTest::newRow("binary too deep") << nestedBinary(257) << "nested deeper than 256";
    QTest::newRow("binary very deep") << nestedBinary(100000) << "nested deeper than 256";
    QTest::newRow("xml very deep") << nestedXml(500000) << "nested deeper than 256";
    // Each reference costs a move of the rest of its text: 8 MB of them took minutes.
    QTest::newRow("xml entity references in bulk") << QByteArray("<plist><string>")
            + QByteArray("&amp;").repeated(1600000)
            + QByteArray("</string></plist>") << "too many entity references";
}

void TestPlist::parseRefuses()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    QString error;
    QVERIFY(!plist::parse(bytes, &error));
    QVERIFY2(error.contains(why), qPrintable(error));
    QVERIFY(!error.contains(QLatin1Char('\n')));
    // Works without an error sink too.
    QVERIFY(!plist::parse(bytes));
}

void TestPlist::nestingLimit()
{
    QString error;
    for (const plist::Format format : {plist::Format::Binary, plist::Format::Xml}) {
        const auto bytes = plist::write(nestedValue(256), format, &error);
        QVERIFY2(bytes, qPrintable(error));
        const auto back = plist::parse(*bytes, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(describeValue(*back), describeValue(nestedValue(256)));
    }
    QVERIFY(plist::parse(nestedXml(256)));
    QVERIFY(plist::parse(nestedBinary(256)));
    QVERIFY(!plist::write(nestedValue(257), plist::Format::Binary, &error));
    QVERIFY2(error.contains(QLatin1String("deeper than 256")), qPrintable(error));
    QVERIFY(!plist::isPlistValue(nestedValue(257)));
}

void TestPlist::writeRefuses_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("binaryOk");

    QTest::newRow("invalid") << QVariant() << false;
    QTest::newRow("hash is not a map") << QVariant(QVariantHash{{"a", 1}}) << false;
    QTest::newRow("url") << QVariant(QUrl("https://example.com")) << false;
    QTest::newRow("point") << QVariant(QPoint(1, 2)) << false;
    QTest::newRow("invalid date") << QVariant(QDateTime()) << false;
    QTest::newRow("date in year 999") << QVariant(utc(999, 12, 31)) << false;
    QTest::newRow("date in year 10000") << QVariant(utc(10000, 1, 1)) << false;
    QTest::newRow("invalid inside map") << QVariant(QVariantMap{{"a", 1}, {"b", QVariant()}}) << false;
    QTest::newRow("url deep inside list")
        << QVariant(QVariantList{1, QVariantList{QVariantMap{{"u", QUrl("x:y")}}}}) << false;
    QTest::newRow("string with NUL") << QVariant(QString(QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b")))
                                     << false;
    QTest::newRow("key with NUL") << QVariant(QVariantMap{{QString(QChar(u'\0')), 1}}) << false;
    // XML cannot hold U+0001; binary can.
    QTest::newRow("control character") << QVariant(QStringLiteral("a\x01")) << true;
    QTest::newRow("control character in key") << QVariant(QVariantMap{{QStringLiteral("\x1b"), qint64(1)}}) << true;
}

void TestPlist::writeRefuses()
{
    QFETCH(QVariant, value);
    QFETCH(bool, binaryOk);

    QCOMPARE(plist::isPlistValue(value), binaryOk);
    QString error;
    QVERIFY(!plist::write(value, plist::Format::Xml, &error));
    QVERIFY(error.startsWith(QLatin1String("cannot write")));
    error.clear();
    const auto binary = plist::write(value, plist::Format::Binary, &error);
    QCOMPARE(bool(binary), binaryOk);
    QCOMPARE(error.isEmpty(), binaryOk);
    if (binary)
        QCOMPARE(describeValue(*plist::parse(*binary)), describeValue(value));
}

QTEST_GUILESS_MAIN(TestPlist)
#include "tst_plist.moc"
