#include <QTest>

#include "driver/screencheck.h"
#include "platform/sim/simdesktop.h"
#include "platform/support_displays.h"
#include "store/ovpublicdefine.h"

using namespace driver;
using platform::DisplayInfo;

Q_DECLARE_METATYPE(QList<platform::DisplayInfo>)

namespace {

const QString kPenDisplayNames = QStringLiteral("Sorvi22 GT-220 OVD22");

// The displays of these tests come from one vendor unless they say another.
DisplayInfo display(quint32 id, const QRectF &bounds, const QString &name, bool main = false,
                    bool builtin = false, quint32 vendor = 0x4C2D)
{
    return displayInfo(id, bounds, name, main, builtin, vendor);
}

QVariantMap monitorConfig(const QVariant &name, const QVariant &number)
{
    QVariantMap monitor{{store::OVCFGMonitorMap, quint64(2)}};
    if (name.isValid())
        monitor.insert(store::OVCFGMonitorName, name);
    if (number.isValid())
        monitor.insert(store::OVCFGMonitorNumber, number);
    return {{store::OVCFGMonitor, monitor}};
}

// Answers every rotation with a refusal.
class RefusingDisplays : public platform::sim::SimDisplays
{
public:
    bool setRotation(quint32, int) override { return false; }
};

} // namespace

class TestScreenCheck : public QObject
{
    Q_OBJECT
private slots:
    void unionFrame_data();
    void unionFrame();
    void records();
    void refindPenDisplay_data();
    void refindPenDisplay();
    void rotateDisplay_data();
    void rotateDisplay();
    void rotationRefused();
};

void TestScreenCheck::unionFrame_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<QRectF>("expected");
    QTest::addColumn<double>("mainHeight");

    const DisplayInfo main = display(1, QRectF(0, 0, 1440, 900), "Built-in", true, true);
    QTest::newRow("main display only") << QList<DisplayInfo>{main} << QRectF(0, 0, 1440, 900)
                                       << 900.0;
    QTest::newRow("second display on the left")
        << QList<DisplayInfo>{main, display(2, QRectF(-1920, 0, 1920, 1080), "DELL")}
        << QRectF(-1920, 0, 3360, 1080) << 900.0;
    QTest::newRow("second display on the right, lower")
        << QList<DisplayInfo>{main, display(2, QRectF(1440, 200, 1920, 1080), "DELL")}
        << QRectF(0, 0, 3360, 1280) << 900.0;
    // (0, 0) always counts, even when no display covers it.
    QTest::newRow("one display away from the origin")
        << QList<DisplayInfo>{display(3, QRectF(100, 50, 800, 600), "DELL")}
        << QRectF(0, 0, 900, 650) << 0.0;
    QTest::newRow("no screens") << QList<DisplayInfo>{} << QRectF() << 0.0;
}

void TestScreenCheck::unionFrame()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(QRectF, expected);
    QFETCH(double, mainHeight);
    const ScreenCheckResult result = checkScreens(displays, QVariantMap());
    QCOMPARE(result.screens.ovMTFrame, expected);
    QCOMPARE(result.screens.mainDisplayHeight, mainHeight);
    QCOMPARE(result.screens.ovScreens.size(), displays.size());
    QVERIFY(!result.monitorNumber);
}

void TestScreenCheck::records()
{
    const QList<DisplayInfo> displays = {
        display(1, QRectF(0, 0, 1440, 900), "Color LCD", true, true),
        display(5, QRectF(1440, 0, 1920, 1080), QString(), false, false, 0x10AC),
        display(5, QRectF(0, 900, 800, 600), "Twin"),
        display(6, QRectF(-800, 0, 800, 600), QString(), false, false, 0x5A),
    };
    const QList<store::OVScreen> screens = checkScreens(displays, QVariantMap()).screens.ovScreens;
    QCOMPARE(screens.size(), 4);
    QCOMPARE(screens[0].number(), 1u);
    QCOMPARE(screens[0].name(), QStringLiteral("Color LCD"));
    QCOMPARE(screens[0].frame(), QRectF(0, 0, 1440, 900));
    QCOMPARE(screens[1].name(), QStringLiteral("Unknow (10AC)"));
    QCOMPARE(screens[1].frame(), QRectF(1440, 0, 1920, 1080));
    // A second record under an identifier already listed keeps a zero frame.
    QCOMPARE(screens[2].number(), 5u);
    QCOMPARE(screens[2].frame(), QRectF());
    QCOMPARE(screens[3].name(), QStringLiteral("Unknow (  5A)"));
}

void TestScreenCheck::refindPenDisplay_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<QVariant>("number");
    QTest::addColumn<std::optional<quint32>>("written");

    const DisplayInfo builtIn = display(1, QRectF(0, 0, 1440, 900), "Color LCD", true, true);
    const DisplayInfo dell = display(2, QRectF(1440, 0, 1920, 1080), "DELL U2720Q");
    const DisplayInfo pen = display(9, QRectF(-1920, 0, 1920, 1080), "GT-220");
    const DisplayInfo unnamed = display(3, QRectF(0, 900, 800, 600), QString());
    const QList<DisplayInfo> withPen = {builtIn, dell, pen};
    const QVariant names = kPenDisplayNames;

    QTest::newRow("saved number online") << withPen << names << QVariant(quint64(2))
                                         << std::optional<quint32>();
    QTest::newRow("re-plugged under a new identifier")
        << withPen << names << QVariant(quint64(7)) << std::optional<quint32>(9);
    QTest::newRow("never set: looked up by name")
        << withPen << names << QVariant(quint64(0)) << std::optional<quint32>(9);
    QTest::newRow("number absent") << withPen << names << QVariant() << std::optional<quint32>(9);
    QTest::newRow("number in the high bits only: 0")
        << withPen << names << QVariant(quint64(0x100000000)) << std::optional<quint32>(9);
    QTest::newRow("a display without a name: first not built in")
        << QList<DisplayInfo>{builtIn, dell, unnamed, pen} << names << QVariant(quint64(0))
        << std::optional<quint32>(2);
    QTest::newRow("pen display not connected")
        << QList<DisplayInfo>{builtIn, dell} << names << QVariant(quint64(9))
        << std::optional<quint32>();
    QTest::newRow("a tablet never looks") << withPen << QVariant() << QVariant(quint64(0))
                                          << std::optional<quint32>();
    QTest::newRow("name not text: a tablet")
        << withPen << QVariant(qint64(5)) << QVariant(quint64(0)) << std::optional<quint32>();
}

void TestScreenCheck::refindPenDisplay()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(QVariant, name);
    QFETCH(QVariant, number);
    QFETCH(std::optional<quint32>, written);
    const ScreenCheckResult result = checkScreens(displays, monitorConfig(name, number));
    QCOMPARE(result.monitorNumber, written);
    // The list is rebuilt whatever the pen display's fate.
    QCOMPARE(result.screens.ovScreens.size(), displays.size());
}

void TestScreenCheck::rotateDisplay_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<quint64>("orientation");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<quint32>("id");
    QTest::addColumn<int>("degrees");

    const DisplayInfo builtIn = display(1, QRectF(0, 0, 1440, 900), "Color LCD", true, true);
    const DisplayInfo pen = display(9, QRectF(1440, 0, 1920, 1080), "GT-220");
    const int rotated = int(RotateOutcome::Rotated);
    for (quint64 o : {0, 1, 2, 3}) {
        QTest::addRow("orientation %d", int(o)) << QList<DisplayInfo>{builtIn, pen} << o << rotated
                                                << 9u << int(o) * 90;
    }
    QTest::newRow("orientation 6 turns to 0") << QList<DisplayInfo>{builtIn, pen} << quint64(6)
                                              << rotated << 9u << 0;
    QTest::newRow("a display without a name, not built in")
        << QList<DisplayInfo>{builtIn, display(4, QRectF(), QString()), pen} << quint64(1)
        << rotated << 4u << 90;
    QTest::newRow("built in without a name is not it")
        << QList<DisplayInfo>{display(4, QRectF(), QString(), true, true), pen} << quint64(1)
        << rotated << 9u << 90;
    QList<DisplayInfo> many;
    for (quint32 id = 1; id <= 6; ++id)
        many.append(display(id, QRectF(), QStringLiteral("DELL")));
    many.append(pen);
    QTest::newRow("the seventh display is not asked")
        << many << quint64(1) << int(RotateOutcome::NoDisplay) << 0u << 0;
    QTest::newRow("not connected") << QList<DisplayInfo>{builtIn} << quint64(1)
                                   << int(RotateOutcome::NoDisplay) << 0u << 0;
}

void TestScreenCheck::rotateDisplay()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(quint64, orientation);
    QFETCH(int, outcome);
    QFETCH(quint32, id);
    QFETCH(int, degrees);
    platform::sim::SimDisplays sim;
    for (const DisplayInfo &d : displays)
        sim.setDisplay(d);
    QCOMPARE(int(driver::rotateDisplay(sim, kPenDisplayNames, orientation)), outcome);
    if (outcome == int(RotateOutcome::Rotated)) {
        QCOMPARE(sim.rotationRequests().size(), size_t(1));
        QCOMPARE(sim.rotationRequests()[0].first, id);
        QCOMPARE(sim.rotationRequests()[0].second, degrees);
    } else {
        QVERIFY(sim.rotationRequests().empty());
    }
}

void TestScreenCheck::rotationRefused()
{
    RefusingDisplays displays;
    displays.setDisplay(display(9, QRectF(0, 0, 1920, 1080), "GT-220", true));
    QCOMPARE(driver::rotateDisplay(displays, kPenDisplayNames, 2), RotateOutcome::Refused);
}

QTEST_GUILESS_MAIN(TestScreenCheck)
#include "tst_screencheck.moc"
