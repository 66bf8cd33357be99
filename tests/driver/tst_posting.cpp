#include <memory>

#include <QTest>

#include "driver/eventposting.h"
#include "driver/penparser.h"
#include "platform/eventposter.h"
#include "platform/sim/simbus.h"
#include "platform/sim/simplatform.h"
#include "store/ovmodels.h"

Q_DECLARE_METATYPE(store::Model)

using namespace driver;
using platform::OVEvent;
namespace field = platform::eventfield;

namespace {

// Tevra N4 on one 1920 x 1080 display: one report unit (256 counts) is
// 1920 / 84.5 = 22.72 points across and 1080 / 63.2 = 17.09 points down.
constexpr double kPointsPerUnitX = 1920 / 84.5;
constexpr double kPointsPerUnitY = 1080 / 63.2;
// The sample most tests tap at: X 42 + 64/256 (x = 960), Y 31 + 154/256.
constexpr int kBaseX = 42 * 256 + 64;
constexpr int kBaseY = 31 * 256 + 154;
constexpr double kBaseXPoints = 960.0;
constexpr double kBaseYPoints = (kBaseY / 256.0) * kPointsPerUnitY;

// The calibration run as the posting sees it, and the pen-downs it hands over.
class RecordingHandoff
{
public:
    void take(const CalibrationTouchEffect &touch)
    {
        if (touch.edge) {
            calls << QStringLiteral("calibTablet");
            return;
        }
        calls << QStringLiteral("calibPoint");
        points << touch.point;
        tabletPoints << touch.tabletPoint;
    }

    bool m_calibrating = false;
    bool m_edgeProbing = false;
    QStringList calls;
    QList<QPointF> points;
    QList<QPointF> tabletPoints;
};

struct Rig;

// The posting driven as the device service drives it: a context gathered from
// the rig, the effects carried out onto the simulated platform's poster and
// the calibration handoff.
class RigPosting
{
public:
    RigPosting(Rig &rig, store::Model model);

    void postProximityEvent(bool enter)
    {
        run([&](Effects &out) { m_posting.postProximityEvent(enter, context(), out); });
    }
    void postPointEvent(quint32 type)
    {
        run([&](Effects &out) { m_posting.postPointEvent(type, context(), out); });
    }
    void postMouseEvent(quint32 type, quint32 button)
    {
        run([&](Effects &out) { m_posting.postMouseEvent(type, button, context(), out); });
    }
    void postMouseDoubleClickEvent()
    {
        run([&](Effects &out) { m_posting.postMouseDoubleClickEvent(context(), out); });
    }
    void postMouseScrollWheelEvent(qint32 lines)
    {
        run([&](Effects &out) { PenEventPosting::postMouseScrollWheelEvent(lines, out); });
    }
    std::optional<double> lastMouseDownTime() const { return m_posting.lastMouseDownTime(); }
    QPointF lastMouseDragPoint() const { return m_posting.lastMouseDragPoint(); }

private:
    PipelineContext context() const;
    template <typename Step> void run(Step step);

    Rig &m_rig;
    PenEventPosting m_posting;
};

// One device service's worth of posting on the simulated platform.
struct Rig
{
    explicit Rig(store::Model model = store::Model::TevraN4)
    {
        platform::DisplayInfo display;
        display.id = 1;
        display.bounds = QRectF(0, 0, 1920, 1080);
        display.main = true;
        sim.displays.setDisplay(display);
        screens.ovScreens.append([] {
            store::OVScreen s;
            s.setNumber(1);
            s.setFrame(QRectF(0, 0, 1920, 1080));
            return s;
        }());
        screens.ovMTFrame = QRectF(0, 0, 1920, 1080);
        screens.mainDisplayHeight = 1080;

        settings.ovPressure = true;
        settings.ovP2 = QPointF(1, 1);
        settings.ovPC = QPointF(0.5, 0.5);
        settings.ovTS = 1;
        if (store::isPenDisplay(store::devKeyFor(model))) {
            settings.ovMMap = 2;
            settings.ovMNumber = 1;
            monitorName = true;
            calibration.cbDelta.maxX = {219, 232};
            calibration.cbDelta.maxY = {123, 179};
        }

        posting = std::make_unique<RigPosting>(*this, model);
        at(kBaseX, kBaseY);
    }

    // A new sample at X and Y counts; the old one becomes the previous.
    void at(int x, int y)
    {
        pen.lastEventData = pen.eventData;
        pen.eventData.loc = {x / 256, x % 256, y / 256, y % 256};
    }

    const std::vector<OVEvent> &events() const { return sim.poster.events(); }

    // Pen down, up 0.05 s later.
    void tap()
    {
        posting->postPointEvent(1);
        sim.runLoop.advance(0.05);
        posting->postPointEvent(2);
    }

    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim{bus, QString::fromLatin1(platform::kDriverBundleId)};
    PenState pen;
    ServiceSettings settings;
    ScreenState screens;
    MappingCalibration calibration;
    RecordingHandoff handoff;
    HeldModifiers held;
    bool monitorName = false;
    std::unique_ptr<RigPosting> posting;
};

RigPosting::RigPosting(Rig &rig, store::Model model)
    : m_rig(rig)
    , m_posting(store::rowFor(model), rig.pen)
{ }

PipelineContext RigPosting::context() const
{
    PipelineContext context;
    context.now = m_rig.sim.runLoop.now();
    context.front = m_rig.sim.workspace.frontApplication();
    context.doubleClickInterval = m_rig.sim.workspace.doubleClickInterval();
    context.modifiers = m_rig.held;
    context.settings = m_rig.settings;
    context.screens = m_rig.screens;
    context.calibration = m_rig.calibration;
    context.monitorNamePresent = m_rig.monitorName;
    context.pointer = m_rig.sim.displays.pointerPosition();
    context.calibrating = m_rig.handoff.m_calibrating;
    context.psminxing = m_rig.handoff.m_edgeProbing;
    return context;
}

template <typename Step> void RigPosting::run(Step step)
{
    Effects effects;
    step(effects);
    for (const Effect &effect : effects) {
        if (const auto *event = std::get_if<OVEvent>(&effect))
            m_rig.sim.poster.post(*event);
        else if (const auto *touch = std::get_if<CalibrationTouchEffect>(&effect))
            m_rig.handoff.take(*touch);
    }
}

QVariant integer(qint64 value)
{
    return QVariant::fromValue(value);
}

QVariant real(double value)
{
    return QVariant::fromValue(value);
}

using Fields = QMap<int, QVariant>;

void compareFields(const Fields &actual, const Fields &expected)
{
    QCOMPARE(actual.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant &value = actual.value(it.key());
        QCOMPARE(value.typeId(), it->typeId());
        if (it->typeId() == QMetaType::Double)
            QCOMPARE(value.toDouble(), it->toDouble());
        else
            QCOMPARE(value.toLongLong(), it->toLongLong());
    }
}

void compareAt(const OVEvent &event, double x, double y)
{
    QVERIFY2(qAbs(event.x - x) < 1e-3 && qAbs(event.y - y) < 1e-3,
             qPrintable(QStringLiteral("at (%1, %2), expected (%3, %4)")
                            .arg(event.x)
                            .arg(event.y)
                            .arg(x)
                            .arg(y)));
}

// The four events of a synthesised double click, at one point.
void compareDoubleClick(const std::vector<OVEvent> &events, size_t from, double x, double y)
{
    QVERIFY(events.size() >= from + 4);
    const quint32 types[] = {1, 2, 1, 2};
    const Fields fields[] = {
        {{field::MouseEventPressure, real(1.0)}},
        {{field::MouseEventPressure, real(0.0)}},
        {{field::MouseEventPressure, real(1.0)}, {field::MouseEventClickState, integer(2)}},
        {{field::MouseEventPressure, real(0.0)}, {field::MouseEventClickState, integer(2)}},
    };
    for (size_t i = 0; i < 4; ++i) {
        const OVEvent &event = events[from + i];
        QCOMPARE(event.kind, OVEvent::Kind::Mouse);
        QCOMPARE(event.type, types[i]);
        QCOMPARE(event.button, 0u);
        compareAt(event, x, y);
        compareFields(event.fields, fields[i]);
    }
}

bool isTabletPoint(const OVEvent &event, quint32 type)
{
    return event.type == type && event.fields.value(field::MouseEventSubtype).toLongLong() == 1;
}

} // namespace

class TestPosting : public QObject
{
    Q_OBJECT
private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void proximity_data();
    void proximity();
    void proximityInRelativeModeMovesNothing();
    void pointFields_data();
    void pointFields();
    void doubleClick_data();
    void doubleClick();
    void thirdQuickTapStartsANewClick();
    void firstTapAfterStartIsSingle();
    void dragAwayEndsTheClick_data();
    void dragAwayEndsTheClick();
    void lightroomDeltas();
    void modifierFlags_data();
    void modifierFlags();
    void droppedSamplePostsNothing();
    void calibrationHandoff_data();
    void calibrationHandoff();
    void doubledTapIsNotHandedOver();
    void mouseButtonsAndScroll();
};

void TestPosting::proximity_data()
{
    QTest::addColumn<bool>("enter");
    QTest::newRow("enter") << true;
    QTest::newRow("leave") << false;
}

void TestPosting::proximity()
{
    QFETCH(bool, enter);
    Rig rig;
    rig.posting->postProximityEvent(enter);
    const auto &events = rig.events();
    QCOMPARE(events.size(), size_t(2));
    const OVEvent &proximity = enter ? events[0] : events[1];
    const OVEvent &moved = enter ? events[1] : events[0];

    QCOMPARE(proximity.kind, OVEvent::Kind::Tablet);
    QCOMPARE(proximity.type, 24u);
    compareAt(proximity, kBaseXPoints, kBaseYPoints);
    const Fields proximityFields = {
        {field::TabletProximityEventEnterProximity, integer(enter ? 1 : 0)},
        {field::TabletProximityEventPointerType, integer(1)},
        {field::TabletProximityEventCapabilityMask, integer(0x17C7)},
    };
    compareFields(proximity.fields, proximityFields);

    QCOMPARE(moved.kind, OVEvent::Kind::Mouse);
    QCOMPARE(moved.type, 5u);
    QCOMPARE(moved.button, 0u);
    compareAt(moved, kBaseXPoints, kBaseYPoints);
    Fields movedFields = proximityFields;
    movedFields.insert(field::MouseEventSubtype, integer(2));
    compareFields(moved.fields, movedFields);
}

void TestPosting::proximityInRelativeModeMovesNothing()
{
    // The previous sample lies far away (the pen left elsewhere): without
    // taking the current one as the previous, the jump would drop the event.
    Rig rig;
    rig.settings.ovCM = 1;
    rig.sim.displays.setPointer(QPointF(700, 400));
    rig.at(kBaseX + 20 * 256, kBaseY);
    rig.posting->postProximityEvent(true);
    QCOMPARE(rig.events().size(), size_t(2));
    compareAt(rig.events()[0], 700, 400);
    compareAt(rig.events()[1], 700, 400);
    QCOMPARE(rig.pen.lastEventData.loc, rig.pen.eventData.loc);
}

void TestPosting::pointFields_data()
{
    QTest::addColumn<store::Model>("model");
    QTest::addColumn<quint32>("type");
    QTest::addColumn<bool>("pressureOn");
    QTest::addColumn<Fields>("expected");

    // Raw 2048 of 8192 on the factory curve: 0.25; tilt (45, -90): (0.5, 1.0).
    const Fields common = {{field::MouseEventSubtype, integer(1)},
                           {field::MouseEventClickState, integer(1)}};
    const Fields tilt = {{field::TabletEventTiltX, real(0.5)}, {field::TabletEventTiltY, real(1.0)}};
    const auto with = [](Fields fields, const Fields &more) {
        for (auto it = more.cbegin(); it != more.cend(); ++it)
            fields.insert(it.key(), *it);
        return fields;
    };
    const auto down = [&](double pressure) {
        return with(common, {{field::TabletEventPointButtons, integer(1)},
                             {field::MouseEventPressure, real(pressure)}});
    };
    const auto drag = [&](double pressure) {
        return with(common, {{field::TabletEventPointButtons, integer(1)},
                             {field::MouseEventPressure, real(pressure)},
                             {field::TabletEventPointPressure, real(pressure)}});
    };
    const Fields up = with(common, {{field::TabletEventPointButtons, integer(1)}});

    const store::Model n4 = store::Model::TevraN4;
    QTest::newRow("down") << n4 << 1u << true << with(down(0.25), tilt);
    QTest::newRow("down, pressure off: 1.0") << n4 << 1u << false << with(down(1.0), tilt);
    QTest::newRow("drag") << n4 << 6u << true << with(drag(0.25), tilt);
    QTest::newRow("drag, pressure off: 1.0") << n4 << 6u << false << with(drag(1.0), tilt);
    QTest::newRow("up: no pressure") << n4 << 2u << true << with(up, tilt);
    QTest::newRow("moved: no pressure") << n4 << 5u << true << with(common, tilt);
    QTest::newRow("Tevra S down: no tilt") << store::Model::TevraS << 1u << true << down(0.25);
    QTest::newRow("Tevra S drag: no tilt") << store::Model::TevraS << 6u << true << drag(0.25);
    QTest::newRow("M517 V1 moved: no tilt") << store::Model::M517V1 << 5u << true << common;
}

void TestPosting::pointFields()
{
    QFETCH(store::Model, model);
    QFETCH(quint32, type);
    QFETCH(bool, pressureOn);
    QFETCH(Fields, expected);
    Rig rig(model);
    rig.settings.ovPressure = pressureOn;
    rig.pen.isMouseDown = true;
    rig.pen.eventData.pres = 2048;
    rig.pen.eventData.tilt = {45, -90};
    rig.posting->postPointEvent(type);
    QCOMPARE(rig.events().size(), size_t(1));
    const OVEvent &event = rig.events()[0];
    QCOMPARE(event.kind, OVEvent::Kind::Mouse);
    QCOMPARE(event.type, type);
    QCOMPARE(event.button, 0u);
    QCOMPARE(event.flags, quint64(0));
    compareFields(event.fields, expected);
}

void TestPosting::doubleClick_data()
{
    QTest::addColumn<QString>("bundleId");
    QTest::addColumn<QString>("processName");
    QTest::addColumn<int>("offsetCounts"); // X of the second tap from the first
    QTest::addColumn<double>("gap"); // seconds from the first pen-up to the second down
    QTest::addColumn<bool>("doubled");

    const QString editor = QStringLiteral("org.gnome.TextEditor");
    const QString finder = QStringLiteral("com.apple.finder");
    // Press to press: 0.05 s + gap against the interval of 0.5 s.
    QTest::newRow("text editor, same spot, 0.2 s") << editor << "gnome-text-editor" << 0 << 0.15 << true;
    QTest::newRow("at the interval") << editor << "gnome-text-editor" << 0 << 0.45 << true;
    QTest::newRow("past the interval") << editor << "gnome-text-editor" << 0 << 0.46 << false;
    // 22 counts = 1.95 points, 23 counts = 2.04 points.
    QTest::newRow("1.95 points away") << editor << "gnome-text-editor" << 22 << 0.15 << true;
    QTest::newRow("2.04 points away") << editor << "gnome-text-editor" << 23 << 0.15 << false;
    QTest::newRow("far away") << editor << "gnome-text-editor" << 5 * 256 << 0.15 << false;
    QTest::newRow("Finder, far away") << finder << "Finder" << 5 * 256 << 0.15 << true;
    QTest::newRow("Finder by another case") << "com.apple.Finder" << "Finder" << 5 * 256 << 0.15
                                            << false;
    QTest::newRow("Krita") << "org.kde.krita" << "Krita" << 0 << 0.15 << false;
    QTest::newRow("krita, other case") << "org.kde.krita" << "krita" << 0 << 0.15 << false;
    QTest::newRow("name only starting with Krita") << "x" << "Krita Tools" << 0 << 0.15 << true;
    QTest::newRow("contains Photoshop") << "x" << "Adobe Photoshop 2025" << 0 << 0.15 << false;
    QTest::newRow("contains safari") << "x" << "MySAFARI" << 0 << 0.15 << false;
    QTest::newRow("优动漫 PAINT") << "x" << QStringLiteral("优动漫 PAINT") << 0 << 0.15 << false;
    QTest::newRow("the settings application") << "x" << "OrvaneTabletSetting" << 0 << 0.15 << false;
    QTest::newRow("Finder with Firefox's name") << finder << "Firefox" << 0 << 0.15 << false;
}

void TestPosting::doubleClick()
{
    QFETCH(QString, bundleId);
    QFETCH(QString, processName);
    QFETCH(int, offsetCounts);
    QFETCH(double, gap);
    QFETCH(bool, doubled);
    Rig rig;
    rig.sim.workspace.setFront({bundleId, processName});
    rig.tap();
    rig.sim.runLoop.advance(gap);
    rig.at(kBaseX + offsetCounts, kBaseY);
    const double x = kBaseXPoints + offsetCounts / 256.0 * kPointsPerUnitX;
    rig.sim.poster.clear();
    rig.posting->postPointEvent(1);

    const auto &events = rig.events();
    if (doubled) {
        QCOMPARE(events.size(), size_t(4));
        compareDoubleClick(events, 0, x, kBaseYPoints);
        QVERIFY(!rig.posting->lastMouseDownTime());
        // The second tap's pen-up is still a tablet-point up.
        rig.posting->postPointEvent(2);
        QCOMPARE(events.size(), size_t(5));
        QVERIFY(isTabletPoint(events[4], 2));
    } else {
        QCOMPARE(events.size(), size_t(1));
        QVERIFY(isTabletPoint(events[0], 1));
        QCOMPARE(events[0].fields.value(field::MouseEventClickState).toLongLong(), 1);
        compareAt(events[0], x, kBaseYPoints);
        QCOMPARE(rig.posting->lastMouseDownTime(), std::optional<double>(rig.sim.runLoop.now()));
    }
}

void TestPosting::thirdQuickTapStartsANewClick()
{
    Rig rig;
    rig.tap();
    rig.sim.runLoop.advance(0.1);
    rig.tap();
    QCOMPARE(rig.events().size(), size_t(1 + 1 + 4 + 1));
    rig.sim.runLoop.advance(0.1);
    rig.sim.poster.clear();
    rig.posting->postPointEvent(1);
    QCOMPARE(rig.events().size(), size_t(1));
    QVERIFY(isTabletPoint(rig.events()[0], 1));
}

void TestPosting::firstTapAfterStartIsSingle()
{
    // The run-loop clock starts near 0 and the first tap lands next to the
    // origin: with "no click yet" kept as time 0 at (0, 0) it would pass as
    // the second tap of a double click.
    Rig rig;
    rig.sim.runLoop.advance(0.1);
    rig.at(0, 0);
    rig.posting->postPointEvent(1);
    QCOMPARE(rig.events().size(), size_t(1));
    QVERIFY(isTabletPoint(rig.events()[0], 1));
    compareAt(rig.events()[0], 1, 1);
}

void TestPosting::dragAwayEndsTheClick_data()
{
    QTest::addColumn<QString>("bundleId");
    QTest::addColumn<int>("dragCounts");
    QTest::addColumn<bool>("doubled");
    // 34 counts = 3.02 points, 17 counts = 1.51 points.
    QTest::newRow("3 points away") << "org.gnome.TextEditor" << 34 << false;
    QTest::newRow("1.5 points away") << "org.gnome.TextEditor" << 17 << true;
    QTest::newRow("3 points away in the Finder") << "com.apple.finder" << 34 << true;
}

void TestPosting::dragAwayEndsTheClick()
{
    QFETCH(QString, bundleId);
    QFETCH(int, dragCounts);
    QFETCH(bool, doubled);
    Rig rig;
    rig.sim.workspace.setFront({bundleId, QStringLiteral("app")});
    rig.posting->postPointEvent(1);
    rig.sim.runLoop.advance(0.05);
    rig.at(kBaseX + dragCounts, kBaseY);
    rig.posting->postPointEvent(6);
    QCOMPARE(rig.posting->lastMouseDownTime().has_value(), doubled);
    rig.sim.runLoop.advance(0.05);
    rig.posting->postPointEvent(2);
    QCOMPARE(rig.posting->lastMouseDragPoint(), QPointF(-404, -404));
    rig.sim.runLoop.advance(0.1);
    rig.at(kBaseX, kBaseY);
    rig.sim.poster.clear();
    rig.posting->postPointEvent(1);
    QCOMPARE(rig.events().size(), size_t(doubled ? 4 : 1));
}

void TestPosting::lightroomDeltas()
{
    Rig rig;
    rig.sim.workspace.setFront({QStringLiteral("com.adobe.LightroomClassicCC7"),
                                QStringLiteral("Adobe Lightroom Classic")});
    rig.posting->postPointEvent(1);
    const auto delta = [&](size_t index) {
        const OVEvent &event = rig.events().at(index);
        return QPoint(int(event.fields.value(field::MouseEventDeltaX).toLongLong()),
                      int(event.fields.value(field::MouseEventDeltaY).toLongLong()));
    };

    // The first drag measures from the press: (22.72, 17.09) -> (22, 17).
    rig.at(kBaseX + 256, kBaseY + 256);
    rig.posting->postPointEvent(6);
    QCOMPARE(delta(1), QPoint(22, 17));
    // Then from the previous drag: (-45.44, 0) truncated toward zero.
    rig.at(kBaseX - 256, kBaseY + 256);
    rig.posting->postPointEvent(6);
    QCOMPARE(delta(2), QPoint(-45, 0));
    QVERIFY(rig.events()[2].fields.contains(field::MouseEventDeltaY));

    // After a release and a new press, again from the press point.
    rig.posting->postPointEvent(2);
    rig.sim.runLoop.advance(1);
    rig.posting->postPointEvent(1);
    rig.at(kBaseX - 256 + 128, kBaseY + 256);
    rig.posting->postPointEvent(6);
    QCOMPARE(delta(5), QPoint(int(0.5 * kPointsPerUnitX), 0));

    // Anywhere else drags carry no deltas.
    rig.sim.workspace.setFront({QStringLiteral("org.gimp.GIMP"), QStringLiteral("gimp")});
    rig.posting->postPointEvent(6);
    QVERIFY(!rig.events().back().fields.contains(field::MouseEventDeltaX));
    QVERIFY(!rig.events().back().fields.contains(field::MouseEventDeltaY));
}

void TestPosting::modifierFlags_data()
{
    QTest::addColumn<bool>("command");
    QTest::addColumn<bool>("option");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("control");
    QTest::addColumn<quint64>("flags");
    QTest::newRow("none") << false << false << false << false << quint64(0);
    QTest::newRow("Command") << true << false << false << false << quint64(0x100000);
    QTest::newRow("Command Shift") << true << false << true << false << quint64(0x120000);
    QTest::newRow("Option Control") << false << true << false << true << quint64(0xC0000);
    QTest::newRow("all four") << true << true << true << true << quint64(0x1E0000);
}

void TestPosting::modifierFlags()
{
    QFETCH(bool, command);
    QFETCH(bool, option);
    QFETCH(bool, shift);
    QFETCH(bool, control);
    QFETCH(quint64, flags);
    Rig rig;
    rig.held = {command, option, shift, control};
    for (quint32 type : {1u, 6u, 2u, 5u})
        rig.posting->postPointEvent(type);
    QCOMPARE(rig.events().size(), size_t(4));
    for (const OVEvent &event : rig.events())
        QCOMPARE(event.flags, flags);
}

void TestPosting::droppedSamplePostsNothing()
{
    Rig rig;
    rig.settings.ovTMap = 1;
    rig.settings.ovTFrame = QRectF(0, 0, 1, 1); // the lower-left inch; the sample is central
    rig.posting->postProximityEvent(true);
    for (quint32 type : {1u, 6u, 2u, 5u})
        rig.posting->postPointEvent(type);
    rig.posting->postMouseEvent(1, 0);
    rig.posting->postMouseDoubleClickEvent();
    QVERIFY(rig.events().empty());
    QVERIFY(!rig.posting->lastMouseDownTime());
    QCOMPARE(rig.posting->lastMouseDragPoint(), QPointF(0, 0));
}

void TestPosting::calibrationHandoff_data()
{
    QTest::addColumn<store::Model>("model");
    QTest::addColumn<bool>("calibrating");
    QTest::addColumn<bool>("edgeProbing");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("edge step") << store::Model::Sorvi22 << true << true
                               << QStringList{"calibTablet"};
    QTest::newRow("point step") << store::Model::Sorvi22 << true << false
                                << QStringList{"calibPoint"};
    QTest::newRow("no run") << store::Model::Sorvi22 << false << false << QStringList{};
    QTest::newRow("a tablet takes no part") << store::Model::TevraN4 << true << false
                                            << QStringList{};
}

void TestPosting::calibrationHandoff()
{
    QFETCH(store::Model, model);
    QFETCH(bool, calibrating);
    QFETCH(bool, edgeProbing);
    QFETCH(QStringList, calls);
    Rig rig(model);
    rig.handoff.m_calibrating = calibrating;
    rig.handoff.m_edgeProbing = edgeProbing;
    // A pen display's sample is split by 255: reading 28050 = 110 * 255.
    rig.pen.eventData.loc = {110, 0, 62, 10};
    rig.posting->postPointEvent(2); // only the pen-down is handed over
    rig.posting->postPointEvent(6);
    rig.posting->postPointEvent(1);
    QCOMPARE(rig.handoff.calls, calls);
    // Handed over and posted as well.
    QCOMPARE(rig.events().size(), size_t(3));
    QVERIFY(isTabletPoint(rig.events()[2], 1));
    if (calls == QStringList{"calibPoint"}) {
        QCOMPARE(rig.handoff.points.at(0), QPointF(rig.events()[2].x, rig.events()[2].y));
        QCOMPARE(rig.handoff.tabletPoints.at(0), QPointF(110 * 256, 62 * 256 + 10));
    }
}

void TestPosting::doubledTapIsNotHandedOver()
{
    Rig rig(store::Model::Sorvi22);
    rig.handoff.m_calibrating = true;
    rig.pen.eventData.loc = {110, 0, 62, 10};
    rig.tap();
    rig.sim.runLoop.advance(0.1);
    rig.tap();
    QCOMPARE(rig.handoff.calls, QStringList{"calibPoint"});
}

void TestPosting::mouseButtonsAndScroll()
{
    Rig rig;
    rig.posting->postMouseEvent(3, 1);
    rig.posting->postMouseEvent(25, 2);
    rig.posting->postMouseDoubleClickEvent();
    // Scrolling neither maps nor needs a sample in the area.
    rig.settings.ovCM = 5;
    rig.posting->postMouseScrollWheelEvent(-5);
    rig.posting->postMouseEvent(4, 1); // dropped by the mapping

    const auto &events = rig.events();
    QCOMPARE(events.size(), size_t(2 + 4 + 1));
    QCOMPARE(events[0].type, 3u);
    QCOMPARE(events[0].button, 1u);
    QVERIFY(events[0].fields.isEmpty());
    compareAt(events[0], kBaseXPoints, kBaseYPoints);
    QCOMPARE(events[1].type, 25u);
    QCOMPARE(events[1].button, 2u);
    compareDoubleClick(events, 2, kBaseXPoints, kBaseYPoints);
    QCOMPARE(events[6].kind, OVEvent::Kind::Scroll);
    QCOMPARE(events[6].type, 22u);
    QCOMPARE(events[6].lines, -5);
}

QTEST_GUILESS_MAIN(TestPosting)
#include "tst_posting.moc"
