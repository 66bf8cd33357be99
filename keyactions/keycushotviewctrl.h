#pragma once

#include <optional>

#include <QVariantMap>

#include "keyactions/keycuspane.h"

namespace controls {
class OrvanePopUpButton;
class OrvaneTextField;
} // namespace controls

namespace keyactions {

class OVShortcutEditor;

// The hot-key pane (layout "KeyCusHotViewCtrl"): one entry of the fixed list
// HotKeyPresetList (hotkeypresetlist.h), or its first entry, which shows a
// recorder for a combination of the user's own. The recorder refuses what
// the list offers and, for a pen button, the bare modifier keys; a pen
// button cannot take the list's Shift, Command and Option entries either.
class KeyCusHotViewCtrl : public KeyCusPane
{
    Q_OBJECT
public:
    explicit KeyCusHotViewCtrl(const EditorContext &context, QObject *parent = nullptr);
    ~KeyCusHotViewCtrl() override;

    // Set before the view loads; isPenEnter at every selection of the tab.
    quint64 keyActCusHotKey() const { return m_keyActCusHotKey; }
    void setKeyActCusHotKey(quint64 index) { m_keyActCusHotKey = index; }
    std::optional<QVariantMap> customHotKey() const { return m_customHotKey; }
    void setCustomHotKey(const std::optional<QVariantMap> &combination) { m_customHotKey = combination; }
    bool isPenEnter() const { return m_isPenEnter; }
    void setIsPenEnter(bool isPenEnter) { m_isPenEnter = isPenEnter; }

    // What the pane shows for an entry: the list's display string, for entry
    // 0 the recorder's text (empty while it holds nothing); nullopt past the
    // list.
    std::optional<QString> hotKeyString(quint64 index) const;

    // The pop-up's action.
    void clickPopUpBtn();
    // The recorder's questions and reports.
    bool isKeyCodeAndFlagsTaken(qint64 keyCode, quint64 flags, QString *reason) const;
    void keyComboDidChange();
    // "OVUI_DeviceDisconnect_Hide_Noti": the pop-up's menu closes.
    void deviceDisconnectHideUI();

    // Null until the view is loaded.
    controls::OrvanePopUpButton *ibPopupBtn() const { return m_ibPopupBtn; }
    controls::OrvaneTextField *ibTextField() const { return m_ibTextField; }
    OVShortcutEditor *shortcutEditor() const { return m_shortcutEditor; }

protected:
    void viewDidLoad(QWidget *view) override;

private:
    void keyCusHotInit();
    void showEntry(quint64 index);

    controls::OrvanePopUpButton *m_ibPopupBtn = nullptr;
    controls::OrvaneTextField *m_ibTextField = nullptr;
    OVShortcutEditor *m_shortcutEditor = nullptr;
    quint64 m_keyActCusHotKey = 0;
    std::optional<QVariantMap> m_customHotKey;
    bool m_isPenEnter = false;
};

} // namespace keyactions
