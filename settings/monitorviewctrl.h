#pragma once

#include <optional>

#include <QList>
#include <QRectF>

#include "settings/devicepagectrl.h"
#include "store/ovscreen.h"

class QLineEdit;

namespace controls {
class OrvanePopUpButton;
class OrvaneTextField;
} // namespace controls

namespace settings {

class OVMonitorView;

// The monitor mapping page of one device (category "OVCFGMonitor"): the pen
// mapped onto all displays, a portion of the desktop, or one display, shown
// in the monitor view and in four number fields; a pen display's own screen
// found again by its name every 2 seconds. One controller for the layouts
// "MonitorViewCtrl" and "MonitorViewCtrlM239" (the pen displays, whose
// pop-up hides the portion item). Frames are in the settings application's
// space: desktop points, origin at the bottom-left corner of the main
// display, y up. See pageviewctrl.h for the pattern it follows.
class MonitorViewCtrl : public DevicePageCtrl
{
    Q_OBJECT
public:
    // Mode pop-up items before the displays; a display's item holds its id
    // as item data.
    enum PopupItem : int {
        kItemFull = 0, // "OVS_M_F": all displays
        kItemPortion = 1, // "OVS_M_P": a portion; hidden on pen displays
        kItemFirstDisplay = 2,
    };
    // How often the displays are checked, seconds.
    static constexpr double kCheckInterval = 2.0;

    MonitorViewCtrl(const QString &nibName, const PageContext &context, QObject *parent = nullptr);
    ~MonitorViewCtrl() override;

    // The layout's controls; null until the view is loaded.
    struct Outlets
    {
        controls::OrvanePopUpButton *ibPopupBtn = nullptr;
        OVMonitorView *ibMV = nullptr;
        controls::OrvaneTextField *ibOXTF = nullptr; // x
        controls::OrvaneTextField *ibOYTF = nullptr; // y
        controls::OrvaneTextField *ibWXTF = nullptr; // width
        controls::OrvaneTextField *ibHYTF = nullptr; // height
    };
    const Outlets &outlets() const { return m_ib; }

    const QList<store::OVScreen> &screens() const { return m_screens; }
    QRectF totalFrame() const { return m_totalFrame; }
    QRectF selectFrame() const { return m_selectFrame; }
    bool screenChanged() const { return m_screenChanged; }

    // Set-up: observers, the 2-second check, one check at once.
    void monitorViewInit();
    // The timer's action: the displays listed again, a pen display found
    // again, then the refresh. Runs only while the page's device is shown,
    // and waits while the portion is dragged, the pop-up's menu is open or a
    // modal run is active.
    void checkScreens();
    // The pop-up, the view and the fields from the configuration; also on
    // the local "OVCFGNotification" (an import).
    void monitorMapInit();
    // The mode pop-up's action.
    void clickPopupBtn();
    // End of editing in one of the four fields.
    void controlTextDidEndEditing(QLineEdit *field);
    // The view's report of a dragged portion, "{{x, y}, {w, h}}".
    void portionFrameDidChanged(const QString &text);
    // "OVCFGTabletMap" = 0 and the local "OV_Monitor_Changed_Notification",
    // on which the tablet page re-reads its area.
    void updateTabletMap();
    // "OVUI_DeviceDisconnect_Hide_Noti": the pop-up's menu closes.
    void deviceDisconnectHideUI();

protected:
    void viewDidLoad(QWidget *view) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout(QWidget *view);
    void connectControls();

    void rebuildPopup();
    void selectPopupItem(int index);
    // Writes the portion unless the stored text already says the same.
    void writeFrame(const QRectF &frame);
    // The stored portion; the factory portion when it is unreadable.
    QRectF storedFrame() const;
    bool isPenDisplay() const;
    void updateTextField(const QRectF &rect, bool enable);
    // The item of a display id; -1 when it is not listed.
    int itemOfNumber(quint32 number) const;

    Outlets m_ib;
    QList<store::OVScreen> m_screens;
    QRectF m_totalFrame;
    QRectF m_selectFrame;
    bool m_screenChanged = false;
    // The main display at the last check; none yet at first.
    std::optional<quint32> m_mainNum;
    QRectF m_mainFrame;
    // The main display is listed at the last check.
    bool m_mainListed = false;
    bool m_observing = false;
};

} // namespace settings
