#include <linux/input-event-codes.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include "platform/linux/evdevmodifiertap.h"
#include "platform/linux/modifierkeys.h"

using platform::native::FlagsChange;
using platform::native::HeldModifierKeys;

namespace {

// One key event of one keyboard.
struct KeyEvent
{
    int keyboard;
    int code;
    int value;
};

constexpr quint64 kShift = 0x20000;
constexpr quint64 kControl = 0x40000;
constexpr quint64 kOption = 0x80000;
constexpr quint64 kCommand = 0x100000;

QString describe(const QList<FlagsChange> &changes)
{
    QStringList parts;
    for (const FlagsChange &c : changes)
        parts << QStringLiteral("%1/0x%2").arg(c.keyCode).arg(c.flags, 0, 16);
    return parts.join(QLatin1Char(' '));
}

} // namespace

Q_DECLARE_METATYPE(QList<KeyEvent>)

class TestModifierTap : public QObject
{
    Q_OBJECT
private slots:
    void keyEventsBecomeFlagsChanges_data();
    void keyEventsBecomeFlagsChanges();
    void removedKeyboardReleasesWhatItHeld();
    void tapWithoutKeyboardsStillRuns();
};

void TestModifierTap::keyEventsBecomeFlagsChanges_data()
{
    QTest::addColumn<QList<KeyEvent>>("events");
    QTest::addColumn<QList<FlagsChange>>("expected");

    // Ctrl is Command, Super is Control, Alt is Option.
    QTest::newRow("left Ctrl") << QList<KeyEvent>{{1, KEY_LEFTCTRL, 1}, {1, KEY_LEFTCTRL, 0}}
                               << QList<FlagsChange>{{55, kCommand}, {55, 0}};
    QTest::newRow("right Ctrl") << QList<KeyEvent>{{1, KEY_RIGHTCTRL, 1}, {1, KEY_RIGHTCTRL, 0}}
                                << QList<FlagsChange>{{54, kCommand}, {54, 0}};
    QTest::newRow("left Shift") << QList<KeyEvent>{{1, KEY_LEFTSHIFT, 1}, {1, KEY_LEFTSHIFT, 0}}
                                << QList<FlagsChange>{{56, kShift}, {56, 0}};
    QTest::newRow("right Shift") << QList<KeyEvent>{{1, KEY_RIGHTSHIFT, 1}, {1, KEY_RIGHTSHIFT, 0}}
                                 << QList<FlagsChange>{{60, kShift}, {60, 0}};
    QTest::newRow("left Alt") << QList<KeyEvent>{{1, KEY_LEFTALT, 1}, {1, KEY_LEFTALT, 0}}
                              << QList<FlagsChange>{{58, kOption}, {58, 0}};
    QTest::newRow("right Alt") << QList<KeyEvent>{{1, KEY_RIGHTALT, 1}, {1, KEY_RIGHTALT, 0}}
                               << QList<FlagsChange>{{61, kOption}, {61, 0}};
    QTest::newRow("left Super") << QList<KeyEvent>{{1, KEY_LEFTMETA, 1}, {1, KEY_LEFTMETA, 0}}
                                << QList<FlagsChange>{{59, kControl}, {59, 0}};
    QTest::newRow("right Super") << QList<KeyEvent>{{1, KEY_RIGHTMETA, 1}, {1, KEY_RIGHTMETA, 0}}
                                 << QList<FlagsChange>{{62, kControl}, {62, 0}};
    QTest::newRow("Caps Lock, a letter and F1 are not tracked")
        << QList<KeyEvent>{{1, KEY_CAPSLOCK, 1}, {1, KEY_CAPSLOCK, 0}, {1, KEY_A, 1}, {1, KEY_F1, 1}}
        << QList<FlagsChange>{};
    QTest::newRow("Shift, then Ctrl, released in the same order")
        << QList<KeyEvent>{{1, KEY_LEFTSHIFT, 1}, {1, KEY_LEFTCTRL, 1}, {1, KEY_LEFTSHIFT, 0}, {1, KEY_LEFTCTRL, 0}}
        << QList<FlagsChange>{{56, kShift}, {55, kShift | kCommand}, {56, kCommand}, {55, 0}};
    QTest::newRow("auto-repeat of a held modifier")
        << QList<KeyEvent>{{1, KEY_LEFTALT, 1}, {1, KEY_LEFTALT, 2}, {1, KEY_LEFTALT, 2}, {1, KEY_LEFTALT, 0}}
        << QList<FlagsChange>{{58, kOption}, {58, 0}};
    // The flag stays while the other Shift is still down.
    QTest::newRow("both Shift keys")
        << QList<KeyEvent>{{1, KEY_LEFTSHIFT, 1}, {1, KEY_RIGHTSHIFT, 1}, {1, KEY_LEFTSHIFT, 0}, {1, KEY_RIGHTSHIFT, 0}}
        << QList<FlagsChange>{{56, kShift}, {60, kShift}, {56, kShift}, {60, 0}};
    QTest::newRow("the same key on two keyboards")
        << QList<KeyEvent>{{1, KEY_LEFTSHIFT, 1}, {2, KEY_LEFTSHIFT, 1}, {1, KEY_LEFTSHIFT, 0}, {2, KEY_LEFTSHIFT, 0}}
        << QList<FlagsChange>{{56, kShift}, {56, 0}};
    QTest::newRow("Ctrl on one keyboard, Shift on another")
        << QList<KeyEvent>{{1, KEY_LEFTCTRL, 1}, {2, KEY_LEFTSHIFT, 1}, {1, KEY_LEFTCTRL, 0}, {2, KEY_LEFTSHIFT, 0}}
        << QList<FlagsChange>{{55, kCommand}, {56, kCommand | kShift}, {55, kShift}, {56, 0}};
    // Held before the tap began: its release is no change.
    QTest::newRow("release never pressed") << QList<KeyEvent>{{1, KEY_LEFTCTRL, 0}} << QList<FlagsChange>{};
}

void TestModifierTap::keyEventsBecomeFlagsChanges()
{
    QFETCH(QList<KeyEvent>, events);
    QFETCH(QList<FlagsChange>, expected);
    HeldModifierKeys held;
    QList<FlagsChange> actual;
    for (const KeyEvent &e : events) {
        if (const std::optional<FlagsChange> change = held.keyEvent(e.keyboard, e.code, e.value))
            actual.append(*change);
    }
    QVERIFY2(actual == expected, qPrintable(describe(actual) + QStringLiteral(" / ") + describe(expected)));
    QCOMPARE(held.flags(), quint64(0));
}

// A keyboard unplugged with keys down must not leave them held for ever: the
// pen would carry Command and Shift into every stroke.
void TestModifierTap::removedKeyboardReleasesWhatItHeld()
{
    HeldModifierKeys held;
    held.keyEvent(1, KEY_LEFTCTRL, 1);
    held.keyEvent(1, KEY_LEFTSHIFT, 1);
    held.keyEvent(2, KEY_LEFTSHIFT, 1);
    held.keyEvent(2, KEY_LEFTALT, 1);
    QCOMPARE(held.removeKeyboard(1), (QList<FlagsChange>{{55, kShift | kOption}}));
    QCOMPARE(held.flags(), kShift | kOption);
    QCOMPARE(held.removeKeyboard(2), (QList<FlagsChange>{{56, kOption}, {58, 0}}));
    QCOMPARE(held.removeKeyboard(2), QList<FlagsChange>{});
    // A key of the removed keyboard starts afresh when it comes back.
    QCOMPARE(held.keyEvent(2, KEY_LEFTALT, 1), std::optional<FlagsChange>(FlagsChange{58, kOption}));
}

// Without readable keyboards (no "input" group, or none at all) the tap is
// still made, since the driver must run on, and says why in one line.
void TestModifierTap::tapWithoutKeyboardsStillRuns()
{
    const QDir input(QStringLiteral("/dev/input"));
    for (const QFileInfo &node : input.entryInfoList({QStringLiteral("event*")}, QDir::System)) {
        if (node.isReadable())
            QSKIP("input event nodes are readable here: the tap may find keyboards");
    }
    platform::native::EvdevModifierTap tap;
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^cannot (read|watch) the keyboards: .*held modifier keys "
                                                           "are not tracked$")));
    int calls = 0;
    const bool created = tap.create([&](quint16, quint64) { ++calls; });
    QVERIFY(created);
    QVERIFY(tap.keyboards().isEmpty());
    QCOMPARE(calls, 0);
    tap.remove();
}

QTEST_GUILESS_MAIN(TestModifierTap)
#include "tst_modifiertap.moc"
