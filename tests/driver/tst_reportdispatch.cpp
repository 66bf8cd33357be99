#include <QTest>

#include "driver/reportdispatch.h"
#include "driver/tiltfilter.h"
#include "support_pensink.h"

using driver::BoardParser;
using driver::PenContext;
using driver::PenState;
using driver::ReportOutcome;
using driver::ReportResult;
using store::Model;

Q_DECLARE_METATYPE(Model)
Q_DECLARE_METATYPE(ReportOutcome)

class TstReportDispatch : public QObject
{
    Q_OBJECT

private slots:

    void routing_data();
    void routing();
    void everyDispatchedModelHasARow();
    void sorviDataState_data();
    void sorviDataState();

    void decimalNumberFromData_data();
    void decimalNumberFromData();
    void decimalNumberFromDataTooLong();
    void binaryText_data();
    void binaryText();
};

namespace {

QString board(BoardParser parser, int length)
{
    return QStringLiteral("board %1 %2").arg(int(parser)).arg(length);
}

} // namespace

void TstReportDispatch::routing_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<ReportOutcome>("outcome");
    QTest::addColumn<QStringList>("calls");

    // A pen report that a fresh state turns into proximity enter.
    const QByteArray tabletHover = hexReport("02 A0 00 10 00 10 00 00 00 00");
    const QStringList enter = {"proximity 1"};
    const auto H = ReportOutcome::Handled;

    QTest::newRow("M482 key report") << Model::M482PlusV2 << hexReport("02 F0 01 00 00 00 00 00")
                                     << H << QStringList{board(BoardParser::Board482, 8)};
    QTest::newRow("M482 pen report") << Model::M482PlusV2 << tabletHover << H << enter;
    QTest::newRow("M517 V1 key report on 0xE0")
        << Model::M517V1 << hexReport("02 E0 00 00 04 00 00 00") << H
        << QStringList{board(BoardParser::Board517V1, 8)};
    QTest::newRow("M517 V1 0xF0 is a pen status")
        << Model::M517V1 << hexReport("02 F0 00 00 00 00 00 00") << ReportOutcome::UnknownStatus
        << QStringList{};
    QTest::newRow("M517 V2 key report") << Model::M517V2 << hexReport("02 F0 00 01")
                                        << H << QStringList{board(BoardParser::Board517V2, 4)};
    QTest::newRow("Tevra M") << Model::TevraM << hexReport("02 F0 01 00") << H
                             << QStringList{board(BoardParser::BoardTevruM, 4)};
    QTest::newRow("Tevra S") << Model::TevraS << hexReport("02 F0 01 00") << H
                             << QStringList{board(BoardParser::BoardTevruS, 4)};
    QTest::newRow("Sorvi12 Pro") << Model::Sorvi12Pro << hexReport("02 F0 01 00") << H
                                 << QStringList{board(BoardParser::BoardSorvi12Pro, 4)};
    QTest::newRow("Kalverin M") << Model::KalverinM << hexReport("02 F0 01 00") << H
                                << QStringList{board(BoardParser::BoardKalverinM, 4)};
    QTest::newRow("Kalverin S") << Model::KalverinS << hexReport("02 F0 01 00") << H
                                << QStringList{board(BoardParser::BoardKalverinS, 4)};
    QTest::newRow("Tevra N7B") << Model::TevraN7B << hexReport("02 F0 01 00") << H
                               << QStringList{board(BoardParser::BoardTevru7B, 4)};
    QTest::newRow("Tevra N10B") << Model::TevraN10B << hexReport("02 F0 01 00") << H
                                << QStringList{board(BoardParser::BoardTevru10B, 4)};
    QTest::newRow("Tevra Q key report") << Model::TevraQ << hexReport("02 F0 01 00") << H
                                        << QStringList{board(BoardParser::BoardQ, 4)};
    QTest::newRow("Tevra Q pen report") << Model::TevraQ << tabletHover << H << enter;
    // No express keys: 0xF0 is just an unknown pen status.
    QTest::newRow("Tevra N4 has no keys") << Model::TevraN4 << hexReport("02 F0 01 00")
                                          << ReportOutcome::UnknownStatus << QStringList{};
    QTest::newRow("Tevra N7 pen") << Model::TevraN7 << tabletHover << H << enter;
    QTest::newRow("Tevra N10 pen") << Model::TevraN10 << tabletHover << H << enter;

    QTest::newRow("Sorvi10 tool state") << Model::Sorvi10 << hexReport("01 C2 00 20") << H
                                        << QStringList{"eraser 0 1"};
    QTest::newRow("Sorvi10 pen") << Model::Sorvi10 << hexReport("01 A0 10 00 10 00 00 00 00")
                                 << H << enter;
    QTest::newRow("Sorvi22 tool state") << Model::Sorvi22 << hexReport("01 C2 00 20") << H
                                        << QStringList{"eraser 0 1"};
    QTest::newRow("Sorvi22 pen") << Model::Sorvi22 << hexReport("01 A0 10 00 10 00 00 00 00")
                                 << H << enter;
    QTest::newRow("Sorvi 13/16 key report whatever byte 1")
        << Model::Sorvi1316 << hexReport("0C C2 00 20") << H
        << QStringList{board(BoardParser::BoardSorvi, 4)};
    QTest::newRow("Sorvi 13/16 key report of one byte")
        << Model::Sorvi1316 << hexReport("0C") << H
        << QStringList{board(BoardParser::BoardSorvi, 1)};
    QTest::newRow("Sorvi 13/16 tool state") << Model::Sorvi1316 << hexReport("01 C2 00 20") << H
                                            << QStringList{"eraser 0 1"};
    QTest::newRow("Sorvi 13/16 pen") << Model::Sorvi1316
                                     << hexReport("01 A0 10 00 10 00 00 00 00") << H << enter;
    QTest::newRow("Sorvi 16Pro pen") << Model::Sorvi16Pro
                                     << hexReport("09 41 A0 00 10 00 00 10 00 00 00 00 00") << H
                                     << enter;
    QTest::newRow("Sorvi 16Pro key report") << Model::Sorvi16Pro << hexReport("09 42 00 01 00")
                                            << H
                                            << QStringList{board(BoardParser::BoardSorvi16Pro, 5)};
    QTest::newRow("Sorvi 22Pro key report") << Model::Sorvi22Pro << hexReport("09 42 00 01 00")
                                            << H
                                            << QStringList{board(BoardParser::BoardSorvi16Pro, 5)};
    QTest::newRow("Sorvi 16Pro other report dropped")
        << Model::Sorvi16Pro << hexReport("09 C2 00 20") << ReportOutcome::Ignored
        << QStringList{};

    QTest::newRow("Sorvi13 has no dispatcher") << Model::Sorvi13 << tabletHover
                                               << ReportOutcome::Ignored << QStringList{};
    QTest::newRow("unnamed key has no dispatcher") << Model::Unnamed << tabletHover
                                                   << ReportOutcome::Ignored << QStringList{};

    // Too short for the dispatcher's own byte tests.
    QTest::newRow("tablet empty") << Model::M482PlusV2 << QByteArray() << ReportOutcome::TooShort
                                  << QStringList{};
    QTest::newRow("tablet one byte") << Model::TevraQ << hexReport("02")
                                     << ReportOutcome::TooShort << QStringList{};
    QTest::newRow("tool state without status") << Model::Sorvi10 << hexReport("01 C2 00")
                                               << ReportOutcome::TooShort << QStringList{};
    QTest::newRow("Sorvi 13/16 empty") << Model::Sorvi1316 << QByteArray()
                                       << ReportOutcome::TooShort << QStringList{};
    QTest::newRow("Sorvi 16Pro one byte") << Model::Sorvi16Pro << hexReport("09")
                                          << ReportOutcome::TooShort << QStringList{};
    QTest::newRow("Sorvi 16Pro short pen report")
        << Model::Sorvi16Pro << hexReport("09 41 A0 00 10") << ReportOutcome::TooShort
        << QStringList{};
}

void TstReportDispatch::routing()
{
    QFETCH(Model, model);
    QFETCH(QByteArray, report);
    QFETCH(ReportOutcome, outcome);
    QFETCH(QStringList, calls);

    PenState state;
    state.orvaneModeInited = model != Model::Sorvi10 && model != Model::Sorvi22
        && model != Model::Sorvi1316;
    const PenState before = state;
    PenContext context;
    RecordingPenSink sink;
    const ReportResult result = driver::dispatchReport(model, bytesOf(report), state, context, sink);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(sink.calls, calls);
    if (outcome != ReportOutcome::Handled)
        QVERIFY(samePenState(state, before));
}

void TstReportDispatch::everyDispatchedModelHasARow()
{
    // The 19 keys with a dispatcher: every model but the Sorvi13 and the unnamed key.
    QCOMPARE(driver::dispatchRows().size(), size_t(19));
    for (const store::ModelRow &row : store::modelRows()) {
        const bool expected = row.model != Model::Sorvi13 && row.model != Model::Unnamed;
        QCOMPARE(driver::dispatcherFor(row.model) != nullptr, expected);
    }
    QCOMPARE(QString::fromLatin1(driver::dispatcherFor(Model::Sorvi22Pro)->name),
             QStringLiteral("parseSwitchSorvi16Pro"));
}

void TstReportDispatch::sorviDataState_data()
{
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("eraser");

    QTest::newRow("first 0x20 taps the brush once") << QList<int>{0x20} << QStringList{"eraser 0 1"}
                                                   << false;
    QTest::newRow("first 0xA0 is swallowed") << QList<int>{0xA0} << QStringList{} << false;
    QTest::newRow("second 0xA0 switches to the eraser")
        << QList<int>{0xA0, 0xA0} << QStringList{"eraser 1 0"} << true;
    QTest::newRow("repeated 0xA0 switches once, 0x20 back once")
        << QList<int>{0xA0, 0xA0, 0xA0, 0x20, 0x20} << QStringList{"eraser 1 0", "eraser 0 1"}
        << false;
    QTest::newRow("pen, eraser, pen")
        << QList<int>{0x20, 0xA0, 0xA0, 0x20}
        << QStringList{"eraser 0 1", "eraser 1 0", "eraser 0 1"} << false;
    QTest::newRow("repeated 0x20 taps once") << QList<int>{0x20, 0x20, 0x20}
                                             << QStringList{"eraser 0 1"} << false;
    // An unknown first status still ends the first-report rule.
    QTest::newRow("unknown first status") << QList<int>{0x55, 0xA0} << QStringList{"eraser 1 0"}
                                          << true;
    QTest::newRow("unknown statuses do nothing") << QList<int>{0x20, 0x00, 0xFF, 0x21}
                                                 << QStringList{"eraser 0 1"} << false;
}

void TstReportDispatch::sorviDataState()
{
    QFETCH(QList<int>, statuses);
    QFETCH(QStringList, calls);
    QFETCH(bool, eraser);

    // Through the dispatcher: tool-state reports "01 C2 00 <status>".
    PenState state;
    PenContext context;
    RecordingPenSink sink;
    for (int status : statuses) {
        QByteArray report = hexReport("01 C2 00 00");
        report[3] = char(status);
        QVERIFY(driver::dispatchReport(Model::Sorvi22, bytesOf(report), state, context, sink)
                    .handled());
    }
    QCOMPARE(sink.calls, calls);
    QCOMPARE(state.is_oem_sorvi_eraser_state, eraser);
    QVERIFY(state.orvaneModeInited);
    QCOMPARE(state.eventData.type, 0u);
}

void TstReportDispatch::decimalNumberFromData_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("value");

    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("one byte") << hexReport("C2") << 0xC2;
    QTest::newRow("big-endian") << hexReport("01 02") << 258;
    QTest::newRow("three bytes") << hexReport("01 00 00") << 65536;
    QTest::newRow("all ones is -1") << hexReport("FF FF FF FF") << -1;
    QTest::newRow("top bit") << hexReport("80 00 00 00") << int(0x80000000u);
}

void TstReportDispatch::decimalNumberFromData()
{
    QFETCH(QByteArray, data);
    QFETCH(int, value);
    QTest::failOnWarning(QRegularExpression(".*"));
    QCOMPARE(driver::decimalNumberFromData(bytesOf(data)), value);
}

void TstReportDispatch::decimalNumberFromDataTooLong()
{
    QTest::ignoreMessage(QtInfoMsg, "data too long");
    QCOMPARE(driver::decimalNumberFromData(bytesOf(hexReport("01 02 03 04 05"))), -1);
}

void TstReportDispatch::binaryText_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("binary");

    QTest::newRow("5") << qint64(5) << "00000101";
    QTest::newRow("0") << qint64(0) << "00000000";
    QTest::newRow("255") << qint64(255) << "11111111";
    QTest::newRow("0xC5") << qint64(0xC5) << "11000101";
    QTest::newRow("low 8 bits only") << qint64(0x1A5) << "10100101";
}

void TstReportDispatch::binaryText()
{
    QFETCH(qint64, value);
    QFETCH(QString, binary);
    QCOMPARE(driver::getBinaryByDecimal(value), binary);
    // Read back whole, and cut as the pen parsers cut a byte: bits 7..6,
    // bits 5..0 and bits 6..0.
    QCOMPARE(driver::convertDecimalSystemFromBinarySystem(binary), QString::number(value & 0xFF));
    QCOMPARE(driver::convertDecimalSystemFromBinarySystem(binary.left(2)),
             QString::number((value >> 6) & 0x03));
    QCOMPARE(driver::convertDecimalSystemFromBinarySystem(binary.mid(2)),
             QString::number(value & 0x3F));
    QCOMPARE(driver::convertDecimalSystemFromBinarySystem(binary.mid(1)),
             QString::number(value & 0x7F));
    QCOMPARE(driver::convertDecimalSystemFromBinarySystem(QString()), QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(TstReportDispatch)
#include "tst_reportdispatch.moc"
