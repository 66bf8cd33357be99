#include "settingsreload.h"

#include <cmath>

#include "store/ovdefaults.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/plistvalue.h"
#include "store/ovrecttext.h"

namespace driver {

namespace {

QPointF pointValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return QPointF();
    return store::pointFromString(value.toString());
}

QRectF rectValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return QRectF();
    return store::rectFromString(value.toString());
}

QVariant query(const QVariantMap &configuration, QLatin1String category, QLatin1String key)
{
    return configuration.value(category).toMap().value(key);
}

} // namespace

std::optional<QStringList> namesToReload(const QVariantMap &userInfo, const QString &devKey)
{
    if (userInfo.isEmpty() || devKey.isEmpty())
        return std::nullopt;
    const QString key = userInfo.lastKey();
    if (key != devKey)
        return std::nullopt;
    const QVariant value = userInfo.value(key);
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return std::nullopt;
    QStringList names;
    for (const QVariant &entry : value.toList()) {
        if (entry.typeId() == QMetaType::QString)
            names.append(entry.toString());
    }
    return names;
}

ReloadOutcome reloadSettings(const QString &devKey, const QStringList &names,
                             const QVariantMap &configuration, ServiceSettings &settings)
{
    return reloadSettings(store::factsFor(devKey), names, configuration, settings);
}

ReloadOutcome reloadSettings(const store::ModelRow &row, const QStringList &names,
    const QVariantMap &configuration, ServiceSettings &settings)
{
    using namespace store;
    ReloadOutcome outcome;
    const auto named = [&names](QLatin1String key) { return names.contains(key); };
    const auto pen = [&configuration](QLatin1String key) {
        return query(configuration, OVCFGPenKey, key);
    };
    const auto monitor = [&configuration](QLatin1String key) {
        return query(configuration, OVCFGMonitor, key);
    };
    const auto tablet = [&configuration](QLatin1String key) {
        return query(configuration, OVCFGTablet, key);
    };

    // The orientation comes first: on a pen display the calibration and the
    // picture's rotation follow from it.
    if (named(OVCFGDegree)) {
        const quint64 degree = store::truncatedUnsignedValue(pen(OVCFGDegree)).value_or(0);
        // The settings application writes 0..3 only; anything else from a
        // file or a foreign writer is taken as 0 by every reader.
        settings.ovDegree = degree <= 3 ? degree : 0;
        if (row.penDisplay)
            outcome.penDisplayOrientation = settings.ovDegree;
    }
    if (named(OVCFGPressure))
        settings.ovPressure = store::truthValue(pen(OVCFGPressure)).value_or(false);
    if (named(OVCFGTips))
        settings.ovTips = store::truthValue(pen(OVCFGTips)).value_or(false);
    if (named(OVCFGKeyFun))
        settings.ovKeyFun = store::truthValue(pen(OVCFGKeyFun)).value_or(false);
    if (named(OVCFGBezier)) {
        const QVariant bezierValue = pen(OVCFGBezier);
        const QVariantMap bezier = bezierValue.typeId() == QMetaType::QVariantMap
            ? bezierValue.toMap()
            : QVariantMap();
        settings.ovP1 = pointValue(bezier.value(OVCFGBezierP1));
        settings.ovP2 = pointValue(bezier.value(OVCFGBezierP2));
        settings.ovPC = pointValue(bezier.value(OVCFGBezierPC));
    }
    if (named(OVCFGCoordinateMode))
        settings.ovCM = store::truncatedUnsignedValue(pen(OVCFGCoordinateMode)).value_or(0);
    if (named(OVCFGTrackingSpeed))
        settings.ovTS = store::trackingSpeedValue(pen(OVCFGTrackingSpeed));
    if (named(OVCFGMonitorMap))
        settings.ovMMap = store::truncatedUnsignedValue(monitor(OVCFGMonitorMap)).value_or(0);
    if (named(OVCFGMonitorFrame))
        settings.ovMFrame = rectValue(monitor(OVCFGMonitorFrame));
    if (named(OVCFGMonitorNumber))
        settings.ovMNumber = quint32(store::truncatedUnsignedValue(monitor(OVCFGMonitorNumber)).value_or(0));
    if (named(OVCFGTabletMap))
        settings.ovTMap = store::truncatedUnsignedValue(tablet(OVCFGTabletMap)).value_or(0);
    if (named(OVCFGTabletFrame))
        settings.ovTFrame = rectValue(tablet(OVCFGTabletFrame));
    return outcome;
}

} // namespace driver
