#include "reportdispatch.h"

#include <cmath>
#include <limits>

#include "driver/driverlog.h"

namespace driver {

namespace {

using store::Model;

constexpr std::uint8_t kToolStateReport = 0xC2; // byte 1 of a pen display's tool-state report
constexpr std::uint8_t kEraserEnd = 0xA0;
constexpr std::uint8_t kPenEnd = 0x20;
constexpr std::uint8_t kSorvi16BoardReport = 0x0C; // byte 0 of a Sorvi 13/16 key report
constexpr std::uint8_t kSorvi16ProPenReport = 0x41;
constexpr std::uint8_t kSorvi16ProBoardReport = 0x42;

// Tablets: key report on the marker in byte 1, else a pen report.
ReportResult switchTablet(const DispatchRow &row, std::span<const std::uint8_t> report,
                          PenState &state, const PenContext &context, PenSink &sink)
{
    if (row.boardMarker != 0 && row.board) {
        if (report.size() < 2)
            return ReportResult::tooShort(report.size(), 2);
        if (report[1] == row.boardMarker) {
            sink.parseBoard(*row.board, report);
            return {};
        }
    }
    return parsePen(report, row.model, state, context, sink);
}

// Byte 1 = 0xC2: tool state from byte 3. Answers false when the report is
// not a tool-state report.
bool toolState(std::span<const std::uint8_t> report, PenState &state, PenSink &sink,
               ReportResult &result)
{
    if (report.size() < 2) {
        result = ReportResult::tooShort(report.size(), 2);
        return true;
    }
    if (report[1] != kToolStateReport)
        return false;
    if (report.size() < 4)
        result = ReportResult::tooShort(report.size(), 4);
    else
        sorviDataState(report[3], state, sink);
    return true;
}

ReportResult switchSorvi10(const DispatchRow &, std::span<const std::uint8_t> report,
                           PenState &state, const PenContext &context, PenSink &sink)
{
    ReportResult result;
    if (toolState(report, state, sink, result))
        return result;
    return parseSorvi10Pen(report, state, context, sink);
}

ReportResult switchSorvi22(const DispatchRow &, std::span<const std::uint8_t> report,
                           PenState &state, const PenContext &context, PenSink &sink)
{
    ReportResult result;
    if (toolState(report, state, sink, result))
        return result;
    return parseSorvi22Pen(report, state, context, sink);
}

// The Sorvi 13/16's key reports have their own report id, whatever byte 1.
ReportResult switchSorvi16(const DispatchRow &row, std::span<const std::uint8_t> report,
                           PenState &state, const PenContext &context, PenSink &sink)
{
    if (report.empty())
        return ReportResult::tooShort(0, 1);
    if (report[0] == kSorvi16BoardReport) {
        sink.parseBoard(*row.board, report);
        return {};
    }
    ReportResult result;
    if (toolState(report, state, sink, result))
        return result;
    return parseSorvi16Pen(report, state, context, sink);
}

ReportResult switchSorvi16Pro(const DispatchRow &row, std::span<const std::uint8_t> report,
                              PenState &state, const PenContext &context, PenSink &sink)
{
    if (report.size() < 2)
        return ReportResult::tooShort(report.size(), 2);
    if (report[1] == kSorvi16ProPenReport)
        return parseSorvi16ProPen(report, state, context, sink);
    if (report[1] == kSorvi16ProBoardReport) {
        sink.parseBoard(*row.board, report);
        return {};
    }
    return {ReportOutcome::Ignored};
}

constexpr std::uint8_t kNoMarker = 0;
using BP = BoardParser;

// The one table of dispatchers.
constexpr DispatchRow kDispatchers[] = {
    {Model::M482PlusV2, "parseSwitch482", switchTablet, 0xF0, BP::Board482},
    {Model::M517V1, "parseSwitch517V1", switchTablet, 0xE0, BP::Board517V1},
    {Model::M517V2, "parseSwitch517V2", switchTablet, 0xF0, BP::Board517V2},
    {Model::TevraM, "parseSwitchTevruM", switchTablet, 0xF0, BP::BoardTevruM},
    {Model::TevraS, "parseSwitchTevruS", switchTablet, 0xF0, BP::BoardTevruS},
    {Model::Sorvi12Pro, "parseSwitchSorvi12Pro", switchTablet, 0xF0, BP::BoardSorvi12Pro},
    {Model::KalverinM, "parseSwitchKalverinM", switchTablet, 0xF0, BP::BoardKalverinM},
    {Model::KalverinS, "parseSwitchKalverinS", switchTablet, 0xF0, BP::BoardKalverinS},
    // The N4, N7 and N10 have no express keys.
    {Model::TevraN4, "parseSwitchTevraN4", switchTablet, kNoMarker, std::nullopt},
    {Model::TevraN7, "parseSwitchTevraN7", switchTablet, kNoMarker, std::nullopt},
    {Model::TevraN7B, "parseSwitchTevraN7B", switchTablet, 0xF0, BP::BoardTevru7B},
    {Model::TevraN10, "parseSwitchTevraN10", switchTablet, kNoMarker, std::nullopt},
    {Model::TevraN10B, "parseSwitchTevraN10B", switchTablet, 0xF0, BP::BoardTevru10B},
    {Model::TevraQ, "parseSwitchTevraQ", switchTablet, 0xF0, BP::BoardQ},
    {Model::Sorvi10, "parseSwitchSorvi10", switchSorvi10, kNoMarker, std::nullopt},
    {Model::Sorvi1316, "parseSwitchSorvi16", switchSorvi16, kNoMarker, BP::BoardSorvi},
    {Model::Sorvi16Pro, "parseSwitchSorvi16Pro", switchSorvi16Pro, kNoMarker, BP::BoardSorvi16Pro},
    {Model::Sorvi22, "parseSwitchSorvi22", switchSorvi22, kNoMarker, std::nullopt},
    {Model::Sorvi22Pro, "parseSwitchSorvi16Pro", switchSorvi16Pro, kNoMarker, BP::BoardSorvi16Pro},
};

// Saturating conversion of a non-negative single-precision term.
qint64 truncatedTerm(float term)
{
    if (!(term < float(std::numeric_limits<qint64>::max())))
        return std::numeric_limits<qint64>::max();
    return qint64(term);
}

} // namespace

qint32 decimalNumberFromData(std::span<const std::uint8_t> data)
{
    if (data.size() > 4) {
        qCInfo(lcDriver, "data too long");
        return -1;
    }
    quint32 value = 0;
    for (std::uint8_t byte : data)
        value = (value << 8) | byte;
    return qint32(value);
}

QString getBinaryByDecimal(qint64 value)
{
    QString text(8, QLatin1Char('0'));
    for (int k = 0; k < 8; ++k) {
        if (value & (qint64(1) << (7 - k)))
            text[k] = QLatin1Char('1');
    }
    return text;
}

QString convertDecimalSystemFromBinarySystem(const QString &binary)
{
    const qsizetype n = binary.size();
    qint64 sum = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const int digit = binary.at(i).digitValue();
        if (digit <= 0)
            continue;
        const float term = float(digit) * std::pow(2.0f, float(n - 1 - i));
        const qint64 part = truncatedTerm(term);
        sum = part > std::numeric_limits<qint64>::max() - sum ? std::numeric_limits<qint64>::max()
                                                              : sum + part;
    }
    return QString::number(sum);
}

void sorviDataState(qint32 status, PenState &state, PenSink &sink)
{
    if (!state.orvaneModeInited) {
        state.orvaneModeInited = true;
        if (status == kPenEnd) {
            state.is_oem_sorvi_eraser_state = false;
            sink.prepareHKEraser(false, true);
        }
        return;
    }
    // The display repeats its tool state; only a change is passed on.
    if (status == kEraserEnd && !state.is_oem_sorvi_eraser_state) {
        state.is_oem_sorvi_eraser_state = true;
        sink.prepareHKEraser(true, false);
    } else if (status == kPenEnd && state.is_oem_sorvi_eraser_state) {
        state.is_oem_sorvi_eraser_state = false;
        sink.prepareHKEraser(false, true);
    }
}

std::span<const DispatchRow> dispatchRows()
{
    return kDispatchers;
}

const DispatchRow *dispatcherFor(store::Model model)
{
    for (const DispatchRow &row : kDispatchers) {
        if (row.model == model)
            return &row;
    }
    return nullptr;
}

ReportResult dispatchReport(store::Model model, std::span<const std::uint8_t> report,
                            PenState &state, const PenContext &context, PenSink &sink)
{
    const DispatchRow *row = dispatcherFor(model);
    if (!row)
        return {ReportOutcome::Ignored};
    return row->dispatch(*row, report, state, context, sink);
}

} // namespace driver
