#include "deviceinfo.h"

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

DeviceInfo::~DeviceInfo() = default;

void DeviceInfo::setRequestCpuInfoComplete(CpuInfoCallback callback)
{
    m_requestCpuInfoComplete = std::move(callback);
}

void DeviceInfo::setShowUpdateAlert(std::function<void()> showUpdateAlert)
{
    m_showUpdateAlert = std::move(showUpdateAlert);
}

void DeviceInfo::afterIfAlive(double seconds, std::function<void(DeviceInfo &)> fn)
{
    std::weak_ptr<DeviceInfo> weak = weak_from_this();
    m_runLoop.after(seconds, this, [weak, fn = std::move(fn)] {
        auto self = weak.lock();
        if (self && !self->m_cleanedUp)
            fn(*self);
    });
}

void DeviceInfo::hfvers(std::function<void()> then)
{
    if (m_cleanedUp)
        return;
    std::weak_ptr<DeviceInfo> weak = weak_from_this();
    Tll_DevCmd_ReadVersionInfo(
        *m_exchange, kInterface0C, modelNumberForDevKey(m_devKey),
        [weak, then = std::move(then)](std::optional<VersionRecord> record) {
            auto self = weak.lock();
            if (!self || self->m_cleanedUp)
                return;
            const VersionRecord values = record.value_or(VersionRecord{});
            self->m_hdVer = versionText(values.hardwareMajor, values.hardwareMinor);
            self->m_fwVer = versionText(values.firmwareMajor, values.firmwareMinor);
            if (self->m_isFirmwareUpdate) {
                self->afterIfAlive(kBootCpuDelay, [](DeviceInfo &info) { info.requestCpuInfo(); });
            } else if (record && store::firmware115Variant(store::factsFor(self->m_devKey))) {
                // A failed read says nothing about the firmware: the default stays.
                self->afterIfAlive(kKalverinSPrefDelay,
                                   [](DeviceInfo &info) { info.checkKalverinSFirmWareVersionToUpdatePref(); });
            }
            if (then)
                then();
        });
}

void DeviceInfo::requestCpuInfo()
{
    if (m_cleanedUp)
        return;
    std::weak_ptr<DeviceInfo> weak = weak_from_this();
    Tll_DevCmd_ReadCpuInfo(*m_exchange, kInterface0C, modelNumberForDevKey(m_devKey),
                           [weak](std::optional<CpuInfo> info) {
                               if (auto self = weak.lock())
                                   self->cpuInfoArrived(info.value_or(CpuInfo{}));
                           });
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
    if (m_isFirmwareUpdate && !m_cleanedUp) {
        m_cpuInfo = info;
        if (m_showUpdateAlert) {
            const std::function<void()> showUpdateAlert = m_showUpdateAlert;
            showUpdateAlert();
        }
    }
}

void DeviceInfo::checkKalverinSFirmWareVersionToUpdatePref()
{
    if (m_fwVer.isNull())
        return;
    m_defaults.setValue(store::KalverinSIs115, isKalverinS115(m_fwVer));
}

void DeviceInfo::interfaceBound()
{
    if (m_cleanedUp || m_isFirmwareUpdate || !store::firmware115Variant(store::factsFor(m_devKey)))
        return;
    afterIfAlive(kKalverinSBindDelay, [](DeviceInfo &info) { info.hfvers(); });
}

void DeviceInfo::bootProgramEntered(std::function<void()> first)
{
    if (m_cleanedUp)
        return;
    afterIfAlive(kBootQueryDelay, [first = std::move(first)](DeviceInfo &info) {
        if (first)
            first();
        info.hfvers();
    });
}

void DeviceInfo::readVersions(VersionsCallback done)
{
    if (m_cleanedUp)
        return;
    std::weak_ptr<DeviceInfo> weak = weak_from_this();
    hfvers([weak, done = std::move(done)] {
        auto self = weak.lock();
        if (self && done)
            done(self->m_hdVer, self->m_fwVer);
    });
}

void DeviceInfo::cleanup()
{
    m_cleanedUp = true;
    m_runLoop.cancelAll(this);
    m_hdVer.clear();
    m_fwVer.clear();
    m_requestCpuInfoComplete = nullptr;
    m_showUpdateAlert = nullptr;
}

} // namespace firmware
