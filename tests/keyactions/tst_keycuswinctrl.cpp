// The per-key action editor and its four panes, answered inside their modal
// run as a user would: what the editor shows for a given action, what OK
// hands back (or 0 for an action left incomplete), the hot-key pane's
// refusals, the end on the disconnect notice, the keyboard, and a render of
// each tab.

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "controls/orvanebutton.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "controls/orvanetextfield.h"
#include "keyactions/keycusappviewctrl.h"
#include "keyactions/keycushotviewctrl.h"
#include "keyactions/keycusmouseviewctrl.h"
#include "keyactions/keycusnetviewctrl.h"
#include "keyactions/keycuswinctrl.h"
#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovshortcuteditor.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "store/ovpublicdefine.h"
#include "support_editorrun.h"

using namespace keyactions;
using platform::sim::SimBus;
using platform::sim::SimPlatform;

namespace {

constexpr quint64 kCommand = 0x100000;
constexpr qint64 kKeyK = 40;

QVariantMap combo(qint64 keyCode, quint64 flags)
{
    return QVariantMap { { QStringLiteral("keyCode"), keyCode }, { QStringLiteral("modifierFlags"), flags } };
}

// One editor on the simulated platform, with the application's alert
// noted (and `duringAlert` run inside it).
struct Fixture : EditorFixture
{
    Fixture()
    {
        context.alert = [this](QWidget *window, const QString &text) {
            alerts << text;
            alertWindows << window;
            if (duringAlert)
                duringAlert();
        };
        QVERIFY(dir.isValid());
        paint = dir.filePath(QStringLiteral("paint.desktop"));
        QFile file(paint);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nName=Paint\nExec=paint\n");
    }

    // Runs the editor; `answer` acts inside its modal run once the start
    // timer has filled it.
    int run(KeyCusWinCtrl &editor, const std::function<void()> &answer)
    {
        return EditorFixture::run(editor, [&] { return editor.runModal(); }, [&] {
            sim.runLoop.advance(0.2);
            answer();
        });
    }

    QStringList alerts;
    QList<QWidget *> alertWindows;
    std::function<void()> duringAlert;
    QTemporaryDir dir;
    QString paint;
};

void choose(controls::OrvanePopUpButton *popup, int index)
{
    popup->setCurrentIndex(index);
    emit popup->activated(index);
}

KeyCusObject fromDictionary(const QVariantMap &dictionary)
{
    KeyCusObject object;
    object.deserialization(dictionary);
    return object;
}

} // namespace

class TestKeyCusWinCtrl : public QObject
{
    Q_OBJECT
private slots:
    void opensOnTheAction_data();
    void opensOnTheAction();
    void okBuildsTheAction();
    void hotKeyPane();
    void hotKeyRecorderRefuses();
    void applicationPane();
    void disconnectEndsTheRun();
    void keyboard();
    void renders_data();
    void renders();
};

void TestKeyCusWinCtrl::opensOnTheAction_data()
{
    QTest::addColumn<QVariantMap>("given"); // empty: no action
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("alias"); // what the field shows ("=KEY": that text)
    QTest::addColumn<bool>("aliasEnabled");
    QTest::addColumn<QVariantMap>("okStores"); // the dictionary OK hands back; empty: result 0

    using namespace store;
    QTest::newRow("none: application tab, incomplete") << QVariantMap() << 0 << "" << true << QVariantMap();
    QTest::newRow("application")
        << QVariantMap { { OVCFGPenKeyCus, 0 }, { OVCFGPenKeyCusAlias, "Draw" },
               { OVCFGPenKeyCusAppPath, "/opt/draw.desktop" } }
        << 0 << "Draw" << true
        << QVariantMap { { OVCFGPenKeyCus, quint64(0) }, { OVCFGPenKeyCusAlias, "Draw" },
               { OVCFGPenKeyCusAppPath, "/opt/draw.desktop" } };
    QTest::newRow("listed hot key")
        << QVariantMap { { OVCFGPenKeyCus, 1 }, { OVCFGPenKeyCusAlias, "Copy" }, { OVCFGPenKeyCusHotKey, 3 } } << 1
        << "Copy" << false
        << QVariantMap { { OVCFGPenKeyCus, quint64(1) }, { OVCFGPenKeyCusAlias, "Copy" },
               { OVCFGPenKeyCusHotKey, quint64(3) } };
    // The alias equals the tab's placeholder: the field shows what the tab
    // selection put there, and OK stores that; the recording nobody touched
    // is handed back as it was given.
    QTest::newRow("recorded, named as the placeholder")
        << QVariantMap { { OVCFGPenKeyCus, 1 }, { OVCFGPenKeyCusAlias, "Hot key" }, { OVCFGPenKeyCusHotKey, 0 },
               { OVCFGPenKeyCusCusHotKey, combo(kKeyK, kCommand) } }
        << 1 << "=OVS_KC_H" << true
        << QVariantMap { { OVCFGPenKeyCus, quint64(1) }, { OVCFGPenKeyCusAlias, "Hot key" },
               { OVCFGPenKeyCusHotKey, quint64(0) }, { OVCFGPenKeyCusCusHotKey, combo(kKeyK, kCommand) } };
    QTest::newRow("e-mail, named as the placeholder")
        << QVariantMap { { OVCFGPenKeyCus, 2 }, { OVCFGPenKeyCusAlias, "Open address" }, { OVCFGPenKeyCusNet, 1 },
               { OVCFGPenKeyCusURL, "mailto:me@example.org" } }
        << 2 << "=OVS_KC_IE" << true
        << QVariantMap { { OVCFGPenKeyCus, quint64(2) }, { OVCFGPenKeyCusAlias, "E-mail address" },
               { OVCFGPenKeyCusNet, quint64(1) }, { OVCFGPenKeyCusURL, "mailto:me@example.org" } };
    // Kind 3 is not the tab current at first: its pane is made all the same.
    QTest::newRow("mouse")
        << QVariantMap { { OVCFGPenKeyCus, 3 }, { OVCFGPenKeyCusAlias, "Scroll it" }, { OVCFGPenKeyCusMouse, 2 } }
        << 3 << "Scroll it" << true
        << QVariantMap { { OVCFGPenKeyCus, quint64(3) }, { OVCFGPenKeyCusAlias, "Scroll it" },
               { OVCFGPenKeyCusMouse, quint64(2) } };
    // Read as absent: the first tab, and the recorder.
    QTest::newRow("kind past the tabs")
        << QVariantMap { { OVCFGPenKeyCus, 7 }, { OVCFGPenKeyCusAlias, "Seven" } } << 0 << "Seven" << true
        << QVariantMap();
    QTest::newRow("hot key past the list")
        << QVariantMap { { OVCFGPenKeyCus, 1 }, { OVCFGPenKeyCusHotKey, 45 } } << 1 << "=OVS_KC_H" << true
        << QVariantMap();
}

void TestKeyCusWinCtrl::opensOnTheAction()
{
    QFETCH(QVariantMap, given);
    QFETCH(int, tab);
    QFETCH(QString, alias);
    QFETCH(bool, aliasEnabled);
    QFETCH(QVariantMap, okStores);

    Fixture f;
    KeyCusWinCtrl editor(f.context);
    if (!given.isEmpty())
        editor.setKeyCusObject(fromDictionary(given));
    int selected = -1;
    QString shown;
    bool enabled = false;
    bool paneMade = false;
    const int result = f.run(editor, [&] {
        selected = editor.ibTabView()->indexOfSelectedTabViewItem();
        shown = editor.ibTextField()->text();
        enabled = editor.ibTextField()->isEnabled();
        paneMade = (tab == 0 && editor.keyCusAppViewCtrl()) || (tab == 1 && editor.keyCusHotViewCtrl())
            || (tab == 2 && editor.keyCusNetViewCtrl()) || (tab == 3 && editor.keyCusMouseViewCtrl());
        QCOMPARE(editor.ibTextField()->placeholderText(), editor.placeholderForTab(tab));
        editor.clickOK();
    });
    QVERIFY(!f.leftOpen);
    QCOMPARE(selected, tab);
    QCOMPARE(editor.selectedIndex(), qint64(tab));
    QVERIFY(paneMade);
    QCOMPARE(shown, alias.startsWith(u'=') ? f.t(qPrintable(alias.mid(1))) : alias);
    QCOMPARE(enabled, aliasEnabled);
    QCOMPARE(result, okStores.isEmpty() ? 0 : 1);
    if (result == 1)
        QCOMPARE(editor.keyCusObject()->serialization(), okStores);
    QVERIFY(!editor.isVisible());
}

void TestKeyCusWinCtrl::okBuildsTheAction()
{
    using namespace store;
    struct Case
    {
        const char *name;
        std::function<void(Fixture &, KeyCusWinCtrl &)> act;
        QVariantMap stored; // empty: result 0
    };
    const auto tab = [](KeyCusWinCtrl &e, int index) { e.ibTabView()->selectTabViewItemAtIndex(index); };
    const Case cases[] = {
        { "hot key: entry 0 without a recording is incomplete", [&](Fixture &, KeyCusWinCtrl &e) { tab(e, 1); },
            {} },
        { "hot key: a listed entry",
            [&](Fixture &, KeyCusWinCtrl &e) {
                tab(e, 1);
                choose(e.keyCusHotViewCtrl()->ibPopupBtn(), 3);
            },
            { { OVCFGPenKeyCus, quint64(1) }, { OVCFGPenKeyCusAlias, "Copy" }, { OVCFGPenKeyCusHotKey, quint64(3) } } },
        { "hot key: a recording, named",
            [&](Fixture &, KeyCusWinCtrl &e) {
                tab(e, 1);
                e.keyCusHotViewCtrl()->shortcutEditor()->setObjectValue(combo(kKeyK, kCommand));
                e.ibTextField()->setText(QStringLiteral("Mine"));
            },
            { { OVCFGPenKeyCus, quint64(1) }, { OVCFGPenKeyCusAlias, "Mine" }, { OVCFGPenKeyCusHotKey, quint64(0) },
                { OVCFGPenKeyCusCusHotKey,
                    QVariantMap { { "characters", "K" }, { "keyCode", kKeyK }, { "modifierFlags", kCommand } } } } },
        { "internet: an empty field is the default web address",
            [&](Fixture &, KeyCusWinCtrl &e) { tab(e, 2); },
            { { OVCFGPenKeyCus, quint64(2) }, { OVCFGPenKeyCusAlias, "Web address" }, { OVCFGPenKeyCusNet, quint64(0) },
                { OVCFGPenKeyCusURL, KeyCusNetViewCtrl::defaultAddress(0) } } },
        { "internet: an e-mail address typed, the name cleared",
            [&](Fixture &, KeyCusWinCtrl &e) {
                tab(e, 2);
                choose(e.keyCusNetViewCtrl()->ibPopupBtn(), 1);
                e.keyCusNetViewCtrl()->ibTextField()->setText(QStringLiteral("mailto:a@b.org"));
                e.ibTextField()->clear();
            },
            { { OVCFGPenKeyCus, quint64(2) }, { OVCFGPenKeyCusAlias, "Open address" }, { OVCFGPenKeyCusNet, quint64(1) },
                { OVCFGPenKeyCusURL, "mailto:a@b.org" } } },
        { "mouse: always complete",
            [&](Fixture &, KeyCusWinCtrl &e) {
                tab(e, 3);
                choose(e.keyCusMouseViewCtrl()->ibPopupBtn(), 1);
            },
            { { OVCFGPenKeyCus, quint64(3) }, { OVCFGPenKeyCusAlias, "Middle click" }, { OVCFGPenKeyCusMouse, quint64(1) } } },
        // Only the selected tab's pane counts; the others keep their values.
        { "application chosen, then back from the mouse tab",
            [&](Fixture &f, KeyCusWinCtrl &e) {
                f.sim.filePanels.queueAnswer(f.paint);
                e.keyCusAppViewCtrl()->ibBrowseBtn()->click();
                tab(e, 3);
                tab(e, 0);
            },
            { { OVCFGPenKeyCus, quint64(0) }, { OVCFGPenKeyCusAlias, "Paint" }, { OVCFGPenKeyCusAppPath, QString() } } },
    };
    for (const Case &c : cases) {
        Fixture f;
        KeyCusWinCtrl editor(f.context);
        const int result = f.run(editor, [&] {
            c.act(f, editor);
            editor.clickOK();
        });
        QVERIFY2(!f.leftOpen, c.name);
        QVariantMap expected = c.stored;
        if (expected.contains(OVCFGPenKeyCusAppPath))
            expected.insert(OVCFGPenKeyCusAppPath, f.paint);
        QVERIFY2(result == (expected.isEmpty() ? 0 : 1), c.name);
        if (result == 1)
            QVERIFY2(editor.keyCusObject()->serialization() == expected, c.name);
        QVERIFY2(f.alerts.isEmpty(), c.name);
    }
}

void TestKeyCusWinCtrl::hotKeyPane()
{
    for (const bool pen : { true, false }) {
        Fixture f;
        KeyCusWinCtrl editor(f.context);
        editor.setIsPenEnter(pen);
        KeyCusObject given;
        given.keyActCus = KeyCusObject::kHotKey;
        given.keyActCusHotKey = 3;
        given.customHotKey = combo(kKeyK, kCommand);
        editor.setKeyCusObject(given);
        f.run(editor, [&] {
            KeyCusHotViewCtrl *pane = editor.keyCusHotViewCtrl();
            QCOMPARE(pane->isPenEnter(), pen);
            QCOMPARE(pane->ibTextField()->text(), QString::fromUtf8("\u2318 C"));
            QVERIFY(pane->ibTextField()->isVisible());
            QVERIFY(!pane->shortcutEditor()->isVisible());
            // Shift alone: refused for a pen button, taken for an express key.
            choose(pane->ibPopupBtn(), 18);
            QCOMPARE(pane->ibPopupBtn()->currentIndex(), pen ? 3 : 18);
            QCOMPARE(pane->keyActCusHotKey(), quint64(pen ? 3 : 18));
            QCOMPARE(f.alerts, pen ? QStringList { f.t("OVSEReason2") } : QStringList());
            if (pen)
                QCOMPARE(f.alertWindows.value(0), &editor);
            QVERIFY(!editor.ibTextField()->isEnabled());
            // The mouse tab leaves the alias field as the hot-key pane set it.
            editor.ibTabView()->selectTabViewItemAtIndex(3);
            QVERIFY(!editor.ibTextField()->isEnabled());
            editor.ibTabView()->selectTabViewItemAtIndex(1);
            // Entry 0 shows the recorder with the last recording, and frees
            // the alias field.
            choose(pane->ibPopupBtn(), 0);
            QVERIFY(pane->shortcutEditor()->isVisible());
            QVERIFY(!pane->ibTextField()->isVisible());
            QCOMPARE(pane->shortcutEditor()->keyComboString(), std::optional(QString::fromUtf8("\u2318K")));
            QCOMPARE(pane->hotKeyString(0), std::optional(QString::fromUtf8("\u2318K")));
            QCOMPARE(pane->hotKeyString(40), std::nullopt);
            QVERIFY(editor.ibTextField()->isEnabled());
            QCOMPARE(editor.ibTextField()->text(), f.t("OVS_KC_H"));
            editor.clickOK();
        });
        QCOMPARE(editor.keyCusObject()->keyActCusHotKey, quint64(0));
        QCOMPARE(editor.keyCusObject()->customHotKey->value(QStringLiteral("keyCode")), QVariant(kKeyK));
    }
}

void TestKeyCusWinCtrl::hotKeyRecorderRefuses()
{
    Fixture f;
    KeyCusWinCtrl editor(f.context);
    editor.setIsPenEnter(true);
    KeyCusObject given;
    given.keyActCus = KeyCusObject::kHotKey;
    editor.setKeyCusObject(given);
    f.run(editor, [&] {
        OVShortcutEditor *recorder = editor.keyCusHotViewCtrl()->shortcutEditor();
        QApplication::setActiveWindow(&editor);
        recorder->setFocus();
        recorder->startRecording();
        QVERIFY(recorder->isEditing());
        // Ctrl is Command: Ctrl+C is what the list offers.
        QTest::keyClick(recorder, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(f.sim.alerts.shown().size(), std::size_t(1));
        QVERIFY2(f.sim.alerts.shown().back().message.contains(f.t("OVSEReason"))
                || f.sim.alerts.shown().back().buttons.join(u' ').contains(f.t("OVSEReason")),
            qPrintable(f.sim.alerts.shown().back().message));
        QVERIFY(!editor.keyCusHotViewCtrl()->customHotKey());
        // Ctrl+Shift+C is free.
        QTest::keyClick(recorder, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editor.keyCusHotViewCtrl()->customHotKey()->value(QStringLiteral("keyCode")), QVariant(qint64(8)));
        editor.clickCancel();
    });
    QVERIFY(!f.leftOpen);
}

void TestKeyCusWinCtrl::applicationPane()
{
    Fixture f;
    KeyCusWinCtrl editor(f.context);
    const int result = f.run(editor, [&] {
        KeyCusAppViewCtrl *pane = editor.keyCusAppViewCtrl();
        QVERIFY(pane->ibTextField()->text().isEmpty());
        // A chosen file that is no application is refused; the panel's
        // cancel changes nothing.
        const QString notes = f.dir.filePath(QStringLiteral("notes.txt"));
        QFile(notes).open(QIODevice::WriteOnly);
        f.sim.filePanels.queueAnswer(notes);
        pane->clickBrowse();
        QCOMPARE(f.alerts, QStringList { f.t("OVS_AM_NA") });
        pane->clickBrowse();
        QVERIFY(!pane->appPath());
        QCOMPARE(editor.ibTextField()->text(), QString());
        // A desktop entry: its path is kept, its name becomes the alias.
        f.sim.filePanels.queueAnswer(QStringLiteral("file://") + f.paint);
        pane->clickBrowse();
        QCOMPARE(pane->ibTextField()->text(), f.paint);
        QCOMPARE(editor.ibTextField()->text(), QStringLiteral("Paint"));
        editor.clickOK();
    });
    QCOMPARE(result, 1);
    QCOMPARE(editor.keyCusObject()->appPath, std::optional(f.paint));
    QCOMPARE(editor.keyCusObject()->alias, std::optional(QStringLiteral("Paint")));
}

void TestKeyCusWinCtrl::disconnectEndsTheRun()
{
    Fixture f;
    KeyCusWinCtrl editor(f.context);
    editor.setIsPenEnter(true);
    KeyCusObject given;
    given.keyActCus = KeyCusObject::kHotKey;
    given.keyActCusHotKey = 3;
    editor.setKeyCusObject(given);
    // The notice comes while the editor's own alert runs: the alert ends
    // first, then the editor, with 0.
    QStringList ended;
    connect(&editor, &QDialog::finished, this, [&] { ended << QStringLiteral("editor"); });
    f.duringAlert = [&] {
        QDialog alert(f.alertWindows.last());
        connect(&alert, &QDialog::finished, this, [&] { ended << QStringLiteral("alert"); });
        QTimer::singleShot(0, &alert, [&] { f.sim.local.post(store::OVUI_DeviceDisconnect_Hide_Noti); });
        alert.exec();
    };
    bool stillRunning = false;
    const int result = f.run(editor, [&] {
        choose(editor.keyCusHotViewCtrl()->ibPopupBtn(), 19);
        stillRunning = editor.isVisible();
    });
    QCOMPARE(ended, (QStringList { QStringLiteral("alert"), QStringLiteral("editor") }));
    QVERIFY(!stillRunning);
    QVERIFY(!f.leftOpen);
    QCOMPARE(result, 0);
    QVERIFY(!editor.isVisible());
    QVERIFY(!editor.keyCusObject() || editor.keyCusObject() == given);
    // The notice from the bus comes later, and finds nothing running.
    f.sim.runLoop.drain();
}

void TestKeyCusWinCtrl::keyboard()
{
    Fixture f;
    for (const auto &[key, expected] : { std::pair(Qt::Key_Escape, 0), std::pair(Qt::Key_Return, 1) }) {
        KeyCusWinCtrl editor(f.context);
        const int result = f.run(editor, [&, key = key] {
            editor.ibTabView()->selectTabViewItemAtIndex(3);
            QApplication::setActiveWindow(&editor);
            editor.ibTextField()->setFocus();
            QTest::keyClick(editor.ibTextField(), key);
        });
        QVERIFY(!f.leftOpen);
        QCOMPARE(result, expected);
    }
}

void TestKeyCusWinCtrl::renders_data()
{
    QTest::addColumn<QVariantMap>("given");
    using namespace store;
    QTest::newRow("application") << QVariantMap { { OVCFGPenKeyCus, 0 }, { OVCFGPenKeyCusAlias, "Paint" },
        { OVCFGPenKeyCusAppPath, "/usr/share/applications/paint.desktop" } };
    QTest::newRow("hotkey") << QVariantMap { { OVCFGPenKeyCus, 1 }, { OVCFGPenKeyCusAlias, "Copy" },
        { OVCFGPenKeyCusHotKey, 3 } };
    QTest::newRow("recorder") << QVariantMap { { OVCFGPenKeyCus, 1 }, { OVCFGPenKeyCusHotKey, 0 },
        { OVCFGPenKeyCusCusHotKey, combo(kKeyK, kCommand) } };
    QTest::newRow("internet") << QVariantMap { { OVCFGPenKeyCus, 2 }, { OVCFGPenKeyCusNet, 0 } };
    QTest::newRow("mouse") << QVariantMap { { OVCFGPenKeyCus, 3 }, { OVCFGPenKeyCusMouse, 2 } };
}

void TestKeyCusWinCtrl::renders()
{
    QFETCH(QVariantMap, given);
    Fixture f;
    KeyCusWinCtrl editor(f.context);
    editor.setKeyCusObject(fromDictionary(given));
    f.run(editor, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        // Every control is found by role and name.
        const QList<QWidget *> controls = editor.findChildren<QWidget *>();
        for (QWidget *control : controls) {
            if (!control->isVisible() || qobject_cast<QLabel *>(control) || !control->focusPolicy())
                continue;
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(node && !node->text(QAccessible::Name).isEmpty(),
                qPrintable(QLatin1String(control->metaObject()->className()) + u' ' + control->objectName()));
        }
        const QString folder
            = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QLatin1String("/renders");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(editor.grab().toImage().save(
            folder + QLatin1String("/keycuswinctrl-") + QLatin1String(QTest::currentDataTag()) + ".png"));
        editor.clickCancel();
    });
}

QTEST_MAIN(TestKeyCusWinCtrl)
#include "tst_keycuswinctrl.moc"
