#pragma once

#include <optional>

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The twelve settings a device service keeps at hand for its report path, and
// their reload from the device's configuration when the store announces a
// change ("OVCFGNotification").
namespace store {
struct ModelRow;
}

namespace driver {

// All start at zero; the store's first load fills them a turn after the
// service starts.
struct ServiceSettings
{
    // "OVCFGPenKey"
    quint64 ovDegree = 0; // "OVCFGDegree": 0..3 = 0, 90, 180, 270 degrees; never outside 0..3
    bool ovPressure = false; // "OVCFGPressure"
    bool ovTips = false; // "OVCFGTips"
    bool ovKeyFun = false; // "OVCFGKeyFun"
    QPointF ovP1; // "OVCFGBezier": "OVCFGBezierP1", curve start
    QPointF ovP2; // "OVCFGBezierP2", curve end
    QPointF ovPC; // "OVCFGBezierPC", control point
    quint64 ovCM = 0; // "OVCFGCoordinateMode": 0 absolute, 1 relative
    double ovTS = 0; // "OVCFGTrackingSpeed", read as a float
    // "OVCFGMonitor"
    quint64 ovMMap = 0; // "OVCFGMonitorMap": 0 all screens, 1 portion, 2 one screen
    QRectF ovMFrame; // "OVCFGMonitorFrame", origin bottom-left of the main display, y up
    quint32 ovMNumber = 0; // "OVCFGMonitorNumber", low 32 bits
    // "OVCFGTablet"
    quint64 ovTMap = 0; // "OVCFGTabletMap": 0 whole area, else ovTFrame
    QRectF ovTFrame; // "OVCFGTabletFrame", inches, origin lower-left of the active area

    friend bool operator==(const ServiceSettings &, const ServiceSettings &) = default;
};

// The names a change notice asks this device to reload: the array under the
// notice's last user-info key when that key is devKey. nullopt for a notice
// of another device or one without user info; entries that are not text are
// skipped.
std::optional<QStringList> namesToReload(const QVariantMap &userInfo, const QString &devKey);

struct ReloadOutcome
{
    // Set when "OVCFGDegree" was reloaded on one of the six pen displays. The
    // service then loads the calibration of that orientation
    // (updateCalib(orientation, false)) and turns the display's picture
    // (rotateDisplay), in this order, before it acts on anything else.
    std::optional<quint64> penDisplayOrientation;
};

// Reloads the named settings from `configuration` (the store's whole
// dictionary, category then key) in the fixed order "OVCFGDegree" first,
// "OVCFGTabletFrame" last. Names outside the twelve are ignored.
//
// A key that is absent, or whose value is of another kind than the setting
// (text for a number, a negative number for an unsigned one, a non-finite
// speed, a number for a point text), reads as absent: 0, NO, the zero point
// or the zero rectangle. An orientation outside 0..3 reads as 0, so the key
// decoders, the mapping, the calibration and the display rotation all see 0.
ReloadOutcome reloadSettings(const store::ModelRow &row, const QStringList &names,
    const QVariantMap &configuration, ServiceSettings &settings);
// The same for the model of a device key.
ReloadOutcome reloadSettings(const QString &devKey, const QStringList &names,
                             const QVariantMap &configuration, ServiceSettings &settings);

} // namespace driver
