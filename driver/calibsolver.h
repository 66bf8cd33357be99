#pragma once

#include <array>

#include <QPointF>
#include <QStringList>
#include <QtGlobal>

#include "driver/calibtypes.h"

// The checks of a pen display's calibration touches and the five-point fit
// that turns the accepted touches into the affine correction. Pure functions:
// the device service feeds them what the pen and the settings application
// sent and stores what they answer.
namespace driver {

// The fit's input and output: the pen's points (x, y) as the uncorrected
// mapping placed them, the targets (xfb, yfb) they belong to, and the seven
// coefficients: x' = (a0 + a1 x + a2 y) / a6, y' = (a3 + a4 x + a5 y) / a6.
struct CalibSamples
{
    std::array<qint32, 5> x{};
    std::array<qint32, 5> xfb{};
    std::array<qint32, 5> y{};
    std::array<qint32, 5> yfb{};
    std::array<qint32, 7> a{};
};

// Least-squares fit of the five point pairs in single precision, the
// coefficients scaled by 65536 and truncated, so a6 is 65536. Answers 1 and
// fills samples.a, or 0 and leaves samples.a untouched: when the points do
// not span the plane (the determinant lies within 0.1 of 0), or when a
// coefficient does not fit a 32-bit integer. printed receives the lines the
// fit prints on standard output, without line ends: the determinant refusal,
// or the two lines of unscaled x and y coefficients.
int PerformCalibration(CalibSamples &samples, QStringList *printed = nullptr);

// The correction a successful fit stands for (each coefficient divided by a6
// in double precision, rounded to float).
CalibMatrix matrixFromSamples(const CalibSamples &samples);

// The four edges a calibration run probes, in the order the requester sends
// them.
enum class CalibEdge { Left, Top, Right, Bottom };

// The readings the pen-display decoders captured during an edge probe, each
// as (integer part, fraction in 1/255).
struct EdgeCapture
{
    QPointF minx1; // X while the left or top edge is probed
    QPointF miny1; // Y while the left or top edge is probed
    QPointF maxx1; // X while the right or bottom edge is probed
    QPointF maxy1; // Y while the right or bottom edge is probed
};

// A captured reading as one count: integer part * 255 + fraction, truncated.
qint64 edgeCount(QPointF reading);

// Whether a touch during the probe of `edge` counts: the probed coordinate
// lies within 511 counts of that edge (0 for left and top, the stored far
// reading of cbDelta for right and bottom), and the other coordinate within
// 1023 counts of the edge's middle.
bool edgeTouchValid(CalibEdge edge, const EdgeCapture &capture, const CalibEdges &cbDelta);

// Whether a touch at `mapped` (global points, uncorrected) belongs to the
// target: no more than 100 points away on either axis.
bool pointTouchValid(QPointF target, QPointF mapped);

// A coordinate truncated toward zero to a 32-bit integer; out-of-range values
// are held at the ends of the range and a value that is not a number is 0.
qint32 truncatedCoordinate(double value);

} // namespace driver
