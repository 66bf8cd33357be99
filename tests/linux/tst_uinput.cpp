#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "platform/eventposter.h"
#include "platform/keycodes.h"
#include "platform/linux/uinputeventposter.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

using namespace platform;
using namespace platform::native;
using Records = std::vector<InputRecord>;

Q_DECLARE_METATYPE(Records)
Q_DECLARE_METATYPE(std::vector<platform::OVEvent>)

namespace {

// Records what the poster writes, per device; creation can be refused.
class RecordingSink : public UinputSink
{
public:
    bool create(VirtualDevice device, const DeviceDescription &description, QString *why) override
    {
        if (!refusal.isEmpty()) {
            *why = refusal;
            return false;
        }
        created.emplace_back(device, description);
        live.insert(device);
        return true;
    }
    void destroy(VirtualDevice device) override { live.erase(device); }
    bool exists(VirtualDevice device) const override { return live.count(device) != 0; }
    void write(const InputRecord &record) override { written.push_back(record); }

    QString refusal;
    std::vector<std::pair<VirtualDevice, DeviceDescription>> created;
    std::set<VirtualDevice> live;
    Records written;
};

// Events built the way the driver's posting builds them.
OVEvent proximity(double x, double y, bool enter)
{
    OVEvent e;
    e.kind = OVEvent::Kind::Tablet;
    e.type = eventtype::TabletProximity;
    e.x = x;
    e.y = y;
    e.setInteger(eventfield::TabletProximityEventEnterProximity, enter ? 1 : 0);
    e.setInteger(eventfield::TabletProximityEventPointerType, 1);
    e.setInteger(eventfield::TabletProximityEventCapabilityMask, 0x17C7);
    return e;
}

OVEvent proximityMove(double x, double y, bool enter)
{
    OVEvent e = proximity(x, y, enter);
    e.kind = OVEvent::Kind::Mouse;
    e.type = eventtype::MouseMoved;
    e.setInteger(eventfield::MouseEventSubtype, 2);
    return e;
}

OVEvent point(quint32 type, double x, double y, std::optional<double> pressure = std::nullopt,
              std::optional<QPointF> tilt = std::nullopt)
{
    OVEvent e;
    e.kind = OVEvent::Kind::Mouse;
    e.type = type;
    e.x = x;
    e.y = y;
    e.setInteger(eventfield::MouseEventSubtype, 1);
    e.setInteger(eventfield::MouseEventClickState, 1);
    if (type != eventtype::MouseMoved)
        e.setInteger(eventfield::TabletEventPointButtons, 1);
    if (pressure) {
        e.setDouble(eventfield::MouseEventPressure, *pressure);
        if (type == eventtype::LeftMouseDragged)
            e.setDouble(eventfield::TabletEventPointPressure, *pressure);
    }
    if (tilt) {
        e.setDouble(eventfield::TabletEventTiltX, tilt->x());
        e.setDouble(eventfield::TabletEventTiltY, tilt->y());
    }
    return e;
}

OVEvent mouse(quint32 type, quint32 button, int clickState = 0)
{
    OVEvent e;
    e.kind = OVEvent::Kind::Mouse;
    e.type = type;
    e.button = button;
    e.x = 300;
    e.y = 400;
    if (clickState)
        e.setInteger(eventfield::MouseEventClickState, clickState);
    return e;
}

// The four events of the driver's double click.
std::vector<OVEvent> doubleClick()
{
    OVEvent e = mouse(eventtype::LeftMouseDown, 0);
    std::vector<OVEvent> events;
    e.setDouble(eventfield::MouseEventPressure, 1.0);
    events.push_back(e);
    e.type = eventtype::LeftMouseUp;
    e.setDouble(eventfield::MouseEventPressure, 0.0);
    events.push_back(e);
    e.setInteger(eventfield::MouseEventClickState, 2);
    e.type = eventtype::LeftMouseDown;
    e.setDouble(eventfield::MouseEventPressure, 1.0);
    events.push_back(e);
    e.type = eventtype::LeftMouseUp;
    e.setDouble(eventfield::MouseEventPressure, 0.0);
    events.push_back(e);
    return events;
}

OVEvent key(quint16 code, bool down, quint64 flags)
{
    OVEvent e;
    e.kind = OVEvent::Kind::Keyboard;
    e.type = down ? eventtype::KeyDown : eventtype::KeyUp;
    e.keyCode = code;
    e.keyDown = down;
    e.flags = flags;
    return e;
}

OVEvent scroll(qint32 lines)
{
    OVEvent e;
    e.kind = OVEvent::Kind::Scroll;
    e.type = eventtype::ScrollWheel;
    e.lines = lines;
    return e;
}

InputRecord pen(quint16 type, quint16 code, qint32 value)
{
    return InputRecord{VirtualDevice::Pen, type, code, value};
}
InputRecord mouseRec(quint16 type, quint16 code, qint32 value)
{
    return InputRecord{VirtualDevice::Mouse, type, code, value};
}
InputRecord keyRec(quint16 code, qint32 value)
{
    return InputRecord{VirtualDevice::Keyboard, EV_KEY, code, value};
}
InputRecord syn(VirtualDevice device)
{
    return InputRecord{device, EV_SYN, SYN_REPORT, 0};
}

// A key change and its frame.
Records keyFrames(std::initializer_list<std::pair<int, int>> changes)
{
    Records records;
    for (const auto &[code, value] : changes) {
        records.push_back(keyRec(quint16(code), value));
        records.push_back(syn(VirtualDevice::Keyboard));
    }
    return records;
}

// Events of one tap or one action come within a few reports of each other.
constexpr double kEventSpacing = 0.001; // s

Records translateAll(
    UinputTranslator &translator, const std::vector<OVEvent> &events, double startSeconds = 0)
{
    Records records;
    double now = startSeconds;
    for (const OVEvent &event : events) {
        const Records part = translator.translate(event, now).records;
        records.insert(records.end(), part.begin(), part.end());
        now += kEventSpacing;
    }
    return records;
}

// A quick tap of the tip at the double click's place, (300, 400).
std::vector<OVEvent> tap()
{
    return { point(eventtype::LeftMouseDown, 300, 400, 1.0), point(eventtype::LeftMouseUp, 300, 400) };
}

Records touchRecords()
{
    return { pen(EV_ABS, ABS_X, 25280), pen(EV_ABS, ABS_Y, 6400), pen(EV_ABS, ABS_PRESSURE, 8191),
        pen(EV_KEY, BTN_TOUCH, 1), syn(VirtualDevice::Pen) };
}

Records tapRecords()
{
    Records records = touchRecords();
    for (const InputRecord &r : { pen(EV_ABS, ABS_X, 25280), pen(EV_ABS, ABS_Y, 6400),
             pen(EV_ABS, ABS_PRESSURE, 0), pen(EV_KEY, BTN_TOUCH, 0), syn(VirtualDevice::Pen) })
        records.push_back(r);
    return records;
}

Records leftClickRecords()
{
    return { mouseRec(EV_KEY, BTN_LEFT, 1), syn(VirtualDevice::Mouse), mouseRec(EV_KEY, BTN_LEFT, 0),
        syn(VirtualDevice::Mouse) };
}

template <typename T> std::vector<T> joined(std::initializer_list<std::vector<T>> parts)
{
    std::vector<T> all;
    for (const std::vector<T> &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

QString describe(const Records &records)
{
    QStringList lines;
    for (const InputRecord &r : records)
        lines << QStringLiteral("%1:%2/%3=%4").arg(int(r.device)).arg(r.type).arg(r.code).arg(r.value);
    return lines.join(QLatin1Char(' '));
}

// Two displays side by side, the left one at negative x: the pen's axes start
// at the desktop's left edge, 1280 points left of the main display.
const QRectF kDesktop(-1280, 0, 3200, 1080);

// The events of the current row, translated from a fresh state, give exactly
// the expected records.
void verifyTranslation()
{
    QFETCH(std::vector<OVEvent>, events);
    QFETCH(Records, expected);
    UinputTranslator translator(kDesktop);
    const Records actual = translateAll(translator, events);
    QVERIFY2(actual == expected, qPrintable(describe(actual) + QStringLiteral("\n") + describe(expected)));
}


} // namespace

class TestUinput : public QObject
{
    Q_OBJECT
private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }
    void penStrokes_data();
    void penStrokes();
    void keyCombinations_data();
    void keyCombinations();
    void unmappedKeyPostsNothingAndLogsOnce();
    void wheelVolumeStepPostsTheVolumeKey_data();
    void wheelVolumeStepPostsTheVolumeKey();
    void mouseButtons_data();
    void mouseButtons();
    void doubleClickCountsTheClickBefore_data();
    void doubleClickCountsTheClickBefore();
    void posterTimesClicksByItsClock_data();
    void posterTimesClicksByItsClock();
    void scrollsCountLinesInDetents_data();
    void scrollsCountLinesInDetents();
    void restingPenKeepsItsRange();
    void reportsOfThePensTabletKeepItInRange();
    void penFollowsTheDisplays();
    void withoutUinputNothingIsPosted();
    void strokeReadBackFromTheKernel();
};

void TestUinput::penStrokes_data()
{
    QTest::addColumn<std::vector<OVEvent>>("events");
    QTest::addColumn<Records>("expected");

    // The driver's fields for a pen leaning 9 degrees to the right and 18
    // towards the user (y negated, as the driver posts it).
    const QPointF tilt(0.1, -0.2);
    // (100.5, 200.25) -> ((100.5 + 1280) * 16, 200.25 * 16)
    QTest::newRow("in range, touch, drag, lift, out of range")
        << std::vector<OVEvent>{proximity(100.5, 200.25, true),
                                proximityMove(100.5, 200.25, true),
                                point(eventtype::MouseMoved, 100.5, 200.25, std::nullopt, tilt),
                                point(eventtype::LeftMouseDown, 101, 201, 0.5, tilt),
                                point(eventtype::LeftMouseDragged, 110, 205, 0.75, tilt),
                                point(eventtype::LeftMouseUp, 110, 205, std::nullopt, tilt),
                                proximityMove(110, 205, false),
                                proximity(110, 205, false)}
        << Records{pen(EV_ABS, ABS_X, 22088), pen(EV_ABS, ABS_Y, 3204), pen(EV_ABS, ABS_PRESSURE, 0),
                   pen(EV_KEY, BTN_TOOL_PEN, 1), syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 22088), pen(EV_ABS, ABS_Y, 3204), pen(EV_ABS, ABS_TILT_X, 9),
                   pen(EV_ABS, ABS_TILT_Y, 18), syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 22096), pen(EV_ABS, ABS_Y, 3216), pen(EV_ABS, ABS_PRESSURE, 4096),
                   pen(EV_ABS, ABS_TILT_X, 9), pen(EV_ABS, ABS_TILT_Y, 18), pen(EV_KEY, BTN_TOUCH, 1),
                   syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 22240), pen(EV_ABS, ABS_Y, 3280), pen(EV_ABS, ABS_PRESSURE, 6143),
                   pen(EV_ABS, ABS_TILT_X, 9), pen(EV_ABS, ABS_TILT_Y, 18), syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 22240), pen(EV_ABS, ABS_Y, 3280), pen(EV_ABS, ABS_PRESSURE, 0),
                   pen(EV_ABS, ABS_TILT_X, 9), pen(EV_ABS, ABS_TILT_Y, 18), pen(EV_KEY, BTN_TOUCH, 0),
                   syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 22240), pen(EV_ABS, ABS_Y, 3280), pen(EV_KEY, BTN_TOOL_PEN, 0),
                   syn(VirtualDevice::Pen)};

    // A model without tilt, and the pressure curve giving 0 at the touch: the
    // touch keeps the floor, or libinput would not see the tip down.
    QTest::newRow("no tilt, zero pressure at the touch, leaving while touching")
        << std::vector<OVEvent>{proximity(0, 0, true), point(eventtype::LeftMouseDown, 0, 0, 0.0),
                                point(eventtype::LeftMouseDragged, -1280, 1080, 2.0), proximity(-1280, 1080, false)}
        << Records{pen(EV_ABS, ABS_X, 20480), pen(EV_ABS, ABS_Y, 0), pen(EV_ABS, ABS_PRESSURE, 0),
                   pen(EV_KEY, BTN_TOOL_PEN, 1), syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 20480), pen(EV_ABS, ABS_Y, 0), pen(EV_ABS, ABS_PRESSURE, 11),
                   pen(EV_KEY, BTN_TOUCH, 1), syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 0), pen(EV_ABS, ABS_Y, 17279), pen(EV_ABS, ABS_PRESSURE, 8191),
                   syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 0), pen(EV_ABS, ABS_Y, 17279), pen(EV_ABS, ABS_PRESSURE, 0),
                   pen(EV_KEY, BTN_TOUCH, 0), pen(EV_KEY, BTN_TOOL_PEN, 0), syn(VirtualDevice::Pen)};

    // The second tap became a double click on the mouse: the tip never went
    // down on the pen, so its drag and lift only hover.
    std::vector<OVEvent> doubled{proximity(0, 0, true)};
    for (const OVEvent &e : doubleClick())
        doubled.push_back(e);
    doubled.push_back(point(eventtype::LeftMouseDragged, 0, 1, 0.5));
    doubled.push_back(point(eventtype::LeftMouseUp, 0, 1));
    QTest::newRow("synthesised double click, then drag and lift")
        << doubled
        << Records{pen(EV_ABS, ABS_X, 20480), pen(EV_ABS, ABS_Y, 0), pen(EV_ABS, ABS_PRESSURE, 0),
                   pen(EV_KEY, BTN_TOOL_PEN, 1), syn(VirtualDevice::Pen),
                   mouseRec(EV_KEY, BTN_LEFT, 1), syn(VirtualDevice::Mouse),
                   mouseRec(EV_KEY, BTN_LEFT, 0), syn(VirtualDevice::Mouse),
                   mouseRec(EV_KEY, BTN_LEFT, 1), syn(VirtualDevice::Mouse),
                   mouseRec(EV_KEY, BTN_LEFT, 0), syn(VirtualDevice::Mouse),
                   pen(EV_ABS, ABS_X, 20480), pen(EV_ABS, ABS_Y, 16), syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 20480), pen(EV_ABS, ABS_Y, 16), syn(VirtualDevice::Pen)};

    // A point without a proximity before it (the pen was made again for new
    // displays): the pen comes in range first, without pressure.
    QTest::newRow("touch without proximity")
        << std::vector<OVEvent>{point(eventtype::LeftMouseDown, 0, 0, 1.0)}
        << Records{pen(EV_ABS, ABS_X, 20480), pen(EV_ABS, ABS_Y, 0), pen(EV_ABS, ABS_PRESSURE, 0),
                   pen(EV_KEY, BTN_TOOL_PEN, 1), syn(VirtualDevice::Pen),
                   pen(EV_ABS, ABS_X, 20480), pen(EV_ABS, ABS_Y, 0), pen(EV_ABS, ABS_PRESSURE, 8191),
                   pen(EV_KEY, BTN_TOUCH, 1), syn(VirtualDevice::Pen)};

    QTest::newRow("leaving when not in range") << std::vector<OVEvent>{proximity(5, 5, false)} << Records{};
}

void TestUinput::penStrokes()
{
    verifyTranslation();
}

void TestUinput::keyCombinations_data()
{
    QTest::addColumn<std::vector<OVEvent>>("events");
    QTest::addColumn<Records>("expected");

    // Redo: Z with Command and Shift down and up, then the key-ups of Command
    // and Shift that follow every hot key; those find nothing held.
    QTest::newRow("redo")
        << std::vector<OVEvent>{key(6, true, 0x120000), key(6, false, 0x120000), key(55, false, 0),
                                key(56, false, 0)}
        << keyFrames({{KEY_LEFTCTRL, 1}, {KEY_LEFTSHIFT, 1}, {KEY_Z, 1}, {KEY_Z, 0}, {KEY_LEFTSHIFT, 0},
                      {KEY_LEFTCTRL, 0}});
    QTest::newRow("plain key (eraser)")
        << std::vector<OVEvent>{key(14, true, 0x100), key(14, false, 0x100)}
        << keyFrames({{KEY_E, 1}, {KEY_E, 0}});
    QTest::newRow("recorded combination Control+Option+K")
        << std::vector<OVEvent>{key(40, true, 0xC0000), key(40, false, 0xC0000), key(58, false, 0),
                                key(59, false, 0)}
        << keyFrames({{KEY_LEFTALT, 1}, {KEY_LEFTMETA, 1}, {KEY_K, 1}, {KEY_K, 0}, {KEY_LEFTMETA, 0},
                      {KEY_LEFTALT, 0}});
    // An express key holding Shift while another one undoes: Shift stays held
    // across the combination and goes up with its own key.
    QTest::newRow("held Shift hot key around an undo")
        << std::vector<OVEvent>{key(56, true, 0x100), key(6, true, 0x100000), key(6, false, 0x100000),
                                key(55, false, 0), key(56, false, 0x100)}
        << keyFrames({{KEY_LEFTSHIFT, 1}, {KEY_LEFTCTRL, 1}, {KEY_Z, 1}, {KEY_Z, 0}, {KEY_LEFTCTRL, 0},
                      {KEY_LEFTSHIFT, 0}});
    // Two combinations overlapping on Command: Command stays until the last
    // key that wants it goes up.
    QTest::newRow("overlapping combinations share Command")
        << std::vector<OVEvent>{key(8, true, 0x100000), key(9, true, 0x100000), key(8, false, 0x100000),
                                key(9, false, 0x100000)}
        << keyFrames({{KEY_LEFTCTRL, 1}, {KEY_C, 1}, {KEY_V, 1}, {KEY_C, 0}, {KEY_V, 0}, {KEY_LEFTCTRL, 0}});
    QTest::newRow("key-up without key-down")
        << std::vector<OVEvent>{key(6, false, 0x100000)} << Records{};
    QTest::newRow("Function flag presses no key")
        << std::vector<OVEvent>{key(122, true, 0x800000), key(122, false, 0x800000)}
        << keyFrames({{KEY_F1, 1}, {KEY_F1, 0}});
}

void TestUinput::keyCombinations()
{
    verifyTranslation();
}

void TestUinput::unmappedKeyPostsNothingAndLogsOnce()
{
    auto owned = std::make_unique<RecordingSink>();
    RecordingSink &sink = *owned;
    UinputEventPoster poster(std::move(owned));
    QTest::ignoreMessage(QtWarningMsg, "cannot post key code 63: no Linux key for it");
    poster.post(key(mackey::Function, true, 0x800000));
    poster.post(key(mackey::Function, false, 0x800000));
    QTest::ignoreMessage(QtWarningMsg, "cannot post key code 200: no Linux key for it");
    poster.post(key(200, true, 0x100));
    QVERIFY(sink.written.empty());
}

void TestUinput::wheelVolumeStepPostsTheVolumeKey_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("expected");
    QTest::newRow("counter-clockwise: volume down") << "OVCFGWheelKeyL" << KEY_VOLUMEDOWN;
    QTest::newRow("clockwise: volume up") << "OVCFGWheelKeyR" << KEY_VOLUMEUP;
}

// The whole way from a wheel step in the sound-volume slot to what the
// virtual keyboard writes: a desktop changes the volume only for its volume
// keys, and only when the keyboard announced them.
void TestUinput::wheelVolumeStepPostsTheVolumeKey()
{
    QFETCH(QString, step);
    QFETCH(int, expected);

    sim::SimBus bus;
    sim::SimPlatform sim(bus, QLatin1String(kDriverBundleId));
    auto owned = std::make_unique<RecordingSink>();
    RecordingSink &sink = *owned;
    UinputEventPoster poster(std::move(owned));
    Platform platform{sim.platform(), sim.hid, sim.usb, poster, sim.modifierTap};
    driver::OVManager &manager = driver::OVManager::shareManager(platform, [](const QString &) {});
    sim.runLoop.drain();
    {
        driver::OVService service(platform, manager, store::devKeyFor(store::Model::KalverinM));
        sim.runLoop.drain();
        // Slot 5 holds function 5, sound volume, and is the current one.
        service.configMan()->updateConfiguration(store::OVCFGWheelKey, store::OVCFGWheelKeyN(5), qint64(5));
        service.configMan()->updateConfiguration(store::OVCFGWheelKey, store::OVCFGWheelKeyCur, qint64(5));
        service.prepareBoardKey(step, true);
        service.prepareBoardKey(step, false);
        service.cleanup();
    }
    driver::OVManager::destroySharedManager();

    QCOMPARE(sink.written, keyFrames({{expected, 1}, {expected, 0}}));
    const auto keyboard = std::find_if(sink.created.cbegin(), sink.created.cend(),
                                       [](const auto &made) { return made.first == VirtualDevice::Keyboard; });
    QVERIFY(keyboard != sink.created.cend());
    QVERIFY(keyboard->second.codes.contains(qMakePair(quint16(EV_KEY), quint16(expected))));
}

void TestUinput::mouseButtons_data()
{
    QTest::addColumn<std::vector<OVEvent>>("events");
    QTest::addColumn<Records>("expected");

    QTest::newRow("pen button's right click")
        << std::vector<OVEvent>{mouse(eventtype::RightMouseDown, 1), mouse(eventtype::RightMouseUp, 1)}
        << Records{mouseRec(EV_KEY, BTN_RIGHT, 1), syn(VirtualDevice::Mouse), mouseRec(EV_KEY, BTN_RIGHT, 0),
                   syn(VirtualDevice::Mouse)};
    QTest::newRow("custom middle click")
        << std::vector<OVEvent>{mouse(eventtype::OtherMouseDown, 2), mouse(eventtype::OtherMouseUp, 2)}
        << Records{mouseRec(EV_KEY, BTN_MIDDLE, 1), syn(VirtualDevice::Mouse), mouseRec(EV_KEY, BTN_MIDDLE, 0),
                   syn(VirtualDevice::Mouse)};
    QTest::newRow("double click") << doubleClick()
                                  << Records{mouseRec(EV_KEY, BTN_LEFT, 1), syn(VirtualDevice::Mouse),
                                             mouseRec(EV_KEY, BTN_LEFT, 0), syn(VirtualDevice::Mouse),
                                             mouseRec(EV_KEY, BTN_LEFT, 1), syn(VirtualDevice::Mouse),
                                             mouseRec(EV_KEY, BTN_LEFT, 0), syn(VirtualDevice::Mouse)};
    QTest::newRow("release of a button never pressed")
        << std::vector<OVEvent>{mouse(eventtype::LeftMouseUp, 0)} << Records{};
    OVEvent moved = mouse(eventtype::LeftMouseDragged, 0);
    moved.setInteger(eventfield::MouseEventDeltaX, 7);
    moved.setInteger(eventfield::MouseEventDeltaY, -3);
    QTest::newRow("deltas move relatively")
        << std::vector<OVEvent>{moved}
        << Records{mouseRec(EV_REL, REL_X, 7), mouseRec(EV_REL, REL_Y, -3), syn(VirtualDevice::Mouse)};
}

void TestUinput::mouseButtons()
{
    verifyTranslation();
}

// The desktop counts clicks by their time: a click the desktop saw just before
// is the first click of the driver's double click, which then sends only its
// second pair. The interval is not the default 0.5 s, so that a translator
// keeping the default fails the row after the interval.
void TestUinput::doubleClickCountsTheClickBefore_data()
{
    QTest::addColumn<std::vector<OVEvent>>("before");
    QTest::addColumn<double>("pauseSeconds");
    QTest::addColumn<std::vector<OVEvent>>("after");
    QTest::addColumn<Records>("expected");

    const std::vector<OVEvent> inRange { proximity(300, 400, true) };
    const Records inRangeRecords { pen(EV_ABS, ABS_X, 25280), pen(EV_ABS, ABS_Y, 6400),
        pen(EV_ABS, ABS_PRESSURE, 0), pen(EV_KEY, BTN_TOOL_PEN, 1), syn(VirtualDevice::Pen) };
    // The second tap's lift, after the double click: the tip is not down on
    // the pen, so it only hovers.
    const std::vector<OVEvent> secondTap
        = joined<OVEvent>({ doubleClick(), { point(eventtype::LeftMouseUp, 300, 400) } });
    const Records lift { pen(EV_ABS, ABS_X, 25280), pen(EV_ABS, ABS_Y, 6400), syn(VirtualDevice::Pen) };
    const std::vector<OVEvent> penButtonClick { mouse(eventtype::LeftMouseDown, 0),
        mouse(eventtype::LeftMouseUp, 0) };

    QTest::newRow("second tap within the interval: the tap and one click")
        << joined<OVEvent>({ inRange, tap() }) << 0.2 << secondTap
        << joined<InputRecord>({ inRangeRecords, tapRecords(), leftClickRecords(), lift });
    QTest::newRow("double click after the interval: two clicks")
        << joined<OVEvent>({ inRange, tap() }) << 0.4 << secondTap
        << joined<InputRecord>(
               { inRangeRecords, tapRecords(), leftClickRecords(), leftClickRecords(), lift });
    QTest::newRow("express key's double click with no tap before: two clicks")
        << std::vector<OVEvent> {} << 0.0 << doubleClick()
        << joined<InputRecord>({ leftClickRecords(), leftClickRecords() });
    QTest::newRow("tip pressed and not yet lifted: two clicks")
        << joined<OVEvent>({ inRange, { point(eventtype::LeftMouseDown, 300, 400, 1.0) } }) << 0.1
        << doubleClick()
        << joined<InputRecord>({ inRangeRecords, touchRecords(), leftClickRecords(), leftClickRecords() });
    QTest::newRow("pen button's left click right after a tap is sent")
        << joined<OVEvent>({ inRange, tap() }) << 0.05 << penButtonClick
        << joined<InputRecord>({ inRangeRecords, tapRecords(), leftClickRecords() });
    QTest::newRow("double click right after the pen button's left click: one click more")
        << penButtonClick << 0.1 << doubleClick()
        << joined<InputRecord>({ leftClickRecords(), leftClickRecords() });
    // Leaving range with the tip down lifts it: that is a release too.
    QTest::newRow("double click right after leaving range touching: one click")
        << joined<OVEvent>(
               { inRange, { point(eventtype::LeftMouseDown, 300, 400, 1.0), proximity(300, 400, false) } })
        << 0.1 << doubleClick()
        << joined<InputRecord>({ inRangeRecords, touchRecords(),
               Records { pen(EV_ABS, ABS_X, 25280), pen(EV_ABS, ABS_Y, 6400), pen(EV_ABS, ABS_PRESSURE, 0),
                   pen(EV_KEY, BTN_TOUCH, 0), pen(EV_KEY, BTN_TOOL_PEN, 0), syn(VirtualDevice::Pen) },
               leftClickRecords() });
}

void TestUinput::doubleClickCountsTheClickBefore()
{
    QFETCH(std::vector<OVEvent>, before);
    QFETCH(double, pauseSeconds);
    QFETCH(std::vector<OVEvent>, after);
    QFETCH(Records, expected);
    UinputTranslator translator(kDesktop);
    translator.setDoubleClickInterval(0.3);
    Records actual = translateAll(translator, before);
    const Records second
        = translateAll(translator, after, double(before.size()) * kEventSpacing + pauseSeconds);
    actual.insert(actual.end(), second.begin(), second.end());
    QVERIFY2(actual == expected, qPrintable(describe(actual) + QStringLiteral("\n") + describe(expected)));
}

// The poster gives the translator a running clock and, without a GUI
// application, the desktop's usual 0.5 s.
void TestUinput::posterTimesClicksByItsClock_data()
{
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<int>("mouseClicks");

    QTest::newRow("at once: one click") << 0 << 1;
    QTest::newRow("after 0.6 s: two clicks") << 600 << 2;
}

void TestUinput::posterTimesClicksByItsClock()
{
    QFETCH(int, pauseMs);
    QFETCH(int, mouseClicks);
    auto owned = std::make_unique<RecordingSink>();
    RecordingSink &sink = *owned;
    UinputEventPoster poster(std::move(owned));
    poster.setDesktop(kDesktop);
    poster.post(proximity(300, 400, true));
    for (const OVEvent &event : tap())
        poster.post(event);
    QTest::qSleep(pauseMs);
    for (const OVEvent &event : doubleClick())
        poster.post(event);
    const auto presses = std::count(sink.written.begin(), sink.written.end(), mouseRec(EV_KEY, BTN_LEFT, 1));
    QCOMPARE(int(presses), mouseClicks);
}

// A line is a third of a detent (120 high-resolution units); whole detents go
// out as they add up, so nothing is lost between steps.
void TestUinput::scrollsCountLinesInDetents_data()
{
    QTest::addColumn<QList<qint32>>("lines");
    QTest::addColumn<Records>("expected");

    QTest::newRow("page up twice (5 lines each)")
        << QList<qint32>{5, 5}
        << Records{mouseRec(EV_REL, REL_WHEEL, 1), mouseRec(EV_REL, REL_WHEEL_HI_RES, 200),
                   syn(VirtualDevice::Mouse), mouseRec(EV_REL, REL_WHEEL, 2),
                   mouseRec(EV_REL, REL_WHEEL_HI_RES, 200), syn(VirtualDevice::Mouse)};
    QTest::newRow("down then up")
        << QList<qint32>{-5, 5}
        << Records{mouseRec(EV_REL, REL_WHEEL, -1), mouseRec(EV_REL, REL_WHEEL_HI_RES, -200),
                   syn(VirtualDevice::Mouse), mouseRec(EV_REL, REL_WHEEL, 1),
                   mouseRec(EV_REL, REL_WHEEL_HI_RES, 200), syn(VirtualDevice::Mouse)};
    QTest::newRow("one line") << QList<qint32>{1}
                              << Records{mouseRec(EV_REL, REL_WHEEL_HI_RES, 40), syn(VirtualDevice::Mouse)};
    QTest::newRow("no lines") << QList<qint32>{0} << Records{};
}

void TestUinput::scrollsCountLinesInDetents()
{
    QFETCH(QList<qint32>, lines);
    QFETCH(Records, expected);
    UinputTranslator translator(kDesktop);
    std::vector<OVEvent> events;
    for (const qint32 n : lines)
        events.push_back(scroll(n));
    const Records actual = translateAll(translator, events);
    QVERIFY2(actual == expected, qPrintable(describe(actual) + QStringLiteral("\n") + describe(expected)));
}

// A pen resting in range moves the driver to one sample in thirty reports;
// libinput ends the proximity of a tablet silent for 50 ms. The keep-alive
// frame carries nothing but a timestamp and comes at most every 10 ms.
void TestUinput::restingPenKeepsItsRange()
{
    UinputTranslator translator(kDesktop);
    QVERIFY(translator.keepAlive(10).empty()); // out of range
    translator.translate(proximity(10, 10, true), 10);
    QVERIFY(translator.keepAlive(10.005).empty());
    QCOMPARE(translator.keepAlive(10.012),
        (Records { pen(EV_MSC, MSC_TIMESTAMP, 10012000), syn(VirtualDevice::Pen) }));
    QVERIFY(translator.keepAlive(10.020).empty()); // counted from the keep-alive
    translator.translate(point(eventtype::MouseMoved, 11, 10), 10.025);
    QVERIFY(translator.keepAlive(10.030).empty()); // and from every frame of the pen
    QCOMPARE(translator.keepAlive(10.036).size(), size_t(2));
    // Microseconds on 32 bits, wrapping as the kernel's timestamps do.
    QCOMPARE(translator.keepAlive(4295).at(0).value, qint32(4295000000 - 4294967296));
    translator.translate(proximity(11, 10, false), 4296);
    QVERIFY(translator.keepAlive(4300).empty());
    // Mouse and keyboard events say nothing of the pen.
    translator.translate(proximity(11, 10, true), 5000);
    translator.translate(key(6, true, 0), 5000.030);
    QCOMPARE(translator.keepAlive(5000.031).size(), size_t(2));
}

// Only the tablet whose report last moved the pen keeps it in range: reports
// of another one, or none at all, let the desktop end the proximity.
void TestUinput::reportsOfThePensTabletKeepItInRange()
{
    auto owned = std::make_unique<RecordingSink>();
    RecordingSink &sink = *owned;
    UinputEventPoster poster(std::move(owned));
    poster.setDesktop(kDesktop);
    const int first = 0;
    const int second = 0;
    auto keptAlive = [&] {
        const auto n = std::count(sink.written.begin(), sink.written.end(), syn(VirtualDevice::Pen));
        sink.written.clear();
        return int(n);
    };
    auto rest = [] { QTest::qSleep(30); };

    poster.deviceReported(&first);
    poster.post(proximity(10, 10, true));
    poster.deviceReported(&first);
    QCOMPARE(keptAlive(), 1); // the proximity's own frame
    rest();
    poster.deviceReported(&second);
    QCOMPARE(keptAlive(), 0);
    poster.deviceReported(&first);
    QCOMPARE(keptAlive(), 1);
    poster.deviceReported(&first);
    QCOMPARE(keptAlive(), 0);

    poster.post(point(eventtype::MouseMoved, 20, 20));
    poster.deviceReported(&second);
    QCOMPARE(keptAlive(), 1);
    rest();
    poster.deviceReported(&first);
    QCOMPARE(keptAlive(), 0);
    poster.deviceReported(&second);
    QCOMPARE(keptAlive(), 1);

    poster.post(proximity(20, 20, false));
    poster.deviceReported(&second);
    QCOMPARE(keptAlive(), 1);
    rest();
    poster.deviceReported(&second);
    QCOMPARE(keptAlive(), 0);
}

void TestUinput::penFollowsTheDisplays()
{
    auto owned = std::make_unique<RecordingSink>();
    RecordingSink &sink = *owned;
    UinputEventPoster poster(std::move(owned));
    QVERIFY(poster.available());
    QCOMPARE(sink.created.size(), size_t(2)); // mouse and keyboard
    QVERIFY(!sink.exists(VirtualDevice::Pen));

    sim::SimDisplays displays;
    DisplayInfo main;
    main.id = 1;
    main.main = true;
    main.bounds = QRectF(0, 0, 1920, 1080);
    displays.setDisplay(main);
    poster.followDisplays(displays);
    QCOMPARE(sink.created.size(), size_t(3));
    QCOMPARE(sink.created.back().first, VirtualDevice::Pen);
    const QList<AbsAxis> axes = sink.created.back().second.axes;
    QCOMPARE(axes.at(0).code, quint16(ABS_X));
    QCOMPARE(axes.at(0).maximum, 1920 * 16 - 1);
    QCOMPARE(axes.at(1).maximum, 1080 * 16 - 1);

    // The pen goes in range, then a display is added above and to the left:
    // the pen is made again for the union and comes back in range by itself.
    poster.post(proximity(10, 10, true));
    DisplayInfo side;
    side.id = 2;
    side.bounds = QRectF(-1280, -200, 1280, 1024);
    displays.setDisplay(side);
    QCOMPARE(sink.created.size(), size_t(4));
    QCOMPARE(sink.created.back().second.axes.at(0).maximum, 3200 * 16 - 1);
    QCOMPARE(sink.created.back().second.axes.at(1).maximum, 1280 * 16 - 1);
    sink.written.clear();
    poster.post(point(eventtype::MouseMoved, 10, 10));
    QCOMPARE(sink.written.at(0), pen(EV_ABS, ABS_X, (10 + 1280) * 16));
    QCOMPARE(sink.written.at(1), pen(EV_ABS, ABS_Y, (10 + 200) * 16));
    QCOMPARE(sink.written.at(3), pen(EV_KEY, BTN_TOOL_PEN, 1));

    // The same displays again make nothing new.
    displays.setDisplay(side);
    QCOMPARE(sink.created.size(), size_t(4));
}

void TestUinput::withoutUinputNothingIsPosted()
{
    auto owned = std::make_unique<RecordingSink>();
    owned->refusal = QStringLiteral("cannot open /dev/uinput: No such file or directory");
    RecordingSink &sink = *owned;
    UinputEventPoster poster(std::move(owned));
    QString why;
    QVERIFY(!poster.available(&why));
    QCOMPARE(why, QStringLiteral("cannot open /dev/uinput: No such file or directory"));
    poster.setDesktop(kDesktop);
    poster.post(proximity(1, 1, true));
    poster.post(key(6, true, 0x100000));
    poster.post(scroll(5));
    QVERIFY(sink.created.empty());
    QVERIFY(sink.written.empty());
}

void TestUinput::strokeReadBackFromTheKernel()
{
    const int probe = ::open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    if (probe < 0)
        QSKIP(qPrintable(QStringLiteral("/dev/uinput cannot be opened here: %1")
                             .arg(QString::fromLocal8Bit(strerror(errno)))));
    ::close(probe);

    auto owned = std::make_unique<LibevdevUinputSink>();
    LibevdevUinputSink &sink = *owned;
    UinputEventPoster poster(std::move(owned));
    QVERIFY(poster.available());
    poster.setDesktop(QRectF(0, 0, 1920, 1080));
    const QString node = sink.devnode(VirtualDevice::Pen);
    if (node.isEmpty() || !QFileInfo(node).isReadable())
        QSKIP("the virtual pen's event node cannot be read here");
    const int fd = ::open(QFile::encodeName(node).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(fd >= 0);
    libevdev *reader = nullptr;
    QCOMPARE(libevdev_new_from_fd(fd, &reader), 0);
    QCOMPARE(QString::fromUtf8(libevdev_get_name(reader)), QStringLiteral("Orvane Virtual Pen"));
    QVERIFY(libevdev_has_event_code(reader, EV_KEY, BTN_STYLUS2));
    QCOMPARE(libevdev_get_abs_maximum(reader, ABS_X), 1920 * 16 - 1);

    poster.post(proximity(100, 100, true));
    poster.post(point(eventtype::LeftMouseDown, 101, 102, 0.5));
    poster.post(point(eventtype::LeftMouseDragged, 120, 130, 0.6));
    poster.post(point(eventtype::LeftMouseUp, 120, 130));
    poster.post(proximity(120, 130, false));

    // The kernel drops values that do not change; what is left must keep order.
    QList<QPair<int, int>> keys;
    QList<int> xs;
    input_event event {};
    int rc = 0;
    for (int tries = 0; tries < 1000 && keys.size() < 4; ++tries) {
        rc = libevdev_next_event(reader, LIBEVDEV_READ_FLAG_NORMAL, &event);
        if (rc != LIBEVDEV_READ_STATUS_SUCCESS)
            break;
        if (event.type == EV_KEY)
            keys.append({event.code, event.value});
        else if (event.type == EV_ABS && event.code == ABS_X)
            xs.append(event.value);
    }
    libevdev_free(reader);
    ::close(fd);
    QCOMPARE(keys, (QList<QPair<int, int>>{{BTN_TOOL_PEN, 1}, {BTN_TOUCH, 1}, {BTN_TOUCH, 0}, {BTN_TOOL_PEN, 0}}));
    QCOMPARE(xs, (QList<int>{1600, 1616, 1920}));
}

QTEST_MAIN(TestUinput) // the wheel step shows its notice
#include "tst_uinput.moc"
