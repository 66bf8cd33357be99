#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include "controls/cachedimage.h"

class QPainter;

namespace controls {

// How a closed pop-up button looks: a white rounded field with a 1-pixel
// grey ring, and at its right end a green cap with an upward and a downward
// chevron; the title in black, 10 pixels in from the left.
class OrvanePopUpButtonCell
{
public:
    QColor bdColor; // ring, grey 200
    QColor bgColor; // cap, green

    OrvanePopUpButtonCell();

    void drawBorderAndBackground(QPainter &painter, QRectF frame, qreal devicePixelRatio, bool focused);
    void drawTitle(QPainter &painter, QRectF frame, const QString &title, const QColor &color);
    // How many times the cap image was made; for tests.
    int capImagesMade() const { return m_bgImage.madeCount(); }

private:
    // The cap at the size of the frame inset by 1; its right end is drawn.
    CachedImage m_bgImage;
};

} // namespace controls
