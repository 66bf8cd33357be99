// parsePen: the tablets' pen report, and the Sorvi12 Pro's.
//
//   byte 1      status
//   bytes 2, 3  X low, X high
//   bytes 4, 5  Y low, Y high
//   bytes 6, 7  pressure low, high
//   bytes 8, 9  tilt X, Y, signed 8-bit (tilt models only)

#include "driver/penfamilies.h"

#include <optional>

namespace driver {

namespace {

using store::Model;

constexpr std::size_t kStatusLength = 2;
constexpr std::size_t kPlainLength = 8;
constexpr std::size_t kTiltLength = 10;

// The low three bits carry the state; 0xA8.., 0xB0.. and 0xB8.. are the
// Sorvi12 Pro's readings beyond its left edge, its top edge and both.
std::optional<quint32> stateFor(std::uint8_t status, Model model)
{
    if (store::rowFor(model).hoverStatusC0) {
        // The M517 V1 reports out of range as 0x80 and hovering as 0xC0.
        if (status == 0x80)
            return 0;
        if (status == 0xC0)
            return 1;
    }
    switch (status) {
    case 0xC0:
        return 0;
    case 0xA0: case 0xA8: case 0xB0: case 0xB8:
        return 1;
    case 0xA1: case 0xA9: case 0xB1: case 0xB9: case 0xC1:
        return 2;
    case 0xA2: case 0xAA: case 0xB2: case 0xBA: case 0xC2:
        return 3;
    case 0xA3: case 0xAB: case 0xB3: case 0xBB: case 0xC3:
        return 4;
    case 0xA4: case 0xAC: case 0xB4: case 0xBC: case 0xC4:
        return 5;
    case 0xA5: case 0xAD: case 0xB5: case 0xBD: case 0xC5:
        return 6;
    default:
        return std::nullopt;
    }
}

ReportResult read(std::span<const std::uint8_t> report, Model model, PenReading &reading)
{
    if (report.size() < kStatusLength)
        return ReportResult::tooShort(report.size(), kStatusLength);
    const std::uint8_t status = report[1];
    const std::optional<quint32> state = stateFor(status, model);
    if (!state) {
        ReportResult result{ReportOutcome::UnknownStatus};
        if (status == 0xFF)
            result.systemLog = "code == 0xff";
        else if (status == 0x02)
            result.systemLog = "code == 0x02";
        return result;
    }
    const bool tilt = store::rowFor(model).tilt;
    const std::size_t needed = tilt ? kTiltLength : kPlainLength;
    if (report.size() < needed)
        return ReportResult::tooShort(report.size(), needed);

    reading.status = status;
    reading.type = *state;
    reading.xHigh = report[3];
    reading.xLow = report[2];
    reading.yHigh = report[5];
    reading.yLow = report[4];
    reading.pressure = quint16(report[7] * 256 + report[6]);
    reading.hasTilt = tilt;
    if (tilt) {
        reading.tiltX = std::int8_t(report[8]);
        reading.tiltY = std::int8_t(report[9]);
    }
    return {};
}

// The pen display among the tablets: the Sorvi12 Pro.
bool usesEdges(Model model)
{
    return store::rowFor(model).penDisplay;
}

// Mirrored reading beyond an edge: MINX - RX, or out of range (state 0 and 0)
// once the reading passes the edge value.
qint64 mirrored(qint64 minimum, qint64 reading, OVEventData &sample)
{
    if (reading > minimum) {
        sample.type = 0;
        return 0;
    }
    return minimum - reading;
}

// The Sorvi12 Pro: statuses 0xA8..0xAD read X mirrored beyond the left edge,
// 0xB0..0xB5 Y beyond the top edge, 0xB8..0xBD both.
void offset(const PenReading &reading, const PenContext &context, const OVEventData &current,
            OVEventData &sample)
{
    const std::uint32_t status = reading.status;
    if (status == 0xC0) {
        sample.loc = current.loc;
        return;
    }
    const bool mirrorX = (status >= 0xA8 && status <= 0xAD) || (status >= 0xB8 && status <= 0xBD);
    const bool mirrorY = (status >= 0xB0 && status <= 0xB5) || (status >= 0xB8 && status <= 0xBD);
    const qint64 rx = edgeReading(reading.xHigh, reading.xLow);
    const qint64 ry = edgeReading(reading.yHigh, reading.yLow);
    const qint64 x = mirrorX ? mirrored(context.minX, rx, sample) : context.minX + rx;
    const qint64 y = mirrorY ? mirrored(context.minY, ry, sample) : context.minY + ry;
    splitRadix255(x, sample.loc.ix, sample.loc.dx);
    splitRadix255(y, sample.loc.iy, sample.loc.dy);
}

} // namespace

const PenFamilyRow kGenericPenFamily = {PenFamily::Generic, "parsePen", read, usesEdges, offset,
                                        true};

} // namespace driver
