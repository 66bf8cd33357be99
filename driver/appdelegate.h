#pragma once

#include <functional>
#include <memory>

#include <QString>
#include "driver/ovhudalert.h"

namespace platform {
struct Platform;
}

namespace driver {

class OVManager;

// The driver program's delegate: keeps one running copy and creates the
// device manager. Every way the driver ends goes through terminate(), so
// pending configuration saves are always written.
class AppDelegate
{
public:
    explicit AppDelegate(platform::Platform &platform);
    ~AppDelegate();
    AppDelegate(const AppDelegate &) = delete;
    AppDelegate &operator=(const AppDelegate &) = delete;

    // Schedules launchedInit() for the next turn of the run loop.
    void applicationDidFinishLaunching();
    // A second running copy ends this one before any device is opened;
    // otherwise the manager is made.
    void launchedInit();
    // Cleans the manager up (services, saves, HID managers, tap).
    void applicationWillTerminate();
    // Runs applicationWillTerminate() once, tells the termination handler
    // and ends the run loop. Asked while an alert or panel is open, it
    // answers every open one with its default and ends the driver once they
    // have unwound: never under an alert's caller.
    void terminate(const QString &reason);
    // Told just before the run loop is asked to end.
    void setTerminationHandler(std::function<void(const QString &reason)> handler)
    {
        m_terminationHandler = std::move(handler);
    }
    bool isTerminating() const { return m_terminating; }
    // Asked to terminate while modal runs were open; it ends once they end.
    bool isTerminationHeld() const { return m_terminationHeld && !m_terminating; }
    // Who hears of the driver's notices and windows (the simulator's output);
    // handed to the device manager when it is made.
    void setWindowObservers(const WindowObservers &observers) { m_windowObservers = observers; }

    OVManager *manager() const;

private:
    platform::Platform &m_platform;
    std::function<void(const QString &)> m_terminationHandler;
    WindowObservers m_windowObservers;
    bool m_terminating = false;
    bool m_terminationHeld = false;
    bool m_cleanedUp = false;
    // Held by the termination that waits for the modal runs, weakly.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace driver
