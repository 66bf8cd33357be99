#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QVariant>

#include "settings/pagedelegate.h"

class QBoxLayout;

namespace platform {
struct Desktop;
}
namespace store {
class OVPublicObject;
}
namespace controls {
class OrvanePopUpButton;
class OrvaneTabView;
}

namespace settings {

class AboutViewCtrl;
class OVContentView;
class OVWindow;
class PageViewCtrl;

// The tabs, in their fixed order.
enum TabIndex : int {
    kTabPen = 0,
    kTabMonitor = 1,
    kTabTablet = 2,
    kTabBoard = 3, // express keys and wheel
    kTabAbout = 4,
};

// What the main window needs of the delegate's per-device dictionaries
// (ovConfigMen and the four page dictionaries). Null for a key it does not hold.
class DeviceDirectory
{
public:
    virtual ~DeviceDirectory() = default;
    virtual store::OVPublicObject *storeForKey(const QString &devKey) const = 0;
    // tab: kTabPen .. kTabBoard.
    virtual PageViewCtrl *pageForKey(int tab, const QString &devKey) const = 0;
};

// The express-key tab is refused for models without express keys.
bool tabAllowed(int tab, const QString &devKey);
// The About pane offers diagnostics except for the M517 V1 and the OEM pen
// displays; with no device it is offered.
bool diagnoseAllowed(const QString &devKey);
// Product name of a device key; null for a key without one.
QString productNameWithDevkey(const QString &devKey);

// The main window's controller: builds the window (device pop-up above the
// five tabs, with the export, import, setup guide and quit commands), attaches
// the current device's pages, reports device changes to the driver, and
// forwards the pages' configuration calls to the current device's store.
// The current device is the one whose product name the pop-up shows. The
// pages reach their own device's store through the keyed forwarders
// (PageDelegate); the unkeyed ones serve whatever acts on the current device.
class MainWindowCtrl : public QObject, public PageDelegate
{
    Q_OBJECT
public:
    MainWindowCtrl(platform::Desktop &platform, DeviceDirectory &devices, QObject *parent = nullptr);
    ~MainWindowCtrl() override;

    OVWindow *window() const;
    // The window's own content: the pop-up, the tab view and the commands.
    OVContentView *contentView() const override { return m_contentView; }
    controls::OrvanePopUpButton *ibPopupBtn() const { return m_popup; }
    controls::OrvaneTabView *ibTabView() const { return m_tabView; }
    // Null until the About tab was first selected.
    AboutViewCtrl *aboutViewCtrl() const { return m_aboutViewCtrl.get(); }

    // Device key of the pop-up's selected item; null when none is selected or
    // its title is no product name.
    QString cursorKey() const override;
    // Posts "OV_GetCurDevKey_Noti" with cursorKey() as object. The delegate's
    // first-device sequence calls it too.
    void postCurDevKey();

    // Delegate operations of the pop-up and the tab view.
    // A change of the device pop-up outside the About tab attaches the current
    // tab's page of the new device and posts its key. On the About tab a
    // user's pick posts nothing, but a removal that took away the key last
    // posted posts the newly selected one, so the driver never keeps a removed
    // key as its current device.
    void popupSelectDidChanged(controls::OrvanePopUpButton *sender);
    bool tabViewShouldSelectTabViewItem(int index) const;
    void tabViewDidSelectTabViewItem(int index);

    // Commands.
    // Adds the setup-guide, quit-driver and quit buttons to a row: the
    // window's own and the no-device view's, so that a first start without
    // a tablet still offers the guide and a way out.
    void addWindowCommands(QBoxLayout *row);
    void clickNavigation();
    void clickExit();
    void quitDriver();

    // Forwarders to the current device's store; with no device: null, zero
    // or an empty rectangle, and nothing is changed.
    QVariant queryConfiguration(const QString &category, const QString &key) const;
    void updateConfiguration(const QString &category, const QString &key, const QVariant &value);
    QString penImageName() const;
    QString wheelImageName() const;
    QRectF fullRectInch() const;
    QRectF ratioRectInch() const;
    void tabletViewEdge(double *edge, double *slen, double *dlen) const;
    double tabletViewFullLine() const;
    double tabletViewRatioLine() const;
    QString boardKeyCusWinXIBName() const;

    // The same, keyed: to the store of devKey, whichever device is current
    // (PageDelegate). A key without a store reads as nil or zero and changes
    // nothing.
    QVariant queryConfiguration(
        const QString &devKey, const QString &category, const QString &key) const override;
    void updateConfiguration(
        const QString &devKey, const QString &category, const QString &key, const QVariant &value) override;
    QString penImageName(const QString &devKey) const override;
    QString wheelImageName(const QString &devKey) const override;
    QRectF fullRectInch(const QString &devKey) const override;
    QRectF ratioRectInch(const QString &devKey) const override;
    void tabletViewEdge(const QString &devKey, double *edge, double *slen, double *dlen) const override;
    double tabletViewFullLine(const QString &devKey) const override;
    double tabletViewRatioLine(const QString &devKey) const override;
    QString boardKeyCusWinXIBName(const QString &devKey) const override;

    // What "terminate the application" means; the composition root sets it
    // (by default the Qt application quits).
    void setTerminate(std::function<void()> terminate) { m_terminate = std::move(terminate); }

signals:
    // The export and import commands; the delegate runs their panels.
    void clickExport();
    void clickImport();

private:
    void buildWindow();
    store::OVPublicObject *storeFor(const QString &devKey) const;

    platform::Desktop &m_platform;
    DeviceDirectory &m_devices;
    std::unique_ptr<OVWindow> m_window;
    OVContentView *m_contentView = nullptr; // owned by the window
    controls::OrvanePopUpButton *m_popup = nullptr;
    controls::OrvaneTabView *m_tabView = nullptr;
    std::unique_ptr<AboutViewCtrl> m_aboutViewCtrl;
    std::function<void()> m_terminate;
    QString m_postedKey; // last key sent with "OV_GetCurDevKey_Noti"
};

} // namespace settings
