#include "keyactions/keycushotviewctrl.h"

#include <QGridLayout>
#include <QLabel>

#include "controls/orvanepopupbutton.h"
#include "controls/orvanetextfield.h"
#include "keyactions/hotkeypresetlist.h"
#include "keyactions/ovshortcuteditor.h"
#include "platform/platform.h"
#include "platform/strings.h"

namespace keyactions {

namespace {
// The pane's labels: the list, the listed entry's keys, the recorder.
constexpr QLatin1String OVS_KC_HL("OVS_KC_HL");
constexpr QLatin1String OVS_KC_HS("OVS_KC_HS");
constexpr QLatin1String OVS_KC_HR("OVS_KC_HR");
} // namespace

KeyCusHotViewCtrl::KeyCusHotViewCtrl(const EditorContext &context, QObject *parent)
    : KeyCusPane(context, parent)
{ }

KeyCusHotViewCtrl::~KeyCusHotViewCtrl() = default;

void KeyCusHotViewCtrl::viewDidLoad(QWidget *view)
{
    view->setObjectName(QStringLiteral("KeyCusHotViewCtrl"));
    platform::Desktop &p = *context().platform;
    m_ibPopupBtn = new controls::OrvanePopUpButton(p.runLoop, view);
    m_ibPopupBtn->setObjectName(QStringLiteral("ibPopupBtn"));
    m_ibPopupBtn->setAccessibleName(text(OVS_KC_HL));
    m_ibTextField = new controls::OrvaneTextField(view);
    m_ibTextField->setObjectName(QStringLiteral("ibTextField"));
    m_ibTextField->setReadOnly(true);
    m_ibTextField->setAccessibleName(text(OVS_KC_HS));
    // The recorder takes the field's place.
    m_shortcutEditor = new OVShortcutEditor(*context().transformer, p.runLoop, p.defaults, p.alerts, view);
    m_shortcutEditor->setObjectName(QStringLiteral("shortcutEditor"));
    m_shortcutEditor->setAccessibleName(text(OVS_KC_HR));
    m_shortcutEditor->setStyle(1);
    m_shortcutEditor->setCanCaptureGlobalHotKeys(false);
    m_shortcutEditor->setAllowsKeyOnly(true, false);

    auto *label = new QLabel(text(OVS_KC_HL), view);
    label->setBuddy(m_ibPopupBtn);
    auto *layout = new QGridLayout(view);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setVerticalSpacing(10);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_ibPopupBtn, 0, 1);
    layout->addWidget(m_ibTextField, 1, 1);
    layout->addWidget(m_shortcutEditor, 1, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);

    connect(m_ibPopupBtn, &QComboBox::activated, this, [this] { clickPopUpBtn(); });
    connect(m_shortcutEditor, &OVShortcutEditor::shortcutEditorIsKeyCodeAndFlagsTaken, this,
        [this](OVShortcutEditor *, qint64 keyCode, quint64 flags, bool *taken, QString *reason) {
            *taken = isKeyCodeAndFlagsTaken(keyCode, flags, reason);
        },
        Qt::DirectConnection);
    keyCusHotInit();
    connect(m_shortcutEditor, &OVShortcutEditor::shortcutEditorKeyComboDidChange, this,
        [this] { keyComboDidChange(); });
    context().observeDisconnectHide(this, [this] { deviceDisconnectHideUI(); });
}

void KeyCusHotViewCtrl::keyCusHotInit()
{
    // An entry past the list (set by a caller, never read from a file) is
    // the recorder.
    if (m_keyActCusHotKey >= quint64(kHotKeyPresetCount))
        m_keyActCusHotKey = 0;
    m_ibPopupBtn->removeAllItems();
    for (int i = 0; i < kHotKeyPresetCount; ++i)
        m_ibPopupBtn->addItem(text(hotKeyTextKey(i)));
    m_ibPopupBtn->setCurrentIndex(int(m_keyActCusHotKey));
    if (m_keyActCusHotKey != 0) {
        showEntry(m_keyActCusHotKey);
        emit keyCusDidChangedEnabled(false);
        return;
    }
    m_shortcutEditor->setObjectValue(m_customHotKey ? QVariant(*m_customHotKey) : QVariant());
    showEntry(0);
}

void KeyCusHotViewCtrl::showEntry(quint64 index)
{
    m_ibTextField->setText(index != 0 ? hotKeyString(index).value_or(QString()) : QString());
    m_ibTextField->setVisible(index != 0);
    m_shortcutEditor->setVisible(index == 0);
}

std::optional<QString> KeyCusHotViewCtrl::hotKeyString(quint64 index) const
{
    if (index == 0 && m_shortcutEditor)
        return m_shortcutEditor->keyComboString().value_or(QString());
    return hotKeyDisplayString(index);
}

void KeyCusHotViewCtrl::clickPopUpBtn()
{
    const int chosen = m_ibPopupBtn->currentIndex();
    if (chosen < 0)
        return;
    if (m_isPenEnter && (chosen == kHotKeyShift || chosen == kHotKeyCommand || chosen == kHotKeyOption)) {
        m_ibPopupBtn->setCurrentIndex(int(m_keyActCusHotKey));
        context().showAlert(m_ibPopupBtn->window(), QLatin1String(OVSEReason2));
        return;
    }
    m_keyActCusHotKey = quint64(chosen);
    if (chosen == 0 && m_customHotKey)
        m_shortcutEditor->setObjectValue(*m_customHotKey);
    showEntry(m_keyActCusHotKey);
    emit keyCusDidChanged(this, m_ibPopupBtn->itemText(chosen));
    emit keyCusDidChangedEnabled(chosen == 0);
}

bool KeyCusHotViewCtrl::isKeyCodeAndFlagsTaken(qint64 keyCode, quint64 flags, QString *reason) const
{
    const std::optional<QLatin1String> refusal = hotKeyRefusal(m_isPenEnter, keyCode, flags);
    if (!refusal)
        return false;
    if (reason)
        *reason = context().platform->strings.text(*refusal);
    return true;
}

void KeyCusHotViewCtrl::keyComboDidChange()
{
    m_customHotKey = m_shortcutEditor->objectValue();
}

void KeyCusHotViewCtrl::deviceDisconnectHideUI()
{
    if (m_ibPopupBtn)
        m_ibPopupBtn->cancelTracking();
}

} // namespace keyactions
