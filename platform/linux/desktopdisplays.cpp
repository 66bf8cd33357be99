#include "desktopdisplays.h"

#include <QGuiApplication>

#include "platform/linux/qscreendisplays.h"
#include "platform/linux/xrandrdisplays.h"

#include <xcb/xcb.h>

namespace platform::native {

std::unique_ptr<Displays> createDesktopDisplays(QString *note)
{
    QString why;
    if (isWaylandPlatform(QGuiApplication::platformName())) {
        why = QStringLiteral("a Wayland session");
    } else if (auto randr = XRandrDisplays::connect(QByteArray(), &why)) {
        *note = QStringLiteral("displays through XRandR");
        return randr;
    }
    *note = QStringLiteral("displays through Qt's screens (%1): display rotation unsupported").arg(why);
    return std::make_unique<QScreenDisplays>();
}

bool isWaylandPlatform(const QString &platformName)
{
    return platformName == QLatin1String("wayland") || platformName.startsWith(QLatin1String("wayland-"));
}

bool displayServerAnswers()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const bool answers = !xcb_connection_has_error(c);
    xcb_disconnect(c);
    return answers;
}

} // namespace platform::native
