#include "ovshortcutcell.h"

#include <QDataStream>

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovshortcuteditor.h"
#include "keyactions/shortcutstrings.h"
#include "keyactions/shortcuttexts.h"
#include "platform/keycodes.h"
#include "platform/runloop.h"
#include "platform/userdefaults.h"
#include "store/ovpublicdefine.h"
#include "store/plistvalue.h"

namespace keyactions {

namespace {

constexpr double kButtonSize = 14; // points, as the button images

// The slide between the layers: a tick every 1/30 s that adds 2/21 to the
// progress, ending at 0.998, so 11 ticks (about 0.37 s). Single precision,
// as the values were measured: 10 ticks reach only 0.952381.
constexpr float kTickSeconds = 1.0f / 30;
constexpr float kProgressPerTick = 2.0f / 21;
constexpr float kTransitionDone = 0.998f;

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

// Keys of the keyed coding.
const QString kCodedAutosaveName = QStringLiteral("autosaveName");
const QString kCodedKeyComboCode = QStringLiteral("keyComboCode");
const QString kCodedKeyComboFlags = QStringLiteral("keyComboFlags");
const QString kCodedAllowedFlags = QStringLiteral("allowedFlags");
const QString kCodedRequiredFlags = QStringLiteral("requiredFlags");
const QString kCodedKeyChars = QStringLiteral("keyChars");
const QString kCodedKeyCharsIgnoringModifiers = QStringLiteral("keyCharsIgnoringModifiers");
const QString kCodedAllowsKeyOnly = QStringLiteral("allowsKeyOnly");
const QString kCodedEscapeKeys = QStringLiteral("escapeKeys");
const QString kCodedIsAnimating = QStringLiteral("isAnimating");
const QString kCodedStyle = QStringLiteral("style");

} // namespace

OVShortcutCell::OVShortcutCell(OVShortcutEditor &delegate, const OVKeyCodeTransformer &transformer,
    platform::RunLoop &runLoop, platform::UserDefaults &defaults, platform::Alerts &alerts)
    : m_delegate(delegate)
    , m_transformer(transformer)
    , m_runLoop(runLoop)
    , m_defaults(defaults)
    , m_alerts(alerts)
    , m_validator(transformer)
{
    m_validator.setDelegate([this](qint64 keyCode, quint64 flags, QString *reason) {
        return m_delegate.isKeyCodeAndFlagsTaken(keyCode, flags, reason);
    });
    privateInit();
}

OVShortcutCell::~OVShortcutCell()
{
    m_runLoop.cancel(m_tick);
    popHotKeys();
}

// The set-up of a new cell and of one about to be decoded: the members'
// own defaults, the gradient, and the autosaved combination (nothing while
// there is no autosave name).
void OVShortcutCell::privateInit()
{
    createGradient();
    loadKeyCombo();
}

void OVShortcutCell::setStyle(int style)
{
    m_style = style == 1 ? 1 : 0;
    m_delegate.redraw();
}

std::unique_ptr<OVShortcutCell> OVShortcutCell::copy() const
{
    auto cell = std::make_unique<OVShortcutCell>(m_delegate, m_transformer, m_runLoop, m_defaults, m_alerts);
    cell->m_style = m_style;
    cell->m_editingGradient = m_editingGradient;
    cell->m_autosaveName = m_autosaveName;
    cell->m_isEditing = m_isEditing;
    cell->m_mouseInsideTrackingArea = m_mouseInsideTrackingArea;
    cell->m_mouseDown = m_mouseDown;
    cell->m_tracking = m_tracking;
    cell->m_isAnimating = m_isAnimating;
    cell->m_transitionProgress = m_transitionProgress;
    cell->m_isAnimatingNow = m_isAnimatingNow;
    cell->m_isAnimatingTowardsEditing = m_isAnimatingTowardsEditing;
    cell->m_comboJustChanged = m_comboJustChanged;
    cell->m_keyCombo = m_keyCombo;
    cell->m_hasKeyChars = m_hasKeyChars;
    cell->m_keyChars = m_keyChars;
    cell->m_keyCharsIgnoringModifiers = m_keyCharsIgnoringModifiers;
    cell->m_allowedFlags = m_allowedFlags;
    cell->m_requiredFlags = m_requiredFlags;
    cell->m_editingFlags = m_editingFlags;
    cell->m_allowsKeyOnly = m_allowsKeyOnly;
    cell->m_escapeKeys = m_escapeKeys;
    cell->m_globalHotKeys = m_globalHotKeys;
    // A slide stopped half way would leave the copy between its layers for
    // good.
    if (m_isAnimatingNow)
        cell->scheduleTick();
    return cell;
}

void OVShortcutCell::encodeWithCoder(QVariantMap &coder) const
{
    if (!m_autosaveName.isNull())
        coder.insert(kCodedAutosaveName, m_autosaveName);
    coder.insert(kCodedKeyComboCode, qint64(qint16(m_keyCombo.code)));
    coder.insert(kCodedKeyComboFlags, m_keyCombo.flags);
    coder.insert(kCodedAllowedFlags, m_allowedFlags);
    coder.insert(kCodedRequiredFlags, m_requiredFlags);
    if (m_hasKeyChars) {
        coder.insert(kCodedKeyChars, m_keyChars);
        coder.insert(kCodedKeyCharsIgnoringModifiers, m_keyCharsIgnoringModifiers);
    }
    coder.insert(kCodedAllowsKeyOnly, m_allowsKeyOnly);
    coder.insert(kCodedEscapeKeys, m_escapeKeys);
    coder.insert(kCodedIsAnimating, m_isAnimating);
    coder.insert(kCodedStyle, qint64(qint16(m_style)));
}

void OVShortcutCell::encodeWithCoder(QDataStream &coder) const
{
    coder << m_autosaveName << qint16(m_keyCombo.code) << m_keyCombo.flags << m_allowedFlags
          << m_requiredFlags;
}

void OVShortcutCell::initWithCoder(const QVariantMap &coder)
{
    m_autosaveName = store::stringValue(coder.value(kCodedAutosaveName)).value_or(QString());
    const std::optional<qint64> code = store::integerValue(coder.value(kCodedKeyComboCode));
    const quint64 flags = store::unsignedValue(coder.value(kCodedKeyComboFlags)).value_or(0);
    m_allowedFlags = store::unsignedValue(coder.value(kCodedAllowedFlags)).value_or(m_allowedFlags);
    m_requiredFlags = store::unsignedValue(coder.value(kCodedRequiredFlags)).value_or(m_requiredFlags);
    const std::optional<QString> keyChars = store::stringValue(coder.value(kCodedKeyChars));
    m_hasKeyChars = keyChars.has_value();
    m_keyChars = keyChars.value_or(QString());
    m_keyCharsIgnoringModifiers
        = store::stringValue(coder.value(kCodedKeyCharsIgnoringModifiers)).value_or(QString());
    m_allowsKeyOnly = store::booleanValue(coder.value(kCodedAllowsKeyOnly)).value_or(m_allowsKeyOnly);
    m_escapeKeys = store::booleanValue(coder.value(kCodedEscapeKeys)).value_or(m_escapeKeys);
    m_isAnimating = store::booleanValue(coder.value(kCodedIsAnimating)).value_or(m_isAnimating);
    m_style = store::integerValue(coder.value(kCodedStyle)).value_or(0) == 1 ? 1 : 0;
    m_allowedFlags |= kFunctionFlag;
    m_keyCombo = KeyCombo { filteredCocoaFlags(flags), code ? qint64(qint16(*code)) : -1 };
    loadKeyCombo();
}

bool OVShortcutCell::initWithCoder(QDataStream &coder)
{
    QString autosaveName;
    qint16 code = -1;
    quint64 flags = 0;
    quint64 allowed = 0;
    quint64 required = 0;
    coder >> autosaveName >> code >> flags >> allowed >> required;
    if (coder.status() != QDataStream::Ok)
        return false;
    m_autosaveName = autosaveName;
    m_allowedFlags = allowed | kFunctionFlag;
    m_requiredFlags = required;
    m_keyCombo = KeyCombo { filteredCocoaFlags(flags), code };
    m_hasKeyChars = false;
    loadKeyCombo();
    return true;
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
                // The alert needs the keyboard the recording holds; its
                // nested event loop may end the recorder.
                const std::weak_ptr<int> alive = m_alive;
                popHotKeys();
                alertWithNonRecoverableError(m_alerts, *error);
                if (alive.expired())
                    return true;
                if (m_isEditing && m_globalHotKeys)
                    pushHotKeys();
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

bool OVShortcutCell::effectiveIsAnimating() const
{
    return m_isAnimating && styleSupportsAnimation(m_style);
}

void OVShortcutCell::scheduleTick()
{
    m_runLoop.cancel(m_tick);
    m_tick = m_runLoop.after(kTickSeconds, this, [this] {
        m_tick = 0;
        transitionTick();
    });
}

void OVShortcutCell::startEditingTransition()
{
    if (!effectiveIsAnimating()) {
        startEditing();
        return;
    }
    m_isAnimatingTowardsEditing = true;
    m_isAnimatingNow = true;
    m_transitionProgress = 0;
    scheduleTick();
}

void OVShortcutCell::endEditingTransition()
{
    if (!effectiveIsAnimating()) {
        endEditing();
        return;
    }
    m_isAnimatingTowardsEditing = false;
    m_isAnimatingNow = true;
    m_transitionProgress = 0;
    scheduleTick();
}

void OVShortcutCell::transitionTick()
{
    m_transitionProgress += kProgressPerTick;
    if (m_transitionProgress >= kTransitionDone) {
        m_isAnimatingNow = false;
        m_transitionProgress = 0;
        if (m_isAnimatingTowardsEditing)
            startEditing();
        else
            endEditing();
        return;
    }
    m_delegate.redraw();
    scheduleTick();
}

void OVShortcutCell::startEditing()
{
    m_isEditing = true;
    m_editingFlags = filteredCocoaFlags(0);
    m_delegate.resetTrackingRects();
    m_delegate.redraw();
    if (m_globalHotKeys)
        pushHotKeys();
    m_delegate.editingDidChange();
}

void OVShortcutCell::endEditing()
{
    m_isEditing = false;
    m_comboJustChanged = false;
    m_delegate.resetTrackingRects();
    m_delegate.redraw();
    // Also when the option went off while recording: no grab outlives it.
    popHotKeys();
    m_delegate.editingDidChange();
}

void OVShortcutCell::pushHotKeys()
{
    if (m_hotKeyModeToken == 0)
        m_hotKeyModeToken = m_delegate.pushSymbolicHotKeyMode();
}

void OVShortcutCell::popHotKeys()
{
    if (m_hotKeyModeToken != 0)
        m_delegate.popSymbolicHotKeyMode(m_hotKeyModeToken);
    m_hotKeyModeToken = 0;
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
