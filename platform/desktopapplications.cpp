#include "platform/desktopapplications.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "platform/desktopentry.h"

namespace platform {

namespace {

// Enough for any desktop; entries past it are not read.
constexpr int kMaxEntriesRead = 4000;

bool isTrue(const QString &value)
{
    return value.trimmed() == QLatin1String("true");
}

} // namespace

QStringList xdgDataFolders()
{
    QStringList folders;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    folders << home;
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dirs.split(u':', Qt::SkipEmptyParts))
        folders << dir;
    return folders;
}

QStringList applicationsFolders()
{
    QStringList folders;
    for (const QString &data : xdgDataFolders()) {
        const QString folder = QDir::cleanPath(data + QStringLiteral("/applications"));
        if (QFileInfo(folder).isDir() && !folders.contains(folder))
            folders << folder;
    }
    return folders;
}

QString desktopEntryIdentifier(const QHash<QString, QString> &entry)
{
    const QString wmClass = entry.value(QStringLiteral("StartupWMClass")).trimmed();
    if (!wmClass.isEmpty())
        return wmClass;
    if (const auto command = splitExec(entry.value(QStringLiteral("Exec"))))
        return QFileInfo(command->first()).fileName();
    return QString();
}

DesktopApplications::DesktopApplications(const QStringList &folders)
    : m_fixedFolders(folders)
{ }

void DesktopApplications::refresh()
{
    const QStringList folders = m_fixedFolders.isEmpty() ? applicationsFolders() : m_fixedFolders;
    QStringList signature;
    for (const QString &folder : folders)
        signature << folder << QString::number(QFileInfo(folder).lastModified().toMSecsSinceEpoch());
    if (signature == m_signature)
        return;
    m_signature = signature;

    QList<DesktopApplication> shown;
    QList<DesktopApplication> helpers;
    QSet<QString> seen;
    int read = 0;
    for (const QString &folder : folders) {
        const QStringList files
            = QDir(folder).entryList({ QStringLiteral("*.desktop") }, QDir::Files, QDir::Name);
        for (const QString &file : files) {
            const QString fileId = file.chopped(int(qstrlen(".desktop")));
            if (seen.contains(fileId))
                continue;
            seen.insert(fileId);
            if (++read > kMaxEntriesRead)
                break;
            const std::optional<QHash<QString, QString>> entry = readDesktopEntry(folder + u'/' + file);
            if (!entry || entry->value(QStringLiteral("Type")) != QLatin1String("Application")
                || isTrue(entry->value(QStringLiteral("Hidden"))))
                continue;
            DesktopApplication app;
            app.fileId = fileId;
            app.identifier = desktopEntryIdentifier(*entry);
            app.name = entry->value(QStringLiteral("Name")).trimmed();
            app.startupWmClass = entry->value(QStringLiteral("StartupWMClass")).trimmed();
            if (const auto command = splitExec(entry->value(QStringLiteral("Exec"))))
                app.program = QFileInfo(command->first()).fileName();
            app.hidden = isTrue(entry->value(QStringLiteral("NoDisplay")));
            (app.hidden ? helpers : shown) << app;
        }
    }
    m_entries = shown + helpers;
}

std::optional<DesktopApplication> DesktopApplications::find(
    const QStringList &windowClasses, const QStringList &programs)
{
    refresh();
    auto anyClass = [&windowClasses](const QString &value) {
        if (value.isEmpty())
            return false;
        for (const QString &wmClass : windowClasses) {
            if (value.compare(wmClass, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    };
    for (const DesktopApplication &app : std::as_const(m_entries)) {
        if (anyClass(app.startupWmClass))
            return app;
    }
    for (const DesktopApplication &app : std::as_const(m_entries)) {
        if (anyClass(app.fileId))
            return app;
    }
    // An entry that names another window class is not this window's, even
    // with the same program (a browser's web-application entries).
    for (const DesktopApplication &app : std::as_const(m_entries)) {
        if (app.startupWmClass.isEmpty() && !app.program.isEmpty() && programs.contains(app.program))
            return app;
    }
    return std::nullopt;
}

} // namespace platform
