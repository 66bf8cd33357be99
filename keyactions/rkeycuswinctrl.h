#pragma once

#include <optional>

#include <QDialog>

#include "keyactions/editorcontext.h"
#include "keyactions/rkeycusobject.h"

namespace controls {
class OrvaneButton;
class OrvaneTextField;
} // namespace controls

namespace keyactions {

class OVShortcutEditor;

// The wheel-function editor (layout "RKeyCusWinCtrl"): the custom function
// of one wheel slot, a name and two recorded combinations, one posted for
// each counter-clockwise turn and one for each clockwise turn. The caller
// hands over the function to edit, runs the editor and, when the run ends
// with 1, takes rkeyCusObject(). OK always ends with 1, whatever was
// recorded; an empty name stands for the field's placeholder. The recorders
// refuse only what every recorder refuses (the system's shortcuts): the
// hot-key pane's rules do not apply here. The editor does not end on the
// device-disconnect notice; its caller drops the result of a device that
// has gone.
class RKeyCusWinCtrl : public QDialog
{
    Q_OBJECT
public:
    explicit RKeyCusWinCtrl(
        const EditorContext &context, const QString &windowNibName = QString(), QWidget *parent = nullptr);
    ~RKeyCusWinCtrl() override;

    // In: the function to edit (none: a new one); read by the start, so set
    // it before runModal(). Out, after OK: the new one.
    std::optional<RKeyCusObject> rkeyCusObject() const { return m_rkeyCusObject; }
    void setRkeyCusObject(const std::optional<RKeyCusObject> &object) { m_rkeyCusObject = object; }

    // Application-modal: fills the editor from the given function, shows
    // it and returns 1 (OK) or 0 (Cancel, Escape).
    int runModal();

    void clickOK();
    void clickCancel();

    controls::OrvaneTextField *ibTextField() const { return m_ibTextField; }
    OVShortcutEditor *shortcutEditorLeftHand() const { return m_left; }
    OVShortcutEditor *shortcutEditorRightHand() const { return m_right; }
    controls::OrvaneButton *ibOKBtn() const { return m_ibOKBtn; }

protected:
    void reject() override;

private:
    void hotkeyCusInit();
    OVShortcutEditor *makeRecorder(const QString &name);

    EditorContext m_context;
    controls::OrvaneTextField *m_ibTextField = nullptr;
    OVShortcutEditor *m_left = nullptr;
    OVShortcutEditor *m_right = nullptr;
    controls::OrvaneButton *m_ibOKBtn = nullptr;
    controls::OrvaneButton *m_ibCancelBtn = nullptr;
    std::optional<RKeyCusObject> m_rkeyCusObject;
};

} // namespace keyactions
