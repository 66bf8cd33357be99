#include "settings/tabletareaview.h"

#include <QMouseEvent>
#include <QPainter>

#include "store/ovrecttext.h"

namespace settings {

TabletAreaView::TabletAreaView(QWidget *parent)
    : QWidget(parent)
{
    // The cursor follows the handles under the pointer.
    setMouseTracking(true);
}

void TabletAreaView::updateMap(qint64 mode, const QRectF &totalFrame, const QRectF &selectFrame)
{
    m_tabletMap = mode;
    m_totalFrame = totalFrame;
    m_selectFrame = selectFrame;
    m_metrics = m_metricsSource ? m_metricsSource() : TabletViewMetrics();
    if (m_tabletMap == 1)
        updateResizeControlFrame();
    updateTransform();
    describe();
    update();
}

void TabletAreaView::updateRatio(const QRectF &selectFrame)
{
    m_selectFrame = selectFrame;
    updateResizeControlFrame();
    describe();
    update();
}

void TabletAreaView::updateTransform()
{
    m_transform = area::areaTransform(m_totalFrame, QSizeF(size()));
    m_invertTransform = m_transform.inverted();
}

void TabletAreaView::updateResizeControlFrame()
{
    m_handles = area::handlesFor(m_selectFrame, m_metrics.edge, m_metrics.dlen);
}

void TabletAreaView::describe()
{
    // What the picture shows, for assistive technologies (the page's four
    // fields are the way to change it from the keyboard).
    const QRectF r = m_tabletMap == 1 ? m_selectFrame : m_totalFrame;
    setAccessibleDescription(QStringLiteral("%1 x %2 in at %3, %4 in")
                                 .arg(r.width(), 0, 'f', 3)
                                 .arg(r.height(), 0, 'f', 3)
                                 .arg(r.x(), 0, 'f', 3)
                                 .arg(r.y(), 0, 'f', 3));
}

void TabletAreaView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    drawArea(painter, event->rect());
}

void TabletAreaView::fillCorners(QPainter &painter, const QColor &color) const
{
    const QRectF &r = m_selectFrame;
    for (const QPointF corner : { r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight() })
        painter.fillRect(area::squareAt(corner, m_metrics.slen), color);
}

void TabletAreaView::fillHandles(QPainter &painter) const
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 128, 0));
    for (const QRectF &handle : { m_handles.left, m_handles.right, m_handles.up, m_handles.down })
        painter.drawEllipse(handle);
}

void TabletAreaView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The page sizes the view to the area's proportions before it fills it,
    // but a layout may size it once more after.
    updateTransform();
}

void TabletAreaView::updateCursor(QPointF widgetPoint)
{
    const area::Handle hit
        = m_tabletMap == 1 ? area::hitHandle(m_handles, m_invertTransform.map(widgetPoint)) : area::Handle::None;
    if (hit == area::Handle::None)
        unsetCursor();
    else
        setCursor(area::cursorShapeFor(hit));
}

void TabletAreaView::mousePressEvent(QMouseEvent *event)
{
    if (m_tabletMap != 1 || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_grabbed = area::hitHandle(m_handles, m_invertTransform.map(event->position()));
    m_mouseDownLocation = event->position();
}

void TabletAreaView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF point = event->position();
    if (!m_pressed) {
        updateCursor(point);
        return;
    }
    if (m_tabletMap != 1)
        return;
    const std::optional<QRectF> moved = area::dragBetween(m_grabbed, m_selectFrame, m_totalFrame,
        QSizeF(kMinWidth, kMinHeight), m_invertTransform, QRectF(rect()), m_mouseDownLocation, point);
    if (!moved)
        return;
    m_selectFrame = *moved;
    updateResizeControlFrame();
    describe();
    update();
    m_mouseDownLocation = point;
}

void TabletAreaView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    if (m_tabletMap != 1)
        return;
    m_grabbed = area::Handle::None;
    m_mouseDownLocation = QPointF();
    emit ratioFrameDidChanged(store::stringFromRect(m_selectFrame));
}

} // namespace settings
