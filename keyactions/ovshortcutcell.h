#pragma once

#include <memory>
#include <optional>

#include <QGradientStops>
#include <QRectF>
#include <QString>
#include <QVariantMap>

#include "keyactions/keycapture.h"
#include "keyactions/keycombo.h"
#include "keyactions/ovvalidator.h"

class QDataStream;
class QPainter;

namespace platform {
class Alerts;
class RunLoop;
class UserDefaults;
} // namespace platform

namespace keyactions {

class OVKeyCodeTransformer;
class OVShortcutEditor;

// The slide's ease, (sin(p pi - pi/2) + 1) / 2: slow at both ends.
double ShortcutEaseInOut(double p);

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
// With animates and style 1, idle and editing change through a slide of
// 11 run-loop ticks of 1/30 s; isEditing changes only at the last tick, so
// keys during the slide toward editing are taken as idle.
//
// Every flag value the cell stores or compares goes through the filter
// ((flags & allowedFlags) | requiredFlags) & 0x9E0000: Caps Lock, the keypad
// bit and device bits never survive it; Function does.
class OVShortcutCell
{
public:
    OVShortcutCell(OVShortcutEditor &delegate, const OVKeyCodeTransformer &transformer,
        platform::RunLoop &runLoop, platform::UserDefaults &defaults, platform::Alerts &alerts);
    ~OVShortcutCell();
    OVShortcutCell(const OVShortcutCell &) = delete;
    OVShortcutCell &operator=(const OVShortcutCell &) = delete;

    // A cell with the same state and options, delegate, autosave name and
    // editing gradient, and a validator of its own. A running slide goes on
    // in the copy on its own ticks; the copy holds no keyboard grab.
    std::unique_ptr<OVShortcutCell> copy() const;

    // Coding, on a cell just made. Keyed: a map with "autosaveName",
    // "keyComboCode", "keyComboFlags", "allowedFlags", "requiredFlags",
    // "keyChars" and "keyCharsIgnoringModifiers" (only with key characters),
    // "allowsKeyOnly", "escapeKeys", "isAnimating" and "style"; a value of
    // the wrong type reads as absent. Unkeyed: autosave name, key code,
    // flags, allowed and required flags, in this order, and nothing else; a
    // short or garbled stream is refused (false) and changes nothing.
    // After decoding the allowed flags always hold Function, and the
    // combination saved under the autosave name is loaded.
    void encodeWithCoder(QVariantMap &coder) const;
    void encodeWithCoder(QDataStream &coder) const;
    void initWithCoder(const QVariantMap &coder);
    bool initWithCoder(QDataStream &coder);

    // Style 1 is the editors' capsule with its sliding layers; any other
    // value gives style 0, a field whose editing look is a gradient of the
    // desktop's selection colour around a white area. Only style 1 slides.
    int style() const { return m_style; }
    void setStyle(int style);
    static bool styleSupportsAnimation(int style) { return style == 1; }
    bool animates() const { return m_isAnimating; }
    void setAnimates(bool animates) { m_isAnimating = animates; }
    // Rebuilds style 0's editing gradient from the desktop's colours.
    void createGradient();
    const QGradientStops &editingGradient() const { return m_editingGradient; }

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
    // The running slide: progress 0..1 in steps of 2/21 per tick.
    bool isAnimatingNow() const { return m_isAnimatingNow; }
    bool isAnimatingTowardsEditing() const { return m_isAnimatingTowardsEditing; }
    double transitionProgress() const { return m_transitionProgress; }

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

    // The strengths of the two layers (editing, idle) and the slide as a
    // share of the field's height, for the state of the slide now.
    struct TransitionValues
    {
        double editingStrength;
        double idleStrength;
        double slide;
    };
    TransitionValues transitionValues() const;

    // The texts the field shows now: the editing layer's while editing, else
    // the idle layer's.
    QString shownText() const;

private:
    void privateInit();
    bool effectiveIsAnimating() const;
    void scheduleTick();
    void transitionTick();
    void pushHotKeys();
    void popHotKeys();
    void drawStyle0(QPainter &painter, QRectF frame, bool isEnabled) const;
    void drawStyle1(QPainter &painter, QRectF frame, bool isEnabled) const;
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
    platform::RunLoop &m_runLoop;
    platform::UserDefaults &m_defaults;
    platform::Alerts &m_alerts;
    OVValidator m_validator;

    int m_style = 0;
    QGradientStops m_editingGradient;
    QString m_autosaveName;
    bool m_isEditing = false;
    bool m_mouseInsideTrackingArea = false;
    bool m_mouseDown = false;
    bool m_tracking = false;
    bool m_isAnimating = false;
    double m_transitionProgress = 0;
    bool m_isAnimatingNow = false;
    bool m_isAnimatingTowardsEditing = false;
    quint64 m_tick = 0; // the pending tick's timer, 0 = none
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
    quint64 m_hotKeyModeToken = 0; // 0: the desktop's shortcuts are on
    // Gone when the cell is: a nested event loop (the refusal's alert) may
    // end the recorder, and what follows it looks here first.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace keyactions
