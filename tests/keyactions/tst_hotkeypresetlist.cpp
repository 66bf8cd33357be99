// The hot-key pane's list: its order, text keys and display strings, and
// which recorded combinations the pane refuses.

#include <QTest>

#include "keyactions/hotkeypresetlist.h"

using namespace keyactions;

namespace {
constexpr quint64 kShift = 0x20000;
constexpr quint64 kControl = 0x40000;
constexpr quint64 kOption = 0x80000;
constexpr quint64 kCommand = 0x100000;
} // namespace

class TestHotKeyPresetList : public QObject
{
    Q_OBJECT
private slots:
    void entries_data();
    void entries();
    void refusal_data();
    void refusal();
};

void TestHotKeyPresetList::entries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("textKey");
    QTest::addColumn<QString>("display");

    QTest::newRow("0 the recorder") << 0 << "OVHK_Custom" << "";
    QTest::newRow("1 close") << 1 << "OVHK_CloseWindow" << QString::fromUtf8("\u2318 W");
    QTest::newRow("7 zoom in") << 7 << "OVHK_ZoomIn" << QString::fromUtf8("\u2318 +");
    QTest::newRow("12 right") << 12 << "OVHK_RightArrow" << QString::fromUtf8("\u2192");
    QTest::newRow("17 control") << 17 << "OVHK_Control" << QString::fromUtf8("\u2303");
    QTest::newRow("20 option") << 20 << "OVHK_Option" << QString::fromUtf8("\u2325");
    QTest::newRow("23 hand") << 23 << "OVHK_Hand" << "Space";
    QTest::newRow("25 page down") << 25 << "OVHK_PageDown" << QString::fromUtf8("\u21DF");
    QTest::newRow("27 backward") << 27 << "OVHK_Backwrad" << QString::fromUtf8("\u2318 [");
    QTest::newRow("29 enter as text") << 29 << "OVHK_Enter" << QString::fromUtf8("\u21A9\uFE0E");
    QTest::newRow("32 escape") << 32 << "OVHK_Esc" << QString::fromUtf8("\u238B");
    QTest::newRow("36 new layer") << 36 << "OVHK_NewLayer" << QString::fromUtf8("\u21E7 \u2318 N");
    QTest::newRow("39 rectangle") << 39 << "OVHK_RectangleTool" << "U";
}

void TestHotKeyPresetList::entries()
{
    QFETCH(int, index);
    QFETCH(QString, textKey);
    QFETCH(QString, display);

    QCOMPARE(hotKeyTextKey(index), textKey);
    QCOMPARE(hotKeyDisplayString(quint64(index)), std::optional(display));
    // Past the list: nothing.
    QVERIFY(!hotKeyDisplayString(40));
    QVERIFY(hotKeyTextKey(40).isNull());
    QVERIFY(hotKeyTextKey(-1).isNull());
}

void TestHotKeyPresetList::refusal_data()
{
    QTest::addColumn<bool>("pen");
    QTest::addColumn<qint64>("keyCode");
    QTest::addColumn<quint64>("flags");
    QTest::addColumn<QString>("reason"); // empty: accepted

    QTest::newRow("Command-C") << false << qint64(8) << kCommand << "OVSEReason";
    QTest::newRow("Command-Option-C") << false << qint64(8) << (kCommand | kOption) << "OVSEReason";
    QTest::newRow("Command-Control-keypad +") << false << qint64(69) << (kCommand | kControl) << "OVSEReason";
    QTest::newRow("Command-Shift-C") << false << qint64(8) << (kCommand | kShift) << "";
    QTest::newRow("Command-Shift-N") << false << qint64(45) << (kCommand | kShift) << "OVSEReason";
    QTest::newRow("Command-K") << false << qint64(40) << kCommand << "";
    QTest::newRow("B") << false << qint64(11) << quint64(0) << "OVSEReason";
    QTest::newRow("Shift-B") << false << qint64(11) << kShift << "OVSEReason";
    QTest::newRow("Control-Page Down") << false << qint64(121) << kControl << "OVSEReason";
    QTest::newRow("Control-Option-K") << false << qint64(40) << (kControl | kOption) << "";
    QTest::newRow("Shift key, express key") << false << qint64(56) << kShift << "OVSEReason";
    QTest::newRow("Shift key, pen") << true << qint64(56) << kShift << "OVSEReason2";
    QTest::newRow("Command key with Command, pen") << true << qint64(55) << kCommand << "OVSEReason2";
    QTest::newRow("Option key, pen") << true << qint64(58) << quint64(0) << "OVSEReason2";
    QTest::newRow("Control key, pen") << true << qint64(59) << quint64(0) << "OVSEReason";
    QTest::newRow("F5, pen") << true << qint64(96) << quint64(0) << "";
}

void TestHotKeyPresetList::refusal()
{
    QFETCH(bool, pen);
    QFETCH(qint64, keyCode);
    QFETCH(quint64, flags);
    QFETCH(QString, reason);

    const std::optional<QLatin1String> refused = hotKeyRefusal(pen, keyCode, flags);
    QCOMPARE(refused ? QString(*refused) : QString(), reason);
}

QTEST_GUILESS_MAIN(TestHotKeyPresetList)
#include "tst_hotkeypresetlist.moc"
