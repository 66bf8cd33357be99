// The firmware side of the device service: the diagnostics window, the
// two-phase firmware update with its progress window, and the boot
// program's prompt. Every step runs on the run loop; the waits of the update
// are run-loop delays, and the service's cleanup ends them all.

#include "ovservice.h"

#include <QCryptographicHash>
#include <QDir>

#include "driver/driverlog.h"
#include "driver/ovhudalert.h"
#include "driver/ovmanager.h"
#include "firmware/deviceexchange.h"
#include "firmware/deviceinfo.h"
#include "firmware/firmwarefile.h"
#include "firmware/firmwareservice.h"
#include "firmware/iaptransfer.h"
#include "firmware/ovdiawinctrl.h"
#include "firmware/oviapwinctrl.h"
#include "platform/alerts.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/modalruns.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/strings.h"
#include "platform/workspace.h"
#include "store/diainfo.h"
#include "store/ovpublicdefine.h"

namespace driver {

namespace {

// Seconds.
constexpr double kPhaseSettle = 3.0; // after the switch, before the transfer, after the result
constexpr double kPromptDelay = 0.5; // from the prompt's answer to its next step

QByteArray digestOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// The device service as the firmware windows see it; lives as long as the
// service is not cleaned up.
class ServiceLink : public firmware::FirmwareService
{
public:
    explicit ServiceLink(OVService &service)
        : m_service(service)
    {
    }
    QString devKey() const override { return m_service.getDevkey(); }
    QString pName() const override { return m_service.pName(); }
    firmware::DeviceInfo &deviceInfo() override { return *m_service.deviceInfo(); }
    bool isFirmwareUpdate() const override { return m_service.isFirmwareUpdate(); }
    void desDia() override { m_service.desDia(); }
    void setBPath(const QString &path) override
    {
        m_service.setBPath(path);
        if (path.isEmpty())
            m_service.setBDigest(QByteArray());
    }
    void firmwareUpdate(const QString &path, const QByteArray &checked) override
    {
        m_service.firmwareUpdate(path, checked);
    }
    void restoreFirmwareUpdate(const QByteArray &checked) override { m_service.restoreFirmwareUpdate(checked); }
    void showUpdateAlert() override { m_service.showUpdateAlert(); }

private:
    OVService &m_service;
};

firmware::FirmwareWindowObservers firmwareObservers(const WindowObservers &observers)
{
    return firmware::FirmwareWindowObservers{observers.window, observers.progress};
}

} // namespace

std::shared_ptr<firmware::FirmwareService> makeFirmwareLink(OVService &service)
{
    return std::make_shared<ServiceLink>(service);
}

bool OVService::isAlive(const std::weak_ptr<bool> &alive)
{
    const std::shared_ptr<bool> a = alive.lock();
    return a && *a;
}

void OVService::parkUntilRunsEnd(std::unique_ptr<firmware::OVDIAWinCtrl> &ctrl)
{
    if (!ctrl)
        return;
    ctrl->retire();
    std::shared_ptr<firmware::OVDIAWinCtrl> parked(std::move(ctrl));
    m_platform.modalRuns.deliver([parked] {});
}

void OVService::showD(const QString &productName)
{
    if (m_cleanedUp)
        return;
    if (!m_diaWinCtrl) {
        m_diaWinCtrl = std::make_unique<firmware::OVDIAWinCtrl>(
            m_platform, m_firmwareLink, firmwareObservers(m_manager.windowObservers()), true);
        m_diaWinCtrl->upHar(productName, m_devKey);
    }
    m_diaWinCtrl->showWindow();
}

void OVService::desDia()
{
    if (!m_diaWinCtrl)
        return;
    // The window's own alert or panel may be open (closing the window, the
    // device's disconnection notice): it answers 0, and the controller stays
    // until that run's caller has unwound.
    m_platform.modalRuns.endRunsOf(m_diaWinCtrl.get());
    m_diaWinCtrl->orderOut();
    parkUntilRunsEnd(m_diaWinCtrl);
    m_bPath.clear();
    m_bDigest.clear();
}

void OVService::upPen(const DiagnosticsEffect &report)
{
    if (m_diaWinCtrl)
        m_diaWinCtrl->upPen(std::span<const std::uint8_t>(report.head.data(), report.length));
}

void OVService::beginFirmwareUpdate()
{
    if (m_cleanedUp)
        return;
    m_platform.distributed.post(store::OVCFGQuitDNotification);
    if (!m_iapWinCtrl) {
        m_iapWinCtrl = std::make_unique<firmware::OVIAPWinCtrl>(m_platform, m_pName,
                                                                firmwareObservers(m_manager.windowObservers()));
    }
    m_iapWinCtrl->showWindow();
}

void OVService::endFirmwareUpdate(bool success)
{
    if (m_cleanedUp)
        return;
    if (m_iapWinCtrl) {
        m_iapWinCtrl->orderOut();
        m_iapWinCtrl.reset();
    }
    if (!success)
        return;
    m_bPath.clear();
    m_bDigest.clear();
    m_platform.workspace.launch(QLatin1String(platform::kSettingInstallPath));
}

void OVService::firmwareUpdate(const QString &path, const QByteArray &checked)
{
    if (m_cleanedUp)
        return;
    m_bPath = path;
    m_bDigest = digestOf(checked);
    beginFirmwareUpdate();
    // Cleared before the switch: the device may leave and come back in its
    // boot program on this very service before the switch's reply is read,
    // and phase 2's flag set by then must stand.
    m_iapContinued = false;
    firmware::Tll_IapSwitchToBoot(*m_exchange, firmware::kInterface0C, [this, alive = std::weak_ptr<bool>(m_alive)](int switched) {
        if (auto a = alive.lock(); !a || !*a)
            return;
        firmware::Tll_IapPostProgress(m_platform.runLoop, m_platform.local,
                                      switched ? firmware::kIapStageWaiting : firmware::kIapStageSwitchFailed, true, 0);
        afterIfAlive(kPhaseSettle, [this] {
            if (!m_iapContinued)
                endFirmwareUpdate(false);
        });
    });
}

void OVService::restoreFirmwareUpdate(const std::optional<QByteArray> &checked)
{
    if (m_cleanedUp)
        return;
    qCInfo(lcStdout, "restoreFirmwareUpdate after 3 second");
    m_iapContinued = true;
    beginFirmwareUpdate();
    firmware::Tll_IapPostProgress(m_platform.runLoop, m_platform.local, firmware::kIapStageWaiting, true, 0);
    afterIfAlive(kPhaseSettle, [this, checked] {
        auto finish = [this](int result) {
            const bool ok = result == 1;
            firmware::Tll_IapPostProgress(m_platform.runLoop, m_platform.local,
                                          ok ? firmware::kIapStageCompleted : firmware::kIapStageFailed, !ok,
                                          ok ? 100 : 0);
            afterIfAlive(kPhaseSettle, [this, ok] { endFirmwareUpdate(ok); });
        };
        QByteArray bytes;
        if (checked) {
            bytes = *checked;
        } else {
            // Resumed from the kept path: read once more, and only the file
            // that passed the checks may go out.
            platform::ReadError error = platform::ReadError::None;
            const auto file = m_platform.files.read(m_bPath, firmware::kMaxFirmwareFileLength + 1, &error);
            QString why;
            if (!file)
                why = QStringLiteral("it cannot be read");
            else if (!m_bDigest.isEmpty() && digestOf(*file) != m_bDigest)
                why = QStringLiteral("it changed after its checks");
            if (!why.isEmpty()) {
                qCWarning(lcDriver, "%s: cannot send firmware file %s: %s", qUtf8Printable(m_devKey),
                          qUtf8Printable(m_bPath), qUtf8Printable(why));
                finish(0);
                return;
            }
            bytes = *file;
        }
        std::weak_ptr<bool> alive = m_alive;
        firmware::Tll_IapUpgrade(m_exchange, firmware::kInterface0C, bytes,
                                 firmware::IapEnvironment{m_platform.runLoop, m_platform.local},
                                 [alive, finish](int result) {
                                     if (auto a = alive.lock(); a && *a)
                                         finish(result);
                                 });
    });
}

void OVService::showUpdateAlert()
{
    if (m_cleanedUp)
        return;
    // The information text of the diagnostics window's update button, from a
    // controller that only fills it.
    firmware::OVDIAWinCtrl texts(m_platform, std::weak_ptr<firmware::FirmwareService>(), {}, false);
    texts.setupCpuInfo(m_deviceInfo->cpuInfo());
    texts.upHar(store::productNameWithDevkey(m_devKey), m_devKey);
    texts.setCchd(m_deviceInfo->hdVer());
    // The device may go, or the driver end, while the prompt is open; its
    // removal waits for the prompt, and these checks keep it that way.
    const std::weak_ptr<bool> alive = m_alive;
    const auto gone = [&alive] { return !isAlive(alive); };
    const int answer = m_platform.alerts.run(m_pName, texts.updateAlertMessage(),
                                             {m_platform.strings.text(QStringLiteral("OVD_OK")),
                                              m_platform.strings.text(QStringLiteral("OVD_CANCEL"))});
    if (gone())
        return;
    std::optional<QString> path;
    if (answer == 0) {
        platform::FilePanelOptions options;
        options.directory = QDir::homePath() + QStringLiteral("/Downloads");
        options.allowedSuffixes = {QStringLiteral("bin")};
        path = m_platform.filePanels.openFile(options);
        if (gone())
            return;
    }
    if (!path) {
        OVManager *manager = &m_manager;
        m_platform.runLoop.after(kPromptDelay, &m_manager, [manager] {
            manager->terminateDriver(QStringLiteral("firmware prompt cancelled"));
        });
        return;
    }
    m_bPath = *path;
    m_bDigest.clear();
    afterIfAlive(kPromptDelay, [this, chosen = *path] { firmwareFileStep(chosen); });
}

void OVService::firmwareFileStep(const QString &path)
{
    // A fresh controller per file; the one before is done by now.
    m_promptCtrl = std::make_unique<firmware::OVDIAWinCtrl>(m_platform, m_firmwareLink,
                                                            firmwareObservers(m_manager.windowObservers()), false);
    m_promptCtrl->setupCpuInfo(m_deviceInfo->cpuInfo());
    m_promptCtrl->upHar(store::productNameWithDevkey(m_devKey), m_devKey);
    m_promptCtrl->setIsFirmwareUpdate(m_isFirmwareUpdate);
    m_promptCtrl->setCchd(m_deviceInfo->hdVer());
    m_promptCtrl->setBinstr(path);
    // parseBin() may alert; the service is checked after it like after
    // every alert.
    const std::weak_ptr<bool> alive = m_alive;
    m_promptCtrl->parseBin();
    if (!isAlive(alive))
        return;
    if (m_promptCtrl && m_promptCtrl->bin_parseSuc())
        m_promptCtrl->checkProductName(true);
}

} // namespace driver
