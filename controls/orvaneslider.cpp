#include "controls/orvaneslider.h"

#include <algorithm>
#include <cmath>

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/kitaccessible.h"
#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

namespace {

const QColor kKnobRing = grey(174);
const QColor kDisabled = grey(211);
constexpr int kIntegerSteps = 1000; // QAbstractSlider's integer value: thousandths
constexpr int kStepsPerRange = 100;
constexpr int kStepsPerPage = 10;

} // namespace

OrvaneSlider::OrvaneSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    installKitAccessibility();
    setFocusPolicy(Qt::TabFocus);
    QAbstractSlider::setRange(0, kIntegerSteps);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize OrvaneSlider::sizeHint() const
{
    return QSize(160, int(sliderHeight(hasTickMarks())));
}

QSize OrvaneSlider::minimumSizeHint() const
{
    return QSize(int(kSliderKnobBox) * 2, int(sliderHeight(hasTickMarks())));
}

double OrvaneSlider::clamped(double value) const
{
    if (!std::isfinite(value))
        return m_min;
    return std::clamp(value, m_min, std::max(m_min, m_max));
}

double OrvaneSlider::fraction() const
{
    return m_max > m_min ? (m_value - m_min) / (m_max - m_min) : 0.0;
}

int OrvaneSlider::stepsPerRange() const
{
    return m_tickValuesOnly && m_tickMarks > 1 ? m_tickMarks - 1 : kStepsPerRange;
}

double OrvaneSlider::step() const
{
    return std::max(0.0, m_max - m_min) / stepsPerRange();
}

void OrvaneSlider::moveBySteps(int steps)
{
    // Steps land on the grid of steps from the minimum, each value computed
    // afresh (25 / 100, not 0.24 + 0.01), so repeated keys never drift.
    const int count = stepsPerRange();
    const double range = m_max - m_min;
    if (!(range > 0))
        return;
    const double at = std::round((m_value - m_min) / range * count);
    moveTo(m_min + (at + steps) * range / count);
}

void OrvaneSlider::store(double value)
{
    if (value == m_value)
        return;
    m_value = value;
    QAbstractSlider::setValue(int(std::lround(fraction() * kIntegerSteps)));
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, m_value);
        QAccessible::updateAccessibility(&event);
    }
    emit doubleValueChanged(m_value);
}

void OrvaneSlider::setDoubleValue(double value)
{
    store(clamped(value));
}

void OrvaneSlider::setRange(double minValue, double maxValue)
{
    m_min = std::isfinite(minValue) ? minValue : 0.0;
    m_max = std::isfinite(maxValue) ? std::max(m_min, maxValue) : m_min;
    const double value = clamped(m_value);
    m_value = std::nan(""); // the integer value follows the new range
    store(value);
}

void OrvaneSlider::setNumberOfTickMarks(int count)
{
    m_tickMarks = std::max(0, count);
    setTickPosition(m_tickMarks > 0 ? QSlider::TicksBelow : QSlider::NoTicks);
    updateGeometry();
    update();
}

void OrvaneSlider::setAllowsTickMarkValuesOnly(bool only)
{
    m_tickValuesOnly = only;
}

void OrvaneSlider::moveTo(double value)
{
    value = clamped(value);
    if (m_tickValuesOnly && m_tickMarks > 1 && m_max > m_min) {
        const int ticks = m_tickMarks - 1;
        value = clamped(
            m_min + std::round((value - m_min) / (m_max - m_min) * ticks) * (m_max - m_min) / ticks);
    }
    if (value == m_value)
        return;
    store(value);
    emit moved(m_value);
}

void OrvaneSlider::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        moveBySteps(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        moveBySteps(1);
        break;
    case Qt::Key_PageDown:
        moveBySteps(-kStepsPerPage);
        break;
    case Qt::Key_PageUp:
        moveBySteps(kStepsPerPage);
        break;
    case Qt::Key_Home:
        moveTo(m_min);
        break;
    case Qt::Key_End:
        moveTo(m_max);
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void OrvaneSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = true;
    setSliderDown(true);
    const QRectF bar = sliderBarRect(size(), hasTickMarks());
    moveTo(m_min + sliderFractionAt(bar, event->position().x()) * (m_max - m_min));
}

void OrvaneSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const QRectF bar = sliderBarRect(size(), hasTickMarks());
    moveTo(m_min + sliderFractionAt(bar, event->position().x()) * (m_max - m_min));
}

void OrvaneSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        setSliderDown(false);
    }
}

void OrvaneSlider::wheelEvent(QWheelEvent *event)
{
    // The wheel scrolls the page, never a setting by accident.
    event->ignore();
}

void OrvaneSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool enabled = isEnabled();
    const bool ticks = hasTickMarks();
    const QRectF bar = sliderBarRect(size(), ticks);
    fillRounded(painter, sliderTrack(bar), enabled ? kWhite : kDisabled);
    if (const auto part = sliderValuePart(bar, fraction(), ticks))
        fillRounded(painter, *part, kGreen);

    const QRectF knob = sliderKnobRect(size(), fraction(), ticks);
    if (ticks) {
        painter.setPen(QPen(kKnobRing, 1));
        const double top = knob.bottom() + 2;
        for (int i = 0; i < m_tickMarks; ++i) {
            const double x = std::round(sliderTickX(bar, i, m_tickMarks)) + 0.5;
            painter.drawLine(QPointF(x, top), QPointF(x, top + kSliderTickLength));
        }
    }
    // The ring is stroked on the disc's edge: half of it lies outside.
    painter.setPen(QPen(hasFocus() ? kLightGreen : kKnobRing, 2));
    painter.setBrush(enabled ? kWhite : kDisabled);
    painter.drawEllipse(sliderKnobCircle(knob, ticks));
}

} // namespace controls
