#include "ovhudwin.h"

#include <QPainter>
#include <QPainterPath>

namespace driver {

OVHUDWin::OVHUDWin(const QColor &box, double radius)
    : QWidget(nullptr,
        Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
            | Qt::NoDropShadowWindowHint)
    , m_box(box)
    , m_radius(radius)
{
    // Not a tool window: showing one of those raises it through the window
    // system, which some platforms refuse with a warning at every notice.
    // The notification type keeps it off the task bar all the same.
    setAttribute(Qt::WA_X11NetWmWindowTypeNotification);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void OVHUDWin::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()), m_radius, m_radius);
    // The content is clipped to the box, so nothing pokes out at the corners.
    painter.setClipPath(box);
    painter.fillPath(box, m_box);
}

} // namespace driver
