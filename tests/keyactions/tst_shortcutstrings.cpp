// Key codes and modifiers as the recorder shows them: the fixed names, the
// layout's characters (US and German keymaps compiled from names), the
// keypad, the reverse map across a layout switch, glyph and readable orders,
// and the two forms of modifier flags.

#include <QTest>

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/shortcutstrings.h"
#include "keyactions/shortcuttexts.h"
#include "platform/linux/xkbkeyboard.h"
#include "platform/sim/simdesktop.h"
#include "platform/stringtable.h"

using namespace keyactions;
using platform::native::XkbKeyboard;

namespace {

// A layout with a character beyond the Basic Multilingual Plane on key 0 and
// an empty one on key 1.
class OddKeyboard : public platform::sim::SimKeyboard
{
public:
    QString characterFor(quint16 keyCode, quint64 flags = 0) const override
    {
        if (keyCode == 0)
            return QStringLiteral("\U0001D51E\u0301");
        if (keyCode == 1)
            return QString();
        return SimKeyboard::characterFor(keyCode, flags);
    }
};

} // namespace

class TestShortcutStrings : public QObject
{
    Q_OBJECT
private slots:
    void keyStrings_data();
    void keyStrings();
    void reverseMapFollowsTheLayout();
    void characterBeyondTheBasicPlane();
    void glyphsAndReadableWords_data();
    void glyphsAndReadableWords();
    void flagForms_data();
    void flagForms();
    void translatedTable();
    void placeholders_data();
    void placeholders();

private:
    platform::StringTable m_english { { QStringLiteral("en") } };
};

void TestShortcutStrings::keyStrings_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("string"); // invalid: none

    const QVariant none;
    QTest::newRow("us A") << "us" << QVariant(0) << QVariant("A");
    QTest::newRow("us Z") << "us" << QVariant(6) << QVariant("Z");
    QTest::newRow("us Y") << "us" << QVariant(16) << QVariant("Y");
    QTest::newRow("de Z place shows Y") << "de" << QVariant(6) << QVariant("Y");
    QTest::newRow("de Y place shows Z") << "de" << QVariant(16) << QVariant("Z");
    QTest::newRow("de semicolon place shows Ö") << "de" << QVariant(41) << QVariant(QStringLiteral("Ö"));
    QTest::newRow("us semicolon") << "us" << QVariant(41) << QVariant(";");
    QTest::newRow("us keypad 0") << "us" << QVariant(82) << QVariant("Pad 0");
    QTest::newRow("de keypad 1") << "de" << QVariant(83) << QVariant("Pad 1");
    QTest::newRow("us keypad minus") << "us" << QVariant(78) << QVariant("Pad -");
    QTest::newRow("de Return") << "de" << QVariant(36) << QVariant(QStringLiteral("\u21A9"));
    QTest::newRow("us keypad Enter") << "us" << QVariant(76) << QVariant(QStringLiteral("\u2305"));
    QTest::newRow("us Space") << "us" << QVariant(49) << QVariant("Space");
    QTest::newRow("de F1") << "de" << QVariant(122) << QVariant("F1");
    QTest::newRow("us F19") << "us" << QVariant(80) << QVariant("F19");
    QTest::newRow("us Escape") << "us" << QVariant(53) << QVariant(QStringLiteral("\u238B"));
    QTest::newRow("us Delete") << "us" << QVariant(51) << QVariant(QStringLiteral("\u232B"));
    QTest::newRow("us Forward Delete") << "us" << QVariant(117) << QVariant(QStringLiteral("\u2326"));
    QTest::newRow("us Help") << "us" << QVariant(114) << QVariant("?");
    QTest::newRow("us Page Down") << "us" << QVariant(121) << QVariant(QStringLiteral("\u21DF"));
    QTest::newRow("real number") << "us" << QVariant(6.0) << QVariant("Z");
    QTest::newRow("16-bit wrap of 65536") << "us" << QVariant(65536) << QVariant("A");
    QTest::newRow("Shift key has none") << "us" << QVariant(56) << none;
    QTest::newRow("code of no key") << "us" << QVariant(127) << none;
    QTest::newRow("-1") << "us" << QVariant(-1) << none;
    QTest::newRow("65535 is -1 in 16 bits") << "us" << QVariant(65535) << none;
    QTest::newRow("a string") << "us" << QVariant("0") << none;
    QTest::newRow("a Boolean") << "us" << QVariant(false) << none;
}

void TestShortcutStrings::keyStrings()
{
    QFETCH(QString, layout);
    QFETCH(QVariant, value);
    QFETCH(QVariant, string);
    const std::unique_ptr<XkbKeyboard> keyboard = XkbKeyboard::fromLayout(layout);
    if (!keyboard->isValid())
        QSKIP("no XKB data installed here");
    const OVKeyCodeTransformer transformer(*keyboard, m_english);
    const std::optional<QString> shown = transformer.transformedValue(value);
    QCOMPARE(shown.has_value(), string.isValid());
    if (shown)
        QCOMPARE(*shown, string.toString());
}

void TestShortcutStrings::reverseMapFollowsTheLayout()
{
    const std::unique_ptr<XkbKeyboard> keyboard = XkbKeyboard::fromLayout(QStringLiteral("us"));
    if (!keyboard->isValid())
        QSKIP("no XKB data installed here");
    const OVKeyCodeTransformer transformer(*keyboard, m_english);
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("Z")), std::optional<qint64>(6));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("Pad 0")), std::optional<qint64>(82));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("\u21A9")), std::optional<qint64>(36));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("Space")), std::optional<qint64>(49));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("Ö")), std::nullopt);
    QCOMPARE(transformer.reverseTransformedValue(QString()), std::nullopt);
    QCOMPARE(transformer.reverseTransformedValue(6), std::nullopt);

    QVERIFY(keyboard->setLayout(QStringLiteral("de")));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("Z")), std::optional<qint64>(16));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("Y")), std::optional<qint64>(6));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("Ö")), std::optional<qint64>(41));
    QCOMPARE(ShortcutCharacterForCocoaCombo(transformer, 6), QStringLiteral("Y"));
}

// The whole code point of a character beyond the Basic Multilingual Plane,
// without what follows it; a key with an empty character has no string and
// no place in the reverse map.
void TestShortcutStrings::characterBeyondTheBasicPlane()
{
    OddKeyboard keyboard;
    const OVKeyCodeTransformer transformer(keyboard, m_english);
    QCOMPARE(ShortcutStringForKeyCode(transformer, 0), QStringLiteral("\U0001D51E"));
    QCOMPARE(ShortcutCharacterForCocoaCombo(transformer, 0), QStringLiteral("\U0001D51E"));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("\U0001D51E")), std::optional<qint64>(0));
    QCOMPARE(transformer.transformedValue(1), std::nullopt);
    QCOMPARE(transformer.reverseTransformedValue(QString()), std::nullopt);
    // No character: the key's name.
    QCOMPARE(ShortcutCharacterForCocoaCombo(transformer, 36), QStringLiteral("\u21A9"));
    QCOMPARE(ShortcutCharacterForCocoaCombo(transformer, -1), QString());
}

void TestShortcutStrings::glyphsAndReadableWords_data()
{
    QTest::addColumn<quint64>("flags"); // event form
    QTest::addColumn<QString>("glyphs");
    QTest::addColumn<QString>("readable"); // with key code 12 (Q)

    QTest::newRow("none") << quint64(0) << ""
                          << "Q";
    QTest::newRow("Command+Shift") << quint64(0x120000) << QStringLiteral("\u21E7\u2318")
                                   << "Command + Shift + Q";
    QTest::newRow("Command+Option") << quint64(0x180000) << QStringLiteral("\u2325\u2318")
                                    << "Command + Option + Q";
    QTest::newRow("all four") << quint64(0x1E0000) << QStringLiteral("\u2303\u2325\u21E7\u2318")
                              << "Command + Option + Control + Shift + Q";
    QTest::newRow("Control+Shift") << quint64(0x60000) << QStringLiteral("\u2303\u21E7")
                                   << "Control + Shift + Q";
    QTest::newRow("Function and Caps Lock show nothing") << quint64(0x810000) << ""
                                                         << "Q";
}

void TestShortcutStrings::glyphsAndReadableWords()
{
    QFETCH(quint64, flags);
    QFETCH(QString, glyphs);
    QFETCH(QString, readable);
    platform::sim::SimKeyboard us;
    const OVKeyCodeTransformer transformer(us, m_english);
    QCOMPARE(ShortcutCocoaFlagsString(flags), glyphs);
    QCOMPARE(ShortcutCarbonFlagsString(ShortcutCocoaToCarbonFlags(flags)), glyphs);
    QCOMPARE(ShortcutReadableCocoaCombo(transformer, flags, 12), readable);
    QCOMPARE(ShortcutReadableCarbonCombo(transformer, ShortcutCocoaToCarbonFlags(flags), 12), readable);
    QCOMPARE(ShortcutCarbonComboString(transformer, ShortcutCocoaToCarbonFlags(flags), 12), glyphs + "Q");
}

void TestShortcutStrings::flagForms_data()
{
    QTest::addColumn<quint64>("cocoa");
    QTest::addColumn<quint64>("carbon");
    QTest::addColumn<bool>("reversible");

    QTest::newRow("Command") << quint64(0x100000) << quint64(0x100) << true;
    QTest::newRow("Shift") << quint64(0x20000) << quint64(0x200) << true;
    QTest::newRow("Option") << quint64(0x80000) << quint64(0x800) << true;
    QTest::newRow("Control") << quint64(0x40000) << quint64(0x1000) << true;
    QTest::newRow("Command+Shift") << quint64(0x120000) << quint64(0x300) << true;
    QTest::newRow("Function stays") << quint64(0x800000) << quint64(0x800000) << true;
    QTest::newRow("all") << quint64(0x9E0000) << quint64(0x801B00) << true;
    QTest::newRow("Caps Lock and the keypad bit are dropped") << quint64(0x230000) << quint64(0x200) << false;
}

void TestShortcutStrings::flagForms()
{
    QFETCH(quint64, cocoa);
    QFETCH(quint64, carbon);
    QFETCH(bool, reversible);
    QCOMPARE(ShortcutCocoaToCarbonFlags(cocoa), carbon);
    if (reversible)
        QCOMPARE(ShortcutCarbonToCocoaFlags(carbon), cocoa);
    // Bits of neither form are dropped on the way back too.
    QCOMPARE(ShortcutCarbonToCocoaFlags(carbon | 0x4000 | 0x1), ShortcutCarbonToCocoaFlags(carbon));
}

void TestShortcutStrings::translatedTable()
{
    platform::sim::SimKeyboard us;
    const platform::StringTable chinese { { QStringLiteral("zh-Hans") } };
    const OVKeyCodeTransformer transformer(us, chinese);
    QCOMPARE(ShortcutStringForKeyCode(transformer, 49), QStringLiteral("空格"));
    QCOMPARE(ShortcutStringForKeyCode(transformer, 84), QStringLiteral("小键盘 2"));
    QCOMPARE(transformer.reverseTransformedValue(QStringLiteral("空格")), std::optional<qint64>(49));
}

void TestShortcutStrings::placeholders_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("result");

    QTest::newRow("in turn") << "%@ and %@"
                             << "one and two";
    QTest::newRow("numbered") << "%2$@ before %1$@"
                              << "two before one";
    QTest::newRow("only the second") << "the item \"%2$@\"."
                                     << "the item \"two\".";
    QTest::newRow("percent") << "100%% %@"
                             << "100% one";
    QTest::newRow("missing argument") << "%@ %@ %@ %3$@"
                                      << "one two  ";
    QTest::newRow("no placeholder") << "plain % text%"
                                    << "plain % text%";
}

void TestShortcutStrings::placeholders()
{
    QFETCH(QString, format);
    QFETCH(QString, result);
    QCOMPARE(formatText(format, { QStringLiteral("one"), QStringLiteral("two") }), result);
}

QTEST_GUILESS_MAIN(TestShortcutStrings)
#include "tst_shortcutstrings.moc"
