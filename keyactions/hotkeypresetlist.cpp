#include "keyactions/hotkeypresetlist.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace keyactions {

namespace {

struct Entry
{
    const char *textKey;
    const char16_t *display;
};

// The symbols are the mac glyphs: ⌘ U+2318, ⌃ U+2303, ⇧ U+21E7, ⌥ U+2325,
// the arrows U+2190..U+2193, ⇞ ⇟ U+21DE/F, ↩ U+21A9 shown as text (U+FE0E),
// ⎋ U+238B.
constexpr std::array<Entry, kHotKeyPresetCount> kEntries { {
    { "OVHK_Custom", u"" },
    { "OVHK_CloseWindow", u"\u2318 W" },
    { "OVHK_Cut", u"\u2318 X" },
    { "OVHK_Copy", u"\u2318 C" },
    { "OVHK_Paste", u"\u2318 V" },
    { "OVHK_Group", u"\u2318 G" },
    { "OVHK_ZoomOut", u"\u2318 -" },
    { "OVHK_ZoomIn", u"\u2318 +" },
    { "OVHK_Save", u"\u2318 S" },
    { "OVHK_UpArrow", u"\u2191" },
    { "OVHK_DownArrow", u"\u2193" },
    { "OVHK_LeftArrow", u"\u2190" },
    { "OVHK_RightArrow", u"\u2192" },
    { "OVHK_New", u"\u2318 N" },
    { "OVHK_Open", u"\u2318 O" },
    { "OVHK_Print", u"\u2318 P" },
    { "OVHK_Undo", u"\u2318 Z" },
    { "OVHK_Control", u"\u2303" },
    { "OVHK_Shift", u"\u21E7" },
    { "OVHK_Command", u"\u2318" },
    { "OVHK_Option", u"\u2325" },
    { "OVHK_Pen", u"P" },
    { "OVHK_Eraser", u"E" },
    { "OVHK_Hand", u"Space" },
    { "OVHK_PageUp", u"\u21DE" },
    { "OVHK_PageDown", u"\u21DF" },
    { "OVHK_Forward", u"\u2318 ]" },
    { "OVHK_Backwrad", u"\u2318 [" },
    { "OVHK_Find", u"\u2318 F" },
    { "OVHK_Enter", u"\u21A9\uFE0E" },
    { "OVHK_Exit", u"\u2318 Q" },
    { "OVHK_Minimize", u"\u2318 M" },
    { "OVHK_Esc", u"\u238B" },
    { "OVHK_BrushSize+", u"]" },
    { "OVHK_BrushSize-", u"[" },
    { "OVHK_BrushTool", u"B" },
    { "OVHK_NewLayer", u"\u21E7 \u2318 N" },
    { "OVHK_EyedropperTool", u"I" },
    { "OVHK_MarqueeTool", u"M" },
    { "OVHK_RectangleTool", u"U" },
} };

constexpr quint64 kShiftFlag = 0x20000;
constexpr quint64 kCommandFlag = 0x100000;

// Mac key codes.
constexpr qint64 kCommandKey = 55;
constexpr qint64 kShiftKey = 56;
constexpr qint64 kOptionKey = 58;
constexpr qint64 kNKey = 45;

// With Command (and without Shift): S F G Z X C V Q W ] O [ P N M, keypad +
// and keypad -, whatever Option and Control are.
constexpr qint64 kCommandKeys[] = { 1, 3, 5, 6, 7, 8, 9, 12, 13, 30, 31, 33, 35, 45, 46, 69, 78 };
// Without Command: B E ] U [ I P M Space Escape, the four modifier keys,
// keypad Enter, Page Up, Page Down and the arrows, whatever Shift, Option
// and Control are.
constexpr qint64 kPlainKeys[]
    = { 11, 14, 30, 32, 33, 34, 35, 46, 49, 53, 55, 56, 58, 59, 76, 116, 121, 123, 124, 125, 126 };

bool isOneOf(qint64 keyCode, const auto &keys)
{
    return std::find(std::begin(keys), std::end(keys), keyCode) != std::end(keys);
}

} // namespace

QString hotKeyTextKey(int index)
{
    if (index < 0 || index >= kHotKeyPresetCount)
        return QString();
    return QLatin1String(kEntries[std::size_t(index)].textKey);
}

std::optional<QString> hotKeyDisplayString(quint64 index)
{
    if (index >= quint64(kHotKeyPresetCount))
        return std::nullopt;
    return QString::fromUtf16(kEntries[index].display);
}

std::optional<QLatin1String> hotKeyRefusal(bool isPenEnter, qint64 keyCode, quint64 flags)
{
    if (isPenEnter && (keyCode == kCommandKey || keyCode == kShiftKey || keyCode == kOptionKey))
        return QLatin1String(OVSEReason2);
    const bool command = flags & kCommandFlag;
    const bool shift = flags & kShiftFlag;
    bool taken = false;
    if (command && shift)
        taken = keyCode == kNKey;
    else if (command)
        taken = isOneOf(keyCode, kCommandKeys);
    else
        taken = isOneOf(keyCode, kPlainKeys);
    if (taken)
        return QLatin1String(OVSEReason);
    return std::nullopt;
}

} // namespace keyactions
