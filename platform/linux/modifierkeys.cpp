#include "modifierkeys.h"

#include <algorithm>

#include "platform/keycodes.h"

namespace platform::native {

bool HeldModifierKeys::heldElsewhere(int keyboard, quint16 macKey) const
{
    for (auto it = m_held.cbegin(); it != m_held.cend(); ++it) {
        if (it.key() != keyboard && it.value().contains(macKey))
            return true;
    }
    return false;
}

quint64 HeldModifierKeys::flags() const
{
    quint64 flags = 0;
    for (const QSet<quint16> &keys : m_held) {
        for (const quint16 key : keys)
            flags |= flagForMacModifierKey(key);
    }
    return flags;
}

std::optional<FlagsChange> HeldModifierKeys::keyEvent(int keyboard, int evdevCode, int value)
{
    const std::optional<quint16> macKey = macKeyForEvdevKey(evdevCode);
    if (!macKey || flagForMacModifierKey(*macKey) == 0 || (value != 0 && value != 1))
        return std::nullopt;
    QSet<quint16> &held = m_held[keyboard];
    if (value == 1) {
        if (held.contains(*macKey))
            return std::nullopt;
        const bool before = heldElsewhere(keyboard, *macKey);
        held.insert(*macKey);
        if (before)
            return std::nullopt;
    } else {
        if (!held.remove(*macKey))
            return std::nullopt;
        if (held.isEmpty())
            m_held.remove(keyboard);
        if (heldElsewhere(keyboard, *macKey))
            return std::nullopt;
    }
    return FlagsChange{*macKey, flags()};
}

QList<FlagsChange> HeldModifierKeys::removeKeyboard(int keyboard)
{
    QList<FlagsChange> changes;
    const QSet<quint16> held = m_held.take(keyboard);
    QList<quint16> keys(held.cbegin(), held.cend());
    std::sort(keys.begin(), keys.end());
    for (const quint16 key : keys) {
        if (!heldElsewhere(keyboard, key))
            changes.append(FlagsChange{key, 0});
    }
    // Each release reports the flags after it: recompute in order.
    quint64 remaining = flags();
    for (int i = changes.size() - 1; i >= 0; --i) {
        changes[i].flags = remaining;
        remaining |= flagForMacModifierKey(changes[i].keyCode);
    }
    return changes;
}

} // namespace platform::native
