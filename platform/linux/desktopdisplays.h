#pragma once

#include <memory>

#include <QString>

#include "platform/displays.h"

namespace platform::native {

// The displays of this desktop, the same way in both programs (so that they
// agree on every display id): RandR where an X server offers it, else Qt's
// screens. In a Wayland session the X server (Xwayland) knows no EDIDs and
// cannot turn a picture, so Qt's screens are used there too. *note says
// which and why, for the program's start-up line.
std::unique_ptr<Displays> createDesktopDisplays(QString *note);

// Whether Qt's platform plugin of that name (QGuiApplication::platformName())
// draws through a Wayland compositor: "wayland" and its variants
// ("wayland-egl", "wayland-xcomposite-glx", ...). Such a session's X server,
// if any, is Xwayland, which knows neither the displays nor the active window.
bool isWaylandPlatform(const QString &platformName);

// Before the application object: whether Qt will find a display server to
// draw on, $WAYLAND_DISPLAY or an X server that answers on $DISPLAY. A
// $DISPLAY left behind by an X server that has gone (a session restarted
// under it) does not count: Qt would end the program at start.
bool displayServerAnswers();

} // namespace platform::native
