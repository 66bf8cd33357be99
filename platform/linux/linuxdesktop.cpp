#include "linuxdesktop.h"

#include <QStandardPaths>

#include "platform/linux/desktopdisplays.h"

namespace platform::native {

LinuxDesktop::LinuxDesktop(const QString &bundleId)
    : bundleId(bundleId)
    , defaults(bundleId)
    , strings(defaults.preferredLanguages())
    , displays(createDesktopDisplays(&displaysNote))
    , dataFolder(
          QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + bundleId)
{ }

Platform LinuxDesktop::platform(DistributedCenter &distributed, HidSystem &hid, UsbBus &usb,
    EventPoster &poster, ModifierTap &modifierTap, Workspace &workspace, Keyboard &keyboard)
{
    return Platform { runLoop, local, distributed, hid, usb, poster, modifierTap, *displays, workspace,
        defaults, strings, alerts, filePanels, keyboard, files, dataFolder, bundleId };
}

} // namespace platform::native
