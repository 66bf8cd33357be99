#include "simhid.h"

#include <algorithm>

namespace platform::sim {

class SimHidManager : public HidManager
{
public:
    explicit SimHidManager(SimHidSystem &system)
        : m_system(system)
    {
        m_system.m_managers.push_back(this);
    }
    ~SimHidManager() override { m_system.managerGone(this); }

    void setDeviceMatchingMultiple(const QList<VendorProduct> &matching) override { m_matching = matching; }
    quint32 open(quint32) override
    {
        const quint32 result = m_system.openResultFor(m_matching);
        if (result == hidresult::Success) {
            m_open = true;
            ++m_system.m_openedCount;
        }
        return result;
    }
    void registerDeviceMatchingCallback(DeviceCallback callback) override { m_matched = std::move(callback); }
    void registerDeviceRemovalCallback(DeviceCallback callback) override { m_removed = std::move(callback); }
    void scheduleWithRunLoop() override
    {
        m_scheduled = true;
        m_system.managerScheduled(this);
    }
    void unscheduleFromRunLoop() override { m_scheduled = false; }
    quint32 close(quint32) override
    {
        m_open = false;
        m_scheduled = false;
        return hidresult::Success;
    }

    bool active() const { return m_open && m_scheduled; }
    bool matches(const SimHidDevice &device) const { return m_matching.contains(device.vendorProduct()); }
    const QList<VendorProduct> &matching() const { return m_matching; }

    void matched(SimHidDevice *device)
    {
        if (active() && matches(*device) && m_matched) {
            m_known.push_back(device);
            m_matched(device);
        }
    }
    void removed(SimHidDevice *device)
    {
        auto it = std::find(m_known.begin(), m_known.end(), device);
        if (it == m_known.end())
            return;
        m_known.erase(it);
        if (active() && m_removed)
            m_removed(device);
    }

private:
    SimHidSystem &m_system;
    QList<VendorProduct> m_matching;
    DeviceCallback m_matched;
    DeviceCallback m_removed;
    std::vector<SimHidDevice *> m_known;
    bool m_open = false;
    bool m_scheduled = false;
};

SimHidDevice::SimHidDevice(SimHidSystem &system, QString name, QVariantMap properties)
    : m_system(system)
    , m_name(std::move(name))
    , m_properties(std::move(properties))
{
}

QVariant SimHidDevice::property(const QString &key) const
{
    return m_properties.value(key);
}

void SimHidDevice::registerInputReportCallback(InputReportCallback callback, int maxLength)
{
    m_callback = std::move(callback);
    m_maxLength = maxLength;
}

quint32 SimHidDevice::setReport(ReportType type, quint32 reportId, std::span<const std::uint8_t> bytes)
{
    OutputReport report{type, reportId,
                        QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()))};
    m_output.push_back(report);
    if (m_system.m_outputHook)
        m_system.m_outputHook(*this, report);
    return m_reportResult;
}

quint32 SimHidDevice::close()
{
    m_closed = true;
    return hidresult::Success;
}

VendorProduct SimHidDevice::vendorProduct() const
{
    return VendorProduct{m_properties.value(QLatin1String(kHidVendorID)).toInt(),
                         m_properties.value(QLatin1String(kHidProductID)).toInt()};
}

void SimHidDevice::deliverInput(std::span<const std::uint8_t> bytes)
{
    if (!m_callback)
        return;
    // The platform hands over at most the registered buffer's length.
    if (m_maxLength > 0 && bytes.size() > size_t(m_maxLength))
        bytes = bytes.first(size_t(m_maxLength));
    // Copy: the callback may unregister itself (and so free what it holds).
    InputReportCallback callback = m_callback;
    callback(InputReport{hidresult::Success, this, ReportType::Input, 0, bytes});
}

SimHidSystem::SimHidSystem() = default;

SimHidSystem::~SimHidSystem()
{
    for (SimHidManager *manager : m_managers)
        (void)manager; // managers outlive nothing here: their owners drop them
}

std::unique_ptr<HidManager> SimHidSystem::createManager()
{
    return std::make_unique<SimHidManager>(*this);
}

void SimHidSystem::setOpenResult(VendorProduct match, quint32 result)
{
    m_openResults.emplace_back(match, result);
}

quint32 SimHidSystem::openResultFor(const QList<VendorProduct> &matching) const
{
    for (const auto &[match, result] : m_openResults) {
        if (matching.contains(match))
            return result;
    }
    return hidresult::Success;
}

void SimHidSystem::managerScheduled(SimHidManager *manager)
{
    std::vector<SimHidDevice *> present;
    for (const auto &device : m_devices)
        present.push_back(device.get());
    for (SimHidDevice *device : present)
        manager->matched(device);
}

void SimHidSystem::managerGone(SimHidManager *manager)
{
    m_managers.erase(std::remove(m_managers.begin(), m_managers.end(), manager), m_managers.end());
}

SimHidDevice *SimHidSystem::connect(const QString &name, const QVariantMap &properties)
{
    m_devices.push_back(std::make_unique<SimHidDevice>(*this, name, properties));
    SimHidDevice *device = m_devices.back().get();
    const std::vector<SimHidManager *> managers = m_managers;
    for (SimHidManager *manager : managers)
        manager->matched(device);
    return device;
}

bool SimHidSystem::remove(const QString &name)
{
    auto it = std::find_if(m_devices.begin(), m_devices.end(),
                           [&](const auto &d) { return d->name() == name; });
    if (it == m_devices.end())
        return false;
    SimHidDevice *device = it->get();
    const std::vector<SimHidManager *> managers = m_managers;
    for (SimHidManager *manager : managers)
        manager->removed(device);
    // Find again: a callback may have changed the list.
    it = std::find_if(m_devices.begin(), m_devices.end(), [&](const auto &d) { return d.get() == device; });
    if (it != m_devices.end())
        m_devices.erase(it);
    return true;
}

bool SimHidSystem::report(const QString &name, std::span<const std::uint8_t> bytes)
{
    SimHidDevice *target = device(name);
    if (!target)
        return false;
    target->deliverInput(bytes);
    return true;
}

SimHidDevice *SimHidSystem::device(const QString &name) const
{
    for (const auto &device : m_devices) {
        if (device->name() == name)
            return device.get();
    }
    return nullptr;
}

} // namespace platform::sim
