#pragma once

#include <QVariantMap>

#include "settings/devicepagectrl.h"
#include "settings/keycuseditor.h"
#include "store/ovdefaults.h"

class QAbstractButton;
class QLabel;

namespace controls {
class OrvaneButton;
class OrvaneCheckboxButton;
class OrvanePopUpButton;
class OrvaneProgressIndicator;
class OrvaneRadioButton;
class OrvaneSlider;
} // namespace controls

namespace settings {

class OVQuadraticBezierView;

// PenButtonActionList: the entries of both barrel-button pop-ups, in this
// order; the index is what "OVCFGPenKeyUp" / "OVCFGPenKeyDown" store.
enum PenButtonAction : int {
    kPenNoAction = 0, // "OVHK_NoAction"
    kPenLeftMouse = 1, // "OVS_P_LeftMouse"
    kPenRightMouse = 2, // "OVS_P_RightMouse"
    kPenEraser = 3, // "OVS_P_POE": switch between pen and eraser
    kPenCustom = 4, // "OVHK_Custom": the action under "...Cus", titled "OVHK_CT"
    kPenChange = 5, // "OVHK_Change": opens the per-key action editor; never stored
};

// The pen page of one device (category "OVCFGPenKey"): the barrel buttons'
// actions, the orientation, the three switches, the pressure curve with its
// live readout, and the coordinate mode with the tracking speed. One
// controller for the four layouts "PenViewCtrl", "PenViewCtrlM239",
// "PenViewCtrlSorvi10" and "PenViewCtrl_TevraN4_N7_N7B"; a layout without
// the pen-tip pop-up leaves ibPointKeyBtn null. Every change is written the
// moment it is made. See pageviewctrl.h for the pattern it follows.
class PenViewCtrl : public DevicePageCtrl
{
    Q_OBJECT
public:
    PenViewCtrl(const QString &nibName, const PageContext &context, QObject *parent = nullptr);
    ~PenViewCtrl() override;

    // How "OVHK_Change" opens the per-key action editor.
    void setKeyCusEditorFactory(KeyCusEditorFactory factory) { m_keyCusEditorFactory = std::move(factory); }

    // The layout's controls; null until the view is loaded.
    struct Outlets
    {
        QLabel *ibPenIV = nullptr;
        controls::OrvanePopUpButton *ibUpKeyBtn = nullptr;
        controls::OrvanePopUpButton *ibDownKeyBtn = nullptr;
        controls::OrvanePopUpButton *ibPointKeyBtn = nullptr; // optional
        controls::OrvaneButton *ibDefaultBtn = nullptr;
        controls::OrvaneRadioButton *ibZDBtn = nullptr; // 0 degrees
        controls::OrvaneRadioButton *ibNDBtn = nullptr; // 90
        controls::OrvaneRadioButton *ibOEDBtn = nullptr; // 180
        controls::OrvaneRadioButton *ibTSDBtn = nullptr; // 270
        controls::OrvaneCheckboxButton *ibPressureBtn = nullptr;
        controls::OrvaneCheckboxButton *ibTipsBtn = nullptr;
        controls::OrvaneCheckboxButton *ibKeyFunBtn = nullptr;
        OVQuadraticBezierView *ibPSBezierView = nullptr;
        controls::OrvaneSlider *ibPSSlider = nullptr;
        controls::OrvaneButton *ibPSResetBtn = nullptr;
        controls::OrvaneProgressIndicator *ibPSPI = nullptr;
        QLabel *ibPSLabel = nullptr;
        controls::OrvaneRadioButton *ibAbsoluteBtn = nullptr;
        controls::OrvaneRadioButton *ibRelativeBtn = nullptr;
        controls::OrvaneSlider *ibTSSlider = nullptr;
    };
    const Outlets &outlets() const { return m_ib; }

    quint64 upKeyAction() const { return m_upKeyAction; }
    quint64 downKeyAction() const { return m_downKeyAction; }

    // The control actions.
    void clickPopUpBtn(controls::OrvanePopUpButton *sender);
    void clickDefaultBtn();
    void clickDegreeBtn(QAbstractButton *sender);
    void clickPressureBtn();
    void clickTipsBtn();
    void clickKeyFunBtn();
    void clickPSResetBtn();
    void clickPSSlider();
    void clickCMBtn(QAbstractButton *sender);
    void clickTSSlider();
    void clickPopPointBtn() { }

    // From the curve editor, after a drag: the curve, normalised.
    Q_INVOKABLE void bezierPathDidChanged(const QVariantMap &curve);
    // From the main window's content view: the pen's pressure, 0..1.
    Q_INVOKABLE void bezierPressureDidChanged(float pressure);

    // The page's initialisation: observers, then the six initialisers.
    void penViewInit();
    // The local "OVCFGNotification" (an import): the six initialisers again.
    void ovCFG();
    // "OVUI_DeviceDisconnect_Hide_Noti": the barrel-button menus close.
    void deviceDisconnectHideUI();

    // The firmness slider's value for a curve: q = (PC.y - P1.y) / (PC.x -
    // P1.x) rounded to single precision, its angle in degrees rounded to
    // single precision, divided by 90 in single precision. A curve without a
    // slope (PC.x = P1.x) or one that gives no value in 0..1 reads as 0.5.
    static float sliderValueForCurve(const QVariantMap &curve);
    // The curve of a firmness v: softer below 0.5 (the start moves right),
    // firmer above (the end moves left).
    static QVariantMap curveForSliderValue(float v);
    static QVariantMap defaultCurve();
    // The highest raw pressure the device reports: 2047 for the Sorvi10 and
    // Sorvi 22, 8191 for every other model.
    static int maxPressure(const QString &devKey);
    // The tracking slider's range, a multiplier of the pen's movement in
    // relative mode; a stored speed outside it shows the default 1.0.
    static constexpr double kTrackingMin = store::kTrackingSpeedMin;
    static constexpr double kTrackingMax = store::kTrackingSpeedMax;

protected:
    void viewDidLoad(QWidget *view) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One builder per layout (penviewctrl_layout.cpp).
    void buildLayout(QWidget *view);
    void connectControls();

    void penPointKeyInit();
    void penKeyInit();
    void degreeInit();
    void ptkfInit();
    void bezierPressureInit();
    void cmtsInit();
    void updatePSSlider(const QVariantMap &curve);
    void sendCurveToEditor(const QVariantMap &curve);
    // The stored curve, or the factory curve when it is missing or not three
    // finite points.
    QVariantMap storedCurve() const;
    // The stored action of a barrel button (0..4), else its factory value.
    quint64 keyAction(const QString &key, const QString &defKey, quint64 factory) const;
    quint64 defaultKeyAction(const QString &defKey, quint64 factory) const;
    // Item 4's title from the custom action, shown; or hidden without one.
    void showCustomItem(controls::OrvanePopUpButton *popup, const std::optional<QVariantMap> &custom);
    void switchInit(controls::OrvaneCheckboxButton *box, const QString &key);
    void clickSwitch(controls::OrvaneCheckboxButton *box, const QString &key);
    void takeLivePressure();

    Outlets m_ib;
    quint64 m_upKeyAction = 0;
    quint64 m_downKeyAction = 0;
    KeyCusEditorFactory m_keyCusEditorFactory;
    bool m_observing = false;
};

} // namespace settings
