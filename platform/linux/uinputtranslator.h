#pragma once

#include <map>
#include <optional>
#include <set>
#include <vector>

#include <QList>
#include <QRectF>
#include <QString>

namespace platform {
struct OVEvent;
}

namespace platform::native {

// The three virtual devices through which the driver's events reach the
// desktop: a pen tablet spanning every display, a wheel mouse and a keyboard.
enum class VirtualDevice { Pen, Mouse, Keyboard };

// One input_event as written to a virtual device.
struct InputRecord
{
    VirtualDevice device = VirtualDevice::Pen;
    quint16 type = 0;
    quint16 code = 0;
    qint32 value = 0;

    friend bool operator==(const InputRecord &, const InputRecord &) = default;
};

struct AbsAxis
{
    quint16 code = 0;
    qint32 minimum = 0;
    qint32 maximum = 0;
    qint32 resolution = 0; // units per mm (per radian for tilt)
};

// What a virtual device declares when it is created.
struct DeviceDescription
{
    QString name;
    quint16 vendor = 0;
    quint16 product = 0;
    QList<QPair<quint16, quint16>> codes; // (event type, code), ABS axes excluded
    QList<AbsAxis> axes;
    QList<quint16> properties; // INPUT_PROP_*
};

// Device names, matched by the libinput quirk that turns the pen's smoothing
// off (packaging/linux) and by the modifier tap, which must not read our own
// keyboard back as a physical one.
inline constexpr char kVirtualDeviceNamePrefix[] = "Orvane Virtual";
inline constexpr char kPenDeviceName[] = "Orvane Virtual Pen";
inline constexpr char kMouseDeviceName[] = "Orvane Virtual Mouse";
inline constexpr char kKeyboardDeviceName[] = "Orvane Virtual Keyboard";

// The pen's position in 1/16 point, so that pen displays keep sub-point
// precision; the axes run from 0 to the desktop's size in those units.
inline constexpr int kPenUnitsPerPoint = 16;
inline constexpr qint32 kPenPressureMax = 8191;
// While the tip touches, the pressure stays at or above this: libinput takes
// the tip's contact from the pressure, and a touch the driver reports must not
// vanish under the threshold (the quirk file sets the range to match).
inline constexpr qint32 kPenTouchPressureFloor = 11;
// Tilt in degrees, as the driver's fractions of 90 degrees.
inline constexpr qint32 kPenTiltMax = 90;
// A pen in range that has nothing new to say still sends a frame this often
// while its tablet reports, well inside libinput's 50 ms (seconds). At 20 ms
// a stall of the driver of 30 ms (a loaded machine; the VM test under
// emulation showed them) was enough for libinput to end the proximity.
inline constexpr double kPenKeepAliveSeconds = 0.01;

// desktop: the union of the displays' bounds in global points.
DeviceDescription penDescription(const QRectF &desktop);
DeviceDescription mouseDescription();
// Every key of the key-code table.
DeviceDescription keyboardDescription();

// Turns the driver's events (mac event types, fields, key codes and flags)
// into input_event records for the three devices. Pure: it keeps only what the
// devices hold (pen in range and touching, mouse buttons and keys down, the
// wheel's unsent fraction) and writes nothing.
//
// - Tablet proximity and tablet-point mouse events go to the pen. A point
//   event while the pen is out of range brings it in range first, in a frame
//   of its own without pressure, so that libinput takes no pressure offset.
//   The proximity subtype's mouse-moved event adds nothing: its proximity
//   event carries the same position. A drag or up after a synthesised double
//   click (the tip never went down on the pen) only hovers.
// - Plain mouse events press and release buttons of the mouse at the pointer,
//   which is where the pen put it; deltas move it relatively.
// - The desktop toolkits count clicks themselves, by the time between them;
//   the click state of the driver's double click means nothing to them. The
//   first click of a synthesised double click is therefore left out when the
//   tip or the left button was released less than the double-click interval
//   before it (see isFirstClickAlreadyCounted).
// - Keyboard events press the keys of their flags' modifiers before the key
//   and release them after its key-up, unless a key posted on its own holds
//   them; the modifier key-ups that follow a hot key then find nothing left.
//   The modifier flags of pointer events press nothing: they only mirror what
//   the physical keyboard holds.
// - Scrolls count in lines; a wheel detent is three lines, as the desktop
//   toolkits scroll three lines per detent; high-resolution clicks carry the
//   fraction.
// - While the pen stays in range without moving, the driver posts one sample
//   in thirty reports; libinput takes a tablet that is silent for 50 ms and
//   has never left range by itself for one that lost its pen, and ends the
//   proximity. keepAlive() gives the frame that says the pen is still there.
class UinputTranslator
{
public:
    struct Result
    {
        std::vector<InputRecord> records;
        // A keyboard event whose mac key code has no Linux key.
        std::optional<quint16> unmappedKey;
    };

    explicit UinputTranslator(const QRectF &desktop = QRectF());

    // A new pen device spans the new desktop: it starts out of range.
    void setDesktop(const QRectF &desktop);
    QRectF desktop() const { return m_desktop; }

    // nowSeconds: a monotonic clock, for the clicks the desktop counts.
    Result translate(const OVEvent &event, double nowSeconds);

    // The desktop's double-click interval in seconds; 0.5 s until set.
    void setDoubleClickInterval(double seconds) { m_doubleClickInterval = seconds; }
    double doubleClickInterval() const { return m_doubleClickInterval; }

    // A frame of the pen that changes nothing but says, in its timestamp,
    // that the tablet still reports: empty while the pen is out of range or
    // a frame went out less than kPenKeepAliveSeconds ago.
    std::vector<InputRecord> keepAlive(double nowSeconds);
    bool isPenInRange() const { return m_penInRange; }

    // The scaled pen position of a point in global points.
    qint32 penX(double x) const;
    qint32 penY(double y) const;

private:
    void translateProximity(const OVEvent &event, double nowSeconds, Result &result);
    void translatePoint(const OVEvent &event, double nowSeconds, Result &result);
    void translateMouse(const OVEvent &event, double nowSeconds, Result &result);
    bool isFirstClickAlreadyCounted(const OVEvent &event, double nowSeconds) const;
    void translateKey(const OVEvent &event, Result &result);
    void translateScroll(const OVEvent &event, Result &result);
    void penPosition(const OVEvent &event, std::vector<InputRecord> &records) const;
    void enterRange(const OVEvent &event, Result &result);
    void penTilt(const OVEvent &event, std::vector<InputRecord> &records) const;

    QRectF m_desktop;
    bool m_penInRange = false;
    bool m_penTouching = false;
    double m_lastPenFrame = 0; // nowSeconds of the pen's last frame
    std::set<quint16> m_mouseButtons;
    double m_doubleClickInterval = 0.5; // s
    // When the tip or the mouse's left button last went up, in nowSeconds.
    std::optional<double> m_lastLeftRelease;
    qint32 m_wheelRest = 0; // 1/120 detent not yet sent as a whole detent
    // Keys pressed by their own key events; the modifiers each one's flags
    // brought; what the virtual keyboard holds.
    std::set<int> m_keysPosted;
    std::map<int, std::vector<int>> m_keyModifiers;
    std::set<int> m_keysDown;
};

} // namespace platform::native
