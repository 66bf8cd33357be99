#pragma once

#include <optional>

#include <QHash>
#include <QString>
#include <QVariant>

namespace platform {
class Keyboard;
class Strings;
} // namespace platform

namespace keyactions {

// Turns a mac key code into the string the shortcut recorder shows for the
// key, and back. A fixed table names the special keys (F1..F19, the arrows,
// Return, Escape, Tab, Space ...); every other code shows the character the
// selected keyboard layout gives the key without modifiers, capitalised;
// the keypad's keys read "Pad 0" and so on.
//
// One transformer serves the whole settings application: it keeps the
// reverse map from string to key code and rebuilds it whenever the layout
// changes, so make one at start and hand it to every recorder.
class OVKeyCodeTransformer
{
public:
    OVKeyCodeTransformer(platform::Keyboard &keyboard, const platform::Strings &strings);
    ~OVKeyCodeTransformer();
    OVKeyCodeTransformer(const OVKeyCodeTransformer &) = delete;
    OVKeyCodeTransformer &operator=(const OVKeyCodeTransformer &) = delete;

    static bool allowsReverseTransformation() { return true; }

    // A number (taken as a signed 16-bit key code) -> its display string.
    // nullopt for anything else, a negative code, or a key the layout gives
    // no character and the table does not name.
    std::optional<QString> transformedValue(const QVariant &value) const;
    // A display string -> the key code whose string it is (of two codes with
    // one string, the higher); nullopt for anything else.
    std::optional<qint64> reverseTransformedValue(const QVariant &value) const;

    // Rebuilds the reverse map from the current layout, codes 0..127.
    void regenerateStringToKeyCodeMapping();

    platform::Keyboard &keyboard() const { return m_keyboard; }
    const platform::Strings &strings() const { return m_strings; }

private:
    platform::Keyboard &m_keyboard;
    const platform::Strings &m_strings;
    QHash<QString, qint64> m_stringToKeyCode;
};

// The first character (the whole code point, also beyond the Basic
// Multilingual Plane) of text, upper-cased; empty for empty text.
QString capitalisedFirstCharacter(const QString &text);

} // namespace keyactions
