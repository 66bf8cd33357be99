#include "keyactions/keycusmouseviewctrl.h"

#include <QGridLayout>
#include <QLabel>

#include "controls/orvanepopupbutton.h"
#include "platform/platform.h"

namespace keyactions {

namespace {
constexpr QLatin1String OVS_KC_MA("OVS_KC_MA"); // the pop-up's label
// The actions, by index.
constexpr QLatin1String kActionTitles[]
    = { QLatin1String("OVS_KC_ML"), QLatin1String("OVS_KC_MM"), QLatin1String("OVS_KC_MS") };
} // namespace

KeyCusMouseViewCtrl::KeyCusMouseViewCtrl(const EditorContext &context, QObject *parent)
    : KeyCusPane(context, parent)
{ }

KeyCusMouseViewCtrl::~KeyCusMouseViewCtrl() = default;

QString KeyCusMouseViewCtrl::actionTitle(quint64 action) const
{
    return action < std::size(kActionTitles) ? text(kActionTitles[action]) : QString();
}

void KeyCusMouseViewCtrl::viewDidLoad(QWidget *view)
{
    view->setObjectName(QStringLiteral("KeyCusMouseViewCtrl"));
    m_ibPopupBtn = new controls::OrvanePopUpButton(context().platform->runLoop, view);
    m_ibPopupBtn->setObjectName(QStringLiteral("ibPopupBtn"));
    m_ibPopupBtn->setAccessibleName(text(OVS_KC_MA));
    connect(m_ibPopupBtn, &QComboBox::activated, this, [this] { clickPopUpBtn(); });
    auto *label = new QLabel(text(OVS_KC_MA), view);
    label->setBuddy(m_ibPopupBtn);
    auto *layout = new QGridLayout(view);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_ibPopupBtn, 0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);

    for (const QLatin1String key : kActionTitles)
        m_ibPopupBtn->addItem(text(key));
    m_ibPopupBtn->setCurrentIndex(m_keyActCusMouse < std::size(kActionTitles) ? int(m_keyActCusMouse) : -1);
    context().observeDisconnectHide(this, [this] { deviceDisconnectHideUI(); });
}

void KeyCusMouseViewCtrl::clickPopUpBtn()
{
    const int chosen = m_ibPopupBtn->currentIndex();
    if (chosen < 0)
        return;
    m_keyActCusMouse = quint64(chosen);
    emit keyCusDidChanged(this, m_ibPopupBtn->itemText(chosen));
}

void KeyCusMouseViewCtrl::deviceDisconnectHideUI()
{
    if (m_ibPopupBtn)
        m_ibPopupBtn->cancelTracking();
}

} // namespace keyactions
