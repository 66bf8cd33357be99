#include "settings/ovtabletview2.h"

#include <QPainter>

namespace settings {

QColor OVTabletView2::fillColor()
{
    return QColor::fromRgbF(42 / 255.0, 39 / 255.0, 1.0, 0.3);
}

void OVTabletView2::drawArea(QPainter &painter, const QRect &)
{
    painter.setTransform(transform());
    if (tabletMap() == 0) {
        painter.fillRect(totalFrame(), fillColor());
        return;
    }
    if (tabletMap() != 1)
        return;
    painter.fillRect(selectFrame(), fillColor());
    fillCorners(painter, fillColor(), metrics().slen);
    fillHandles(painter);
}

} // namespace settings
