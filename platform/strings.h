#pragma once

#include <QString>
#include <QStringList>

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

// Fills a table text's placeholders: "%@" takes the next argument in turn,
// "%1$@", "%2$@" ... the argument of that number (so a translation may show
// the arguments in another order, or only some), "%%" is a percent sign. A
// placeholder without its argument is left out.
QString formatText(const QString &format, const QStringList &arguments);

} // namespace platform
