#include "ovdefaults.h"

#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "store/plistvalue.h"

namespace store {

namespace {

// Factory action of each barrel button: indexes of the pen-button list.
constexpr qint64 kPenKeyUpDefault = 2;
constexpr qint64 kPenKeyDownDefault = 3;
// Default mapped portion of the screens, points (0, 0, 800, 600).
const QRectF kMonitorFrameDefault(0, 0, 800, 600);

QVariantMap coefficients(const CalibCoefficients &c, bool integers)
{
    QVariantMap matrix;
    const double values[] = { c.a, c.b, c.c, c.d, c.e, c.f };
    const char *names[] = { "A", "B", "C", "D", "E", "F" };
    for (int i = 0; i < 6; ++i) {
        matrix.insert(
            QString::fromLatin1(names[i]), integers ? QVariant(qint64(values[i])) : QVariant(values[i]));
    }
    return matrix;
}

QString pointText(const std::array<int, 2> &reading)
{
    return stringFromPoint(QPointF(reading[0], reading[1]));
}

void insertEdgeReadings(QVariantMap &monitor, const ModelCalibration &calibration)
{
    monitor.insert(OVCFGMonitorCalibMINX, pointText(calibration.minX));
    monitor.insert(OVCFGMonitorCalibMINY, pointText(calibration.minY));
    monitor.insert(OVCFGMonitorCalibMAXX, pointText(calibration.maxX));
    monitor.insert(OVCFGMonitorCalibMAXY, pointText(calibration.maxY));
}

QVariantMap penCategory()
{
    QVariantMap bezier;
    bezier.insert(OVCFGBezierP1, stringFromPoint(QPointF(0, 0)));
    bezier.insert(OVCFGBezierP2, stringFromPoint(QPointF(1, 1)));
    bezier.insert(OVCFGBezierPC, stringFromPoint(QPointF(0.5, 0.5)));

    QVariantMap pen;
    pen.insert(OVCFGPenKeyUpDef, kPenKeyUpDefault);
    pen.insert(OVCFGPenKeyDownDef, kPenKeyDownDefault);
    pen.insert(OVCFGDegree, qint64(0));
    pen.insert(OVCFGPressure, true);
    pen.insert(OVCFGTips, true);
    pen.insert(OVCFGKeyFun, true);
    pen.insert(OVCFGBezier, bezier);
    pen.insert(OVCFGCoordinateMode, qint64(0));
    pen.insert(OVCFGTrackingSpeed, double(float(kTrackingSpeedDefault)));
    return pen;
}

QVariantMap wheelCategory()
{
    QVariantMap wheel;
    for (int slot = 1; slot <= 3; ++slot)
        wheel.insert(defKey(OVCFGWheelKeyN(slot)), qint64(slot));
    wheel.insert(OVCFGWheelKeyCur, qint64(1));
    return wheel;
}

QVariantMap boardCategory(const ModelRow &row)
{
    QVariantMap board;
    for (size_t i = 0; i < row.boardKeyDefs.size() && row.boardKeyDefs[i] != 0; ++i)
        board.insert(defKey(OVCFGBoardKeyN(int(i) + 1)), qint64(row.boardKeyDefs[i]));
    return board;
}

QVariantMap monitorCategory(const ModelRow &row, bool withCalibration)
{
    QVariantMap monitor;
    if (row.penDisplay) {
        monitor.insert(OVCFGMonitorMap, qint64(2));
        monitor.insert(OVCFGMonitorName, QString::fromLatin1(row.monitorName));
        if (withCalibration && row.calibration) {
            const ModelCalibration &c = *row.calibration;
            QVariantMap calib;
            calib.insert(OVCFGMonitorCalibZD, coefficients(c.zeroDegrees, c.integerMatrix));
            calib.insert(OVCFGMonitorCalibND, coefficients(*c.ninetyDegrees, false));
            calib.insert(OVCFGMonitorCalibOED, coefficients(*c.oneEightyDegrees, false));
            calib.insert(OVCFGMonitorCalibTSD, coefficients(*c.twoSeventyDegrees, false));
            monitor.insert(OVCFGMonitorCalib, calib);
            insertEdgeReadings(monitor, c);
        }
    } else {
        monitor.insert(OVCFGMonitorMap, qint64(0));
    }
    monitor.insert(OVCFGMonitorFrame, stringFromRect(kMonitorFrameDefault));
    return monitor;
}

} // namespace

double trackingSpeedValue(const QVariant &value)
{
    const std::optional<double> speed = realValue(value);
    if (!speed || !(*speed >= kTrackingSpeedMin && *speed <= kTrackingSpeedMax))
        return kTrackingSpeedDefault;
    return double(float(*speed));
}

QRectF monitorFrameDefault()
{
    return kMonitorFrameDefault;
}

QVariantMap defaultConfiguration(const QString &devKey, bool withCalibration, const QString &tabletFrameText)
{
    const ModelRow &row = factsFor(devKey);
    QVariantMap configuration;
    configuration.insert(OVCFGPenKey, penCategory());
    if (row.wheel) {
        configuration.insert(OVCFGWheelKey, wheelCategory());
        configuration.insert(OVCFGRKApp, QVariantMap());
    }
    configuration.insert(OVCFGBoardKey, boardCategory(row));
    configuration.insert(OVCFGBKApp, QVariantMap());
    configuration.insert(OVCFGMonitor, monitorCategory(row, withCalibration));

    QVariantMap tablet;
    tablet.insert(OVCFGTabletMap, qint64(0));
    tablet.insert(OVCFGTabletFrame, tabletFrameText);
    configuration.insert(OVCFGTablet, tablet);
    return configuration;
}

std::optional<QVariantMap> importCalibrationPatch(const QString &devKey)
{
    const ModelRow &row = factsFor(devKey);
    if (!row.penDisplay || !row.calibration)
        return std::nullopt;
    const ModelCalibration &c = *row.calibration;
    QVariantMap calib;
    calib.insert(OVCFGMonitorCalibZD, coefficients(c.importZeroDegrees, c.integerMatrix));
    QVariantMap patch;
    patch.insert(OVCFGMonitorCalib, calib);
    insertEdgeReadings(patch, c);
    return patch;
}

} // namespace store
