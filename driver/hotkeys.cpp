#include "hotkeys.h"

#include <array>

#include "platform/eventposter.h"

namespace driver {

namespace {

using platform::eventflag::Command;
using platform::eventflag::Shift;

// Mac virtual key codes (ANSI layout) of the keys below.
namespace key {
constexpr quint16 S = 1, F = 3, G = 5, Z = 6, X = 7, C = 8, V = 9, B = 11, Q = 12, W = 13, E = 14;
constexpr quint16 RightBracket = 30, O = 31, U = 32, LeftBracket = 33, I = 34, P = 35, N = 45, M = 46;
constexpr quint16 Space = 49, Escape = 53, CommandKey = 55, ShiftKey = 56, OptionKey = 58, ControlKey = 59;
constexpr quint16 KeypadPlus = 69, KeypadEnter = 76, KeypadMinus = 78;
// The sound-volume keys of an Apple keyboard. The system's own table posts F11
// and F12 here, which its desktop turns into the volume; on a Linux desktop F11
// toggles full screen and F12 does nothing, so the volume keys themselves go
// out (KEY_VOLUMEUP and KEY_VOLUMEDOWN on the virtual keyboard).
constexpr quint16 VolumeUp = 72, VolumeDown = 73;
constexpr quint16 PageUpKey = 116, PageDownKey = 121, LeftArrow = 123, RightArrow = 124, DownArrow = 125,
                  UpArrow = 126;
} // namespace key

constexpr quint64 kNone = kNoModifierFlags;
constexpr quint64 kCommandShift = Command | Shift;

struct Row
{
    HotKey action;
    HotKeyInfo info;
};

// In the order of the HotKey enumeration; hotKeyInfo() relies on it.
constexpr Row kRows[] = {
    { HotKey::Pen, { "OVHK_Pen", key::P, kNone } },
    { HotKey::Eraser, { "OVHK_Eraser", key::E, kNone } },
    { HotKey::CloseWin, { "OVHK_CloseWindow", key::W, Command } },
    { HotKey::Cut, { "OVHK_Cut", key::X, Command } },
    { HotKey::Copy, { "OVHK_Copy", key::C, Command } },
    { HotKey::Paste, { "OVHK_Paste", key::V, Command } },
    { HotKey::Group, { "OVHK_Group", key::G, Command } },
    { HotKey::ZoomOut, { "OVHK_ZoomOut", key::KeypadMinus, Command } },
    { HotKey::ZoomIn, { "OVHK_ZoomIn", key::KeypadPlus, Command } },
    { HotKey::Save, { "OVHK_Save", key::S, Command } },
    { HotKey::ArrowUp, { "OVHK_UpArrow", key::UpArrow, kNone } },
    { HotKey::ArrowDown, { "OVHK_DownArrow", key::DownArrow, kNone } },
    { HotKey::ArrowLeft, { "OVHK_LeftArrow", key::LeftArrow, kNone } },
    { HotKey::ArrowRight, { "OVHK_RightArrow", key::RightArrow, kNone } },
    { HotKey::New, { "OVHK_New", key::N, Command } },
    { HotKey::Open, { "OVHK_Open", key::O, Command } },
    { HotKey::Print, { "OVHK_Print", key::P, Command } },
    { HotKey::Redo, { "OVHK_Redo", key::Z, kCommandShift } },
    { HotKey::Undo, { "OVHK_Undo", key::Z, Command } },
    { HotKey::Control, { "OVHK_Control", key::ControlKey, kNone } },
    { HotKey::Shift, { "OVHK_Shift", key::ShiftKey, kNone } },
    { HotKey::Command, { "OVHK_Command", key::CommandKey, kNone } },
    { HotKey::Option, { "OVHK_Option", key::OptionKey, kNone } },
    { HotKey::Hand, { "OVHK_Hand", key::Space, kNone } },
    { HotKey::PageUp, { "OVHK_PageUp", key::PageUpKey, kNone } },
    { HotKey::PageDown, { "OVHK_PageDown", key::PageDownKey, kNone } },
    { HotKey::Forward, { "OVHK_Forward", key::RightBracket, Command } },
    { HotKey::Backwrad, { "OVHK_Backwrad", key::LeftBracket, Command } },
    { HotKey::Find, { "OVHK_Find", key::F, Command } },
    { HotKey::Enter, { "OVHK_Enter", key::KeypadEnter, kNone } },
    { HotKey::Exit, { "OVHK_Exit", key::Q, Command } },
    { HotKey::Minimize, { "OVHK_Minimize", key::M, Command } },
    { HotKey::Esc, { "OVHK_Esc", key::Escape, kNone } },
    { HotKey::BrushSizePlus, { "OVHK_BrushSize+", key::RightBracket, kNone } },
    { HotKey::BrushSizeMinus, { "OVHK_BrushSize-", key::LeftBracket, kNone } },
    { HotKey::BrushTool, { "OVHK_BrushTool", key::B, kNone } },
    { HotKey::NewLayer, { "OVHK_NewLayer", key::N, kCommandShift } },
    { HotKey::EyedropperTool, { "OVHK_EyedropperTool", key::OptionKey, kNone } },
    { HotKey::EyedropperTool_I, { "OVHK_EyedropperTool", key::I, kNone } },
    { HotKey::MarqueeTool, { "OVHK_MarqueeTool", key::M, kNone } },
    { HotKey::RectangleTool, { "OVHK_RectangleTool", key::U, kNone } },
    { HotKey::iTunesVolumeMinus, { "OVHK_iTunesVolumeMinus", key::VolumeDown, kNone } },
    { HotKey::iTunesVolumePlus, { "OVHK_iTunesVolumePlus", key::VolumeUp, kNone } },
    { HotKey::LayerDown, { "OVHK_LayerDown", key::LeftBracket, Command } },
    { HotKey::LayerUp, { "OVHK_LayerUp", key::RightBracket, Command } },
    { HotKey::PageUp2, { "OVHK_PageUp", 0, kNone } },
    { HotKey::PageDown2, { "OVHK_PageDown", 0, kNone } },
    { HotKey::ShowUI, { "OVHK_ShowUI", 0, kNone } },
    { HotKey::Custom, { "", 0, kNone } },
};
static_assert(std::size(kRows) == std::size_t(HotKey::Custom) + 1);

constexpr bool rowsInEnumOrder()
{
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        if (std::size_t(kRows[i].action) != i)
            return false;
    }
    return true;
}
static_assert(rowsInEnumOrder());

// The settings pages own the order of these lists; the driver only follows it.
constexpr HotKey kPresetList[] = {
    HotKey::Custom,
    HotKey::CloseWin,
    HotKey::Cut,
    HotKey::Copy,
    HotKey::Paste,
    HotKey::Group,
    HotKey::ZoomOut,
    HotKey::ZoomIn,
    HotKey::Save,
    HotKey::ArrowUp,
    HotKey::ArrowDown,
    HotKey::ArrowLeft,
    HotKey::ArrowRight,
    HotKey::New,
    HotKey::Open,
    HotKey::Print,
    HotKey::Undo,
    HotKey::Control,
    HotKey::Shift,
    HotKey::Command,
    HotKey::Option,
    HotKey::Pen,
    HotKey::Eraser,
    HotKey::Hand,
    HotKey::PageUp,
    HotKey::PageDown,
    HotKey::Forward,
    HotKey::Backwrad,
    HotKey::Find,
    HotKey::Enter,
    HotKey::Exit,
    HotKey::Minimize,
    HotKey::Esc,
    HotKey::BrushSizePlus,
    HotKey::BrushSizeMinus,
    HotKey::BrushTool,
    HotKey::NewLayer,
    HotKey::EyedropperTool_I,
    HotKey::MarqueeTool,
    HotKey::RectangleTool,
};
static_assert(std::size(kPresetList) == 40);

// Entries 1..10 of the express keys' list.
constexpr HotKey kExpressKeyList[] = {
    HotKey::ShowUI,
    HotKey::ZoomIn,
    HotKey::ZoomOut,
    HotKey::BrushSizePlus,
    HotKey::BrushSizeMinus,
    HotKey::Undo,
    HotKey::New,
    HotKey::Save,
    HotKey::EyedropperTool,
    HotKey::Hand,
};

// Entries 1..10 of the wheel's list: counter-clockwise, clockwise.
constexpr std::array<HotKey, 2> kWheelList[] = {
    { HotKey::PageUp2, HotKey::PageDown2 },
    { HotKey::ZoomOut, HotKey::ZoomIn },
    { HotKey::BrushSizeMinus, HotKey::BrushSizePlus },
    { HotKey::PageUp, HotKey::PageDown },
    { HotKey::iTunesVolumeMinus, HotKey::iTunesVolumePlus },
    { HotKey::ArrowLeft, HotKey::ArrowRight },
    { HotKey::ArrowUp, HotKey::ArrowDown },
    { HotKey::Backwrad, HotKey::Forward },
    { HotKey::LayerDown, HotKey::LayerUp },
    { HotKey::Undo, HotKey::Redo },
};

constexpr const char *kExpressKeyTexts[] = {
    "OVHK_NoAction",
    "OVHK_ShowUI",
    "OVHK_ZoomIn",
    "OVHK_ZoomOut",
    "OVHK_BrushSize+",
    "OVHK_BrushSize-",
    "OVHK_Undo",
    "OVHK_New",
    "OVHK_Save",
    "OVHK_EyedropperTool",
    "OVHK_Hand",
};
constexpr const char *kWheelTexts[] = {
    "OVRK_NoAction",
    "OVRK_ScrollWheel",
    "OVRK_CanvasZoom",
    "OVRK_BrushZoom",
    "OVRK_TurnPage",
    "OVRK_iTunesVolume",
    "OVRK_ArrowLR",
    "OVRK_ArrowUD",
    "OVRK_FBWard",
    "OVRK_LayerUD",
    "OVRK_URDo",
};

} // namespace

HotKeyInfo hotKeyInfo(HotKey action)
{
    return kRows[std::size_t(action)].info;
}

bool postsKey(HotKey action)
{
    return action != HotKey::PageUp2 && action != HotKey::PageDown2 && action != HotKey::ShowUI
        && action != HotKey::Custom;
}

bool isModifierAction(HotKey action)
{
    return action == HotKey::Control || action == HotKey::Shift || action == HotKey::Command
        || action == HotKey::Option;
}

std::optional<HotKey> hotKeyForPresetIndex(quint64 index)
{
    if (index >= std::size(kPresetList))
        return std::nullopt;
    return kPresetList[index];
}

std::optional<HotKey> hotKeyForExpressKeyIndex(quint64 index)
{
    if (index < 1 || index > std::size(kExpressKeyList))
        return std::nullopt;
    return kExpressKeyList[index - 1];
}

std::optional<HotKey> hotKeyForWheelIndex(quint64 index, bool clockwise)
{
    if (index < 1 || index > std::size(kWheelList))
        return std::nullopt;
    return kWheelList[index - 1][clockwise ? 1 : 0];
}

const char *expressKeyTextKey(quint64 index)
{
    return index < std::size(kExpressKeyTexts) ? kExpressKeyTexts[index] : nullptr;
}

const char *wheelFunctionTextKey(quint64 index)
{
    return index < std::size(kWheelTexts) ? kWheelTexts[index] : nullptr;
}

} // namespace driver
