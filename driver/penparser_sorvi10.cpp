// parseSorvi10Pen: the Sorvi10's pen report.
//
//   byte 1      status
//   bytes 2, 3  X high, X low
//   bytes 4, 5  Y high, Y low
//   byte 6      pressure bits 9..2; byte 7 bits 7..6: pressure bits 1..0
//   byte 7      bits 5..0: tilt X (0..63)
//   byte 8      bits 6..0: tilt Y (0..127)

#include "driver/penfamilies.h"

namespace driver {

namespace {

constexpr std::size_t kStatusLength = 2;

ReportResult read(std::span<const std::uint8_t> report, store::Model, PenReading &reading)
{
    if (report.size() < kStatusLength)
        return ReportResult::tooShort(report.size(), kStatusLength);
    const std::uint8_t status = report[1];
    quint32 state = 0;
    switch (status) {
    case 0x80: state = 0; break;
    case 0xA0: state = 1; break;
    case 0xA1: state = 2; break;
    case 0xA4: state = 3; break;
    case 0xA5: state = 4; break;
    default:
        // 0xA2 and 0xA3 included: the Sorvi10's upper button is not used.
        return {ReportOutcome::UnknownStatus};
    }
    if (report.size() < penlayout::kSorviLength)
        return ReportResult::tooShort(report.size(), penlayout::kSorviLength);

    reading.status = status;
    reading.type = state;
    penlayout::readSorviPositionAndTilt(report, reading);
    reading.pressure = quint16(report[6] * 4 + (report[7] >> 6));
    return {};
}

// Only hover and tip readings are relative to the top-left edge.
void offset(const PenReading &reading, const PenContext &context, const OVEventData &,
            OVEventData &sample)
{
    if (reading.status == 0xA0 || reading.status == 0xA1)
        penlayout::offsetByMinimum(reading, context, sample);
}

} // namespace

const PenFamilyRow kSorvi10PenFamily = {PenFamily::Sorvi10, "parseSorvi10Pen", read,
                                        penlayout::always, offset, false};

} // namespace driver
