#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "platform/desktopapplications.h"

// The applications a user picks for a custom action or a per-application
// set. On Linux an application is a desktop entry (".desktop" file) or an
// executable file, and one text names it in both programs: its window class
// (platform::desktopEntryIdentifier()), which the driver finds among the
// names of the front window (platform::FrontApplication::isNamed()).
namespace keyactions {

struct AppEntry
{
    // The entry's localised Name; an executable's file name.
    QString title;
    // The window class: the entry's StartupWMClass, else the file name of
    // the program its Exec line starts; an executable's file name.
    QString identifier;
    // The icon file the entry's Icon names (an absolute path, or a name
    // looked up in the icon themes); empty when there is none.
    QString iconPath;
    // What the driver's launch action takes: the entry's or the
    // executable's path.
    QString launchPath;

    friend bool operator==(const AppEntry &, const AppEntry &) = default;
};

// The application at path, its texts in the first of `languages` (tags such
// as "de-AT" or "zh-Hans") that the entry has. Nullopt for anything that is
// neither a readable desktop entry of type Application with a name and a
// window class nor an executable file.
std::optional<AppEntry> readAppEntry(const QString &path, const QStringList &languages);

// The applications folders (platform/desktopapplications.h).
using platform::applicationsFolders;

// The installed desktop entry whose window class is `identifier` (the first
// one in the applications folders), for the title of a stored set; nullopt
// when none has it.
std::optional<AppEntry> findAppEntry(const QString &identifier, const QStringList &languages);

// The file of an icon: an absolute path as it is (when it exists), else the
// largest picture of that name in the icon themes ("hicolor" after the
// desktop's own theme) of $XDG_DATA_HOME/icons, $XDG_DATA_DIRS/*/icons and
// ~/.icons, else in /usr/share/pixmaps; empty when there is none.
QString iconFilePath(const QString &icon);

} // namespace keyactions
