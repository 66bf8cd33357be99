#include "settingsreload.h"

#include <cmath>

#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"

namespace driver {

namespace {

bool isInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloating(const QVariant &value)
{
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

bool isUnsignedType(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

std::optional<bool> boolValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool || isInteger(value))
        return value.toBool();
    if (isFloating(value)) {
        const double real = value.toDouble();
        if (std::isnan(real))
            return std::nullopt;
        return real != 0;
    }
    return std::nullopt;
}

// A float setting, widened to double. A value that is not finite as a float
// (a huge double included) is refused.
std::optional<double> floatValue(const QVariant &value)
{
    if (!isInteger(value) && !isFloating(value))
        return std::nullopt;
    const float single = value.toFloat();
    if (!std::isfinite(single))
        return std::nullopt;
    return double(single);
}

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

std::optional<quint64> unsignedValue(const QVariant &value)
{
    if (isInteger(value)) {
        if (isUnsignedType(value))
            return value.toULongLong();
        const qint64 signedValue = value.toLongLong();
        if (signedValue < 0)
            return std::nullopt;
        return quint64(signedValue);
    }
    if (isFloating(value)) {
        const double real = value.toDouble();
        // 2^64 is exactly representable; anything from there on does not fit.
        if (!std::isfinite(real) || real < 0 || real >= 18446744073709551616.0)
            return std::nullopt;
        return quint64(real);
    }
    return std::nullopt;
}

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
        const quint64 degree = unsignedValue(pen(OVCFGDegree)).value_or(0);
        // The settings application writes 0..3 only; anything else from a
        // file or a foreign writer is taken as 0 by every reader.
        settings.ovDegree = degree <= 3 ? degree : 0;
        if (isPenDisplay(devKey))
            outcome.penDisplayOrientation = settings.ovDegree;
    }
    if (named(OVCFGPressure))
        settings.ovPressure = boolValue(pen(OVCFGPressure)).value_or(false);
    if (named(OVCFGTips))
        settings.ovTips = boolValue(pen(OVCFGTips)).value_or(false);
    if (named(OVCFGKeyFun))
        settings.ovKeyFun = boolValue(pen(OVCFGKeyFun)).value_or(false);
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
        settings.ovCM = unsignedValue(pen(OVCFGCoordinateMode)).value_or(0);
    if (named(OVCFGTrackingSpeed))
        settings.ovTS = floatValue(pen(OVCFGTrackingSpeed)).value_or(0.0);
    if (named(OVCFGMonitorMap))
        settings.ovMMap = unsignedValue(monitor(OVCFGMonitorMap)).value_or(0);
    if (named(OVCFGMonitorFrame))
        settings.ovMFrame = rectValue(monitor(OVCFGMonitorFrame));
    if (named(OVCFGMonitorNumber))
        settings.ovMNumber = quint32(unsignedValue(monitor(OVCFGMonitorNumber)).value_or(0));
    if (named(OVCFGTabletMap))
        settings.ovTMap = unsignedValue(tablet(OVCFGTabletMap)).value_or(0);
    if (named(OVCFGTabletFrame))
        settings.ovTFrame = rectValue(tablet(OVCFGTabletFrame));
    return outcome;
}

} // namespace driver
