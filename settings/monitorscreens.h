#pragma once

#include <optional>

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include "platform/displays.h"
#include "store/ovscreen.h"

// The displays as the monitor page lists them, every 2 s: names made up for
// displays that report none, frames in the settings application's space
// (origin at the bottom-left corner of the main display, y up), the union,
// the pen display found again by its name, and the titles of the mode
// pop-up's display items. Pure functions over the platform's display list.
namespace settings::monitor {

// EDID manufacturer id "OVN" packed as the EDID holds it (bytes 8..9: three
// letters of five bits, A = 1): the vendor number of the maker's own panels,
// whose made-up names carry the maker word instead of the number.
inline constexpr quint32 kMakerDisplayVendor = (15u << 10) | (22u << 5) | 14u; // 0x3ECE
inline constexpr QLatin1String kMakerWord("Orvane");

// The portion that a changed main display (or a new mode) resets to: this
// many points wide at the main display's origin, with its aspect ratio.
inline constexpr double kResetPortionWidth = 1280;

// The localised labels of made-up names: "OVD_BI" (built-in), "OVD_BO"
// (external), "OVD_MI" (main).
struct DisplayLabels
{
    QString builtIn;
    QString external;
    QString main;
};

// The display's product name, or a name made up from the labels and its
// vendor (the maker word for the maker's panels, else "%4X" of the number):
// "BI (MI)", "BI", "BO (MI) [V]" or "BO [V]". *madeUp tells which.
QString displayName(const platform::DisplayInfo &display, const DisplayLabels &labels, bool *madeUp);

// A display's bounds (origin top-left of the main display, y down) as a frame
// of the settings application's space (origin bottom-left, y up). The driver
// turns the stored portion back with the same function and the same height.
QRectF frameBottomLeft(const QRectF &boundsTopLeft, double mainDisplayHeight);

struct ScreenList
{
    // In the platform's order, frames bottom-left; names as displayName().
    QList<store::OVScreen> screens;
    QList<bool> builtIn; // per screen
    // The union of the frames, the accumulation starting from (0, 0); the
    // zero rectangle when no display is listed.
    QRectF totalFrame;
    // The main display, when one is listed.
    std::optional<quint32> mainNum;
    QRectF mainFrame;
};

// Main display height 0 when none is listed (the driver does the same).
ScreenList listScreens(const QList<platform::DisplayInfo> &displays, const DisplayLabels &labels);

// A pen display's screen found again: only when `stored` is 0 or names no
// listed display, the first display that either has a made-up name and is
// not built in, or whose name occurs in monitorName ("OVCFGMonitorName").
// nullopt: nothing to write.
std::optional<quint32> refindPenDisplay(const ScreenList &list, const QString &monitorName, quint32 stored);

// The pop-up titles of the screens: their names, and for a name that an
// earlier screen (or one of the `taken` titles of the pop-up's other items)
// already has " (2)", " (3)", ... appended, so that every display has an item
// of its own (the pop-up keeps one item per title).
QStringList popupTitles(const QList<store::OVScreen> &screens, const QStringList &taken = {});

// The reset portion for a main display frame: kResetPortionWidth wide at its
// origin, height in the main display's proportion. nullopt for a frame
// without a usable width or height.
std::optional<QRectF> resetPortion(const QRectF &mainFrame);

} // namespace settings::monitor
