#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QVariantMap>

#include "store/ovscreen.h"

namespace platform {
class UserDefaults;
}

// Fixed per-model facts of the active area, the tablet view and the settings
// pages, answered from the device key. A key of no named model gets zeros,
// nil pictures and the plain page layouts.
namespace store {

// Active area in inches.
float widthInch(const QString &devKey);
float heightInch(const QString &devKey);
// Extent of the pen coordinates the tablet reports, in report position units;
// 0 on pen displays (they map through their calibration edges). The Kalverin S
// reports a larger extent from firmware 1.15 on: "KalverinSIs115" in the
// given defaults is read at every call.
// "KalverinSIs115" as the driver's firmware check writes it (a Boolean). A
// number counts by its truth; text or any other kind counts as NO, like an
// absent key.
bool firmwareIs115(const platform::UserDefaults &defaults);
float widthPortion(const QString &devKey, const platform::UserDefaults &defaults);
float heightPortion(const QString &devKey, const platform::UserDefaults &defaults);
// (0, 0, widthInch, heightInch).
QRectF fullRectInch(const QString &devKey);

// Drawing constants of the settings application's tablet view, in inches.
struct TabletViewEdge
{
    double edge = 0; // margin around the area
    double slen = 0; // short handle length
    double dlen = 0; // long handle length
};
TabletViewEdge tabletViewEdge(const QString &devKey);
// Outline widths of the whole area and of the selected area; 0 draws none.
double tabletViewFullLine(const QString &devKey);
double tabletViewRatioLine(const QString &devKey);

// Resource names; a null QString when the model has no such picture.
QString penImageName(const QString &devKey);
QString wheelImageName(const QString &devKey);

// Layout names of the settings pages ("PenViewCtrl" etc. when the model has
// no layout of its own).
QString penViewXIBName(const QString &devKey);
QString monitorViewXIBName(const QString &devKey);
QString tabletViewXIBName(const QString &devKey);
QString boardViewXIBName(const QString &devKey);
QString boardKeyCusWinXIBName(const QString &devKey);

struct RatioRectResult
{
    QRectF rect; // inches
    // "There is no mmap_num" / "There is no monitorNumber_num" when the
    // configuration lacked what the area depends on; empty otherwise. The
    // caller logs it.
    QString log;
};

// The largest part of the active area with the aspect ratio of the mapped
// screen area ("OVCFGMonitorMap" 0 all screens, 1 "OVCFGMonitorFrame",
// 2 the screen "OVCFGMonitorNumber"). Without a configuration, map or number
// it answers the centred 16:9 band. The result is always a finite rectangle
// inside the active area: when the mapped area has no width or height (no
// screens, no screen of the stored number, an unreadable frame, a map value
// above 2), it is the band as well.
RatioRectResult ratioRectInch(
    const QString &devKey, const QVariantMap *configuration, const QList<OVScreen> &screens);

// The centred 16:9 band of the active area, (0, y, W, 1080 * W / 1920).
QRectF bandRectInch(const QString &devKey);

} // namespace store
