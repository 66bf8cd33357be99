#pragma once

#include <optional>

#include <QtGlobal>

// The driver's fixed keyboard actions: which key with which modifier flags
// each one posts, the text its notice shows, and how the numbered action
// lists of the settings pages select them. Key codes are mac virtual key
// codes of the ANSI layout and flags mac event flags; the Linux poster
// translates both.
namespace driver {

// The flags value that stands for "no modifier": the key event keeps its
// own flags instead.
inline constexpr quint64 kNoModifierFlags = 0x100;

enum class HotKey {
    Pen,
    Eraser,
    CloseWin,
    Cut,
    Copy,
    Paste,
    Group,
    ZoomOut,
    ZoomIn,
    Save,
    ArrowUp,
    ArrowDown,
    ArrowLeft,
    ArrowRight,
    New,
    Open,
    Print,
    Redo,
    Undo,
    Control,
    Shift,
    Command,
    Option,
    Hand,
    PageUp,
    PageDown,
    Forward,
    Backwrad,
    Find,
    Enter,
    Exit,
    Minimize,
    Esc,
    BrushSizePlus,
    BrushSizeMinus,
    BrushTool,
    NewLayer,
    EyedropperTool, // holds Option (express keys)
    EyedropperTool_I, // taps I (hot-key list)
    MarqueeTool,
    RectangleTool,
    iTunesVolumeMinus,
    iTunesVolumePlus,
    LayerDown,
    LayerUp,
    // Actions that post no key.
    PageUp2, // scrolls up 5 lines at press and release
    PageDown2, // scrolls down 5 lines at press and release
    ShowUI, // brings up the settings application, at press only
    // The recorded combination of a custom action (hot-key list entry 0).
    Custom,
};

struct HotKeyInfo
{
    const char *textKey; // "OVHK_..." of the notice
    quint16 keyCode = 0; // PageUp2, PageDown2, ShowUI and Custom: none
    quint64 flags = kNoModifierFlags;
};

// Every action but Custom, whose text is the custom action's own name.
HotKeyInfo hotKeyInfo(HotKey action);
// The action that posts a key (false for PageUp2, PageDown2, ShowUI, Custom).
bool postsKey(HotKey action);
// Held modifier keys that also go to the device manager's event service.
bool isModifierAction(HotKey action);

// Entry `index` of the hot-key list ("OVCFGPenKeyCusHotKey"); nullopt past
// its 40 entries.
std::optional<HotKey> hotKeyForPresetIndex(quint64 index);
// Entry of the express keys' action list ("OVCFGBoardKey<n>"): 1..10; 0
// (no action), 11 (custom) and anything larger give nullopt.
std::optional<HotKey> hotKeyForExpressKeyIndex(quint64 index);

// Index 11 of the express keys' action list: the key's own custom action.
inline constexpr quint64 kExpressKeyCustomIndex = 11;
// Index 11 of the wheel's function list: the slot's recorded combinations.
inline constexpr quint64 kWheelCustomIndex = 11;

// Function `index` of the wheel's function list for one direction
// (clockwise true: "OVCFGWheelKeyR"). 1..10; nullopt for 0, 11 and beyond.
std::optional<HotKey> hotKeyForWheelIndex(quint64 index, bool clockwise);

// Text keys of the two action lists, as the wheel panel and the centre
// button's notice show them; nullptr outside 0..10.
const char *expressKeyTextKey(quint64 index);
const char *wheelFunctionTextKey(quint64 index);

} // namespace driver
