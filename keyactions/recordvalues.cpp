#include "recordvalues.h"

#include "store/plistvalue.h"

namespace keyactions::recordvalues {

std::optional<QString> string(const QVariantMap &dictionary, const QString &key)
{
    return store::stringValue(dictionary.value(key));
}

std::optional<QVariantMap> dictionary(const QVariantMap &dictionary, const QString &key)
{
    return store::dictionaryValue(dictionary.value(key));
}

quint64 unsignedUpTo(const QVariantMap &dictionary, const QString &key, quint64 last)
{
    const std::optional<quint64> value = store::unsignedValue(dictionary.value(key));
    return value && *value <= last ? *value : 0;
}

std::optional<qint64> integerOfNumber(const QVariant &value)
{
    if (const std::optional<qint64> integer = store::integerValue(value))
        return integer;
    // Reals beyond qint64 do not convert.
    if (const std::optional<double> real = store::realValue(value); real && *real > -9.2e18 && *real < 9.2e18)
        return qint64(*real);
    return std::nullopt;
}

} // namespace keyactions::recordvalues
