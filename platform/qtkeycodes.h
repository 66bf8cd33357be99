#pragma once

#include <optional>

#include <Qt>
#include <QtGlobal>

// Mac key codes are what the configuration stores and the two programs
// exchange for a key. Qt names keys by their meaning (Qt::Key); this table
// names the physical key of an ANSI keyboard that produces it on a US layout,
// which is what a mac key code denotes.
namespace platform {

// The mac key code of a Qt key (a Qt::Key value). With the keypad modifier,
// digits and operators name the keypad's keys. The Linux Ctrl key is the
// Command key and the Super (Meta) key is the Control key, as at every other
// boundary. std::nullopt for a key that no mac key code names.
std::optional<quint16> macKeyForQtKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The mac key code of a key press. On X11 and Wayland Qt hands over the
// XKB keycode of the physical key (the kernel's key number + 8), which names
// the key whatever the layout, as a mac key code does: a French user's A, on
// the key where a US keyboard has Q, is still key code 12. Without a scan
// code (0, or one of no known key) the Qt key decides.
std::optional<quint16> macKeyForKeyPress(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode);

// Mac event flags of Qt's keyboard modifiers: Ctrl is Command (0x100000),
// Meta (the Super key) is Control (0x40000), Alt is Option (0x80000), Shift
// is Shift (0x20000). The keypad and group-switch modifiers give no flag.
quint64 macFlagsForQtModifiers(Qt::KeyboardModifiers modifiers);

} // namespace platform
