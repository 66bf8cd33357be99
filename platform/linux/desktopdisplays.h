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

} // namespace platform::native
