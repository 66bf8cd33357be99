#pragma once

#include <QString>

namespace platform {

class RunLoop;
class NotificationCenter;
class DistributedCenter;
class HidSystem;
class UsbBus;
class EventPoster;
class ModifierTap;
class Displays;
class Workspace;
class UserDefaults;
class Strings;
class Alerts;
class FilePanels;
class Keyboard;
class Files;
class ModalRuns;

// One implementation of each desktop service: what a program with windows
// takes from the desktop. The settings application needs no more; the
// composition roots build it and hand it by reference to the objects that
// need it.
struct Desktop
{
    RunLoop &runLoop;
    NotificationCenter &local;
    DistributedCenter &distributed;
    Displays &displays;
    Workspace &workspace;
    UserDefaults &defaults;
    Strings &strings;
    Alerts &alerts;
    FilePanels &filePanels;
    Keyboard &keyboard;
    Files &files;
    // The program's alerts and panels mark their runs here; what must not
    // happen under a running alert's caller waits on it.
    ModalRuns &modalRuns;
    // The program's own folder for files (GenericDataLocation joined with its
    // bundle identifier, or the folder a test or the simulator names).
    QString dataFolder;
    QString bundleId;
};

// The desktop services and the device services: tablets, USB requests, event
// posting and the physical keyboard's modifier keys. The driver takes this.
struct Platform : Desktop
{
    HidSystem &hid;
    UsbBus &usb;
    EventPoster &poster;
    ModifierTap &modifierTap;
};

} // namespace platform
