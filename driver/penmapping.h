#pragma once

#include <optional>

#include <QPointF>
#include <QRectF>
#include <QString>

#include "driver/calibtypes.h"
#include "driver/oveventdata.h"
#include "driver/screencheck.h"
#include "driver/settingsreload.h"

namespace platform {
class UserDefaults;
}

namespace store {
struct ModelRow;
}

// From a decoded pen sample to a point on the screens, a pressure and a tilt:
// restrict the sample to the configured tablet area, pick the target
// rectangle, map it absolutely or relatively by the orientation, and on a
// calibrated pen display correct it, push it outward near the edges and hold
// it inside the target. Single precision where the posted values have always
// been computed in it, so posted points agree to the last bit.
namespace driver {

// What is posted for one sample.
struct OVEventDataPost
{
    struct Loc
    {
        float x = 0; // global display points, origin top-left of the main display, y down
        float y = 0;
        friend bool operator==(const Loc &, const Loc &) = default;
    };
    struct Tilt
    {
        float x = 0; // tilt / 90
        float y = 0; // -tilt / 90: the devices report y the other way round
        friend bool operator==(const Tilt &, const Tilt &) = default;
    };

    Loc loc;
    float fpres = 0; // 0..1
    Tilt ftilt;
    friend bool operator==(const OVEventDataPost &, const OVEventDataPost &) = default;
};

// The per-model facts the mapping needs.
struct MappingModel
{
    float widthInch = 0; // active area, inches
    float heightInch = 0;
    // Tablets: extent of the reported positions, in units of 256 counts.
    // Pen displays take theirs from the calibration edges instead.
    float widthPortion = 0;
    float heightPortion = 0;
    bool penDisplay = false; // "OVCFGMonitorName" is present
    // Sorvi 16Pro and Sorvi 22Pro: the calibrated point is posted as it is,
    // without edge push or clamp.
    bool correctionIsFinal = false;
    double pressureFullScale = 8192.0; // raw full scale, report units
};

// The facts of a model's row; firmware115: the Kalverin S's "KalverinSIs115"
// (the finer extent).
MappingModel mappingModel(const store::ModelRow &row, bool firmware115, bool monitorNamePresent);
// The same for a device key, "KalverinSIs115" read from the defaults.
MappingModel mappingModel(const QString &devKey, const platform::UserDefaults &defaults,
                          bool monitorNamePresent);

// Everything one mapping reads.
struct MappingInput
{
    OVEventData eventData; // the current sample
    OVEventData lastEventData; // the one before (relative mode)
    bool isMouseDown = false; // a tip press is in progress (pressure)
    ServiceSettings settings;
    ScreenState screens;
    MappingModel model;
    MappingCalibration calibration;
    // The pointer's position in global display points (top-left origin),
    // where the relative mode starts.
    QPointF pointerPosition;
};

// What the mapping keeps between samples.
struct MappingState
{
    // The last posted values; the relative mode moves on from loc, also from
    // the last absolute point after a change of coordinate mode.
    OVEventDataPost eventDataPost;
    // The relative mode took its start point; set once, never cleared.
    bool relativeInited = false;
};

// The mapped tablet area, in unit positions (i + d / 256).
struct TabletArea
{
    float width = 0; // W'
    float height = 0; // H'
    float x = 0; // x0, left
    float y = 0; // y0, top
};

// The part of the tablet that is mapped and whether the sample lies in it.
// nullopt: the sample lies outside, or the area is empty or not finite
// (nothing is posted). x0/y0 come back floored when the sample lies within
// one unit of them.
std::optional<TabletArea> tabletMapping(const MappingInput &input);

// The target rectangle M in global display points: all screens, the stored
// portion turned over with the main display's height, one screen by its
// identifier, or the zero rectangle.
QRectF monitorFrameFromMap(const ServiceSettings &settings, const ScreenState &screens);
// The frame of the first screen with that identifier; zero when none.
QRectF monitorFrameFromNumber(const ScreenState &screens, quint32 number);

// The whole mapping of the current sample. nullopt (state untouched) when the
// sample lies outside the tablet area, jumps by more than 512 counts in
// relative mode, the coordinate mode is neither 0 nor 1, the mapped tablet
// extent is zero or negative, the target has a negative size, or any value
// on the way is not finite. On success the state holds the answer.
// tBelowZero (when given) reports the pressure curve's "t < 0".
std::optional<OVEventDataPost> prepareEventDataPost(const MappingInput &input,
                                                    MappingState &state,
                                                    bool *tBelowZero = nullptr);

} // namespace driver
