#pragma once

#include <QPointF>
#include <QString>

// The user's pressure response: a quadratic Bezier curve in the unit square
// from a start point on the bottom edge to an end point on the top edge, bent
// by a control point ("OVCFGBezier").
namespace driver {

// Raw full-scale pressure of the model, in report units: the Sorvi10 reports
// 10 bits, the Sorvi 22 11 bits, every other model 13 bits.
double pressureFullScale(const QString &devKey);

// The curve's y at x, start (x0, y0), end (x2, y2), control (x1, y1), in
// double precision. x(t) = x is solved in closed form; of two roots in 0..1
// the one whose x(t) lies nearer x is taken. tBelowZero (when given) is set
// when the chosen parameter is below 0, which the caller logs as "t < 0".
double yOnQuadraticCurve(double x, QPointF point1, QPointF point2, QPointF ctrlPoint,
                         bool *tBelowZero = nullptr);

// Pressure 0..1 of a raw sample: 0 unless a tip press is in progress; the
// curve's height at pres / fullScale, flat at 0 left of the start point and
// at 1 right of the end point (0.001 margin). May answer a non-finite value
// for a curve whose points are not finite; the mapping refuses it.
float pressureFromCurve(quint16 pres, bool isMouseDown, double fullScale, QPointF ovP1,
                        QPointF ovP2, QPointF ovPC, bool *tBelowZero = nullptr);

} // namespace driver
