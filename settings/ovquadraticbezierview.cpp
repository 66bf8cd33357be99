#include "settings/ovquadraticbezierview.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"

namespace settings {

namespace {

// A rectangle in the view's points, tested as the platform tests a point in
// a rectangle: the left and bottom edges in, the right and top edges out.
bool pointInRect(QPointF q, double x, double y, double w, double h)
{
    return q.x() >= x && q.x() < x + w && q.y() >= y && q.y() < y + h;
}

QPointF pointOf(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? store::pointFromString(value.toString()) : QPointF();
}

} // namespace

OVQuadraticBezierView::OVQuadraticBezierView(QWidget *parent)
    : QWidget(parent)
    , m_boardColor(189, 189, 189)
    , m_curveColor(69, 69, 69)
    , m_themeColor(30, 115, 71)
{ }

QSize OVQuadraticBezierView::sizeHint() const
{
    return QSize(200, 200);
}

QPointF OVQuadraticBezierView::viewPoint(QPointF widgetPosition) const
{
    return QPointF(widgetPosition.x(), height() - widgetPosition.y());
}

void OVQuadraticBezierView::updateBezierPoints(const QVariantMap &curve)
{
    const double w = width();
    const double h = height();
    const auto scaled = [&](QLatin1String key) {
        const QPointF p = pointOf(curve.value(key));
        return QPointF(p.x() * w, p.y() * h);
    };
    m_p1 = scaled(store::OVCFGBezierP1);
    m_p2 = scaled(store::OVCFGBezierP2);
    m_pc = scaled(store::OVCFGBezierPC);
    update();
}

void OVQuadraticBezierView::updateBezierEquation()
{
    if (!m_delegate)
        return;
    const double w = width();
    const double h = height();
    const auto normalised = [&](QPointF p) { return store::stringFromPoint(QPointF(p.x() / w, p.y() / h)); };
    const QVariantMap curve { { store::OVCFGBezierP1, normalised(m_p1) },
        { store::OVCFGBezierP2, normalised(m_p2) }, { store::OVCFGBezierPC, normalised(m_pc) } };
    QMetaObject::invokeMethod(
        m_delegate, "bezierPathDidChanged", Qt::DirectConnection, Q_ARG(QVariantMap, curve));
}

void OVQuadraticBezierView::paintEvent(QPaintEvent *)
{
    // Nothing until the page has sent the stored curve.
    if (m_p2 == QPointF(0, 0))
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Always the whole view: every change redraws all of it.
    const QRectF bounds = rect();
    painter.fillRect(bounds, Qt::white);
    painter.setPen(QPen(m_boardColor, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bounds);

    // The view's points have y upwards.
    painter.translate(0, height());
    painter.scale(1, -1);

    QPainterPath curve(m_p1);
    curve.cubicTo(m_pc, m_pc, m_p2);
    painter.setPen(QPen(m_curveColor, 1));
    painter.drawPath(curve);

    painter.setPen(Qt::NoPen);
    painter.setBrush(m_themeColor);
    painter.drawRect(QRectF(m_p1.x(), m_p1.y(), slen, slen));
    painter.drawRect(QRectF(m_p2.x() - slen, m_p2.y() - slen, slen, slen));
    painter.drawEllipse(QRectF(m_pc.x() - dlen / 2, m_pc.y() - dlen / 2, dlen, dlen));
}

int OVQuadraticBezierView::handleAt(QPointF q) const
{
    if (pointInRect(q, m_p1.x(), m_p1.y(), slen, slen))
        return 1;
    if (pointInRect(q, m_p2.x() - slen, m_p2.y() - slen, slen, slen))
        return 2;
    if (pointInRect(q, m_pc.x() - dlen / 2, m_pc.y() - dlen / 2, dlen, dlen))
        return 3;
    return 0;
}

void OVQuadraticBezierView::mousePressEvent(QMouseEvent *event)
{
    // The view is a control: its presses are its own, whether or not they
    // hit a handle.
    event->accept();
    const QPointF q = viewPoint(event->position());
    if (const int index = handleAt(q)) {
        m_mouseDownControlPointIndex = index;
        m_mouseDownLocation = q;
    }
}

void OVQuadraticBezierView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    const QPointF q = viewPoint(event->position());
    // Outside the view the drag waits until the pointer returns.
    if (!pointInRect(q, 0, 0, width(), height()))
        return;
    const double dx = q.x() - m_mouseDownLocation.x();
    const double dy = q.y() - m_mouseDownLocation.y();
    const double w = width();
    const double h = height();
    switch (m_mouseDownControlPointIndex) {
    case 1:
        m_p1.setX(std::max(0.0, m_p1.x() + dx));
        if (m_p1.x() + slen > m_pc.x() - dlen / 2)
            m_p1.setX(m_pc.x() - dlen / 2 - slen);
        break;
    case 2:
        m_p2.setX(m_p2.x() + dx);
        if (m_pc.x() + dlen / 2 > m_p2.x() - slen)
            m_p2.setX(m_pc.x() + dlen / 2 + slen);
        if (m_p2.x() > w)
            m_p2.setX(w);
        break;
    case 3:
        m_pc += QPointF(dx, dy);
        if (m_p1.x() + slen > m_pc.x() - dlen / 2)
            m_pc.setX(m_p1.x() + slen + dlen / 2);
        if (m_pc.x() + dlen / 2 > m_p2.x() - slen)
            m_pc.setX(m_p2.x() - slen - dlen / 2);
        if (m_pc.y() < slen + dlen / 2)
            m_pc.setY(slen + dlen / 2);
        if (m_pc.y() > h - dlen / 2 - slen)
            m_pc.setY(h - dlen / 2 - slen);
        break;
    default:
        return;
    }
    update();
    m_mouseDownLocation = q;
}

void OVQuadraticBezierView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    m_mouseDownLocation = QPointF(0, 0);
    m_mouseDownControlPointIndex = -1;
    updateBezierEquation();
}

} // namespace settings
