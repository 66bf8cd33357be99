#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
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
// boot program, its CPU information, with the queries that read them.
//
// Threads: hfvers() runs on worker threads and blocks on the exchange;
// everything else runs on the main thread. Held by shared_ptr so that the
// threads and delayed steps it starts can outlive the service's reference;
// after cleanup() they do nothing visible.
class DeviceInfo : public std::enable_shared_from_this<DeviceInfo>
{
public:
    using CpuInfoCallback = std::function<void(const CpuInfo &)>;
    using VersionsCallback = std::function<void(const QString &hdVer, const QString &fwVer)>;

    static std::shared_ptr<DeviceInfo> create(std::shared_ptr<DeviceExchange> exchange,
                                              platform::RunLoop &runLoop, platform::UserDefaults &defaults);
    DeviceInfo(const DeviceInfo &) = delete;
    DeviceInfo &operator=(const DeviceInfo &) = delete;

    // Null until the first version read and after cleanup.
    QString hdVer() const;
    QString fwVer() const;
    CpuInfo cpuInfo() const; // main thread
    bool isFirmwareUpdate() const { return m_isFirmwareUpdate; }
    void setIsFirmwareUpdate(bool isFirmwareUpdate) { m_isFirmwareUpdate = isFirmwareUpdate; }
    // Main thread. Called after every CPU query, with the result (all 0 on
    // failure). Keeps what the callback holds until it is replaced.
    void setRequestCpuInfoComplete(CpuInfoCallback callback);
    // Main thread. What the boot program's CPU query leads to: the update
    // prompt (showUpdateAlert).
    void setShowUpdateAlert(std::function<void()> showUpdateAlert);

    // Worker thread. Reads the version record, sets hdVer and fwVer (0.00
    // after a failed read), then schedules the follow-up: in the boot
    // program the CPU query 0.5 s later; for the Kalverin S after a
    // successful read the "KalverinSIs115" default 0.1 s later. Answers
    // whether the read succeeded.
    bool hfvers();
    // Main thread. Starts the CPU query on a worker thread and returns; the
    // result reaches requestCpuInfoComplete and, in the boot program,
    // cpuInfo() and showUpdateAlert on the main thread.
    void requestCpuInfo();
    // Main thread. "KalverinSIs115" from fwVer; nothing without a version.
    void checkKalverinSFirmWareVersionToUpdatePref();

    // The three occasions of a version read.
    // Main thread, after the 0xFF0C interface is bound in the application
    // program: for the Kalverin S, hfvers on a worker 1 s later; nothing for
    // other models.
    void interfaceBound();
    // Main thread, after the 0xFF0C interface of a device in its boot
    // program is bound without a kept firmware path: 0.5 s later runs
    // `first` (the caller's quit notice), then hfvers on a worker.
    void bootProgramEntered(std::function<void()> first);
    // Main thread, for the diagnostics window: hfvers on a worker, then
    // `done` with the versions on the main thread (not after cleanup).
    void readVersions(VersionsCallback done);

    // Main thread. Clears the versions, cancels the delayed steps and drops
    // every later result.
    void cleanup();

private:
    DeviceInfo(std::shared_ptr<DeviceExchange> exchange, platform::RunLoop &runLoop,
               platform::UserDefaults &defaults);
    void startVersionThread(VersionsCallback done);
    void cpuInfoArrived(const CpuInfo &info);

    const std::shared_ptr<DeviceExchange> m_exchange;
    platform::RunLoop &m_runLoop;
    platform::UserDefaults &m_defaults;
    const QString m_devKey;

    mutable std::mutex m_versionMutex; // hdVer and fwVer are read on the main thread
    QString m_hdVer;
    QString m_fwVer;

    std::atomic<bool> m_isFirmwareUpdate{false};
    std::atomic<bool> m_cleanedUp{false};
    CpuInfo m_cpuInfo; // main thread
    CpuInfoCallback m_requestCpuInfoComplete; // main thread
    std::function<void()> m_showUpdateAlert; // main thread
};

} // namespace firmware
