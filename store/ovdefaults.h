#pragma once

#include <optional>

#include <QRectF>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace store {

// Relative-mode tracking speed: a multiplier of the pen's movement, set by the
// pen page's slider over [min, max]; the factory value is 1.0.
inline constexpr double kTrackingSpeedMin = 0.2;
inline constexpr double kTrackingSpeedMax = 4.0;
inline constexpr double kTrackingSpeedDefault = 1.0;

// "OVCFGTrackingSpeed" as both programs use it: a stored number within the
// slider's range as a float widened to double (the page writes the slider's
// float); absent, of another kind, not finite or out of range, the factory
// value. Imported and hand-edited files lack the key or hold anything; a
// speed of 0 would freeze the pointer, and the page must show the speed the
// driver moves by.
double trackingSpeedValue(const QVariant &value);

// The model's whole default configuration: a dictionary of category
// dictionaries. withCalibration is the driver's copy: on a pen display it also
// holds "OVCFGMonitorCalib" for the four orientations and the four factory edge
// readings; the settings application's copy holds no calibration entry.
// tabletFrameText becomes "OVCFGTabletFrame" (the caller computes it with
// ratioRectInch before the configuration exists, i.e. the 16:9 band).
//
// Value kinds: unsigned and integer settings are qint64, Booleans bool,
// floats double widened from float, points and rectangles their text.
QVariantMap defaultConfiguration(const QString &devKey, bool withCalibration, const QString &tabletFrameText);

// The factory portion of "OVCFGMonitorFrame" (800 x 600 points at the main
// display's bottom-left corner); the monitor page shows it for a stored
// portion it cannot read.
QRectF monitorFrameDefault();

// What an import writes into "OVCFGMonitor" of a pen display whose file holds
// no edge readings: "OVCFGMonitorCalib" holding only the 0-degree matrix, and
// the four factory edge readings. nullopt for a model that is no pen display.
std::optional<QVariantMap> importCalibrationPatch(const QString &devKey);

} // namespace store
