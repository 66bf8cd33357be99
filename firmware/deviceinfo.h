#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>

#include "firmware/cpuinfo.h"
#include "firmware/devcmd.h"

namespace platform {
class RunLoop;
class UserDefaults;
} // namespace platform

namespace firmware {

class DeviceExchange;

// The version text of a major and minor pair: "%d.%02d", read back as a
// 32-bit float and printed with two decimals (so 1 and 123 give "1.12").
QString versionText(quint16 major, quint16 minor);
// "KalverinSIs115": the firmware version, read as a 32-bit float, equals 1.15.
bool isKalverinS115(const QString &fwVer);

// The device information a device service keeps: its versions and, in the
// boot program, its CPU information, with the queries that read them. Main
// thread only; the queries are exchanges on the run loop, their results and
// follow-ups later steps of it. Held by shared_ptr: every step it schedules
// holds it weakly, and after cleanup() none does anything visible.
class DeviceInfo : public std::enable_shared_from_this<DeviceInfo>
{
public:
    using CpuInfoCallback = std::function<void(const CpuInfo &)>;
    using VersionsCallback = std::function<void(const QString &hdVer, const QString &fwVer)>;

    static std::shared_ptr<DeviceInfo> create(std::shared_ptr<DeviceExchange> exchange,
                                              platform::RunLoop &runLoop, platform::UserDefaults &defaults);
    ~DeviceInfo();
    DeviceInfo(const DeviceInfo &) = delete;
    DeviceInfo &operator=(const DeviceInfo &) = delete;

    // Null until the first version read and after cleanup.
    QString hdVer() const { return m_hdVer; }
    QString fwVer() const { return m_fwVer; }
    CpuInfo cpuInfo() const { return m_cpuInfo; }
    bool isFirmwareUpdate() const { return m_isFirmwareUpdate; }
    void setIsFirmwareUpdate(bool isFirmwareUpdate) { m_isFirmwareUpdate = isFirmwareUpdate; }
    // Called after every CPU query, with the result (all 0 on failure).
    // Keeps what the callback holds until it is replaced.
    void setRequestCpuInfoComplete(CpuInfoCallback callback);
    // What the boot program's CPU query leads to: the update prompt
    // (showUpdateAlert).
    void setShowUpdateAlert(std::function<void()> showUpdateAlert);

    // Reads the version record and sets hdVer and fwVer (0.00 after a failed
    // read), then schedules the follow-up: in the boot program the CPU query
    // 0.5 s later; for the Kalverin S after a successful read the
    // "KalverinSIs115" default 0.1 s later. `then` runs after the versions
    // are set (not after cleanup).
    void hfvers(std::function<void()> then = nullptr);
    // Starts the CPU query; the result reaches requestCpuInfoComplete and, in
    // the boot program, cpuInfo() and showUpdateAlert.
    void requestCpuInfo();
    // "KalverinSIs115" from fwVer; nothing without a version.
    void checkKalverinSFirmWareVersionToUpdatePref();

    // The three occasions of a version read.
    // After the 0xFF0C interface is bound in the application program: for the
    // Kalverin S, hfvers 1 s later; nothing for other models.
    void interfaceBound();
    // After the 0xFF0C interface of a device in its boot program is bound
    // without a kept firmware path: 0.5 s later runs `first` (the caller's
    // quit notice), then hfvers.
    void bootProgramEntered(std::function<void()> first);
    // For the diagnostics window: hfvers, then `done` with the versions.
    void readVersions(VersionsCallback done);

    // Clears the versions, cancels the delayed steps and drops every later
    // result.
    void cleanup();
    bool isCleanedUp() const { return m_cleanedUp; }

private:
    DeviceInfo(std::shared_ptr<DeviceExchange> exchange, platform::RunLoop &runLoop,
               platform::UserDefaults &defaults);
    // fn after `seconds`, unless the object has gone or been cleaned up.
    void afterIfAlive(double seconds, std::function<void(DeviceInfo &)> fn);
    void cpuInfoArrived(const CpuInfo &info);

    const std::shared_ptr<DeviceExchange> m_exchange;
    platform::RunLoop &m_runLoop;
    platform::UserDefaults &m_defaults;
    const QString m_devKey;

    QString m_hdVer;
    QString m_fwVer;
    bool m_isFirmwareUpdate = false;
    bool m_cleanedUp = false;
    CpuInfo m_cpuInfo;
    CpuInfoCallback m_requestCpuInfoComplete;
    std::function<void()> m_showUpdateAlert;
};

} // namespace firmware
