// Express-key and wheel reports of every key family, at each orientation.

#include <QTest>

#include "driver/boardparser.h"

using driver::BoardOutcome;
using driver::BoardParser;
using driver::BoardResult;

Q_DECLARE_METATYPE(BoardParser)

namespace {

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

std::span<const std::uint8_t> span(const QByteArray &data)
{
    return { reinterpret_cast<const std::uint8_t *>(data.constData()), std::size_t(data.size()) };
}

// One result as a short word: "K3+" / "K3-" (express key 3 pressed or
// released), "L+", "R+", "C+", "+" / "-" (no name), "log" (logged and
// dropped), "drop" (dropped silently), "short".
QString word(const BoardResult &result)
{
    switch (result.outcome) {
    case BoardOutcome::Unrecognised:
        return QStringLiteral("log");
    case BoardOutcome::Ignored:
        return QStringLiteral("drop");
    case BoardOutcome::TooShort:
        return QStringLiteral("short");
    case BoardOutcome::Event:
        break;
    }
    QString name = result.event.name;
    if (name.startsWith(QLatin1String("OVCFGBoardKey")))
        name = QLatin1Char('K') + name.mid(13);
    else if (name.startsWith(QLatin1String("OVCFGWheelKey")))
        name = name.mid(13);
    else
        Q_ASSERT(name.isEmpty());
    return name + QLatin1Char(result.event.press ? '+' : '-');
}

// A tablet's key report: id 2, key marker 0xF0, V in bytes 2-3.
QByteArray tablet(quint16 v)
{
    QByteArray report = bytes("02f0000000000000");
    report[2] = char(v >> 8);
    report[3] = char(v & 0xFF);
    return report;
}

} // namespace

class TstBoardParser : public QObject
{
    Q_OBJECT

private slots:
    void singleReport_data();
    void singleReport();
    void sequence_data();
    void sequence();
    void column_data();
    void column();
    void description();
};

void TstBoardParser::singleReport_data()
{
    QTest::addColumn<BoardParser>("parser");
    QTest::addColumn<int>("degree"); // orientation index 0..3
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("expected");

    using P = BoardParser;
    // Keys numbered in order upright and backwards when turned.
    QTest::newRow("N10B 0: first bit K1") << P::BoardTevru10B << 0 << tablet(0x0100) << "K1+";
    QTest::newRow("N10B 90: still upright") << P::BoardTevru10B << 1 << tablet(0x2000) << "K6+";
    QTest::newRow("N10B 180: first bit K6") << P::BoardTevru10B << 2 << tablet(0x0100) << "K6+";
    QTest::newRow("N10B 180: last bit K1") << P::BoardTevru10B << 2 << tablet(0x2000) << "K1+";
    QTest::newRow("Q 180: first bit K5") << P::BoardQ << 2 << tablet(0x0100) << "K5+";
    QTest::newRow("Q 180: last bit K1") << P::BoardQ << 2 << tablet(0x1000) << "K1+";
    QTest::newRow("N7B 270: last bit K1") << P::BoardTevru7B << 3 << tablet(0x0800) << "K1+";
    QTest::newRow("M482 0: 0x8000 K8") << P::Board482 << 0 << tablet(0x8000) << "K8+";
    QTest::newRow("M482 0: low byte 0x0001 K9") << P::Board482 << 0 << tablet(0x0001) << "K9+";
    QTest::newRow("M482 270: 0x0002 K10") << P::Board482 << 3 << tablet(0x0002) << "K10+";
    QTest::newRow("M482 90: 0x0002 K1") << P::Board482 << 1 << tablet(0x0002) << "K1+";
    QTest::newRow("M482 90: 0x0100 K10") << P::Board482 << 1 << tablet(0x0100) << "K10+";
    // The Tevra M counts from the other end.
    QTest::newRow("Tevra M 0: 0x0100 K8") << P::BoardTevruM << 0 << tablet(0x0100) << "K8+";
    QTest::newRow("Tevra M 90: 0x8000 K1") << P::BoardTevruM << 1 << tablet(0x8000) << "K1+";
    QTest::newRow("Tevra M 180: 0x0100 K1") << P::BoardTevruM << 2 << tablet(0x0100) << "K1+";
    QTest::newRow("Tevra M 270: 0x1000 K5") << P::BoardTevruM << 3 << tablet(0x1000) << "K5+";
    // Own assignments.
    QTest::newRow("Tevra S 0: 0x0800 K1") << P::BoardTevruS << 0 << tablet(0x0800) << "K1+";
    QTest::newRow("Tevra S 180: 0x0800 K5") << P::BoardTevruS << 2 << tablet(0x0800) << "K5+";
    QTest::newRow("Tevra S 270: 0x0100 K2") << P::BoardTevruS << 3 << tablet(0x0100) << "K2+";
    QTest::newRow("M517 V1 0: byte 4 0x02 K4") << P::Board517V1 << 0 << bytes("02e00000020000") << "K4+";
    QTest::newRow("M517 V1 90: byte 4 0x01 K1") << P::Board517V1 << 1 << bytes("02e00000010000") << "K1+";
    QTest::newRow("M517 V1 270: byte 4 0x08 K1") << P::Board517V1 << 3 << bytes("02e00000080000") << "K1+";
    QTest::newRow("M517 V1 ignores V") << P::Board517V1 << 0 << bytes("02e00100040000") << "K1+";
    QTest::newRow("M517 V2 90: 0x0800 K1") << P::Board517V2 << 1 << tablet(0x0800) << "K1+";
    QTest::newRow("M517 V2 270: 0x0100 K1") << P::Board517V2 << 3 << tablet(0x0100) << "K1+";
    // Wheels: whole values, at every orientation.
    QTest::newRow("Kalverin M 0: 0x0801 clockwise") << P::BoardKalverinM << 0 << tablet(0x0801) << "R+";
    QTest::newRow("Kalverin M 180: 0x0801 clockwise") << P::BoardKalverinM << 2 << tablet(0x0801) << "R+";
    QTest::newRow("Kalverin M 270: 0x0802 counter-clockwise")
        << P::BoardKalverinM << 3 << tablet(0x0802) << "L+";
    QTest::newRow("Kalverin M 90: 0x0803 centre") << P::BoardKalverinM << 1 << tablet(0x0803) << "C+";
    QTest::newRow("Kalverin M 0: 0x0800 K4") << P::BoardKalverinM << 0 << tablet(0x0800) << "K4+";
    QTest::newRow("Kalverin M 90: 0x0800 K5") << P::BoardKalverinM << 1 << tablet(0x0800) << "K5+";
    QTest::newRow("Sorvi12 Pro 180: 0x0800 K3") << P::BoardSorvi12Pro << 2 << tablet(0x0800) << "K3+";
    QTest::newRow("Sorvi12 Pro 90: 0x0802 counter-clockwise")
        << P::BoardSorvi12Pro << 1 << tablet(0x0802) << "L+";
    QTest::newRow("Kalverin S 270: 0x2000 K6") << P::BoardKalverinS << 3 << tablet(0x2000) << "K6+";
    QTest::newRow("Kalverin S 0: 0x0803 centre") << P::BoardKalverinS << 0 << tablet(0x0803) << "C+";
    // Values no key of the model uses.
    QTest::newRow("two keys at once") << P::BoardTevru10B << 0 << tablet(0x0300) << "log";
    QTest::newRow("N7B has no fifth key") << P::BoardTevru7B << 0 << tablet(0x1000) << "log";
    QTest::newRow("N7B has no wheel") << P::BoardTevru7B << 0 << tablet(0x0801) << "log";
    QTest::newRow("Tevra M has no low-byte keys") << P::BoardTevruM << 0 << tablet(0x0001) << "log";
    QTest::newRow("M517 V1 two keys") << P::Board517V1 << 0 << bytes("02e00000030000") << "log";
    // Too short to hold the key field.
    QTest::newRow("tablet without byte 3") << P::BoardTevruM << 0 << bytes("02f001") << "short";
    QTest::newRow("M517 V1 without byte 4") << P::Board517V1 << 0 << bytes("02e00000") << "short";
    QTest::newRow("Sorvi 13/16 without byte 3") << P::BoardSorvi << 0 << bytes("0c0000") << "short";
    QTest::newRow("Sorvi 16Pro without state") << P::BoardSorvi16Pro << 0 << bytes("0242ff") << "short";
    QTest::newRow("Sorvi 16Pro press without key") << P::BoardSorvi16Pro << 0 << bytes("02420001") << "short";

    // Sorvi 13/16: byte 1 wheel, byte 2 centre, byte 3 keys.
    QTest::newRow("Sorvi 13/16: centre beats a key") << P::BoardSorvi << 0 << bytes("0c000104") << "C+";
    QTest::newRow("Sorvi 13/16: centre beats the wheel") << P::BoardSorvi << 0 << bytes("0c620100") << "C+";
    QTest::newRow("Sorvi 13/16: 0x61 counter-clockwise") << P::BoardSorvi << 0 << bytes("0c610000") << "L+";
    QTest::newRow("Sorvi 13/16: 0x62 clockwise") << P::BoardSorvi << 2 << bytes("0c620000") << "R+";
    QTest::newRow("Sorvi 13/16: other wheel value") << P::BoardSorvi << 0 << bytes("0c630000") << "+";
    QTest::newRow("Sorvi 13/16 0: 0x04 K3") << P::BoardSorvi << 0 << bytes("0c000004") << "K3+";
    QTest::newRow("Sorvi 13/16 270: 0x80 K8") << P::BoardSorvi << 3 << bytes("0c000080") << "K8+";
    QTest::newRow("Sorvi 13/16 90: 0x04 K6") << P::BoardSorvi << 1 << bytes("0c000004") << "K6+";
    QTest::newRow("Sorvi 13/16 180: 0x80 K1") << P::BoardSorvi << 2 << bytes("0c000080") << "K1+";
    QTest::newRow("Sorvi 13/16: centre byte 2, no key") << P::BoardSorvi << 0 << bytes("0c000200") << "+";
    QTest::newRow("Sorvi 13/16: two keys") << P::BoardSorvi << 0 << bytes("0c000003") << "drop";

    // Sorvi 16Pro / 22Pro: byte 3 state, byte 4 keys.
    QTest::newRow("Sorvi 16Pro 0: 0x20 K6") << P::BoardSorvi16Pro << 0 << bytes("0242000120") << "K6+";
    QTest::newRow("Sorvi 16Pro 90: 0x20 K1") << P::BoardSorvi16Pro << 1 << bytes("0242000120") << "K1+";
    QTest::newRow("Sorvi 16Pro 270: 0x01 K1") << P::BoardSorvi16Pro << 3 << bytes("0242000101") << "K1+";
    QTest::newRow("Sorvi 16Pro: no seventh key") << P::BoardSorvi16Pro << 0 << bytes("0242000140") << "drop";
    QTest::newRow("Sorvi 16Pro: state 2") << P::BoardSorvi16Pro << 0 << bytes("0242000201") << "+";
}

void TstBoardParser::singleReport()
{
    QFETCH(BoardParser, parser);
    QFETCH(int, degree);
    QFETCH(QByteArray, report);
    QFETCH(QString, expected);

    QString last = QStringLiteral("OVCFGBoardKey2");
    const BoardResult result = driver::parseBoardReport(parser, span(report), quint64(degree), last);
    QCOMPARE(word(result), expected);
    // A press remembers its name (even none); nothing else touches it.
    if (expected.endsWith(QLatin1Char('+')))
        QCOMPARE(last, result.event.name);
    else
        QCOMPARE(last, QStringLiteral("OVCFGBoardKey2"));
}

void TstBoardParser::sequence_data()
{
    QTest::addColumn<BoardParser>("parser");
    QTest::addColumn<int>("degree");
    QTest::addColumn<QList<QByteArray>>("reports");
    QTest::addColumn<QStringList>("expected");

    using P = BoardParser;
    QTest::newRow("release before any press names nothing")
        << P::BoardTevruM << 0 << QList<QByteArray> { tablet(0) } << QStringList { "-" };
    QTest::newRow("second key joins: dropped, the first is released, twice")
        << P::BoardTevru10B << 0 << QList<QByteArray> { tablet(0x0100), tablet(0x0300), tablet(0), tablet(0) }
        << QStringList { "K1+", "log", "K1-", "K1-" };
    QTest::newRow("wheel step then zero releases the step")
        << P::BoardKalverinM << 0 << QList<QByteArray> { tablet(0x0802), tablet(0) }
        << QStringList { "L+", "L-" };
    QTest::newRow("M517 V1 releases on byte 4 zero")
        << P::Board517V1 << 2 << QList<QByteArray> { bytes("02e00000040000"), bytes("02e00000000000") }
        << QStringList { "K4+", "K4-" };
    QTest::newRow("Sorvi 13/16: nameless press clears the key")
        << P::BoardSorvi << 0 << QList<QByteArray> { bytes("0c000004"), bytes("0c630000"), bytes("0c000000") }
        << QStringList { "K3+", "+", "-" };
    QTest::newRow("Sorvi 13/16: a dropped field keeps the key")
        << P::BoardSorvi << 0 << QList<QByteArray> { bytes("0c000004"), bytes("0c000005"), bytes("0c000000") }
        << QStringList { "K3+", "drop", "K3-" };
    QTest::newRow("Sorvi 16Pro: state 0 releases whatever byte 4 holds")
        << P::BoardSorvi16Pro << 1 << QList<QByteArray> { bytes("0242000120"), bytes("0242000010") }
        << QStringList { "K1+", "K1-" };
    QTest::newRow("Sorvi 16Pro: state 2 clears the key")
        << P::BoardSorvi16Pro << 0
        << QList<QByteArray> { bytes("0242000101"), bytes("0242000300"), bytes("0242000000") }
        << QStringList { "K1+", "+", "-" };
}

void TstBoardParser::sequence()
{
    QFETCH(BoardParser, parser);
    QFETCH(int, degree);
    QFETCH(QList<QByteArray>, reports);
    QFETCH(QStringList, expected);

    QString last;
    QStringList words;
    for (const QByteArray &report : reports)
        words << word(driver::parseBoardReport(parser, span(report), quint64(degree), last));
    QCOMPARE(words, expected);
}

void TstBoardParser::column_data()
{
    QTest::addColumn<BoardParser>("parser");
    QTest::addColumn<int>("degree");
    QTest::addColumn<QList<int>>("values"); // V, or byte 4 of the M517 V1
    QTest::addColumn<QStringList>("expected"); // the key each value presses

    using P = BoardParser;
    const QList<int> bits4 { 0x0100, 0x0200, 0x0400, 0x0800 };
    const QList<int> bits5 { 0x0100, 0x0200, 0x0400, 0x0800, 0x1000 };
    const QList<int> bits6 { 0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0x2000 };
    const QList<int> bits8 { 0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000, 0x8000 };
    const QList<int> bits10 = bits8 + QList<int> { 0x0001, 0x0002 };
    const QList<int> byte4 { 0x01, 0x02, 0x04, 0x08 };
    auto keys = [](std::initializer_list<int> numbers) {
        QStringList list;
        for (int n : numbers)
            list << QStringLiteral("K%1+").arg(n);
        return list;
    };

    // Whole columns of the models with their own assignments.
    QTest::newRow("Tevra S 0") << P::BoardTevruS << 0 << bits5 << keys({ 4, 2, 3, 1, 5 });
    QTest::newRow("Tevra S 90") << P::BoardTevruS << 1 << bits5 << keys({ 4, 2, 3, 1, 5 });
    QTest::newRow("Tevra S 180") << P::BoardTevruS << 2 << bits5 << keys({ 2, 4, 3, 5, 1 });
    QTest::newRow("Tevra S 270") << P::BoardTevruS << 3 << bits5 << keys({ 2, 4, 3, 5, 1 });
    QTest::newRow("M517 V1 0") << P::Board517V1 << 0 << byte4 << keys({ 2, 4, 1, 3 });
    QTest::newRow("M517 V1 90") << P::Board517V1 << 1 << byte4 << keys({ 1, 3, 2, 4 });
    QTest::newRow("M517 V1 180") << P::Board517V1 << 2 << byte4 << keys({ 3, 1, 4, 2 });
    QTest::newRow("M517 V1 270") << P::Board517V1 << 3 << byte4 << keys({ 4, 2, 3, 1 });
    QTest::newRow("M517 V2 0") << P::Board517V2 << 0 << bits4 << keys({ 3, 4, 1, 2 });
    QTest::newRow("M517 V2 90") << P::Board517V2 << 1 << bits4 << keys({ 4, 3, 2, 1 });
    QTest::newRow("M517 V2 180") << P::Board517V2 << 2 << bits4 << keys({ 2, 1, 4, 3 });
    QTest::newRow("M517 V2 270") << P::Board517V2 << 3 << bits4 << keys({ 1, 2, 3, 4 });
    QTest::newRow("Tevra M 0") << P::BoardTevruM << 0 << bits8 << keys({ 8, 7, 6, 5, 4, 3, 2, 1 });
    QTest::newRow("Tevra M 90") << P::BoardTevruM << 1 << bits8 << keys({ 8, 7, 6, 5, 4, 3, 2, 1 });
    QTest::newRow("Tevra M 180") << P::BoardTevruM << 2 << bits8 << keys({ 1, 2, 3, 4, 5, 6, 7, 8 });
    QTest::newRow("Tevra M 270") << P::BoardTevruM << 3 << bits8 << keys({ 1, 2, 3, 4, 5, 6, 7, 8 });
    // One-hot keys: 90 and 270 degrees are where the two groups of models
    // part (upright at 0 and 90, or at 0 and 270).
    QTest::newRow("N7B 90") << P::BoardTevru7B << 1 << bits4 << keys({ 1, 2, 3, 4 });
    QTest::newRow("N7B 270") << P::BoardTevru7B << 3 << bits4 << keys({ 4, 3, 2, 1 });
    QTest::newRow("N10B 90") << P::BoardTevru10B << 1 << bits6 << keys({ 1, 2, 3, 4, 5, 6 });
    QTest::newRow("N10B 270") << P::BoardTevru10B << 3 << bits6 << keys({ 6, 5, 4, 3, 2, 1 });
    QTest::newRow("Q 90") << P::BoardQ << 1 << bits5 << keys({ 1, 2, 3, 4, 5 });
    QTest::newRow("Q 270") << P::BoardQ << 3 << bits5 << keys({ 5, 4, 3, 2, 1 });
    QTest::newRow("Sorvi12 Pro 90") << P::BoardSorvi12Pro << 1 << bits6 << keys({ 6, 5, 4, 3, 2, 1 });
    QTest::newRow("Sorvi12 Pro 270") << P::BoardSorvi12Pro << 3 << bits6 << keys({ 1, 2, 3, 4, 5, 6 });
    QTest::newRow("Kalverin S 90") << P::BoardKalverinS << 1 << bits6 << keys({ 6, 5, 4, 3, 2, 1 });
    QTest::newRow("Kalverin S 270") << P::BoardKalverinS << 3 << bits6 << keys({ 1, 2, 3, 4, 5, 6 });
    QTest::newRow("Kalverin M 90") << P::BoardKalverinM << 1 << bits8 << keys({ 8, 7, 6, 5, 4, 3, 2, 1 });
    QTest::newRow("Kalverin M 270") << P::BoardKalverinM << 3 << bits8 << keys({ 1, 2, 3, 4, 5, 6, 7, 8 });
    QTest::newRow("M482 90") << P::Board482 << 1 << bits10 << keys({ 10, 9, 8, 7, 6, 5, 4, 3, 2, 1 });
    QTest::newRow("M482 270") << P::Board482 << 3 << bits10 << keys({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 });
}

void TstBoardParser::column()
{
    QFETCH(BoardParser, parser);
    QFETCH(int, degree);
    QFETCH(QList<int>, values);
    QFETCH(QStringList, expected);

    QStringList words;
    for (int value : values) {
        QByteArray report = tablet(quint16(value));
        if (parser == BoardParser::Board517V1) {
            report = bytes("02e00000000000");
            report[4] = char(value);
        }
        QString last;
        words << word(driver::parseBoardReport(parser, span(report), quint64(degree), last));
    }
    QCOMPARE(words, expected);
}

void TstBoardParser::description()
{
    QCOMPARE(driver::reportDescription(span(bytes("02f0030000000000ab"))),
        QStringLiteral("<02f00300 00000000 ab>"));
    QCOMPARE(driver::reportDescription(span(QByteArray())), QStringLiteral("<>"));
}

QTEST_GUILESS_MAIN(TstBoardParser)
#include "tst_boardparser.moc"
