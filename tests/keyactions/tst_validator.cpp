// Whether a key combination is taken: by the owner of the recorder, by the
// desktop, by the application's menus and actions, in that order, and the
// refusal's texts.

#include <QMainWindow>
#include <QMenuBar>
#include <QShortcut>
#include <QTest>

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovvalidator.h"
#include "platform/sim/simdesktop.h"
#include "platform/stringtable.h"

using namespace keyactions;

namespace {

// Four-bit flags.
constexpr quint64 kCommand = 0x100;
constexpr quint64 kShift = 0x200;
constexpr quint64 kOption = 0x800;
constexpr quint64 kControl = 0x1000;

// Mac key codes.
constexpr qint64 kS = 1, kE = 14, kQ = 12, kK = 40, kSpace = 49, kShiftKey = 56;

// A window with a menu bar: File > Save (Ctrl+S), Save As (Ctrl+Shift+s),
// Export > Image > PNG (Ctrl+Alt+E, disabled), and a shortcut Ctrl+Meta+K.
struct Window
{
    Window()
    {
        QMenu *file = window.menuBar()->addMenu(QStringLiteral("&File"));
        file->addAction(QStringLiteral("&Save"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
        file->addAction(QStringLiteral("Save &As…"))
            ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+s")));
        QAction *png
            = file->addMenu(QStringLiteral("Export"))->addMenu(QStringLiteral("Image"))->addAction("PNG");
        png->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+E")));
        png->setEnabled(false);
        auto *find = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Meta+K")), &window);
        find->setObjectName(QStringLiteral("Find next"));
    }
    QMainWindow window;
};

} // namespace

class TestValidator : public QObject
{
    Q_OBJECT
private slots:
    void ownerFirst();
    void desktop_data();
    void desktop();
    void menusAndActions_data();
    void menusAndActions();
    void menuAlone();

private:
    platform::sim::SimKeyboard m_keyboard;
    platform::StringTable m_english { { QStringLiteral("en") } };
};

// The owner's answer comes first, with its reason, and it is asked in the
// event form.
void TestValidator::ownerFirst()
{
    Window window;
    m_keyboard.setDesktopShortcuts({ { quint16(kQ), 0x100000 } });
    const OVKeyCodeTransformer transformer(m_keyboard, m_english);
    QList<std::pair<qint64, quint64>> asked;
    QString reason = QStringLiteral("Kept for quitting");
    OVValidator validator(transformer, [&](qint64 keyCode, quint64 flags, QString *why) {
        asked.append({ keyCode, flags });
        *why = reason;
        return keyCode == kQ || keyCode == kS;
    });

    std::optional<ShortcutError> error;
    QVERIFY(validator.isKeyCodeAndFlagsTaken(kQ, kCommand, &error));
    QCOMPARE(asked, (QList<std::pair<qint64, quint64>> { { kQ, 0x100000 } }));
    QCOMPARE(error,
        (ShortcutError { QStringLiteral("The key combination \u2318Q can't be used!"),
            QStringLiteral("Kept for quitting"), { QStringLiteral("OK") } }));

    reason.clear();
    QVERIFY(validator.isKeyCodeAndFlagsTaken(kS, kCommand | kShift, &error));
    QCOMPARE(error->localizedDescription, QStringLiteral("The key combination \u21E7\u2318S can't be used!"));
    QCOMPARE(error->localizedRecoverySuggestion, QStringLiteral("It's already used"));
    // Without a place for it, no error is made, and the answer stands.
    QVERIFY(validator.isKeyCodeAndFlagsTaken(kQ, kCommand));
    m_keyboard.setDesktopShortcuts({});
}

void TestValidator::desktop_data()
{
    QTest::addColumn<bool>("known");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<quint64>("flags");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("suggestion"); // empty: no error

    const QString used = QStringLiteral(
        "It's already used by a system-wide keyboard shortcut (Command + Space). If you really want to use "
        "this key "
        "combination, most shortcuts can be changed in the keyboard settings of your desktop.");
    QTest::newRow("held by the desktop") << true << true << kSpace << kCommand << true << used;
    QTest::newRow("Function is not compared")
        << true << true << kSpace << (kCommand | 0x800000) << true << used;
    QTest::newRow("other modifiers") << true << true << kSpace << (kCommand | kShift) << false << "";
    QTest::newRow("disabled shortcut") << true << false << kSpace << kCommand << false << "";
    QTest::newRow("desktop cannot be asked") << false << true << kSpace << kCommand << false << "";
    QTest::newRow("key without a string") << true << true << kShiftKey << kCommand << true << "";
    QTest::newRow("key without a string, desktop not asked")
        << false << true << kShiftKey << kCommand << false << "";
}

void TestValidator::desktop()
{
    QFETCH(bool, known);
    QFETCH(bool, enabled);
    QFETCH(qint64, keyCode);
    QFETCH(quint64, flags);
    QFETCH(bool, taken);
    QFETCH(QString, suggestion);
    m_keyboard.setDesktopShortcutsKnown(known);
    m_keyboard.setDesktopShortcuts({ { quint16(kSpace), 0x100000, enabled } });
    const OVKeyCodeTransformer transformer(m_keyboard, m_english);
    OVValidator validator(transformer);
    std::optional<ShortcutError> error;
    QCOMPARE(validator.isKeyCodeAndFlagsTaken(keyCode, flags, &error), taken);
    QCOMPARE(error.has_value(), !suggestion.isEmpty());
    if (error)
        QCOMPARE(error->localizedRecoverySuggestion, suggestion);
    m_keyboard.setDesktopShortcutsKnown(true);
    m_keyboard.setDesktopShortcuts({});
}

void TestValidator::menusAndActions_data()
{
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<quint64>("flags");
    QTest::addColumn<QString>("suggestion"); // empty: free

    QTest::newRow("Command+Shift+S") << kS << (kCommand | kShift)
                                     << "It's already used by the menu item \"Save As…\".";
    QTest::newRow("Command+S") << kS << kCommand << "It's already used by the menu item \"Save\".";
    QTest::newRow("Command+Option+S is free") << kS << (kCommand | kOption) << "";
    QTest::newRow("S alone is free") << kS << quint64(0) << "";
    QTest::newRow("disabled item two submenus deep")
        << kE << (kCommand | kOption) << "It's already used by the menu item \"PNG\".";
    QTest::newRow("a window's shortcut")
        << kK << (kCommand | kControl) << "It's already used by the menu item \"Find next\".";
    QTest::newRow("Command+K is free") << kK << kCommand << "";
}

void TestValidator::menusAndActions()
{
    QFETCH(qint64, keyCode);
    QFETCH(quint64, flags);
    QFETCH(QString, suggestion);
    Window window;
    const OVKeyCodeTransformer transformer(m_keyboard, m_english);
    OVValidator validator(transformer);
    std::optional<ShortcutError> error;
    QCOMPARE(validator.isKeyCodeAndFlagsTaken(keyCode, flags, &error), !suggestion.isEmpty());
    QCOMPARE(error.has_value(), !suggestion.isEmpty());
    if (error)
        QCOMPARE(error->localizedRecoverySuggestion, suggestion);
}

// One menu searched alone.
void TestValidator::menuAlone()
{
    QMenu menu;
    menu.addAction(QStringLiteral("Undo"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    const OVKeyCodeTransformer transformer(m_keyboard, m_english);
    OVValidator validator(transformer);
    std::optional<ShortcutError> error;
    QVERIFY(validator.isKeyCodeAndFlagsTakenInMenu(6, kCommand, menu.actions(), &error));
    QCOMPARE(error->localizedDescription, QStringLiteral("The key combination \u2318Z can't be used!"));
    QVERIFY(!validator.isKeyCodeAndFlagsTakenInMenu(16, kCommand, menu.actions(), &error));
    // The menu check alone knows nothing of windows.
    QVERIFY(!validator.isKeyCodeAndFlagsTakenInMenu(kS, kCommand, {}, &error));
}

QTEST_MAIN(TestValidator)
#include "tst_validator.moc"
