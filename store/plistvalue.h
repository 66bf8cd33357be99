#pragma once

#include <optional>

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

// Typed reads of property-list values from a store, a file or the bus. A value
// of the wrong type reads as absent (nullopt), so a caller falls back on its
// default exactly as for a missing key. Integers are every integer type of
// QVariant (the char types too); reals are double and float. A Boolean is not
// a number here: a caller that takes both says so with truthValue().
namespace store {

bool isInteger(const QVariant &value);
bool isReal(const QVariant &value);
// An integer or a real.
bool isNumber(const QVariant &value);

// An integer that fits qint64.
std::optional<qint64> integerValue(const QVariant &value);
// A non-negative integer.
std::optional<quint64> unsignedValue(const QVariant &value);
// A non-negative integer, or a finite non-negative real truncated toward zero
// (what another writer may have left for an unsigned setting).
std::optional<quint64> truncatedUnsignedValue(const QVariant &value);
// A finite integer or real, widened to double (a float by its own value, so
// 0.1f reads as 0.100000001...).
std::optional<double> realValue(const QVariant &value);
// A Boolean only.
std::optional<bool> booleanValue(const QVariant &value);
// A Boolean, or a number by its truth (non-zero is YES); NaN reads as absent.
std::optional<bool> truthValue(const QVariant &value);
std::optional<QString> stringValue(const QVariant &value);
std::optional<QVariantMap> dictionaryValue(const QVariant &value);
// An array (a string list counts: Qt gives one for an array of texts).
std::optional<QVariantList> arrayValue(const QVariant &value);

} // namespace store
