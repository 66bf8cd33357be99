#include "calibsolver.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace driver {

namespace {

// The fit refuses point sets whose normal matrix is this close to singular.
constexpr double kMinDeterminant = 0.1;
// Fixed-point scale of the coefficients.
constexpr float kScale = 65536.0f;
constexpr qint32 kScaleInt = 65536;

// A touch counts within this many counts of the probed edge...
constexpr qint64 kEdgeTolerance = 511;
// ...and within this many of the middle of that edge on the other axis.
constexpr qint64 kAlongEdgeTolerance = 1023;
// The middle the check aims at is offset by 511 counts from the true half.
constexpr qint64 kMiddleOffset = 511;
// A target point's touch may miss it by this many points on either axis.
constexpr double kPointTolerance = 100.0;

std::optional<qint32> scaled(float value)
{
    const float v = value * kScale;
    if (!std::isfinite(v) || v >= 2147483648.0f || v < -2147483648.0f)
        return std::nullopt;
    return qint32(v);
}

QString threeValues(float a, float b, float c)
{
    return QString::asprintf("%f %f %f", double(a), double(b), double(c));
}

} // namespace

qint32 truncatedCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<qint32>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<qint32>::min();
    return qint32(value);
}

int PerformCalibration(CalibSamples &samples, QStringList *printed)
{
    // Products are taken in integers and converted; 64 bits, so that no
    // coordinate a notification can carry overflows them.
    float n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (size_t j = 0; j < 5; ++j) {
        const qint64 x = samples.x[j], y = samples.y[j];
        n += 1.0f;
        sx += float(x);
        sy += float(y);
        sxx += float(x * x);
        syy += float(y * y);
        sxy += float(x * y);
    }

    const float det = n * (sxx * syy - sxy * sxy) + sx * (sxy * sy - sx * syy)
        + sy * (sx * sxy - sy * sxx);
    if (double(det) < kMinDeterminant && double(det) > -kMinDeterminant) {
        if (printed)
            printed->append(QString::asprintf("ts_calibrate: determinant is too small -- %f", double(det)));
        return 0;
    }

    // The inverse of the symmetric normal matrix.
    const float a = (sxx * syy - sxy * sxy) / det;
    const float b = (sxy * sy - sx * syy) / det;
    const float c = (sx * sxy - sy * sxx) / det;
    const float e = (n * syy - sy * sy) / det;
    const float f = (sx * sy - n * sxy) / det;
    const float i = (n * sxx - sx * sx) / det;

    std::array<qint32, 7> result{};
    const std::array<qint32, 5> *targets[2] = {&samples.xfb, &samples.yfb};
    bool representable = true;
    for (int axis = 0; axis < 2; ++axis) {
        float z = 0, zx = 0, zy = 0;
        for (size_t j = 0; j < 5; ++j) {
            const qint64 t = (*targets[axis])[j];
            z += float(t);
            zx += float(t * samples.x[j]);
            zy += float(t * samples.y[j]);
        }
        const float c0 = a * z + b * zx + c * zy;
        const float c1 = b * z + e * zx + f * zy;
        const float c2 = c * z + f * zx + i * zy;
        if (printed)
            printed->append(threeValues(c0, c1, c2));
        const auto s0 = scaled(c0), s1 = scaled(c1), s2 = scaled(c2);
        if (!s0 || !s1 || !s2) {
            representable = false;
            continue;
        }
        result[size_t(axis * 3)] = *s0;
        result[size_t(axis * 3 + 1)] = *s1;
        result[size_t(axis * 3 + 2)] = *s2;
    }
    if (!representable)
        return 0;
    result[6] = kScaleInt;
    samples.a = result;
    return 1;
}

CalibMatrix matrixFromSamples(const CalibSamples &samples)
{
    const auto &a = samples.a;
    const double a6 = a[6];
    auto coefficient = [a6](qint32 v) { return a6 != 0 ? float(double(v) / a6) : 0.0f; };
    CalibMatrix m;
    m.A = coefficient(a[1]);
    m.B = coefficient(a[2]);
    m.C = coefficient(a[0]);
    m.D = coefficient(a[4]);
    m.E = coefficient(a[5]);
    m.F = coefficient(a[3]);
    return m;
}

qint64 edgeCount(QPointF reading)
{
    // The captured parts are report bytes; anything else is held in range.
    return truncatedCoordinate(reading.x() * 255 + reading.y());
}

bool edgeTouchValid(CalibEdge edge, const EdgeCapture &capture, const CalibEdges &cbDelta)
{
    const qint64 mx = qint64(cbDelta.maxX.ix) * 255 + cbDelta.maxX.dx;
    const qint64 my = qint64(cbDelta.maxY.iy) * 255 + cbDelta.maxY.dy;
    // Halves round toward zero, as integer division does.
    const qint64 middleOfSide = my / 2 - kMiddleOffset; // along the left and right edges
    const qint64 middleOfTopBottom = mx / 2 + kMiddleOffset; // along the top and bottom edges
    auto near = [](qint64 a, qint64 b, qint64 tolerance) { return std::llabs(a - b) <= tolerance; };
    switch (edge) {
    case CalibEdge::Left:
        return edgeCount(capture.minx1) <= kEdgeTolerance
            && near(middleOfSide, edgeCount(capture.miny1), kAlongEdgeTolerance);
    case CalibEdge::Top:
        return edgeCount(capture.miny1) <= kEdgeTolerance
            && near(middleOfTopBottom, edgeCount(capture.minx1), kAlongEdgeTolerance);
    case CalibEdge::Right:
        return near(mx, edgeCount(capture.maxx1), kEdgeTolerance)
            && near(middleOfSide, edgeCount(capture.maxy1), kAlongEdgeTolerance);
    case CalibEdge::Bottom:
        return near(middleOfTopBottom, edgeCount(capture.maxx1), kAlongEdgeTolerance)
            && near(my, edgeCount(capture.maxy1), kEdgeTolerance);
    }
    return false;
}

bool pointTouchValid(QPointF target, QPointF mapped)
{
    const float dx = float(target.x() - mapped.x());
    const float dy = float(target.y() - mapped.y());
    // A difference that is not a number is no touch near the target.
    return std::fabs(dx) <= kPointTolerance && std::fabs(dy) <= kPointTolerance;
}

} // namespace driver
