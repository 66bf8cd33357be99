#pragma once

#include <memory>

#include <QRectF>

#include "settings/calibwinctrl.h"
#include "settings/devicepagectrl.h"

class QAbstractButton;
class QLabel;

namespace controls {
class OrvaneButton;
class OrvaneRadioButton;
class OrvaneTextField;
} // namespace controls

namespace settings {

class OVTabletView;
class OVTabletView2;
class TabletAreaView;

// The tablet area page of one device (tab 2): the part of the active area
// the pen uses (the whole area, or a rectangle that starts with the aspect
// ratio of the mapped screen area), drawn in a tablet area view and shown in
// four fields in inches; the orientation; on pen displays the calibration
// window and the factory calibration. One controller for the four layouts
// "TabletViewCtrl", "TabletViewCtrl_TevraQ" (OVTabletView over the board
// picture), "TabletViewCtrlM239" and "TabletViewCtrlSorvi10" (OVTabletView2
// over the pen display's picture, with the calibration buttons). See
// pageviewctrl.h for the pattern it follows.
class TabletViewCtrl : public DevicePageCtrl, public CalibWinDelegate
{
    Q_OBJECT
public:
    TabletViewCtrl(const QString &nibName, const PageContext &context, QObject *parent = nullptr);
    ~TabletViewCtrl() override;

    // The least the rectangle may be, inches.
    static constexpr double kMinWidth = 1.6;
    static constexpr double kMinHeight = 0.9;
    // The height the area view keeps; its width follows the area's proportions.
    static constexpr int kViewHeight = 220;

    // The layout's controls; null until the view is loaded. A layout holds
    // either ibTV or ibTV2, and the calibration buttons only on pen displays.
    struct Outlets
    {
        OVTabletView *ibTV = nullptr;
        OVTabletView2 *ibTV2 = nullptr;
        QLabel *ivTablet = nullptr; // the picture behind the view
        controls::OrvaneRadioButton *ibFullBtn = nullptr; // the whole area
        controls::OrvaneRadioButton *ibRatioBtn = nullptr; // the rectangle
        controls::OrvaneTextField *ibOXTF = nullptr;
        controls::OrvaneTextField *ibOYTF = nullptr;
        controls::OrvaneTextField *ibWXTF = nullptr;
        controls::OrvaneTextField *ibHYTF = nullptr;
        controls::OrvaneRadioButton *ibZDBtn = nullptr; // 0 degrees
        controls::OrvaneRadioButton *ibNDBtn = nullptr; // 90
        controls::OrvaneRadioButton *ibOEDBtn = nullptr; // 180
        controls::OrvaneRadioButton *ibTSDBtn = nullptr; // 270
        controls::OrvaneButton *ibCalibBtn = nullptr; // optional
        controls::OrvaneButton *ibCalibDefaultBtn = nullptr; // optional
    };
    const Outlets &outlets() const { return m_ib; }
    // ibTV, else ibTV2.
    TabletAreaView *areaView() const;

    QRectF totalFrame() const { return m_totalFrame; }
    QRectF selectFrame() const { return m_selectFrame; }
    // The calibration window's controller while it exists.
    CalibWinCtrl *cwCtr() const { return m_cwCtr.get(); }

    // The page's set-up: observers, the fill, the orientation, the picture.
    void tabletViewInit();
    void tabletMapInit();
    void degreeInit();

    // The control actions.
    void clickFullBtn();
    void clickRatioBtn();
    void clickDegreeBtn(QAbstractButton *sender);
    void clickCalibBtn();
    void clickCalibDefaultBtn();
    // The end of editing in one of the four fields.
    void controlTextDidEndEditing(controls::OrvaneTextField *field);
    // The view's report of a finished drag: the rectangle as stored text.
    void ratioFrameDidChanged(const QString &text);

    // The device has gone or the application ends: a calibration run still
    // waiting is cancelled with the driver first.
    void deviceDidDisconnect() override;

    // CalibWinDelegate
    QVariant calibConfiguration(const QString &category, const QString &key) const override;
    void desCalib() override;

protected:
    void viewDidLoad(QWidget *view) override;

private:
    // tabletviewctrl_layout.cpp
    void buildLayout(QWidget *view);
    void connectControls();

    void ovCFG();
    // The rectangle stored, or the ratio rectangle when none can be read.
    QRectF storedFrame() const;
    void showFields(const QRectF &rect, bool enabled);
    void sizeViewToArea();
    void showTabletPicture();
    bool orientationChoosable() const;

    Outlets m_ib;
    QRectF m_totalFrame;
    QRectF m_selectFrame;
    std::unique_ptr<CalibWinCtrl> m_cwCtr;
    int m_bezel = 0; // the picture's frame around the view, points
    bool m_observing = false;
};

} // namespace settings
