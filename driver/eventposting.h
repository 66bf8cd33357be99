#pragma once

#include <optional>

#include <QPointF>
#include <QString>

#include "driver/penmapping.h"
#include "driver/pipelinetypes.h"

namespace store {
struct ModelRow;
}

namespace driver {

struct PenState;

// The five ways the driver makes pen input and pen-button actions visible:
// proximity, pen points with their synthesised double click, plain mouse
// buttons, the double click itself and scrolling. Each maps the current
// sample first (except scrolling) and posts nothing when the mapping drops it.
//
// Pure: what it reads comes in the context, what it makes goes into the
// effects (events, and the calibration's pen-downs before their event). One
// per device pipeline, which owns the pen state it reads.
class PenEventPosting
{
public:
    PenEventPosting(const store::ModelRow &row, PenState &pen);

    // The pen enters (true) or leaves the tablet's range: a tablet-proximity
    // event and a mouse-moved event of the proximity subtype, proximity first
    // on entering and last on leaving. In relative mode the sample's position
    // becomes the previous one first, so that the proximity moves nothing.
    void postProximityEvent(bool enter, const PipelineContext &context, Effects &out);
    // Event type 1 pen down, 2 pen up, 5 moved, 6 dragged.
    void postPointEvent(quint32 type, const PipelineContext &context, Effects &out);
    // A mouse event of that type and button (0 left, 1 right, 2 centre).
    void postMouseEvent(quint32 type, quint32 button, const PipelineContext &context, Effects &out);
    // Down, up, down with click state 2, up, at the mapped point.
    void postMouseDoubleClickEvent(const PipelineContext &context, Effects &out);
    // Wheel 1 by `lines`; neither maps nor moves the pointer.
    static void postMouseScrollWheelEvent(qint32 lines, Effects &out);

    // The mapping of the current sample; the pressure curve's "t < 0" goes
    // out as a log line.
    std::optional<OVEventDataPost> prepareEventDataPost(const PipelineContext &context, Effects &out);
    // What the mapping of the current sample reads.
    MappingInput mappingInput(const PipelineContext &context) const;
    // The next mapping starts the relative mode at the pointer's place.
    bool needsPointer(const ServiceSettings &settings) const
    {
        return settings.ovCM == 1 && !m_mapping.relativeInited;
    }

    const MappingState &mappingState() const { return m_mapping; }
    // Run-loop time of the pen-down that started the last click; none after
    // a synthesised double click or a drag away from it.
    std::optional<double> lastMouseDownTime() const { return m_lastMouseDownTime; }
    QPointF lastMouseDownPoint() const { return m_lastMouseDownPoint; }
    // (-404, -404): no drag since the last press or release.
    QPointF lastMouseDragPoint() const { return m_lastMouseDragPoint; }

private:
    const store::ModelRow &m_row;
    PenState &m_pen;
    MappingState m_mapping;
    std::optional<double> m_lastMouseDownTime;
    QPointF m_lastMouseDownPoint;
    QPointF m_lastMouseDragPoint;
};

// The front applications for which a quick second tap stays a plain
// pen-down (painting and note applications that count taps themselves,
// browsers, the settings application), by any of their names.
bool isDoubleClickExcepted(const platform::FrontApplication &front);

} // namespace driver
