// The files of the store: the program's folder, the own file with its
// delayed save, the export and the import.

#include "ovpublicobject.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/plist.h"
#include "platform/runloop.h"
#include "store/configschema.h"
#include "store/ovdefaults.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "store/storelog.h"

namespace store {

namespace {

// Seconds of quiet after the last change before the own file is written: a
// drag of the area or the pressure curve sends a burst of updates.
constexpr double kSaveDelaySeconds = 3.0;

QString readErrorText(platform::ReadError error)
{
    switch (error) {
    case platform::ReadError::Missing:
        return QStringLiteral("no such file");
    case platform::ReadError::NotRegular:
        return QStringLiteral("not a regular file");
    case platform::ReadError::TooLarge:
        return QStringLiteral("larger than %1 bytes").arg(kMaxConfigurationBytes);
    case platform::ReadError::Unreadable:
    case platform::ReadError::None:
        break;
    }
    return QStringLiteral("cannot be read");
}

// A configuration is a dictionary of category dictionaries; anything else in
// a file would break every reader that takes a category as a dictionary.
bool isCategoryDictionary(const QVariantMap &configuration)
{
    for (auto it = configuration.cbegin(); it != configuration.cend(); ++it) {
        if (it->typeId() != QMetaType::QVariantMap)
            return false;
    }
    return true;
}

enum class ReadFailure { Read, Parse, Shape };

struct ReadResult
{
    std::optional<QVariantMap> dictionary;
    ReadFailure failure = ReadFailure::Read;
    platform::ReadError readError = platform::ReadError::None;
    QString why;
};

// Reads and parses a property-list file whose root must be a dictionary.
ReadResult readDictionary(const platform::Files &files, const QString &path)
{
    ReadResult result;
    const std::optional<QByteArray> bytes = files.read(path, kMaxConfigurationBytes, &result.readError);
    if (!bytes) {
        result.failure = ReadFailure::Read;
        result.why = readErrorText(result.readError);
        return result;
    }
    QString parseError;
    const std::optional<QVariant> value = platform::plist::parse(*bytes, &parseError);
    if (!value) {
        result.failure = ReadFailure::Parse;
        result.why = parseError;
        return result;
    }
    if (value->typeId() != QMetaType::QVariantMap) {
        result.failure = ReadFailure::Shape;
        result.why = QStringLiteral("the root is not a dictionary");
        return result;
    }
    result.dictionary = value->toMap();
    return result;
}

void logFolderError(const std::error_code &error)
{
    qCWarning(lcStore).noquote() << QString::fromStdString(error.message());
}

} // namespace

QString OVPublicObject::supportDirectory() const
{
    namespace fs = std::filesystem;
    const QString folder = m_platform.dataFolder;
    const fs::path path(folder.toStdString());
    std::error_code error;
    // symlink_status: a dangling link is something in the way, too.
    const fs::file_status itself = fs::symlink_status(path, error);
    if (fs::exists(itself)) {
        if (fs::is_directory(fs::status(path, error)))
            return folder;
        if (!fs::remove(path, error))
            logFolderError(error);
    }
    if (!fs::create_directories(path, error) && error)
        logFolderError(error);
    return folder;
}

QString OVPublicObject::cfgFilePath() const
{
    const QLatin1String prefix
        = m_variant == StoreVariant::Driver ? QLatin1String(".OVCFGS_") : QLatin1String(".OVCFGC_");
    return supportDirectory() + QLatin1Char('/') + prefix + m_devKey;
}

bool OVPublicObject::loadConfiguration(const QString &path, bool isExternal)
{
    if (m_devKey.isEmpty()) {
        qCWarning(lcStore, "cannot load configuration: the store has no device key");
        return false;
    }
    return isExternal ? importConfiguration(path) : loadOwnFile();
}

bool OVPublicObject::loadOwnFile()
{
    const QString path = cfgFilePath();
    // Read first and look at the answer: a file that appears or goes between
    // a look and the read cannot confuse the two cases.
    const ReadResult read = readDictionary(m_platform.files, path);
    if (!read.dictionary && read.failure == ReadFailure::Read
        && read.readError == platform::ReadError::Missing) {
        m_unreadableOwnFile.reset();
        generateDefaultConfiguration();
        if (m_variant == StoreVariant::Driver)
            scheduleLocalNotice();
        return true;
    }
    // The own file carries no device key; it is taken as it is. A file that
    // cannot be used leaves the configuration as it was and is not rewritten.
    if (!read.dictionary || !isCategoryDictionary(*read.dictionary)) {
        const QString why = read.dictionary ? QStringLiteral("a category is not a dictionary") : read.why;
        if (read.failure == ReadFailure::Parse && !read.dictionary)
            qCWarning(lcStore).noquote() << why;
        else
            qCWarning(lcStore).noquote()
                << m_devKey + QStringLiteral(": cannot read ") + path + QStringLiteral(": ") + why;
        m_unreadableOwnFile = why;
        return false;
    }
    // A value that breaks its key's schema (a file of an older version, or
    // one edited by hand) is left out on its own: the user's other settings
    // stay, and the readers fall back on the default for that one.
    QVariantMap configuration = *read.dictionary;
    for (const SchemaBreak &broken : schemaBreaks(configuration)) {
        qCWarning(lcStore).noquote() << m_devKey + QStringLiteral(": cannot load ") + broken.category
                + QLatin1Char('/') + broken.key + QStringLiteral(" from ") + path + QStringLiteral(": ")
                + broken.why + QStringLiteral("; left out");
        QVariantMap category = configuration.value(broken.category).toMap();
        category.remove(broken.key);
        configuration.insert(broken.category, category);
    }
    m_configurationList = configuration;
    m_unreadableOwnFile.reset();
    if (m_variant == StoreVariant::Driver)
        scheduleLocalNotice();
    return true;
}

bool OVPublicObject::importConfiguration(const QString &path)
{
    auto refuse = [&](const QString &why) {
        qCWarning(lcStore).noquote() << m_devKey + QStringLiteral(": cannot import ") + path
                + QStringLiteral(": ") + why;
        showImportError();
        return false;
    };

    const ReadResult read = readDictionary(m_platform.files, path);
    if (!read.dictionary)
        return refuse(read.why);
    QVariantMap dictionary = *read.dictionary;
    const QVariant owner = dictionary.value(OVCFGVPID);
    if (owner.typeId() != QMetaType::QString)
        return refuse(QStringLiteral("no device key in the file"));
    if (owner.toString() != m_devKey)
        return refuse(QStringLiteral("the file belongs to device ") + owner.toString());
    dictionary.remove(OVCFGVPID);
    if (!isCategoryDictionary(dictionary))
        return refuse(QStringLiteral("a category is not a dictionary"));
    // All or nothing: the user chose this file and is told it cannot be used.
    const QList<SchemaBreak> breaks = schemaBreaks(dictionary);
    if (!breaks.isEmpty()) {
        const SchemaBreak &first = breaks.first();
        return refuse(first.category + QLatin1Char('/') + first.key + QStringLiteral(": ") + first.why);
    }

    // Files from the settings application or from older versions carry no
    // edge readings; without them a pen display could not be mapped at all,
    // so it gets the factory 0-degree calibration and edges.
    if (m_variant == StoreVariant::Driver) {
        auto monitor = dictionary.find(OVCFGMonitor);
        if (monitor != dictionary.end()) {
            QVariantMap category = monitor->toMap();
            if (!category.contains(OVCFGMonitorCalibMINX)) {
                if (const std::optional<QVariantMap> patch = importCalibrationPatch(m_devKey)) {
                    for (auto it = patch->cbegin(); it != patch->cend(); ++it)
                        category.insert(it.key(), it.value());
                    *monitor = category;
                }
            }
        }
    }

    // The settings application's copy holds no calibration: the driver's
    // copy keeps the matrices and edge readings, which only the driver
    // writes; an import there would otherwise carry stale ones into every
    // later export.
    if (m_variant == StoreVariant::Settings) {
        auto monitor = dictionary.find(OVCFGMonitor);
        if (monitor != dictionary.end()) {
            QVariantMap category = monitor->toMap();
            for (const QLatin1String key : { OVCFGMonitorCalib, OVCFGMonitorCalibMINX, OVCFGMonitorCalibMINY,
                     OVCFGMonitorCalibMAXX, OVCFGMonitorCalibMAXY, OVCFGMonitorCalibMINXCus,
                     OVCFGMonitorCalibMINYCus, OVCFGMonitorCalibMAXXCus, OVCFGMonitorCalibMAXYCus })
                category.remove(key);
            *monitor = category;
        }
    }

    // A binary file within the bound can still make an XML own file beyond
    // it (escaped text, data as base64).
    QString why;
    const std::optional<QByteArray> bytes = ownFileBytes(dictionary, &why);
    if (!bytes)
        return refuse(why);

    m_configurationList = dictionary;
    // The import's save replaces an own file that could not be read.
    m_unreadableOwnFile.reset();
    keepSnapshot(*bytes);
    if (m_variant == StoreVariant::Settings) {
        // The driver's store for the same device imports the same file. Posted
        // before the local notice is scheduled, so that the driver is told
        // first and the pages re-read one turn later.
        m_platform.distributed.post(OVCFGIDNotification, QString(), QVariantMap { { m_devKey, path } });
    }
    scheduleLocalNotice();
    return true;
}

std::optional<QByteArray> OVPublicObject::ownFileBytes(
    const QVariantMap &configuration, QString *why, bool *tooLarge) const
{
    std::optional<QByteArray> bytes
        = platform::plist::write(QVariant(configuration), platform::plist::Format::Xml, why);
    if (tooLarge)
        *tooLarge = bytes && bytes->size() > kMaxConfigurationBytes;
    if (bytes && bytes->size() > kMaxConfigurationBytes) {
        *why = QStringLiteral("the configuration would take %1 bytes, more than the %2 a load reads")
                   .arg(bytes->size())
                   .arg(kMaxConfigurationBytes);
        return std::nullopt;
    }
    // The reader's other bounds too: the next start must read what is saved.
    QString limit;
    if (bytes && !platform::plist::withinLimits(*bytes, &limit)) {
        if (tooLarge)
            *tooLarge = true;
        *why = QStringLiteral("the file would not be read back: ") + limit;
        return std::nullopt;
    }
    return bytes;
}

bool OVPublicObject::saveConfiguration(const QString &path, bool isExternal)
{
    if (m_devKey.isEmpty()) {
        qCWarning(lcStore, "cannot save configuration: the store has no device key");
        return false;
    }
    if (isExternal)
        return exportConfiguration(path);

    if (m_unreadableOwnFile) {
        // That file is the user's settings as far as anyone knows: it stays
        // as it is until an import replaces it.
        qCWarning(lcStore).noquote() << m_devKey + QStringLiteral(": cannot save configuration: ")
                + cfgFilePath() + QStringLiteral(" could not be read (") + *m_unreadableOwnFile
                + QStringLiteral("); the change is kept in memory only");
        return false;
    }
    if (!m_configurationList) {
        qCInfo(lcStore).noquote() << m_devKey + QStringLiteral(": cannot save configuration: none is loaded");
        return false;
    }
    // The snapshot is taken now, so that the timer only writes.
    QString error;
    bool tooLarge = false;
    const std::optional<QByteArray> bytes = ownFileBytes(*m_configurationList, &error, &tooLarge);
    if (!bytes) {
        // The writer's own reason is the whole line.
        if (tooLarge)
            error = m_devKey + QStringLiteral(": cannot save configuration: ") + error;
        qCWarning(lcStore).noquote() << error;
        return false;
    }
    keepSnapshot(*bytes);
    return true;
}

void OVPublicObject::keepSnapshot(const QByteArray &bytes)
{
    if (!m_platform.runLoop.isMainThread()) {
        qCWarning(lcStore, "warnning: save in background thread");
        // Our timers live on the main loop only.
        std::weak_ptr<int> alive = m_alive;
        m_platform.runLoop.postFromAnyThread([this, alive, snapshot = bytes] {
            if (alive.lock())
                scheduleWrite(snapshot);
        });
        return;
    }
    scheduleWrite(bytes);
}

void OVPublicObject::scheduleWrite(const QByteArray &bytes)
{
    if (m_dwTimer != 0)
        m_platform.runLoop.cancel(m_dwTimer);
    m_pendingBytes = bytes;
    m_dwTimer = m_platform.runLoop.after(kSaveDelaySeconds, this, [this] { delayedWriteToFile(); });
}

void OVPublicObject::delayedWriteToFile()
{
    m_dwTimer = 0;
    const QByteArray bytes = std::exchange(m_pendingBytes, QByteArray());
    const QString path = cfgFilePath();
    QString why;
    if (!m_platform.files.writeAtomically(path, bytes, &why)) {
        qCWarning(lcStore).noquote() << m_devKey + QStringLiteral(": cannot write ") + path
                + QStringLiteral(": ") + why;
    }
}

bool OVPublicObject::exportConfiguration(const QString &path)
{
    if (!m_configurationList) {
        qCWarning(lcStore).noquote() << m_devKey + QStringLiteral(": cannot export ") + path
                + QStringLiteral(": no configuration is loaded");
        return false;
    }
    // The pending save of the own file is left alone.
    QVariantMap copy = *m_configurationList;
    copy.insert(OVCFGVPID, m_devKey);
    QString error;
    const std::optional<QByteArray> bytes
        = platform::plist::write(QVariant(copy), platform::plist::Format::Binary, &error);
    if (!bytes) {
        qCWarning(lcStore).noquote() << error;
        return false;
    }
    // No file that an import would refuse.
    QString limit;
    if (bytes->size() > kMaxConfigurationBytes || !platform::plist::withinLimits(*bytes, &limit)) {
        if (limit.isEmpty())
            limit = QStringLiteral("%1 bytes, more than the %2 an import reads")
                        .arg(bytes->size())
                        .arg(kMaxConfigurationBytes);
        qCWarning(lcStore).noquote() << m_devKey + QStringLiteral(": cannot export ") + path
                + QStringLiteral(": ") + limit;
        return false;
    }
    QString why;
    if (!m_platform.files.writeAtomically(path, *bytes, &why)) {
        qCWarning(lcStore).noquote() << m_devKey + QStringLiteral(": cannot write ") + path
                + QStringLiteral(": ") + why;
        return false;
    }
    return true;
}

void OVPublicObject::generateDefaultConfiguration()
{
    // The tablet area is computed before the defaults exist, so it is the
    // 16:9 band unless a configuration was already set.
    const QString tabletFrame = stringFromRect(ratioRectInch());
    m_configurationList = defaultConfiguration(m_devKey, m_variant == StoreVariant::Driver, tabletFrame);
    saveConfiguration(QString(), false);
}

} // namespace store
