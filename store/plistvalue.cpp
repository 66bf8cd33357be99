#include "plistvalue.h"

#include <cmath>
#include <limits>

#include "platform/plist.h"

namespace store {

namespace {

bool isUnsignedType(const QVariant &value)
{
    return platform::plist::isUnsignedType(value.typeId());
}

} // namespace

bool isInteger(const QVariant &value)
{
    return platform::plist::isIntegerType(value.typeId());
}

bool isReal(const QVariant &value)
{
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

bool isNumber(const QVariant &value)
{
    return isInteger(value) || isReal(value);
}

std::optional<qint64> integerValue(const QVariant &value)
{
    if (!isInteger(value))
        return std::nullopt;
    if (isUnsignedType(value)) {
        const quint64 number = value.toULongLong();
        if (number > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(number);
    }
    return value.toLongLong();
}

std::optional<quint64> unsignedValue(const QVariant &value)
{
    if (!isInteger(value))
        return std::nullopt;
    if (isUnsignedType(value))
        return value.toULongLong();
    const qint64 number = value.toLongLong();
    if (number < 0)
        return std::nullopt;
    return quint64(number);
}

std::optional<quint64> truncatedUnsignedValue(const QVariant &value)
{
    if (isInteger(value))
        return unsignedValue(value);
    if (isReal(value)) {
        const double real = value.toDouble();
        // 2^64 is exactly representable; anything from there on does not fit.
        if (!std::isfinite(real) || real < 0 || real >= 18446744073709551616.0)
            return std::nullopt;
        return quint64(real);
    }
    return std::nullopt;
}

std::optional<double> realValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::Float) {
        const float single = value.toFloat();
        return std::isfinite(single) ? std::optional<double>(double(single)) : std::nullopt;
    }
    if (value.typeId() == QMetaType::Double) {
        const double real = value.toDouble();
        return std::isfinite(real) ? std::optional<double>(real) : std::nullopt;
    }
    if (isInteger(value))
        return isUnsignedType(value) ? double(value.toULongLong()) : double(value.toLongLong());
    return std::nullopt;
}

std::optional<bool> booleanValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

std::optional<bool> truthValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isInteger(value))
        return isUnsignedType(value) ? value.toULongLong() != 0 : value.toLongLong() != 0;
    if (isReal(value)) {
        const double real = value.toDouble();
        if (std::isnan(real))
            return std::nullopt;
        return real != 0;
    }
    return std::nullopt;
}

std::optional<QString> stringValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QVariantMap> dictionaryValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return value.toMap();
}

std::optional<QVariantList> arrayValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return std::nullopt;
    return value.toList();
}

} // namespace store
