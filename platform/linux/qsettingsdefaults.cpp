#include "qsettingsdefaults.h"

#include <QFile>
#include <QIODevice>
#include <QLocale>
#include <QSettings>

#include "platform/linux/linuxlog.h"
#include "platform/plist.h"

namespace platform::native {

namespace {

bool readPlist(QIODevice &device, QSettings::SettingsMap &map)
{
    const QByteArray bytes = device.read(plist::kMaxBytes + 1);
    if (bytes.isEmpty()) {
        map.clear();
        return true; // a new, empty file
    }
    QString error;
    const auto value = plist::parse(bytes, &error);
    if (!value || value->metaType().id() != QMetaType::QVariantMap) {
        const auto *file = qobject_cast<QFile *>(&device);
        qCWarning(lcLinux, "cannot read user defaults %s: %s", file ? qPrintable(file->fileName()) : "",
                  value ? "not a dictionary" : qPrintable(error));
        return false;
    }
    map = value->toMap();
    return true;
}

bool writePlist(QIODevice &device, const QSettings::SettingsMap &map)
{
    QString error;
    const auto bytes = plist::write(map, plist::Format::Xml, &error);
    if (!bytes) {
        qCWarning(lcLinux, "cannot write user defaults: %s", qPrintable(error));
        return false;
    }
    return device.write(*bytes) == bytes->size();
}

QSettings::Format plistFormat()
{
    static const QSettings::Format format
        = QSettings::registerFormat(QStringLiteral("plist"), readPlist, writePlist, Qt::CaseSensitive);
    return format;
}

// What the file will give back: floats widened, integers as qint64.
std::optional<QVariant> asStored(const QVariant &value, QString *error)
{
    const auto bytes = plist::write(value, plist::Format::Binary, error);
    if (!bytes)
        return std::nullopt;
    return plist::parse(*bytes, error);
}

} // namespace

SettingsUserDefaults::SettingsUserDefaults(const QString &bundleId)
    : m_settings(std::make_unique<QSettings>(plistFormat(), QSettings::UserScope, QStringLiteral("orvane"), bundleId))
    , m_bundleId(bundleId)
{
}

SettingsUserDefaults::SettingsUserDefaults(const QString &bundleId, const QString &filePath)
    : m_settings(std::make_unique<QSettings>(filePath, plistFormat()))
    , m_bundleId(bundleId)
{
}

SettingsUserDefaults::~SettingsUserDefaults() = default;

QVariant SettingsUserDefaults::value(const QString &key) const
{
    return m_settings->value(key);
}

void SettingsUserDefaults::setValue(const QString &key, const QVariant &value)
{
    QString error;
    // XML is what the file holds: check the value against it, and store what
    // reading the file back would give.
    const bool writable = bool(plist::write(QVariantMap{{key, value}}, plist::Format::Xml, &error));
    const auto stored = writable ? asStored(value, &error) : std::nullopt;
    if (key.isEmpty() || !stored) {
        qCWarning(lcLinux, "cannot store user default %s of %s: %s", qPrintable(key), qPrintable(m_bundleId),
                  key.isEmpty() ? "empty key" : qPrintable(error));
        return;
    }
    m_settings->setValue(key, *stored);
}

void SettingsUserDefaults::remove(const QString &key)
{
    if (!key.isEmpty())
        m_settings->remove(key);
}

QVariantMap SettingsUserDefaults::all() const
{
    QVariantMap map;
    const QStringList keys = m_settings->allKeys();
    for (const QString &key : keys)
        map.insert(key, m_settings->value(key));
    return map;
}

QStringList SettingsUserDefaults::preferredLanguages() const
{
    QStringList languages = QLocale::system().uiLanguages();
    // The POSIX locale answers "C"; its messages are English.
    for (QString &tag : languages) {
        if (tag == QLatin1String("C") || tag == QLatin1String("POSIX"))
            tag = QStringLiteral("en");
    }
    return languages;
}

void SettingsUserDefaults::sync()
{
    m_settings->sync();
}

} // namespace platform::native
