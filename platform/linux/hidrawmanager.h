#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/hid.h"

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace platform::native {

class HidrawDevice;
class HidrawSystem;

// A HID manager over the hidraw nodes whose vendor and product are in its
// matching list. open() opens every such node present; the udev monitor adds
// and removes nodes later. Callbacks run on the main loop while the manager
// is scheduled.
class HidrawManager : public HidManager
{
public:
    explicit HidrawManager(HidrawSystem &system);
    ~HidrawManager() override;

    void setDeviceMatchingMultiple(const QList<VendorProduct> &matching) override;
    quint32 open(quint32 options) override;
    void registerDeviceMatchingCallback(DeviceCallback callback) override;
    void registerDeviceRemovalCallback(DeviceCallback callback) override;
    void scheduleWithRunLoop() override;
    void unscheduleFromRunLoop() override;
    quint32 close(quint32 options) override;

    // Hot-plug, as the udev monitor reports it; public so the udev-less
    // fallback and tests can drive it.
    // Both wait for the modal runs to end, as input reports do.
    void nodeAdded(const QString &sysPath, const QString &devNode = QString());
    void nodeRemoved(const QString &sysPath, const QString &devNode = QString());
    // The kernel added an input node; seized devices grab what is theirs.
    void inputNodeAdded();

    int deviceCount() const { return int(m_devices.size()); }

private:
    void addNode(const QString &sysPath, const QString &devNode);
    void removeNode(const QString &sysPath, const QString &devNode);
    // fn now, or once the modal runs have ended while this manager lives.
    void deliver(std::function<void()> fn);
    bool startMonitor();
    void stopMonitor();
    void monitorReadable();
    QStringList presentNodes();
    HidrawDevice *openNode(const QString &sysPath, const QString &devNode, bool hotPlugged, quint32 *result);
    void announcePending();
    void updateDelivery();

    HidrawSystem &m_system;
    QList<VendorProduct> m_matching;
    DeviceCallback m_matched;
    DeviceCallback m_removed;
    std::vector<std::unique_ptr<HidrawDevice>> m_devices;
    std::vector<HidrawDevice *> m_announced;
    bool m_open = false;
    bool m_scheduled = false;
    bool m_seize = false;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_monitorNotifier;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace platform::native
