#include "eventposting.h"

#include <cmath>

#include <QStringList>

#include "driver/penparser.h"
#include "store/ovmodels.h"

namespace driver {

namespace {

using platform::OVEvent;
namespace type = platform::eventtype;
namespace field = platform::eventfield;
namespace flag = platform::eventflag;

// In the Finder a quick second tap is a double click wherever it lands, and a
// drag does not end the click.
const QString kFinderBundleId = QStringLiteral("com.apple.finder");
// Lightroom reads the drag's deltas, not its positions.
const QString kLightroomBundleId = QStringLiteral("com.adobe.Lightroom");

// A second tap this close to the first, in points, on both axes, is the same spot.
constexpr double kDoubleClickSlop = 2.0;
// lastMouseDragPoint before the first drag after a press or release.
const QPointF kNoDragPoint(-404, -404);

constexpr qint64 kMouseSubtypeTabletPoint = 1;
constexpr qint64 kMouseSubtypeTabletProximity = 2;
constexpr qint64 kPointerTypePen = 1;
// The capability mask the pen has always announced on entering and leaving.
constexpr qint64 kProximityCapabilities = 0x17C7;

bool isNear(QPointF a, QPointF b)
{
    return std::fabs(a.x() - b.x()) <= kDoubleClickSlop
        && std::fabs(a.y() - b.y()) <= kDoubleClickSlop;
}

void setProximityFields(OVEvent &event, bool enter)
{
    event.setInteger(field::TabletProximityEventEnterProximity, enter ? 1 : 0);
    event.setInteger(field::TabletProximityEventPointerType, kPointerTypePen);
    event.setInteger(field::TabletProximityEventCapabilityMask, kProximityCapabilities);
}

OVEvent mouseEvent(quint32 eventType, quint32 button, const OVEventDataPost &post)
{
    OVEvent event;
    event.kind = OVEvent::Kind::Mouse;
    event.type = eventType;
    event.button = button;
    event.x = post.loc.x;
    event.y = post.loc.y;
    return event;
}

} // namespace

bool isDoubleClickExcepted(const platform::FrontApplication &front)
{
    static const QStringList kContained = {QStringLiteral("Photoshop"), QStringLiteral("Safari")};
    static const QStringList kEqual = {
        QStringLiteral("Krita"),
        QStringLiteral("FireAlpaca"),
        QStringLiteral("MediBang Paint Pro"),
        QStringLiteral("SketchBook"),
        QStringLiteral("Pixelmator"),
        QStringLiteral("GoodNotes"),
        QStringLiteral("Microsoft OneNote"),
        QStringLiteral("CLIP STUDIO PAINT"),
        QStringLiteral("优动漫 PAINT"),
        QStringLiteral("Vectornator Pro"),
        QStringLiteral("Tayasui Sketches"),
        QStringLiteral("WPS Office"),
        QStringLiteral("Notability"),
        QStringLiteral("Monosnap"),
        QStringLiteral("Pavrel"),
        QStringLiteral("Google Chrome"),
        QStringLiteral("Firefox"),
        QStringLiteral("OrvaneTabletSetting"),
    };
    for (const QString &part : kContained) {
        if (front.hasNameContaining(part))
            return true;
    }
    for (const QString &name : kEqual) {
        if (front.isNamed(name))
            return true;
    }
    return false;
}

PenEventPosting::PenEventPosting(const store::ModelRow &row, PenState &pen)
    : m_row(row)
    , m_pen(pen)
{
}

MappingInput PenEventPosting::mappingInput(const PipelineContext &context) const
{
    MappingInput input;
    input.eventData = m_pen.eventData;
    input.lastEventData = m_pen.lastEventData;
    input.isMouseDown = m_pen.isMouseDown;
    input.settings = context.settings;
    input.screens = context.screens;
    input.model = mappingModel(m_row, context.firmware115, context.monitorNamePresent);
    input.calibration = context.calibration;
    // Only the relative mode's first sample needs the pointer.
    if (needsPointer(context.settings))
        input.pointerPosition = context.pointer;
    return input;
}

std::optional<OVEventDataPost> PenEventPosting::prepareEventDataPost(
    const PipelineContext &context, Effects &out)
{
    bool tBelowZero = false;
    const std::optional<OVEventDataPost> post
        = driver::prepareEventDataPost(mappingInput(context), m_mapping, &tBelowZero);
    if (tBelowZero)
        out.emplace_back(LogEffect { QtWarningMsg, QStringLiteral("t < 0") });
    return post;
}

void PenEventPosting::postMouseEvent(
    quint32 eventType, quint32 button, const PipelineContext &context, Effects &out)
{
    const std::optional<OVEventDataPost> mapped = prepareEventDataPost(context, out);
    if (!mapped)
        return;
    out.emplace_back(mouseEvent(eventType, button, *mapped));
}

void PenEventPosting::postMouseDoubleClickEvent(const PipelineContext &context, Effects &out)
{
    const std::optional<OVEventDataPost> mapped = prepareEventDataPost(context, out);
    if (!mapped)
        return;
    // One event, changed between the four posts; the first pair keeps the
    // click state it was made with.
    OVEvent event = mouseEvent(type::LeftMouseDown, 0, *mapped);
    event.setDouble(field::MouseEventPressure, 1.0);
    out.emplace_back(event);
    event.type = type::LeftMouseUp;
    event.setDouble(field::MouseEventPressure, 0.0);
    out.emplace_back(event);
    event.setInteger(field::MouseEventClickState, 2);
    event.type = type::LeftMouseDown;
    event.setDouble(field::MouseEventPressure, 1.0);
    out.emplace_back(event);
    event.type = type::LeftMouseUp;
    event.setDouble(field::MouseEventPressure, 0.0);
    out.emplace_back(std::move(event));
}

void PenEventPosting::postMouseScrollWheelEvent(qint32 lines, Effects &out)
{
    OVEvent event;
    event.kind = OVEvent::Kind::Scroll;
    event.type = type::ScrollWheel;
    event.lines = lines;
    out.emplace_back(std::move(event));
}

void PenEventPosting::postProximityEvent(bool enter, const PipelineContext &context, Effects &out)
{
    if (context.settings.ovCM == 1)
        m_pen.lastEventData.loc = m_pen.eventData.loc;
    const std::optional<OVEventDataPost> mapped = prepareEventDataPost(context, out);
    if (!mapped)
        return;

    OVEvent proximity;
    proximity.kind = OVEvent::Kind::Tablet;
    proximity.type = type::TabletProximity;
    proximity.x = mapped->loc.x;
    proximity.y = mapped->loc.y;
    setProximityFields(proximity, enter);

    OVEvent moved = mouseEvent(type::MouseMoved, 0, *mapped);
    moved.setInteger(field::MouseEventSubtype, kMouseSubtypeTabletProximity);
    setProximityFields(moved, enter);

    if (enter) {
        out.emplace_back(std::move(proximity));
        out.emplace_back(std::move(moved));
    } else {
        out.emplace_back(std::move(moved));
        out.emplace_back(std::move(proximity));
    }
}

void PenEventPosting::postPointEvent(quint32 eventType, const PipelineContext &context, Effects &out)
{
    const std::optional<OVEventDataPost> mapped = prepareEventDataPost(context, out);
    if (!mapped)
        return;
    const QPointF p(mapped->loc.x, mapped->loc.y);
    OVEvent event = mouseEvent(eventType, 0, *mapped);
    event.setInteger(field::MouseEventSubtype, kMouseSubtypeTabletPoint);
    event.setInteger(field::MouseEventClickState, 1);
    event.flags = 0;

    const platform::FrontApplication &front = context.front;
    const bool isFinder = front.bundleId == kFinderBundleId;
    // Full pressure while the curve is switched off.
    const double pressure = context.settings.ovPressure ? double(mapped->fpres) : 1.0;

    switch (eventType) {
    case type::LeftMouseDragged: {
        if (m_lastMouseDragPoint == kNoDragPoint)
            m_lastMouseDragPoint = m_lastMouseDownPoint;
        if (front.bundleId.contains(kLightroomBundleId)) {
            event.setInteger(field::MouseEventDeltaX,
                             qint64(std::trunc(p.x() - m_lastMouseDragPoint.x())));
            event.setInteger(field::MouseEventDeltaY,
                             qint64(std::trunc(p.y() - m_lastMouseDragPoint.y())));
        }
        m_lastMouseDragPoint = p;
        // A drag away from the press ends the click: the next tap is a first one.
        if (!isFinder && !isNear(p, m_lastMouseDownPoint))
            m_lastMouseDownTime.reset();
        event.setInteger(field::TabletEventPointButtons, 1);
        event.setDouble(field::MouseEventPressure, pressure);
        event.setDouble(field::TabletEventPointPressure, pressure);
        break;
    }
    case type::LeftMouseUp:
        m_lastMouseDragPoint = kNoDragPoint;
        event.setInteger(field::TabletEventPointButtons, 1);
        break;
    case type::LeftMouseDown: {
        m_lastMouseDragPoint = kNoDragPoint;
        const double now = context.now;
        const bool candidate = m_lastMouseDownTime
            && now - *m_lastMouseDownTime <= context.doubleClickInterval
            && (isFinder || isNear(p, m_lastMouseDownPoint));
        if (candidate && !isDoubleClickExcepted(front)) {
            m_lastMouseDownTime.reset();
            m_lastMouseDownPoint = p;
            postMouseDoubleClickEvent(context, out);
            return;
        }
        m_lastMouseDownTime = now;
        m_lastMouseDownPoint = p;
        if (context.calibrating && m_row.penDisplay) {
            const bool edge
                = context.psminxing || context.psminying || context.psmaxxing || context.psmaxying;
            const OVEventData::Loc &loc = m_pen.eventData.loc;
            out.emplace_back(CalibrationTouchEffect {
                edge, p, QPointF(qint64(loc.ix) * 256 + loc.dx, qint64(loc.iy) * 256 + loc.dy) });
        }
        event.setInteger(field::TabletEventPointButtons, 1);
        event.setDouble(field::MouseEventPressure, pressure);
        break;
    }
    default:
        break;
    }

    if (m_row.tilt) {
        event.setDouble(field::TabletEventTiltX, mapped->ftilt.x);
        event.setDouble(field::TabletEventTiltY, mapped->ftilt.y);
    }

    const HeldModifiers &held = context.modifiers;
    quint64 flags = event.flags;
    if (held.keyCode_Command)
        flags = flag::Command;
    if (held.keyCode_Option)
        flags |= flag::Option;
    if (held.keyCode_Shift)
        flags |= flag::Shift;
    if (held.keyCode_Control)
        flags |= flag::Control;
    event.flags = flags;
    out.emplace_back(std::move(event));
}

} // namespace driver
