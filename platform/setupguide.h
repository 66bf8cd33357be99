#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// True when the first preferred language asks for the Chinese setup guide:
// its tag names a Han script ("zh-Hans", "zh-Hant"), or, as Linux tags name a
// region rather than a script ("zh_CN", "zh-TW"), a Chinese locale written in
// either Han script.
bool prefersChineseGuide(const QStringList &languages);

// The setup guide inside the settings application's install path, Chinese or
// English by the preferred languages.
QString setupGuidePath(const QStringList &languages);

} // namespace platform
