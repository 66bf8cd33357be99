// What the monitor page makes of the platform's displays: made-up names,
// frames turned into the settings application's space (origin bottom-left of
// the main display, y up) with their union, the pen display found again,
// one pop-up title per display, the reset portion, and a portion kept
// inside the desktop.

#include <QTest>

#include "settings/areageometry.h"
#include "settings/monitorscreens.h"
#include "support_widgets.h"

using platform::DisplayInfo;
using namespace settings::monitor;

namespace {

const DisplayLabels kLabels { QStringLiteral("Built-in display"), QStringLiteral("External display"),
    QStringLiteral("main") };

} // namespace

Q_DECLARE_METATYPE(DisplayInfo)
Q_DECLARE_METATYPE(std::optional<quint32>)

class TestMonitorScreens : public QObject
{
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void frames_data();
    void frames();
    void refind_data();
    void refind();
    void titles();
    void resetAndKeepInside();
};

void TestMonitorScreens::names_data()
{
    QTest::addColumn<DisplayInfo>("info");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("madeUp");

    const QRectF r(0, 0, 1920, 1080);
    QTest::newRow("product name") << displayInfo(1, r, "DELL U2720Q", true) << "DELL U2720Q" << false;
    QTest::newRow("built-in main") << displayInfo(1, r, "", true, true) << "Built-in display (main)" << true;
    QTest::newRow("built-in") << displayInfo(1, r, "", false, true) << "Built-in display" << true;
    QTest::newRow("external main") << displayInfo(1, r, "", true, false, 0x10AC)
                                   << "External display (main) [10AC]" << true;
    QTest::newRow("external, padded to four") << displayInfo(1, r, "", false, false, 0xAB)
                                              << "External display [  AB]" << true;
    QTest::newRow("the maker's own panel")
        << displayInfo(1, r, "", false, false, kMakerDisplayVendor) << "External display [Orvane]" << true;
}

void TestMonitorScreens::names()
{
    QFETCH(DisplayInfo, info);
    QFETCH(QString, name);
    QFETCH(bool, madeUp);
    bool made = !madeUp;
    QCOMPARE(displayName(info, kLabels, &made), name);
    QCOMPARE(made, madeUp);
    QCOMPARE(listScreens({ info }, kLabels).screens.first().unknowName(), madeUp);
}

void TestMonitorScreens::frames_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<QList<QRectF>>("frames");
    QTest::addColumn<QRectF>("totalFrame");
    QTest::addColumn<std::optional<quint32>>("mainNum");

    // Bounds top-left, y down, as the platform gives them.
    const DisplayInfo main = displayInfo(1, QRectF(0, 0, 1920, 1080), "Main", true);
    QTest::newRow("one display") << QList { main } << QList { QRectF(0, 0, 1920, 1080) }
                                 << QRectF(0, 0, 1920, 1080) << std::optional<quint32>(1);
    QTest::newRow("side by side, lower one's top aligned")
        << QList { main, displayInfo(2, QRectF(1920, 0, 1280, 1024), "Right") }
        << QList { QRectF(0, 0, 1920, 1080), QRectF(1920, 56, 1280, 1024) } << QRectF(0, 0, 3200, 1080)
        << std::optional<quint32>(1);
    QTest::newRow("stacked, the second above")
        << QList { displayInfo(2, QRectF(0, -1080, 1920, 1080), "Top"), main }
        << QList { QRectF(0, 1080, 1920, 1080), QRectF(0, 0, 1920, 1080) } << QRectF(0, 0, 1920, 2160)
        << std::optional<quint32>(1);
    QTest::newRow("below at a negative offset")
        << QList { main, displayInfo(2, QRectF(-400, 1080, 1280, 720), "Below") }
        << QList { QRectF(0, 0, 1920, 1080), QRectF(-400, -720, 1280, 720) } << QRectF(-400, -720, 2320, 1800)
        << std::optional<quint32>(1);
    // The union starts from (0, 0) even when no display holds it; without a
    // main display the frames are turned over a height of 0, as the driver does.
    QTest::newRow("no main display") << QList { displayInfo(2, QRectF(100, 100, 1280, 720), "Other") }
                                     << QList { QRectF(100, -820, 1280, 720) } << QRectF(0, -820, 1380, 820)
                                     << std::optional<quint32>();
    QTest::newRow("no display") << QList<DisplayInfo>() << QList<QRectF>() << QRectF() << std::optional<quint32>();
}

void TestMonitorScreens::frames()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(QList<QRectF>, frames);
    QFETCH(QRectF, totalFrame);
    QFETCH(std::optional<quint32>, mainNum);

    const ScreenList list = listScreens(displays, kLabels);
    QList<QRectF> got;
    for (const store::OVScreen &screen : list.screens)
        got << screen.frame();
    QCOMPARE(got, frames);
    QCOMPARE(list.totalFrame, totalFrame);
    QCOMPARE(list.mainNum, mainNum);
    // The driver's turn of the stored portion is the same function: a frame
    // turned back is the display's bounds.
    for (qsizetype i = 0; i < displays.size() && mainNum; ++i)
        QCOMPARE(frameBottomLeft(list.screens[i].frame(), list.mainFrame.height()), displays[i].bounds);
}

void TestMonitorScreens::refind_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<std::optional<quint32>>("found");

    const DisplayInfo lcd = displayInfo(1, QRectF(0, 0, 1920, 1080), "Color LCD", true, true);
    const DisplayInfo pen = displayInfo(7, QRectF(1920, 0, 1920, 1080), "SV22");
    const DisplayInfo unnamed = displayInfo(9, QRectF(-1920, 0, 1920, 1080), "", false, false, 0x10AC);
    const DisplayInfo unnamedBuiltIn = displayInfo(1, QRectF(0, 0, 1920, 1080), "", true, true);
    QTest::newRow("none stored: by its name") << QList { lcd, pen } << 0u << std::optional<quint32>(7);
    QTest::newRow("stored and listed: nothing") << QList { lcd, pen } << 7u << std::optional<quint32>();
    QTest::newRow("replugged under a new id") << QList { lcd, pen } << 5u << std::optional<quint32>(7);
    QTest::newRow("an unnamed external display fits")
        << QList { lcd, unnamed, pen } << 0u << std::optional<quint32>(9);
    QTest::newRow("an unnamed built-in one does not")
        << QList { unnamedBuiltIn, pen } << 0u << std::optional<quint32>(7);
    QTest::newRow("unplugged: nothing fits") << QList { lcd } << 7u << std::optional<quint32>();
}

void TestMonitorScreens::refind()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(quint32, stored);
    QFETCH(std::optional<quint32>, found);
    QCOMPARE(refindPenDisplay(listScreens(displays, kLabels), QStringLiteral("Sorvi22 SV22"), stored), found);
}

void TestMonitorScreens::titles()
{
    const auto screens = [](const QStringList &names) {
        QList<store::OVScreen> list;
        for (const QString &name : names) {
            store::OVScreen s;
            s.setName(name);
            list << s;
        }
        return list;
    };
    QCOMPARE(popupTitles(screens({ "DELL U2720Q", "DELL U2720Q", "LG", "DELL U2720Q" })),
        QStringList({ "DELL U2720Q", "DELL U2720Q (2)", "LG", "DELL U2720Q (3)" }));
    // A real name that looks like a numbered one, and a fixed item's title.
    QCOMPARE(popupTitles(screens({ "A (2)", "A", "A" })), QStringList({ "A (2)", "A", "A (3)" }));
    QCOMPARE(popupTitles(screens({ "All displays" }), { "All displays" }), QStringList({ "All displays (2)" }));
}

void TestMonitorScreens::resetAndKeepInside()
{
    QCOMPARE(resetPortion(QRectF(0, 0, 1920, 1080)), std::optional(QRectF(0, 0, 1280, 720)));
    QCOMPARE(resetPortion(QRectF(0, 0, 1024, 768)), std::optional(QRectF(0, 0, 1280, 960)));
    QCOMPARE(resetPortion(QRectF(0, 0, 0, 768)), std::nullopt);
    QCOMPARE(resetPortion(QRectF(0, 0, qInf(), 768)), std::nullopt);

    using settings::area::insideArea;
    using settings::area::keepInside;
    const QRectF desktop(0, 0, 1024, 768);
    QCOMPARE(keepInside(QRectF(0, 0, 1280, 960), desktop), desktop);
    QCOMPARE(keepInside(QRectF(100, 50, 320, 180), desktop), QRectF(100, 50, 320, 180));
    QCOMPARE(keepInside(QRectF(900, 700, 320, 180), desktop), QRectF(704, 588, 320, 180));
    QCOMPARE(keepInside(QRectF(-50, -50, 320, 180), QRectF(-400, -720, 2320, 1800)), QRectF(-50, -50, 320, 180));
    QVERIFY(insideArea(desktop, desktop));
    QVERIFY(!insideArea(QRectF(1, 0, 1024, 768), desktop));
    QVERIFY(!insideArea(QRectF(0, -1, 10, 10), desktop));
}

QTEST_GUILESS_MAIN(TestMonitorScreens)
#include "tst_monitorscreens.moc"
