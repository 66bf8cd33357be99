#include "settings/tabletareaview.h"

#include <QMouseEvent>
#include <QPainter>

namespace settings {

TabletAreaView::TabletAreaView(QWidget *parent)
    : AreaEditView(QSizeF(kMinWidth, kMinHeight), parent)
{
}

void TabletAreaView::updateMap(qint64 mode, const QRectF &totalFrame, const QRectF &selectFrame)
{
    m_tabletMap = mode;
    setSelectFrame(selectFrame);
    m_metrics = m_metricsSource ? m_metricsSource() : TabletViewMetrics();
    setHandleSizes(m_metrics.edge, m_metrics.dlen);
    if (m_tabletMap == 1)
        updateResizeControlFrame();
    setTotalFrame(totalFrame);
    describe();
    update();
}

void TabletAreaView::updateRatio(const QRectF &selectFrame)
{
    setSelectFrame(selectFrame);
    updateResizeControlFrame();
    describe();
    update();
}

void TabletAreaView::describe()
{
    // What the picture shows, for assistive technologies (the page's four
    // fields are the way to change it from the keyboard).
    const QRectF r = m_tabletMap == 1 ? selectFrame() : totalFrame();
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

void TabletAreaView::updateCursor(QPointF widgetPoint)
{
    const area::Handle hit = m_tabletMap == 1 ? handleAt(widgetPoint) : area::Handle::None;
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
    grabAt(event->position());
}

void TabletAreaView::mouseMoveEvent(QMouseEvent *event)
{
    // Between presses the cursor follows the handles; a press that began in
    // rectangle mode drags while the view still is in it.
    if (!m_pressed)
        updateCursor(event->position());
    else if (m_tabletMap == 1)
        dragTo(event->position());
}

void TabletAreaView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    if (m_tabletMap == 1)
        emit ratioFrameDidChanged(letGo());
}

} // namespace settings
