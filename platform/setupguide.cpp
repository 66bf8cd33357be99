#include "platform/setupguide.h"

#include <QLocale>

#include "platform/workspace.h"

namespace platform {

bool prefersChineseGuide(const QStringList &languages)
{
    if (languages.isEmpty())
        return false;
    const QString tag = languages.first();
    if (tag.contains(QLatin1String("zh-Hans")) || tag.contains(QLatin1String("zh-Hant")))
        return true;
    const QLocale locale(tag);
    return locale.language() == QLocale::Chinese
        && (locale.script() == QLocale::SimplifiedHanScript
            || locale.script() == QLocale::TraditionalHanScript);
}

QString setupGuidePath(const QStringList &languages)
{
    return QLatin1String(kSettingInstallPath) + QLatin1String("/Contents/Resources/")
        + (prefersChineseGuide(languages) ? QLatin1String("MacOS_Setup_CN.pdf")
                                          : QLatin1String("MacOS_Setup_En.pdf"));
}

} // namespace platform
