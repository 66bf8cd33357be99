#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

#include "platform/displays.h"

// Where a window shows up on a display. The driver's desktop space (the
// bounds of Displays: origin at the main display's top-left) is not the
// window system's: X11 puts the origin at the top-left of the whole X screen,
// so a primary monitor right of or below another one sits at an offset, and
// RandR counts device pixels while Qt places windows in logical pixels. Qt
// scales each screen about its own top-left corner (a screen keeps its
// position, its size shrinks by the factor), so a point maps through the
// display that holds it.
namespace platform {

struct WindowSpace
{
    // The main display's top-left corner in the window system's device pixels.
    QPointF mainOrigin;
    // Device pixels per logical pixel of the window system (Qt's factor).
    double scale = 1.0;

    friend bool operator==(const WindowSpace &, const WindowSpace &) = default;
};

// A rectangle of the desktop space as the window system's logical geometry,
// mapped through the display that holds its centre (the main display, else
// the first, when none does).
QRectF windowRectFromBounds(
    const QRectF &bounds, const QList<DisplayInfo> &displays, const WindowSpace &space);
QPointF windowPointFromBounds(
    const QPointF &point, const QList<DisplayInfo> &displays, const WindowSpace &space);

// The inverse: a point of the window system's logical space (a touch on a
// window) in the desktop space, mapped through the display whose window
// rectangle holds it.
QPointF boundsPointFromWindow(
    const QPointF &point, const QList<DisplayInfo> &displays, const WindowSpace &space);

} // namespace platform
