#include "settings/areaeditview.h"

#include <QPainter>

#include "store/ovrecttext.h"

namespace settings {

AreaEditView::AreaEditView(QSizeF minimum, QWidget *parent)
    : QWidget(parent)
    , m_minimum(minimum)
{
    // The cursor follows the handles under the pointer.
    setMouseTracking(true);
}

void AreaEditView::setTotalFrame(const QRectF &frame)
{
    m_totalFrame = frame;
    updateTransform();
}

void AreaEditView::setHandleSizes(double edge, double dlen)
{
    m_edge = edge;
    m_dlen = dlen;
}

void AreaEditView::updateTransform()
{
    m_transform = area::areaTransform(m_totalFrame, QSizeF(size()));
    m_invertTransform = m_transform.inverted();
}

void AreaEditView::updateResizeControlFrame()
{
    m_handles = area::handlesFor(m_selectFrame, m_edge, m_dlen);
}

area::Handle AreaEditView::handleAt(QPointF viewPoint) const
{
    return area::hitHandle(m_handles, m_invertTransform.map(viewPoint));
}

void AreaEditView::grabAt(QPointF viewPoint)
{
    m_grabbed = handleAt(viewPoint);
    m_mouseDownLocation = viewPoint;
}

void AreaEditView::dragTo(QPointF viewPoint)
{
    const std::optional<QRectF> moved = area::dragBetween(m_grabbed, m_selectFrame, m_totalFrame, m_minimum,
        m_invertTransform, QRectF(rect()), m_mouseDownLocation, viewPoint);
    if (!moved)
        return;
    m_selectFrame = *moved;
    updateResizeControlFrame();
    describe();
    update();
    m_mouseDownLocation = viewPoint;
}

QString AreaEditView::letGo()
{
    m_grabbed = area::Handle::None;
    m_mouseDownLocation = QPointF();
    return store::stringFromRect(m_selectFrame);
}

void AreaEditView::fillCorners(QPainter &painter, const QColor &color, double side) const
{
    const QRectF &r = m_selectFrame;
    for (const QPointF corner : { r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight() })
        painter.fillRect(area::squareAt(corner, side), color);
}

void AreaEditView::fillHandles(QPainter &painter) const
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 128, 0));
    for (const QRectF &handle : { m_handles.left, m_handles.right, m_handles.up, m_handles.down })
        painter.drawEllipse(handle);
}

void AreaEditView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The pages size their views before they fill them, but a layout may
    // size a view once more after.
    updateTransform();
}

} // namespace settings
