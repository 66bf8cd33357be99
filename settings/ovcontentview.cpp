#include "settings/ovcontentview.h"

#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>

namespace settings {

namespace {

bool isPen(const QPointerEvent *event)
{
    const QPointingDevice *device = event->pointingDevice();
    if (!device)
        return false;
    switch (device->type()) {
    case QInputDevice::DeviceType::Stylus:
    case QInputDevice::DeviceType::Airbrush:
    case QInputDevice::DeviceType::Puck:
        return true;
    default:
        return false;
    }
}

} // namespace

OVContentView::OVContentView(QWidget *parent)
    : QWidget(parent)
{ }

void OVContentView::uppres(float pressure)
{
    if (m_delegate)
        QMetaObject::invokeMethod(
            m_delegate, "bezierPressureDidChanged", Qt::DirectConnection, Q_ARG(float, pressure));
}

void OVContentView::tabletEvent(QTabletEvent *event)
{
    m_penPressure = float(event->pressure());
    // Left for Qt to make mouse events of; see the class comment.
    event->ignore();
}

float OVContentView::pressureOf(const QMouseEvent *event) const
{
    if (isPen(event) && m_penPressure)
        return *m_penPressure;
    // A mouse presses with full pressure and lets go with none.
    return event->type() == QEvent::MouseButtonRelease ? 0.0f : 1.0f;
}

void OVContentView::mousePressEvent(QMouseEvent *event)
{
    m_mouseDowned = true;
    uppres(pressureOf(event));
    event->accept();
}

void OVContentView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_mouseDowned) {
        event->ignore();
        return;
    }
    uppres(pressureOf(event));
    event->accept();
}

void OVContentView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_mouseDowned) {
        event->ignore();
        return;
    }
    m_mouseDowned = false;
    uppres(pressureOf(event));
    event->accept();
}

} // namespace settings
