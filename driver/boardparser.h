#pragma once

#include <cstdint>
#include <span>

#include <QString>

#include "driver/penparser.h"
#include "driver/pensink.h"

// Express-key and wheel reports: from the report's bytes and the device's
// orientation to one named key event.
namespace driver {

// What one key report means.
struct BoardKeyEvent
{
    // "OVCFGBoardKey1".."10", "OVCFGWheelKeyL", "OVCFGWheelKeyR",
    // "OVCFGWheelKeyC", or empty for the pen displays' nameless presses.
    QString name;
    bool press = false;
};

enum class BoardOutcome {
    Event, // `event` goes to the key-action dispatch
    Unrecognised, // a tablet's key field that no key of the model uses: logged with the report
    Ignored, // a pen display's field that names nothing: dropped without a line
    TooShort, // `tooShort` says how short
};

struct BoardResult
{
    BoardOutcome outcome = BoardOutcome::Ignored;
    BoardKeyEvent event;
    ReportResult tooShort;
};

// Decodes one key report of the parser's family. degree is the orientation
// index 0..3 ("OVCFGDegree"); lastBoardKey is the name of the last press,
// which every release reports again. A press stores its name there (an empty
// one too); nothing else changes it.
BoardResult parseBoardReport(
    BoardParser parser, std::span<const std::uint8_t> report, quint64 degree, QString &lastBoardKey);

// The report as a log line shows it: hex, four bytes to a group, in angle
// brackets ("<01f00001 00>").
QString reportDescription(std::span<const std::uint8_t> report);

} // namespace driver
