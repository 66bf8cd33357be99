#include "appdelegate.h"

#include "driver/driverlog.h"
#include "driver/ovhudalert.h"
#include "driver/ovmanager.h"
#include "platform/modalruns.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/workspace.h"

namespace driver {

AppDelegate::AppDelegate(platform::Platform &platform)
    : m_platform(platform)
{
}

AppDelegate::~AppDelegate()
{
    // The manager lives in this program's delegate; it never outlives it.
    if (!m_cleanedUp)
        applicationWillTerminate();
    OVManager::destroySharedManager();
    m_platform.runLoop.cancelAll(this);
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_platform.runLoop.after(0, this, [this] { launchedInit(); });
}

void AppDelegate::launchedInit()
{
    if (m_terminating)
        return;
    if (m_platform.workspace.runningCount(QLatin1String(platform::kDriverBundleId)) >= 2) {
        terminate(QStringLiteral("another copy is running"));
        return;
    }
    OVManager &manager = OVManager::shareManager(m_platform, [this](const QString &reason) { terminate(reason); });
    manager.setWindowObservers(m_windowObservers);
}

void AppDelegate::applicationWillTerminate()
{
    if (m_cleanedUp)
        return;
    m_cleanedUp = true;
    // The notice goes with the manager; nobody hears of its windows after.
    if (OVManager *shared = OVManager::sharedManager()) {
        shared->cleanup();
        shared->setWindowObservers({});
    }
}

void AppDelegate::terminate(const QString &reason)
{
    if (m_terminating)
        return;
    platform::ModalRuns &runs = m_platform.modalRuns;
    if (runs.depth() > 0) {
        // An alert's caller is on the stack and would go on into a driver
        // that is cleaned up: the alerts answer their default first.
        runs.beginEnding();
        if (!m_terminationHeld) {
            m_terminationHeld = true;
            std::weak_ptr<bool> alive = m_alive;
            runs.deliver([this, alive, reason] {
                if (!alive.expired())
                    terminate(reason);
            });
        }
        return;
    }
    m_terminating = true;
    m_platform.runLoop.cancelAll(this);
    applicationWillTerminate();
    if (m_terminationHandler)
        m_terminationHandler(reason);
    m_platform.runLoop.quit(0);
}

OVManager *AppDelegate::manager() const
{
    return OVManager::sharedManager();
}

} // namespace driver
