#include "keyactions/keycusnetviewctrl.h"

#include <QGridLayout>
#include <QLabel>

#include "controls/orvanepopupbutton.h"
#include "controls/orvanetextfield.h"
#include "platform/platform.h"

namespace keyactions {

namespace {
constexpr QLatin1String OVS_KC_IK("OVS_KC_IK"); // the kind's label
constexpr QLatin1String OVS_KC_IA("OVS_KC_IA"); // the address's label
// The kinds, by index.
constexpr QLatin1String kKindTitles[] = { QLatin1String("OVS_KC_IW"), QLatin1String("OVS_KC_IE") };
} // namespace

KeyCusNetViewCtrl::KeyCusNetViewCtrl(const EditorContext &context, QObject *parent)
    : KeyCusPane(context, parent)
{ }

KeyCusNetViewCtrl::~KeyCusNetViewCtrl() = default;

QString KeyCusNetViewCtrl::defaultAddress(quint64 kind)
{
    if (kind == kWebAddress)
        return QStringLiteral("https://www.orvane.com/");
    if (kind == kMailAddress)
        return QStringLiteral("mailto:support@orvane.com");
    return QString();
}

QString KeyCusNetViewCtrl::kindTitle(quint64 kind) const
{
    return kind < std::size(kKindTitles) ? text(kKindTitles[kind]) : QString();
}

void KeyCusNetViewCtrl::viewDidLoad(QWidget *view)
{
    view->setObjectName(QStringLiteral("KeyCusNetViewCtrl"));
    m_ibPopupBtn = new controls::OrvanePopUpButton(context().platform->runLoop, view);
    m_ibPopupBtn->setObjectName(QStringLiteral("ibPopupBtn"));
    m_ibPopupBtn->setAccessibleName(text(OVS_KC_IK));
    m_ibTextField = new controls::OrvaneTextField(view);
    m_ibTextField->setObjectName(QStringLiteral("ibTextField"));
    m_ibTextField->setAccessibleName(text(OVS_KC_IA));
    connect(m_ibPopupBtn, &QComboBox::activated, this, [this] { clickPopUpBtn(); });

    auto *kindLabel = new QLabel(text(OVS_KC_IK), view);
    kindLabel->setBuddy(m_ibPopupBtn);
    auto *addressLabel = new QLabel(text(OVS_KC_IA), view);
    addressLabel->setBuddy(m_ibTextField);
    auto *layout = new QGridLayout(view);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setVerticalSpacing(10);
    layout->addWidget(kindLabel, 0, 0);
    layout->addWidget(m_ibPopupBtn, 0, 1);
    layout->addWidget(addressLabel, 1, 0);
    layout->addWidget(m_ibTextField, 1, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
    keyCusNetInit();
    context().observeDisconnectHide(this, [this] { deviceDisconnectHideUI(); });
}

void KeyCusNetViewCtrl::keyCusNetInit()
{
    m_ibPopupBtn->removeAllItems();
    for (const QLatin1String key : kKindTitles)
        m_ibPopupBtn->addItem(text(key));
    // A kind past the list (read from a file) selects nothing.
    m_ibPopupBtn->setCurrentIndex(m_keyActCusNet < std::size(kKindTitles) ? int(m_keyActCusNet) : -1);
    m_ibTextField->setPlaceholderText(defaultAddress(m_keyActCusNet));
    if (!m_urlStr || m_urlStr->isEmpty())
        return;
    if (*m_urlStr == m_ibTextField->placeholderText())
        m_urlStr.reset();
    else
        m_ibTextField->setText(*m_urlStr);
}

QString KeyCusNetViewCtrl::obtainUrlStr()
{
    if (!m_ibTextField)
        return m_urlStr && !m_urlStr->isEmpty() ? *m_urlStr : defaultAddress(m_keyActCusNet);
    m_urlStr = m_ibTextField->text();
    return m_urlStr->isEmpty() ? m_ibTextField->placeholderText() : *m_urlStr;
}

void KeyCusNetViewCtrl::clickPopUpBtn()
{
    const int chosen = m_ibPopupBtn->currentIndex();
    if (chosen < 0)
        return;
    m_keyActCusNet = quint64(chosen);
    m_ibTextField->setPlaceholderText(defaultAddress(m_keyActCusNet));
    emit keyCusDidChanged(this, m_ibPopupBtn->itemText(chosen));
}

void KeyCusNetViewCtrl::deviceDisconnectHideUI()
{
    if (m_ibPopupBtn)
        m_ibPopupBtn->cancelTracking();
}

} // namespace keyactions
