#include "ovdiaview.h"

#include <QPainter>

namespace firmware {

OVDIAView::OVDIAView(QWidget *parent)
    : QWidget(parent)
{
}

void OVDIAView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(238, 238, 238));
    painter.fillRect(QRect(0, kBandTop, width(), height() - kBandTop - kBandBottom), QColor(220, 220, 220));
}

} // namespace firmware
