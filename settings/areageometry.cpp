#include "settings/areageometry.h"

#include <algorithm>
#include <cmath>

namespace settings::area {

namespace {

// Model rectangles are y-up: y is the bottom edge, y + height the top edge.
double rightOf(const QRectF &r)
{
    return r.x() + r.width();
}

double topOf(const QRectF &r)
{
    return r.y() + r.height();
}

bool usable(const QRectF &area)
{
    return std::isfinite(area.x()) && std::isfinite(area.y()) && std::isfinite(area.width())
        && std::isfinite(area.height()) && area.width() > 0 && area.height() > 0;
}

} // namespace

double areaScale(const QRectF &area, const QSizeF &viewSize)
{
    if (!usable(area))
        return 1;
    return std::min(viewSize.width() / area.width(), viewSize.height() / area.height());
}

QTransform areaTransform(const QRectF &area, const QSizeF &viewSize)
{
    const double s = areaScale(area, viewSize);
    const QPointF origin = usable(area) ? area.topLeft() : QPointF();
    // widget x = (x - A.x) * s; widget y = view height - (y - A.y) * s
    return QTransform(s, 0, 0, -s, -origin.x() * s, viewSize.height() + origin.y() * s);
}

QRectF squareAt(QPointF centre, double side)
{
    return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side);
}

Handles handlesFor(const QRectF &rect, double edge, double dlen)
{
    const double midX = rect.x() + rect.width() / 2;
    const double midY = rect.y() + rect.height() / 2;
    Handles h;
    h.left = squareAt(QPointF(rect.x(), midY), dlen);
    h.right = squareAt(QPointF(rightOf(rect), midY), dlen);
    h.up = squareAt(QPointF(midX, topOf(rect)), dlen);
    h.down = squareAt(QPointF(midX, rect.y()), dlen);
    const double inset = 4 * edge;
    h.drag = QRectF(rect.x() + inset, rect.y() + inset, rect.width() - 2 * inset, rect.height() - 2 * inset);
    return h;
}

bool containsHalfOpen(const QRectF &rect, QPointF point)
{
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return false;
    return point.x() >= rect.x() && point.x() < rightOf(rect) && point.y() >= rect.y()
        && point.y() < topOf(rect);
}

Handle hitHandle(const Handles &handles, QPointF point)
{
    if (containsHalfOpen(handles.left, point))
        return Handle::Left;
    if (containsHalfOpen(handles.right, point))
        return Handle::Right;
    if (containsHalfOpen(handles.up, point))
        return Handle::Up;
    if (containsHalfOpen(handles.down, point))
        return Handle::Down;
    if (containsHalfOpen(handles.drag, point))
        return Handle::Drag;
    return Handle::None;
}

std::optional<QRectF> dragStep(
    Handle handle, const QRectF &rect, const QRectF &area, QPointF delta, QSizeF minimum)
{
    QRectF r = rect;
    switch (handle) {
    case Handle::None:
        return std::nullopt;
    case Handle::Left: {
        const double right = rightOf(rect);
        const double x = std::min(right - minimum.width(), std::max(area.x(), rect.x() + delta.x()));
        if (x == rect.x())
            return std::nullopt;
        r.setX(x);
        r.setWidth(right - x);
        return r;
    }
    case Handle::Right: {
        double w = std::max(minimum.width(), rect.width() + delta.x());
        if (rect.x() + w > rightOf(area))
            w = rightOf(area) - rect.x();
        if (w == rect.width())
            return std::nullopt;
        r.setWidth(w);
        return r;
    }
    case Handle::Up: {
        double h = std::max(minimum.height(), rect.height() + delta.y());
        if (rect.y() + h > topOf(area))
            h = topOf(area) - rect.y();
        if (h == rect.height())
            return std::nullopt;
        r.setHeight(h);
        return r;
    }
    case Handle::Down: {
        const double top = topOf(rect);
        const double y = std::min(top - minimum.height(), std::max(area.y(), rect.y() + delta.y()));
        if (y == rect.y())
            return std::nullopt;
        r.setY(y);
        r.setHeight(top - y);
        return r;
    }
    case Handle::Drag:
        r.moveTo(std::min(rightOf(area) - rect.width(), std::max(area.x(), rect.x() + delta.x())),
            std::min(topOf(area) - rect.height(), std::max(area.y(), rect.y() + delta.y())));
        return r;
    }
    return std::nullopt;
}

QRectF typedValue(Field field, double value, const QRectF &rect, const QRectF &area, QSizeF minimum)
{
    QRectF r = rect;
    switch (field) {
    case Field::X:
        r.moveLeft(std::min(rightOf(area) - rect.width(), std::max(area.x(), value)));
        break;
    case Field::Y:
        r.moveTop(std::min(topOf(area) - rect.height(), std::max(area.y(), value)));
        break;
    case Field::Width: {
        double w = std::max(minimum.width(), value);
        if (rect.x() + w > rightOf(area))
            w = rightOf(area) - rect.x();
        r.setWidth(w);
        break;
    }
    case Field::Height: {
        double h = std::max(minimum.height(), value);
        if (rect.y() + h > topOf(area))
            h = topOf(area) - rect.y();
        r.setHeight(h);
        break;
    }
    }
    return r;
}

double fieldValue(Field field, const QRectF &rect)
{
    switch (field) {
    case Field::X:
        return rect.x();
    case Field::Y:
        return rect.y();
    case Field::Width:
        return rect.width();
    case Field::Height:
        return rect.height();
    }
    return 0;
}

Qt::CursorShape cursorShapeFor(Handle handle)
{
    switch (handle) {
    case Handle::Left:
    case Handle::Right:
        return Qt::SizeHorCursor;
    case Handle::Up:
    case Handle::Down:
        return Qt::SizeVerCursor;
    case Handle::Drag:
        return Qt::OpenHandCursor;
    case Handle::None:
        break;
    }
    return Qt::ArrowCursor;
}

std::optional<QRectF> dragBetween(Handle handle, const QRectF &rect, const QRectF &area, QSizeF minimum,
    const QTransform &viewToModel, const QRectF &viewBounds, QPointF from, QPointF to)
{
    if (!containsHalfOpen(viewBounds, to))
        return std::nullopt;
    return dragStep(handle, rect, area, viewToModel.map(to) - viewToModel.map(from), minimum);
}

bool insideArea(const QRectF &rect, const QRectF &area)
{
    return rect.x() >= area.x() && rect.y() >= area.y() && rightOf(rect) <= rightOf(area)
        && topOf(rect) <= topOf(area);
}

QRectF keepInside(const QRectF &rect, const QRectF &area)
{
    const double w = std::min(rect.width(), area.width());
    const double h = std::min(rect.height(), area.height());
    const double x = std::min(rightOf(area) - w, std::max(area.x(), rect.x()));
    const double y = std::min(topOf(area) - h, std::max(area.y(), rect.y()));
    return QRectF(x, y, w, h);
}

} // namespace settings::area
