#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QList>
#include <QMap>
#include <QString>

#include "driver/tiltfilter.h"
#include "platform/hid.h"

namespace platform {
struct Platform;
struct Notification;
} // namespace platform

namespace driver {

class OVHUDAlert;
class OVService;
struct WindowObservers;

// The driver's device manager, one per process: finds the supported devices
// through two HID managers, keeps one device service per device key, binds
// each matching interface to its service by usage page, answers the settings
// application's questions and tracks the physically held modifier keys.
class OVManager
{
public:
    using Terminate = std::function<void(const QString &reason)>;

    // The shared instance, made on the first call (the later calls answer it
    // and ignore their arguments). `terminate` ends the driver.
    static OVManager &shareManager(platform::Platform &platform, Terminate terminate);
    // nullptr before shareManager() and after destroySharedManager().
    static OVManager *sharedManager();
    // Ends the shared instance (after cleanup()).
    static void destroySharedManager();

    OVManager(const OVManager &) = delete;
    OVManager &operator=(const OVManager &) = delete;
    OVManager(OVManager &&) = delete;
    OVManager &operator=(OVManager &&) = delete;
    // Cleans up first when cleanup() has not run.
    ~OVManager();

    // The two HID managers and the modifier tap; runs one turn after creation.
    void iokInit();
    // Opens a manager over the matching list; nullptr when it cannot be opened
    // (the not-permitted and exclusive-access results end the driver).
    std::unique_ptr<platform::HidManager> createManager(
        quint32 options, const QList<platform::VendorProduct> &matching);
    // The modifier tap; the accessibility alert when it cannot be made.
    void openEventService();
    // Unschedules, closes and drops the manager; nullptr does nothing.
    void closeManager(std::unique_ptr<platform::HidManager> &manager);

    // "OVCFGRequestDNotification": every key of the service table, connected.
    void requestFromClient(const platform::Notification &notification);
    // Posts "OVCFGResponseDNotification" {key: connect, ...}.
    void responseDevice(const QStringList &keys, bool connect);
    // "OVCFGDiaSDNotification" {key: product name}: the service's showD().
    void diaS(const platform::Notification &notification);
    // "OV_GetCurDevKey_Noti": its object becomes the current device key.
    void getCurDevKeyFromNoti(const platform::Notification &notification);
    // The service of the current device key, or nullptr.
    OVService *getCurService() const;
    // Fallback display name for log lines; null for most models.
    static QString productForKey(const QString &devKey);

    // The two fatal alerts; each ends the driver.
    void alertDriverConflict();
    void alertAccessibilityPrivilege();
    // A modal alert; with tutorial the setup guide opens after it. Then
    // "OVCFGQuitDNotification" and the end of the driver ("fatal alert").
    void alertWithTitle(const QString &title, const QString &message, bool tutorial);
    // Only logs; the modifier hot keys call it.
    void setEventService(bool flag);
    // At termination: every service (pending saves written), both HID
    // managers, the tap and the observers. Runs once.
    void cleanup();
    bool isCleanedUp() const { return m_cleanedUp; }

    // nullptr when the key has no service.
    OVService *service(const QString &devKey) const;
    using ServiceTable = std::map<QString, std::unique_ptr<OVService>>;
    // The service table, by device key.
    const ServiceTable &services() const { return m_ovServices; }
    // Device keys of the service table, in the table's order.
    QStringList serviceKeys() const;
    QString curDevKey() const { return m_curDevKey; }
    void setCurDevKey(const QString &key) { m_curDevKey = key; }
    bool keyCode_Shift() const { return m_keyCode_Shift; }
    bool keyCode_Command() const { return m_keyCode_Command; }
    bool keyCode_Option() const { return m_keyCode_Option; }
    bool keyCode_Control() const { return m_keyCode_Control; }
    bool hasEventTap() const { return m_eventTap; }
    // The tilt filter state: one for the whole driver, shared by every
    // device's pipeline.
    TiltState &tiltState() { return m_tilt; }
    // The on-screen notice, made at its first use and kept until cleanup();
    // nullptr before.
    OVHUDAlert &notice();
    OVHUDAlert *noticeIfMade() const { return m_notice.get(); }
    // Who hears of the notices and of the driver's windows shown and hidden.
    void setWindowObservers(const WindowObservers &observers);
    const WindowObservers &windowObservers() const { return *m_windowObservers; }
    // The firmware path kept for a key across a disconnection (ovBins).
    QString keptFirmwarePath(const QString &devKey) const { return m_ovBins.value(devKey); }
    // Ends the driver (the boot program's prompt cancelled).
    void terminateDriver(const QString &reason);
    // Presses a control of one of the driver's windows by their names (the
    // simulator's `press`): the diagnostics window of the current device,
    // else the first one open. False when there is no such window or control.
    bool pressControl(const QString &window, const QString &control);

    platform::Platform &platform() const { return m_platform; }

private:
    OVManager(platform::Platform &platform, Terminate terminate);

    void deviceMatchingCallback(platform::HidDevice *device);
    void deviceRemovalCallback(platform::HidDevice *device);
    void modifierFlagsTapCallback(quint16 keyCode, quint64 flags);
    void bindReportInterface(OVService &service, const QString &key, platform::HidDevice *device);
    void notifyPlugIn(const QString &key, platform::HidDevice *device);

    platform::Platform &m_platform;
    Terminate m_terminate;
    std::unique_ptr<platform::HidManager> m_hidManager482Ref;
    std::unique_ptr<platform::HidManager> m_hidManager517Ref;
    ServiceTable m_ovServices;
    QMap<QString, QString> m_ovBins;
    // Digest of the checked bytes of each kept path: a resumed transfer
    // sends only the file that passed the checks.
    QMap<QString, QByteArray> m_ovBinDigests;
    bool m_eventTap = false;
    bool m_keyCode_Shift = false;
    bool m_keyCode_Command = false;
    bool m_keyCode_Option = false;
    bool m_keyCode_Control = false;
    QString m_curDevKey;
    TiltState m_tilt;
    std::unique_ptr<WindowObservers> m_windowObservers;
    std::unique_ptr<OVHUDAlert> m_notice;
    bool m_cleanedUp = false;
    // Gone with the manager: what ran an alert checks it before going on.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace driver
