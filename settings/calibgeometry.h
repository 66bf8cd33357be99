#pragma once

#include <array>
#include <limits>
#include <optional>

#include <QChar>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include "platform/displays.h"

// Geometry of the pen-display calibration window: which display it covers,
// where the five targets lie, and where the edge arrow, the crosshair and
// their hints are drawn. Pure functions, no widgets.
//
// Two spaces: the global display space of the driver's events (origin at the
// main display's top-left corner, y down) for the targets sent to the driver,
// and the calibration view's own space, y up from its bottom-left corner as
// the view's drawing rules are stated, for the drawing. CalibView maps the
// latter onto its widget.
namespace settings::calib {

// The edge or target being probed, when none is.
inline constexpr qint64 kNone = std::numeric_limits<qint64>::max();
// The four edges in the order they are probed; the driver's step keys follow
// the same order ("OVMCMINX", "OVMCMINY", "OVMCMAXX", "OVMCMAXY").
enum Edge : qint64 { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };
inline constexpr int kTargetCount = 5;
// How far inside each corner the four corner targets lie, points.
inline constexpr double kTargetInset = 150;
// Half the length of each crosshair line, points.
inline constexpr double kCrossHalf = 20;

// The display to calibrate, from the online displays in their list order
// (the main one first; at most the first six are looked at):
//  1. the display the pen is mapped to, when `mapped` names one that is online
//     (the page passes "OVCFGMonitorNumber" only while "OVCFGMonitorMap" is 2);
//  2. else the first display whose name is not empty and occurs in `names`
//     ("OVCFGMonitorName"), or whose name is empty and that is not built in;
//  3. else the main display.
// nullopt when no display is online.
std::optional<platform::DisplayInfo> calibrationDisplay(
    const QList<platform::DisplayInfo> &displays, const QString &names, std::optional<quint32> mapped);

// The five targets in the global display space of the target display (x, y,
// w, h): 0 top left (x + 150, y + 150), 1 top right (x + w - 150, y + 150),
// 2 bottom left (x + 150, y + h - 150), 3 bottom right (x + w - 150,
// y + h - 150), 4 the centre (x + w/2, y + h/2).
std::array<QPointF, kTargetCount> targetPoints(const QRectF &display);
// The same five targets in the view's y-up space, for a view whose frame
// (X, Y, W, H) covers the display: 0 (X + 150, Y + H - 150), 1 (X + W - 150,
// Y + H - 150), 2 (X + 150, Y + 150), 3 (X + W - 150, Y + 150), 4 the centre.
std::array<QPointF, kTargetCount> viewPoints(const QRectF &frame);
// Midpoints of the left, top, right and bottom edges of the view's bounds,
// y up: (x, y + h/2), (x + w/2, y + h), (x + w, y + h/2), (x + w/2, y).
std::array<QPointF, 4> edgeMidpoints(const QRectF &bounds);

// The arrow glyph of an edge: U+2190 left, U+2191 up (the top edge), U+2192
// right, U+2193 down (the bottom edge).
QChar arrowGlyph(qint64 edge);

// Where the edge arrow is drawn and where its hint goes (both bottom-left
// origins, y up), with m the edge's midpoint, the glyph's size g and the
// hint's size t:
//   left:   glyph (m.x - 4, m.y),       hint (m.x - 4 + g.w + 10, m.y + (g.h - t.h)/2)
//   top:    glyph (m.x, m.y - g.h + 12), hint (m.x + (g.w - t.w)/2, m.y - g.h + 12 - t.h - 10)
//   right:  glyph (m.x - g.w + 4, m.y),  hint (m.x - g.w + 4 - t.w - 10, m.y + (g.h - t.h)/2)
//   bottom: glyph (m.x, m.y - 12),       hint (m.x + (g.w - t.w)/2, m.y - 12 + g.h)
struct ArrowPlacement
{
    QPointF glyph;
    QPointF hint;
};
ArrowPlacement arrowPlacement(qint64 edge, QPointF midpoint, QSizeF glyph, QSizeF hint);

// The crosshair's hint origin (bottom-left, y up) beside target p: right of
// the cross for the left targets 0 and 2 (p.x + 20, p.y - t.h/2), left of it
// for the right targets 1 and 3 (p.x - 20 - t.w, p.y - t.h/2), and centred
// below the centre target (p.x - t.w/2, p.y - 70).
QPointF crosshairHintOrigin(qint64 index, QPointF p, QSizeF hint);

} // namespace settings::calib
