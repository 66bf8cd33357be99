#include "controls/cachedimage.h"

#include <cmath>

#include <QPainter>

namespace controls {

const QImage &CachedImage::image(QSizeF size, qreal devicePixelRatio, const Painter &paint)
{
    if (!m_image.isNull() && size == m_size && devicePixelRatio == m_ratio)
        return m_image;
    m_size = size;
    m_ratio = devicePixelRatio;
    ++m_made;
    const QSize pixels(
        int(std::ceil(size.width() * devicePixelRatio)), int(std::ceil(size.height() * devicePixelRatio)));
    if (pixels.isEmpty()) {
        m_image = QImage();
        return m_image;
    }
    m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_image.setDevicePixelRatio(devicePixelRatio);
    m_image.fill(Qt::transparent);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, size);
    return m_image;
}

} // namespace controls
