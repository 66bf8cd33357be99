#include "platform/workspace.h"

namespace platform {

QStringList FrontApplication::names() const
{
    QStringList all;
    if (!processName.isEmpty())
        all << processName;
    for (const QString &name : otherNames) {
        if (!name.isEmpty() && !all.contains(name))
            all << name;
    }
    return all;
}

bool FrontApplication::isNamed(const QString &identifier) const
{
    if (identifier.isEmpty())
        return false;
    if (identifier.compare(processName, Qt::CaseInsensitive) == 0)
        return true;
    for (const QString &name : otherNames) {
        if (identifier.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool FrontApplication::hasNameContaining(const QString &part) const
{
    if (part.isEmpty())
        return false;
    if (processName.contains(part, Qt::CaseInsensitive))
        return true;
    for (const QString &name : otherNames) {
        if (name.contains(part, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace platform
