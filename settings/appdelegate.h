#pragma once

#include <map>
#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "keyactions/editorcontext.h"
#include "settings/keycuseditor.h"
#include "settings/mainwindowctrl.h"
#include "settings/modalruns.h"

class QWidget;

namespace platform {
struct Desktop;
struct Notification;
} // namespace platform

namespace store {
class OVPublicObject;
}

namespace keyactions {
class OVKeyCodeTransformer;
}

namespace settings {

class BoardViewCtrl;
class MonitorViewCtrl;
class PenViewCtrl;
class TabletViewCtrl;

// The settings application's delegate: starts the application, keeps one
// copy running, keeps the device list in step with the driver, creates and
// drops each device's store and pages, exports and imports the current
// device's settings and tidies up at the end. Everything runs on the main
// thread. The main window itself (pop-up, tabs, forwarders, commands) is
// MainWindowCtrl, which the delegate owns.
class AppDelegate : public QObject, public DeviceDirectory
{
    Q_OBJECT

public:
    explicit AppDelegate(platform::Desktop &platform, QObject *parent = nullptr);
    ~AppDelegate() override;

    // Start-up: launchedInit() one run-loop turn later.
    void applicationDidFinishLaunching();
    // Ends a second copy; otherwise shows the no-device view, observes the
    // driver and asks it for its devices (or launches it).
    void launchedInit();
    // Builds the no-device view and makes it the window's content.
    void contentInit();

    // "OVCFGResponseDNotification": {device key: YES/NO, ...}, in the
    // dictionary's order.
    void responseFromServer(const platform::Notification &notification);
    void postCurDevKey();
    // Closes the device pop-up's menu when it is open.
    void deviceDisconnectHideUI();
    // The driver's bus name went away: every device is disconnected.
    void driverDisappeared();
    void quitFromServer();
    // "OVCFGShowDNotification": the driver was asked to show the settings
    // application, which already runs; its main window comes to the front.
    void showFromServer();

    QString productNameWithDevkey(const QString &devKey) const;
    QString cursorKey() const;
    // The pen page disables its orientation choice for the OEM Sorvi models.
    bool isOemSorvi() const;

    void clickExport();
    void clickImport();

    // The stop steps: no more observers, pending saves written, every
    // device's objects released. Safe to call more than once.
    void applicationWillTerminate();
    // Closing the main window quits the application.
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }

    MainWindowCtrl &mainWindow() { return *m_main; }
    OVWindow *window() const;
    // The window's own content (pop-up and tabs), kept while the no-device
    // view is shown.
    QWidget *contentView() const { return m_contentView; }
    // The no-device view; null before contentInit().
    QWidget *cttView() const { return m_cttView; }

    // Device keys held, in key order.
    QStringList deviceKeys() const;
    // How the pen and express-key pages open the per-key action editor: by
    // default KeyCusWinCtrl; none: the "change" entries open nothing.
    void setKeyCusEditorFactory(KeyCusEditorFactory factory);
    // How the express-key page opens the wheel-function editor: by default
    // RKeyCusWinCtrl; none: its "change" entries open nothing.
    void setRKeyCusEditorFactory(RKeyCusEditorFactory factory);
    // How it opens its per-application windows: by default BoardKeyCusWinCtrl
    // and WheelKeyCusWinCtrl.
    void setAppSetWindowFactory(AppSetWindowFactory factory);
    // One device's configuration for a window that must write nowhere else.
    keyactions::DeviceConfiguration deviceConfiguration(const QString &devKey);
    // What the key-action editors and windows are made with: the platform,
    // the application's key-code transformer and its alert.
    const keyactions::EditorContext &editorContext() const { return m_editorContext; }

    // Devices dropped whose objects wait for the end of a modal run.
    int parkedCount() const { return int(m_parked.size()); }
    // The modal runs that the delegate's alerts and editors count among.
    ModalRuns &modalRuns() { return m_modalRuns; }

    // DeviceDirectory
    store::OVPublicObject *storeForKey(const QString &devKey) const override;
    PageViewCtrl *pageForKey(int tab, const QString &devKey) const override;

private:
    // One connected device's objects: the store (ovConfigMen) and the four
    // page controllers (ovPenViews, ovMonitorViews, ovTabletViews,
    // ovBoardViews). Kept together, so the five tables always hold the same
    // keys.
    struct DeviceObjects
    {
        std::unique_ptr<store::OVPublicObject> store;
        std::unique_ptr<PenViewCtrl> pen;
        std::unique_ptr<MonitorViewCtrl> monitor;
        std::unique_ptr<TabletViewCtrl> tablet;
        std::unique_ptr<BoardViewCtrl> board;
        DeviceObjects();
        DeviceObjects(DeviceObjects &&) noexcept;
        DeviceObjects &operator=(DeviceObjects &&) noexcept;
        ~DeviceObjects();
        // The device has gone: its pages write nothing more.
        void disconnectPages();
    };

    void connectDevice(const QString &devKey, const QString &productName);
    void disconnectDevice(const QString &devKey, const QString &productName);
    void postDeviceDisconnectHide();
    void runFirstDeviceSequence();
    void cancelFirstDeviceSequence();
    void watchDriver();
    void park(DeviceObjects objects);
    void schedulePurge();
    void purgeParked();
    void terminate();
    void showError(const QString &text);

    platform::Desktop &m_platform;
    // The modal runs of this application's alerts and editors.
    ModalRuns m_modalRuns;
    std::unique_ptr<MainWindowCtrl> m_main;
    std::map<QString, DeviceObjects> m_devices;
    // Dropped devices whose pages or store a modal run may still be using.
    std::vector<DeviceObjects> m_parked;
    bool m_purgeScheduled = false;
    // One for the application: it follows the keyboard layout.
    std::unique_ptr<keyactions::OVKeyCodeTransformer> m_transformer;
    keyactions::EditorContext m_editorContext;
    KeyCusEditorFactory m_keyCusEditorFactory;
    RKeyCusEditorFactory m_rkeyCusEditorFactory;
    AppSetWindowFactory m_appSetWindowFactory;
    QPointer<QWidget> m_contentView;
    QPointer<QWidget> m_cttView;
    bool m_observing = false;
    bool m_terminated = false;
    // Context of the first-device sequence's timers, cancelled together.
    int m_sequenceTimers = 0;
    // Turns posted to the run loop and the driver watch hold a weak
    // reference, so a delegate gone before they run is left alone.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace settings
