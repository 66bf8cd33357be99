#include "penmapping.h"

#include <cmath>
#include <cstdlib>

#include "driver/pressurecurve.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"

namespace driver {

namespace {

// The fraction d of a unit position i + d / 256 (exact in float).
constexpr float kFraction = 0.00390625f;
// Largest change between two samples that the relative mode follows, in
// counts; a bigger one is a pen that left and came back elsewhere.
constexpr qint64 kRelativeJumpLimit = 512;
// Pen-display edge push: the band near each edge, in screen points, inside
// which the point is pushed outward so that the last pixels stay reachable
// with a pen whose tip cannot sit on the glass edge.
constexpr double kEdgeBand = 150.0;
constexpr float kEdgePushAlongX = 200.0f;
constexpr float kEdgePushAlongY = 100.0f;

enum class Edge { Left, Right, Top, Bottom };

// Where a tablet axis's minimum and maximum lie on the screen, and whether it
// drives the screen's x, per orientation 0..3.
struct AxisPlacement
{
    Edge min;
    Edge max;
    bool drivesX;
};
constexpr AxisPlacement kTabletX[4] = {{Edge::Left, Edge::Right, true},
                                       {Edge::Top, Edge::Bottom, false},
                                       {Edge::Right, Edge::Left, true},
                                       {Edge::Bottom, Edge::Top, false}};
constexpr AxisPlacement kTabletY[4] = {{Edge::Top, Edge::Bottom, false},
                                       {Edge::Right, Edge::Left, true},
                                       {Edge::Bottom, Edge::Top, false},
                                       {Edge::Left, Edge::Right, true}};

// An orientation outside 0..3 is taken as 0.
int orientationOf(const ServiceSettings &settings)
{
    return settings.ovDegree <= 3 ? int(settings.ovDegree) : 0;
}

bool finite(float a, float b)
{
    return std::isfinite(a) && std::isfinite(b);
}

// A scale: divided in double, rounded to float.
float scaleOf(double numerator, float denominator)
{
    return float(numerator / double(denominator));
}

// One point inside the given edge of M.
void placeInside(Edge edge, const QRectF &m, OVEventDataPost::Loc &loc)
{
    switch (edge) {
    case Edge::Left:
        loc.x = float(m.x() + 1);
        break;
    case Edge::Right:
        loc.x = float(m.x() + m.width() - 1);
        break;
    case Edge::Top:
        loc.y = float(m.y() + 1);
        break;
    case Edge::Bottom:
        loc.y = float(m.y() + m.height() - 1);
        break;
    }
}

void pushToward(Edge edge, float amount, OVEventDataPost::Loc &loc)
{
    switch (edge) {
    case Edge::Left:
        loc.x -= amount;
        break;
    case Edge::Right:
        loc.x += amount;
        break;
    case Edge::Top:
        loc.y -= amount;
        break;
    case Edge::Bottom:
        loc.y += amount;
        break;
    }
}

// The edge treatment of one tablet axis: reading R (i * 255 + d) against the
// far edge's reading rMax.
void pushNearEdge(qint64 r, qint64 rMax, double extent, const AxisPlacement &axis,
                  const QRectF &m, OVEventDataPost::Loc &loc)
{
    if (r == 0) {
        placeInside(axis.min, m, loc);
        return;
    }
    if (r > rMax) {
        placeInside(axis.max, m, loc);
        return;
    }
    const float ratio = float(double(r) / double(rMax));
    const float band = float(kEdgeBand / extent);
    const float k = axis.drivesX ? kEdgePushAlongX : kEdgePushAlongY;
    if (ratio < band)
        pushToward(axis.min, k * (band - ratio), loc);
    else if (ratio >= 1.0f - band)
        pushToward(axis.max, k * (ratio - (1.0f - band)), loc);
}

// false: a value on the way is not finite (a matrix or target that cannot be
// applied); the clamp would otherwise hide it at an edge.
bool prepareEventDataAbsolute(const MappingInput &input, const TabletArea &area,
                              const QRectF &m, OVEventDataPost::Loc &loc)
{
    const OVEventData::Loc &s = input.eventData.loc;
    const float ix = float(s.ix), dx = float(s.dx), iy = float(s.iy), dy = float(s.dy);
    const float w = area.width, h = area.height, x0 = area.x, y0 = area.y;
    float termX = 0;
    float termY = 0;
    switch (orientationOf(input.settings)) {
    case 0: {
        const float sx = scaleOf(m.width(), w);
        const float sy = scaleOf(m.height(), h);
        termX = (ix - x0) * sx + dx * (sx * kFraction);
        termY = (iy - y0) * sy + dy * (sy * kFraction);
        break;
    }
    case 1: {
        const float sx = scaleOf(m.width(), h);
        const float sy = scaleOf(m.height(), w);
        termX = (h - iy + y0) * sx - dy * (sx * kFraction);
        termY = (ix - x0) * sy + dx * (sy * kFraction);
        break;
    }
    case 2: {
        const float sx = scaleOf(m.width(), w);
        const float sy = scaleOf(m.height(), h);
        termX = (w - ix + x0) * sx - dx * (sx * kFraction);
        termY = (h - iy + y0) * sy - dy * (sy * kFraction);
        break;
    }
    case 3: {
        const float sx = scaleOf(m.width(), h);
        const float sy = scaleOf(m.height(), w);
        termX = (iy - y0) * sx + dy * (sx * kFraction);
        termY = (w - ix + x0) * sy - dx * (sy * kFraction);
        break;
    }
    }
    loc.x = float(m.x() + double(termX));
    loc.y = float(m.y() + double(termY));

    const MappingCalibration &calibration = input.calibration;
    if (calibration.calibrated) {
        const CalibMatrix &c = calibration.abcdef;
        const float x = loc.x, y = loc.y;
        loc.x = (c.B * y + c.A * x) + c.C;
        loc.y = (c.E * y + c.D * x) + c.F;
        if (input.model.correctionIsFinal)
            return finite(loc.x, loc.y);

        const CalibEdges &e = calibration.cbDelta;
        const int degree = orientationOf(input.settings);
        const qint64 rX = qint64(s.ix) * 255 + s.dx;
        const qint64 rMaxX = (qint64(e.minX.ix) + e.maxX.ix) * 255 + (qint64(e.minX.dx) + e.maxX.dx);
        pushNearEdge(rX, rMaxX, m.width(), kTabletX[degree], m, loc);
        const qint64 rY = qint64(s.iy) * 255 + s.dy;
        const qint64 rMaxY = (qint64(e.minY.iy) + e.maxY.iy) * 255 + (qint64(e.minY.dy) + e.maxY.dy);
        pushNearEdge(rY, rMaxY, m.height(), kTabletY[degree], m, loc);
    }
    if (!finite(loc.x, loc.y))
        return false;

    double x = loc.x;
    if (x < m.x() + 1)
        x = m.x() + 1;
    if (x > m.x() + m.width() - 1)
        x = m.x() + m.width() - 1;
    double y = loc.y;
    if (y < m.y() + 1)
        y = m.y() + 1;
    if (y > m.y() + m.height() - 1)
        y = m.y() + m.height() - 1;
    loc.x = float(x);
    loc.y = float(y);
    return true;
}

// false: the sample jumps too far.
bool prepareEventDataRelative(const MappingInput &input, const TabletArea &area,
                              const QRectF &m, OVEventDataPost::Loc &loc, bool &relativeInited)
{
    const OVEventData::Loc &s = input.eventData.loc;
    const OVEventData::Loc &last = input.lastEventData.loc;
    const qint64 dX = (qint64(s.ix) - last.ix) * 256 + (qint64(s.dx) - last.dx);
    if (std::llabs(dX) > kRelativeJumpLimit)
        return false;
    const qint64 dY = (qint64(s.iy) - last.iy) * 256 + (qint64(s.dy) - last.dy);
    if (std::llabs(dY) > kRelativeJumpLimit)
        return false;

    if (!relativeInited) {
        // The pointer's own position, already in the driver's top-left space.
        loc.x = float(input.pointerPosition.x());
        loc.y = float(input.pointerPosition.y());
        relativeInited = true;
    }

    const float w = area.width, h = area.height;
    const float fX = float(dX), fY = float(dY);
    const auto perCount = [](double numerator, float denominator) {
        return scaleOf(numerator, denominator) * kFraction;
    };
    float moveX = 0;
    float moveY = 0;
    // At 90 and 270 degrees x moves by M.h / W' and y by M.w / H', the
    // reverse of the absolute mapping's factors. Kept: the tracking speeds
    // users have chosen for a turned tablet are tuned to this movement.
    switch (orientationOf(input.settings)) {
    case 0:
        moveX = fX * perCount(m.width(), w);
        moveY = fY * perCount(m.height(), h);
        break;
    case 1:
        moveX = -fY * perCount(m.height(), w);
        moveY = fX * perCount(m.width(), h);
        break;
    case 2:
        moveX = -fX * perCount(m.width(), w);
        moveY = -fY * perCount(m.height(), h);
        break;
    case 3:
        moveX = fY * perCount(m.height(), w);
        moveY = -fX * perCount(m.width(), h);
        break;
    }
    double x = double(loc.x) + double(moveX) * input.settings.ovTS;
    double y = double(loc.y) + double(moveY) * input.settings.ovTS;
    if (x < m.x())
        x = m.x();
    if (x > m.x() + m.width())
        x = m.x() + m.width();
    if (y < m.y())
        y = m.y();
    if (y > m.y() + m.height())
        y = m.y() + m.height();
    loc.x = float(x);
    loc.y = float(y);
    return true;
}

} // namespace

MappingModel mappingModel(const store::ModelRow &row, bool firmware115, bool monitorNamePresent)
{
    MappingModel model;
    model.widthInch = row.widthInch;
    model.heightInch = row.heightInch;
    const bool fine = firmware115 && store::firmware115Variant(row);
    model.widthPortion = fine ? row.widthPortion115 : row.widthPortion;
    model.heightPortion = fine ? row.heightPortion115 : row.heightPortion;
    model.penDisplay = monitorNamePresent;
    model.correctionIsFinal = row.correctionIsFinal;
    model.pressureFullScale = row.pressureFullScale;
    return model;
}

MappingModel mappingModel(
    const QString &devKey, const platform::UserDefaults &defaults, bool monitorNamePresent)
{
    return mappingModel(store::factsFor(devKey), store::firmwareIs115(defaults), monitorNamePresent);
}

std::optional<TabletArea> tabletMapping(const MappingInput &input)
{
    const float wi = input.model.widthInch;
    const float hi = input.model.heightInch;
    float extentW = 0;
    float extentH = 0;
    if (input.model.penDisplay) {
        const CalibEdges &e = input.calibration.cbDelta;
        extentW = float(double(e.minX.ix) + e.minX.dx / 255.0 + e.maxX.ix + e.maxX.dx / 255.0);
        extentH = float(double(e.minY.iy) + e.minY.dy / 255.0 + e.maxY.iy + e.maxY.dy / 255.0);
    } else {
        extentW = input.model.widthPortion;
        extentH = input.model.heightPortion;
    }

    TabletArea area;
    if (input.settings.ovTMap == 0) {
        area.width = extentW;
        area.height = extentH;
    } else {
        const QRectF &frame = input.settings.ovTFrame;
        const double ox = frame.x(), oy = frame.y(), fw = frame.width(), fh = frame.height();
        area.width = float(fw / wi * extentW);
        area.x = extentW - float(extentW * (wi - ox - fw) / wi) - area.width;
        area.height = float(fh / hi * extentH);
        // The rectangle's origin is its lower-left corner; the device counts Y
        // from the top.
        area.y = extentH - float(extentH * oy / hi) - area.height;
    }
    // An empty or undefined area (a model of no size, a pen display without
    // edge readings, an empty rectangle) maps nothing: every scale divides by it.
    if (!(area.width > 0) || !(area.height > 0) || !finite(area.width, area.height)
        || !finite(area.x, area.y))
        return std::nullopt;
    if (input.settings.ovTMap == 0)
        return area;

    const float ix = float(input.eventData.loc.ix);
    if (ix - area.x < 1.0f)
        area.x = std::floor(area.x);
    if (area.x > ix || ix > area.x + area.width)
        return std::nullopt;
    const float iy = float(input.eventData.loc.iy);
    if (iy - area.y < 1.0f)
        area.y = std::floor(area.y);
    if (area.y > iy || !(iy <= area.y + area.height))
        return std::nullopt;
    return area;
}

QRectF monitorFrameFromNumber(const ScreenState &screens, quint32 number)
{
    for (const store::OVScreen &screen : screens.ovScreens) {
        if (screen.number() == number)
            return screen.frame();
    }
    return QRectF();
}

QRectF monitorFrameFromMap(const ServiceSettings &settings, const ScreenState &screens)
{
    switch (settings.ovMMap) {
    case 0:
        return screens.ovMTFrame;
    case 1:
        return store::flipRect(settings.ovMFrame, screens.mainDisplayHeight);
    case 2:
        return monitorFrameFromNumber(screens, settings.ovMNumber);
    default:
        return QRectF();
    }
}

std::optional<OVEventDataPost> prepareEventDataPost(const MappingInput &input,
                                                    MappingState &state, bool *tBelowZero)
{
    if (tBelowZero)
        *tBelowZero = false;
    const std::optional<TabletArea> area = tabletMapping(input);
    if (!area)
        return std::nullopt;
    const QRectF m = monitorFrameFromMap(input.settings, input.screens);
    // A missing target is the zero rectangle and still maps (to its corner);
    // a rectangle turned inside out or undefined does not.
    if (!std::isfinite(m.x()) || !std::isfinite(m.y()) || !std::isfinite(m.width())
        || !std::isfinite(m.height()) || m.width() < 0 || m.height() < 0)
        return std::nullopt;

    OVEventDataPost post = state.eventDataPost;
    bool relativeInited = state.relativeInited;
    switch (input.settings.ovCM) {
    case 0:
        if (!prepareEventDataAbsolute(input, *area, m, post.loc))
            return std::nullopt;
        break;
    case 1:
        if (!prepareEventDataRelative(input, *area, m, post.loc, relativeInited))
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }

    // prepareEventDataPressure: the tilt, then the pressure.
    const OVEventData::Tilt &tilt = input.eventData.tilt;
    post.ftilt.x = float(tilt.x / 90.0);
    post.ftilt.y = float(-tilt.y / 90.0);
    bool negativeT = false;
    post.fpres = pressureFromCurve(input.eventData.pres, input.isMouseDown,
                                   input.model.pressureFullScale, input.settings.ovP1,
                                   input.settings.ovP2, input.settings.ovPC, &negativeT);

    if (!finite(post.loc.x, post.loc.y) || !std::isfinite(post.fpres))
        return std::nullopt;
    state.eventDataPost = post;
    state.relativeInited = relativeInited;
    if (tBelowZero)
        *tBelowZero = negativeT;
    return post;
}

} // namespace driver
