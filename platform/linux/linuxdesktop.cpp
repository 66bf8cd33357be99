#include "linuxdesktop.h"

#include <QStandardPaths>

#include "platform/linux/desktopdisplays.h"

namespace platform::native {

LinuxDesktop::LinuxDesktop(const QString &bundleId)
    : bundleId(bundleId)
    , modalRuns(&runLoop)
    , alerts(&modalRuns)
    , filePanels(&modalRuns)
    , defaults(bundleId)
    , strings(defaults.preferredLanguages())
    , displays(createDesktopDisplays(&displaysNote))
    , dataFolder(
          QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + bundleId)
{ }

Desktop LinuxDesktop::desktop(DistributedCenter &distributed, Workspace &workspace, Keyboard &keyboard)
{
    return Desktop { runLoop, local, distributed, *displays, workspace, defaults, strings, alerts, filePanels,
        keyboard, files, modalRuns, dataFolder, bundleId };
}

Platform LinuxDesktop::platform(DistributedCenter &distributed, HidSystem &hid, UsbBus &usb,
    EventPoster &poster, ModifierTap &modifierTap, Workspace &workspace, Keyboard &keyboard)
{
    return Platform { desktop(distributed, workspace, keyboard), hid, usb, poster, modifierTap };
}

} // namespace platform::native
