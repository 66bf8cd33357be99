#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "platform/hid.h"

namespace platform {
class ModalRuns;
}

namespace platform::native {

class HidSysCalls;

// Where the hidraw platform looks. Tests hand it a fake sysfs tree, a fake
// /dev and system calls of their own, and leave udev out.
struct HidrawEnvironment
{
    QString sysRoot = QStringLiteral("/sys");
    QString devRoot = QStringLiteral("/dev");
    HidSysCalls *calls = nullptr; // nullptr: the real system calls
    // Enumerate and watch hot-plug through libudev; without it the devices
    // present at open are read from sysfs and none come later.
    bool useUdev = true;
};

// HID managers on hidraw: enumeration and hot-plug through libudev, usage
// pages from our own reading of the report descriptors.
class HidrawSystem : public HidSystem
{
public:
    explicit HidrawSystem(HidrawEnvironment environment = {});
    ~HidrawSystem() override;

    std::unique_ptr<HidManager> createManager() override;

    // False, with the reason in *why, when no hidraw device can be found
    // now: no udev, or no hidraw device nodes at all.
    bool available(QString *why) const;
    // Logs that reason in one line, the first time a manager opens while
    // hidraw is unavailable; the managers still open and wait for devices.
    void logIfUnavailable();

    // Told of each input report a device read, once its callback is done;
    // the uinput poster keeps a resting pen in range by it.
    using ReportObserver = std::function<void(const HidDevice *device)>;
    void setReportObserver(ReportObserver observer) { m_reportObserver = std::move(observer); }
    const ReportObserver &reportObserver() const { return m_reportObserver; }

    // Matching, removal and input reports wait for these modal runs to end
    // (nullptr: delivered at once).
    void setModalRuns(ModalRuns *runs) { m_modalRuns = runs; }
    ModalRuns *modalRuns() const { return m_modalRuns; }

    const HidrawEnvironment &environment() const { return m_environment; }
    HidSysCalls &calls() const;

private:
    HidrawEnvironment m_environment;
    bool m_reported = false;
    ReportObserver m_reportObserver;
    ModalRuns *m_modalRuns = nullptr;
};

} // namespace platform::native
