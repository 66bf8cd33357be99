#pragma once

#include <memory>

#include <QTemporaryDir>

#include "platform/modalruns.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/sim/simbus.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simhid.h"
#include "platform/sim/simrecorders.h"
#include "platform/sim/simrunloop.h"
#include "platform/sim/simusb.h"
#include "platform/stringtable.h"

namespace platform::sim {

// Every simulated service of one process, and the Platform over them. A
// test builds one per simulated process; processes that share a SimBus see
// each other's distributed notifications.
class SimPlatform
{
public:
    // dataFolder empty: a fresh temporary folder, removed with the platform.
    explicit SimPlatform(SimBus &bus, const QString &bundleId, const QString &dataFolder = QString());
    ~SimPlatform();

    Platform &platform() { return *m_platform; }

    SimRunLoop runLoop;
    ModalRuns modalRuns{&runLoop};
    NotificationCenter local;
    SimDistributedCenter distributed;
    SimHidSystem hid;
    SimUsbBus usb;
    RecordingPoster poster;
    SimModifierTap modifierTap;
    SimDisplays displays;
    SimWorkspace workspace;
    MemoryUserDefaults defaults;
    StringTable strings{{QStringLiteral("en")}};
    ScriptedAlerts alerts;
    ScriptedFilePanels filePanels;
    SimKeyboard keyboard;
    RecordingFiles files;

private:
    std::unique_ptr<QTemporaryDir> m_tempDir;
    std::unique_ptr<Platform> m_platform;
};

} // namespace platform::sim
