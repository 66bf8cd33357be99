#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QVariant>

// The JSON of the simulator's output lines and of the values its scripts
// carry. Property-list values map one to one: dictionary = object, array =
// array, string, boolean, integer (a number without '.' or exponent), real
// (a number that always has '.' or an exponent), data = {"data": base64},
// date = {"date": ISO 8601}. Readers of the output tell an integer from a
// real by its text, so the writer never prints a real as "1".
namespace driverapp::json {

// The shortest text that reads back to the same double, with ".0" added
// when that text would look like an integer; "null" for NaN and infinities,
// which JSON cannot carry.
QByteArray real(double value);
QByteArray integer(qint64 value);
QByteArray unsignedInteger(quint64 value);
QByteArray boolean(bool value);
// A quoted, escaped string; control characters as \u escapes.
QByteArray string(const QString &text);

// A property-list value as JSON. A float is widened to double first, so a
// single-precision result prints as that value, not as a shorter decimal.
// Anything that is not a property-list value prints as null.
QByteArray fromValue(const QVariant &value);

// Reads one JSON value (surrounding blanks allowed, nothing after it) as a
// property-list value. JSON null has no property-list form and is refused.
// On failure answers nullopt and sets *error to a one-line reason.
std::optional<QVariant> toValue(const QByteArray &text, QString *error = nullptr);

} // namespace driverapp::json
