#include "keycapture.h"

#include <QKeyEvent>

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/shortcutstrings.h"
#include "platform/eventposter.h"
#include "platform/keyboard.h"
#include "platform/keycodes.h"
#include "platform/qtkeycodes.h"

namespace keyactions {

namespace {

// The flag of a Qt modifier key that the key table has no code for (a
// synthesised event carries no scan code); nullopt for other keys.
std::optional<quint64> flagOfQtModifierKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift:
        return platform::eventflag::Shift;
    case Qt::Key_Control:
        return platform::eventflag::Command;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return platform::eventflag::Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return platform::eventflag::Option;
    case Qt::Key_CapsLock:
        return 0; // Caps Lock is never part of a combination
    default:
        return std::nullopt;
    }
}

bool isTypedText(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

} // namespace

CapturedKey captureKeyEvent(const QKeyEvent &event, const OVKeyCodeTransformer &transformer)
{
    CapturedKey key;
    const std::optional<quint16> code
        = platform::macKeyForKeyPress(event.key(), event.modifiers(), event.nativeScanCode());
    key.flags = platform::macFlagsForQtModifiers(event.modifiers());

    std::optional<quint64> modifier = flagOfQtModifierKey(event.key());
    if (code && !modifier) {
        if (const quint64 flag = platform::flagForMacModifierKey(*code))
            modifier = flag;
        else if (*code == platform::mackey::CapsLock || *code == platform::mackey::Function)
            modifier = 0;
    }
    if (modifier) {
        // The flags of a modifier key's own event may or may not count the
        // key yet, depending on the windowing system: it is held after its
        // press and not after its release.
        key.modifierKey = true;
        key.keyCode = code ? qint64(*code) : -1;
        if (event.type() == QEvent::KeyRelease)
            key.flags &= ~*modifier;
        else
            key.flags |= *modifier;
        return key;
    }
    if (!code)
        return key;

    key.keyCode = *code;
    key.charactersIgnoringModifiers
        = transformer.keyboard().characterFor(*code, key.flags & platform::eventflag::Shift);
    if (key.charactersIgnoringModifiers.isEmpty())
        key.charactersIgnoringModifiers = ShortcutStringForKeyCode(transformer, *code);
    key.characters = isTypedText(event.text()) ? event.text() : key.charactersIgnoringModifiers;
    return key;
}

} // namespace keyactions
