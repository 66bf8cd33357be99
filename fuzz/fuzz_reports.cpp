// Every report dispatcher and pen parser fed arbitrary bytes.
//
// Input: byte 0 picks the model, byte 1 the context flags, bytes 2..9 the
// integer parts of the calibration minimums (any 32-bit values, so that the
// radix-255 arithmetic meets its extremes), then reports, each a length byte
// and that many bytes. Every report is copied into a buffer of exactly its length, so a
// read past its end is an AddressSanitizer error.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <QString>

#include "driver/penparser.h"
#include "driver/pensink.h"
#include "driver/reportdispatch.h"
#include "driver/startcommand.h"
#include "driver/tiltfilter.h"

namespace {

using driver::BoardParser;

// Touches every byte it is handed and checks what the parsers may ask for.
class CheckingSink : public driver::PenSink
{
public:
    void postProximityEvent(bool) override {}
    void postPointEvent(quint32 type) override
    {
        if (type != 1 && type != 2 && type != 5 && type != 6)
            std::abort();
    }
    void preparePenKey(bool, bool) override {}
    void prepareHKEraser(bool eraser, bool brushTool) override
    {
        if (eraser == brushTool)
            std::abort();
    }
    void upPen(std::span<const std::uint8_t> report) override { touch(report); }
    void parseBoard(BoardParser parser, std::span<const std::uint8_t> report) override
    {
        if (int(parser) < int(BoardParser::Board482) || int(parser) > int(BoardParser::BoardSorvi16Pro))
            std::abort();
        touch(report);
    }

    unsigned sum = 0;

private:
    void touch(std::span<const std::uint8_t> report)
    {
        for (std::uint8_t byte : report)
            sum += byte;
    }
};

qint32 readInt32(const std::uint8_t *data)
{
    std::uint32_t value;
    std::memcpy(&value, data, sizeof value);
    return qint32(value);
}

void checkState(const driver::PenState &state, const driver::ReportResult &result)
{
    if (state.eventData.type > 6 || state.lastEventData.type > 6)
        std::abort();
    if (result.outcome == driver::ReportOutcome::TooShort && result.needed <= result.length)
        std::abort();
    if (result.outcome == driver::ReportOutcome::TooShort && result.reason().isEmpty())
        std::abort();
}

constexpr driver::PenFamily kFamilies[] = {driver::PenFamily::Generic, driver::PenFamily::Sorvi10,
                                           driver::PenFamily::Sorvi22, driver::PenFamily::Sorvi16,
                                           driver::PenFamily::Sorvi16Pro};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    constexpr size_t kHeader = 10;
    if (size < kHeader)
        return 0;
    driver::resetTiltStateForTests();

    const int modelCount = int(store::Model::Unnamed) + 1;
    const auto model = store::Model(data[0] % modelCount);
    const std::uint8_t flags = data[1];
    driver::PenContext context;
    context.ovPressure = flags & 0x01;
    context.psminxing = flags & 0x02;
    context.psminying = flags & 0x04;
    context.psmaxxing = flags & 0x08;
    context.psmaxying = flags & 0x10;
    context.minX = driver::edgeReading(readInt32(data + 2), qint8(data[1]));
    context.minY = driver::edgeReading(readInt32(data + 6), qint8(data[0]));

    (void)driver::startCommand(model);

    driver::PenState dispatched;
    driver::PenState perFamily[std::size(kFamilies)];
    // Start half of the runs past the first-report rules.
    if (flags & 0x20) {
        dispatched.orvaneModeInited = true;
        for (driver::PenState &state : perFamily)
            state.orvaneModeInited = true;
    }
    CheckingSink sink;

    size_t pos = kHeader;
    while (pos < size) {
        const size_t length = std::min<size_t>(data[pos], size - pos - 1);
        ++pos;
        const std::vector<std::uint8_t> report(data + pos, data + pos + length);
        pos += length;
        const std::span<const std::uint8_t> bytes(report.data(), report.size());
        context.nowMillis += 1 + (length & 0x0F);

        checkState(dispatched, driver::dispatchReport(model, bytes, dispatched, context, sink));
        for (size_t i = 0; i < std::size(kFamilies); ++i) {
            const driver::PenFamilyRow &row = driver::penFamily(kFamilies[i]);
            checkState(perFamily[i],
                       driver::parsePenReport(row, bytes, model, perFamily[i], context, sink));
        }

        // The byte operations on the same bytes ("data too long" is a log
        // line, not a failure: kept to four bytes so the run stays quiet).
        (void)driver::decimalNumberFromData(bytes.first(std::min<size_t>(bytes.size(), 4)));
        qint64 value = 0;
        for (size_t i = 0; i < std::min<size_t>(bytes.size(), 8); ++i)
            value = (value << 8) | bytes[i];
        if (driver::getBinaryByDecimal(value).size() != 8)
            std::abort();
        QString digits;
        for (std::uint8_t byte : bytes)
            digits.append(QChar(byte & 0x7F));
        if (driver::convertDecimalSystemFromBinarySystem(digits).isEmpty())
            std::abort();
    }
    return 0;
}
