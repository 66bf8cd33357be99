#include "shortcutstrings.h"

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/shortcuttexts.h"
#include "platform/eventposter.h"
#include "platform/keyboard.h"

namespace keyactions {

namespace {

struct Modifier
{
    quint64 cocoa;
    quint64 carbon;
    char16_t glyph;
    const char *readable;
};

// In the order of the glyphs.
constexpr Modifier kControl { platform::eventflag::Control, carbonflag::Control, u'\u2303', "Control + " };
constexpr Modifier kOption { platform::eventflag::Option, carbonflag::Option, u'\u2325', "Option + " };
constexpr Modifier kShift { platform::eventflag::Shift, carbonflag::Shift, u'\u21E7', "Shift + " };
constexpr Modifier kCommand { platform::eventflag::Command, carbonflag::Command, u'\u2318', "Command + " };
constexpr Modifier kGlyphOrder[] = { kControl, kOption, kShift, kCommand };
constexpr Modifier kReadableOrder[] = { kCommand, kOption, kControl, kShift };

// Each modifier bit to its place in the other form; Function stays.
quint64 convertFlags(quint64 flags, quint64 Modifier::*from, quint64 Modifier::*to)
{
    quint64 converted = flags & kFunctionFlag;
    for (const Modifier &m : kGlyphOrder) {
        if (flags & m.*from)
            converted |= m.*to;
    }
    return converted;
}

} // namespace

quint64 ShortcutCarbonToCocoaFlags(quint64 carbonFlags)
{
    return convertFlags(carbonFlags, &Modifier::carbon, &Modifier::cocoa);
}

quint64 ShortcutCocoaToCarbonFlags(quint64 cocoaFlags)
{
    return convertFlags(cocoaFlags, &Modifier::cocoa, &Modifier::carbon);
}

QString ShortcutCocoaFlagsString(quint64 cocoaFlags)
{
    QString glyphs;
    for (const Modifier &m : kGlyphOrder) {
        if (cocoaFlags & m.cocoa)
            glyphs.append(QChar(m.glyph));
    }
    return glyphs;
}

QString ShortcutCarbonFlagsString(quint64 carbonFlags)
{
    return ShortcutCocoaFlagsString(ShortcutCarbonToCocoaFlags(carbonFlags));
}

QString ShortcutStringForKeyCode(const OVKeyCodeTransformer &transformer, qint64 keyCode)
{
    return transformer.transformedValue(keyCode).value_or(QString());
}

QString ShortcutCarbonComboString(
    const OVKeyCodeTransformer &transformer, quint64 carbonFlags, qint64 keyCode)
{
    return ShortcutCarbonFlagsString(carbonFlags) + ShortcutStringForKeyCode(transformer, keyCode);
}

QString ShortcutReadableCocoaCombo(
    const OVKeyCodeTransformer &transformer, quint64 cocoaFlags, qint64 keyCode)
{
    QString readable;
    for (const Modifier &m : kReadableOrder) {
        if (cocoaFlags & m.cocoa)
            readable += shortcutText(transformer.strings(), QLatin1String(m.readable));
    }
    return readable + ShortcutStringForKeyCode(transformer, keyCode);
}

QString ShortcutReadableCarbonCombo(
    const OVKeyCodeTransformer &transformer, quint64 carbonFlags, qint64 keyCode)
{
    return ShortcutReadableCocoaCombo(transformer, ShortcutCarbonToCocoaFlags(carbonFlags), keyCode);
}

QString ShortcutCharacterForCocoaCombo(const OVKeyCodeTransformer &transformer, qint64 keyCode)
{
    const QString character
        = capitalisedFirstCharacter(transformer.keyboard().characterFor(quint16(keyCode & 0xFFFF), 0));
    return character.isEmpty() ? ShortcutStringForKeyCode(transformer, keyCode) : character;
}

} // namespace keyactions
