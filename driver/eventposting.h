#pragma once

#include <functional>
#include <optional>

#include <QPointF>
#include <QString>

#include "driver/calibtypes.h"
#include "driver/penmapping.h"
#include "driver/screencheck.h"
#include "driver/settingsreload.h"

namespace platform {
struct Platform;
struct OVEvent;
} // namespace platform

namespace store {
struct ModelRow;
}

namespace driver {

struct PenState;

// The calibration service's side of a pen display's pen-down while a
// calibration run is in progress.
class CalibrationHandoff
{
public:
    virtual ~CalibrationHandoff() = default;
    virtual bool calibrating() const = 0;
    // One of the four edge probes (left, top, right, bottom) is running.
    virtual bool edgeProbing() const = 0;
    // An edge probe's pen-down: check the captured edge readings.
    virtual void calibTablet() = 0;
    // A target point's pen-down: p as the mapping placed it (uncorrected
    // while a run is in progress), tabletPoint the reading (ix * 256 + dx,
    // iy * 256 + dy).
    virtual void calibPoint(QPointF p, QPointF tabletPoint) = 0;
};

// The modifier keys held on the physical keyboard, as the device manager
// tracks them.
struct HeldModifiers
{
    bool keyCode_Command = false;
    bool keyCode_Option = false;
    bool keyCode_Shift = false;
    bool keyCode_Control = false;
};

// What the posting reads from outside the device service's plain state. Each
// is optional: without it there is no calibration, no monitor name (a
// tablet) and no held modifier.
struct PostingHooks
{
    // The pen display's calibration as the mapping applies it.
    const MappingCalibration *calibration = nullptr;
    CalibrationHandoff *calibrationHandoff = nullptr;
    // "OVCFGMonitorName" is present in the device's configuration; asked at
    // every mapping, as the store may change under it.
    std::function<bool()> monitorNamePresent;
    std::function<HeldModifiers()> modifiers;
};

// The five ways the driver makes pen input and pen-button actions visible:
// proximity, pen points with their synthesised double click, plain mouse
// buttons, the double click itself and scrolling. Each maps the current
// sample first (except scrolling) and posts nothing when the mapping drops it.
//
// One per device service, which keeps the pen state, the settings and the
// screens and hands them over by reference; main thread only.
class PenEventPosting
{
public:
    PenEventPosting(platform::Platform &platform, const QString &devKey, PenState &pen,
                    const ServiceSettings &settings, const ScreenState &screens,
                    PostingHooks hooks = {});

    // The pen enters (true) or leaves the tablet's range: a tablet-proximity
    // event and a mouse-moved event of the proximity subtype, proximity first
    // on entering and last on leaving. In relative mode the sample's position
    // becomes the previous one first, so that the proximity moves nothing.
    void postProximityEvent(bool enter);
    // Event type 1 pen down, 2 pen up, 5 moved, 6 dragged.
    void postPointEvent(quint32 type);
    // A mouse event of that type and button (0 left, 1 right, 2 centre).
    void postMouseEvent(quint32 type, quint32 button);
    // Down, up, down with click state 2, up, at the mapped point.
    void postMouseDoubleClickEvent();
    // Wheel 1 by `lines`; neither maps nor moves the pointer.
    void postMouseScrollWheelEvent(qint32 lines);

    // The mapping of the current sample; logs the pressure curve's "t < 0".
    std::optional<OVEventDataPost> prepareEventDataPost();
    // What the mapping of the current sample reads.
    MappingInput mappingInput() const;

    const MappingState &mappingState() const { return m_mapping; }
    // Run-loop time of the pen-down that started the last click; none after
    // a synthesised double click or a drag away from it.
    std::optional<double> lastMouseDownTime() const { return m_lastMouseDownTime; }
    QPointF lastMouseDownPoint() const { return m_lastMouseDownPoint; }
    // (-404, -404): no drag since the last press or release.
    QPointF lastMouseDragPoint() const { return m_lastMouseDragPoint; }

private:
    void post(const platform::OVEvent &event);

    platform::Platform &m_platform;
    const store::ModelRow &m_row;
    PenState &m_pen;
    const ServiceSettings &m_settings;
    const ScreenState &m_screens;
    PostingHooks m_hooks;
    MappingState m_mapping;
    std::optional<double> m_lastMouseDownTime;
    QPointF m_lastMouseDownPoint;
    QPointF m_lastMouseDragPoint;
};

// The front process names for which a quick second tap stays a plain
// pen-down (painting and note applications that count taps themselves,
// browsers, the settings application).
bool isDoubleClickExcepted(const QString &processName);

} // namespace driver
