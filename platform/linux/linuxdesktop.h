#pragma once

#include <memory>

#include <QString>

#include "platform/displays.h"
#include "platform/files.h"
#include "platform/linux/messageboxalerts.h"
#include "platform/linux/qsettingsdefaults.h"
#include "platform/linux/qtfilepanels.h"
#include "platform/linux/qtrunloop.h"
#include "platform/modalruns.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/stringtable.h"

namespace platform::native {

// The services that both programs take from the Linux desktop in one way:
// main loop, its modal runs, local notifications, user defaults and string tables, alerts,
// file panels, files, the displays and the program's own folder for files.
// The displays above all: both programs read them alike, so that they give
// each display the same id. What differs per program (the distributed centre,
// the workspace that claims the program's bus name, devices, event posting,
// modifier keys, keyboard layout) each program builds itself and hands to
// desktop() (the settings application) or platform() (the driver).
//
// Build it on the main thread, after the application object.
struct LinuxDesktop
{
    explicit LinuxDesktop(const QString &bundleId);

    Desktop desktop(DistributedCenter &distributed, Workspace &workspace, Keyboard &keyboard);
    Platform platform(DistributedCenter &distributed, HidSystem &hid, UsbBus &usb, EventPoster &poster,
        ModifierTap &modifierTap, Workspace &workspace, Keyboard &keyboard);

    const QString bundleId;
    QtRunLoop runLoop;
    ModalRuns modalRuns;
    QtAlerts alerts;
    QtFilePanels filePanels;
    NotificationCenter local;
    SettingsUserDefaults defaults;
    StringTable strings;
    Files files;
    // How the displays are read (XRandR, or Qt's screens and why), for the
    // program's start-up line.
    QString displaysNote;
    const std::unique_ptr<Displays> displays;
    // GenericDataLocation joined with the bundle identifier.
    const QString dataFolder;
};

} // namespace platform::native
