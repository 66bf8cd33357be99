#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include <QPointF>
#include <QString>

#include "driver/oveventdata.h"
#include "store/ovmodels.h"

namespace driver {

class PenSink;
struct TiltState;

// The pen state a device service keeps between reports. All of it starts
// zeroed (state 0, nothing inited).
struct PenState
{
    OVEventData eventData; // the current sample
    OVEventData lastEventData; // the one before
    // Reports dropped by the hold-still filter since the last commit.
    quint64 reportCount = 0;
    // Set once in a service's life: by the first tip report on the generic
    // parser's models, by the first tool-state report on the pen displays.
    bool orvaneModeInited = false;
    // The tilt filters were reset for the current touch.
    bool baseTiltInited = false;
    // The pen-down of state 2 was posted; the pressure curve reads it.
    bool isMouseDown = false;
    // The pen display's eraser end is in use (tool-state reports).
    bool is_oem_sorvi_eraser_state = false;
    // Raw edge readings captured while a calibration edge probe runs: x holds
    // the high part, y the low part of the reading.
    QPointF psminx1, psminy1, psmaxx1, psmaxy1;
};

// What the parsers read from the rest of the service, per report.
struct PenContext
{
    bool ovPressure = false; // "OVCFGPressure": report the pressure
    // Edge probes of a running calibration.
    bool psminxing = false;
    bool psminying = false;
    bool psmaxxing = false;
    bool psmaxying = false;
    // MINX and MINY, the pen display's left and top edge readings:
    // edgeReading(cbDelta.minX.ix, cbDelta.minX.dx) and likewise for Y.
    qint64 minX = 0;
    qint64 minY = 0;
    // Wall-clock milliseconds since 1970, low 32 bits (the tilt smoother's time).
    quint32 nowMillis = 0;
    // The driver's one tilt filter state, which the tip's tilt goes through;
    // without it the tilt passes unfiltered.
    TiltState *tilt = nullptr;
};

// A calibration edge entry (integer part, fraction in 1/255) as one reading.
constexpr qint64 edgeReading(qint32 integerPart, qint32 fraction)
{
    return qint64(integerPart) * 255 + fraction;
}

enum class ReportOutcome {
    Handled, // decoded and run through the state machine, or routed on
    TooShort, // fewer bytes than the parser reads; nothing changed
    UnknownStatus, // a status outside the model's table; nothing changed
    FirstTip, // the first tip report of the service's life: dropped by design
    HoldStill, // the pen holds still: one report of 30 passes
    Ignored, // a report type the model does not decode, or no dispatcher
};

struct ReportResult
{
    ReportOutcome outcome = ReportOutcome::Handled;
    std::size_t length = 0; // TooShort: the report's length
    std::size_t needed = 0; // TooShort: the bytes the parser reads
    // A line the product prints for this report, as it stands ("code ==
    // 0xff"), or nullptr.
    const char *systemLog = nullptr;

    bool handled() const { return outcome == ReportOutcome::Handled; }
    // For TooShort: the <why> of "<devKey>: cannot decode report: <why>".
    QString reason() const;

    static ReportResult tooShort(std::size_t length, std::size_t needed)
    {
        return {ReportOutcome::TooShort, length, needed, nullptr};
    }
};

// The five pen report families.
enum class PenFamily { Generic, Sorvi10, Sorvi22, Sorvi16, Sorvi16Pro };

// One report's content as its family's layout reads it, before the filters.
struct PenReading
{
    quint32 status = 0; // the raw status byte
    quint32 type = 0; // pen state 0..6
    qint32 xHigh = 0;
    qint32 xLow = 0;
    qint32 yHigh = 0;
    qint32 yLow = 0;
    quint16 pressure = 0; // the layout's pressure; used in state 2 only
    bool hasTilt = false;
    qint16 tiltX = 0; // raw
    qint16 tiltY = 0;
};

// A family's parts. Each family file defines its row; the pipeline in
// penparser.cpp runs them in order.
struct PenFamilyRow
{
    PenFamily family;
    const char *name; // the parser's name
    // Bytes to reading. Checks the status and the length; outputs untouched
    // on failure.
    ReportResult (*read)(std::span<const std::uint8_t> report, store::Model model,
                         PenReading &reading);
    // Whether the model captures and offsets pen-display edges.
    bool (*usesEdges)(store::Model model);
    // The position (and possibly the state) after the edge offset; `sample`
    // comes in with the raw position. `current` is the sample before this one.
    void (*offset)(const PenReading &reading, const PenContext &context,
                   const OVEventData &current, OVEventData &sample);
    // Only the generic parser drops the first tip report and feeds the
    // diagnostics window.
    bool generic;
};

const PenFamilyRow &penFamily(PenFamily family);

// The five pen parsers: decode, first-tip drop, edge capture and offset,
// hold-still filter, pressure, tilt filters, commit and state machine. Pure
// apart from the tilt filter state handed in and the sink calls.
ReportResult parsePen(std::span<const std::uint8_t> report, store::Model model, PenState &state,
                      const PenContext &context, PenSink &sink);
ReportResult parseSorvi10Pen(std::span<const std::uint8_t> report, PenState &state,
                             const PenContext &context, PenSink &sink);
ReportResult parseSorvi22Pen(std::span<const std::uint8_t> report, PenState &state,
                             const PenContext &context, PenSink &sink);
ReportResult parseSorvi16Pen(std::span<const std::uint8_t> report, PenState &state,
                             const PenContext &context, PenSink &sink);
// Sorvi 16Pro and Sorvi 22Pro.
ReportResult parseSorvi16ProPen(std::span<const std::uint8_t> report, PenState &state,
                                const PenContext &context, PenSink &sink);
// The pipeline itself, for a family's row.
ReportResult parsePenReport(const PenFamilyRow &row, std::span<const std::uint8_t> report,
                            store::Model model, PenState &state, const PenContext &context,
                            PenSink &sink);

// |X1 - X2| <= 15 and |Y1 - Y2| <= 15, X = ix * 256 + dx (radix 256 for
// every model, the pen displays included).
bool IsNearPoint(const OVEventData &a, const OVEventData &b);

// The transition from `previous` to `next` pen state; the four Sorvi parsers
// also press the lower button on 0 -> 3. Sets isMouseDown before the point
// call that it goes with.
void runPenStateMachine(quint32 previous, quint32 next, bool sorviParser, PenState &state,
                        PenSink &sink);

// Splits a reading by radix 255 (integer division toward zero), the high part
// held within 32 bits.
void splitRadix255(qint64 value, qint32 &high, qint32 &low);

} // namespace driver
