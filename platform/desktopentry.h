#pragma once

#include <optional>

#include <QHash>
#include <QString>
#include <QStringList>

// Desktop entries (".desktop" files), as far as both programs read them: the
// settings application for the title, icon and window class of an
// application the user picks, the driver for the command that launches it.
namespace platform {

// Larger than any desktop entry, small enough to read on the main thread.
inline constexpr qint64 kMaxDesktopEntryBytes = 256 * 1024;

// The keys of the "[Desktop Entry]" group with their values, the general
// escapes (\s \n \t \r \\) undone; a localised key keeps its locale in its
// name ("Name[de]"). Nullopt when the path is not a readable regular file
// of at most kMaxDesktopEntryBytes (read without waiting on it) or has no
// such group.
std::optional<QHash<QString, QString>> readDesktopEntry(const QString &path);

// An Exec value as a program and its arguments: split on blanks, double
// quotes group (backslash escapes the next character inside them), field
// codes such as %f %U %i are dropped, "%%" is a percent sign. Nullopt for an
// unclosed quote or an empty program.
std::optional<QStringList> splitExec(const QString &exec);

// The value of a localised key for the first of the locales that has one
// ("de_AT" tries "Name[de_AT]", then "Name[de]"), else the key's own value;
// null when the entry has neither.
QString localisedValue(const QHash<QString, QString> &entry, const QString &key, const QStringList &locales);

// The desktop-entry locales of preferred-language tags ("de-AT" -> "de_AT",
// "zh-Hans" -> "zh_CN", "zh-Hant" -> "zh_TW"), in order.
QStringList desktopEntryLocales(const QStringList &languages);

} // namespace platform
