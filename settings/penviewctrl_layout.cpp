// The four layouts of the pen page. They hold the same controls but for the
// pen-tip pop-up, which only the layouts of pens with a distinct tip entry
// show, and name the orientation after what it turns: the tablet, or the
// pen display's picture.

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/kitimages.h"
#include "controls/orvanebox.h"
#include "controls/orvanebutton.h"
#include "controls/orvanecheckboxbutton.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvaneprogressindicator.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvaneslider.h"
#include "platform/platform.h"
#include "settings/ovquadraticbezierview.h"
#include "settings/pagelayout.h"
#include "settings/penviewctrl.h"

namespace settings {

namespace {

struct PenLayout
{
    const char *nibName;
    bool penTip; // has the pen-tip pop-up
    bool display; // the orientation turns a pen display's picture
};

// By layout name; an unknown name builds the plain layout.
constexpr PenLayout kLayouts[] = {
    { "PenViewCtrl", true, false },
    { "PenViewCtrlM239", true, true },
    { "PenViewCtrlSorvi10", false, true },
    { "PenViewCtrl_TevraN4_N7_N7B", false, false },
};

// The page's texts, by key.
constexpr QLatin1String OVS_P_Buttons("OVS_P_Buttons");
constexpr QLatin1String OVS_P_Tip("OVS_P_Tip");
constexpr QLatin1String OVS_P_Up("OVS_P_Up");
constexpr QLatin1String OVS_P_Down("OVS_P_Down");
constexpr QLatin1String OVS_P_Default("OVS_P_Default");
constexpr QLatin1String OVS_P_PressureOff("OVS_P_PressureOff");
constexpr QLatin1String OVS_P_TipsOff("OVS_P_TipsOff");
constexpr QLatin1String OVS_P_KeyFunOff("OVS_P_KeyFunOff");
constexpr QLatin1String OVS_P_Pressure("OVS_P_Pressure");
constexpr QLatin1String OVS_P_Firmness("OVS_P_Firmness");
constexpr QLatin1String OVS_P_Soft("OVS_P_Soft");
constexpr QLatin1String OVS_P_Firm("OVS_P_Firm");
constexpr QLatin1String OVS_P_Curve("OVS_P_Curve");
constexpr QLatin1String OVS_P_Reset("OVS_P_Reset");
constexpr QLatin1String OVS_P_Test("OVS_P_Test");
constexpr QLatin1String OVS_P_Orientation("OVS_P_Orientation");
constexpr QLatin1String OVS_P_DisplayOrientation("OVS_P_DisplayOrientation");
constexpr QLatin1String OVS_P_Mode("OVS_P_Mode");
constexpr QLatin1String OVS_P_Absolute("OVS_P_Absolute");
constexpr QLatin1String OVS_P_Relative("OVS_P_Relative");
constexpr QLatin1String OVS_P_Speed("OVS_P_Speed");
constexpr QLatin1String OVS_P_Slow("OVS_P_Slow");
constexpr QLatin1String OVS_P_Fast("OVS_P_Fast");

// The curve editor's size, points: fixed, so that the stored curve scales to
// the size it is drawn at.
constexpr int kCurveWidth = 200;
constexpr int kCurveHeight = 150;

} // namespace

using pagelayout::box;
using pagelayout::radio;
using pagelayout::smallLabel;

void PenViewCtrl::buildLayout(QWidget *view)
{
    const PenLayout &variant = layoutNamed(kLayouts, nibName());
    const auto t = [this](QLatin1String key) { return text(key); };
    platform::RunLoop &runLoop = platform().runLoop;

    // Pen: the picture beside the buttons' pop-ups and the three switches.
    controls::OrvaneBox *penBox = box(t(OVS_P_Buttons));
    auto *penRow = new QHBoxLayout(penBox);
    penRow->setContentsMargins(12, 8, 12, 12);
    penRow->setSpacing(16);
    m_ib.ibPenIV = new QLabel;
    m_ib.ibPenIV->setObjectName(QStringLiteral("ibPenIV"));
    m_ib.ibPenIV->setFixedWidth(56);
    m_ib.ibPenIV->setAlignment(Qt::AlignCenter);
    m_ib.ibPenIV->setAccessibleName(t(OVS_P_Buttons));
    penRow->addWidget(m_ib.ibPenIV);

    auto *penForm = new QGridLayout;
    penForm->setVerticalSpacing(10);
    int row = 0;
    const auto addPopUp = [&](controls::OrvanePopUpButton *&outlet, QLatin1String label, const char *name) {
        outlet = new controls::OrvanePopUpButton(runLoop);
        outlet->setObjectName(QLatin1String(name));
        outlet->setMinimumWidth(170);
        penForm->addWidget(labelFor(outlet, t(label)), row++, 0, 1, 2);
        penForm->addWidget(outlet, row++, 0, 1, 2);
    };
    if (variant.penTip)
        addPopUp(m_ib.ibPointKeyBtn, OVS_P_Tip, "ibPointKeyBtn");
    addPopUp(m_ib.ibUpKeyBtn, OVS_P_Up, "ibUpKeyBtn");
    addPopUp(m_ib.ibDownKeyBtn, OVS_P_Down, "ibDownKeyBtn");
    m_ib.ibDefaultBtn = new controls::OrvaneButton(t(OVS_P_Default));
    m_ib.ibDefaultBtn->setObjectName(QStringLiteral("ibDefaultBtn"));
    penForm->addWidget(m_ib.ibDefaultBtn, row++, 1, Qt::AlignRight);
    penForm->setRowMinimumHeight(row++, 12);
    const auto addSwitch
        = [&](controls::OrvaneCheckboxButton *&outlet, QLatin1String title, const char *name) {
              outlet = new controls::OrvaneCheckboxButton(t(title));
              outlet->setObjectName(QLatin1String(name));
              penForm->addWidget(outlet, row++, 0, 1, 2);
          };
    addSwitch(m_ib.ibPressureBtn, OVS_P_PressureOff, "ibPressureBtn");
    addSwitch(m_ib.ibTipsBtn, OVS_P_TipsOff, "ibTipsBtn");
    addSwitch(m_ib.ibKeyFunBtn, OVS_P_KeyFunOff, "ibKeyFunBtn");
    penForm->setRowStretch(row, 1);
    penRow->addLayout(penForm, 1);

    // Pressure: firmness, the curve, the live readout.
    controls::OrvaneBox *pressureBox = box(t(OVS_P_Pressure));
    auto *pressure = new QGridLayout(pressureBox);
    pressure->setContentsMargins(12, 8, 12, 12);
    pressure->setVerticalSpacing(8);
    m_ib.ibPSSlider = new controls::OrvaneSlider;
    m_ib.ibPSSlider->setObjectName(QStringLiteral("ibPSSlider"));
    m_ib.ibPSSlider->setRange(0, 1);
    pressure->addWidget(labelFor(m_ib.ibPSSlider, t(OVS_P_Firmness)), 0, 0, 1, 3);
    pressure->addWidget(smallLabel(t(OVS_P_Soft)), 1, 0);
    pressure->addWidget(m_ib.ibPSSlider, 1, 1);
    pressure->addWidget(smallLabel(t(OVS_P_Firm)), 1, 2);
    m_ib.ibPSBezierView = new OVQuadraticBezierView;
    m_ib.ibPSBezierView->setObjectName(QStringLiteral("ibPSBezierView"));
    m_ib.ibPSBezierView->setFixedSize(kCurveWidth, kCurveHeight);
    m_ib.ibPSBezierView->setAccessibleName(t(OVS_P_Curve));
    pressure->addWidget(m_ib.ibPSBezierView, 2, 0, 1, 3, Qt::AlignHCenter);
    m_ib.ibPSResetBtn = new controls::OrvaneButton(t(OVS_P_Reset));
    m_ib.ibPSResetBtn->setObjectName(QStringLiteral("ibPSResetBtn"));
    pressure->addWidget(m_ib.ibPSResetBtn, 3, 0, 1, 3, Qt::AlignRight);
    m_ib.ibPSPI = new controls::OrvaneProgressIndicator;
    m_ib.ibPSPI->setObjectName(QStringLiteral("ibPSPI"));
    m_ib.ibPSPI->setRange(0, 100);
    m_ib.ibPSPI->setValue(0);
    m_ib.ibPSLabel = new QLabel(QStringLiteral("0"));
    m_ib.ibPSLabel->setObjectName(QStringLiteral("ibPSLabel"));
    m_ib.ibPSLabel->setMinimumWidth(40);
    m_ib.ibPSLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pressure->addWidget(labelFor(m_ib.ibPSPI, t(OVS_P_Test)), 4, 0, 1, 3);
    auto *test = new QHBoxLayout;
    test->addWidget(m_ib.ibPSPI, 1);
    test->addWidget(m_ib.ibPSLabel);
    pressure->addLayout(test, 5, 0, 1, 3);
    pressure->setRowStretch(6, 1);

    // Orientation.
    controls::OrvaneBox *degreeBox
        = pagelayout::orientationBox(t(variant.display ? OVS_P_DisplayOrientation : OVS_P_Orientation),
            { &m_ib.ibZDBtn, &m_ib.ibNDBtn, &m_ib.ibOEDBtn, &m_ib.ibTSDBtn });

    // Coordinate mode and tracking speed.
    controls::OrvaneBox *modeBox = box(t(OVS_P_Mode));
    auto *mode = new QGridLayout(modeBox);
    mode->setContentsMargins(12, 8, 12, 12);
    m_ib.ibAbsoluteBtn = radio(t(OVS_P_Absolute), "ibAbsoluteBtn");
    m_ib.ibRelativeBtn = radio(t(OVS_P_Relative), "ibRelativeBtn");
    m_ib.ibTSSlider = new controls::OrvaneSlider;
    m_ib.ibTSSlider->setObjectName(QStringLiteral("ibTSSlider"));
    m_ib.ibTSSlider->setRange(kTrackingMin, kTrackingMax);
    mode->addWidget(m_ib.ibAbsoluteBtn, 0, 0);
    mode->addWidget(m_ib.ibRelativeBtn, 0, 1);
    mode->addWidget(labelFor(m_ib.ibTSSlider, t(OVS_P_Speed)), 0, 2, Qt::AlignRight);
    mode->addWidget(smallLabel(t(OVS_P_Slow)), 0, 3);
    mode->addWidget(m_ib.ibTSSlider, 0, 4);
    mode->addWidget(smallLabel(t(OVS_P_Fast)), 0, 5);
    mode->setColumnStretch(4, 1);

    auto *page = new QGridLayout(view);
    page->setContentsMargins(16, 16, 16, 16);
    page->setSpacing(12);
    page->addWidget(penBox, 0, 0);
    page->addWidget(pressureBox, 0, 1);
    page->addWidget(degreeBox, 1, 0, 1, 2);
    page->addWidget(modeBox, 2, 0, 1, 2);
    page->setColumnStretch(0, 1);
    page->setColumnStretch(1, 1);
    page->setRowStretch(0, 1);
}

} // namespace settings
