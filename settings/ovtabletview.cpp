#include "settings/ovtabletview.h"

#include <QPainter>
#include <QPen>

#include "controls/kitimages.h"

namespace settings {

namespace {

// An outline in inches; none at all for a width of 0 (Qt would draw a
// one-pixel hairline for a zero-width pen).
void strokeOutline(QPainter &painter, const QRectF &rect, double width, bool dashed)
{
    if (!(width > 0))
        return;
    QPen pen(Qt::red, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (dashed) {
        // 0.2 in on, 0.15 in off, from the rectangle's origin; Qt counts
        // dashes in line widths.
        pen.setDashPattern({ 0.2 / width, 0.15 / width });
        pen.setDashOffset(0);
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
}

} // namespace

void OVTabletView::drawArea(QPainter &painter, const QRect &dirty)
{
    painter.drawPixmap(dirty, controls::imageNamed(QStringLiteral("Board"), devicePixelRatioF()));
    painter.setTransform(transform());
    if (tabletMap() == 0) {
        strokeOutline(painter, totalFrame(), metrics().fullLine, false);
        return;
    }
    if (tabletMap() != 1)
        return;
    strokeOutline(painter, selectFrame(), metrics().ratioLine, true);
    fillCorners(painter, Qt::red, metrics().slen);
    fillHandles(painter);
}

} // namespace settings
