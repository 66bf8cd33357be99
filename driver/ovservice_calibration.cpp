// The calibration service of a pen display: the settings application sends
// the steps of a run (begin, four edges at orientation 0, five target
// points, end; or cancel, or the factory calibration), the pen's touches are
// checked and answered, and the end fits and stores the correction of the
// current orientation. The steps carry no device key: every connected pen
// display's service takes part in every run.

#include "ovservice.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "driver/driverlog.h"
#include "platform/log.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/workspace.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "store/ovrecttext.h"
#include "store/plistvalue.h"

namespace driver {

namespace {

constexpr int kTargetCount = 5;

const QLatin1String kOrientationKeys[] = {store::OVCFGMonitorCalibZD, store::OVCFGMonitorCalibND,
                                          store::OVCFGMonitorCalibOED, store::OVCFGMonitorCalibTSD};
const QLatin1String kMatrixKeys[] = {QLatin1String("A"), QLatin1String("B"), QLatin1String("C"),
                                     QLatin1String("D"), QLatin1String("E"), QLatin1String("F")};

QString orientationKey(quint64 orientation)
{
    return kOrientationKeys[orientation <= 3 ? orientation : 0];
}

// A step's flag: YES as a Boolean or a non-zero number; anything else (a
// missing key, a text) is NO.
bool stepFlag(const QVariantMap &info, QLatin1String key)
{
    return store::truthValue(info.value(key)).value_or(false);
}

// The target slot of a point step: an integer number 0..4.
std::optional<int> targetIndex(const QVariant &value)
{
    if (!store::isNumber(value))
        return std::nullopt;
    const double index = value.toDouble();
    if (!(index >= 0 && index < kTargetCount) || index != std::trunc(index))
        return std::nullopt;
    return int(index);
}

std::array<double, 6> coefficientsOf(const CalibMatrix &m)
{
    return {double(m.A), double(m.B), double(m.C), double(m.D), double(m.E), double(m.F)};
}

} // namespace

void OVService::monitorCalibRequest(const platform::Notification &notification)
{
    if (m_cleanedUp || !m_configMan)
        return;
    const QVariantMap &info = notification.userInfo;

    // The steps come from any process on the session bus: a point step the
    // slots cannot take is dropped whole, before it touches any state.
    std::optional<int> index;
    std::optional<QPointF> target;
    const bool pointStep = info.contains(store::OVMCPoint);
    if (pointStep || info.contains(store::OVMCIndex)) {
        index = targetIndex(info.value(store::OVMCIndex));
        if (!index) {
            qCWarning(lcDriver, "%s: cannot take calibration point: index missing or outside 0..4",
                      qUtf8Printable(m_devKey));
            return;
        }
    }
    if (pointStep) {
        const QVariant text = info.value(store::OVMCPoint);
        if (text.typeId() == QMetaType::QString)
            target = store::strictPointFromString(text.toString());
        if (!target) {
            qCWarning(lcDriver, "%s: cannot take calibration point: not a point", qUtf8Printable(m_devKey));
            return;
        }
    }

    // Every step sets the edge probes; a point, begin or end step so clears them.
    m_psminxing = stepFlag(info, store::OVMCMINX);
    m_psminying = stepFlag(info, store::OVMCMINY);
    m_psmaxxing = stepFlag(info, store::OVMCMAXX);
    m_psmaxying = stepFlag(info, store::OVMCMAXY);

    if (pointStep) {
        m_calibIdx = *index;
        m_psscrn[size_t(*index)] = *target;
    } else if (stepFlag(info, store::OVMCBegin)) {
        m_calibrating = true;
        // The run's touches are mapped without the correction they replace.
        m_calibration.calibrated = false;
        watchCalibrationRequester();
    } else if (stepFlag(info, store::OVMCEnd)) {
        const bool stored = fitCalibration();
        afterIfAlive(0, [this, stored] { respCalibResult(stored); });
    } else if (stepFlag(info, store::OVMCCancel)) {
        cancelCalibration();
    } else if (stepFlag(info, store::OVMCDefault)) {
        updateCalib(m_settings.ovDegree, true);
    }
}

void OVService::cancelCalibration()
{
    m_psminxing = m_psminying = m_psmaxxing = m_psmaxying = false;
    m_calibrating = false;
    updateCalib(m_settings.ovDegree, false);
}

void OVService::watchCalibrationRequester()
{
    // The workspace calls each watcher once; one is enough for every run
    // until the settings application goes.
    if (m_watchingRequester)
        return;
    m_watchingRequester = true;
    std::weak_ptr<bool> alive = m_alive;
    m_platform.workspace.watchDisappearance(QString::fromLatin1(platform::kSettingBundleId), [this, alive] {
        const auto a = alive.lock();
        if (!a || !*a)
            return;
        m_watchingRequester = false;
        // Without its requester a run would leave the pen display uncorrected
        // until the next load: it ends as the requester's cancel would end it.
        if (m_calibrating)
            cancelCalibration();
    });
}

bool OVService::fitCalibration()
{
    m_calibrating = false;
    for (size_t i = 0; i < size_t(kTargetCount); ++i) {
        m_calibrater.x[i] = truncatedCoordinate(m_psmapp[i].x());
        m_calibrater.y[i] = truncatedCoordinate(m_psmapp[i].y());
        m_calibrater.xfb[i] = truncatedCoordinate(m_psscrn[i].x());
        m_calibrater.yfb[i] = truncatedCoordinate(m_psscrn[i].y());
    }
    QStringList printed;
    const int ok = PerformCalibration(m_calibrater, &printed);
    for (const QString &line : printed)
        qCInfo(lcStdout, "%s", qUtf8Printable(line));
    if (!ok) {
        m_calibration.calibrated = false;
        return false;
    }

    // A configuration without the monitor category cannot hold the result;
    // the run then fails like a singular fit rather than correcting the pen
    // with a matrix that the next load would lose.
    const QVariant monitor = m_configMan->configurationList()
        ? m_configMan->configurationList()->value(store::OVCFGMonitor)
        : QVariant();
    if (monitor.typeId() != QMetaType::QVariantMap) {
        qCWarning(lcDriver, "%s: cannot store calibration: no monitor settings", qUtf8Printable(m_devKey));
        m_calibration.calibrated = false;
        return false;
    }

    // The edges of this run (orientation 0 only). A service that never had
    // all four accepted keeps its edge record: zero edges would leave the
    // pen display without an extent, mapping nothing.
    const bool edgesComplete = std::all_of(m_edgeAccepted.begin(), m_edgeAccepted.end(), [](bool a) { return a; });
    const bool storesEdges = m_settings.ovDegree == 0 && edgesComplete;

    const CalibMatrix matrix = matrixFromSamples(m_calibrater);
    const std::array<double, 6> values = coefficientsOf(matrix);
    QVariantMap entry;
    for (size_t i = 0; i < values.size(); ++i)
        entry.insert(kMatrixKeys[i], values[i]);
    // A configuration that never had a calibration starts an empty one.
    const QVariant stored = m_configMan->queryConfiguration(store::OVCFGMonitor, store::OVCFGMonitorCalib);
    QVariantMap calib = stored.typeId() == QMetaType::QVariantMap ? stored.toMap() : QVariantMap();
    const QString name = store::cusKey(orientationKey(m_settings.ovDegree));
    calib.insert(name, entry);

    // Everything this run writes, the matrix first; each must read back, or
    // the answer would promise a result the next load does not find.
    QList<std::pair<QLatin1String, QVariant>> writes { { store::OVCFGMonitorCalib, calib } };
    if (storesEdges) {
        writes.append({ store::OVCFGMonitorCalibMINXCus, store::stringFromPoint(m_psminx2) });
        writes.append({ store::OVCFGMonitorCalibMINYCus, store::stringFromPoint(m_psminy2) });
        writes.append({ store::OVCFGMonitorCalibMAXXCus, store::stringFromPoint(m_psmaxx2) });
        writes.append({ store::OVCFGMonitorCalibMAXYCus, store::stringFromPoint(m_psmaxy2) });
    }
    QList<std::pair<QLatin1String, QVariant>> previous;
    for (const auto &[key, value] : writes) {
        previous.append({ key, m_configMan->queryConfiguration(store::OVCFGMonitor, key) });
        m_configMan->updateConfiguration(store::OVCFGMonitor, key, value);
        if (m_configMan->queryConfiguration(store::OVCFGMonitor, key) == value)
            continue;
        // Nothing of a failed run stays: the earlier values go back, in
        // reverse, and the correction they hold is in force again.
        qCWarning(lcDriver, "%s: cannot store calibration: not kept", qUtf8Printable(m_devKey));
        for (auto it = previous.crbegin(); it != previous.crend(); ++it)
            m_configMan->updateConfiguration(store::OVCFGMonitor, it->first, it->second);
        updateCalib(m_settings.ovDegree, false);
        return false;
    }

    if (storesEdges) {
        m_calibration.cbDelta.minX = {truncatedCoordinate(m_psminx2.x()), truncatedCoordinate(m_psminx2.y())};
        m_calibration.cbDelta.minY = {truncatedCoordinate(m_psminy2.x()), truncatedCoordinate(m_psminy2.y())};
        m_calibration.cbDelta.maxX = {truncatedCoordinate(m_psmaxx2.x()), truncatedCoordinate(m_psmaxx2.y())};
        m_calibration.cbDelta.maxY = {truncatedCoordinate(m_psmaxy2.x()), truncatedCoordinate(m_psmaxy2.y())};
    }
    m_calibration.abcdef = matrix;
    m_calibration.calibrated = true;
    return true;
}

void OVService::respCalibResult(bool ok)
{
    m_platform.distributed.post(store::OVMCResponseDNotification, QString(), {{store::OVMCFinish, ok}});
}

void OVService::respCalibValid(bool valid)
{
    m_platform.distributed.post(store::OVMCResponseDNotification, QString(), {{store::OVMCValid, valid}});
}

void OVService::calibTablet()
{
    const PenState &pen = m_pipeline.penState();
    const EdgeCapture capture { pen.psminx1, pen.psminy1, pen.psmaxx1, pen.psmaxy1 };
    const std::array<std::tuple<bool, CalibEdge, QPointF *, QPointF>, 4> probes { {
        { m_psminxing, CalibEdge::Left, &m_psminx2, pen.psminx1 },
        { m_psminying, CalibEdge::Top, &m_psminy2, pen.psminy1 },
        { m_psmaxxing, CalibEdge::Right, &m_psmaxx2, pen.psmaxx1 },
        { m_psmaxying, CalibEdge::Bottom, &m_psmaxy2, pen.psmaxy1 },
    } };
    // One answer; with several probes set, the last one's check decides it.
    bool valid = false;
    for (size_t i = 0; i < probes.size(); ++i) {
        const auto &[probing, edge, accepted, captured] = probes[i];
        if (!probing)
            continue;
        valid = edgeTouchValid(edge, capture, m_calibration.cbDelta);
        if (valid) {
            *accepted = captured;
            m_edgeAccepted[i] = true;
        }
    }
    respCalibValid(valid);
}

void OVService::calibPoint(QPointF p)
{
    const size_t index = size_t(std::clamp(m_calibIdx, 0, kTargetCount - 1));
    const bool valid = pointTouchValid(m_psscrn[index], p);
    if (valid)
        m_psmapp[index] = p;
    respCalibValid(valid);
}

void OVService::updateCalib(quint64 orientation, bool reset)
{
    if (m_cleanedUp || !m_configMan)
        return;
    const QString name = orientationKey(orientation);
    const QVariant stored = m_configMan->queryConfiguration(store::OVCFGMonitor, store::OVCFGMonitorCalib);
    QVariantMap calib = stored.typeId() == QMetaType::QVariantMap ? stored.toMap() : QVariantMap();
    if (reset) {
        for (const QLatin1String edge : {store::OVCFGMonitorCalibMINXCus, store::OVCFGMonitorCalibMINYCus,
                                         store::OVCFGMonitorCalibMAXXCus, store::OVCFGMonitorCalibMAXYCus})
            m_configMan->updateConfiguration(store::OVCFGMonitor, edge, QVariant());
        // The other orientations keep their own calibration.
        if (stored.typeId() == QMetaType::QVariantMap) {
            calib.remove(store::cusKey(name));
            m_configMan->updateConfiguration(store::OVCFGMonitor, store::OVCFGMonitorCalib, calib);
        }
    }
    // The user's edge reading, else the factory one: x is the integer part,
    // y the fraction, both truncated.
    auto edge = [this](const QString &key) {
        QVariant text = m_configMan->queryConfiguration(store::OVCFGMonitor, store::cusKey(key));
        if (text.typeId() != QMetaType::QString)
            text = m_configMan->queryConfiguration(store::OVCFGMonitor, key);
        const QPointF p = text.typeId() == QMetaType::QString ? store::pointFromString(text.toString()) : QPointF();
        return std::pair<qint32, qint32>{truncatedCoordinate(p.x()), truncatedCoordinate(p.y())};
    };
    const auto minX = edge(store::OVCFGMonitorCalibMINX);
    const auto minY = edge(store::OVCFGMonitorCalibMINY);
    const auto maxX = edge(store::OVCFGMonitorCalibMAXX);
    const auto maxY = edge(store::OVCFGMonitorCalibMAXY);
    m_calibration.cbDelta.minX = {minX.first, minX.second};
    m_calibration.cbDelta.minY = {minY.first, minY.second};
    m_calibration.cbDelta.maxX = {maxX.first, maxX.second};
    m_calibration.cbDelta.maxY = {maxY.first, maxY.second};

    QVariant matrix = calib.value(store::cusKey(name));
    if (matrix.typeId() != QMetaType::QVariantMap)
        matrix = calib.value(name);
    if (matrix.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap m = matrix.toMap();
    auto coefficient = [&m](QLatin1String key) {
        bool ok = false;
        const double v = m.value(key).toDouble(&ok);
        return ok && std::isfinite(v) ? float(v) : 0.0f;
    };
    m_calibration.abcdef = {coefficient(kMatrixKeys[0]), coefficient(kMatrixKeys[1]), coefficient(kMatrixKeys[2]),
                            coefficient(kMatrixKeys[3]), coefficient(kMatrixKeys[4]), coefficient(kMatrixKeys[5])};
    m_calibration.calibrated = true;
}

} // namespace driver
