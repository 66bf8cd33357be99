#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace platform::plist {

enum class Format { Xml, Binary };

// Largest property list accepted, in bytes.
inline constexpr qint64 kMaxBytes = 8 * 1024 * 1024;

// Parses an XML or binary property list (detected from the bytes). Values
// become QVariantMap, QVariantList, QString, bool, qint64 (or quint64 above
// INT64_MAX), double, QByteArray and QDateTime. On failure answers nullopt
// and sets *error to a one-line reason.
std::optional<QVariant> parse(const QByteArray &bytes, QString *error = nullptr);

// Writes a value as a property list. Fails (nullopt, *error set) for a value
// that is not a property-list value: an unsupported type, a map key that is
// not a string, an invalid QVariant. Floats are widened to double; all
// signed and unsigned integer types stay integers; bool stays bool.
std::optional<QByteArray> write(const QVariant &value, Format format, QString *error = nullptr);

// True when the value (recursively) is a property-list value write() takes.
bool isPlistValue(const QVariant &value);

} // namespace platform::plist
