#pragma once

#include <optional>

#include <QRectF>
#include <QString>

#include "keyactions/keycapture.h"
#include "keyactions/keycombo.h"
#include "keyactions/ovvalidator.h"

class QPainter;

namespace platform {
class Alerts;
class UserDefaults;
} // namespace platform

namespace keyactions {

class OVKeyCodeTransformer;
class OVShortcutEditor;

// The recorder's state and rules; the control OVShortcutEditor owns one,
// hands it its keys, modifier changes and clicks, and lets it draw.
//
//   idle --Space / click in the field--> editing
//   editing --key with valid modifiers, free--> idle (combination recorded)
//   editing --key the validator refuses--> editing (alert shown)
//   editing --Escape / Delete / Forward Delete alone, snapback button,
//            focus lost, key that types nothing--> idle (combination kept)
//   idle --remove button--> idle (combination cleared)
//
// Every flag value the cell stores or compares goes through the filter
// ((flags & allowedFlags) | requiredFlags) & 0x9E0000: Caps Lock, the keypad
// bit and device bits never survive it; Function does.
class OVShortcutCell
{
public:
    OVShortcutCell(OVShortcutEditor &delegate, const OVKeyCodeTransformer &transformer,
        platform::UserDefaults &defaults, platform::Alerts &alerts);

    // Options.
    quint64 allowedFlags() const { return m_allowedFlags; }
    void setAllowedFlags(quint64 flags);
    quint64 requiredFlags() const { return m_requiredFlags; }
    void setRequiredFlags(quint64 flags);
    bool allowsKeyOnly() const { return m_allowsKeyOnly; }
    bool escapeKeys() const { return m_escapeKeys; }
    void setAllowsKeyOnly(bool allows, bool escapeKeys);
    void setEscapeKeys(bool escapeKeys) { m_escapeKeys = escapeKeys; }
    bool canCaptureGlobalHotKeys() const { return m_globalHotKeys; }
    void setCanCaptureGlobalHotKeys(bool capture) { m_globalHotKeys = capture; }
    QString autosaveName() const { return m_autosaveName; }
    void setAutosaveName(const QString &name);

    // The combination.
    KeyCombo keyCombo() const { return m_keyCombo; }
    void setKeyCombo(KeyCombo combo);
    std::optional<QString> keyComboString() const;
    QString keyChars() const;
    QString keyCharsIgnoringModifiers() const;

    // State.
    bool isEditing() const { return m_isEditing; }
    quint64 editingFlags() const { return m_editingFlags; }
    bool mouseInsideTrackingArea() const { return m_mouseInsideTrackingArea; }
    bool mouseDown() const { return m_mouseDown; }
    bool isEmpty() const;

    // Keys: YES when the cell took the event.
    bool performKeyEquivalent(const CapturedKey &key, bool isFirstResponder, bool isEnabled);
    void flagsChanged(quint64 flags);

    // The mouse, for a cell frame. Press: YES while the press is tracked
    // (it began on the button), until the release.
    bool mousePressed(QPointF point, QRectF frame, bool isEnabled);
    void mouseDragged(QPointF point, QRectF frame);
    void mouseReleased(QPointF point, QRectF frame, bool isEnabled);
    // The mouse over the field without a button held.
    void mouseMoved(QPointF point, QRectF frame, bool isEnabled);
    void resetTrackingRects(std::optional<QPointF> mouse, QRectF frame, bool isEnabled);

    // Leaving editing as the snapback button does (also on focus loss).
    void startEditingTransition();
    void endEditingTransition();

    // The 14 x 14 buttons at the right end of a cell frame; the remove
    // button is the zero rectangle while the cell is empty or disabled.
    QRectF removeButtonRectForFrame(QRectF frame, bool isEnabled) const;
    static QRectF snapbackRectForFrame(QRectF frame);

    void drawWithFrame(QPainter &painter, QRectF frame, bool isEnabled) const;

    // The texts the field shows now: the editing layer's while editing, else
    // the idle layer's.
    QString shownText() const;

private:
    quint64 filteredCocoaFlags(quint64 flags) const;
    bool validModifierFlags(quint64 flags) const;
    quint64 filteredCocoaToCarbonFlags(quint64 flags) const;
    QString defaultsKeyForAutosaveName(const QString &name) const;
    void saveKeyCombo();
    void loadKeyCombo();
    void startEditing();
    void endEditing();
    void endRecording();
    void comboChanged();
    QString editingText() const;
    QString idleText() const;

    OVShortcutEditor &m_delegate;
    const OVKeyCodeTransformer &m_transformer;
    platform::UserDefaults &m_defaults;
    platform::Alerts &m_alerts;
    OVValidator m_validator;

    QString m_autosaveName;
    bool m_isEditing = false;
    bool m_mouseInsideTrackingArea = false;
    bool m_mouseDown = false;
    bool m_tracking = false;
    bool m_comboJustChanged = false;
    KeyCombo m_keyCombo;
    bool m_hasKeyChars = false;
    QString m_keyChars;
    QString m_keyCharsIgnoringModifiers;
    quint64 m_allowedFlags = 0x9E0000;
    quint64 m_requiredFlags = 0;
    quint64 m_editingFlags = 0;
    bool m_allowsKeyOnly = false;
    bool m_escapeKeys = false;
    bool m_globalHotKeys = false;
};

} // namespace keyactions
