#pragma once

#include <optional>

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

// Geometry of the two area views of the settings application: the tablet
// area view (inches, minimum 1.6 x 0.9) and the monitor area view (desktop
// points, minimum 320 x 180). Both draw a whole area to scale and let the
// user move and resize a rectangle inside it with four edge handles and a
// drag area; the pages' four number fields follow the same limits. Pure
// functions, no widgets: each view keeps its own state and calls these.
//
// Coordinates: the model space of a view is y-up (origin at the bottom-left
// of the area, as the stored rectangles are), the widget's space is Qt's
// y-down. areaTransform() does the flip, so a view draws in model units after
// painter.setTransform(areaTransform(...)). Text drawn that way would be
// upside down: map its anchor point with the transform and draw it untransformed.
//
// Point-in-rectangle tests are half-open (x in [left, right), y in
// [bottom, top)) as the views have always tested them: a handle of size 0 is
// never hit, and a point on the far edge of the drag area is outside it.
namespace settings::area {

// Which part of the rectangle a press grabbed.
enum class Handle { None, Left, Right, Up, Down, Drag };

// The rectangle's handles, in model units. Up is the handle on the top edge
// (the larger y), Down the one on the bottom edge.
struct Handles
{
    QRectF left, right, up, down;
    QRectF drag; // the rectangle inset by 4 x edge on every side
};

// The typed number fields of a page, in the order x, y, width, height.
enum class Field { X, Y, Width, Height };

// Widget point of a model point: scale s = min(view width / area width,
// view height / area height), the area's bottom-left corner on the view's
// bottom-left corner, y flipped. An area without width or height (or a
// non-finite one) gives the identity flip of scale 1 at the area's origin.
QTransform areaTransform(const QRectF &area, const QSizeF &viewSize);
// The scale factor of areaTransform() (widget pixels per model unit).
double areaScale(const QRectF &area, const QSizeF &viewSize);

// Squares of side dlen centred on the middles of the rectangle's four edges,
// and the drag area (the rectangle inset by 4 x edge).
Handles handlesFor(const QRectF &rect, double edge, double dlen);
// A square of the given side centred on a point (the corner marks and the
// handles are drawn as such).
QRectF squareAt(QPointF centre, double side);

// Half-open: left <= x < right and bottom <= y < top. Empty rectangles hold
// nothing.
bool containsHalfOpen(const QRectF &rect, QPointF point);

// The first handle that holds the point, in the order left, right, up,
// down, drag; None when no handle does.
Handle hitHandle(const Handles &handles, QPointF point);

// One step of a drag by `delta` (model units, y-up) on the grabbed handle of
// rect inside area, with the minimum size:
//   left:  x' = min(R.x + R.w - min.w, max(A.x, R.x + dx)), the right edge kept
//   right: w' = max(min.w, R.w + dx), cut to A's right edge - R.x
//   up:    h' = max(min.h, R.h + dy), cut to A's top - R.y
//   down:  y' = min(R.y + R.h - min.h, max(A.y, R.y + dy)), the top edge kept
//   drag:  each origin coordinate v' = min(A's far edge - R's size, max(A's origin, v + d))
// A resize that leaves the rectangle as it was answers nullopt: the view then
// keeps its reference point, so the handle resumes only when the pointer
// comes back to where the limit was reached. A drag always answers a
// rectangle (possibly the same). None answers nullopt.
std::optional<QRectF> dragStep(
    Handle handle, const QRectF &rect, const QRectF &area, QPointF delta, QSizeF minimum);

// A value typed into one of the four fields, applied to rect inside area:
//   x:      x' = min(A.x + A.w - R.w, max(A.x, v)), the size kept
//   y:      y' = min(A.y + A.h - R.h, max(A.y, v)), the size kept
//   width:  w' = max(min.w, v), but A's right edge - R.x when R.x + w' passes it
//   height: h' = max(min.h, v), but A's top - R.y when R.y + h' passes it
// So a typed position keeps the rectangle inside the area, as a drag does.
// The caller shows the field's coordinate of the result.
QRectF typedValue(Field field, double value, const QRectF &rect, const QRectF &area, QSizeF minimum);
// The coordinate a field shows: x, y, width or height.
double fieldValue(Field field, const QRectF &rect);

// The cursor over a handle: left-right resize on the side handles, up-down
// resize on the top and bottom ones, the open hand in the drag area, the
// arrow elsewhere.
Qt::CursorShape cursorShapeFor(Handle handle);

// One pointer move of a press held on `handle`, from the reference point
// `from` to `to` (view pixels, mapped to model units with viewToModel): the
// step of dragStep(). nullopt when `to` lies outside the view's bounds
// (half-open) or the step changes nothing; the view moves its reference
// point to `to` only on an answer.
std::optional<QRectF> dragBetween(Handle handle, const QRectF &rect, const QRectF &area, QSizeF minimum,
    const QTransform &viewToModel, const QRectF &viewBounds, QPointF from, QPointF to);

// The rectangle lies within the area, edges included.
bool insideArea(const QRectF &rect, const QRectF &area);
// The rectangle put inside the area: each side cut to the area's, then the
// origin held between the area's origin and its far edge minus the size (a
// rectangle already inside comes back as it was).
QRectF keepInside(const QRectF &rect, const QRectF &area);

} // namespace settings::area
