// parseSorvi16Pen: the Sorvi 13/16's pen report. The layout is the Sorvi10's
// with a 13-bit pressure whose three lowest bits travel in the status byte:
//
//   pressure = byte 6 * 32 + (byte 7 bits 7..6) * 8
//              + 4 * (byte 1 bit 2) + 2 * (byte 1 bit 3) + (byte 1 bit 0)
//
// Bits 2 and 3 do carry the weights 4 and 2 in that order.

#include "driver/penfamilies.h"

namespace driver {

namespace {

ReportResult read(std::span<const std::uint8_t> report, store::Model, PenReading &reading)
{
    // Every status decodes, so the whole layout is checked at once.
    if (report.size() < penlayout::kSorviLength)
        return ReportResult::tooShort(report.size(), penlayout::kSorviLength);

    const std::uint8_t status = report[1];
    reading.status = status;
    reading.type = penlayout::sorviBitState(status);
    penlayout::readSorviPositionAndTilt(report, reading);
    const int lowBits = 4 * ((status >> 2) & 1) + 2 * ((status >> 3) & 1) + (status & 1);
    reading.pressure = quint16(report[6] * 32 + (report[7] >> 6) * 8 + lowBits);
    return {};
}

// Hover and every tip reading are relative to the top-left edge.
void offset(const PenReading &reading, const PenContext &context, const OVEventData &,
            OVEventData &sample)
{
    if (reading.status == 0xA0 || (reading.status & 0x40))
        penlayout::offsetByMinimum(reading, context, sample);
}

} // namespace

const PenFamilyRow kSorvi16PenFamily = {PenFamily::Sorvi16, "parseSorvi16Pen", read,
                                        penlayout::always, offset, false};

} // namespace driver
