#pragma once

#include <QString>
#include <QStringList>

#include "platform/strings.h"

namespace platform {
class Strings;
}

// The recorder's texts: the string table "ShortcutEditor", looked up under
// the English wording, which serves when the table lacks the text.
namespace keyactions {

inline constexpr char kShortcutEditorTable[] = "ShortcutEditor";

QString shortcutText(const platform::Strings &strings, const QString &english);

using platform::formatText;

} // namespace keyactions
