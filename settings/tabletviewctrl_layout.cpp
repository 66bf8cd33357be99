// The four layouts of the tablet area page. The tablets' layouts draw the
// area over the board picture (OVTabletView); the pen displays' layouts put
// the translucent area (OVTabletView2) over a picture of the pen display,
// inside its bezel, and add the calibration buttons.

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/kitimages.h"
#include "controls/orvanebox.h"
#include "controls/orvanebutton.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvanetextfield.h"
#include "settings/ovtabletview.h"
#include "settings/ovtabletview2.h"
#include "settings/pagedelegate.h"
#include "settings/pagelayout.h"
#include "settings/tabletviewctrl.h"

namespace settings {

namespace {

struct TabletLayout
{
    const char *nibName;
    bool penDisplay; // OVTabletView2 in a bezel, calibration, display orientation
    const char *picture; // the layout's own picture behind the view; nullptr: none
};

// By layout name; an unknown name builds the plain layout. The pen displays
// of "TabletViewCtrlSorvi10" get their model's picture from the page.
constexpr TabletLayout kLayouts[] = {
    { "TabletViewCtrl", false, nullptr },
    { "TabletViewCtrl_TevraQ", false, nullptr },
    { "TabletViewCtrlM239", true, "TabletM239" },
    { "TabletViewCtrlSorvi10", true, nullptr },
};

// The pen display pictures' bezel around the screen, points: the pictures
// are drawn with it (resources/images/Tablet*.svg).
constexpr int kBezel = 16;

// The page's texts, by key.
constexpr QLatin1String OVS_T_Area("OVS_T_Area");
constexpr QLatin1String OVS_T_Full("OVS_T_Full");
constexpr QLatin1String OVS_T_Ratio("OVS_T_Ratio");
constexpr QLatin1String OVS_T_X("OVS_T_X");
constexpr QLatin1String OVS_T_Y("OVS_T_Y");
constexpr QLatin1String OVS_T_W("OVS_T_W");
constexpr QLatin1String OVS_T_H("OVS_T_H");
constexpr QLatin1String OVS_T_Inch("OVS_T_Inch");
constexpr QLatin1String OVS_T_Calib("OVS_T_Calib");
constexpr QLatin1String OVS_T_CalibBtn("OVS_T_CalibBtn");
constexpr QLatin1String OVS_T_CalibDef("OVS_T_CalibDef");
constexpr QLatin1String OVS_T_CalibHint("OVS_T_CalibHint");
constexpr QLatin1String OVS_P_Orientation("OVS_P_Orientation");
constexpr QLatin1String OVS_P_DisplayOrientation("OVS_P_DisplayOrientation");

} // namespace

using pagelayout::box;
using pagelayout::radio;
using pagelayout::smallLabel;

void TabletViewCtrl::buildLayout(QWidget *view)
{
    const TabletLayout &variant = layoutNamed(kLayouts, nibName());
    const auto t = [this](QLatin1String key) { return text(key); };

    // The area: the picture with the view inside it, the two modes and the
    // four fields.
    controls::OrvaneBox *areaBox = box(t(OVS_T_Area));
    auto *area = new QVBoxLayout(areaBox);
    area->setContentsMargins(12, 8, 12, 12);
    area->setSpacing(10);
    m_ib.ivTablet = new QLabel;
    m_ib.ivTablet->setObjectName(QStringLiteral("ivTablet"));
    m_ib.ivTablet->setScaledContents(true);
    // The picture fills the label; the view lies inside its bezel.
    m_bezel = variant.penDisplay ? kBezel : 0;
    if (variant.picture)
        m_ib.ivTablet->setPixmap(
            controls::imageNamed(QLatin1String(variant.picture), view->devicePixelRatioF()));
    if (variant.penDisplay) {
        m_ib.ibTV2 = new OVTabletView2(m_ib.ivTablet);
        m_ib.ibTV2->setObjectName(QStringLiteral("ibTV2"));
    } else {
        m_ib.ibTV = new OVTabletView(m_ib.ivTablet);
        m_ib.ibTV->setObjectName(QStringLiteral("ibTV"));
    }
    areaView()->setAccessibleName(t(OVS_T_Area));
    area->addWidget(m_ib.ivTablet, 0, Qt::AlignHCenter);

    auto *modes = new QHBoxLayout;
    m_ib.ibFullBtn = radio(t(OVS_T_Full), "ibFullBtn");
    m_ib.ibRatioBtn = radio(t(OVS_T_Ratio), "ibRatioBtn");
    modes->addStretch(1);
    modes->addWidget(m_ib.ibFullBtn);
    modes->addSpacing(24);
    modes->addWidget(m_ib.ibRatioBtn);
    modes->addStretch(1);
    area->addLayout(modes);

    auto *fields = new QHBoxLayout;
    fields->addStretch(1);
    const auto addField = [&](controls::OrvaneTextField *&outlet, QLatin1String label, const char *name) {
        outlet = pagelayout::numberField(name, 72);
        fields->addWidget(labelFor(outlet, t(label)));
        fields->addWidget(outlet);
        fields->addWidget(smallLabel(t(OVS_T_Inch)));
        fields->addSpacing(10);
    };
    addField(m_ib.ibOXTF, OVS_T_X, "ibOXTF");
    addField(m_ib.ibOYTF, OVS_T_Y, "ibOYTF");
    addField(m_ib.ibWXTF, OVS_T_W, "ibWXTF");
    addField(m_ib.ibHYTF, OVS_T_H, "ibHYTF");
    fields->addStretch(1);
    area->addLayout(fields);

    // Orientation.
    controls::OrvaneBox *degreeBox
        = pagelayout::orientationBox(t(variant.penDisplay ? OVS_P_DisplayOrientation : OVS_P_Orientation),
            { &m_ib.ibZDBtn, &m_ib.ibNDBtn, &m_ib.ibOEDBtn, &m_ib.ibTSDBtn });

    auto *page = new QVBoxLayout(view);
    page->setContentsMargins(16, 16, 16, 16);
    page->setSpacing(12);
    page->addWidget(areaBox);
    page->addWidget(degreeBox);

    // Calibration, on pen displays.
    if (variant.penDisplay) {
        controls::OrvaneBox *calibBox = box(t(OVS_T_Calib));
        auto *calib = new QHBoxLayout(calibBox);
        calib->setContentsMargins(12, 8, 12, 12);
        QLabel *hint = smallLabel(t(OVS_T_CalibHint));
        hint->setWordWrap(true);
        calib->addWidget(hint, 1);
        m_ib.ibCalibBtn = new controls::OrvaneButton(t(OVS_T_CalibBtn));
        m_ib.ibCalibBtn->setObjectName(QStringLiteral("ibCalibBtn"));
        m_ib.ibCalibDefaultBtn = new controls::OrvaneButton(t(OVS_T_CalibDef));
        m_ib.ibCalibDefaultBtn->setObjectName(QStringLiteral("ibCalibDefaultBtn"));
        calib->addWidget(m_ib.ibCalibBtn);
        calib->addWidget(m_ib.ibCalibDefaultBtn);
        page->addWidget(calibBox);
    }
    page->addStretch(1);

    // Sized for the area before the page is first shown, so that the window
    // meets its final size at once.
    m_totalFrame = delegate().fullRectInch(devKey());
    sizeViewToArea();
}

} // namespace settings
