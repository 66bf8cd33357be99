#include "hidrawmanager.h"

#include <algorithm>

#include <QSocketNotifier>

#include <libudev.h>

#include "platform/linux/hidrawdevice.h"
#include "platform/linux/hidrawsystem.h"
#include "platform/linux/hidsysfs.h"
#include "platform/linux/linuxlog.h"
#include "platform/modalruns.h"

namespace platform::native {

namespace {

// Udev events are read per wake-up up to this many; a burst (a hub with
// several tablets) is finished on the next turns.
constexpr int kEventsPerWakeUp = 32;

QString fromUdev(const char *text)
{
    return text ? QString::fromLocal8Bit(text) : QString();
}

} // namespace

HidrawManager::HidrawManager(HidrawSystem &system)
    : m_system(system)
{ }

HidrawManager::~HidrawManager()
{
    close(kHidOptionsNone);
}

void HidrawManager::setDeviceMatchingMultiple(const QList<VendorProduct> &matching)
{
    m_matching = matching;
}

void HidrawManager::registerDeviceMatchingCallback(DeviceCallback callback)
{
    m_matched = std::move(callback);
}

void HidrawManager::registerDeviceRemovalCallback(DeviceCallback callback)
{
    m_removed = std::move(callback);
}

quint32 HidrawManager::open(quint32 options)
{
    if (m_open)
        return hidresult::Success;
    m_seize = (options & kHidOptionsSeize) != 0;
    m_system.logIfUnavailable();
    // The monitor starts before the listing so that no device slips between
    // the two; one seen twice is opened once.
    if (m_system.environment().useUdev && !startMonitor())
        qCInfo(
            lcLinux, "hidraw hot-plug unavailable: cannot watch udev; devices connected later are not seen");

    for (const QString &sysPath : presentNodes()) {
        quint32 result = hidresult::Success;
        openNode(sysPath, QString(), false, &result);
        // Access refused or the device held elsewhere is the user's to mend
        // (udev rule, another driver): the whole manager fails, as the
        // caller alerts on these two. Anything else loses one node only.
        if (result == hidresult::NotPermitted || result == hidresult::ExclusiveAccess) {
            stopMonitor();
            m_devices.clear();
            return result;
        }
    }
    m_open = true;
    updateDelivery();
    announcePending();
    return hidresult::Success;
}

QStringList HidrawManager::presentNodes()
{
    if (!m_udev)
        return hidrawSysPaths(m_system.environment().sysRoot);
    QStringList paths;
    udev_enumerate *enumerate = udev_enumerate_new(m_udev);
    if (!enumerate)
        return hidrawSysPaths(m_system.environment().sysRoot);
    udev_enumerate_add_match_subsystem(enumerate, "hidraw");
    if (udev_enumerate_scan_devices(enumerate) >= 0) {
        udev_list_entry *entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
            paths.append(fromUdev(udev_list_entry_get_name(entry)));
    }
    udev_enumerate_unref(enumerate);
    return paths;
}

HidrawDevice *HidrawManager::openNode(
    const QString &sysPath, const QString &devNode, bool hotPlugged, quint32 *result)
{
    const HidrawEnvironment &environment = m_system.environment();
    std::optional<HidrawNode> node = readHidrawNode(sysPath, environment.devRoot);
    if (!node || !m_matching.contains(VendorProduct { node->vendorId, node->productId }))
        return nullptr;
    if (!devNode.isEmpty())
        node->devNode = devNode;
    const bool known = std::any_of(m_devices.begin(), m_devices.end(),
        [&](const auto &device) { return device->node().sysPath == node->sysPath; });
    if (known)
        return nullptr;

    auto device = std::make_unique<HidrawDevice>(std::move(*node), m_system.calls());
    device->setReportObserver(&m_system.reportObserver());
    device->setModalRuns(m_system.modalRuns());
    // A device plugged in later may announce its hidraw node before udev has
    // given the user its event nodes; the input node's own event grabs them.
    using Seize = HidrawDevice::Seize;
    *result = device->open(!m_seize ? Seize::No : hotPlugged ? Seize::WhenPossible : Seize::Required);
    if (*result != hidresult::Success)
        return nullptr;
    m_devices.push_back(std::move(device));
    return m_devices.back().get();
}

void HidrawManager::scheduleWithRunLoop()
{
    m_scheduled = true;
    updateDelivery();
    announcePending();
}

void HidrawManager::unscheduleFromRunLoop()
{
    m_scheduled = false;
    updateDelivery();
}

void HidrawManager::updateDelivery()
{
    const bool delivering = m_open && m_scheduled;
    for (const auto &device : m_devices)
        device->setDelivering(delivering);
    // While unscheduled, udev events wait in the monitor's socket.
    if (m_monitorNotifier)
        m_monitorNotifier->setEnabled(delivering);
}

void HidrawManager::announcePending()
{
    if (!m_open || !m_scheduled)
        return;
    // A callback may add or remove devices; walk a snapshot and check each
    // is still ours before announcing it.
    std::vector<HidrawDevice *> pending;
    for (const auto &device : m_devices) {
        if (std::find(m_announced.begin(), m_announced.end(), device.get()) == m_announced.end())
            pending.push_back(device.get());
    }
    for (HidrawDevice *device : pending) {
        const bool present = std::any_of(
            m_devices.begin(), m_devices.end(), [&](const auto &owned) { return owned.get() == device; });
        if (!present || !m_open || !m_scheduled)
            continue;
        m_announced.push_back(device);
        if (m_matched) {
            DeviceCallback callback = m_matched;
            callback(device);
        }
    }
}

void HidrawManager::deliver(std::function<void()> fn)
{
    ModalRuns *runs = m_system.modalRuns();
    if (!runs) {
        fn();
        return;
    }
    std::weak_ptr<bool> alive = m_alive;
    runs->deliver([alive, fn = std::move(fn)] {
        if (!alive.expired())
            fn();
    });
}

void HidrawManager::nodeAdded(const QString &sysPath, const QString &devNode)
{
    deliver([this, sysPath, devNode] { addNode(sysPath, devNode); });
}

void HidrawManager::nodeRemoved(const QString &sysPath, const QString &devNode)
{
    // The device object stays until this runs: its reports held back before
    // the removal still find it.
    deliver([this, sysPath, devNode] { removeNode(sysPath, devNode); });
}

void HidrawManager::addNode(const QString &sysPath, const QString &devNode)
{
    if (!m_open)
        return;
    // A node that fails to open was logged by the device and is skipped.
    quint32 result = hidresult::Success;
    HidrawDevice *device = openNode(sysPath, devNode, true, &result);
    if (!device)
        return;
    // A device opens with delivery off; one that arrives while the manager
    // runs is read from now on, as those found at open() are.
    device->setDelivering(m_open && m_scheduled);
    announcePending();
}

void HidrawManager::removeNode(const QString &sysPath, const QString &devNode)
{
    auto it = std::find_if(m_devices.begin(), m_devices.end(), [&](const auto &device) {
        return device->node().sysPath == sysPath || (!devNode.isEmpty() && device->node().devNode == devNode);
    });
    if (it == m_devices.end())
        return;
    HidrawDevice *device = it->get();
    auto announced = std::find(m_announced.begin(), m_announced.end(), device);
    if (announced != m_announced.end()) {
        m_announced.erase(announced);
        if (m_removed) {
            DeviceCallback callback = m_removed;
            callback(device);
        }
    }
    // Find again: the callback may have changed the list.
    it = std::find_if(
        m_devices.begin(), m_devices.end(), [&](const auto &owned) { return owned.get() == device; });
    if (it != m_devices.end())
        m_devices.erase(it);
}

void HidrawManager::inputNodeAdded()
{
    if (!m_seize)
        return;
    for (const auto &device : m_devices) {
        if (!device->isOpen())
            continue;
        if (const std::optional<HidrawNode> node
            = readHidrawNode(device->node().sysPath, m_system.environment().devRoot))
            device->grabNewEventNodes(node->eventNodes);
    }
}

quint32 HidrawManager::close(quint32)
{
    stopMonitor();
    for (const auto &device : m_devices)
        device->close();
    m_open = false;
    m_scheduled = false;
    return hidresult::Success;
}

bool HidrawManager::startMonitor()
{
    m_udev = udev_new();
    if (!m_udev)
        return false;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0
        || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "input", nullptr) < 0
        || udev_monitor_enable_receiving(m_monitor) < 0) {
        // Enumeration still works through the udev context.
        if (m_monitor)
            udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
        return false;
    }
    m_monitorNotifier
        = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
    m_monitorNotifier->setEnabled(false);
    QObject::connect(m_monitorNotifier.get(), &QSocketNotifier::activated, m_monitorNotifier.get(),
        [this] { monitorReadable(); });
    return true;
}

void HidrawManager::stopMonitor()
{
    m_monitorNotifier.reset();
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev)
        udev_unref(m_udev);
    m_udev = nullptr;
}

void HidrawManager::monitorReadable()
{
    for (int i = 0; i < kEventsPerWakeUp && m_monitor; ++i) {
        udev_device *device = udev_monitor_receive_device(m_monitor);
        if (!device)
            return;
        const QString action = fromUdev(udev_device_get_action(device));
        const QString subsystem = fromUdev(udev_device_get_subsystem(device));
        const QString sysPath = fromUdev(udev_device_get_syspath(device));
        const QString devNode = fromUdev(udev_device_get_devnode(device));
        const QString sysName = fromUdev(udev_device_get_sysname(device));
        udev_device_unref(device);

        if (subsystem == QLatin1String("hidraw")) {
            if (action == QLatin1String("add"))
                nodeAdded(sysPath, devNode);
            else if (action == QLatin1String("remove"))
                nodeRemoved(sysPath, devNode);
        } else if (action == QLatin1String("add") && sysName.startsWith(QLatin1String("event"))) {
            inputNodeAdded();
        }
    }
}

} // namespace platform::native
