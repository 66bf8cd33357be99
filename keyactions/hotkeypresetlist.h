#pragma once

#include <optional>

#include <QString>

// HotKeyPresetList: the hot-key pane's fixed list, in pop-up order. The
// index is what "OVCFGPenKeyCusHotKey" stores; the driver sends the hot key
// of each entry. Entry 0 is the recorded combination.
namespace keyactions {

inline constexpr int kHotKeyPresetCount = 40;
// The entries a pen button may not take: Shift, Command and Option alone.
inline constexpr int kHotKeyShift = 18;
inline constexpr int kHotKeyCommand = 19;
inline constexpr int kHotKeyOption = 20;

// The text key of entry index ("OVHK_Custom", "OVHK_CloseWindow" ...); null
// past the list.
QString hotKeyTextKey(int index);

// What the pane shows for a listed entry: "⌘ W", "↑", "Space" ...; for
// index 0 the recorder's text is shown instead, so this is empty; nullopt
// past the list.
std::optional<QString> hotKeyDisplayString(quint64 index);

// The refusal texts of the pane's recorder (the application's default
// string table).
inline constexpr char OVSEReason[] = "OVSEReason"; // the list offers the combination
inline constexpr char OVSEReason2[] = "OVSEReason2"; // not for a pen button

// Whether the pane refuses a recorded combination (mac key code, event
// flags): the text key of the reason, or nullopt when it is accepted. The
// list's own combinations are refused, so that entry 0 never repeats a
// listed one; for a pen button the bare Command, Shift and Option keys are
// refused too.
std::optional<QLatin1String> hotKeyRefusal(bool isPenEnter, qint64 keyCode, quint64 flags);

} // namespace keyactions
