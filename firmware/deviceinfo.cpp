#include "deviceinfo.h"

#include <thread>

#include "firmware/deviceexchange.h"
#include "firmware/iapframe.h"
#include "platform/runloop.h"
#include "platform/userdefaults.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

namespace firmware {

namespace {
// Delays of the follow-ups, seconds.
constexpr double kKalverinSBindDelay = 1.0;
constexpr double kKalverinSPrefDelay = 0.1;
constexpr double kBootQueryDelay = 0.5;
constexpr double kBootCpuDelay = 0.5;
} // namespace

QString versionText(quint16 major, quint16 minor)
{
    const float value = QString::asprintf("%d.%02d", int(major), int(minor)).toFloat();
    return QString::asprintf("%.2f", double(value));
}

bool isKalverinS115(const QString &fwVer)
{
    return fwVer.toFloat() == 1.15f;
}

std::shared_ptr<DeviceInfo> DeviceInfo::create(std::shared_ptr<DeviceExchange> exchange,
                                               platform::RunLoop &runLoop, platform::UserDefaults &defaults)
{
    return std::shared_ptr<DeviceInfo>(new DeviceInfo(std::move(exchange), runLoop, defaults));
}

DeviceInfo::DeviceInfo(std::shared_ptr<DeviceExchange> exchange, platform::RunLoop &runLoop,
                       platform::UserDefaults &defaults)
    : m_exchange(std::move(exchange))
    , m_runLoop(runLoop)
    , m_defaults(defaults)
    , m_devKey(m_exchange->devKey())
{
}

QString DeviceInfo::hdVer() const
{
    std::lock_guard lock(m_versionMutex);
    return m_hdVer;
}

QString DeviceInfo::fwVer() const
{
    std::lock_guard lock(m_versionMutex);
    return m_fwVer;
}

CpuInfo DeviceInfo::cpuInfo() const
{
    return m_cpuInfo;
}

void DeviceInfo::setRequestCpuInfoComplete(CpuInfoCallback callback)
{
    m_requestCpuInfoComplete = std::move(callback);
}

void DeviceInfo::setShowUpdateAlert(std::function<void()> showUpdateAlert)
{
    m_showUpdateAlert = std::move(showUpdateAlert);
}

bool DeviceInfo::hfvers()
{
    const auto record = Tll_DevCmd_ReadVersionInfo(*m_exchange, kInterface0C, modelNumberForDevKey(m_devKey));
    const VersionRecord values = record.value_or(VersionRecord{});
    if (m_cleanedUp)
        return record.has_value();
    {
        std::lock_guard lock(m_versionMutex);
        m_hdVer = versionText(values.hardwareMajor, values.hardwareMinor);
        m_fwVer = versionText(values.firmwareMajor, values.firmwareMinor);
    }

    const bool boot = m_isFirmwareUpdate;
    // A failed read says nothing about the firmware: the default stays.
    const bool kalverinS = record && store::firmware115Variant(store::factsFor(m_devKey));
    if (!boot && !kalverinS)
        return record.has_value();
    std::weak_ptr<DeviceInfo> weak = weak_from_this();
    m_runLoop.postFromAnyThread([weak, boot] {
        auto self = weak.lock();
        if (!self || self->m_cleanedUp)
            return;
        self->m_runLoop.after(boot ? kBootCpuDelay : kKalverinSPrefDelay, self.get(), [weak, boot] {
            auto self = weak.lock();
            if (!self || self->m_cleanedUp)
                return;
            if (boot)
                self->requestCpuInfo();
            else
                self->checkKalverinSFirmWareVersionToUpdatePref();
        });
    });
    return record.has_value();
}

void DeviceInfo::requestCpuInfo()
{
    if (m_cleanedUp)
        return;
    const int modelNumber = modelNumberForDevKey(m_devKey);
    std::shared_ptr<DeviceInfo> self = shared_from_this();
    std::thread([self, modelNumber] {
        const CpuInfo info =
            Tll_DevCmd_ReadCpuInfo(*self->m_exchange, kInterface0C, modelNumber).value_or(CpuInfo{});
        std::weak_ptr<DeviceInfo> weak = self;
        self->m_runLoop.postFromAnyThread([weak, info] {
            if (auto self = weak.lock())
                self->cpuInfoArrived(info);
        });
    }).detach();
}

void DeviceInfo::cpuInfoArrived(const CpuInfo &info)
{
    if (m_cleanedUp)
        return;
    if (m_requestCpuInfoComplete) {
        // A copy: the callback may replace itself.
        const CpuInfoCallback callback = m_requestCpuInfoComplete;
        callback(info);
    }
    if (m_isFirmwareUpdate) {
        m_cpuInfo = info;
        if (m_showUpdateAlert)
            m_showUpdateAlert();
    }
}

void DeviceInfo::checkKalverinSFirmWareVersionToUpdatePref()
{
    const QString version = fwVer();
    if (version.isNull())
        return;
    m_defaults.setValue(store::KalverinSIs115, isKalverinS115(version));
}

void DeviceInfo::interfaceBound()
{
    if (m_cleanedUp || m_isFirmwareUpdate || !store::firmware115Variant(store::factsFor(m_devKey)))
        return;
    std::weak_ptr<DeviceInfo> weak = weak_from_this();
    m_runLoop.after(kKalverinSBindDelay, this, [weak] {
        auto self = weak.lock();
        if (!self || self->m_cleanedUp)
            return;
        self->startVersionThread(nullptr);
    });
}

void DeviceInfo::bootProgramEntered(std::function<void()> first)
{
    if (m_cleanedUp)
        return;
    std::weak_ptr<DeviceInfo> weak = weak_from_this();
    m_runLoop.after(kBootQueryDelay, this, [weak, first = std::move(first)] {
        auto self = weak.lock();
        if (!self || self->m_cleanedUp)
            return;
        if (first)
            first();
        self->startVersionThread(nullptr);
    });
}

void DeviceInfo::readVersions(VersionsCallback done)
{
    if (m_cleanedUp)
        return;
    startVersionThread(std::move(done));
}

void DeviceInfo::startVersionThread(VersionsCallback done)
{
    std::shared_ptr<DeviceInfo> self = shared_from_this();
    std::thread([self, done = std::move(done)] {
        self->hfvers();
        if (!done)
            return;
        std::weak_ptr<DeviceInfo> weak = self;
        const QString hd = self->hdVer();
        const QString fw = self->fwVer();
        self->m_runLoop.postFromAnyThread([weak, done, hd, fw] {
            auto self = weak.lock();
            if (self && !self->m_cleanedUp)
                done(hd, fw);
        });
    }).detach();
}

void DeviceInfo::cleanup()
{
    m_cleanedUp = true;
    m_runLoop.cancelAll(this);
    {
        std::lock_guard lock(m_versionMutex);
        m_hdVer.clear();
        m_fwVer.clear();
    }
    m_requestCpuInfoComplete = nullptr;
    m_showUpdateAlert = nullptr;
}

} // namespace firmware
