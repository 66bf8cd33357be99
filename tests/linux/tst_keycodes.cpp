#include <linux/input-event-codes.h>

#include <QSet>
#include <QTest>

#include "platform/keycodes.h"

using namespace platform;

class TestKeyCodes : public QObject
{
    Q_OBJECT
private slots:
    void hotKeysReachTheirLinuxKeys_data();
    void hotKeysReachTheirLinuxKeys();
    void modifierKeysAreNotTheirNeighbours();
    void tableIsOneToOne();
    void flagsPressModifierKeys_data();
    void flagsPressModifierKeys();
    void modifierKeysGiveTheirFlag_data();
    void modifierKeysGiveTheirFlag();
};

// Every key of the driver's fixed hot keys, named by its key on an ANSI
// keyboard, and the Linux key that must come out.
void TestKeyCodes::hotKeysReachTheirLinuxKeys_data()
{
    QTest::addColumn<int>("mac");
    QTest::addColumn<int>("evdev");

    QTest::newRow("P (pen, print)") << 35 << KEY_P;
    QTest::newRow("E (eraser)") << 14 << KEY_E;
    QTest::newRow("W (close window)") << 13 << KEY_W;
    QTest::newRow("X (cut)") << 7 << KEY_X;
    QTest::newRow("C (copy)") << 8 << KEY_C;
    QTest::newRow("V (paste)") << 9 << KEY_V;
    QTest::newRow("G (group)") << 5 << KEY_G;
    QTest::newRow("keypad minus (zoom out)") << 78 << KEY_KPMINUS;
    QTest::newRow("keypad plus (zoom in)") << 69 << KEY_KPPLUS;
    QTest::newRow("S (save)") << 1 << KEY_S;
    QTest::newRow("up arrow") << 126 << KEY_UP;
    QTest::newRow("down arrow") << 125 << KEY_DOWN;
    QTest::newRow("left arrow") << 123 << KEY_LEFT;
    QTest::newRow("right arrow") << 124 << KEY_RIGHT;
    QTest::newRow("N (new, new layer)") << 45 << KEY_N;
    QTest::newRow("O (open)") << 31 << KEY_O;
    QTest::newRow("Z (undo, redo)") << 6 << KEY_Z;
    QTest::newRow("Control") << 59 << KEY_LEFTMETA;
    QTest::newRow("Shift") << 56 << KEY_LEFTSHIFT;
    QTest::newRow("Command") << 55 << KEY_LEFTCTRL;
    QTest::newRow("Option (modifier, eyedropper)") << 58 << KEY_LEFTALT;
    QTest::newRow("Space (hand)") << 49 << KEY_SPACE;
    QTest::newRow("Page Up") << 116 << KEY_PAGEUP;
    QTest::newRow("Page Down") << 121 << KEY_PAGEDOWN;
    QTest::newRow("right bracket (forward, brush +, layer up)") << 30 << KEY_RIGHTBRACE;
    QTest::newRow("left bracket (backward, brush -, layer down)") << 33 << KEY_LEFTBRACE;
    QTest::newRow("F (find)") << 3 << KEY_F;
    QTest::newRow("keypad Enter") << 76 << KEY_KPENTER;
    QTest::newRow("Q (exit)") << 12 << KEY_Q;
    QTest::newRow("M (minimize, marquee)") << 46 << KEY_M;
    QTest::newRow("Escape") << 53 << KEY_ESC;
    QTest::newRow("B (brush)") << 11 << KEY_B;
    QTest::newRow("I (eyedropper)") << 34 << KEY_I;
    QTest::newRow("U (rectangle)") << 32 << KEY_U;
    QTest::newRow("F11 (volume down)") << 103 << KEY_F11;
    QTest::newRow("F12 (volume up)") << 111 << KEY_F12;
}

void TestKeyCodes::hotKeysReachTheirLinuxKeys()
{
    QFETCH(int, mac);
    QFETCH(int, evdev);
    QCOMPARE(evdevKeyForMacKey(quint16(mac)), std::optional<int>(evdev));
}

// The mac codes of the modifiers sit next to Caps Lock (57) and are easily
// taken for the PC set's numbers: 58 is KEY_CAPSLOCK there, 59 KEY_F1.
void TestKeyCodes::modifierKeysAreNotTheirNeighbours()
{
    QCOMPARE(evdevKeyForMacKey(mackey::Option), std::optional<int>(KEY_LEFTALT));
    QVERIFY(evdevKeyForMacKey(mackey::Option) != std::optional<int>(KEY_CAPSLOCK));
    QCOMPARE(evdevKeyForMacKey(mackey::Control), std::optional<int>(KEY_LEFTMETA));
    QVERIFY(evdevKeyForMacKey(mackey::Control) != std::optional<int>(KEY_F1));
    QCOMPARE(evdevKeyForMacKey(mackey::CapsLock), std::optional<int>(KEY_CAPSLOCK));
    QCOMPARE(evdevKeyForMacKey(122), std::optional<int>(KEY_F1));
    QCOMPARE(evdevKeyForMacKey(mackey::RightCommand), std::optional<int>(KEY_RIGHTCTRL));
    QCOMPARE(evdevKeyForMacKey(mackey::RightOption), std::optional<int>(KEY_RIGHTALT));
    QCOMPARE(evdevKeyForMacKey(mackey::RightControl), std::optional<int>(KEY_RIGHTMETA));
    QCOMPARE(evdevKeyForMacKey(mackey::RightShift), std::optional<int>(KEY_RIGHTSHIFT));
    QCOMPARE(evdevKeyForMacKey(mackey::Function), std::nullopt);
}

// The recorder and the modifier tap read the table backwards: two mac codes on
// one Linux key would make one of them unreachable.
void TestKeyCodes::tableIsOneToOne()
{
    QSet<int> seen;
    for (int mac = 0; mac <= 0xFFFF; ++mac) {
        const std::optional<int> evdev = evdevKeyForMacKey(quint16(mac));
        if (!evdev)
            continue;
        QVERIFY2(!seen.contains(*evdev), qPrintable(QStringLiteral("Linux key %1 twice").arg(*evdev)));
        seen.insert(*evdev);
        QVERIFY(*evdev > 0 && *evdev <= KEY_MAX);
        QCOMPARE(macKeyForEvdevKey(*evdev), std::optional<quint16>(quint16(mac)));
    }
    QVERIFY(seen.size() > 100);
    QCOMPARE(macKeyForEvdevKey(KEY_FN), std::nullopt);
}

void TestKeyCodes::flagsPressModifierKeys_data()
{
    QTest::addColumn<quint64>("flags");
    QTest::addColumn<QList<quint16>>("keys");

    QTest::newRow("Command and Shift (redo)") << quint64(0x120000) << QList<quint16>{55, 56};
    QTest::newRow("all four") << quint64(0x1E0000) << QList<quint16>{55, 56, 58, 59};
    QTest::newRow("Control alone") << quint64(0x40000) << QList<quint16>{59};
    QTest::newRow("no modifier marker") << quint64(0x100) << QList<quint16>{};
    QTest::newRow("Function only") << quint64(0x800000) << QList<quint16>{};
    QTest::newRow("device bits beside Option") << quint64(0x80120) << QList<quint16>{58};
}

void TestKeyCodes::flagsPressModifierKeys()
{
    QFETCH(quint64, flags);
    QFETCH(QList<quint16>, keys);
    QCOMPARE(macModifierKeysForFlags(flags), keys);
}

void TestKeyCodes::modifierKeysGiveTheirFlag_data()
{
    QTest::addColumn<int>("mac");
    QTest::addColumn<quint64>("flag");

    QTest::newRow("right Command") << 54 << quint64(0x100000);
    QTest::newRow("Command") << 55 << quint64(0x100000);
    QTest::newRow("Shift") << 56 << quint64(0x20000);
    QTest::newRow("Caps Lock") << 57 << quint64(0);
    QTest::newRow("Option") << 58 << quint64(0x80000);
    QTest::newRow("Control") << 59 << quint64(0x40000);
    QTest::newRow("right Shift") << 60 << quint64(0x20000);
    QTest::newRow("right Option") << 61 << quint64(0x80000);
    QTest::newRow("right Control") << 62 << quint64(0x40000);
    QTest::newRow("A") << 0 << quint64(0);
}

void TestKeyCodes::modifierKeysGiveTheirFlag()
{
    QFETCH(int, mac);
    QFETCH(quint64, flag);
    QCOMPARE(flagForMacModifierKey(quint16(mac)), flag);
}

QTEST_GUILESS_MAIN(TestKeyCodes)
#include "tst_keycodes.moc"
