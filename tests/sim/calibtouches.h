#pragma once

// The pen touches of a calibration run on a simulated Sorvi 22, as lines of
// a device script: the edge touches the driver's edge check takes and the
// touches its point check places on a target. The Sorvi 22 ("s" in the
// script) spans its own 1920 x 1080 display.

#include <cmath>

#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "store/ovdefaults.h"
#include "store/ovmodels.h"
#include "store/ovrecttext.h"

namespace calibtouch {

inline QVariantMap factoryMonitor()
{
    return store::defaultConfiguration(store::devKeyFor(store::Model::Sorvi22), true, QString())
        .value("OVCFGMonitor")
        .toMap();
}

// The far edge readings of the factory record, in counts (i * 255 + d).
inline int factoryCount(const char *key)
{
    const QPointF p = store::pointFromString(factoryMonitor().value(QLatin1String(key)).toString());
    return int(p.x()) * 255 + int(p.y());
}

inline QString hexByte(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
}

// One touch: hover, tip down, lift, then a second so that the next touch is
// no double click. Position bytes as the report carries them.
inline QString touchBytes(int xHigh, int xLow, int yHigh, int yLow)
{
    const QString at = hexByte(xHigh) + ' ' + hexByte(xLow) + ' ' + hexByte(yHigh) + ' ' + hexByte(yLow);
    return QStringLiteral("report s 01 A0 %1 00 00 00\n"
                          "report s 01 41 %1 40 00 00\n"
                          "report s 01 A0 %1 00 00 00\n"
                          "wait 1\n")
        .arg(at);
}

// A touch whose edge readings are these counts (radix 255, as the edge
// check reads them).
inline QString edgeTouch(int xCount, int yCount)
{
    return touchBytes(xCount / 255, xCount % 255, yCount / 255, yCount % 255);
}

// The left, top, right and bottom edge touches: within 511 counts of the
// edge, near the middle of the other axis.
inline QStringList edgeTouches()
{
    const int mx = factoryCount("OVCFGMonitorCalibMAXX");
    const int my = factoryCount("OVCFGMonitorCalibMAXY");
    return { edgeTouch(300, my / 2 - 511), edgeTouch(mx / 2 + 511, 200), edgeTouch(mx - 77, my / 2 - 511),
        edgeTouch(mx / 2 + 511, my - 44) };
}

// A touch that the uncorrected mapping places at (x, y) of the display or a
// hair beyond, so that the fit's truncation to whole points gives exactly
// (x, y). The display spans the factory extent: X 0 .. MAXX, Y 0 .. MAXY,
// read as i + d / 256. At 90 degrees tablet X drives screen y and tablet Y
// screen x, shrinking.
inline QString pointTouch(double x, double y, int degree = 0)
{
    const QPointF maxX = store::pointFromString(factoryMonitor().value("OVCFGMonitorCalibMAXX").toString());
    const QPointF maxY = store::pointFromString(factoryMonitor().value("OVCFGMonitorCalibMAXY").toString());
    auto count = [](double points, double extentPoints, double extentUnits) {
        int c = int(std::ceil((points + 0.01) / (extentPoints / extentUnits) * 256));
        if (c % 256 == 255) // no report byte says 255 on these panels
            ++c;
        return c;
    };
    const double w = maxX.x() + maxX.y() / 255, h = maxY.x() + maxY.y() / 255;
    if (degree == 1) {
        const int cx = count(y, 1080, w);
        const int cy = int(std::floor((h - (x + 0.01) * h / 1920) * 256));
        return touchBytes(cx / 256, cx % 256, cy / 256, cy % 256);
    }
    const int cx = count(x, 1920, w);
    const int cy = count(y, 1080, h);
    return touchBytes(cx / 256, cx % 256, cy / 256, cy % 256);
}

// The targets, 150 points inside the corners, and the centre.
inline const QPointF kTargets[5] = { { 150, 150 }, { 1770, 150 }, { 150, 930 }, { 1770, 930 }, { 960, 540 } };

} // namespace calibtouch
