#pragma once

#include "settings/tabletareaview.h"

namespace settings {

// The tablet area view drawn over the "Board" picture: the whole area
// outlined in red, the rectangle outlined with red dashes (0.2 in on,
// 0.15 in off), red corner marks and orange oval handles. The outline widths
// are the model's; a width of 0 draws no outline.
class OVTabletView : public TabletAreaView
{
    Q_OBJECT
public:
    using TabletAreaView::TabletAreaView;

protected:
    void drawArea(QPainter &painter, const QRect &dirty) override;
};

} // namespace settings
