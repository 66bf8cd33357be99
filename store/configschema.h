#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

// The configuration's schema: for every key a category knows, the type and
// range its value must have. Both programs' stores check each value against
// it before they keep it, so that no process on the bus and no file can leave
// a value that a reader would take for something else; the settings pages
// read through the same checks.
//
//  unsigned         a non-negative integer (a Boolean is no number here)
//  "OVCFGDegree"    an unsigned 0..3; "OVCFGMonitorNumber" one of 32 bits
//  integer          any integer of 64 bits
//  real             a finite number, an integer too
//  Boolean          a Boolean only
//  point, rectangle text that reads strictly: "{x, y}", "{{x, y}, {w, h}}"
//  dictionaries     the pressure curve, custom actions, wheel functions,
//                   recorded combinations and per-application sets: a
//                   dictionary whose known entries have their types; a
//                   custom action needs its kind, a recorded combination
//                   its key code. Entries of their own are left alone.
//  calibration      a dictionary of orientations (the four factory ones and
//                   their "Cus" forms) only, each exactly the six finite
//                   coefficients "A".."F": the mapping takes it whole.
//
// A category or key the schema does not know takes any property-list value.
namespace store {

// Why the value breaks the schema of category/key, as a short text for a
// log line; nullopt when it keeps it.
std::optional<QString> schemaViolation(const QString &category, const QString &key, const QVariant &value);

inline bool fitsSchema(const QString &category, const QString &key, const QVariant &value)
{
    return !schemaViolation(category, key, value);
}

struct SchemaBreak
{
    QString category;
    QString key;
    QString why;
};

// Every value of a configuration (a dictionary of category dictionaries)
// that breaks the schema, in the order of categories and keys.
QList<SchemaBreak> schemaBreaks(const QVariantMap &configuration);

} // namespace store
