#pragma once

#include <optional>

#include <QList>
#include <QRectF>
#include <QString>
#include <QVariantMap>

#include "platform/displays.h"
#include "store/ovscreen.h"

// The displays as the mapping sees them, rebuilt by the device service every
// 2 s, and the rotation of a pen display's picture.
namespace driver {

struct ScreenState
{
    // One record per display, in the platform's order (the main display
    // first); frames in global display points, origin top-left of the main
    // display, y down. Empty until the first check.
    QList<store::OVScreen> ovScreens;
    // The smallest rectangle holding (0, 0) and every frame.
    QRectF ovMTFrame;
    // Height of the main display's frame at the check; 0 when there is none.
    // Turns the stored portion ("OVCFGMonitorFrame", y up) into the driver's space.
    double mainDisplayHeight = 0;
};

struct ScreenCheckResult
{
    ScreenState screens;
    // A pen display found under a new identifier: the service writes it as an
    // unsigned integer under "OVCFGMonitorNumber" of "OVCFGMonitor" in its
    // own store (never the settings application's), whose change notice then
    // reloads ovMNumber.
    std::optional<quint32> monitorNumber;
};

// A display without a product name is listed under "Unknow (%4X)" with its
// vendor number.
QString unknownDisplayName(quint32 vendor);

// One screen check over the online displays and the device's configuration
// (the store's whole dictionary). Only a pen display ("OVCFGMonitorName"
// present) looks for its screen again, and only when "OVCFGMonitorNumber" is
// 0 or names no online display: the first display that is not built in when
// any display lacks a product name, else the first whose name occurs in
// "OVCFGMonitorName".
ScreenCheckResult checkScreens(const QList<platform::DisplayInfo> &displays,
                               const QVariantMap &configuration);

enum class RotateOutcome {
    Rotated,
    NoDisplay, // none of the first six displays is the pen display's
    Refused, // the platform could not set the rotation
};

// Turns the pen display's picture to orientation 0..3 (0, 90, 180, 270
// degrees; anything else is 0). The pen display's screen is the first of at
// most six online displays whose non-empty product name occurs in
// monitorName ("OVCFGMonitorName"), or that has no name and is not built in.
RotateOutcome rotateDisplay(platform::Displays &displays, const QString &monitorName,
                            quint64 orientation);

} // namespace driver
