#pragma once

#include <optional>

#include <QList>
#include <QMap>
#include <QSet>

namespace platform::native {

// One flags-changed event as the driver's modifier tracking expects it: the
// mac key code of the modifier that changed (54..62) and the mac flags held
// after the change.
struct FlagsChange
{
    quint16 keyCode = 0;
    quint64 flags = 0;

    friend bool operator==(const FlagsChange &, const FlagsChange &) = default;
};

// The modifier keys held on all physical keyboards together. Shift, Ctrl
// (Command), Alt (Option) and Super (Control), left and right apart; Caps Lock
// and every other key are not tracked. A change is reported only when the
// union of held keys changes: the same key held on two keyboards is one key,
// and a release that was never pressed (held before the tap began) is none.
class HeldModifierKeys
{
public:
    // One evdev key event (value 1 press, 0 release, 2 repeat) of a keyboard.
    std::optional<FlagsChange> keyEvent(int keyboard, int evdevCode, int value);
    // The keyboard is gone: the releases of what only it held.
    QList<FlagsChange> removeKeyboard(int keyboard);
    quint64 flags() const;

private:
    bool heldElsewhere(int keyboard, quint16 macKey) const;

    QMap<int, QSet<quint16>> m_held;
};

} // namespace platform::native
