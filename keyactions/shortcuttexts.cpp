#include "shortcuttexts.h"

#include "platform/strings.h"

namespace keyactions {

QString shortcutText(const platform::Strings &strings, const QString &english)
{
    return strings.text(english, QLatin1String(kShortcutEditorTable), english);
}

} // namespace keyactions
