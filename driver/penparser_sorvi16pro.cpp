// parseSorvi16ProPen: the Sorvi 16Pro's and Sorvi 22Pro's pen report.
//
//   byte 2        status
//   bytes 3, 4    X low, X high; byte 5 = 1 adds 256 to the high part
//   bytes 6, 7    Y low, Y high
//   bytes 9, 10   pressure low, high
//   bytes 11, 12  tilt X, Y, signed 8-bit

#include "driver/penfamilies.h"

namespace driver {

namespace {

constexpr std::size_t kLength = 13;

ReportResult read(std::span<const std::uint8_t> report, store::Model, PenReading &reading)
{
    // Every status decodes, so the whole layout is checked at once.
    if (report.size() < kLength)
        return ReportResult::tooShort(report.size(), kLength);

    const std::uint8_t status = report[2];
    reading.status = status;
    reading.type = (status >= 0xA0 && status <= 0xA5) ? quint32(status - 0xA0 + 1) : 0;
    reading.xHigh = report[4] + (report[5] == 1 ? 256 : 0);
    reading.xLow = report[3];
    reading.yHigh = report[7];
    reading.yLow = report[6];
    reading.pressure = quint16(report[10] * 256 + report[9]);
    reading.hasTilt = true;
    reading.tiltX = std::int8_t(report[11]);
    reading.tiltY = std::int8_t(report[12]);
    return {};
}

void offset(const PenReading &reading, const PenContext &context, const OVEventData &,
            OVEventData &sample)
{
    if (reading.status != 0xC0)
        penlayout::offsetByMinimum(reading, context, sample);
}

} // namespace

const PenFamilyRow kSorvi16ProPenFamily = {PenFamily::Sorvi16Pro, "parseSorvi16ProPen", read,
                                           penlayout::always, offset, false};

} // namespace driver
