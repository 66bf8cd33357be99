#pragma once

#include <memory>
#include <optional>

#include <QMetaType>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include "keyactions/keycombo.h"

class QDataStream;

namespace platform {
class Alerts;
class RunLoop;
class UserDefaults;
} // namespace platform

namespace keyactions {

class OVKeyCodeTransformer;
class OVShortcutCell;
class ValueTransformer;

// How a binding of the recorder's value hands the value on: through the
// transformer given, else the one registered under the name given.
struct BindingOptions
{
    const ValueTransformer *valueTransformer = nullptr;
    QString valueTransformerName;
};

// The shortcut recorder: a one-line field in which the user records one key
// combination (a mac key code with the modifiers held with it). The hot-key
// pane shows one, the wheel-function editor two.
//
// Use (the editors' setting: style 1, a key alone may be recorded, the
// cancel keys cancel):
//   auto *recorder = new OVShortcutEditor(transformer, p.runLoop, p.defaults, p.alerts, pane);
//   recorder->setStyle(1);
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
// Style 1 is a capsule that changes layers at once, or, with animates, in a
// slide of 11 run-loop ticks; style 0 (the default of a new recorder) shows
// recording as a gradient of the desktop's selection colour. The field is
// always 22 pixels high and at least 50 wide.
//
// With canCaptureGlobalHotKeys the recorder holds the keyboard while
// recording (an active grab on X11), so that a combination another program
// of the desktop grabs reaches it (and is then refused as the desktop's)
// instead of running there.
//
// With its "value" bound, every change of the combination is also set on
// the bound object's property (see bind()).
//
// The transformer gives the key strings (one per application), the run loop
// the slide's ticks, the defaults hold an autosaved combination, the alerts
// show refusals. All must outlive the recorder.
class OVShortcutEditor : public QWidget
{
    Q_OBJECT
public:
    OVShortcutEditor(const OVKeyCodeTransformer &transformer, platform::RunLoop &runLoop,
        platform::UserDefaults &defaults, platform::Alerts &alerts, QWidget *parent = nullptr);
    ~OVShortcutEditor() override;

    // The cell's coding (the control adds nothing of its own); decoding
    // gives the recorder a new cell made from the coder, or, for a refused
    // stream, keeps the one it has and answers false.
    void encodeWithCoder(QVariantMap &coder) const;
    void encodeWithCoder(QDataStream &coder) const;
    void initWithCoder(const QVariantMap &coder);
    bool initWithCoder(QDataStream &coder);

    // Binds "value" (the only binding of the recorder) to a property of
    // another object: after every change the value, reverse-transformed by
    // the options' transformer when it allows that, is set there. A
    // transformer that does not allow it, a missing object (also one that
    // is gone since) or key path are logged at the change and the value goes
    // unchanged or nowhere.
    void bind(const QString &binding, QObject *observable, const QString &keyPath,
        const BindingOptions &options = {});
    void unbind(const QString &binding);
    // The type of the "value" binding's values: the recorder dictionary.
    static QMetaType valueClassForBinding(const QString &binding);

    // Drawing options (see above); style takes 1, any other value is 0.
    int style() const;
    void setStyle(int style);
    bool animates() const;
    void setAnimates(bool animates);

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
    // While recording, hold the keyboard (see above); default no, and the
    // editors leave it off.
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
    // The desktop's shortcuts off while recording: a token for the pop.
    quint64 pushSymbolicHotKeyMode();
    void popSymbolicHotKeyMode(quint64 token);
    void pushBoundValue();

    const OVKeyCodeTransformer &m_transformer;
    platform::RunLoop &m_runLoop;
    platform::UserDefaults &m_defaults;
    platform::Alerts &m_alerts;
    std::unique_ptr<OVShortcutCell> m_cell;
    quint64 m_hotKeyModeToken = 0;
    struct ValueBinding
    {
        QPointer<QObject> observed;
        QString keyPath;
        BindingOptions options;
    };
    std::optional<ValueBinding> m_valueBinding;
};

} // namespace keyactions
