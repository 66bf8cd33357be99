#pragma once

#include <memory>
#include <optional>

#include <QVariantMap>
#include <QWidget>

#include "keyactions/keycombo.h"

namespace platform {
class Alerts;
class UserDefaults;
} // namespace platform

namespace keyactions {

class OVKeyCodeTransformer;
class OVShortcutCell;

// The shortcut recorder: a one-line field in which the user records one key
// combination (a mac key code with the modifiers held with it). The hot-key
// pane shows one, the wheel-function editor two.
//
// Use (the editors' setting: a key alone may be recorded, the cancel keys
// cancel):
//   auto *recorder = new OVShortcutEditor(transformer, platform.defaults, platform.alerts, pane);
//   recorder->setAllowsKeyOnly(true, false);
//   recorder->setAccessibleName(tr("Custom hot key"));
//   connect(recorder, &OVShortcutEditor::shortcutEditorIsKeyCodeAndFlagsTaken, pane,
//       [](OVShortcutEditor *, qint64 keyCode, quint64 flags, bool *taken, QString *reason) {
//           if (reserved(keyCode, flags)) { *taken = true; *reason = tr("..."); }
//       }, Qt::DirectConnection);
//   recorder->setObjectValue(record.customHotKey);  // show the stored one
//   ...
//   record.customHotKey = recorder->objectValue();  // on OK
//
// The value is the recorder dictionary of the configuration: {"characters"
// (what the key types under Shift alone, else the key's name), "keyCode"
// (mac key code, qint64), "modifierFlags" (mac event flags, quint64)}, or
// none while the field is empty.
//
// Clicking the field, or Space while it has the focus, starts recording: the
// field slides to its recording layer ("Type shortcut", then the glyphs of
// the modifiers held) with the snapback button at its right end. The next key
// press with valid modifiers is checked (the signal below, then the desktop's
// shortcuts, then the application's menus and actions); a free combination is
// recorded and recording ends, a taken one is refused with a modal alert and
// recording goes on. Escape, Delete (Backspace) or Forward Delete alone end
// recording and keep the old combination; with a modifier they are recorded.
// The snapback button and losing the focus to another control also keep it;
// a key that types nothing (or that no mac key code names) beeps and keeps
// it. While recording, the application's own shortcuts do not fire. An idle
// field with a combination shows its glyph string and a round remove button
// that clears it.
//
// Keys are taken as the driver posts them: the Ctrl key is Command, the
// Super key Control, Alt Option. Modifier keys alone are never recorded.
//
// The field has one look (a capsule) and changes layers at once, without an
// animation; it is always 22 pixels high and at least 50 wide.
//
// The transformer gives the key strings (one per application), the defaults
// hold an autosaved combination, the alerts show refusals. All must outlive
// the recorder.
class OVShortcutEditor : public QWidget
{
    Q_OBJECT
public:
    OVShortcutEditor(const OVKeyCodeTransformer &transformer, platform::UserDefaults &defaults,
        platform::Alerts &alerts, QWidget *parent = nullptr);
    ~OVShortcutEditor() override;

    // The value: the recorder dictionary, none while the field is empty.
    std::optional<QVariantMap> objectValue() const;
    // A dictionary whose "keyCode" and "modifierFlags" are numbers sets that
    // combination ("characters" is not read); anything else clears it. Both
    // tell shortcutEditorKeyComboDidChange.
    void setObjectValue(const QVariant &value);
    void setObjectValue(const QVariantMap &value);
    void setObjectValue(const std::optional<QVariantMap> &value);

    // The combination itself; setting it tells shortcutEditorKeyComboDidChange
    // (also when nothing changed).
    KeyCombo keyCombo() const;
    void setKeyCombo(KeyCombo combo);
    // The modifier glyphs (⌃⌥⇧⌘) and the key's string, "⇧⌘S"; none while empty.
    std::optional<QString> keyComboString() const;
    // The characters typed when the combination was recorded, with and
    // without modifiers (else the key's string / character).
    QString keyChars() const;
    QString keyCharsIgnoringModifiers() const;

    // Modifiers that may be part of a combination (default all: Shift,
    // Control, Option, Command, Function, 0x9E0000) and modifiers that always
    // are (default none).
    quint64 allowedFlags() const;
    void setAllowedFlags(quint64 flags);
    quint64 requiredFlags() const;
    void setRequiredFlags(quint64 flags);
    // A key without modifiers may be recorded (default no). With escapeKeys,
    // Escape, Delete and Forward Delete alone are recorded instead of ending
    // recording (default no).
    bool allowsKeyOnly() const;
    void setAllowsKeyOnly(bool allows);
    void setAllowsKeyOnly(bool allows, bool escapeKeys);
    bool escapeKeys() const;
    void setEscapeKeys(bool escapeKeys);
    // Kept for the editors' set-up; the desktop's own shortcuts stay on
    // while recording either way.
    bool canCaptureGlobalHotKeys() const;
    void setCanCaptureGlobalHotKeys(bool capture);
    // With a name, every change is saved to the user defaults under
    // "ShortcutEditor <name>", and setting the name loads the combination
    // saved under it (when there is one).
    QString autosaveName() const;
    void setAutosaveName(const QString &name);

    bool isEditing() const;
    // Starts recording as Space does; ends it as the snapback button does.
    void startRecording();
    void cancelRecording();
    // Clears the combination as the remove button does.
    void removeShortcut();

    // Recomputes which button the mouse is over (after a move of the field).
    void resetTrackingRects();

    // The text the field shows ("Click to edit shortcut", "⇧⌘S",
    // "Type shortcut" ...).
    QString shownText() const;

    OVShortcutCell &cell() { return *m_cell; }
    const OVKeyCodeTransformer &transformer() const { return m_transformer; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Asked before a combination is recorded (keyCode: mac key code; flags:
    // event form). Set *taken to keep it for the owner; *reason, when set,
    // is shown as the refusal's suggestion. Connect directly.
    void shortcutEditorIsKeyCodeAndFlagsTaken(
        keyactions::OVShortcutEditor *editor, qint64 keyCode, quint64 flags, bool *taken, QString *reason);
    // After every change of the combination.
    void shortcutEditorKeyComboDidChange(keyactions::OVShortcutEditor *editor, keyactions::KeyCombo keyCombo);

protected:
    // The desktop's beep, for a key that types nothing (or that no mac key
    // code names) while recording.
    virtual void beep();

    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    friend class OVShortcutCell;
    // The cell's calls.
    bool isKeyCodeAndFlagsTaken(qint64 keyCode, quint64 flags, QString *reason);
    void keyComboDidChange(KeyCombo combo);
    void redraw();
    void makeFirstResponder();
    void editingDidChange();
    quint64 currentModifierFlags() const;

    const OVKeyCodeTransformer &m_transformer;
    std::unique_ptr<OVShortcutCell> m_cell;
};

} // namespace keyactions
