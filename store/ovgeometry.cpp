#include "ovgeometry.h"

#include <algorithm>
#include <cmath>

#include "platform/userdefaults.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "store/plistvalue.h"

namespace store {

namespace {

QString nameOrNull(const char *name)
{
    return name ? QString::fromLatin1(name) : QString();
}

QString layoutName(const char *modelLayout, const char *plainLayout)
{
    return QString::fromLatin1(modelLayout ? modelLayout : plainLayout);
}

// A stored number, or nullopt for an absent key or a value of another kind.
std::optional<QVariant> storedNumber(const QVariantMap &category, QLatin1String key)
{
    const auto it = category.constFind(key);
    if (it == category.constEnd() || !isNumber(*it))
        return std::nullopt;
    return *it;
}

QRectF mappedScreenArea(const QVariantMap &monitor, qint64 map, const QList<OVScreen> &screens)
{
    switch (map) {
    case 2: {
        // The caller has checked that the number is present.
        const quint32 number = quint32(storedNumber(monitor, OVCFGMonitorNumber)->toLongLong());
        for (const OVScreen &screen : screens) {
            if (screen.number() == number)
                return screen.frame();
        }
        return QRectF();
    }
    case 1: {
        const QVariant frame = monitor.value(OVCFGMonitorFrame);
        if (frame.typeId() != QMetaType::QString)
            return QRectF();
        return rectFromString(frame.toString());
    }
    case 0: {
        // The smallest rectangle holding the origin and every screen.
        double left = 0, top = 0, right = 0, bottom = 0;
        for (const OVScreen &screen : screens) {
            const QRectF frame = screen.frame();
            left = std::min(left, frame.left());
            top = std::min(top, frame.top());
            right = std::max(right, frame.right());
            bottom = std::max(bottom, frame.bottom());
        }
        return QRectF(left, top, right - left, bottom - top);
    }
    default:
        return QRectF();
    }
}

bool isUsable(const QRectF &rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height()) && rect.width() > 0 && rect.height() > 0;
}

} // namespace

bool firmwareIs115(const platform::UserDefaults &defaults)
{
    const QVariant value = defaults.value(KalverinSIs115);
    if (value.typeId() == QMetaType::Bool || isNumber(value))
        return value.toBool();
    return false;
}

float widthInch(const QString &devKey)
{
    return factsFor(devKey).widthInch;
}

float heightInch(const QString &devKey)
{
    return factsFor(devKey).heightInch;
}

float widthPortion(const QString &devKey, const platform::UserDefaults &defaults)
{
    const ModelRow &row = factsFor(devKey);
    if (row.widthPortion115 != 0 && firmwareIs115(defaults))
        return row.widthPortion115;
    return row.widthPortion;
}

float heightPortion(const QString &devKey, const platform::UserDefaults &defaults)
{
    const ModelRow &row = factsFor(devKey);
    if (row.heightPortion115 != 0 && firmwareIs115(defaults))
        return row.heightPortion115;
    return row.heightPortion;
}

QRectF fullRectInch(const QString &devKey)
{
    return QRectF(0, 0, widthInch(devKey), heightInch(devKey));
}

TabletViewEdge tabletViewEdge(const QString &devKey)
{
    const ModelRow &row = factsFor(devKey);
    return { double(row.viewEdge), double(row.viewSlen), double(row.viewDlen) };
}

double tabletViewFullLine(const QString &devKey)
{
    return double(factsFor(devKey).viewFullLine);
}

double tabletViewRatioLine(const QString &devKey)
{
    return double(factsFor(devKey).viewRatioLine);
}

QString penImageName(const QString &devKey)
{
    return nameOrNull(factsFor(devKey).penImage);
}

QString wheelImageName(const QString &devKey)
{
    return nameOrNull(factsFor(devKey).wheelImage);
}

QString penViewXIBName(const QString &devKey)
{
    return layoutName(factsFor(devKey).penViewXib, "PenViewCtrl");
}

QString monitorViewXIBName(const QString &devKey)
{
    return layoutName(factsFor(devKey).monitorViewXib, "MonitorViewCtrl");
}

QString tabletViewXIBName(const QString &devKey)
{
    return layoutName(factsFor(devKey).tabletViewXib, "TabletViewCtrl");
}

QString boardViewXIBName(const QString &devKey)
{
    return layoutName(factsFor(devKey).boardViewXib, "BoardViewCtrl");
}

QString boardKeyCusWinXIBName(const QString &devKey)
{
    return layoutName(factsFor(devKey).boardKeyCusWinXib, "BoardKeyCusWinCtrl");
}

QRectF bandRectInch(const QString &devKey)
{
    // Every step in single precision: the stored defaults of both programs
    // hold exactly these float values.
    const float width = widthInch(devKey);
    const float height = heightInch(devKey);
    const float bandHeight = 1080.0f * width / 1920.0f;
    const float y = (height - bandHeight) * 0.5f;
    return QRectF(0, y, width, bandHeight);
}

RatioRectResult ratioRectInch(
    const QString &devKey, const QVariantMap *configuration, const QList<OVScreen> &screens)
{
    const QRectF band = bandRectInch(devKey);
    QVariantMap monitor;
    if (configuration) {
        const QVariant category = configuration->value(OVCFGMonitor);
        if (category.typeId() == QMetaType::QVariantMap)
            monitor = category.toMap();
    }

    const std::optional<QVariant> mapValue = storedNumber(monitor, OVCFGMonitorMap);
    if (!mapValue)
        return { band, QStringLiteral("There is no mmap_num") };
    // A fractional map value is no map of ours: it maps to nothing.
    qint64 map = -1;
    if (!isReal(*mapValue))
        map = mapValue->toLongLong();
    else if (const double real = mapValue->toDouble(); real == std::trunc(real) && std::abs(real) < 8)
        map = qint64(real);

    if (map == 2 && !storedNumber(monitor, OVCFGMonitorNumber))
        return { band, QStringLiteral("There is no monitorNumber_num") };

    const QRectF area = mappedScreenArea(monitor, map, screens);
    // An empty area (no screens, no screen of the stored number, an unreadable
    // frame, a map above 2) has no aspect ratio; the band keeps the tablet usable.
    if (!isUsable(area))
        return { band, QString() };

    const float width = widthInch(devKey);
    const float height = heightInch(devKey);
    const double areaWidth = area.width();
    const double areaHeight = area.height();
    QRectF result;
    const float fittedHeight = float(areaHeight * double(width) / areaWidth);
    if (fittedHeight > height) {
        const double fittedWidth = areaWidth * double(height) / areaHeight;
        const float x = float(double(width) - fittedWidth);
        result = QRectF(x, 0, fittedWidth, height);
    } else {
        const float y = height - fittedHeight;
        result = QRectF(0, y, width, fittedHeight);
    }
    // Extreme aspect ratios can round a side away to nothing.
    if (!isUsable(result))
        return { band, QString() };
    return { result, QString() };
}

} // namespace store
