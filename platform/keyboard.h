#pragma once

#include <functional>
#include <optional>

#include <QtGlobal>
#include <QString>

namespace platform {

// The keyboard as the settings application's shortcut recorder sees it: the
// layout the user has selected and the desktop's own shortcuts. Keys are mac
// key codes and modifiers mac event flags (platform/keycodes.h).
class Keyboard
{
public:
    virtual ~Keyboard() = default;
    // The character the current layout gives a mac key code under the Shift
    // bit of flags (the other modifiers select no character); empty when the
    // key gives none (modifiers, Return, Escape, codes of no key).
    virtual QString characterFor(quint16 keyCode, quint64 flags = 0) const = 0;

    // Called after the selected layout changed. Observers are keyed by owner;
    // removeLayoutObserver() before the owner goes.
    virtual void onLayoutChanged(const void *owner, std::function<void()> callback) = 0;
    virtual void removeLayoutObserver(const void *owner) = 0;

    // Whether the desktop keeps the combination (Shift, Control, Option and
    // Command of flags; other bits are not compared) for a shortcut of its
    // own. nullopt when that cannot be asked here: then nothing counts as
    // taken.
    virtual std::optional<bool> isDesktopShortcut(quint16 keyCode, quint64 flags) = 0;
};

} // namespace platform
