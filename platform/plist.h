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
// INT64_MAX), double, QByteArray and QDateTime (UTC, milliseconds). On
// failure answers nullopt and sets *error to a one-line reason. Refused:
// more than kMaxBytes, containers nested deeper than 256 levels, more than
// about a million values (binary references to shared objects counted once
// per use), XML whose entity references would take long to replace (their
// count times the length of their texts), an XML integer, real or date
// whose text does not read, a string holding a NUL, a date outside the
// years 1000 to 9999, and UIDs.
std::optional<QVariant> parse(const QByteArray &bytes, QString *error = nullptr);

// The checks parse() makes before it reads anything: size, nesting, number
// of values, the work of entity references and the text of XML numbers and
// dates. A writer that must not leave bytes the reader refuses asks here.
bool withinLimits(const QByteArray &bytes, QString *error = nullptr);

// Writes a value as a property list. Fails (nullopt, *error set) for a value
// that is not a property-list value: an unsupported type (QVariantMap is the
// only dictionary; QVariantList and QStringList are arrays), an invalid
// QVariant or date, a string holding a NUL, nesting deeper than 256 levels,
// and, in XML only, a string with a control character other than tab, line
// feed and carriage return (XML cannot carry it). Floats are widened to
// double; all signed and unsigned integer types stay integers; bool stays
// bool. XML keeps whole seconds of a date, binary keeps milliseconds.
std::optional<QByteArray> write(const QVariant &value, Format format, QString *error = nullptr);

// True when the value (recursively) is a property-list value that write()
// takes in binary form.
bool isPlistValue(const QVariant &value);

// The QVariant types that are property-list integers: every signed and
// unsigned integer type, the char types too (char counts as signed). Every
// reader and writer of values asks these two, so that all agree.
bool isIntegerType(int typeId);
bool isUnsignedType(int typeId);

} // namespace platform::plist
