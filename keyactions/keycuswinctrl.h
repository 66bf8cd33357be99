#pragma once

#include <memory>
#include <optional>

#include <QDialog>

#include "keyactions/editorcontext.h"
#include "keyactions/keycusobject.h"

namespace controls {
class OrvaneButton;
class OrvaneTabView;
class OrvaneTextField;
} // namespace controls

namespace keyactions {

class KeyCusAppViewCtrl;
class KeyCusHotViewCtrl;
class KeyCusMouseViewCtrl;
class KeyCusNetViewCtrl;
class KeyCusPane;

// The per-key action editor (layout "KeyCusWinCtrl"): the custom action of
// one pen button, express key, or express key of a per-application set. A
// name field (the alias) above four tabs, one per kind of action: open an
// application, send a hot key, open an internet address, a mouse action.
//
// The caller hands over the action to edit, runs the editor and, when the
// run ends with 1, takes keyCusObject(); with 0 (Cancel, Escape, an action
// left incomplete, the shown device's disconnect) nothing is stored. An
// empty name field stands for the placeholder of the selected tab: OK
// stores the placeholder as the name, and a stored name equal to it shows
// as what the tab selection puts in the field.
class KeyCusWinCtrl : public QDialog
{
    Q_OBJECT
public:
    // The tabs; the index is the kind (KeyCusObject::keyActCus).
    static constexpr int kTabCount = 4;

    explicit KeyCusWinCtrl(
        const EditorContext &context, const QString &windowNibName = QString(), QWidget *parent = nullptr);
    ~KeyCusWinCtrl() override;

    // In: the action to edit (none: a new one). Out, after OK: the new one.
    std::optional<KeyCusObject> keyCusObject() const { return m_keyCusObject; }
    void setKeyCusObject(const std::optional<KeyCusObject> &object) { m_keyCusObject = object; }
    bool isPenEnter() const { return m_isPenEnter; }
    void setIsPenEnter(bool isPenEnter) { m_isPenEnter = isPenEnter; }

    // Application-modal: shows the editor, 0.2 seconds later fills it from
    // the given action, and returns 1 (OK with a complete action) or 0.
    int runModal();

    // The tab view's report, and the panes' reports.
    void tabViewDidSelectTabViewItem(int index);
    void keyCusDidChanged(KeyCusPane *pane, const QString &alias);
    void keyCusDidChangedEnabled(bool enabled);

    void clickOK();
    void clickCancel();
    // "OVUI_DeviceDisconnect_Hide_Noti": ends the run with 0, its own alerts
    // first.
    void deviceDisconnectHideUI();

    // The start timer's work (keyCusInit).
    void keyCusInit();

    controls::OrvaneTextField *ibTextField() const { return m_ibTextField; }
    controls::OrvaneTabView *ibTabView() const { return m_ibTabView; }
    controls::OrvaneButton *ibOKBtn() const { return m_ibOKBtn; }
    controls::OrvaneButton *ibCancelBtn() const { return m_ibCancelBtn; }
    qint64 selectedIndex() const { return m_selectedIndex; }
    // Null until its tab was first selected.
    KeyCusAppViewCtrl *keyCusAppViewCtrl() const { return m_keyCusAppViewCtrl.get(); }
    KeyCusHotViewCtrl *keyCusHotViewCtrl() const { return m_keyCusHotViewCtrl.get(); }
    KeyCusNetViewCtrl *keyCusNetViewCtrl() const { return m_keyCusNetViewCtrl.get(); }
    KeyCusMouseViewCtrl *keyCusMouseViewCtrl() const { return m_keyCusMouseViewCtrl.get(); }

    // The placeholder of the alias field on a tab ("OVS_KC_A" ...).
    QString placeholderForTab(int index) const;
    // What the alias field shows for an application path: the desktop
    // entry's name, else the last path component without its extension.
    QString appAlias(const QString &path) const;

protected:
    void reject() override;

private:
    void buildWindow();
    void endRun(int code);
    // Makes a pane the editor's: its reports reach the editor, its view the tab.
    void adopt(KeyCusPane *pane, int tab);

    EditorContext m_context;
    controls::OrvaneTextField *m_ibTextField = nullptr;
    controls::OrvaneTabView *m_ibTabView = nullptr;
    controls::OrvaneButton *m_ibOKBtn = nullptr;
    controls::OrvaneButton *m_ibCancelBtn = nullptr;
    std::optional<KeyCusObject> m_keyCusObject;
    bool m_isPenEnter = false;
    qint64 m_selectedIndex = 0;
    bool m_selectionReported = false;
    bool m_running = false;
    std::unique_ptr<KeyCusAppViewCtrl> m_keyCusAppViewCtrl;
    std::unique_ptr<KeyCusHotViewCtrl> m_keyCusHotViewCtrl;
    std::unique_ptr<KeyCusNetViewCtrl> m_keyCusNetViewCtrl;
    std::unique_ptr<KeyCusMouseViewCtrl> m_keyCusMouseViewCtrl;
};

} // namespace keyactions
