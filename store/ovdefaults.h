#pragma once

#include <optional>

#include <QRectF>
#include <QString>
#include <QVariantMap>

namespace store {

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
