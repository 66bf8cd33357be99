#pragma once

#include <cstdint>
#include <span>

#include <QString>

#include "driver/eventposting.h"
#include "driver/penparser.h"
#include "driver/pensink.h"
#include "driver/pipelinetypes.h"

namespace store {
struct ModelRow;
}

namespace driver {

struct DispatchRow;
struct TiltState;

// One device's report path, from the bytes of an input report to what the
// device service is to do about it:
//
//   report bytes ─> dispatcher of the model ─┬─> pen parser ─> state machine ─> mapping ─> events
//                                            ├─> key parser ───────────────────────────────> key events
//                                            └─> tool state ───────────────────────────────> tool switch
//
// Built once from the model's row when the device's service is made. It owns
// the pen state, the mapping and double-click state and the last express key;
// the tilt filter state is the driver's one, handed in. Everything it reads
// besides the bytes comes in the context; everything it decides goes into the
// effects, in the order it was decided. It asks the platform nothing.
class DevicePipeline : private PenSink
{
public:
    DevicePipeline(const store::ModelRow &row, TiltState &tilt);
    DevicePipeline(const DevicePipeline &) = delete;
    DevicePipeline &operator=(const DevicePipeline &) = delete;

    // One input report of the report interface that is not a command reply.
    // A report of a model without a dispatcher is dropped without a trace;
    // one too short for its parser leaves a DroppedEffect and changes nothing.
    void report(std::span<const std::uint8_t> bytes, const PipelineContext &context, Effects &out);

    // The pen-button and key actions that post at the pen's mapped place.
    void postMouseEvent(quint32 type, quint32 button, const PipelineContext &context, Effects &out);
    void postMouseDoubleClickEvent(const PipelineContext &context, Effects &out);
    static void postMouseScrollWheelEvent(qint32 lines, Effects &out);

    // The next mapping reads the context's pointer (the relative mode's start).
    bool needsPointer(const ServiceSettings &settings) const { return m_posting.needsPointer(settings); }

    const store::ModelRow &row() const { return m_row; }
    const PenState &penState() const { return m_pen; }
    PenState &penState() { return m_pen; }
    const PenEventPosting &posting() const { return m_posting; }
    // The name of the last express key or wheel event passed on with a press.
    QString lastBoardKey() const { return m_lastBoardKey; }

private:
    // PenSink: the dispatcher's and the state machine's calls, made during
    // report() with m_context and m_out set.
    void postProximityEvent(bool enter) override;
    void postPointEvent(quint32 type) override;
    void preparePenKey(bool press, bool isDownKey) override;
    void prepareHKEraser(bool eraser, bool brushTool) override;
    void upPen(std::span<const std::uint8_t> report) override;
    void parseBoard(BoardParser parser, std::span<const std::uint8_t> report) override;

    const store::ModelRow &m_row;
    const DispatchRow *m_dispatcher;
    TiltState &m_tilt;
    PenState m_pen;
    PenEventPosting m_posting;
    QString m_lastBoardKey;
    const PipelineContext *m_context = nullptr;
    Effects *m_out = nullptr;
};

} // namespace driver
