#include "simplatform.h"

namespace platform::sim {

SimPlatform::SimPlatform(SimBus &bus, const QString &bundleId, const QString &dataFolder)
    : distributed(bus, runLoop)
{
    QString folder = dataFolder;
    if (folder.isEmpty()) {
        m_tempDir = std::make_unique<QTemporaryDir>();
        folder = m_tempDir->path();
    }
    m_platform.reset(new Platform{{runLoop, local, distributed, displays, workspace, defaults, strings, alerts,
                                   filePanels, keyboard, files, modalRuns, folder, bundleId},
                                  hid, usb, poster, modifierTap});
    alerts.setModalRuns(&modalRuns);
    filePanels.setModalRuns(&modalRuns);
    // The program itself is one running copy of its own bundle.
    workspace.setRunning(bundleId, 1);
}

SimPlatform::~SimPlatform() = default;

} // namespace platform::sim
