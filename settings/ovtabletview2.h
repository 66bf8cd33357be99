#pragma once

#include "settings/tabletareaview.h"

namespace settings {

// The tablet area view of the pen displays' pages: no background of its own
// (the page's picture shows through), the whole area or the rectangle filled
// with a translucent blue, the corner marks in the same blue and orange oval
// handles.
class OVTabletView2 : public TabletAreaView
{
    Q_OBJECT
public:
    using TabletAreaView::TabletAreaView;

    // The translucent blue of the area, the rectangle and the corner marks.
    static QColor fillColor();

protected:
    void drawArea(QPainter &painter, const QRect &dirty) override;
};

} // namespace settings
