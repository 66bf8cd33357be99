#include "penparser.h"

#include <array>
#include <cstdlib>
#include <limits>

#include "driver/penfamilies.h"
#include "driver/pensink.h"
#include "driver/tiltfilter.h"

namespace driver {

namespace {

// A still pen posts one sample per this many reports.
constexpr quint64 kHoldStillReports = 30;
// Largest distance, in report units on both axes, that counts as still.
constexpr qint64 kNearDistance = 15;

// The tilt values are truncated toward zero; a value outside 16 bits (or not
// a number) cannot come from the filters' averages of 8-bit inputs, but the
// conversion must not be undefined whatever they answer.
qint16 truncTilt(float value)
{
    if (!(value == value))
        return 0;
    if (value >= float(std::numeric_limits<qint16>::max()))
        return std::numeric_limits<qint16>::max();
    if (value <= float(std::numeric_limits<qint16>::min()))
        return std::numeric_limits<qint16>::min();
    return qint16(value);
}

void captureEdges(const PenReading &reading, const PenContext &context, PenState &state)
{
    const QPointF x(reading.xHigh, reading.xLow);
    const QPointF y(reading.yHigh, reading.yLow);
    if (context.psminxing || context.psminying) {
        state.psminx1 = x;
        state.psminy1 = y;
    }
    if (context.psmaxxing || context.psmaxying) {
        state.psmaxx1 = x;
        state.psmaxy1 = y;
    }
}

void applyTilt(const PenReading &reading, const PenContext &context, PenState &state,
               OVEventData &sample)
{
    if (sample.type != 2) {
        state.baseTiltInited = false;
        sample.tilt = {reading.tiltX, reading.tiltY};
        return;
    }
    if (!context.tilt) {
        sample.tilt = { reading.tiltX, reading.tiltY };
        return;
    }
    TiltState &tilt = *context.tilt;
    if (!state.baseTiltInited) {
        TiltFilterReset(tilt);
        TiltSmootherReset(tilt);
        state.baseTiltInited = true;
    }
    const float rawX = reading.tiltX;
    const float rawY = reading.tiltY;
    float filteredX = 0;
    float filteredY = 0;
    TiltFilterProcess(tilt, 1, rawX, filteredX);
    TiltFilterProcess(tilt, 0, rawY, filteredY);
    qint16 x = truncTilt(filteredX);
    qint16 y = truncTilt(filteredY);
    TiltSmootherPush(tilt, TiltSample { context.nowMillis, float(x), context.nowMillis, float(y) });
    TiltSample smoothed;
    if (TiltSmootherPop(tilt, smoothed)) {
        x = truncTilt(smoothed.x);
        y = truncTilt(smoothed.y);
    }
    sample.tilt = {x, y};
}

// The pen state machine, drawn as the table it is. Empty cells do nothing;
// some of them look like gaps (0 -> 2 posts no down, 4 -> 0 no up) and are
// kept so: the applications in use have been tuned to this behaviour.
enum class Step : quint8 {
    None,
    Enter, // postProximityEvent true
    Leave, // postProximityEvent false
    MouseDown, // isMouseDown true
    MouseUp, // isMouseDown false
    Point1,
    Point2,
    Point5,
    Point6,
    LowerDown, // preparePenKey press, lower button
    LowerUp,
    UpperDown, // preparePenKey press, upper button
    UpperUp,
    LowerDownSorvi, // LowerDown on the four Sorvi parsers only
};

using Cell = std::array<Step, 3>;
constexpr Cell kNone = {Step::None, Step::None, Step::None};
constexpr Cell one(Step a) { return {a, Step::None, Step::None}; }
constexpr Cell two(Step a, Step b) { return {a, b, Step::None}; }

// clang-format off
constexpr Cell kTransitions[7][7] = {
    // previous 0
    {kNone, one(Step::Enter), kNone, one(Step::LowerDownSorvi), kNone, kNone, kNone},
    // previous 1
    {one(Step::Leave), one(Step::Point5), two(Step::MouseDown, Step::Point1),
     one(Step::LowerDown), kNone, one(Step::UpperDown), kNone},
    // previous 2
    {Cell{Step::MouseUp, Step::Point2, Step::Leave}, two(Step::MouseUp, Step::Point2),
     one(Step::Point6), kNone, kNone, kNone, kNone},
    // previous 3
    {one(Step::LowerUp), one(Step::LowerUp), kNone, one(Step::Point5), one(Step::Point1),
     kNone, kNone},
    // previous 4
    {kNone, kNone, kNone, one(Step::Point2), kNone, kNone, kNone},
    // previous 5
    {one(Step::UpperUp), one(Step::UpperUp), kNone, kNone, kNone, one(Step::Point5),
     one(Step::Point1)},
    // previous 6
    {kNone, kNone, kNone, kNone, kNone, one(Step::Point2), kNone},
};
// clang-format on

void runStep(Step step, bool sorviParser, PenState &state, PenSink &sink)
{
    switch (step) {
    case Step::None:
        break;
    case Step::Enter:
        sink.postProximityEvent(true);
        break;
    case Step::Leave:
        sink.postProximityEvent(false);
        break;
    case Step::MouseDown:
        state.isMouseDown = true;
        break;
    case Step::MouseUp:
        state.isMouseDown = false;
        break;
    case Step::Point1:
        sink.postPointEvent(1);
        break;
    case Step::Point2:
        sink.postPointEvent(2);
        break;
    case Step::Point5:
        sink.postPointEvent(5);
        break;
    case Step::Point6:
        sink.postPointEvent(6);
        break;
    case Step::LowerDownSorvi:
        if (sorviParser)
            sink.preparePenKey(true, true);
        break;
    case Step::LowerDown:
        sink.preparePenKey(true, true);
        break;
    case Step::LowerUp:
        sink.preparePenKey(false, true);
        break;
    case Step::UpperDown:
        sink.preparePenKey(true, false);
        break;
    case Step::UpperUp:
        sink.preparePenKey(false, false);
        break;
    }
}

// The one table of pen report families, in the order of PenFamily.
const PenFamilyRow *const kPenFamilies[] = {&kGenericPenFamily, &kSorvi10PenFamily,
                                            &kSorvi22PenFamily, &kSorvi16PenFamily,
                                            &kSorvi16ProPenFamily};

} // namespace

const PenFamilyRow &penFamily(PenFamily family)
{
    return *kPenFamilies[static_cast<std::size_t>(family)];
}

namespace penlayout {

void readSorviPositionAndTilt(std::span<const std::uint8_t> report, PenReading &reading)
{
    reading.xHigh = report[2];
    reading.xLow = report[3];
    reading.yHigh = report[4];
    reading.yLow = report[5];
    reading.hasTilt = true;
    reading.tiltX = qint16(report[7] & 0x3F); // bits 5..0, 0..63
    reading.tiltY = qint16(report[8] & 0x7F); // bits 6..0, 0..127
}

quint32 sorviBitState(std::uint8_t status)
{
    const bool tip = status & 0x40;
    const bool button = status & 0x02;
    if (tip && button)
        return 4;
    if (tip)
        return 2;
    if (button)
        return 3;
    return status == 0xA0 ? 1 : 0;
}

void offsetByMinimum(const PenReading &reading, const PenContext &context, OVEventData &sample)
{
    splitRadix255(context.minX + edgeReading(reading.xHigh, reading.xLow), sample.loc.ix,
                  sample.loc.dx);
    splitRadix255(context.minY + edgeReading(reading.yHigh, reading.yLow), sample.loc.iy,
                  sample.loc.dy);
}

bool always(store::Model)
{
    return true;
}

} // namespace penlayout

QString ReportResult::reason() const
{
    return QStringLiteral("%1 bytes, needs %2").arg(length).arg(needed);
}

bool IsNearPoint(const OVEventData &a, const OVEventData &b)
{
    const qint64 x1 = qint64(a.loc.ix) * 256 + a.loc.dx;
    const qint64 x2 = qint64(b.loc.ix) * 256 + b.loc.dx;
    const qint64 y1 = qint64(a.loc.iy) * 256 + a.loc.dy;
    const qint64 y2 = qint64(b.loc.iy) * 256 + b.loc.dy;
    return std::llabs(x1 - x2) <= kNearDistance && std::llabs(y1 - y2) <= kNearDistance;
}

void splitRadix255(qint64 value, qint32 &high, qint32 &low)
{
    const qint64 quotient = value / 255;
    low = qint32(value % 255);
    if (quotient > std::numeric_limits<qint32>::max())
        high = std::numeric_limits<qint32>::max();
    else if (quotient < std::numeric_limits<qint32>::min())
        high = std::numeric_limits<qint32>::min();
    else
        high = qint32(quotient);
}

void runPenStateMachine(quint32 previous, quint32 next, bool sorviParser, PenState &state,
                        PenSink &sink)
{
    if (previous > 6 || next > 6)
        return;
    for (Step step : kTransitions[previous][next])
        runStep(step, sorviParser, state, sink);
}

ReportResult parsePenReport(const PenFamilyRow &row, std::span<const std::uint8_t> report,
                            store::Model model, PenState &state, const PenContext &context,
                            PenSink &sink)
{
    if (row.generic)
        sink.upPen(report);

    PenReading reading;
    const ReportResult read = row.read(report, model, reading);
    if (!read.handled())
        return read;

    if (row.generic && !state.orvaneModeInited && reading.type == 2) {
        state.orvaneModeInited = true;
        return {ReportOutcome::FirstTip};
    }

    OVEventData sample;
    sample.type = reading.type;
    sample.loc = {reading.xHigh, reading.xLow, reading.yHigh, reading.yLow};
    if (row.usesEdges(model)) {
        captureEdges(reading, context, state);
        row.offset(reading, context, state.eventData, sample);
    }

    if (sample.type == state.eventData.type && IsNearPoint(sample, state.eventData)) {
        ++state.reportCount;
        if (state.reportCount < kHoldStillReports)
            return {ReportOutcome::HoldStill};
    }

    sample.pres = (sample.type == 2 && context.ovPressure) ? reading.pressure : 0;
    if (reading.hasTilt)
        applyTilt(reading, context, state, sample);

    state.lastEventData = state.eventData;
    // The display parsers report no position out of range; the pen stays
    // where it was last seen, which the leave event is mapped at.
    if (!row.generic && sample.type == 0)
        sample.loc = state.lastEventData.loc;
    state.eventData = sample;
    state.reportCount = 0;

    runPenStateMachine(state.lastEventData.type, state.eventData.type, !row.generic, state, sink);
    return {};
}

ReportResult parsePen(std::span<const std::uint8_t> report, store::Model model, PenState &state,
                      const PenContext &context, PenSink &sink)
{
    return parsePenReport(penFamily(PenFamily::Generic), report, model, state, context, sink);
}

ReportResult parseSorvi10Pen(std::span<const std::uint8_t> report, PenState &state,
                             const PenContext &context, PenSink &sink)
{
    return parsePenReport(penFamily(PenFamily::Sorvi10), report, store::Model::Sorvi10, state,
                          context, sink);
}

ReportResult parseSorvi22Pen(std::span<const std::uint8_t> report, PenState &state,
                             const PenContext &context, PenSink &sink)
{
    return parsePenReport(penFamily(PenFamily::Sorvi22), report, store::Model::Sorvi22, state,
                          context, sink);
}

ReportResult parseSorvi16Pen(std::span<const std::uint8_t> report, PenState &state,
                             const PenContext &context, PenSink &sink)
{
    return parsePenReport(penFamily(PenFamily::Sorvi16), report, store::Model::Sorvi1316, state,
                          context, sink);
}

ReportResult parseSorvi16ProPen(std::span<const std::uint8_t> report, PenState &state,
                                const PenContext &context, PenSink &sink)
{
    return parsePenReport(penFamily(PenFamily::Sorvi16Pro), report, store::Model::Sorvi16Pro,
                          state, context, sink);
}

} // namespace driver
