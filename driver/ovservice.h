#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QPointF>
#include <QString>
#include <QVariantMap>

#include "driver/calibsolver.h"
#include "driver/calibtypes.h"
#include "driver/devicepipeline.h"
#include "driver/hotkeys.h"
#include "driver/keyconfig.h"
#include "driver/pipelinetypes.h"
#include "driver/screencheck.h"
#include "driver/settingsreload.h"
#include "platform/hid.h"
#include "platform/runloop.h"

namespace platform {
struct Platform;
struct Notification;
} // namespace platform

namespace store {
class OVPublicObject;
struct ModelRow;
} // namespace store

namespace firmware {
class DeviceExchange;
class DeviceInfo;
class FirmwareService;
class OVDIAWinCtrl;
class OVIAPWinCtrl;
} // namespace firmware

namespace driver {

class OVManager;
class OVWheelFunInfo;

// The driver's object for one connected device key: owns the device's
// configuration store, holds up to three of its HID interfaces, receives
// their reports and carries the per-device state of the driver.
//
// Life: created -> bound (slots in any order; a rebound slot replaces the
// reference and registers again) -> cleaned up -> destroyed by the manager.
// Never reused after cleanup(). Main thread only.
//
// The platform hands every input report over as a span that is valid during
// the callback, so the service keeps no report buffers of its own; nothing
// it holds can be freed under a report in flight.
//
// A report goes through the device's pipeline with the context the service
// gathers (settings, displays, calibration, front application, held keys,
// time); the service carries out the effects the pipeline hands back.
class OVService
{
public:
    // Runs serviceInit(): observers, the 2-second screen check, then the
    // store, created and loaded.
    OVService(platform::Platform &platform, OVManager &manager, const QString &devKey);
    // Cleans up first when cleanup() has not run.
    ~OVService();
    OVService(const OVService &) = delete;
    OVService &operator=(const OVService &) = delete;

    // Empty after cleanup().
    QString getDevkey() const { return m_devKey; }
    // nullptr after cleanup().
    store::OVPublicObject *configMan() const { return m_configMan.get(); }

    // The report interface: registers the report callback and sends the
    // model's start command.
    void setDeviceRef_0A(platform::HidDevice *device);
    // The command interface of usage page 0xFF0B.
    void setDeviceRef_0B(platform::HidDevice *device);
    // The command interface of usage page 0xFF0C; isFirmwareUpdate: the
    // device runs its boot program. Schedules the boot-program or version
    // steps of the firmware side.
    void setDeviceRef_0C(platform::HidDevice *device, bool isFirmwareUpdate);
    // The interface held for a usage page, or nullptr: 0xFF07 and 0xFF0A the
    // report interface (any page on the Sorvi10, 13/16 and 22), 0xFF0B and
    // 0xFF0C the command interfaces.
    platform::HidDevice *deviceRefForPup(qint64 usagePage) const;
    // An interface of this device went away without ending the service: it
    // is forgotten and never touched again.
    void interfaceRemoved(platform::HidDevice *device);
    // Unregisters the report callback of every interface the service ever
    // registered, then writes a pending save and lets go of everything.
    void cleanup();
    bool isCleanedUp() const { return m_cleanedUp; }

    QString pName() const { return m_pName; }
    void setPName(const QString &name) { m_pName = name; }
    QString bPath() const { return m_bPath; }
    void setBPath(const QString &path) { m_bPath = path; }
    // The versions read from the device (empty until read).
    QString hdVer() const;
    QString fwVer() const;
    firmware::DeviceExchange *exchange() const { return m_exchange.get(); }
    firmware::DeviceInfo *deviceInfo() const { return m_deviceInfo.get(); }
    bool isFirmwareUpdate() const { return m_isFirmwareUpdate; }
    void setIsFirmwareUpdate(bool flag) { m_isFirmwareUpdate = flag; }
    bool is_oem_sorvi_eraser_state() const { return m_pipeline.penState().is_oem_sorvi_eraser_state; }
    void setIs_oem_sorvi_eraser_state(bool flag) { m_pipeline.penState().is_oem_sorvi_eraser_state = flag; }

    // The diagnostics request of the settings application, with the product
    // name: opens the diagnostics window, made on the first call, later only
    // raised (ovservice_firmware.cpp).
    void showD(const QString &productName);
    // The window's close: orders it out, drops it and forgets the firmware
    // path.
    void desDia();
    firmware::OVDIAWinCtrl *diaWinCtrl() const { return m_diaWinCtrl.get(); }
    firmware::OVIAPWinCtrl *iapWinCtrl() const { return m_iapWinCtrl.get(); }
    // The firmware update. Phase 1, in the application program: keeps the
    // path, shows the progress window and switches the device to its boot
    // program. `checked`: the bytes that passed the checks.
    void firmwareUpdate(const QString &path, const QByteArray &checked);
    // Phase 2, in the boot program: transfers the checked bytes, or, resumed
    // from the kept path, the file read once more, which must be the file
    // that passed the checks.
    void restoreFirmwareUpdate(const std::optional<QByteArray> &checked = std::nullopt);
    void beginFirmwareUpdate();
    void endFirmwareUpdate(bool success);
    // The boot program's prompt for a file.
    void showUpdateAlert();
    // SHA-256 of the bytes that passed the checks for bPath; empty when none.
    QByteArray bDigest() const { return m_bDigest; }
    void setBDigest(const QByteArray &digest) { m_bDigest = digest; }
    bool iapContinued() const { return m_iapContinued; }

    const PenState &penState() const { return m_pipeline.penState(); }
    const ServiceSettings &settings() const { return m_settings; }
    const ScreenState &screens() const { return m_screens; }
    const MappingCalibration &calibration() const { return m_calibration; }
    const DevicePipeline &pipeline() const { return m_pipeline; }

    // Calibration service of the pen displays (ovservice_calibration.cpp).
    // Loads the stored calibration of an orientation (0..3); reset first
    // removes the user's own calibration of it and the user's edge readings.
    void updateCalib(quint64 orientation, bool reset);
    // A calibration run is in progress (begin .. end or cancel).
    bool isCalibrating() const { return m_calibrating; }

    // Every report of the report interface: 0xFC replies to the command
    // protocol, the rest to the model's dispatcher; an empty one is dropped.
    void vendorReportCallback(const platform::InputReport &report);
    // What the pipeline reads besides the report, as it stands now.
    PipelineContext pipelineContext();
    // Carries out the pipeline's effects, in order.
    void carryOut(const Effects &effects);

    // A barrel button pressed or released (isDownKey: the lower button).
    void preparePenKey(bool press, bool isDownKey);
    // The pen display's tool-state change, told to the front application.
    void prepareHKEraser(bool eraser, bool brushTool);

    // Key actions (ovservice_keys.cpp). The configuration is read afresh at
    // every press and release, so a change of the settings application
    // applies to the next event.
    // An express-key or wheel event: "OVCFGBoardKey1".."10",
    // "OVCFGWheelKeyL", "OVCFGWheelKeyR", "OVCFGWheelKeyC"; an empty name
    // does nothing.
    void prepareBoardKey(const QString &name, bool press);
    // One fixed action of the hot-key table, down on press, up on release.
    void prepareHotKey(HotKey action, bool press);
    // One keyboard event; flags kNoModifierFlags leave the event's own. A
    // key-up is followed by key-ups of the modifiers the flags carry.
    void postKeyboardEvent(quint16 keyCode, bool keyDown, quint64 eventFlags);
    // Launches an application (a bundle path ending in ".app", a desktop
    // entry or an executable's absolute path) or opens an address; text that
    // is neither is dropped with a log line. Never through a shell.
    void postAction(const QString &action);
    // Whether the pen/eraser switch stands on the eraser.
    bool isEOP() const { return m_isEOP; }
    QString lastBoardKey() const { return m_pipeline.lastBoardKey(); }

    // The display text of an express key's action (wkey false, key
    // "OVCFGBoardKey1".."10") or of a wheel slot's function (wkey true, key
    // "OVCFGWheelKey1".."10"), as the front application sees it.
    QString searchValueForKey(const QString &key, const platform::FrontApplication &front, bool wkey) const;
    // The wheel's centre button pressed (true) or released.
    void wheelCenterKey(bool press);
    // Wheel centre (ovservice_wheel.cpp). The short press: the next wheel
    // slot with a function, for the front application.
    void prepareRKC(const platform::FrontApplication &front);
    // The 3-second long press: the wheel-function panel opens on the next turn.
    void prepareRKCLong();
    void showWheelFun();
    // The next slot with a function after the current one, walking 1..6 and
    // round; none when no other slot has one. Device-wide, or in a
    // per-application wheel set.
    std::optional<qint64> searchIndexForWheelKeyAct() const;
    std::optional<qint64> searchIndexForWheelKeyCusAct(const QVariantMap &set) const;
    // "OVCFGWheelKey" and the current slot (1..10), or a null string.
    QString searchWheelKey() const;
    // A per-application set's custom function of a slot (1..10); empty when
    // there is none.
    QVariantMap searchWheelKeyCusForAct(const QVariantMap &set, qint64 index) const;
    // The open wheel-function panel, or nullptr.
    OVWheelFunInfo *wheelFunInfo() const { return m_wfiCtrl.get(); }

private:
    void serviceInit();
    // The prompt's file step: the checks on a controller without a window.
    void firmwareFileStep(const QString &path);
    void upPen(const DiagnosticsEffect &report);
    // commandInterface: the reports go to the command protocol.
    void registerReports(platform::HidDevice *device, bool commandInterface);
    // Replies of the device command protocol.
    void commReplyCallback(const platform::InputReport &report);
    void dispatchReport(const platform::InputReport &report);
    // The start commands: an output report, or the M517 V1's USB requests.
    void sendOVReport();
    void sendOVRequest();
    // Targets of the service's observers and its screen timer.
    void ovCFG(const platform::Notification &notification);
    void monitorCalibRequest(const platform::Notification &notification);
    // The pen-downs of a calibration run: an edge probe's, checked with the
    // captured edge readings, or a target point's at p (mapped, uncorrected).
    void calibTablet();
    void calibPoint(QPointF p);
    // The fit at the end of a run; answers whether a correction was stored.
    bool fitCalibration();
    void respCalibResult(bool ok);
    void respCalibValid(bool valid);
    // "OVMCCancel": the run ends and the stored calibration is back.
    void cancelCalibration();
    // A run ends as if cancelled when the settings application goes away.
    void watchCalibrationRequester();
    void checkScreens();
    // Runs fn after `seconds` on the main loop unless the service is gone.
    void afterIfAlive(double seconds, std::function<void()> fn);
    // True while the service that made `alive` is neither gone nor cleaned up.
    static bool isAlive(const std::weak_ptr<bool> &alive);
    // A controller dropped while a modal run may be open: its own steps stop
    // at once, and it is freed once every run has unwound, since an alert's
    // caller of its own may still be on the stack.
    void parkUntilRunsEnd(std::unique_ptr<firmware::OVDIAWinCtrl> &ctrl);
    void logDropped(const ReportResult &result);
    // The mouse actions of pen buttons and keys, at the pen's mapped place
    // (scrolling maps nothing).
    void postMouseEvent(quint32 type, quint32 button);
    void postMouseDoubleClickEvent();
    void postMouseScrollWheelEvent(qint32 lines);
    // Key actions.
    QVariantMap keyConfiguration() const;
    void preparePenCus(bool press, bool isDownKey);
    void prepareBoardCus(const QString &name, bool press);
    void preparePenAndBoardCus(const CustomAction &action, bool press);
    void preparePenCusMouse(quint64 mouse);
    void preparePenCusHotKey(const CustomAction &action, bool press);
    void prepareHKCustom(const CustomAction &action, bool press);
    void prepareWheelKey(const QString &name, bool press, const platform::FrontApplication &front);
    void prepareWheelCus(const QString &name, bool press, const QVariant &act);
    // The notice, when the device's "OVCFGTips" is on.
    void showTip(const QString &text);
    // Stops the long-press wait and closes the wheel-function panel.
    void wheelCleanup();

    platform::Platform &m_platform;
    OVManager &m_manager;
    QString m_devKey;
    // The model's facts, looked up once.
    const store::ModelRow &m_row;
    std::unique_ptr<store::OVPublicObject> m_configMan;
    platform::HidDevice *m_deviceRef_0A = nullptr; // the report interface
    platform::HidDevice *m_deviceRef_0B = nullptr;
    platform::HidDevice *m_deviceRef_0C = nullptr;
    // Every interface whose report callback points at this service, so that
    // cleanup can unregister them all (replaced slots and a second device of
    // the same model included).
    std::vector<platform::HidDevice *> m_registered;
    platform::RunLoop::TimerId m_atimer = 0; // the 2-second screen check
    QString m_pName;
    QString m_bPath;
    bool m_isFirmwareUpdate = false;

    // Settings reload: ovDegree .. ovTFrame.
    ServiceSettings m_settings;
    // Screen check: ovScreens, ovMTFrame.
    ScreenState m_screens;

    // Calibration of the pen displays.
    bool m_calibrating = false;
    qint32 m_calibIdx = 0;
    std::array<QPointF, 5> m_psscrn{}; // target points on the screen
    std::array<QPointF, 5> m_psmapp{}; // the pen's mapped points at them
    bool m_psminxing = false;
    bool m_psminying = false;
    bool m_psmaxxing = false;
    bool m_psmaxying = false;
    // Accepted edge readings (the captured ones are in the pen state).
    QPointF m_psminx2, m_psminy2, m_psmaxx2, m_psmaxy2;
    // Which of the four edges (left, top, right, bottom) has ever been
    // accepted: a fit stores the edge readings only when all four have.
    std::array<bool, 4> m_edgeAccepted{};
    CalibSamples m_calibrater;
    // The settings application's disappearance is watched (once per service).
    bool m_watchingRequester = false;
    // calibrated, abcdef and cbDelta.
    MappingCalibration m_calibration;

    // The report path: pen state, mapping and double-click state, the last
    // express key.
    DevicePipeline m_pipeline;
    // The effects of the report in flight; kept for its capacity.
    Effects m_effects;
    // Key actions.
    bool m_isEOP = false;
    // Wheel centre.
    platform::RunLoop::TimerId m_wkcTimer = 0;
    bool m_wkcDown = false;
    std::unique_ptr<OVWheelFunInfo> m_wfiCtrl;

    // Device information and firmware update.
    // The one command exchange of the device and its version and CPU
    // queries; shared with the worker threads that wait on them.
    std::shared_ptr<firmware::DeviceExchange> m_exchange;
    std::shared_ptr<firmware::DeviceInfo> m_deviceInfo;
    // What the firmware windows hold weakly; dropped at cleanup.
    std::shared_ptr<firmware::FirmwareService> m_firmwareLink;
    std::unique_ptr<firmware::OVDIAWinCtrl> m_diaWinCtrl;
    // The boot-program prompt's controller without a window, one per file.
    std::unique_ptr<firmware::OVDIAWinCtrl> m_promptCtrl;
    std::unique_ptr<firmware::OVIAPWinCtrl> m_iapWinCtrl;
    // Phase 2 runs on this service: phase 1's end leaves the window alone.
    bool m_iapContinued = false;
    QByteArray m_bDigest;

    // Rate limit of the dropped-report line: one per second of run-loop time.
    double m_lastDropLog = -1e9;
    bool m_cleanedUp = false;
    // Cleared at cleanup; every deferred step and report callback holds it
    // weakly and does nothing once it is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace driver
