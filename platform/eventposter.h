#pragma once

#include <QMap>
#include <QVariant>

namespace platform {

// Event types, field numbers and flags keep the numbers the system uses.
namespace eventtype {
inline constexpr quint32 LeftMouseDown = 1;
inline constexpr quint32 LeftMouseUp = 2;
inline constexpr quint32 RightMouseDown = 3;
inline constexpr quint32 RightMouseUp = 4;
inline constexpr quint32 MouseMoved = 5;
inline constexpr quint32 LeftMouseDragged = 6;
inline constexpr quint32 KeyDown = 10;
inline constexpr quint32 KeyUp = 11;
inline constexpr quint32 FlagsChanged = 12;
inline constexpr quint32 ScrollWheel = 22;
inline constexpr quint32 TabletProximity = 24;
inline constexpr quint32 OtherMouseDown = 25;
inline constexpr quint32 OtherMouseUp = 26;
} // namespace eventtype

namespace eventfield {
inline constexpr int MouseEventClickState = 1;
inline constexpr int MouseEventPressure = 2;
inline constexpr int MouseEventDeltaX = 4;
inline constexpr int MouseEventDeltaY = 5;
inline constexpr int MouseEventSubtype = 7;
inline constexpr int KeyboardEventKeycode = 9;
inline constexpr int TabletEventPointButtons = 18;
inline constexpr int TabletEventPointPressure = 19;
inline constexpr int TabletEventTiltX = 20;
inline constexpr int TabletEventTiltY = 21;
inline constexpr int TabletProximityEventCapabilityMask = 36;
inline constexpr int TabletProximityEventPointerType = 37;
inline constexpr int TabletProximityEventEnterProximity = 38;
} // namespace eventfield

namespace eventflag {
inline constexpr quint64 Shift = 0x20000;
inline constexpr quint64 Control = 0x40000;
inline constexpr quint64 Option = 0x80000;
inline constexpr quint64 Command = 0x100000;
inline constexpr quint64 Function = 0x800000;
} // namespace eventflag

// One event as the driver builds it. Fields hold qint64 (integer fields) or
// double (double fields), as they were set.
struct OVEvent
{
    enum class Kind { Mouse, Tablet, Keyboard, Scroll };

    Kind kind = Kind::Mouse;
    quint32 type = 0;
    quint32 button = 0;
    double x = 0;
    double y = 0;
    quint64 flags = 0;
    QMap<int, QVariant> fields;
    quint16 keyCode = 0; // keyboard: mac key code
    bool keyDown = false; // keyboard
    qint32 lines = 0; // scroll: wheel 1, in lines

    void setInteger(int field, qint64 value) { fields[field] = QVariant::fromValue(value); }
    void setDouble(int field, double value) { fields[field] = QVariant::fromValue(value); }
};

class EventPoster
{
public:
    virtual ~EventPoster() = default;
    virtual void post(const OVEvent &event) = 0;
};

} // namespace platform
