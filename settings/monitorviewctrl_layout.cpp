// The two layouts of the monitor page, "MonitorViewCtrl" and
// "MonitorViewCtrlM239" (the pen displays): the same controls, the mode
// pop-up above the picture of the displays and the portion's four number
// fields below it. What differs between them, the hidden portion item, the
// controller decides from the configuration.

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/orvanebox.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvanetextfield.h"
#include "platform/platform.h"
#include "settings/monitorviewctrl.h"
#include "settings/ovmonitorview.h"
#include "settings/pagelayout.h"

namespace settings {

namespace {

constexpr QLatin1String OVS_M_Title("OVS_M_Title");
constexpr QLatin1String OVS_M_Mode("OVS_M_Mode");
constexpr QLatin1String OVS_M_Area("OVS_M_Area");
constexpr QLatin1String OVS_M_X("OVS_M_X");
constexpr QLatin1String OVS_M_Y("OVS_M_Y");
constexpr QLatin1String OVS_M_W("OVS_M_W");
constexpr QLatin1String OVS_M_H("OVS_M_H");

// The picture's size, pixels: 16:9, as most desktops are.
constexpr int kViewWidth = 544;
constexpr int kViewHeight = 306;
constexpr int kFieldWidth = 76;

} // namespace

void MonitorViewCtrl::buildLayout(QWidget *view)
{
    const auto t = [this](QLatin1String key) { return text(key); };

    controls::OrvaneBox *box = pagelayout::box(t(OVS_M_Title));
    auto *content = new QVBoxLayout(box);
    content->setContentsMargins(12, 12, 12, 12);
    content->setSpacing(14);

    auto *modeRow = new QHBoxLayout;
    m_ib.ibPopupBtn = new controls::OrvanePopUpButton(platform().runLoop);
    m_ib.ibPopupBtn->setObjectName(QStringLiteral("ibPopupBtn"));
    m_ib.ibPopupBtn->setMinimumWidth(300);
    modeRow->addWidget(labelFor(m_ib.ibPopupBtn, t(OVS_M_Mode)));
    modeRow->addWidget(m_ib.ibPopupBtn);
    modeRow->addStretch(1);
    content->addLayout(modeRow);

    m_ib.ibMV = new OVMonitorView;
    m_ib.ibMV->setObjectName(QStringLiteral("ibMV"));
    m_ib.ibMV->setFixedSize(kViewWidth, kViewHeight);
    m_ib.ibMV->setAccessibleName(t(OVS_M_Area));
    content->addWidget(m_ib.ibMV, 0, Qt::AlignHCenter);

    auto *fields = new QHBoxLayout;
    fields->setSpacing(8);
    const auto addField = [&](controls::OrvaneTextField *&outlet, QLatin1String label, const char *name) {
        outlet = pagelayout::numberField(name, kFieldWidth);
        outlet->setAlignment(Qt::AlignRight);
        fields->addWidget(labelFor(outlet, t(label)));
        fields->addWidget(outlet);
        fields->addSpacing(10);
    };
    fields->addStretch(1);
    addField(m_ib.ibOXTF, OVS_M_X, "ibOXTF");
    addField(m_ib.ibOYTF, OVS_M_Y, "ibOYTF");
    addField(m_ib.ibWXTF, OVS_M_W, "ibWXTF");
    addField(m_ib.ibHYTF, OVS_M_H, "ibHYTF");
    fields->addStretch(1);
    content->addLayout(fields);
    content->addStretch(1);

    auto *page = new QVBoxLayout(view);
    page->setContentsMargins(16, 16, 16, 16);
    page->addWidget(box, 1);
}

} // namespace settings
