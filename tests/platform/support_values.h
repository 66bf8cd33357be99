#pragma once

#include <QString>
#include <QVariant>

// A typed rendering of a property-list value, so that a comparison fails when
// a bool came back as an integer or an integer as a real, and prints what
// differed: "bool:true", "qlonglong:-5", "double:2", "{a=bool:true}".
QString describeValue(const QVariant &value);
