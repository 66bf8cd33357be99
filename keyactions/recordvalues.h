#pragma once

#include <optional>

#include <QString>
#include <QVariantMap>

// Typed reads and writes that the custom-action records and the recorder's
// dictionary share.
namespace keyactions::recordvalues {

// Sets key to the value; a nil value leaves the key out.
template <class T> void setValue(QVariantMap &dictionary, const QString &key, const std::optional<T> &value)
{
    if (value)
        dictionary.insert(key, *value);
}

// The value under key when it is a string / a dictionary, else nil.
std::optional<QString> string(const QVariantMap &dictionary, const QString &key);
std::optional<QVariantMap> dictionary(const QVariantMap &dictionary, const QString &key);
// The non-negative integer under key when it is at most `last`, else 0 (a
// missing number).
quint64 unsignedUpTo(const QVariantMap &dictionary, const QString &key, quint64 last);

// An integer, or a real cut to an integer (a number read from a file may be
// either); nullopt for anything else, a Boolean among them.
std::optional<qint64> integerOfNumber(const QVariant &value);

} // namespace keyactions::recordvalues
