#include "platform/windowspace.h"

#include <cmath>

namespace platform {

namespace {

double usableScale(double scale)
{
    return std::isfinite(scale) && scale > 0 ? scale : 1.0;
}

// The display a desktop point belongs to, for its screen's corner.
const DisplayInfo *displayHolding(const QPointF &point, const QList<DisplayInfo> &displays)
{
    const DisplayInfo *fallback = nullptr;
    for (const DisplayInfo &display : displays) {
        if (display.bounds.contains(point))
            return &display;
        if (display.main && !fallback)
            fallback = &display;
    }
    return fallback ? fallback : (displays.isEmpty() ? nullptr : &displays.first());
}

// The display's top-left corner in the window system: the same in device
// and in logical pixels.
QPointF screenCorner(const DisplayInfo *display, const WindowSpace &space)
{
    return (display ? display->bounds.topLeft() : QPointF()) + space.mainOrigin;
}

QPointF throughDisplay(const QPointF &point, const DisplayInfo *display, const WindowSpace &space)
{
    const QPointF corner = screenCorner(display, space);
    return corner + (point + space.mainOrigin - corner) / usableScale(space.scale);
}

} // namespace

QPointF windowPointFromBounds(
    const QPointF &point, const QList<DisplayInfo> &displays, const WindowSpace &space)
{
    return throughDisplay(point, displayHolding(point, displays), space);
}

QRectF windowRectFromBounds(
    const QRectF &bounds, const QList<DisplayInfo> &displays, const WindowSpace &space)
{
    const DisplayInfo *display = displayHolding(bounds.center(), displays);
    return QRectF(throughDisplay(bounds.topLeft(), display, space), bounds.size() / usableScale(space.scale));
}

QPointF boundsPointFromWindow(
    const QPointF &point, const QList<DisplayInfo> &displays, const WindowSpace &space)
{
    const double scale = usableScale(space.scale);
    const DisplayInfo *holder = nullptr;
    for (const DisplayInfo &display : displays) {
        const QRectF window(screenCorner(&display, space), display.bounds.size() / scale);
        if (window.contains(point)) {
            holder = &display;
            break;
        }
    }
    if (!holder)
        holder = displayHolding(QPointF(), displays);
    const QPointF corner = screenCorner(holder, space);
    return corner + (point - corner) * scale - space.mainOrigin;
}

} // namespace platform

namespace platform {

WindowSpace Displays::windowSpace() const
{
    return {};
}

} // namespace platform
