#include "pressurecurve.h"

#include <cmath>

#include "store/ovmodels.h"

namespace driver {

namespace {

// Below this distance from the start or end point's x the response is flat.
constexpr double kFlatMargin = 0.001;

bool inUnitRange(double t)
{
    return t >= 0.0 && t <= 1.0;
}

double bezier(double t, double p0, double p1, double p2)
{
    return ((1 - t) * (1 - t) * p0 + 2 * (1 - t) * t * p1) + t * t * p2;
}

} // namespace

double pressureFullScale(const QString &devKey)
{
    return store::factsFor(devKey).pressureFullScale;
}

double yOnQuadraticCurve(double x, QPointF point1, QPointF point2, QPointF ctrlPoint,
                         bool *tBelowZero)
{
    const double x0 = point1.x(), y0 = point1.y();
    const double x1 = ctrlPoint.x(), y1 = ctrlPoint.y();
    const double x2 = point2.x(), y2 = point2.y();

    const double a = x0 - 2 * x1 + x2;
    const double b = 2 * (x1 - x0);
    const double c = x0 - x;
    double t;
    if (a == 0 && b != 0) {
        t = -c / b;
    } else {
        const double s = std::sqrt(b * b + (-4 * a) * c);
        const double t1 = (-b + s) / (2 * a);
        const double t2 = (-b - s) / (2 * a);
        if (inUnitRange(t1) && inUnitRange(t2)) {
            const double xt1 = bezier(t1, x0, x1, x2);
            const double xt2 = bezier(t2, x0, x1, x2);
            t = std::fabs(x - xt1) < std::fabs(x - xt2) ? t1 : t2;
        } else {
            t = inUnitRange(t1) ? t1 : t2;
        }
    }
    if (tBelowZero)
        *tBelowZero = t < 0;
    return bezier(t, y0, y1, y2);
}

float pressureFromCurve(quint16 pres, bool isMouseDown, double fullScale, QPointF ovP1,
                        QPointF ovP2, QPointF ovPC, bool *tBelowZero)
{
    if (tBelowZero)
        *tBelowZero = false;
    if (!isMouseDown)
        return 0.0f;
    const double p = pres / fullScale;
    if (p - ovP1.x() < kFlatMargin)
        return 0.0f;
    if (ovP2.x() - p < kFlatMargin)
        return 1.0f;
    return float(yOnQuadraticCurve(p, ovP1, ovP2, ovPC, tBelowZero));
}

} // namespace driver
