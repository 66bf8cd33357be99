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

// One implementation of each service. The composition roots build it and
// hand it by reference to the objects that need it.
struct Platform
{
    RunLoop &runLoop;
    NotificationCenter &local;
    DistributedCenter &distributed;
    HidSystem &hid;
    UsbBus &usb;
    EventPoster &poster;
    ModifierTap &modifierTap;
    Displays &displays;
    Workspace &workspace;
    UserDefaults &defaults;
    Strings &strings;
    Alerts &alerts;
    FilePanels &filePanels;
    Keyboard &keyboard;
    Files &files;
    // The program's own folder for files (GenericDataLocation joined with its
    // bundle identifier, or the folder a test or the simulator names).
    QString dataFolder;
    QString bundleId;
};

} // namespace platform
