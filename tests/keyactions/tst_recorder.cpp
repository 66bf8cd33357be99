// Recording sessions of the shortcut recorder driven by key and mouse events
// as the user makes them, with the editors' setting (a key alone may be
// recorded, the cancel keys cancel), and renders of its looks to PNG files
// under $OV_BUILD_DIR/renders/.

#include <QAccessible>
#include <QAction>
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovshortcutcell.h"
#include "keyactions/ovshortcuteditor.h"
#include "keyactions/valuetransformer.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simrecorders.h"
#include "platform/sim/simrunloop.h"
#include "platform/stringtable.h"

using namespace keyactions;

namespace {

constexpr quint64 kShift = 0x20000;
constexpr quint64 kControl = 0x40000;
constexpr quint64 kOption = 0x80000;
constexpr quint64 kCommand = 0x100000;

// Command+S, as the stored value the editors start from.
const QVariantMap kOldValue { { "characters", "s" }, { "keyCode", qint64(1) },
    { "modifierFlags", quint64(kCommand) } };

// One key event exactly as given (QTest's key functions press and release
// the modifiers of their own around the key).
void sendKey(QWidget *widget, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent event(type, key, modifiers);
    QApplication::sendEvent(widget, &event);
}

QString rendersFolder()
{
    QDir dir(qEnvironmentVariable("OV_BUILD_DIR", QDir::currentPath()));
    dir.mkpath(QStringLiteral("renders"));
    return dir.filePath(QStringLiteral("renders"));
}

// The recorder at twice its size on the window's grey, saved as
// recorder-<name>.png.
QImage render(QWidget &recorder, const QString &name)
{
    QImage image(recorder.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(QColor(236, 236, 236));
    recorder.render(&image);
    image.save(rendersFolder() + QStringLiteral("/recorder-%1.png").arg(name));
    return image;
}

// Pixels darker than `below` in an area given in points.
int darkPixels(const QImage &image, QRect area, int below = 100)
{
    int count = 0;
    for (int y = area.top() * 2; y <= area.bottom() * 2; ++y)
        for (int x = area.left() * 2; x <= area.right() * 2; ++x)
            count += qGray(image.pixel(x, y)) < below;
    return count;
}

// The grey of a pixel at a point.
int greyAt(const QImage &image, QPointF point)
{
    return qGray(image.pixel((point * 2).toPoint()));
}

// The recorder, counting its beeps.
class Recorder : public OVShortcutEditor
{
public:
    using OVShortcutEditor::OVShortcutEditor;
    int beeps = 0;

protected:
    void beep() override { ++beeps; }
};

// A window with the recorder and a text field after it, active and with the
// recorder focused; Ctrl+Q quits in the window's menu.
struct Pane
{
    Pane()
        : transformer(keyboard, strings)
    {
        auto *layout = new QVBoxLayout(&window);
        recorder = new Recorder(transformer, runLoop, defaults, alerts, &window);
        recorder->setStyle(1);
        recorder->setAllowsKeyOnly(true, false);
        recorder->setObjectValue(kOldValue);
        recorder->setAccessibleName(QStringLiteral("Custom hot key"));
        layout->addWidget(recorder);
        layout->addWidget(&next);
        quit = new QAction(QStringLiteral("Quit"), &window);
        quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
        window.addAction(quit);
        window.resize(220, 80);
        window.show();
        QApplication::setActiveWindow(&window);
        recorder->setFocus();
    }

    bool start()
    {
        QTest::keyClick(recorder, Qt::Key_Space);
        return recorder->isEditing();
    }

    QPoint removeButton() const
    {
        return recorder->cell().removeButtonRectForFrame(recorder->rect(), true).center().toPoint();
    }
    QPoint snapbackButton() const
    {
        return OVShortcutCell::snapbackRectForFrame(recorder->rect()).center().toPoint();
    }

    platform::sim::SimKeyboard keyboard;
    platform::sim::SimRunLoop runLoop;
    platform::StringTable strings { { QStringLiteral("en") } };
    platform::sim::MemoryUserDefaults defaults;
    platform::sim::ScriptedAlerts alerts;
    OVKeyCodeTransformer transformer;
    QWidget window;
    QLineEdit next;
    Recorder *recorder = nullptr;
    QAction *quit = nullptr;
};

// What a recorder's value is bound to.
class Holder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant hotKey MEMBER hotKey)
public:
    QVariant hotKey = QStringLiteral("untouched");
};

// Hands the key code alone on, as a binding to a number would.
class KeyCodeOnly : public ValueTransformer
{
public:
    bool allowsReverseTransformation() const override { return true; }
    QVariant transformedValue(const QVariant &value) const override { return value; }
    QVariant reverseTransformedValue(const QVariant &value) const override
    {
        return value.toMap().value(QStringLiteral("keyCode"));
    }
};

class OneWay : public ValueTransformer
{
public:
    QVariant transformedValue(const QVariant &value) const override { return value; }
};

} // namespace

class TestRecorder : public QObject
{
    Q_OBJECT
private slots:
    void recordings_data();
    void recordings();
    void modifiersShowWhileHeld();
    void refusedByTheOwner();
    void applicationShortcutIsRefusedNotRun();
    void buttons();
    void focusLossKeepsTheCombination();
    void autosave();
    void valueAndSize();
    void accessibility();
    void renders();
    void transitions_data();
    void transitions();
    void slideFrames();
    void style0();
    void coding_data();
    void coding();
    void codingRefusals();
    void copyIsIndependent();
    void valueBinding_data();
    void valueBinding();
    void alertThatEndsTheRecorder();
};

void TestRecorder::recordings_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QVariant>("value"); // invalid: recording cancelled, Command+S kept
    QTest::addColumn<bool>("beeps");

    auto value = [](QString characters, qint64 code, quint64 flags) {
        return QVariant(
            QVariantMap { { "characters", characters }, { "keyCode", code }, { "modifierFlags", flags } });
    };
    const QVariant cancelled;
    const Qt::KeyboardModifiers none;
    // keyClick presses the modifier keys first, as a user does.
    QTest::newRow("Shift+X") << int(Qt::Key_X) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                             << value("X", 7, kShift) << false;
    QTest::newRow("a alone") << int(Qt::Key_A) << none << value("a", 0, 0) << false;
    QTest::newRow("Ctrl is Command") << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                     << value("c", 8, kCommand) << false;
    QTest::newRow("Super is Control")
        << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::MetaModifier) << value("c", 8, kControl) << false;
    QTest::newRow("Alt is Option") << int(Qt::Key_Q) << Qt::KeyboardModifiers(Qt::AltModifier)
                                   << value("q", 12, kOption) << false;
    QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << (Qt::ControlModifier | Qt::ShiftModifier)
                                  << value("Z", 6, kCommand | kShift) << false;
    QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << none << cancelled << false;
    QTest::newRow("Backspace cancels") << int(Qt::Key_Backspace) << none << cancelled << false;
    QTest::newRow("Delete cancels") << int(Qt::Key_Delete) << none << cancelled << false;
    QTest::newRow("Shift+Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                  << value(QStringLiteral("\u238B"), 53, kShift) << false;
    QTest::newRow("Shift+Backspace") << int(Qt::Key_Backspace) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                     << value(QStringLiteral("\u232B"), 51, kShift) << false;
    QTest::newRow("Ctrl+Backspace") << int(Qt::Key_Backspace) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                    << value(QStringLiteral("\u232B"), 51, kCommand) << false;
    QTest::newRow("Alt+Delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::AltModifier)
                                << value(QStringLiteral("\u2326"), 117, kOption) << false;
    QTest::newRow("F5") << int(Qt::Key_F5) << none << value("F5", 96, 0) << false;
    QTest::newRow("Tab is recorded, not a focus move")
        << int(Qt::Key_Tab) << none << value(QStringLiteral("\u21E5"), 48, 0) << false;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << value(" ", 49, 0) << false;
    QTest::newRow("keypad 1, keypad bit dropped")
        << int(Qt::Key_1) << Qt::KeyboardModifiers(Qt::KeypadModifier) << value("1", 83, 0) << false;
    QTest::newRow("volume key types nothing") << int(Qt::Key_VolumeUp) << none << cancelled << true;
    QTest::newRow("Print has no key code")
        << int(Qt::Key_Print) << Qt::KeyboardModifiers(Qt::ControlModifier) << cancelled << true;
}

void TestRecorder::recordings()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QVariant, value);
    QFETCH(bool, beeps);
    Pane pane;
    QSignalSpy changes(pane.recorder, &OVShortcutEditor::shortcutEditorKeyComboDidChange);
    QVERIFY(pane.start());
    // Space started recording and was not recorded.
    QCOMPARE(changes.count(), 0);

    QTest::keyClick(pane.recorder, Qt::Key(key), modifiers);
    QVERIFY(!pane.recorder->isEditing());
    QVERIFY(pane.recorder->hasFocus());
    QVERIFY(pane.alerts.shown().empty());
    QCOMPARE(pane.recorder->beeps, int(beeps));
    const std::optional<QVariantMap> recorded = pane.recorder->objectValue();
    QVERIFY(recorded);
    if (!value.isValid()) {
        QCOMPARE(changes.count(), 0);
        QCOMPARE(recorded->value("keyCode"), QVariant(qint64(1)));
        QCOMPARE(recorded->value("modifierFlags"), QVariant(kCommand));
        return;
    }
    QCOMPARE(changes.count(), 1);
    QCOMPARE(*recorded, value.toMap());
    QCOMPARE(recorded->value("keyCode").typeId(), QMetaType::LongLong);
    QCOMPARE(recorded->value("modifierFlags").typeId(), QMetaType::ULongLong);
    const auto combo = changes.first().at(1).value<KeyCombo>();
    QCOMPARE(combo.code, recorded->value("keyCode").toLongLong());
    QCOMPARE(combo.flags, recorded->value("modifierFlags").toULongLong());
}

// Pressing Shift first shows its glyph and does not end recording; its
// release takes it away again. The repeats of the Space that started
// recording are no key press.
void TestRecorder::modifiersShowWhileHeld()
{
    Pane pane;
    QVERIFY(pane.start());
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QApplication::sendEvent(pane.recorder, &repeat);
    QVERIFY(pane.recorder->isEditing());
    QCOMPARE(pane.recorder->shownText(), QStringLiteral("Type shortcut"));
    sendKey(pane.recorder, QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    QCOMPARE(pane.recorder->shownText(), QStringLiteral("\u21E7"));
    sendKey(pane.recorder, QEvent::KeyPress, Qt::Key_Control, Qt::ShiftModifier);
    QCOMPARE(pane.recorder->shownText(), QStringLiteral("\u21E7\u2318"));
    sendKey(pane.recorder, QEvent::KeyRelease, Qt::Key_Control, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(pane.recorder->shownText(), QStringLiteral("\u21E7"));
    QVERIFY(pane.recorder->isEditing());
    QTest::keyPress(pane.recorder, Qt::Key_X, Qt::ShiftModifier);
    QVERIFY(!pane.recorder->isEditing());
    QCOMPARE(pane.recorder->keyComboString(), std::optional<QString>(QStringLiteral("\u21E7X")));
    QCOMPARE(pane.recorder->shownText(), QStringLiteral("\u21E7X"));
}

// A combination the owner keeps is refused with its reason; recording goes
// on and the next key is recorded.
void TestRecorder::refusedByTheOwner()
{
    Pane pane;
    QList<std::pair<qint64, quint64>> asked;
    QObject::connect(pane.recorder, &OVShortcutEditor::shortcutEditorIsKeyCodeAndFlagsTaken,
        [&](OVShortcutEditor *, qint64 keyCode, quint64 flags, bool *taken, QString *reason) {
            asked.append({ keyCode, flags });
            if (keyCode == 40) {
                *taken = true;
                *reason = QStringLiteral("The pane keeps it for itself.");
            }
        });
    QSignalSpy changes(pane.recorder, &OVShortcutEditor::shortcutEditorKeyComboDidChange);
    QVERIFY(pane.start());
    QTest::keyClick(pane.recorder, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(asked, (QList<std::pair<qint64, quint64>> { { 40, kCommand | kShift } }));
    QCOMPARE(pane.alerts.shown().size(), size_t(1));
    const auto &alert = pane.alerts.shown().front();
    QCOMPARE(alert.title, QStringLiteral("The key combination \u21E7\u2318K can't be used!"));
    QCOMPARE(alert.message, QStringLiteral("The pane keeps it for itself."));
    QCOMPARE(alert.buttons, QStringList { QStringLiteral("OK") });
    QVERIFY(pane.recorder->isEditing());
    QCOMPARE(changes.count(), 0);
    QCOMPARE(pane.recorder->objectValue()->value("keyCode"), QVariant(qint64(1)));

    QTest::keyClick(pane.recorder, Qt::Key_J, Qt::ControlModifier);
    QVERIFY(!pane.recorder->isEditing());
    QCOMPARE(pane.recorder->objectValue()->value("keyCode"), QVariant(qint64(38)));
}

// While recording, the window's Ctrl+Q does not run: the recorder takes the
// key, and the validator refuses it as the menu item's.
void TestRecorder::applicationShortcutIsRefusedNotRun()
{
    Pane pane;
    QVERIFY(QTest::qWaitForWindowActive(&pane.window));
    QSignalSpy quits(pane.quit, &QAction::triggered);
    QVERIFY(pane.start());
    QTest::keyClick(pane.recorder, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(quits.count(), 0);
    QCOMPARE(pane.alerts.shown().size(), size_t(1));
    QCOMPARE(
        pane.alerts.shown().front().message, QStringLiteral("It's already used by the menu item \"Quit\"."));
    QVERIFY(pane.recorder->isEditing());

    // Idle, the shortcut works as before.
    QTest::keyClick(pane.recorder, Qt::Key_Escape);
    QVERIFY(!pane.recorder->isEditing());
    QTest::keyClick(pane.recorder, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(quits.count(), 1);
}

void TestRecorder::buttons()
{
    Pane pane;
    QSignalSpy changes(pane.recorder, &OVShortcutEditor::shortcutEditorKeyComboDidChange);
    // A click in the field starts recording; the snapback button ends it and
    // keeps the combination.
    QTest::mouseClick(pane.recorder, Qt::LeftButton, {}, QPoint(20, 11));
    QVERIFY(pane.recorder->isEditing());
    QTest::mouseClick(pane.recorder, Qt::LeftButton, {}, pane.snapbackButton());
    QVERIFY(!pane.recorder->isEditing());
    QCOMPARE(changes.count(), 0);
    QCOMPARE(pane.recorder->keyComboString(), std::optional<QString>(QStringLiteral("\u2318S")));

    // A press on the remove button released in the field clears nothing:
    // it is a click in the field.
    QTest::mousePress(pane.recorder, Qt::LeftButton, {}, pane.removeButton());
    QVERIFY(pane.recorder->cell().mouseDown());
    QTest::mouseRelease(pane.recorder, Qt::LeftButton, {}, QPoint(20, 11));
    QVERIFY(!pane.recorder->cell().mouseDown());
    QVERIFY(pane.recorder->isEditing());
    QTest::keyClick(pane.recorder, Qt::Key_Escape);
    QVERIFY(!pane.recorder->isEditing());
    QVERIFY(pane.recorder->objectValue());

    // The remove button clears the combination and says so.
    QTest::mouseClick(pane.recorder, Qt::LeftButton, {}, pane.removeButton());
    QVERIFY(!pane.recorder->isEditing());
    QCOMPARE(pane.recorder->objectValue(), std::nullopt);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.first().at(1).value<KeyCombo>(), (KeyCombo { 0, -1 }));
    QCOMPARE(pane.recorder->shownText(), QStringLiteral("Click to edit shortcut"));
    // Empty, the field has no remove button: the whole field starts recording.
    QVERIFY(pane.recorder->cell().removeButtonRectForFrame(pane.recorder->rect(), true).isNull());
    QTest::mouseClick(pane.recorder, Qt::LeftButton, {}, QPoint(pane.recorder->width() - 8, 11));
    QVERIFY(pane.recorder->isEditing());

    // Disabled: no button and no recording.
    Pane disabled;
    disabled.recorder->setEnabled(false);
    QTest::mouseClick(disabled.recorder, Qt::LeftButton, {}, disabled.removeButton());
    QVERIFY(disabled.recorder->objectValue());
    QVERIFY(!disabled.recorder->isEditing());
}

void TestRecorder::focusLossKeepsTheCombination()
{
    Pane pane;
    QVERIFY(QTest::qWaitForWindowActive(&pane.window));
    QVERIFY(pane.start());
    QTest::keyPress(pane.recorder, Qt::Key_Shift);
    pane.next.setFocus(Qt::TabFocusReason);
    QVERIFY(!pane.recorder->isEditing());
    QCOMPARE(pane.recorder->objectValue()->value("keyCode"), QVariant(qint64(1)));
    // Idle, Tab moves the focus on.
    pane.recorder->setFocus(Qt::TabFocusReason);
    QTest::keyClick(pane.recorder, Qt::Key_Tab);
    QVERIFY(pane.next.hasFocus());
}

// With a name, every change is saved under "ShortcutEditor <name>" and a
// recorder given that name shows it.
void TestRecorder::autosave()
{
    Pane pane;
    pane.recorder->setAutosaveName(QStringLiteral("wheel"));
    QVERIFY(pane.start());
    QTest::keyClick(pane.recorder, Qt::Key_B, Qt::ControlModifier | Qt::AltModifier);
    const QVariantMap saved = pane.defaults.value(QStringLiteral("ShortcutEditor wheel")).toMap();
    QCOMPARE(saved,
        (QVariantMap { { "keyCode", qint64(11) }, { "modifierFlags", quint64(kCommand | kOption) },
            { "modifiers", quint64(0x900) }, { "keyChars", "b" }, { "keyCharsIgnoringModifiers", "b" } }));

    OVShortcutEditor other(pane.transformer, pane.runLoop, pane.defaults, pane.alerts);
    QSignalSpy changes(&other, &OVShortcutEditor::shortcutEditorKeyComboDidChange);
    other.setAutosaveName(QStringLiteral("wheel"));
    QCOMPARE(other.keyCombo(), (KeyCombo { kCommand | kOption, 11 }));
    QCOMPARE(other.keyChars(), QStringLiteral("b"));
    QCOMPARE(changes.count(), 1);
    // Nothing saved under a name: the field keeps what it holds.
    other.setAutosaveName(QStringLiteral("pen"));
    QCOMPARE(other.keyCombo(), (KeyCombo { kCommand | kOption, 11 }));
    // The older four-bit form alone is read too.
    pane.defaults.setValue(
        QStringLiteral("ShortcutEditor old"), QVariantMap { { "keyCode", 6 }, { "modifiers", 0x300 } });
    other.setAutosaveName(QStringLiteral("old"));
    QCOMPARE(other.keyCombo(), (KeyCombo { kCommand | kShift, 6 }));
    QCOMPARE(other.keyCharsIgnoringModifiers(), QStringLiteral("Z"));
}

void TestRecorder::valueAndSize()
{
    Pane pane;
    QSignalSpy changes(pane.recorder, &OVShortcutEditor::shortcutEditorKeyComboDidChange);
    // Set from a value, the characters are the layout's, capitalised.
    pane.recorder->setObjectValue(QVariantMap { { "keyCode", 6.0 }, { "modifierFlags", qint64(0x930000) } });
    QCOMPARE(pane.recorder->keyCombo(), (KeyCombo { 0x920000, 6 })); // Caps Lock dropped, Function kept
    QCOMPARE(*pane.recorder->objectValue(),
        (QVariantMap {
            { "characters", "Z" }, { "keyCode", qint64(6) }, { "modifierFlags", quint64(0x920000) } }));
    // A key the layout gives no character shows its name.
    pane.recorder->setObjectValue(QVariantMap { { "keyCode", 36 }, { "modifierFlags", 0 } });
    QCOMPARE(pane.recorder->objectValue()->value("characters"), QVariant(QStringLiteral("\u21A9")));
    // A key with neither has no characters; the numbers stay.
    pane.recorder->setObjectValue(QVariantMap { { "keyCode", 56 }, { "modifierFlags", 0 } });
    QCOMPARE(*pane.recorder->objectValue(),
        (QVariantMap { { "keyCode", qint64(56) }, { "modifierFlags", quint64(0) } }));
    // Anything else clears, and each setting is told.
    for (const QVariant &bad : { QVariant(), QVariant("Command+S"),
             QVariant(QVariantMap { { "keyCode", "1" }, { "modifierFlags", 0 } }),
             QVariant(QVariantMap { { "keyCode", 1 } }) }) {
        pane.recorder->setObjectValue(kOldValue);
        pane.recorder->setObjectValue(bad);
        QCOMPARE(pane.recorder->objectValue(), std::nullopt);
    }
    QCOMPARE(changes.count(), 11);

    pane.recorder->resize(30, 40);
    QCOMPARE(pane.recorder->size(), QSize(50, 22));
    pane.recorder->resize(120, 10);
    QCOMPARE(pane.recorder->size(), QSize(120, 22));
}

void TestRecorder::accessibility()
{
    Pane pane;
    QAccessibleInterface *access = QAccessible::queryAccessibleInterface(pane.recorder);
    QVERIFY(access);
    QCOMPARE(access->role(), QAccessible::Button);
    QCOMPARE(access->text(QAccessible::Name), QStringLiteral("Custom hot key"));
    QCOMPARE(access->text(QAccessible::Value), QStringLiteral("\u2318S"));
    QVERIFY(access->state().focusable);
    QAccessibleActionInterface *actions = access->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames(),
        (QStringList { QAccessibleActionInterface::pressAction(), QStringLiteral("Remove") }));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(pane.recorder->isEditing());
    QVERIFY(access->state().pressed);
    QCOMPARE(access->text(QAccessible::Description), QStringLiteral("Type shortcut"));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!pane.recorder->isEditing());
    actions->doAction(QStringLiteral("Remove"));
    QCOMPARE(pane.recorder->objectValue(), std::nullopt);
    QCOMPARE(access->text(QAccessible::Value), QString());
    QCOMPARE(actions->actionNames(), QStringList { QAccessibleActionInterface::pressAction() });
}

// The looks, at twice the size, for a person to look at; the pixels that
// tell them apart are checked here.
void TestRecorder::renders()
{
    Pane pane;
    pane.window.resize(240, 80);
    OVShortcutEditor &recorder = *pane.recorder;
    recorder.setFixedWidth(200);
    auto render = [&recorder](const QString &name) { return ::render(recorder, name); };
    const QRect textArea(40, 3, 120, 16);
    // Inside the remove button, clear of the field's outline.
    const QRect buttonArea(recorder.width() - 17, 5, 12, 12);

    recorder.clearFocus();
    const QImage value = render(QStringLiteral("value"));
    QVERIFY(darkPixels(value, textArea) > 40); // 15-pixel black text
    QVERIFY(darkPixels(value, buttonArea, 220) > 100); // the remove cross's grey circle

    recorder.setObjectValue(QVariant());
    const QImage empty = render(QStringLiteral("empty"));
    QCOMPARE(darkPixels(empty, textArea), 0); // the prompt is grey
    QCOMPARE(darkPixels(empty, buttonArea, 220), 0);

    recorder.setObjectValue(kOldValue);
    recorder.setFocus();
    QVERIFY(pane.start());
    const QImage recording = render(QStringLiteral("recording"));
    QCOMPARE(darkPixels(recording, textArea), 0);
    QCOMPARE(recording.pixelColor((recorder.width() - 4) * 2, 11 * 2).red(),
        recording.pixelColor((recorder.width() - 4) * 2, 11 * 2).blue()); // the grey panel
    QVERIFY(qGray(recording.pixel((recorder.width() - 6) * 2, 11 * 2)) < 240);

    QTest::keyPress(pane.recorder, Qt::Key_Shift);
    QTest::keyPress(pane.recorder, Qt::Key_Control, Qt::ShiftModifier);
    render(QStringLiteral("recording-modifiers"));
    QTest::keyRelease(pane.recorder, Qt::Key_Control, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyRelease(pane.recorder, Qt::Key_Shift, Qt::ShiftModifier);

    QTest::mousePress(pane.recorder, Qt::LeftButton, {}, pane.snapbackButton());
    const QImage snapback = render(QStringLiteral("snapback-pressed"));
    const QPoint panel((recorder.width() - 17) * 2, 11 * 2); // left of the arrow
    QVERIFY(qGray(snapback.pixel(panel)) < qGray(recording.pixel(panel))); // the panel darkens
    QTest::mouseRelease(pane.recorder, Qt::LeftButton, {}, pane.snapbackButton());
    QVERIFY(!recorder.isEditing());

    QTest::mouseMove(pane.recorder, pane.removeButton());
    QVERIFY(recorder.cell().mouseInsideTrackingArea());
    render(QStringLiteral("remove-rollover"));
    recorder.setEnabled(false);
    const QImage disabled = render(QStringLiteral("disabled"));
    QCOMPARE(darkPixels(disabled, buttonArea, 220), 0);
}

// The slide between the layers runs only with animates and style 1: 11
// ticks of 1/30 s, each adding 2/21 to its progress; editing begins (and
// ends) at the last one, so keys during the slide toward editing are idle
// keys.
void TestRecorder::transitions_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("animates");
    QTest::addColumn<int>("ticks");
    QTest::newRow("style 1, animated") << 1 << true << 11;
    QTest::newRow("style 1") << 1 << false << 0;
    QTest::newRow("style 0 does not slide") << 0 << true << 0;
    QTest::newRow("style 2 is style 0") << 2 << true << 0;
}

void TestRecorder::transitions()
{
    QFETCH(int, style);
    QFETCH(bool, animates);
    QFETCH(int, ticks);
    Pane pane;
    OVShortcutEditor &recorder = *pane.recorder;
    recorder.setStyle(style);
    recorder.setAnimates(animates);
    QCOMPARE(recorder.style(), style == 1 ? 1 : 0);
    const OVShortcutCell &cell = recorder.cell();

    auto slide = [&](bool towardsEditing) {
        for (int tick = 1; tick <= ticks; ++tick) {
            QVERIFY(cell.isAnimatingNow());
            QCOMPARE(cell.isAnimatingTowardsEditing(), towardsEditing);
            QCOMPARE(recorder.isEditing(), !towardsEditing);
            QCOMPARE(float(pane.runLoop.nextDueTime() - pane.runLoop.now()), 0.0333333f);
            QVERIFY(pane.runLoop.runNext());
            if (tick < ticks)
                QCOMPARE(float(cell.transitionProgress()), float(tick * 0.0952381));
        }
        QVERIFY(!cell.isAnimatingNow());
        QCOMPARE(cell.transitionProgress(), 0.0);
        QVERIFY(!pane.runLoop.hasPending());
    };

    QTest::keyClick(&recorder, Qt::Key_Space);
    if (ticks) {
        // A key during the slide toward editing is taken as idle: not
        // recorded, and a second Space starts the slide again.
        QVERIFY(pane.runLoop.runNext());
        QTest::keyClick(&recorder, Qt::Key_X, Qt::ShiftModifier);
        QCOMPARE(recorder.keyComboString(), std::optional<QString>(QStringLiteral("\u2318S")));
        QTest::keyClick(&recorder, Qt::Key_Space);
        QCOMPARE(cell.transitionProgress(), 0.0);
    }
    slide(true);
    QVERIFY(recorder.isEditing());

    // Recorded at once; the field slides back with the new combination.
    QTest::keyClick(&recorder, Qt::Key_X, Qt::ShiftModifier);
    QCOMPARE(recorder.keyComboString(), std::optional<QString>(QStringLiteral("\u21E7X")));
    slide(false);
    QVERIFY(!recorder.isEditing());
}

// Frames of the slide toward editing with the combination shown: the idle
// layer's text rises and fades, the editing layer's snapback panel rises
// from below and comes up to its full grey. The samples are in the panel's
// column, below and above its top edge as the ease places it.
void TestRecorder::slideFrames()
{
    Pane pane;
    OVShortcutEditor &recorder = *pane.recorder;
    recorder.setFixedWidth(200);
    recorder.setAnimates(true);
    recorder.clearFocus();
    const QImage idle = render(recorder, QStringLiteral("slide-00"));
    recorder.startRecording();
    // The panel's column right of the remove button, inside the capsule.
    const QPointF panelLow(recorder.width() - 4, 16);
    const QPointF panelHigh(recorder.width() - 4, 6);
    const QRect idleText(40, 3, 120, 16);
    QList<QImage> frames { idle };
    for (int tick = 1; tick <= 10; ++tick) {
        QVERIFY(pane.runLoop.runNext());
        frames.append(render(recorder, QStringLiteral("slide-%1").arg(tick, 2, 10, QLatin1Char('0'))));
    }
    QVERIFY(pane.runLoop.runNext());
    QVERIFY(recorder.isEditing());
    const QImage editing = render(recorder, QStringLiteral("slide-11"));

    QCOMPARE(greyAt(idle, panelLow), 255);
    QCOMPARE(greyAt(idle, panelHigh), 255);
    // Eased: after 3 ticks the panel's top has risen by 0.19 of the field
    // (a steady slide would have put it at 0.29, above this point).
    QCOMPARE(greyAt(frames[3], panelLow - QPointF(0, 0.5)), 255);
    // Half way it has risen by 0.46 and shows at 0.46 of its grey.
    QVERIFY(greyAt(frames[5], panelLow) >= 222);
    QVERIFY(greyAt(frames[5], panelLow) <= 238);
    QCOMPARE(greyAt(frames[5], panelHigh), 255);
    // After 7 it has passed the upper point (0.75; steadily only 0.67).
    QVERIFY(greyAt(frames[7], panelHigh) < 230);
    // Near the end it is at almost its full grey.
    QVERIFY(qAbs(greyAt(frames[10], panelLow) - greyAt(editing, panelLow)) <= 3);
    // The combination's black text fades: none of it is black half way.
    QVERIFY(darkPixels(idle, idleText, 40) > 20);
    QCOMPARE(darkPixels(frames[5], QRect(40, 0, 120, 20), 40), 0);
    QVERIFY(darkPixels(frames[5], QRect(40, 0, 120, 20), 160) > 20);
    QCOMPARE(darkPixels(editing, idleText, 40), 0);
}

// Style 0: idle a white rounded field with the combination and the remove
// cross; editing a capsule of the selection colour's gradient around a
// shorter white area, with the snapback button on the gradient. The
// gradient is made again when the desktop's colours change.
void TestRecorder::style0()
{
    Pane pane;
    OVShortcutEditor &recorder = *pane.recorder;
    recorder.setStyle(0);
    recorder.setFixedWidth(200);
    recorder.clearFocus();
    const QRect textArea(40, 3, 120, 16);
    const QRect buttonArea(recorder.width() - 17, 5, 12, 12);
    // Right of the white area while editing, left of the arrow.
    const QPointF onGradient(recorder.width() - 18, 3);
    const QPointF rim(1.5, 11); // the 2-point rim left of the white area

    const QImage value = render(recorder, QStringLiteral("style0-value"));
    QVERIFY(darkPixels(value, textArea) > 40);
    QVERIFY(darkPixels(value, buttonArea, 220) > 100);
    QCOMPARE(greyAt(value, onGradient), 255);

    recorder.setObjectValue(QVariant());
    const QImage empty = render(recorder, QStringLiteral("style0-empty"));
    QCOMPARE(darkPixels(empty, textArea), 0);
    QCOMPARE(darkPixels(empty, buttonArea, 220), 0);

    // The desktop's colours change as the running application hears it (a
    // test's application, not running its loop, is not told).
    auto setDesktopPalette = [&recorder](const QPalette &palette) {
        QApplication::setPalette(palette);
        QEvent change(QEvent::ApplicationPaletteChange);
        QApplication::sendEvent(&recorder, &change);
    };
    const QPalette desktop = QApplication::palette();
    QPalette red = desktop;
    red.setColor(QPalette::Highlight, QColor(200, 0, 0));
    setDesktopPalette(red);
    recorder.startRecording();
    QVERIFY(recorder.isEditing());
    const QImage editing = render(recorder, QStringLiteral("style0-editing"));
    const QColor reddish = editing.pixelColor((onGradient * 2).toPoint());
    QVERIFY(reddish.red() > 150);
    QVERIFY(reddish.green() < 80);
    QVERIFY(editing.pixelColor((rim * 2).toPoint()).red() > 150);

    QPalette blue = desktop;
    blue.setColor(QPalette::Highlight, QColor(0, 0, 200));
    setDesktopPalette(blue);
    const QImage recoloured = render(recorder, QStringLiteral("style0-editing-blue"));
    const QColor bluish = recoloured.pixelColor((onGradient * 2).toPoint());
    QVERIFY(bluish.blue() > 150);
    QVERIFY(bluish.red() < 80);
    // The gradient runs from the darker colour at the top to the lighter.
    QVERIFY(qGray(recoloured.pixel(QPointF(recorder.width() - 18, 2).toPoint() * 2))
        < qGray(recoloured.pixel(QPointF(recorder.width() - 18, 20).toPoint() * 2)));

    // The mouse over the snapback button darkens the whole capsule.
    QTest::mouseMove(&recorder, pane.snapbackButton());
    QVERIFY(recorder.cell().mouseInsideTrackingArea());
    const QImage over = render(recorder, QStringLiteral("style0-snapback-rollover"));
    QVERIFY(
        over.pixelColor((rim * 2).toPoint()).blue() < recoloured.pixelColor((rim * 2).toPoint()).blue() - 20);
    setDesktopPalette(desktop);
}

// A recorder coded and decoded into another, keyed and unkeyed. Unkeyed
// carries the autosave name, the combination and the two masks alone.
void TestRecorder::coding_data()
{
    QTest::addColumn<bool>("keyed");
    QTest::newRow("keyed") << true;
    QTest::newRow("unkeyed") << false;
}

void TestRecorder::coding()
{
    QFETCH(bool, keyed);
    Pane pane;
    OVShortcutEditor &recorder = *pane.recorder;
    recorder.setAnimates(true);
    recorder.setAllowsKeyOnly(true, true);
    recorder.setAllowedFlags(0x1E0000); // no Function
    recorder.setRequiredFlags(kShift);
    recorder.setAutosaveName(QStringLiteral("pen"));
    pane.start();
    pane.runLoop.advance(1); // the slide
    QVERIFY(recorder.isEditing());
    QTest::keyClick(&recorder, Qt::Key_K, Qt::ControlModifier);
    pane.runLoop.advance(1);
    QCOMPARE(recorder.keyCombo(), (KeyCombo { kCommand | kShift, 40 }));

    // Decoded with nothing saved under the name, the coded combination holds.
    pane.defaults.remove(QStringLiteral("ShortcutEditor pen"));
    OVShortcutEditor decoded(pane.transformer, pane.runLoop, pane.defaults, pane.alerts);
    if (keyed) {
        QVariantMap coder;
        recorder.encodeWithCoder(coder);
        QCOMPARE(coder,
            (QVariantMap { { "autosaveName", "pen" }, { "keyComboCode", qint64(40) },
                { "keyComboFlags", quint64(kCommand | kShift) }, { "allowedFlags", quint64(0x1E0000) },
                { "requiredFlags", quint64(kShift) }, { "keyChars", "k" },
                { "keyCharsIgnoringModifiers", "k" }, { "allowsKeyOnly", true }, { "escapeKeys", true },
                { "isAnimating", true }, { "style", qint64(1) } }));
        decoded.initWithCoder(coder);
    } else {
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            recorder.encodeWithCoder(out);
        }
        QDataStream in(bytes);
        QVERIFY(decoded.initWithCoder(in));
        QVERIFY(in.atEnd());
    }
    QCOMPARE(decoded.autosaveName(), QStringLiteral("pen"));
    QCOMPARE(decoded.keyCombo(), recorder.keyCombo());
    QCOMPARE(decoded.allowedFlags(), quint64(0x9E0000)); // Function always comes back
    QCOMPARE(decoded.requiredFlags(), kShift);
    QCOMPARE(decoded.style(), keyed ? 1 : 0);
    QCOMPARE(decoded.animates(), keyed);
    QCOMPARE(decoded.allowsKeyOnly(), keyed);
    QCOMPARE(decoded.escapeKeys(), keyed);
    // The characters typed travel keyed only; else the layout's.
    QCOMPARE(decoded.keyCharsIgnoringModifiers(), keyed ? QStringLiteral("k") : QStringLiteral("K"));

    // The combination saved under the name wins over the coded one.
    pane.defaults.setValue(
        QStringLiteral("ShortcutEditor pen"), QVariantMap { { "keyCode", 6 }, { "modifierFlags", kOption } });
    OVShortcutEditor again(pane.transformer, pane.runLoop, pane.defaults, pane.alerts);
    QVariantMap coder;
    recorder.encodeWithCoder(coder);
    again.initWithCoder(coder);
    QCOMPARE(again.keyCombo(), (KeyCombo { kOption | kShift, 6 }));
}

void TestRecorder::codingRefusals()
{
    Pane pane;
    OVShortcutEditor &recorder = *pane.recorder;
    // Keyed, a value of the wrong type reads as absent.
    recorder.initWithCoder(QVariantMap { { "keyComboCode", "40" }, { "keyComboFlags", -1 },
        { "allowsKeyOnly", 1 }, { "style", "1" }, { "allowedFlags", 0x20000 } });
    QCOMPARE(recorder.keyCombo(), (KeyCombo { 0, -1 }));
    QVERIFY(!recorder.allowsKeyOnly());
    QCOMPARE(recorder.style(), 0);
    QCOMPARE(recorder.allowedFlags(), quint64(0x820000));

    // Unkeyed, a stream cut short changes nothing.
    recorder.setAllowedFlags(0x9E0000);
    recorder.setObjectValue(kOldValue);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << QStringLiteral("pen") << qint16(40) << quint64(kCommand) << quint64(0x9E0000);
    }
    QDataStream in(bytes);
    QVERIFY(!recorder.initWithCoder(in));
    QCOMPARE(recorder.keyCombo(), (KeyCombo { kCommand, 1 }));
    QCOMPARE(recorder.autosaveName(), QString());
}

// A copied cell has the same state, options, delegate, autosave name and
// gradient; changing one leaves the other as it was. A slide under way goes
// on in the copy.
void TestRecorder::copyIsIndependent()
{
    Pane pane;
    OVShortcutEditor &recorder = *pane.recorder;
    OVShortcutCell &cell = recorder.cell();
    recorder.setAnimates(true);
    recorder.setAutosaveName(QStringLiteral("wheel"));
    recorder.setAllowedFlags(0x1E0000);
    recorder.setRequiredFlags(kControl);
    pane.start();
    pane.runLoop.advance(1);
    QVERIFY(recorder.isEditing());
    QTest::keyClick(&recorder, Qt::Key_K, Qt::ControlModifier);
    pane.runLoop.advance(1);

    QSignalSpy changes(&recorder, &OVShortcutEditor::shortcutEditorKeyComboDidChange);
    const std::unique_ptr<OVShortcutCell> copy = cell.copy();
    QCOMPARE(copy->keyCombo(), (KeyCombo { kCommand | kControl, 40 }));
    QCOMPARE(copy->keyChars(), QStringLiteral("k"));
    QCOMPARE(copy->autosaveName(), QStringLiteral("wheel"));
    QCOMPARE(copy->allowedFlags(), quint64(0x1E0000));
    QCOMPARE(copy->requiredFlags(), kControl);
    QCOMPARE(copy->style(), 1);
    QVERIFY(copy->animates());
    QVERIFY(copy->allowsKeyOnly());
    QCOMPARE(copy->editingGradient(), cell.editingGradient());
    QCOMPARE(changes.count(), 0);

    // The copy's change reaches the delegate, and only the copy holds it.
    copy->setAutosaveName(QString());
    copy->setKeyCombo(KeyCombo { kOption, 12 });
    copy->setAllowedFlags(kOption);
    copy->setStyle(0);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.first().at(1).value<KeyCombo>(), (KeyCombo { kOption | kControl, 12 }));
    QCOMPARE(recorder.keyCombo(), (KeyCombo { kCommand | kControl, 40 }));
    QCOMPARE(recorder.allowedFlags(), quint64(0x1E0000));
    QCOMPARE(recorder.style(), 1);
    QCOMPARE(recorder.autosaveName(), QStringLiteral("wheel"));

    recorder.setKeyCombo(KeyCombo { kShift, 7 });
    QCOMPARE(copy->keyCombo(), (KeyCombo { kOption | kControl, 12 }));

    // Copied half way through the slide toward editing: both arrive.
    recorder.startRecording();
    pane.runLoop.runNext();
    pane.runLoop.runNext();
    const std::unique_ptr<OVShortcutCell> sliding = cell.copy();
    QVERIFY(sliding->isAnimatingNow());
    QCOMPARE(sliding->transitionProgress(), cell.transitionProgress());
    pane.runLoop.advance(1);
    QVERIFY(recorder.isEditing());
    QVERIFY(sliding->isEditing());
    QVERIFY(!sliding->isAnimatingNow());
}

// After every change the value goes to the bound property, through the
// binding's transformer; what cannot be pushed is logged with the
// system's own lines.
void TestRecorder::valueBinding_data()
{
    QTest::addColumn<int>("transformer"); // 0 none, 1 given, 2 by name, 3 one-way, 4 unknown name
    QTest::addColumn<bool>("observedGone");
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<QVariant>("pushed"); // invalid: the whole value
    QTest::addColumn<QString>("message");

    const QString hotKey = QStringLiteral("hotKey");
    const QVariant whole;
    QTest::newRow("no transformer") << 0 << false << hotKey << whole << QString();
    QTest::newRow("transformer given") << 1 << false << hotKey << QVariant(qint64(12)) << QString();
    QTest::newRow("transformer by name") << 2 << false << hotKey << QVariant(qint64(12)) << QString();
    QTest::newRow("one-way transformer")
        << 3 << false << hotKey << whole
        << QStringLiteral("WARNING: value has value transformer, but it doesn't allow reverse "
                          "transformations in -[OVShortcutEditor shortcutCell:keyComboDidChange:]");
    QTest::newRow("unknown transformer name") << 4 << false << hotKey << whole << QString();
    QTest::newRow("bound object gone")
        << 0 << true << hotKey << QVariant(QStringLiteral("untouched"))
        << QStringLiteral("ERROR: NSObservedObjectKey was nil for value binding in -[OVShortcutEditor "
                          "shortcutCell:keyComboDidChange:]");
    QTest::newRow("no key path") << 0 << false << QString() << QVariant(QStringLiteral("untouched"))
                                 << QStringLiteral("ERROR: NSObservedKeyPathKey was nil for value binding in "
                                                   "-[OVShortcutEditor shortcutCell:keyComboDidChange:]");
}

void TestRecorder::valueBinding()
{
    QFETCH(int, transformer);
    QFETCH(bool, observedGone);
    QFETCH(QString, keyPath);
    QFETCH(QVariant, pushed);
    QFETCH(QString, message);
    Pane pane;
    OVShortcutEditor &recorder = *pane.recorder;
    QCOMPARE(
        OVShortcutEditor::valueClassForBinding(QStringLiteral("value")), QMetaType::fromType<QVariantMap>());

    const KeyCodeOnly keyCodeOnly;
    const OneWay oneWay;
    ValueTransformer::setValueTransformer(&keyCodeOnly, QStringLiteral("KeyCodeOnly"));
    BindingOptions options;
    if (transformer == 1)
        options.valueTransformer = &keyCodeOnly;
    else if (transformer == 2)
        options.valueTransformerName = QStringLiteral("KeyCodeOnly");
    else if (transformer == 3)
        options.valueTransformer = &oneWay;
    else if (transformer == 4)
        options.valueTransformerName = QStringLiteral("Missing");
    auto holder = std::make_unique<Holder>();
    Holder *kept = holder.get();
    recorder.bind(QStringLiteral("value"), holder.get(), keyPath, options);
    if (observedGone)
        holder.reset();

    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    if (!message.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(message));
    recorder.setObjectValue(QVariantMap { { "keyCode", 12 }, { "modifierFlags", kOption } });
    ValueTransformer::setValueTransformer(nullptr, QStringLiteral("KeyCodeOnly"));
    if (observedGone)
        return;
    const QVariantMap value { { "characters", "Q" }, { "keyCode", qint64(12) },
        { "modifierFlags", kOption } };
    QCOMPARE(kept->hotKey, pushed.isValid() ? pushed : QVariant(value));

    // Cleared, the value pushed is none; unbound, nothing more is pushed.
    if (transformer == 0 && !keyPath.isEmpty()) {
        recorder.removeShortcut();
        QVERIFY(!kept->hotKey.isValid());
        recorder.unbind(QStringLiteral("value"));
        recorder.setObjectValue(kOldValue);
        QVERIFY(!kept->hotKey.isValid());
    }
}

// The refusal's alert runs a loop of its own, in which the recorder may be
// ended (its editor closed); the key press that led there then touches it
// no more.
void TestRecorder::alertThatEndsTheRecorder()
{
    Pane pane;
    QObject::connect(pane.recorder, &OVShortcutEditor::shortcutEditorIsKeyCodeAndFlagsTaken,
        [](OVShortcutEditor *, qint64, quint64, bool *taken, QString *) { *taken = true; });
    pane.alerts.setHook([&pane](const platform::sim::ScriptedAlerts::Shown &) {
        delete pane.recorder;
        pane.recorder = nullptr;
    });
    QVERIFY(pane.start());
    sendKey(pane.recorder, QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(pane.alerts.shown().size(), size_t(1));
    QVERIFY(!pane.recorder);
}

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
