#include <QTest>

#include "platform/linux/xkbkeyboard.h"
#include "platform/sim/simdesktop.h"

using platform::native::XkbKeyboard;

class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void charactersFollowTheLayout_data();
    void charactersFollowTheLayout();
    void usLayoutAgreesWithTheAnsiTable();
    void defaultLayoutWithoutServer();
    void serverLayout();
};

// Keys named by their place on an ANSI keyboard; the characters are those
// printed on German and French keyboards at that place.
void TestKeyboard::charactersFollowTheLayout_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<quint64>("flags");
    QTest::addColumn<QString>("character");

    QTest::newRow("us A") << "us" << 0 << quint64(0) << "a";
    QTest::newRow("us Shift+A") << "us" << 0 << quint64(0x20000) << "A";
    QTest::newRow("us Command+A is still a") << "us" << 0 << quint64(0x100000) << "a";
    QTest::newRow("us Shift+=") << "us" << 24 << quint64(0x20000) << "+";
    QTest::newRow("us keypad 0") << "us" << 82 << quint64(0) << "0";
    QTest::newRow("us Space") << "us" << 49 << quint64(0) << " ";
    QTest::newRow("us Return has no character") << "us" << 36 << quint64(0) << "";
    QTest::newRow("us Escape has no character") << "us" << 53 << quint64(0) << "";
    QTest::newRow("us Shift has no character") << "us" << 56 << quint64(0) << "";
    QTest::newRow("code without a key") << "us" << 300 << quint64(0) << "";
    QTest::newRow("de Z place gives y") << "de" << 6 << quint64(0) << "y";
    QTest::newRow("de Y place gives z") << "de" << 16 << quint64(0) << "z";
    QTest::newRow("de semicolon place gives ö") << "de" << 41 << quint64(0) << QStringLiteral("ö");
    QTest::newRow("de Shift+1") << "de" << 18 << quint64(0x20000) << "!";
    QTest::newRow("fr A place gives q") << "fr" << 0 << quint64(0) << "q";
    QTest::newRow("fr Q place gives a") << "fr" << 12 << quint64(0) << "a";
    QTest::newRow("fr 1 gives &") << "fr" << 18 << quint64(0) << "&";
    QTest::newRow("fr Shift+1 gives 1") << "fr" << 18 << quint64(0x20000) << "1";
}

void TestKeyboard::charactersFollowTheLayout()
{
    QFETCH(QString, layout);
    QFETCH(int, keyCode);
    QFETCH(quint64, flags);
    QFETCH(QString, character);
    const std::unique_ptr<XkbKeyboard> keyboard = XkbKeyboard::fromLayout(layout);
    if (!keyboard->isValid())
        QSKIP("no XKB data installed here");
    QCOMPARE(keyboard->characterFor(quint16(keyCode), flags), character);
}

// The US layout of the key-code table and that of XKB agree on every key the
// simulated keyboard knows, plain and shifted: a wrong row of the table shows
// here as a wrong character.
void TestKeyboard::usLayoutAgreesWithTheAnsiTable()
{
    const std::unique_ptr<XkbKeyboard> keyboard = XkbKeyboard::fromLayout(QStringLiteral("us"));
    if (!keyboard->isValid())
        QSKIP("no XKB data installed here");
    platform::sim::SimKeyboard ansi;
    int compared = 0;
    for (quint16 code = 0; code < 128; ++code) {
        for (const quint64 flags : { quint64(0), quint64(0x20000) }) {
            const QString expected = ansi.characterFor(code, flags);
            if (expected.isEmpty())
                continue;
            QVERIFY2(keyboard->characterFor(code, flags) == expected,
                qPrintable(QStringLiteral("key code %1 flags %2").arg(code).arg(flags, 0, 16)));
            ++compared;
        }
    }
    QVERIFY(compared > 90);
}

// Without X the keymap comes from the default names, which the environment
// may set as on a Wayland session.
void TestKeyboard::defaultLayoutWithoutServer()
{
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    qputenv("XKB_DEFAULT_LAYOUT", "de");
    XkbKeyboard keyboard;
    qunsetenv("XKB_DEFAULT_LAYOUT");
    if (!display.isEmpty())
        qputenv("DISPLAY", display);
    if (!keyboard.isValid())
        QSKIP("no XKB data installed here");
    QVERIFY(!keyboard.followsServer());
    QCOMPARE(keyboard.characterFor(6), QStringLiteral("y"));
    // Without a server nobody can be asked about shortcuts.
    QCOMPARE(keyboard.isDesktopShortcut(6, 0x100000), std::nullopt);
}

void TestKeyboard::serverLayout()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("no X server (DISPLAY is not set)");
    XkbKeyboard keyboard;
    if (!keyboard.followsServer())
        QSKIP("the X server cannot be reached or has no XKB");
    QVERIFY(keyboard.isValid());
    // Every layout has a character on the space bar.
    QCOMPARE(keyboard.characterFor(49), QStringLiteral(" "));
    // The desktop's shortcuts can be asked of a server.
    QVERIFY(keyboard.isDesktopShortcut(49, 0x100000).has_value());
}

QTEST_GUILESS_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
