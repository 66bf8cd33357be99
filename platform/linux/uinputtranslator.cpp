#include "uinputtranslator.h"

#include <algorithm>
#include <cmath>

#include <linux/input-event-codes.h>

#include "platform/eventposter.h"
#include "platform/keycodes.h"

namespace platform::native {

namespace {

namespace type = platform::eventtype;
namespace field = platform::eventfield;

// Our own USB ids for the virtual devices, which the quirk file matches.
constexpr quint16 kVirtualVendor = 0x4F56; // "OV"
constexpr quint16 kPenProduct = 0x0001;
constexpr quint16 kMouseProduct = 0x0002;
constexpr quint16 kKeyboardProduct = 0x0003;

// 1/16 point at 96 points per inch, in units per mm.
constexpr qint32 kPenResolution = 60;
// One unit per degree, in units per radian.
constexpr qint32 kTiltResolution = 57;

constexpr qint64 kSubtypeTabletPoint = 1;
constexpr qint64 kSubtypeTabletProximity = 2;
// The flags value with which the hot keys ask for no modifier at all.
constexpr quint64 kNoFlags = 0x100;
constexpr quint64 kModifierMask = 0x1E0000;
constexpr qint32 kHiResPerDetent = 120;
constexpr qint32 kLinesPerDetent = 3;

InputRecord rec(VirtualDevice device, quint16 type, quint16 code, qint32 value)
{
    return InputRecord{device, type, code, value};
}

InputRecord syn(VirtualDevice device)
{
    return rec(device, EV_SYN, SYN_REPORT, 0);
}

std::optional<double> doubleField(const OVEvent &event, int number)
{
    const auto it = event.fields.constFind(number);
    if (it == event.fields.constEnd())
        return std::nullopt;
    bool ok = false;
    const double value = it->toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<qint64> integerField(const OVEvent &event, int number)
{
    const auto it = event.fields.constFind(number);
    if (it == event.fields.constEnd())
        return std::nullopt;
    bool ok = false;
    const qint64 value = it->toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

qint32 clampRound(double value, qint32 maximum, qint32 minimum = 0)
{
    if (!std::isfinite(value))
        return minimum;
    return qint32(std::clamp(std::lround(value), long(minimum), long(maximum)));
}

qint32 axisMax(double points)
{
    return std::max(1, int(std::ceil(points * kPenUnitsPerPoint)) - 1);
}

std::optional<quint16> mouseButtonCode(const OVEvent &event)
{
    switch (event.type) {
    case type::LeftMouseDown:
    case type::LeftMouseUp:
        return BTN_LEFT;
    case type::RightMouseDown:
    case type::RightMouseUp:
        return BTN_RIGHT;
    case type::OtherMouseDown:
    case type::OtherMouseUp:
        switch (event.button) {
        case 2:
            return BTN_MIDDLE;
        case 3:
            return BTN_SIDE;
        case 4:
            return BTN_EXTRA;
        default:
            return std::nullopt;
        }
    default:
        return std::nullopt;
    }
}

bool isButtonDown(quint32 eventType)
{
    return eventType == type::LeftMouseDown || eventType == type::RightMouseDown
        || eventType == type::OtherMouseDown;
}

} // namespace

DeviceDescription penDescription(const QRectF &desktop)
{
    DeviceDescription d;
    d.name = QString::fromLatin1(kPenDeviceName);
    d.vendor = kVirtualVendor;
    d.product = kPenProduct;
    for (const quint16 code : {BTN_TOOL_PEN, BTN_TOUCH, BTN_STYLUS, BTN_STYLUS2})
        d.codes.append({EV_KEY, code});
    d.codes.append({ EV_MSC, MSC_TIMESTAMP }); // the frames that keep a still pen in range
    d.axes = {
        {ABS_X, 0, axisMax(desktop.width()), kPenResolution},
        {ABS_Y, 0, axisMax(desktop.height()), kPenResolution},
        {ABS_PRESSURE, 0, kPenPressureMax, 0},
        {ABS_TILT_X, -kPenTiltMax, kPenTiltMax, kTiltResolution},
        {ABS_TILT_Y, -kPenTiltMax, kPenTiltMax, kTiltResolution},
    };
    // An external tablet, not a screen overlay: the desktop maps it onto all
    // displays together, as our axes span them.
    d.properties = {INPUT_PROP_POINTER};
    return d;
}

DeviceDescription mouseDescription()
{
    DeviceDescription d;
    d.name = QString::fromLatin1(kMouseDeviceName);
    d.vendor = kVirtualVendor;
    d.product = kMouseProduct;
    for (const quint16 code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA})
        d.codes.append({EV_KEY, code});
    // Relative axes make it a pointer for libinput even though the driver
    // rarely moves it.
    for (const quint16 code : {REL_X, REL_Y, REL_WHEEL, REL_WHEEL_HI_RES})
        d.codes.append({EV_REL, code});
    return d;
}

DeviceDescription keyboardDescription()
{
    DeviceDescription d;
    d.name = QString::fromLatin1(kKeyboardDeviceName);
    d.vendor = kVirtualVendor;
    d.product = kKeyboardProduct;
    for (int key = 0; key <= KEY_MAX; ++key) {
        if (macKeyForEvdevKey(key))
            d.codes.append({EV_KEY, quint16(key)});
    }
    return d;
}

UinputTranslator::UinputTranslator(const QRectF &desktop)
    : m_desktop(desktop)
{
}

void UinputTranslator::setDesktop(const QRectF &desktop)
{
    m_desktop = desktop;
    m_penInRange = false;
    m_penTouching = false;
}

qint32 UinputTranslator::penX(double x) const
{
    return clampRound((x - m_desktop.left()) * kPenUnitsPerPoint, axisMax(m_desktop.width()));
}

qint32 UinputTranslator::penY(double y) const
{
    return clampRound((y - m_desktop.top()) * kPenUnitsPerPoint, axisMax(m_desktop.height()));
}

UinputTranslator::Result UinputTranslator::translate(const OVEvent &event, double nowSeconds)
{
    Result result;
    switch (event.kind) {
    case OVEvent::Kind::Tablet:
        if (event.type == type::TabletProximity)
            translateProximity(event, nowSeconds, result);
        break;
    case OVEvent::Kind::Mouse: {
        const qint64 subtype = integerField(event, field::MouseEventSubtype).value_or(0);
        if (subtype == kSubtypeTabletPoint)
            translatePoint(event, nowSeconds, result);
        else if (subtype != kSubtypeTabletProximity)
            translateMouse(event, nowSeconds, result);
        break;
    }
    case OVEvent::Kind::Keyboard:
        translateKey(event, result);
        break;
    case OVEvent::Kind::Scroll:
        translateScroll(event, result);
        break;
    }
    if (std::any_of(result.records.begin(), result.records.end(),
            [](const InputRecord &r) { return r.device == VirtualDevice::Pen; }))
        m_lastPenFrame = nowSeconds;
    return result;
}

std::vector<InputRecord> UinputTranslator::keepAlive(double nowSeconds)
{
    if (!m_penInRange || nowSeconds - m_lastPenFrame < kPenKeepAliveSeconds)
        return {};
    m_lastPenFrame = nowSeconds;
    // The kernel passes on a frame only when something in it is new; a
    // timestamp always is. libinput reads nothing into it, and a frame of the
    // pen restarts its 50 ms. Microseconds, wrapping as MSC_TIMESTAMP does.
    const auto micros = quint32(quint64(std::llround(std::max(0.0, nowSeconds) * 1e6)));
    return { rec(VirtualDevice::Pen, EV_MSC, MSC_TIMESTAMP, qint32(micros)), syn(VirtualDevice::Pen) };
}

void UinputTranslator::penPosition(const OVEvent &event, std::vector<InputRecord> &records) const
{
    records.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_X, penX(event.x)));
    records.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_Y, penY(event.y)));
}

// The tilt's sign, axis by axis, from the tablet to the desktop:
//
//   tablet's report         driver's event field        ABS_TILT_* (libinput)
//   x > 0: top to the right  tilt x = x / 90       ->   x, top to the right
//   y > 0: top to the user   tilt y = -y / 90      ->   y, top towards the user
//
// The driver's fields keep the convention of the desktop it was first written
// for, where a positive y leans the pen's top away from the user, hence its
// -y. The kernel's tablets and libinput count y the other way (positive
// towards the user, the bottom of the tablet), as the tablets themselves do,
// so x passes through and y turns back. The VM test leans a pen right and
// towards the user on a virtual USB tablet and reads both as positive in
// libinput.
void UinputTranslator::penTilt(const OVEvent &event, std::vector<InputRecord> &records) const
{
    if (const auto tiltX = doubleField(event, field::TabletEventTiltX))
        records.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_TILT_X,
            clampRound(*tiltX * kPenTiltMax, kPenTiltMax, -kPenTiltMax)));
    if (const auto tiltY = doubleField(event, field::TabletEventTiltY))
        records.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_TILT_Y,
            clampRound(-*tiltY * kPenTiltMax, kPenTiltMax, -kPenTiltMax)));
}

void UinputTranslator::enterRange(const OVEvent &event, Result &result)
{
    auto &r = result.records;
    penPosition(event, r);
    r.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_PRESSURE, 0));
    r.push_back(rec(VirtualDevice::Pen, EV_KEY, BTN_TOOL_PEN, 1));
    r.push_back(syn(VirtualDevice::Pen));
    m_penInRange = true;
}

void UinputTranslator::translateProximity(const OVEvent &event, double nowSeconds, Result &result)
{
    const bool enter = integerField(event, field::TabletProximityEventEnterProximity).value_or(0) != 0;
    auto &r = result.records;
    if (enter) {
        if (!m_penInRange) {
            enterRange(event, result);
        } else {
            penPosition(event, r);
            r.push_back(syn(VirtualDevice::Pen));
        }
        return;
    }
    if (!m_penInRange)
        return;
    penPosition(event, r);
    if (m_penTouching) {
        r.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_PRESSURE, 0));
        r.push_back(rec(VirtualDevice::Pen, EV_KEY, BTN_TOUCH, 0));
        m_lastLeftRelease = nowSeconds;
    }
    r.push_back(rec(VirtualDevice::Pen, EV_KEY, BTN_TOOL_PEN, 0));
    r.push_back(syn(VirtualDevice::Pen));
    m_penInRange = false;
    m_penTouching = false;
}

void UinputTranslator::translatePoint(const OVEvent &event, double nowSeconds, Result &result)
{
    if (!m_penInRange)
        enterRange(event, result);
    auto &r = result.records;
    const double pressure = doubleField(event, field::TabletEventPointPressure)
                                .value_or(doubleField(event, field::MouseEventPressure).value_or(1.0));
    const qint32 touchPressure =
        std::max(kPenTouchPressureFloor, clampRound(pressure * kPenPressureMax, kPenPressureMax));

    penPosition(event, r);
    switch (event.type) {
    case type::LeftMouseDown:
        r.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_PRESSURE, touchPressure));
        break;
    case type::LeftMouseDragged:
        if (m_penTouching)
            r.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_PRESSURE, touchPressure));
        break;
    case type::LeftMouseUp:
        if (m_penTouching)
            r.push_back(rec(VirtualDevice::Pen, EV_ABS, ABS_PRESSURE, 0));
        break;
    default:
        break;
    }
    penTilt(event, r);
    if (event.type == type::LeftMouseDown && !m_penTouching) {
        r.push_back(rec(VirtualDevice::Pen, EV_KEY, BTN_TOUCH, 1));
        m_penTouching = true;
    } else if (event.type == type::LeftMouseUp && m_penTouching) {
        r.push_back(rec(VirtualDevice::Pen, EV_KEY, BTN_TOUCH, 0));
        m_penTouching = false;
        m_lastLeftRelease = nowSeconds;
    }
    r.push_back(syn(VirtualDevice::Pen));
}

// The driver turns a second quick tap into a double click of four mouse
// events: a down and an up with pressure and no click state, then a down and
// an up with click state 2. The desktop toolkits ignore the click state and
// count clicks by the time between them, so the first tap, already sent as a
// press of the tip, is a click to them: with both pairs sent they see a triple
// click and select a line instead of a word. When the tip or the left button
// went up less than the double-click interval before, the first pair is left
// out (its up then finds the button up and sends nothing), and that earlier
// press and the second pair make the double click. An express key's double
// click has no tap before it and keeps both pairs; the pen button's left click
// carries no pressure and is always sent.
bool UinputTranslator::isFirstClickAlreadyCounted(const OVEvent &event, double nowSeconds) const
{
    return event.type == type::LeftMouseDown && event.fields.contains(field::MouseEventPressure)
        && !event.fields.contains(field::MouseEventClickState) && m_lastLeftRelease
        && nowSeconds - *m_lastLeftRelease < m_doubleClickInterval;
}

void UinputTranslator::translateMouse(const OVEvent &event, double nowSeconds, Result &result)
{
    if (isFirstClickAlreadyCounted(event, nowSeconds))
        return;
    auto &r = result.records;
    const qint64 dx = integerField(event, field::MouseEventDeltaX).value_or(0);
    const qint64 dy = integerField(event, field::MouseEventDeltaY).value_or(0);
    if (dx)
        r.push_back(rec(VirtualDevice::Mouse, EV_REL, REL_X, qint32(std::clamp<qint64>(dx, INT32_MIN, INT32_MAX))));
    if (dy)
        r.push_back(rec(VirtualDevice::Mouse, EV_REL, REL_Y, qint32(std::clamp<qint64>(dy, INT32_MIN, INT32_MAX))));

    if (const std::optional<quint16> button = mouseButtonCode(event)) {
        const bool down = isButtonDown(event.type);
        const bool held = m_mouseButtons.count(*button) != 0;
        if (down != held) {
            r.push_back(rec(VirtualDevice::Mouse, EV_KEY, *button, down ? 1 : 0));
            if (down)
                m_mouseButtons.insert(*button);
            else
                m_mouseButtons.erase(*button);
            if (!down && *button == BTN_LEFT)
                m_lastLeftRelease = nowSeconds;
        }
    }
    if (!r.empty())
        r.push_back(syn(VirtualDevice::Mouse));
}

void UinputTranslator::translateKey(const OVEvent &event, Result &result)
{
    const std::optional<int> key = evdevKeyForMacKey(event.keyCode);
    if (!key) {
        result.unmappedKey = event.keyCode;
        return;
    }
    auto &r = result.records;
    auto press = [&](int code, qint32 value) {
        r.push_back(rec(VirtualDevice::Keyboard, EV_KEY, quint16(code), value));
        r.push_back(syn(VirtualDevice::Keyboard));
        if (value)
            m_keysDown.insert(code);
        else
            m_keysDown.erase(code);
    };

    if (event.keyDown) {
        std::vector<int> modifiers;
        if (event.flags != kNoFlags) {
            for (const quint16 macModifier : macModifierKeysForFlags(event.flags & kModifierMask)) {
                if (const std::optional<int> modifier = evdevKeyForMacKey(macModifier))
                    modifiers.push_back(*modifier);
            }
        }
        m_keysPosted.insert(*key);
        // A second key-down of a held key keeps what the first one pressed.
        std::vector<int> &owned = m_keyModifiers[*key];
        for (const int modifier : modifiers) {
            if (std::find(owned.begin(), owned.end(), modifier) == owned.end())
                owned.push_back(modifier);
        }
        for (const int modifier : modifiers) {
            if (!m_keysDown.count(modifier))
                press(modifier, 1);
        }
        if (!m_keysDown.count(*key))
            press(*key, 1);
        return;
    }

    if (!m_keysPosted.count(*key))
        return;
    m_keysPosted.erase(*key);
    std::vector<int> released = m_keyModifiers[*key];
    m_keyModifiers.erase(*key);
    std::set<int> wanted = m_keysPosted;
    for (const auto &entry : m_keyModifiers)
        wanted.insert(entry.second.begin(), entry.second.end());
    if (!wanted.count(*key) && m_keysDown.count(*key))
        press(*key, 0);
    std::reverse(released.begin(), released.end());
    for (const int modifier : released) {
        if (!wanted.count(modifier) && m_keysDown.count(modifier))
            press(modifier, 0);
    }
}

void UinputTranslator::translateScroll(const OVEvent &event, Result &result)
{
    if (event.lines == 0)
        return;
    // Lines to 1/120 detent, bounded far beyond any scroll the driver posts.
    const qint64 lines = std::clamp<qint64>(event.lines, -100000, 100000);
    const qint32 hiRes = qint32(lines * kHiResPerDetent / kLinesPerDetent);
    m_wheelRest += hiRes;
    const qint32 detents = m_wheelRest / kHiResPerDetent;
    m_wheelRest -= detents * kHiResPerDetent;
    auto &r = result.records;
    // Positive lines scroll up, as a wheel turned away from the user does.
    if (detents)
        r.push_back(rec(VirtualDevice::Mouse, EV_REL, REL_WHEEL, detents));
    r.push_back(rec(VirtualDevice::Mouse, EV_REL, REL_WHEEL_HI_RES, hiRes));
    r.push_back(syn(VirtualDevice::Mouse));
}

} // namespace platform::native
