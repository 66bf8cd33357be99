#pragma once

#include <QStringList>

#include "driver/penparser.h"
#include "driver/pensink.h"

// Records every sink call as one text:
//   "proximity 1" / "proximity 0"      postProximityEvent
//   "point N"                          postPointEvent
//   "penKey <press> <isDownKey>"       preparePenKey
//   "eraser <eraser> <brushTool>"      prepareHKEraser
//   "board <parser> <length>"          parseBoard
// upPen calls are counted apart, since the generic parser makes one for every
// report. When `state` is set, each point call also records the isMouseDown
// it sees.
class RecordingPenSink : public driver::PenSink
{
public:
    void postProximityEvent(bool enter) override;
    void postPointEvent(quint32 type) override;
    void preparePenKey(bool press, bool isDownKey) override;
    void prepareHKEraser(bool eraser, bool brushTool) override;
    void upPen(std::span<const std::uint8_t> report) override;
    void parseBoard(driver::BoardParser parser, std::span<const std::uint8_t> report) override;

    void clear();

    QStringList calls;
    int upPenCount = 0;
    qsizetype lastUpPenLength = -1;
    const driver::PenState *state = nullptr;
    QList<bool> mouseDownAtPoint;
};

// Pen state fields compared in one go (QPointF compares fuzzily, the rest exactly).
bool samePenState(const driver::PenState &a, const driver::PenState &b);

// "02 A0 34" -> bytes.
QByteArray hexReport(const char *text);
std::span<const std::uint8_t> bytesOf(const QByteArray &report);
