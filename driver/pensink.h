#pragma once

#include <cstdint>
#include <span>

#include <QtGlobal>

namespace driver {

// The express-key and wheel parsers a dispatcher hands a key report to, one
// per report family.
enum class BoardParser {
    Board482, // parseBoard482: M482 Plus V2
    Board517V1, // parseBoard517V1: M517 V1
    Board517V2, // parseBoard517V2: M517 V2
    BoardTevruM, // parseBoardTevruM: Tevra M
    BoardTevruS, // parseBoardTevruS: Tevra S
    BoardSorvi12Pro, // parseBoardSorvi12Pro: Sorvi12 Pro
    BoardKalverinM, // parseBoardKalverinM: Kalverin M
    BoardKalverinS, // parseBoardKalverinS: Kalverin S
    BoardTevru7B, // parseBoardTevru7B: Tevra N7B
    BoardTevru10B, // parseBoardTevru10B: Tevra N10B
    BoardQ, // parseBoardQ: Tevra Q
    BoardSorvi, // parseBoardSorvi: Sorvi 13/16
    BoardSorvi16Pro, // parseBoardSorvi16Pro: Sorvi 16Pro, Sorvi 22Pro
};

// What the report dispatchers and the pen state machine make happen. The
// device's pipeline implements it (it turns the calls into effects); tests
// record the calls.
//
// Every call is made after the pen state has been committed, so an
// implementation that maps the current sample (eventData) or reads
// isMouseDown sees the values the call is about.
class PenSink
{
public:
    virtual ~PenSink() = default;

    // Pen enters (true) or leaves (false) the tablet's range.
    virtual void postProximityEvent(bool enter) = 0;
    // Event type: 1 pen down, 2 pen up, 5 moved, 6 dragged.
    virtual void postPointEvent(quint32 type) = 0;
    // A barrel button pressed (press true) or released; isDownKey true is
    // the lower button ("OVCFGPenKeyDown"), false the upper one.
    virtual void preparePenKey(bool press, bool isDownKey) = 0;
    // The pen display's tool-state report: the eraser end came into use
    // (eraser true) or the tip again (brushTool true).
    virtual void prepareHKEraser(bool eraser, bool brushTool) = 0;
    // Every report of the generic pen parser, before it is decoded, dropped
    // ones included. The service passes it on while its diagnostics window
    // exists and ignores it otherwise. The report may be of any length.
    virtual void upPen(std::span<const std::uint8_t> report) = 0;
    // An express-key or wheel report, whole and of any length, for the
    // model's key parser.
    virtual void parseBoard(BoardParser parser, std::span<const std::uint8_t> report) = 0;
};

} // namespace driver
