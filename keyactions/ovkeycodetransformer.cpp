#include "ovkeycodetransformer.h"

#include <algorithm>

#include "keyactions/recordvalues.h"
#include "keyactions/shortcuttexts.h"
#include "platform/keyboard.h"
#include "store/plistvalue.h"

namespace keyactions {

namespace {

struct KeyName
{
    qint16 code;
    char16_t glyph; // 0: the table text of "Space"
    const char *name; // a name instead of a glyph
};

// Keys that show a name or a glyph whatever the layout.
// clang-format off
constexpr KeyName kFixedNames[] = {
    {122, 0, "F1"},  {120, 0, "F2"},  {99, 0, "F3"},   {118, 0, "F4"},  {96, 0, "F5"},   {97, 0, "F6"},
    {98, 0, "F7"},   {100, 0, "F8"},  {101, 0, "F9"},  {109, 0, "F10"}, {103, 0, "F11"}, {111, 0, "F12"},
    {105, 0, "F13"}, {107, 0, "F14"}, {113, 0, "F15"}, {106, 0, "F16"}, {64, 0, "F17"},  {79, 0, "F18"},
    {80, 0, "F19"},
    {49, 0, nullptr},         // Space
    {51, u'\u232B', nullptr},  // Delete
    {117, u'\u2326', nullptr}, // Forward Delete
    {71, u'\u2327', nullptr},  // keypad Clear
    {123, u'\u2190', nullptr}, // left arrow
    {124, u'\u2192', nullptr}, // right arrow
    {126, u'\u2191', nullptr}, // up arrow
    {125, u'\u2193', nullptr}, // down arrow
    {119, u'\u2198', nullptr}, // End
    {115, u'\u2196', nullptr}, // Home
    {53, u'\u238B', nullptr},  // Escape
    {121, u'\u21DF', nullptr}, // Page Down
    {116, u'\u21DE', nullptr}, // Page Up
    {36, u'\u21A9', nullptr},  // Return
    {76, u'\u2305', nullptr},  // keypad Enter
    {48, u'\u21E5', nullptr},  // Tab
    {114, u'?', nullptr},      // Help
};
// clang-format on

constexpr qint16 kKeypadCodes[] = { 65, 67, 69, 75, 78, 81, 82, 83, 84, 85, 86, 87, 88, 89, 91, 92 };

// The reverse map covers the codes of real keys.
constexpr qint16 kLastMappedCode = 127;

} // namespace

QString capitalisedFirstCharacter(const QString &text)
{
    if (text.isEmpty())
        return QString();
    const qsizetype length
        = text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate() ? 2 : 1;
    return text.left(length).toUpper();
}

OVKeyCodeTransformer::OVKeyCodeTransformer(platform::Keyboard &keyboard, const platform::Strings &strings)
    : m_keyboard(keyboard)
    , m_strings(strings)
{
    regenerateStringToKeyCodeMapping();
    m_keyboard.onLayoutChanged(this, [this] { regenerateStringToKeyCodeMapping(); });
}

OVKeyCodeTransformer::~OVKeyCodeTransformer()
{
    m_keyboard.removeLayoutObserver(this);
}

std::optional<QString> OVKeyCodeTransformer::transformedValue(const QVariant &value) const
{
    const std::optional<qint64> number = recordvalues::integerOfNumber(value);
    if (!number)
        return std::nullopt;
    const qint16 code = qint16(*number);
    if (code < 0)
        return std::nullopt;
    for (const KeyName &key : kFixedNames) {
        if (key.code != code)
            continue;
        if (key.name)
            return QString::fromLatin1(key.name);
        if (key.glyph)
            return QString(QChar(key.glyph));
        return shortcutText(m_strings, QStringLiteral("Space"));
    }
    // A key the layout gives no character (a modifier, a code of no key)
    // has no string, and so no place in the reverse map.
    const QString character = capitalisedFirstCharacter(m_keyboard.characterFor(quint16(code), 0));
    if (character.isEmpty())
        return std::nullopt;
    if (std::find(std::begin(kKeypadCodes), std::end(kKeypadCodes), code) != std::end(kKeypadCodes))
        return formatText(shortcutText(m_strings, QStringLiteral("Pad %@")), { character });
    return character;
}

std::optional<qint64> OVKeyCodeTransformer::reverseTransformedValue(const QVariant &value) const
{
    const std::optional<QString> text = store::stringValue(value);
    if (!text)
        return std::nullopt;
    const auto it = m_stringToKeyCode.constFind(*text);
    if (it == m_stringToKeyCode.constEnd())
        return std::nullopt;
    return *it;
}

void OVKeyCodeTransformer::regenerateStringToKeyCodeMapping()
{
    m_stringToKeyCode.clear();
    for (qint16 code = 0; code <= kLastMappedCode; ++code) {
        const std::optional<QString> text = transformedValue(qint64(code));
        if (text && !text->isEmpty())
            m_stringToKeyCode.insert(*text, code);
    }
}

} // namespace keyactions
