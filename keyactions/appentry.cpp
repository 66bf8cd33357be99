#include "keyactions/appentry.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include "platform/desktopapplications.h"
#include "platform/desktopentry.h"

namespace keyactions {

namespace {

// Enough for any desktop; a folder holding more is not searched further.
constexpr int kMaxEntriesSearched = 4000;

using platform::xdgDataFolders;

bool isExecutableFile(const QFileInfo &info)
{
    return info.isFile() && info.isExecutable();
}

// A picture's size from its folder's name: "scalable" beats every size,
// "48x48" and "48x48@2" count 48 and 96.
int sizeScore(const QString &folder)
{
    if (folder.startsWith(QLatin1String("scalable")))
        return 100000;
    const qsizetype x = folder.indexOf(u'x');
    if (x <= 0)
        return 0;
    int size = folder.left(x).toInt();
    if (const qsizetype at = folder.indexOf(u'@'); at > 0)
        size *= std::max(1, folder.mid(at + 1).toInt());
    return size;
}

QString pictureIn(const QString &folder, const QString &name)
{
    for (const char *suffix : { ".svg", ".png", ".xpm" }) {
        const QString path = folder + u'/' + name + QLatin1String(suffix);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

} // namespace

std::optional<AppEntry> readAppEntry(const QString &path, const QStringList &languages)
{
    const QFileInfo info(path);
    if (!path.endsWith(QLatin1String(".desktop"))) {
        if (!isExecutableFile(info))
            return std::nullopt;
        const QString name = info.fileName();
        return AppEntry { name, name, QString(), info.absoluteFilePath() };
    }
    const std::optional<QHash<QString, QString>> entry = platform::readDesktopEntry(path);
    if (!entry || entry->value(QStringLiteral("Type")) != QLatin1String("Application"))
        return std::nullopt;
    AppEntry app;
    app.title = platform::localisedValue(
        *entry, QStringLiteral("Name"), platform::desktopEntryLocales(languages)).trimmed();
    app.identifier = platform::desktopEntryIdentifier(*entry);
    if (app.title.isEmpty() || app.identifier.isEmpty())
        return std::nullopt;
    app.iconPath = iconFilePath(entry->value(QStringLiteral("Icon")).trimmed());
    app.launchPath = info.absoluteFilePath();
    return app;
}

std::optional<AppEntry> findAppEntry(const QString &identifier, const QStringList &languages)
{
    if (identifier.isEmpty())
        return std::nullopt;
    int searched = 0;
    for (const QString &folder : applicationsFolders()) {
        const QStringList names = QDir(folder).entryList({ QStringLiteral("*.desktop") }, QDir::Files, QDir::Name);
        for (const QString &name : names) {
            if (++searched > kMaxEntriesSearched)
                return std::nullopt;
            const std::optional<AppEntry> app = readAppEntry(folder + u'/' + name, languages);
            if (app && app->identifier == identifier)
                return app;
        }
    }
    return std::nullopt;
}

QString iconFilePath(const QString &icon)
{
    if (icon.isEmpty())
        return QString();
    if (QFileInfo(icon).isAbsolute())
        return QFileInfo(icon).isFile() ? icon : QString();
    // A name never climbs out of the themes.
    if (icon.contains(u'/'))
        return QString();

    QStringList bases;
    for (const QString &data : xdgDataFolders())
        bases << data + QStringLiteral("/icons");
    bases << QDir::homePath() + QStringLiteral("/.icons");
    QStringList themes;
    if (!QIcon::themeName().isEmpty())
        themes << QIcon::themeName();
    if (!themes.contains(QLatin1String("hicolor")))
        themes << QStringLiteral("hicolor");

    for (const QString &theme : std::as_const(themes)) {
        QString best;
        int bestScore = -1;
        for (const QString &base : std::as_const(bases)) {
            const QDir themeDir(base + u'/' + theme);
            if (!themeDir.exists())
                continue;
            // Themes lay out "SIZE/CONTEXT" (hicolor) or "CONTEXT/SIZE".
            for (const QString &first : themeDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                const QDir firstDir(themeDir.filePath(first));
                for (const QString &second : firstDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                    const QString found = pictureIn(firstDir.filePath(second), icon);
                    if (found.isEmpty())
                        continue;
                    const int score = std::max(sizeScore(first), sizeScore(second));
                    if (score > bestScore) {
                        bestScore = score;
                        best = found;
                    }
                }
            }
        }
        if (!best.isEmpty())
            return best;
    }
    for (const QString &data : xdgDataFolders()) {
        const QString found = pictureIn(data + QStringLiteral("/pixmaps"), icon);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

} // namespace keyactions
