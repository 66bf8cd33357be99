#pragma once

#include <QString>

namespace platform {

inline constexpr char kDefaultTable[] = "Localizable";

// Localised texts by key and table.
class Strings
{
public:
    virtual ~Strings() = default;
    virtual QString text(const QString &key, const QString &table = QLatin1String(kDefaultTable),
                         const QString &defaultValue = QString()) const = 0;
};

} // namespace platform
