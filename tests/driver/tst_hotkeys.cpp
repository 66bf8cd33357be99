// The fixed keyboard actions and the numbered lists that select them.

#include <QTest>

#include "driver/hotkeys.h"

using driver::HotKey;

Q_DECLARE_METATYPE(HotKey)
Q_DECLARE_METATYPE(std::optional<HotKey>)

namespace {
constexpr quint64 kNone = 0x100;
constexpr quint64 kCommand = 0x100000;
constexpr quint64 kCommandShift = 0x120000;
} // namespace

class TstHotKeys : public QObject
{
    Q_OBJECT

private slots:
    void keyTable_data();
    void keyTable();
    void presetIndex_data();
    void presetIndex();
    void presetList();
    void noKeyActions_data();
    void noKeyActions();
    void expressKeyIndex_data();
    void expressKeyIndex();
    void wheelIndex_data();
    void wheelIndex();
    void listTexts();
};

void TstHotKeys::keyTable_data()
{
    QTest::addColumn<HotKey>("action");
    QTest::addColumn<QString>("textKey");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<quint64>("flags");

    // Pairs that share a key and differ in flags, and the ones with two flags.
    QTest::newRow("pen: bare P") << HotKey::Pen << "OVHK_Pen" << 35 << kNone;
    QTest::newRow("print: Command-P") << HotKey::Print << "OVHK_Print" << 35 << kCommand;
    QTest::newRow("undo: Command-Z") << HotKey::Undo << "OVHK_Undo" << 6 << kCommand;
    QTest::newRow("redo: Command-Shift-Z") << HotKey::Redo << "OVHK_Redo" << 6 << kCommandShift;
    QTest::newRow("new: Command-N") << HotKey::New << "OVHK_New" << 45 << kCommand;
    QTest::newRow("new layer: Command-Shift-N") << HotKey::NewLayer << "OVHK_NewLayer" << 45 << kCommandShift;
    QTest::newRow("brush size +: bare ]") << HotKey::BrushSizePlus << "OVHK_BrushSize+" << 30 << kNone;
    QTest::newRow("forward: Command-]") << HotKey::Forward << "OVHK_Forward" << 30 << kCommand;
    QTest::newRow("layer up: Command-]") << HotKey::LayerUp << "OVHK_LayerUp" << 30 << kCommand;
    QTest::newRow("backward: Command-[") << HotKey::Backwrad << "OVHK_Backwrad" << 33 << kCommand;
    QTest::newRow("minimize: Command-M") << HotKey::Minimize << "OVHK_Minimize" << 46 << kCommand;
    QTest::newRow("marquee: bare M") << HotKey::MarqueeTool << "OVHK_MarqueeTool" << 46 << kNone;
    QTest::newRow("zoom out: Command-keypad minus") << HotKey::ZoomOut << "OVHK_ZoomOut" << 78 << kCommand;
    QTest::newRow("zoom in: Command-keypad plus") << HotKey::ZoomIn << "OVHK_ZoomIn" << 69 << kCommand;
    // Two eyedroppers under one text: Option held, or I tapped.
    QTest::newRow("eyedropper: Option") << HotKey::EyedropperTool << "OVHK_EyedropperTool" << 58 << kNone;
    QTest::newRow("eyedropper: I") << HotKey::EyedropperTool_I << "OVHK_EyedropperTool" << 34 << kNone;
    QTest::newRow("close window: Command-W") << HotKey::CloseWin << "OVHK_CloseWindow" << 13 << kCommand;
    QTest::newRow("enter: keypad enter") << HotKey::Enter << "OVHK_Enter" << 76 << kNone;
    QTest::newRow("page down") << HotKey::PageDown << "OVHK_PageDown" << 121 << kNone;
    QTest::newRow("volume minus: the volume-down key")
        << HotKey::iTunesVolumeMinus << "OVHK_iTunesVolumeMinus" << 73 << kNone;
    QTest::newRow("command key alone") << HotKey::Command << "OVHK_Command" << 55 << kNone;
    QTest::newRow("control key alone") << HotKey::Control << "OVHK_Control" << 59 << kNone;
    // The rest of the table, each key once.
    QTest::newRow("eraser: bare E") << HotKey::Eraser << "OVHK_Eraser" << 14 << kNone;
    QTest::newRow("cut: Command-X") << HotKey::Cut << "OVHK_Cut" << 7 << kCommand;
    QTest::newRow("copy: Command-C") << HotKey::Copy << "OVHK_Copy" << 8 << kCommand;
    QTest::newRow("paste: Command-V") << HotKey::Paste << "OVHK_Paste" << 9 << kCommand;
    QTest::newRow("group: Command-G") << HotKey::Group << "OVHK_Group" << 5 << kCommand;
    QTest::newRow("save: Command-S") << HotKey::Save << "OVHK_Save" << 1 << kCommand;
    QTest::newRow("up arrow") << HotKey::ArrowUp << "OVHK_UpArrow" << 126 << kNone;
    QTest::newRow("down arrow") << HotKey::ArrowDown << "OVHK_DownArrow" << 125 << kNone;
    QTest::newRow("left arrow") << HotKey::ArrowLeft << "OVHK_LeftArrow" << 123 << kNone;
    QTest::newRow("right arrow") << HotKey::ArrowRight << "OVHK_RightArrow" << 124 << kNone;
    QTest::newRow("open: Command-O") << HotKey::Open << "OVHK_Open" << 31 << kCommand;
    QTest::newRow("shift key alone") << HotKey::Shift << "OVHK_Shift" << 56 << kNone;
    QTest::newRow("option key alone") << HotKey::Option << "OVHK_Option" << 58 << kNone;
    QTest::newRow("hand: space") << HotKey::Hand << "OVHK_Hand" << 49 << kNone;
    QTest::newRow("page up") << HotKey::PageUp << "OVHK_PageUp" << 116 << kNone;
    QTest::newRow("find: Command-F") << HotKey::Find << "OVHK_Find" << 3 << kCommand;
    QTest::newRow("exit: Command-Q") << HotKey::Exit << "OVHK_Exit" << 12 << kCommand;
    QTest::newRow("escape") << HotKey::Esc << "OVHK_Esc" << 53 << kNone;
    QTest::newRow("brush size -: bare [") << HotKey::BrushSizeMinus << "OVHK_BrushSize-" << 33 << kNone;
    QTest::newRow("brush tool: bare B") << HotKey::BrushTool << "OVHK_BrushTool" << 11 << kNone;
    QTest::newRow("rectangle tool: bare U") << HotKey::RectangleTool << "OVHK_RectangleTool" << 32 << kNone;
    QTest::newRow("volume plus: the volume-up key")
        << HotKey::iTunesVolumePlus << "OVHK_iTunesVolumePlus" << 72 << kNone;
    QTest::newRow("layer down: Command-[") << HotKey::LayerDown << "OVHK_LayerDown" << 33 << kCommand;
}

void TstHotKeys::keyTable()
{
    QFETCH(HotKey, action);
    QFETCH(QString, textKey);
    QFETCH(int, keyCode);
    QFETCH(quint64, flags);

    const driver::HotKeyInfo info = driver::hotKeyInfo(action);
    QCOMPARE(QString::fromLatin1(info.textKey), textKey);
    QCOMPARE(int(info.keyCode), keyCode);
    QCOMPARE(info.flags, flags);
    QVERIFY(driver::postsKey(action));
}

void TstHotKeys::presetIndex_data()
{
    QTest::addColumn<quint64>("index");
    QTest::addColumn<std::optional<HotKey>>("expected");

    QTest::newRow("0: recorded combination") << quint64(0) << std::optional(HotKey::Custom);
    QTest::newRow("1: close window") << quint64(1) << std::optional(HotKey::CloseWin);
    QTest::newRow("16: undo") << quint64(16) << std::optional(HotKey::Undo);
    QTest::newRow("18: shift") << quint64(18) << std::optional(HotKey::Shift);
    QTest::newRow("21: pen") << quint64(21) << std::optional(HotKey::Pen);
    QTest::newRow("22: eraser") << quint64(22) << std::optional(HotKey::Eraser);
    QTest::newRow("37: eyedropper taps I") << quint64(37) << std::optional(HotKey::EyedropperTool_I);
    QTest::newRow("39: rectangle tool") << quint64(39) << std::optional(HotKey::RectangleTool);
    QTest::newRow("40: past the list") << quint64(40) << std::optional<HotKey>();
    QTest::newRow("huge") << ~quint64(0) << std::optional<HotKey>();
}

void TstHotKeys::presetIndex()
{
    QFETCH(quint64, index);
    QFETCH(std::optional<HotKey>, expected);
    QCOMPARE(driver::hotKeyForPresetIndex(index), expected);
}

void TstHotKeys::presetList()
{
    // The whole hot-key list in the settings page's order; a swapped pair
    // would post the neighbour's key.
    const QList<HotKey> expected { HotKey::Custom, HotKey::CloseWin, HotKey::Cut, HotKey::Copy, HotKey::Paste,
        HotKey::Group, HotKey::ZoomOut, HotKey::ZoomIn, HotKey::Save, HotKey::ArrowUp, HotKey::ArrowDown,
        HotKey::ArrowLeft, HotKey::ArrowRight, HotKey::New, HotKey::Open, HotKey::Print, HotKey::Undo,
        HotKey::Control, HotKey::Shift, HotKey::Command, HotKey::Option, HotKey::Pen, HotKey::Eraser,
        HotKey::Hand, HotKey::PageUp, HotKey::PageDown, HotKey::Forward, HotKey::Backwrad, HotKey::Find,
        HotKey::Enter, HotKey::Exit, HotKey::Minimize, HotKey::Esc, HotKey::BrushSizePlus,
        HotKey::BrushSizeMinus, HotKey::BrushTool, HotKey::NewLayer, HotKey::EyedropperTool_I,
        HotKey::MarqueeTool, HotKey::RectangleTool };
    QList<HotKey> actual;
    for (quint64 index = 0; const std::optional<HotKey> action = driver::hotKeyForPresetIndex(index); ++index)
        actual << *action;
    QCOMPARE(actual, expected);
}

void TstHotKeys::noKeyActions_data()
{
    QTest::addColumn<HotKey>("action");
    QTest::addColumn<QString>("textKey");

    QTest::newRow("scroll up names page up") << HotKey::PageUp2 << "OVHK_PageUp";
    QTest::newRow("scroll down names page down") << HotKey::PageDown2 << "OVHK_PageDown";
    QTest::newRow("settings") << HotKey::ShowUI << "OVHK_ShowUI";
}

void TstHotKeys::noKeyActions()
{
    QFETCH(HotKey, action);
    QFETCH(QString, textKey);
    QCOMPARE(QString::fromLatin1(driver::hotKeyInfo(action).textKey), textKey);
    QVERIFY(!driver::postsKey(action));
}

void TstHotKeys::expressKeyIndex_data()
{
    QTest::addColumn<quint64>("index");
    QTest::addColumn<std::optional<HotKey>>("expected");

    QTest::newRow("0: no action") << quint64(0) << std::optional<HotKey>();
    QTest::newRow("1: settings") << quint64(1) << std::optional(HotKey::ShowUI);
    QTest::newRow("2: zoom in") << quint64(2) << std::optional(HotKey::ZoomIn);
    QTest::newRow("9: eyedropper holds Option") << quint64(9) << std::optional(HotKey::EyedropperTool);
    QTest::newRow("10: hand") << quint64(10) << std::optional(HotKey::Hand);
    QTest::newRow("11: custom, not a hot key") << quint64(11) << std::optional<HotKey>();
    QTest::newRow("12") << quint64(12) << std::optional<HotKey>();
}

void TstHotKeys::expressKeyIndex()
{
    QFETCH(quint64, index);
    QFETCH(std::optional<HotKey>, expected);
    QCOMPARE(driver::hotKeyForExpressKeyIndex(index), expected);
}

void TstHotKeys::wheelIndex_data()
{
    QTest::addColumn<quint64>("index");
    QTest::addColumn<std::optional<HotKey>>("counterClockwise");
    QTest::addColumn<std::optional<HotKey>>("clockwise");

    QTest::newRow("0: no action") << quint64(0) << std::optional<HotKey>() << std::optional<HotKey>();
    QTest::newRow("1: scroll") << quint64(1) << std::optional(HotKey::PageUp2)
                               << std::optional(HotKey::PageDown2);
    QTest::newRow("2: canvas zoom") << quint64(2) << std::optional(HotKey::ZoomOut)
                                    << std::optional(HotKey::ZoomIn);
    QTest::newRow("8: backward, forward")
        << quint64(8) << std::optional(HotKey::Backwrad) << std::optional(HotKey::Forward);
    QTest::newRow("9: layer down, up")
        << quint64(9) << std::optional(HotKey::LayerDown) << std::optional(HotKey::LayerUp);
    QTest::newRow("10: undo, redo") << quint64(10) << std::optional(HotKey::Undo)
                                    << std::optional(HotKey::Redo);
    QTest::newRow("11: custom") << quint64(11) << std::optional<HotKey>() << std::optional<HotKey>();
}

void TstHotKeys::wheelIndex()
{
    QFETCH(quint64, index);
    QFETCH(std::optional<HotKey>, counterClockwise);
    QFETCH(std::optional<HotKey>, clockwise);
    QCOMPARE(driver::hotKeyForWheelIndex(index, false), counterClockwise);
    QCOMPARE(driver::hotKeyForWheelIndex(index, true), clockwise);
}

void TstHotKeys::listTexts()
{
    QCOMPARE(QString::fromLatin1(driver::expressKeyTextKey(0)), QStringLiteral("OVHK_NoAction"));
    QCOMPARE(QString::fromLatin1(driver::expressKeyTextKey(10)), QStringLiteral("OVHK_Hand"));
    QCOMPARE(driver::expressKeyTextKey(11), nullptr);
    QCOMPARE(QString::fromLatin1(driver::wheelFunctionTextKey(5)), QStringLiteral("OVRK_iTunesVolume"));
    QCOMPARE(QString::fromLatin1(driver::wheelFunctionTextKey(10)), QStringLiteral("OVRK_URDo"));
    QCOMPARE(driver::wheelFunctionTextKey(11), nullptr);
}

QTEST_GUILESS_MAIN(TstHotKeys)
#include "tst_hotkeys.moc"
