#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QVariantMap>

#include "platform/hid.h"

namespace platform::sim {

class SimHidSystem;

// One scripted HID interface.
class SimHidDevice : public HidDevice
{
public:
    struct OutputReport
    {
        ReportType type;
        quint32 reportId;
        QByteArray bytes;
    };

    SimHidDevice(SimHidSystem &system, QString name, QVariantMap properties);

    QVariant property(const QString &key) const override;
    void registerInputReportCallback(InputReportCallback callback, int maxLength) override;
    quint32 setReport(ReportType type, quint32 reportId, std::span<const std::uint8_t> bytes) override;
    quint32 close() override;

    const QString &name() const { return m_name; }
    VendorProduct vendorProduct() const;
    bool hasInputCallback() const { return bool(m_callback); }
    bool isClosed() const { return m_closed; }
    const std::vector<OutputReport> &outputReports() const { return m_output; }
    // The result the next setReport calls answer.
    void setReportResult(quint32 result) { m_reportResult = result; }
    // Delivers one input report to the registered callback, if any.
    void deliverInput(std::span<const std::uint8_t> bytes);

private:
    SimHidSystem &m_system;
    QString m_name;
    QVariantMap m_properties;
    InputReportCallback m_callback;
    int m_maxLength = 0;
    std::vector<OutputReport> m_output;
    quint32 m_reportResult = hidresult::Success;
    bool m_closed = false;
};

class SimHidManager;

// The simulated HID world: interfaces appear, send reports and go away as a
// test or script says.
class SimHidSystem : public HidSystem
{
public:
    using OutputHook = std::function<void(const SimHidDevice &, const SimHidDevice::OutputReport &)>;

    SimHidSystem();
    ~SimHidSystem() override;

    std::unique_ptr<HidManager> createManager() override;

    // A manager whose matching list holds `match` answers `result` to open().
    void setOpenResult(VendorProduct match, quint32 result);
    void setOutputHook(OutputHook hook) { m_outputHook = std::move(hook); }

    // Adds an interface (properties as platform/hid.h names them) and
    // reports it to every open, scheduled manager that matches it.
    SimHidDevice *connect(const QString &name, const QVariantMap &properties);
    // Removal callbacks first, then the interface is gone.
    bool remove(const QString &name);
    bool report(const QString &name, std::span<const std::uint8_t> bytes);
    SimHidDevice *device(const QString &name) const;
    int managerCount() const { return int(m_managers.size()); }
    int openedManagerCount() const { return m_openedCount; }

private:
    friend class SimHidManager;
    friend class SimHidDevice;
    quint32 openResultFor(const QList<VendorProduct> &matching) const;
    void managerScheduled(SimHidManager *manager);
    void managerGone(SimHidManager *manager);

    std::vector<std::unique_ptr<SimHidDevice>> m_devices;
    std::vector<SimHidManager *> m_managers;
    std::vector<std::pair<VendorProduct, quint32>> m_openResults;
    OutputHook m_outputHook;
    int m_openedCount = 0;
};

} // namespace platform::sim
