#include "ovshortcutcell.h"

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovshortcuteditor.h"
#include "keyactions/shortcutstrings.h"
#include "keyactions/shortcuttexts.h"
#include "platform/keycodes.h"
#include "platform/userdefaults.h"
#include "store/ovpublicdefine.h"
#include "store/plistvalue.h"

namespace keyactions {

namespace {

constexpr double kButtonSize = 14; // points, as the button images

// Escape, Delete and Forward Delete end recording instead of being recorded.
bool isCancelKey(qint64 keyCode)
{
    return keyCode == platform::mackey::Escape || keyCode == platform::mackey::Delete || keyCode == 117;
}

// Keys of the autosaved combination beside "keyCode" and "modifierFlags"
// (those of the recorder dictionary).
const QString kSavedKeyCode = store::kRecorderKeyCode;
const QString kSavedModifierFlags = store::kRecorderModifierFlags;
const QString kSavedModifiers = QStringLiteral("modifiers");
const QString kSavedKeyChars = QStringLiteral("keyChars");
const QString kSavedKeyCharsIgnoringModifiers = QStringLiteral("keyCharsIgnoringModifiers");

} // namespace

OVShortcutCell::OVShortcutCell(OVShortcutEditor &delegate, const OVKeyCodeTransformer &transformer,
    platform::UserDefaults &defaults, platform::Alerts &alerts)
    : m_delegate(delegate)
    , m_transformer(transformer)
    , m_defaults(defaults)
    , m_alerts(alerts)
    , m_validator(transformer)
{
    m_validator.setDelegate([this](qint64 keyCode, quint64 flags, QString *reason) {
        return m_delegate.isKeyCodeAndFlagsTaken(keyCode, flags, reason);
    });
}

quint64 OVShortcutCell::filteredCocoaFlags(quint64 flags) const
{
    return ((flags & m_allowedFlags) | m_requiredFlags) & kRecordableFlags;
}

bool OVShortcutCell::validModifierFlags(quint64 flags) const
{
    return m_allowsKeyOnly || (flags & kModifierFlags) || (flags & kFunctionFlag);
}

quint64 OVShortcutCell::filteredCocoaToCarbonFlags(quint64 flags) const
{
    return ShortcutCocoaToCarbonFlags(filteredCocoaFlags(flags));
}

bool OVShortcutCell::isEmpty() const
{
    return !validModifierFlags(m_keyCombo.flags)
        || ShortcutStringForKeyCode(m_transformer, m_keyCombo.code).isEmpty();
}

void OVShortcutCell::setAllowedFlags(quint64 flags)
{
    m_allowedFlags = flags;
    if (m_isEditing) {
        m_editingFlags = filteredCocoaFlags(m_delegate.currentModifierFlags());
    } else {
        const quint64 filtered = filteredCocoaFlags(m_keyCombo.flags);
        const bool changed = filtered != m_keyCombo.flags;
        m_keyCombo.flags = filtered;
        if (changed && m_keyCombo.code >= 0)
            comboChanged();
    }
    m_delegate.redraw();
}

void OVShortcutCell::setRequiredFlags(quint64 flags)
{
    m_requiredFlags = flags;
    // The same refresh as for the allowed flags.
    setAllowedFlags(m_allowedFlags);
}

void OVShortcutCell::setAllowsKeyOnly(bool allows, bool escapeKeys)
{
    m_allowsKeyOnly = allows;
    m_escapeKeys = escapeKeys;
    m_delegate.redraw();
}

void OVShortcutCell::setAutosaveName(const QString &name)
{
    m_autosaveName = name;
    loadKeyCombo();
}

void OVShortcutCell::setKeyCombo(KeyCombo combo)
{
    m_keyCombo = KeyCombo { filteredCocoaFlags(combo.flags), combo.code };
    m_hasKeyChars = false;
    comboChanged();
    m_delegate.redraw();
}

void OVShortcutCell::comboChanged()
{
    m_delegate.keyComboDidChange(m_keyCombo);
    saveKeyCombo();
}

std::optional<QString> OVShortcutCell::keyComboString() const
{
    if (isEmpty())
        return std::nullopt;
    return ShortcutCocoaFlagsString(m_keyCombo.flags)
        + ShortcutStringForKeyCode(m_transformer, m_keyCombo.code);
}

QString OVShortcutCell::keyChars() const
{
    return m_hasKeyChars ? m_keyChars : ShortcutStringForKeyCode(m_transformer, m_keyCombo.code);
}

QString OVShortcutCell::keyCharsIgnoringModifiers() const
{
    return m_hasKeyChars ? m_keyCharsIgnoringModifiers
                         : ShortcutCharacterForCocoaCombo(m_transformer, m_keyCombo.code);
}

bool OVShortcutCell::performKeyEquivalent(const CapturedKey &key, bool isFirstResponder, bool isEnabled)
{
    const quint64 flags = filteredCocoaFlags(key.flags);
    const bool cancelKey = isCancelKey(key.keyCode);
    // A cancel key's modifiers count before the filter, so that a modifier
    // the allowed mask takes away still makes it a key to record.
    const bool valid = validModifierFlags(cancelKey ? key.flags : flags);

    if (m_isEditing && (cancelKey || valid)) {
        if (cancelKey && !valid) {
            // A cancel key without modifiers ends recording ...
        } else if (cancelKey && (flags & ~kFunctionFlag) == 0 && m_allowsKeyOnly && !m_escapeKeys) {
            // ... and so it does with Function alone, where a key alone counts.
        } else if (key.keyCode < 0 || key.charactersIgnoringModifiers.toUpper().isEmpty()) {
            m_delegate.beep();
        } else {
            std::optional<ShortcutError> error;
            if (m_validator.isKeyCodeAndFlagsTaken(
                    key.keyCode, filteredCocoaToCarbonFlags(key.flags), &error)) {
                if (!error) {
                    error = m_validator.refusal(key.keyCode, filteredCocoaToCarbonFlags(key.flags),
                        shortcutText(m_transformer.strings(),
                            QStringLiteral("This key cannot be part of a shortcut.")));
                }
                alertWithNonRecoverableError(m_alerts, *error);
                m_editingFlags = filteredCocoaFlags(m_delegate.currentModifierFlags());
                m_delegate.redraw();
                return true;
            }
            m_keyCombo = KeyCombo { flags, qint64(quint16(key.keyCode)) };
            m_hasKeyChars = true;
            m_keyChars = key.characters;
            m_keyCharsIgnoringModifiers = key.charactersIgnoringModifiers;
            comboChanged();
            m_comboJustChanged = true;
        }
        endRecording();
        return true;
    }

    if (!m_isEditing && key.characters == QLatin1String(" ")) {
        startEditingTransition();
        return true;
    }
    if (isFirstResponder && key.characters.startsWith(QLatin1Char(' ')) && isEnabled)
        startEditingTransition();
    return false;
}

// Every way out of a recording key press: a cancel, the beep, a recording.
void OVShortcutCell::endRecording()
{
    m_editingFlags = 0;
    endEditingTransition();
    m_delegate.resetTrackingRects();
    m_delegate.redraw();
}

void OVShortcutCell::flagsChanged(quint64 flags)
{
    if (!m_isEditing)
        return;
    m_editingFlags = filteredCocoaFlags(flags);
    m_delegate.redraw();
}

QRectF OVShortcutCell::removeButtonRectForFrame(QRectF frame, bool isEnabled) const
{
    if (isEmpty() || !isEnabled)
        return QRectF();
    // (y + h - 14) / 2, not y + (h - 14) / 2: the two agree for the frames in
    // use, whose y is 0 (or 0.5, inset).
    return QRectF(frame.x() + frame.width() - kButtonSize - 4, (frame.y() + frame.height() - kButtonSize) / 2,
        kButtonSize, kButtonSize);
}

QRectF OVShortcutCell::snapbackRectForFrame(QRectF frame)
{
    return QRectF(frame.x() + frame.width() - kButtonSize - 2,
        (frame.y() + frame.height() - kButtonSize) / 2 + 1, kButtonSize, kButtonSize);
}

void OVShortcutCell::resetTrackingRects(std::optional<QPointF> mouse, QRectF frame, bool isEnabled)
{
    if (!isEnabled) {
        m_mouseInsideTrackingArea = false;
        return;
    }
    const QRectF button
        = m_isEditing ? snapbackRectForFrame(frame) : removeButtonRectForFrame(frame, isEnabled);
    m_mouseInsideTrackingArea = mouse && !button.isNull() && button.contains(*mouse);
}

void OVShortcutCell::mouseMoved(QPointF point, QRectF frame, bool isEnabled)
{
    const bool before = m_mouseInsideTrackingArea;
    resetTrackingRects(point, frame, isEnabled);
    if (before != m_mouseInsideTrackingArea)
        m_delegate.redraw();
}

bool OVShortcutCell::mousePressed(QPointF point, QRectF frame, bool isEnabled)
{
    const QRectF button
        = m_isEditing ? snapbackRectForFrame(frame) : removeButtonRectForFrame(frame, isEnabled);
    if (!button.isNull() && button.contains(point)) {
        m_mouseDown = true;
        m_mouseInsideTrackingArea = true;
        m_tracking = true;
        m_delegate.redraw();
        return true;
    }
    // A press outside the button acts at once.
    m_tracking = true;
    mouseReleased(point, frame, isEnabled);
    return false;
}

void OVShortcutCell::mouseDragged(QPointF point, QRectF frame)
{
    if (!m_tracking)
        return;
    const QRectF button = m_isEditing ? snapbackRectForFrame(frame) : removeButtonRectForFrame(frame, true);
    m_mouseInsideTrackingArea = !button.isNull() && button.contains(point);
    m_delegate.redraw();
}

void OVShortcutCell::mouseReleased(QPointF point, QRectF frame, bool isEnabled)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    const QRectF button
        = m_isEditing ? snapbackRectForFrame(frame) : removeButtonRectForFrame(frame, isEnabled);
    const bool inButton = !button.isNull() && button.contains(point);
    m_mouseDown = false;
    m_mouseInsideTrackingArea = inButton;
    QRectF clickArea = frame;
    if (!button.isNull())
        clickArea.setWidth(frame.width() - (button.width() + 4));

    if (inButton) {
        if (m_isEditing)
            endEditingTransition(); // the snapback button keeps the old combination
        else
            setKeyCombo(KeyCombo { 0, -1 }); // the remove button clears it
    } else if (clickArea.contains(point) && !m_isEditing && isEnabled) {
        startEditingTransition();
    }
    if (isEnabled)
        m_delegate.makeFirstResponder();
    m_delegate.resetTrackingRects();
    m_delegate.redraw();
}

void OVShortcutCell::startEditingTransition()
{
    // The editors do not animate the slide: the field changes layers at once.
    startEditing();
}

void OVShortcutCell::endEditingTransition()
{
    endEditing();
}

void OVShortcutCell::startEditing()
{
    m_isEditing = true;
    m_editingFlags = filteredCocoaFlags(0);
    m_delegate.resetTrackingRects();
    m_delegate.redraw();
    m_delegate.editingDidChange();
}

void OVShortcutCell::endEditing()
{
    m_isEditing = false;
    m_comboJustChanged = false;
    m_delegate.resetTrackingRects();
    m_delegate.redraw();
    m_delegate.editingDidChange();
}

QString OVShortcutCell::defaultsKeyForAutosaveName(const QString &name) const
{
    return QStringLiteral("ShortcutEditor %1").arg(name);
}

void OVShortcutCell::saveKeyCombo()
{
    if (m_autosaveName.isEmpty())
        return;
    QVariantMap saved;
    saved.insert(kSavedKeyCode, qint64(qint16(m_keyCombo.code)));
    saved.insert(kSavedModifierFlags, m_keyCombo.flags);
    saved.insert(kSavedModifiers, ShortcutCocoaToCarbonFlags(m_keyCombo.flags));
    if (m_hasKeyChars) {
        saved.insert(kSavedKeyChars, m_keyChars);
        saved.insert(kSavedKeyCharsIgnoringModifiers, m_keyCharsIgnoringModifiers);
    }
    m_defaults.setValue(defaultsKeyForAutosaveName(m_autosaveName), saved);
}

void OVShortcutCell::loadKeyCombo()
{
    if (m_autosaveName.isEmpty())
        return;
    // Nothing saved under the name (or something else than a saved
    // combination): the field keeps what it holds.
    const std::optional<QVariantMap> saved
        = store::dictionaryValue(m_defaults.value(defaultsKeyForAutosaveName(m_autosaveName)));
    const std::optional<qint64> code
        = saved ? store::integerValue(saved->value(kSavedKeyCode)) : std::nullopt;
    if (!code)
        return;
    quint64 flags = 0;
    if (const std::optional<quint64> modifierFlags = store::unsignedValue(saved->value(kSavedModifierFlags)))
        flags = *modifierFlags;
    else if (const std::optional<quint64> modifiers = store::unsignedValue(saved->value(kSavedModifiers)))
        flags = ShortcutCarbonToCocoaFlags(*modifiers);
    m_keyCombo = KeyCombo { filteredCocoaFlags(flags), qint64(qint16(*code)) };
    const std::optional<QString> keyChars = store::stringValue(saved->value(kSavedKeyChars));
    m_hasKeyChars = keyChars.has_value();
    m_keyChars = keyChars.value_or(QString());
    m_keyCharsIgnoringModifiers
        = store::stringValue(saved->value(kSavedKeyCharsIgnoringModifiers)).value_or(QString());
    m_delegate.keyComboDidChange(m_keyCombo);
    m_delegate.redraw();
}

QString OVShortcutCell::editingText() const
{
    const platform::Strings &strings = m_transformer.strings();
    if (validModifierFlags(m_editingFlags)) {
        const QString glyphs = ShortcutCocoaFlagsString(m_editingFlags);
        return glyphs.isEmpty() ? shortcutText(strings, QStringLiteral("Type shortcut")) : glyphs;
    }
    return m_mouseInsideTrackingArea ? shortcutText(strings, QStringLiteral("Exit the modify"))
                                     : shortcutText(strings, QStringLiteral("Type shortcut"));
}

QString OVShortcutCell::idleText() const
{
    if (isEmpty())
        return shortcutText(m_transformer.strings(), QStringLiteral("Click to edit shortcut"));
    return keyComboString().value_or(QString());
}

QString OVShortcutCell::shownText() const
{
    return m_isEditing ? editingText() : idleText();
}

} // namespace keyactions
