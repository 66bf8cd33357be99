#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class Strings;
}

// The recorder's texts: the string table "ShortcutEditor", looked up under
// the English wording, which serves when the table lacks the text.
namespace keyactions {

inline constexpr char kShortcutEditorTable[] = "ShortcutEditor";

QString shortcutText(const platform::Strings &strings, const QString &english);

// Fills a table text's placeholders: "%@" takes the next argument in turn,
// "%1$@", "%2$@" ... the argument of that number (so a translation may show
// the arguments in another order, or only some), "%%" is a percent sign. A
// placeholder without its argument is left out.
QString formatText(const QString &format, const QStringList &arguments);

} // namespace keyactions
