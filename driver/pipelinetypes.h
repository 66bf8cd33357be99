#pragma once

#include <array>
#include <variant>
#include <vector>

#include <QPointF>
#include <QString>
#include <QtGlobal>

#include "driver/boardparser.h"
#include "driver/calibtypes.h"
#include "driver/penparser.h"
#include "driver/screencheck.h"
#include "driver/settingsreload.h"
#include "platform/eventposter.h"
#include "platform/workspace.h"

// What a device's pipeline reads besides the report bytes, and what it asks
// the device service to do. Both are plain values: the pipeline asks the
// platform nothing, the service carries the effects out in their order.
namespace driver {

// The modifier keys held on the physical keyboard, as the device manager
// tracks them.
struct HeldModifiers
{
    bool keyCode_Command = false;
    bool keyCode_Option = false;
    bool keyCode_Shift = false;
    bool keyCode_Control = false;
};

struct PipelineContext
{
    // Run-loop seconds (the double-click clock) and wall-clock milliseconds
    // since 1970, low 32 bits (the tilt smoother's time).
    double now = 0;
    quint32 nowMillis = 0;
    platform::FrontApplication front;
    double doubleClickInterval = 0.5; // s
    HeldModifiers modifiers;

    ServiceSettings settings;
    ScreenState screens;
    // The pen display's calibration as the mapping applies it.
    MappingCalibration calibration;
    // "OVCFGMonitorName" is present in the device's configuration.
    bool monitorNamePresent = false;
    // The Kalverin S's "KalverinSIs115": its finer pen grid.
    bool firmware115 = false;
    // Where the relative mode starts: the pointer's place in global display
    // points. Read only while DevicePipeline::needsPointer() says so.
    QPointF pointer;

    // A calibration run is in progress, and the edge probes it runs (left,
    // top, right, bottom).
    bool calibrating = false;
    bool psminxing = false;
    bool psminying = false;
    bool psmaxxing = false;
    bool psmaxying = false;
};

// A barrel button pressed (press) or released; isDownKey: the lower button
// ("OVCFGPenKeyDown"), else the upper one. The key-action dispatch decides.
struct PenButtonEffect
{
    bool press = false;
    bool isDownKey = false;
};

// The pen display's tool-state report: the eraser end came into use, or the
// tip again.
struct ToolSwitchEffect
{
    bool eraser = false;
    bool brushTool = false;
};

// A pen-down of a pen display during a calibration run, before its event is
// posted: an edge probe's touch (the captured readings are in the pen
// state), or a target point's at `point` (mapped, uncorrected) with the
// reading `tabletPoint` (ix * 256 + dx, iy * 256 + dy).
struct CalibrationTouchEffect
{
    bool edge = false;
    QPointF point;
    QPointF tabletPoint;
};

// A report of the generic pen parser, dropped ones included, for the
// diagnostics window while it is open.
struct DiagnosticsEffect
{
    // The report's first bytes, all the window reads; length counts the
    // report's own bytes among them (a shorter report shows nothing).
    std::array<std::uint8_t, 10> head {};
    std::uint8_t length = 0;
};

// One log line of the driver, as it stands.
struct LogEffect
{
    QtMsgType type = QtInfoMsg;
    QString text;
};

// A report too short for its parser; the service logs it, rate-limited.
struct DroppedEffect
{
    ReportResult result;
};

// Events to post, key events for the key-action dispatch (BoardKeyEvent: an
// express key, a wheel step or the wheel's centre), and the rest.
using Effect = std::variant<platform::OVEvent, PenButtonEffect, BoardKeyEvent, ToolSwitchEffect,
    CalibrationTouchEffect, DiagnosticsEffect, LogEffect, DroppedEffect>;
using Effects = std::vector<Effect>;

} // namespace driver
