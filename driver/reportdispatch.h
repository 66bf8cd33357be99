#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <QString>

#include "driver/penparser.h"
#include "driver/pensink.h"
#include "store/ovmodels.h"

namespace driver {

// The byte operations every report reader uses.
//
// Up to four bytes as one unsigned big-endian number, answered as signed
// 32-bit (FF FF FF FF answers -1). No bytes answer 0; more than four log
// "data too long" and answer -1.
qint32 decimalNumberFromData(std::span<const std::uint8_t> data);
// The low 8 bits of value as "0"/"1" text, most significant bit first
// (5 gives "00000101"). Callers cut bit fields out of a byte with it: the
// character at index k is bit 7 - k.
QString getBinaryByDecimal(qint64 value);
// The decimal text of a binary digit string (each digit d(i) weighs
// 2^(n-1-i), the terms computed in single precision and truncated); the
// empty string answers "0".
QString convertDecimalSystemFromBinarySystem(const QString &binary);

// A pen display's tool-state report (byte 1 = 0xC2), status = byte 3: 0xA0
// the eraser end, 0x20 the pen end. Only a change of the tool reaches the
// front application, and the very first report of a connection is taken as
// the starting tool: a first 0x20 taps the brush-tool key once, a first 0xA0
// is swallowed. Other statuses do nothing.
void sorviDataState(qint32 status, PenState &state, PenSink &sink);

// One model's report dispatcher.
struct DispatchRow
{
    store::Model model;
    const char *name; // the dispatcher's name, parseSwitch...
    ReportResult (*dispatch)(const DispatchRow &row, std::span<const std::uint8_t> report,
                             PenState &state, const PenContext &context, PenSink &sink);
    // Tablets: the byte-1 value that marks a key report; 0 for none.
    std::uint8_t boardMarker;
    // The key parser key reports go to; none for the models without keys.
    std::optional<BoardParser> board;
};

// Every dispatcher, in the order the device keys are compared.
std::span<const DispatchRow> dispatchRows();
// The model's dispatcher; nullptr for a model without one (its reports are
// dropped without a log).
const DispatchRow *dispatcherFor(store::Model model);

// One input report of the report interface that is not a command reply
// (byte 0 = 0xFC goes to the command protocol before this): to the model's
// pen parser, key parser or tool state. Nothing is read past the report's
// end; a report too short for its dispatcher or parser answers TooShort and
// changes nothing.
ReportResult dispatchReport(store::Model model, std::span<const std::uint8_t> report,
                            PenState &state, const PenContext &context, PenSink &sink);

} // namespace driver
