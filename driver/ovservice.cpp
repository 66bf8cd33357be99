#include "ovservice.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "driver/driverlog.h"
#include "driver/ovmanager.h"
#include "driver/ovwheelfuninfo.h"
#include "driver/startcommand.h"
#include "firmware/deviceexchange.h"
#include "firmware/deviceinfo.h"
#include "firmware/firmwareservice.h"
#include "firmware/ovdiawinctrl.h"
#include "firmware/oviapwinctrl.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "store/ovrecttext.h"

namespace driver {

// ovservice_firmware.cpp
std::shared_ptr<firmware::FirmwareService> makeFirmwareLink(OVService &service);

namespace {
// Longest report the platform hands over per callback, in bytes.
constexpr int kReportLength = 1101;
constexpr quint8 kCommandReplyMarker = 0xFC;
// Seconds between two "cannot decode report" lines of one service.
constexpr double kDropLogInterval = 1.0;
} // namespace

OVService::OVService(platform::Platform &platform, OVManager &manager, const QString &devKey)
    : m_platform(platform)
    , m_manager(manager)
    , m_devKey(devKey)
    , m_row(store::factsFor(devKey))
    , m_pipeline(m_row, manager.tiltState())
{
    serviceInit();
}

OVService::~OVService()
{
    cleanup();
}

void OVService::serviceInit()
{
    // The load notice of the store below comes one turn later and must find
    // this observer in place.
    m_platform.local.observe(store::OVCFGNotification, this,
                             [this](const platform::Notification &n) { ovCFG(n); });
    if (m_row.penDisplay) {
        m_platform.distributed.observe(store::OVMCRequestDNotification, this,
                                       [this](const platform::Notification &n) { monitorCalibRequest(n); });
    }
    m_atimer = m_platform.runLoop.repeat(2.0, this, [this] { checkScreens(); });
    // The first check runs at once: until it has run there is no screen to
    // map onto, and a pen used in the first 2 s would post to nowhere.
    afterIfAlive(0, [this] { checkScreens(); });
    m_exchange = firmware::DeviceExchange::create(m_platform.runLoop, m_devKey);
    m_deviceInfo = firmware::DeviceInfo::create(m_exchange, m_platform.runLoop, m_platform.defaults);
    m_firmwareLink = makeFirmwareLink(*this);
    m_deviceInfo->setShowUpdateAlert([this] { showUpdateAlert(); });
    m_configMan = std::make_unique<store::OVPublicObject>(m_platform, m_devKey, store::StoreVariant::Driver);
    m_configMan->loadConfiguration(QString(), false);
}

void OVService::afterIfAlive(double seconds, std::function<void()> fn)
{
    std::weak_ptr<bool> alive = m_alive;
    m_platform.runLoop.after(seconds, this, [alive, fn = std::move(fn)] {
        if (auto a = alive.lock(); a && *a)
            fn();
    });
}

void OVService::registerReports(platform::HidDevice *device, bool commandInterface)
{
    std::weak_ptr<bool> alive = m_alive;
    // One callback per interface: a later registration replaces the earlier
    // one, as the platform does. An interface that carries the report
    // collection and command collections together keeps the report callback,
    // which hands the command replies (led by 0xFC) on itself; the command
    // callback would drop every pen and key report.
    const bool replies = commandInterface && device != m_deviceRef_0A;
    device->registerInputReportCallback(
        [this, alive, replies](const platform::InputReport &report) {
            auto a = alive.lock();
            if (!a || !*a)
                return;
            if (replies)
                commReplyCallback(report);
            else
                vendorReportCallback(report);
        },
        kReportLength);
    if (std::find(m_registered.begin(), m_registered.end(), device) == m_registered.end())
        m_registered.push_back(device);
}

void OVService::setDeviceRef_0A(platform::HidDevice *device)
{
    if (m_cleanedUp || !device)
        return;
    platform::HidDevice *previous = m_deviceRef_0A;
    m_deviceRef_0A = device;
    m_exchange->setDeviceRef(1, device);
    registerReports(device, false);
    // The interface that held the slot may still be a command interface.
    if (previous && previous != device && (previous == m_deviceRef_0B || previous == m_deviceRef_0C))
        registerReports(previous, true);
    if (startCommand(m_row).kind == StartKind::UsbRequests)
        sendOVRequest();
    else
        sendOVReport();
}

void OVService::setDeviceRef_0B(platform::HidDevice *device)
{
    if (m_cleanedUp || !device)
        return;
    m_deviceRef_0B = device;
    m_exchange->setDeviceRef(2, device);
    registerReports(device, true);
}

void OVService::setDeviceRef_0C(platform::HidDevice *device, bool isFirmwareUpdate)
{
    if (m_cleanedUp || !device)
        return;
    m_deviceRef_0C = device;
    m_exchange->setDeviceRef(3, device);
    registerReports(device, true);
    m_isFirmwareUpdate = isFirmwareUpdate;
    m_deviceInfo->setIsFirmwareUpdate(isFirmwareUpdate);
    if (isFirmwareUpdate && !m_bPath.isEmpty()) {
        // The update goes on with the kept file.
        restoreFirmwareUpdate();
    } else if (isFirmwareUpdate) {
        // After 0.5 s: the settings application is told to quit, then the
        // versions are read for the prompt.
        m_deviceInfo->bootProgramEntered(
            [this] { m_platform.distributed.post(store::OVCFGQuitDNotification); });
    } else {
        // The Kalverin S reads its firmware version 1 s later; nothing for
        // the other models.
        m_deviceInfo->interfaceBound();
    }
}

platform::HidDevice *OVService::deviceRefForPup(qint64 usagePage) const
{
    if (usagePage == 0xFF07 || usagePage == 0xFF0A)
        return m_deviceRef_0A;
    // The pen displays whose report interface is their generic-desktop one.
    if (m_row.reportUsagePage == 0x01)
        return m_deviceRef_0A;
    if (usagePage == 0xFF0C)
        return m_deviceRef_0C;
    if (usagePage == 0xFF0B)
        return m_deviceRef_0B;
    return nullptr;
}

void OVService::interfaceRemoved(platform::HidDevice *device)
{
    m_registered.erase(std::remove(m_registered.begin(), m_registered.end(), device), m_registered.end());
    // The command exchange holds the same three slots and must not send to
    // the gone interface either.
    const std::pair<platform::HidDevice **, int> held[] = {{&m_deviceRef_0A, firmware::kInterfaceReport},
                                                           {&m_deviceRef_0B, firmware::kInterface0B},
                                                           {&m_deviceRef_0C, firmware::kInterface0C}};
    for (const auto &[slot, number] : held) {
        if (*slot != device)
            continue;
        *slot = nullptr;
        if (m_exchange)
            m_exchange->setDeviceRef(number, nullptr);
    }
}

void OVService::vendorReportCallback(const platform::InputReport &report)
{
    if (report.bytes.empty())
        return;
    if (report.bytes[0] == kCommandReplyMarker)
        commReplyCallback(report);
    else
        dispatchReport(report);
}

void OVService::commReplyCallback(const platform::InputReport &report)
{
    m_exchange->commReplyCallback(report);
}

QString OVService::hdVer() const
{
    return m_deviceInfo ? m_deviceInfo->hdVer() : QString();
}

QString OVService::fwVer() const
{
    return m_deviceInfo ? m_deviceInfo->fwVer() : QString();
}

PipelineContext OVService::pipelineContext()
{
    PipelineContext context;
    context.now = m_platform.runLoop.now();
    context.nowMillis = quint32(m_platform.runLoop.wallClockMillis());
    context.front = m_platform.workspace.frontApplication();
    context.doubleClickInterval = m_platform.workspace.doubleClickInterval();
    context.modifiers = { m_manager.keyCode_Command(), m_manager.keyCode_Option(), m_manager.keyCode_Shift(),
        m_manager.keyCode_Control() };
    context.settings = m_settings;
    context.screens = m_screens;
    context.calibration = m_calibration;
    context.monitorNamePresent = m_configMan
        && m_configMan->queryConfiguration(store::OVCFGMonitor, store::OVCFGMonitorName).isValid();
    // Only the Kalverin S reads the firmware default.
    context.firmware115 = store::firmware115Variant(m_row) && store::firmwareIs115(m_platform.defaults);
    if (m_pipeline.needsPointer(m_settings))
        context.pointer = m_platform.displays.pointerPosition();
    context.calibrating = m_calibrating;
    context.psminxing = m_psminxing;
    context.psminying = m_psminying;
    context.psmaxxing = m_psmaxxing;
    context.psmaxying = m_psmaxying;
    return context;
}

void OVService::dispatchReport(const platform::InputReport &report)
{
    // The list is taken out while its effects run: an effect may run the
    // pipeline again (a pen button's mouse action) with a list of its own.
    Effects effects;
    effects.swap(m_effects);
    effects.clear();
    m_pipeline.report(report.bytes, pipelineContext(), effects);
    carryOut(effects);
    effects.swap(m_effects);
}

void OVService::carryOut(const Effects &effects)
{
    struct Visitor
    {
        OVService &service;
        void operator()(const platform::OVEvent &event) { service.m_platform.poster.post(event); }
        void operator()(const PenButtonEffect &button)
        {
            service.preparePenKey(button.press, button.isDownKey);
        }
        void operator()(const BoardKeyEvent &key) { service.prepareBoardKey(key.name, key.press); }
        void operator()(const ToolSwitchEffect &tool)
        {
            service.prepareHKEraser(tool.eraser, tool.brushTool);
        }
        void operator()(const CalibrationTouchEffect &touch)
        {
            if (touch.edge)
                service.calibTablet();
            else
                service.calibPoint(touch.point);
        }
        void operator()(const DiagnosticsEffect &report) { service.upPen(report); }
        void operator()(const LogEffect &line)
        {
            if (line.type == QtWarningMsg)
                qCWarning(lcDriver, "%s", qUtf8Printable(line.text));
            else
                qCInfo(lcDriver, "%s", qUtf8Printable(line.text));
        }
        void operator()(const DroppedEffect &dropped) { service.logDropped(dropped.result); }
    };
    for (const Effect &effect : effects)
        std::visit(Visitor { *this }, effect);
}

void OVService::postMouseEvent(quint32 type, quint32 button)
{
    Effects effects;
    m_pipeline.postMouseEvent(type, button, pipelineContext(), effects);
    carryOut(effects);
}

void OVService::postMouseDoubleClickEvent()
{
    Effects effects;
    m_pipeline.postMouseDoubleClickEvent(pipelineContext(), effects);
    carryOut(effects);
}

void OVService::postMouseScrollWheelEvent(qint32 lines)
{
    Effects effects;
    DevicePipeline::postMouseScrollWheelEvent(lines, effects);
    carryOut(effects);
}

void OVService::logDropped(const ReportResult &result)
{
    const double now = m_platform.runLoop.now();
    if (now - m_lastDropLog < kDropLogInterval)
        return;
    m_lastDropLog = now;
    qCWarning(lcDriver, "%s: cannot decode report: %s", qUtf8Printable(m_devKey),
              qUtf8Printable(result.reason()));
}

void OVService::sendOVReport()
{
    if (!m_deviceRef_0A)
        return;
    const StartCommand command = startCommand(m_row);
    if (command.kind != StartKind::OutputReport)
        return;
    auto send = [this](const QByteArray &bytes) {
        const quint32 result = m_deviceRef_0A->setReport(
            platform::ReportType::Output, 0,
            std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), size_t(bytes.size())));
        if (result != platform::hidresult::Success)
            qCInfo(lcDriver, "%s", qUtf8Printable(cmdSendFailedText(result)));
    };
    send(command.report);
    if (!command.secondReport.isEmpty()) {
        afterIfAlive(kSecondReportDelay, [this, send, bytes = command.secondReport] {
            // Only while the report interface is still held.
            if (m_deviceRef_0A)
                send(bytes);
        });
    }
}

void OVService::sendOVRequest()
{
    sendM517Requests(m_platform.usb, [](const QString &line) { qCInfo(lcDriver, "%s", qUtf8Printable(line)); });
}

void OVService::ovCFG(const platform::Notification &notification)
{
    if (m_cleanedUp || !m_configMan)
        return;
    const auto names = namesToReload(notification.userInfo, m_devKey);
    if (!names)
        return;
    const QVariantMap configuration = m_configMan->configurationList().value_or(QVariantMap());
    const ReloadOutcome outcome = reloadSettings(m_row, *names, configuration, m_settings);
    if (outcome.penDisplayOrientation) {
        updateCalib(*outcome.penDisplayOrientation, false);
        const QString names = m_configMan->queryConfiguration(store::OVCFGMonitor, store::OVCFGMonitorName).toString();
        rotateDisplay(m_platform.displays, names, *outcome.penDisplayOrientation);
    }
}

void OVService::checkScreens()
{
    if (m_cleanedUp || !m_configMan)
        return;
    const ScreenCheckResult result = driver::checkScreens(m_platform.displays.displays(),
                                                          m_configMan->configurationList().value_or(QVariantMap()));
    // Assigned, not replaced: the posting object refers to it.
    m_screens = result.screens;
    if (result.monitorNumber) {
        // Only the driver's copy learns the display's new number.
        m_configMan->updateConfiguration(store::OVCFGMonitor, store::OVCFGMonitorNumber,
                                         QVariant::fromValue(qint64(*result.monitorNumber)));
    }
}

void OVService::cleanup()
{
    if (m_cleanedUp)
        return;
    m_cleanedUp = true;
    // Nothing may call into the service from here on: the reports of every
    // interface it ever registered are turned away first.
    *m_alive = false;
    for (platform::HidDevice *device : m_registered)
        device->registerInputReportCallback({}, 0);
    m_registered.clear();
    // The firmware windows close with their device; what they still hold of
    // the service finds nothing from here on.
    m_firmwareLink.reset();
    parkUntilRunsEnd(m_diaWinCtrl);
    parkUntilRunsEnd(m_promptCtrl);
    m_iapWinCtrl.reset();
    // Ends every waiting exchange; the versions are forgotten.
    if (m_deviceInfo)
        m_deviceInfo->cleanup();
    if (m_exchange)
        m_exchange->cleanup();
    m_devKey.clear();
    m_deviceRef_0A = m_deviceRef_0B = m_deviceRef_0C = nullptr;
    if (m_configMan) {
        m_configMan->cleanup();
        m_configMan.reset();
    }
    m_platform.runLoop.cancel(m_atimer);
    m_atimer = 0;
    wheelCleanup();
    m_platform.runLoop.cancelAll(this);
    m_platform.local.removeObserver(this);
    m_platform.distributed.removeObserver(this);
}

} // namespace driver
