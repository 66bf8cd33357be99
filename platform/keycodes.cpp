#include "keycodes.h"

namespace platform {

namespace {

struct KeyPair
{
    quint16 mac;
    int evdev;
};

// One row per key both keyboards have. Where a Mac key has no PC twin, the
// key in its place on a PC keyboard stands in: keypad Clear is Num Lock, Help
// is Insert, the context-menu key is Compose, Eisu and Kana are the LANG2 and
// LANG1 keys the kernel reports as Hanja and Hangeul.
constexpr KeyPair kKeys[] = {
    {0, 30},    // A
    {1, 31},    // S
    {2, 32},    // D
    {3, 33},    // F
    {4, 35},    // H
    {5, 34},    // G
    {6, 44},    // Z
    {7, 45},    // X
    {8, 46},    // C
    {9, 47},    // V
    {10, 86},   // ISO section: KEY_102ND
    {11, 48},   // B
    {12, 16},   // Q
    {13, 17},   // W
    {14, 18},   // E
    {15, 19},   // R
    {16, 21},   // Y
    {17, 20},   // T
    {18, 2},    // 1
    {19, 3},    // 2
    {20, 4},    // 3
    {21, 5},    // 4
    {22, 7},    // 6
    {23, 6},    // 5
    {24, 13},   // =
    {25, 10},   // 9
    {26, 8},    // 7
    {27, 12},   // -
    {28, 9},    // 8
    {29, 11},   // 0
    {30, 27},   // ]
    {31, 24},   // O
    {32, 22},   // U
    {33, 26},   // [
    {34, 23},   // I
    {35, 25},   // P
    {36, 28},   // Return
    {37, 38},   // L
    {38, 36},   // J
    {39, 40},   // '
    {40, 37},   // K
    {41, 39},   // ;
    {42, 43},   // backslash
    {43, 51},   // ,
    {44, 53},   // /
    {45, 49},   // N
    {46, 50},   // M
    {47, 52},   // .
    {48, 15},   // Tab
    {49, 57},   // Space
    {50, 41},   // `
    {51, 14},   // Delete (backspace)
    {53, 1},    // Escape
    {54, 97},   // right Command: right Ctrl
    {55, 29},   // Command: left Ctrl
    {56, 42},   // Shift
    {57, 58},   // Caps Lock
    {58, 56},   // Option: left Alt
    {59, 125},  // Control: left Super
    {60, 54},   // right Shift
    {61, 100},  // right Option: right Alt
    {62, 126},  // right Control: right Super
    {64, 187},  // F17
    {65, 83},   // keypad .
    {67, 55},   // keypad *
    {69, 78},   // keypad +
    {71, 69},   // keypad Clear: Num Lock
    {72, 115},  // volume up
    {73, 114},  // volume down
    {74, 113},  // mute
    {75, 98},   // keypad /
    {76, 96},   // keypad Enter
    {78, 74},   // keypad -
    {79, 188},  // F18
    {80, 189},  // F19
    {81, 117},  // keypad =
    {82, 82},   // keypad 0
    {83, 79},   // keypad 1
    {84, 80},   // keypad 2
    {85, 81},   // keypad 3
    {86, 75},   // keypad 4
    {87, 76},   // keypad 5
    {88, 77},   // keypad 6
    {89, 71},   // keypad 7
    {90, 190},  // F20
    {91, 72},   // keypad 8
    {92, 73},   // keypad 9
    {93, 124},  // JIS Yen
    {94, 89},   // JIS underscore: KEY_RO
    {95, 95},   // JIS keypad comma
    {96, 63},   // F5
    {97, 64},   // F6
    {98, 65},   // F7
    {99, 61},   // F3
    {100, 66},  // F8
    {101, 67},  // F9
    {102, 123}, // JIS Eisu: LANG2
    {103, 87},  // F11
    {104, 122}, // JIS Kana: LANG1
    {105, 183}, // F13
    {106, 186}, // F16
    {107, 184}, // F14
    {109, 68},  // F10
    {110, 127}, // context menu: Compose
    {111, 88},  // F12
    {113, 185}, // F15
    {114, 110}, // Help: Insert
    {115, 102}, // Home
    {116, 104}, // Page Up
    {117, 111}, // forward delete
    {118, 62},  // F4
    {119, 107}, // End
    {120, 60},  // F2
    {121, 109}, // Page Down
    {122, 59},  // F1
    {123, 105}, // left arrow
    {124, 106}, // right arrow
    {125, 108}, // down arrow
    {126, 103}, // up arrow
};

struct ModifierFlag
{
    quint64 flag;
    quint16 left;
    quint16 right;
};

// The order in which key-ups of held modifiers are posted after a hot key.
constexpr ModifierFlag kModifiers[] = {
    {0x100000, mackey::Command, mackey::RightCommand},
    {0x20000, mackey::Shift, mackey::RightShift},
    {0x80000, mackey::Option, mackey::RightOption},
    {0x40000, mackey::Control, mackey::RightControl},
};

} // namespace

std::optional<int> evdevKeyForMacKey(quint16 macKey)
{
    for (const KeyPair &key : kKeys) {
        if (key.mac == macKey)
            return key.evdev;
    }
    return std::nullopt;
}

std::optional<quint16> macKeyForEvdevKey(int evdevKey)
{
    for (const KeyPair &key : kKeys) {
        if (key.evdev == evdevKey)
            return key.mac;
    }
    return std::nullopt;
}

QList<quint16> macModifierKeysForFlags(quint64 flags)
{
    QList<quint16> keys;
    for (const ModifierFlag &modifier : kModifiers) {
        if (flags & modifier.flag)
            keys.append(modifier.left);
    }
    return keys;
}

quint64 flagForMacModifierKey(quint16 macKey)
{
    for (const ModifierFlag &modifier : kModifiers) {
        if (macKey == modifier.left || macKey == modifier.right)
            return modifier.flag;
    }
    return 0;
}

} // namespace platform
