#pragma once

#include <optional>

#include <QList>
#include <QtGlobal>

namespace platform {

// Mac virtual key codes of the ANSI layout: what the configuration stores
// ("keyCode" of a recorded combination), what the hot-key actions post and what
// the modifier tap reports. Only the codes that code outside the tables names.
namespace mackey {
inline constexpr quint16 Return = 36;
inline constexpr quint16 Tab = 48;
inline constexpr quint16 Space = 49;
inline constexpr quint16 Delete = 51;
inline constexpr quint16 Escape = 53;
inline constexpr quint16 RightCommand = 54;
inline constexpr quint16 Command = 55;
inline constexpr quint16 Shift = 56;
inline constexpr quint16 CapsLock = 57;
inline constexpr quint16 Option = 58;
inline constexpr quint16 Control = 59;
inline constexpr quint16 RightShift = 60;
inline constexpr quint16 RightOption = 61;
inline constexpr quint16 RightControl = 62;
inline constexpr quint16 Function = 63;
inline constexpr quint16 KeypadEnter = 76;
} // namespace mackey

// Mac key codes <-> Linux input key codes (the kernel's KEY_* numbers, a fixed
// ABI, written here as plain numbers so that code outside platform/linux can
// use the table without Linux headers; X11 and Wayland keycodes are these
// plus 8).
//
// The modifiers follow the rule of both programs: Command is Ctrl, Control is
// Super, Option is Alt, Shift is Shift, so that a stored Command+C copies.
// Function (63) has no key of its own: Fn never reaches the system on a PC
// keyboard.
std::optional<int> evdevKeyForMacKey(quint16 macKey);
std::optional<quint16> macKeyForEvdevKey(int evdevKey);

// The left-hand modifier keys that event flags (Shift 0x20000, Control
// 0x40000, Option 0x80000, Command 0x100000) stand for, in the order Command,
// Shift, Option, Control. Other bits, Function among them, give no key.
QList<quint16> macModifierKeysForFlags(quint64 flags);
// The event flag of a modifier key (left or right); 0 for any other key,
// Caps Lock included.
quint64 flagForMacModifierKey(quint16 macKey);

} // namespace platform
