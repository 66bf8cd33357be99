// parseSorvi22Pen: the Sorvi 22's pen report. The layout is the Sorvi10's
// with an 11-bit pressure whose lowest bit travels in the status byte:
//
//   pressure = byte 6 * 8 + (byte 7 bits 7..6) * 2 + (byte 1 bit 0)

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
    reading.pressure = quint16(report[6] * 8 + (report[7] >> 6) * 2 + (status & 0x01));
    return {};
}

void offset(const PenReading &reading, const PenContext &context, const OVEventData &,
            OVEventData &sample)
{
    if (reading.status == 0xA0 || reading.status == 0xA1)
        penlayout::offsetByMinimum(reading, context, sample);
}

} // namespace

const PenFamilyRow kSorvi22PenFamily = {PenFamily::Sorvi22, "parseSorvi22Pen", read,
                                        penlayout::always, offset, false};

} // namespace driver
