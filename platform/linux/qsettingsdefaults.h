#pragma once

#include <memory>

#include "platform/userdefaults.h"

class QSettings;

namespace platform::native {

// User defaults in a property-list file through QSettings (organisation
// "orvane", application = the bundle identifier, so
// ~/.config/orvane/<bundle id>.plist), so that every value keeps its type:
// a bool reads back as a bool, an integer as qint64, a float as a double.
// Only property-list values are stored; anything else is refused with a log
// line and changes nothing.
class SettingsUserDefaults : public UserDefaults
{
public:
    explicit SettingsUserDefaults(const QString &bundleId);
    // A file of one's own (tests).
    SettingsUserDefaults(const QString &bundleId, const QString &filePath);
    ~SettingsUserDefaults() override;

    QVariant value(const QString &key) const override;
    void setValue(const QString &key, const QVariant &value) override;
    void remove(const QString &key) override;
    QVariantMap all() const override;
    QStringList preferredLanguages() const override;

    // Writes pending changes to the file now (QSettings also does so on its
    // own, soon after a change, and at destruction).
    void sync();

private:
    std::unique_ptr<QSettings> m_settings;
    QString m_bundleId;
};

} // namespace platform::native
