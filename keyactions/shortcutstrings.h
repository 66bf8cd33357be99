#pragma once

#include <QString>

// Modifier flags and key codes as the recorder and its validator show them.
//
// Modifier flags come in two forms. The event form is what the recorder and
// the configuration store (and the driver posts): Shift 0x20000, Control
// 0x40000, Option 0x80000, Command 0x100000, Function 0x800000. The four-bit
// form is what the validator and the autosaved combination use: Command
// 0x100, Shift 0x200, Option 0x800, Control 0x1000, and the same Function bit.
namespace keyactions {

class OVKeyCodeTransformer;

namespace carbonflag {
inline constexpr quint64 Command = 0x100;
inline constexpr quint64 Shift = 0x200;
inline constexpr quint64 Option = 0x800;
inline constexpr quint64 Control = 0x1000;
} // namespace carbonflag

// The four modifiers in the event form, and with the Function bit.
inline constexpr quint64 kModifierFlags = 0x1E0000;
inline constexpr quint64 kFunctionFlag = 0x800000;
inline constexpr quint64 kRecordableFlags = 0x9E0000;

// Each modifier bit to its place in the other form; the Function bit stays,
// every other bit (Caps Lock, the keypad, device bits) is dropped.
quint64 ShortcutCarbonToCocoaFlags(quint64 carbonFlags);
quint64 ShortcutCocoaToCarbonFlags(quint64 cocoaFlags);

// The glyphs of the modifiers, in the order Control ⌃, Option ⌥, Shift ⇧,
// Command ⌘, without separators; empty without modifiers. Function has none.
QString ShortcutCocoaFlagsString(quint64 cocoaFlags);
QString ShortcutCarbonFlagsString(quint64 carbonFlags);

// The display string of a key code (OVKeyCodeTransformer); empty when the
// code has none.
QString ShortcutStringForKeyCode(const OVKeyCodeTransformer &transformer, qint64 keyCode);

// Glyphs followed by the key's display string.
QString ShortcutCarbonComboString(
    const OVKeyCodeTransformer &transformer, quint64 carbonFlags, qint64 keyCode);

// The readable words "Command + ", "Option + ", "Control + ", "Shift + " (in
// this order, each as the string table has it) followed by the key's
// display string.
QString ShortcutReadableCarbonCombo(
    const OVKeyCodeTransformer &transformer, quint64 carbonFlags, qint64 keyCode);
QString ShortcutReadableCocoaCombo(
    const OVKeyCodeTransformer &transformer, quint64 cocoaFlags, qint64 keyCode);

// The character the current layout gives the key without modifiers,
// capitalised; without one, the key's display string. The held modifiers
// select no other character: a recorded combination names the key.
QString ShortcutCharacterForCocoaCombo(const OVKeyCodeTransformer &transformer, qint64 keyCode);

} // namespace keyactions
