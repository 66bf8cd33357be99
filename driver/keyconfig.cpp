#include "keyconfig.h"

#include "driver/hotkeys.h"
#include "driver/settingsreload.h"
#include "store/ovpublicdefine.h"
#include "store/plistvalue.h"

namespace driver {

namespace {

constexpr quint64 kLastCustomKind = 3;
constexpr int kLastWheelSlot = 10;

std::optional<QVariantMap> dictionary(const QVariant &value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return value.toMap();
}

QString text(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

} // namespace

std::optional<RecordedCombo> recordedCombo(const QVariant &recorder)
{
    const std::optional<QVariantMap> map = dictionary(recorder);
    if (!map || map->isEmpty())
        return std::nullopt;
    const std::optional<quint64> keyCode = store::truncatedUnsignedValue(map->value(store::kRecorderKeyCode));
    if (!keyCode)
        return std::nullopt;
    // A recorder without flags records a bare key.
    const quint64 flags
        = store::truncatedUnsignedValue(map->value(store::kRecorderModifierFlags)).value_or(0);
    return RecordedCombo { quint16(*keyCode & 0xFFFF), flags };
}

std::optional<CustomAction> customAction(const QVariant &value)
{
    const std::optional<QVariantMap> map = dictionary(value);
    if (!map)
        return std::nullopt;
    const std::optional<quint64> kind = store::truncatedUnsignedValue(map->value(store::OVCFGPenKeyCus));
    if (!kind || *kind > kLastCustomKind)
        return std::nullopt;
    CustomAction action;
    action.kind = CustomKind(*kind);
    action.alias = text(map->value(store::OVCFGPenKeyCusAlias));
    action.appPath = text(map->value(store::OVCFGPenKeyCusAppPath));
    action.url = text(map->value(store::OVCFGPenKeyCusURL));
    action.hotKeyIndex = store::truncatedUnsignedValue(map->value(store::OVCFGPenKeyCusHotKey));
    action.combo = recordedCombo(map->value(store::OVCFGPenKeyCusCusHotKey));
    action.mouse = store::truncatedUnsignedValue(map->value(store::OVCFGPenKeyCusMouse));
    return action;
}

std::optional<WheelCustom> wheelCustom(const QVariant &value)
{
    const std::optional<QVariantMap> map = dictionary(value);
    if (!map)
        return std::nullopt;
    return WheelCustom { text(map->value(store::OVCFGRKeyCusAlias)),
        recordedCombo(map->value(store::OVCFGRKeyCusCusCCWHK)),
        recordedCombo(map->value(store::OVCFGRKeyCusCusCWHK)) };
}

QVariant configValue(const KeyConfiguration &configuration, const QString &category, const QString &key)
{
    const std::optional<QVariantMap> map = dictionary(configuration.value(category));
    return map ? map->value(key) : QVariant();
}

quint64 actionIndex(const KeyConfiguration &configuration, const QString &category, const QString &key)
{
    if (const std::optional<quint64> index
        = store::truncatedUnsignedValue(configValue(configuration, category, key)))
        return *index;
    return store::truncatedUnsignedValue(configValue(configuration, category, store::defKey(key)))
        .value_or(0);
}

std::optional<ApplicationSet> applicationSet(
    const KeyConfiguration &configuration, bool wheel, const platform::FrontApplication &front)
{
    const QVariant sets = wheel ? configValue(configuration, store::OVCFGRKApp, store::OVCFGRKAppOptions)
                                : configValue(configuration, store::OVCFGBKApp, store::OVCFGBKAppOptions);
    const std::optional<QVariantMap> byName = dictionary(sets);
    if (!byName || byName->isEmpty())
        return std::nullopt;
    auto found = [](const QString &key, const QVariant &value) -> std::optional<ApplicationSet> {
        const std::optional<QVariantMap> set = dictionary(value);
        if (!set)
            return std::nullopt;
        return ApplicationSet { key, *set };
    };
    const QStringList names = front.names();
    // A set stored under exactly the name wins over one that differs in case.
    for (const QString &name : names) {
        if (const auto it = byName->constFind(name); it != byName->constEnd())
            return found(name, *it);
    }
    for (auto it = byName->constBegin(); it != byName->constEnd(); ++it) {
        if (front.isNamed(it.key()))
            return found(it.key(), *it);
    }
    return std::nullopt;
}

std::optional<int> wheelSlot(const QVariant &value)
{
    const std::optional<quint64> slot = store::truncatedUnsignedValue(value);
    if (!slot || *slot < 1 || *slot > quint64(kLastWheelSlot))
        return std::nullopt;
    return int(*slot);
}

QString searchValue(const KeyConfiguration &configuration, const QString &key,
    const platform::FrontApplication &front, bool wheel, const std::function<QString(const QString &textKey)> &localised)
{
    const QLatin1String aliasKey = wheel ? store::OVCFGRKeyCusAlias : store::OVCFGPenKeyCusAlias;
    auto aliasOf = [&aliasKey](const QVariant &action) {
        const std::optional<QVariantMap> map = dictionary(action);
        return map ? text(map->value(aliasKey)) : QString();
    };
    if (const std::optional<ApplicationSet> set = applicationSet(configuration, wheel, front))
        return aliasOf(set->set.value(store::cusKey(key)));

    const QLatin1String category = wheel ? store::OVCFGWheelKey : store::OVCFGBoardKey;
    const quint64 index = actionIndex(configuration, category, key);
    if (const char *textKey = wheel ? wheelFunctionTextKey(index) : expressKeyTextKey(index))
        return localised(QLatin1String(textKey));
    if (index == (wheel ? kWheelCustomIndex : kExpressKeyCustomIndex))
        return aliasOf(configValue(configuration, category, store::cusKey(key)));
    return QString();
}

} // namespace driver
