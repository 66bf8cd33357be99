#pragma once

#include <optional>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The installed applications' desktop entries, as the front application's
// names need them: read once, and again only when an applications folder
// has changed (an install or removal renames files into it, which changes
// the folder's time), so a look-up per front-window change costs a few
// stat() calls.
namespace platform {

// The data folders of the desktop: $XDG_DATA_HOME (default ~/.local/share),
// then each folder of $XDG_DATA_DIRS (default /usr/local/share:/usr/share).
QStringList xdgDataFolders();

// The applications folders: "applications" in each data folder, in that
// order; only those that exist.
QStringList applicationsFolders();

// The text the settings application stores to name the application of an
// entry: its StartupWMClass, else the file name of the program its Exec line
// starts; empty when it has neither. Stored sets rely on it: it stays.
QString desktopEntryIdentifier(const QHash<QString, QString> &entry);

struct DesktopApplication
{
    QString fileId; // the file name without ".desktop": "org.kde.krita"
    QString identifier; // desktopEntryIdentifier()
    QString name; // Name, untranslated
    QString startupWmClass;
    QString program; // the file name of the Exec program
    bool hidden = false; // NoDisplay: a helper entry (a file type's opener)

    friend bool operator==(const DesktopApplication &, const DesktopApplication &) = default;
};

class DesktopApplications
{
public:
    // Entries of `folders`, in that order (an entry id found in an earlier
    // folder hides the same id in later ones); the desktop's
    // applicationsFolders() as they stand at each look-up when empty.
    explicit DesktopApplications(const QStringList &folders = {});

    // The entry of a window: the first whose StartupWMClass equals one of
    // windowClasses ignoring case, else whose file id does, else one without
    // StartupWMClass whose Exec program is one of programs; shown entries before NoDisplay ones in
    // each pass. Nullopt when none fits.
    std::optional<DesktopApplication> find(const QStringList &windowClasses, const QStringList &programs);

private:
    void refresh();

    QStringList m_fixedFolders;
    QStringList m_signature; // folder paths and times of the last reading
    QList<DesktopApplication> m_entries;
};

} // namespace platform
