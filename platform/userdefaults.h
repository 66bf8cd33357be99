#pragma once

#include <QStringList>
#include <QVariantMap>

namespace platform {

// Per-application user defaults.
class UserDefaults
{
public:
    virtual ~UserDefaults() = default;
    virtual QVariant value(const QString &key) const = 0;
    virtual void setValue(const QString &key, const QVariant &value) = 0;
    virtual void remove(const QString &key) = 0;
    virtual QVariantMap all() const = 0;
    // BCP 47 tags, first first ("zh-CN", "en-GB").
    virtual QStringList preferredLanguages() const = 0;
};

} // namespace platform
