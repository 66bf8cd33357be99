#pragma once

#include <functional>

#include <QImage>
#include <QSizeF>

class QPainter;

namespace controls {

// A picture a control draws once and then reuses (a panel with a cut-out, a
// tab shape, a pop-up cap, a progress bar). It is made again whenever the
// size or the device-pixel ratio asked for differs from the one it was made
// at, so a resized window, or one moved to a screen of another ratio, never
// shows a stale or blurred shape.
class CachedImage
{
public:
    // Paints into a transparent image of `size` logical pixels.
    using Painter = std::function<void(QPainter &painter, QSizeF size)>;

    const QImage &image(QSizeF size, qreal devicePixelRatio, const Painter &paint);
    // How many times the image was made; for tests.
    int madeCount() const { return m_made; }

private:
    QImage m_image;
    QSizeF m_size;
    qreal m_ratio = 0;
    int m_made = 0;
};

} // namespace controls
