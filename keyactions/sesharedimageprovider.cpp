#include "sesharedimageprovider.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace keyactions {

namespace {

constexpr double kButtonSize = 14; // points
constexpr double kPixelsPerPoint = 2;

// Opacities of the remove cross's three looks.
constexpr float kRemoveOpacity = 0.75f;
constexpr float kRolloverOpacity = 0.65f;
constexpr float kPressedOpacity = 0.55f;

} // namespace

QSizeF SESharedImageProvider::sizeForImageName(const QString &name)
{
    if (name == QLatin1String("SESnapback") || name == QLatin1String("SERemoveShortcut")
        || name == QLatin1String("SERemoveShortcutRollover")
        || name == QLatin1String("SERemoveShortcutPressed"))
        return QSizeF(kButtonSize, kButtonSize);
    return QSizeF();
}

QImage SESharedImageProvider::supportingImageWithName(const QString &name)
{
    static QHash<QString, QImage> cache;
    const auto cached = cache.constFind(name);
    if (cached != cache.constEnd())
        return *cached;

    const QSizeF size = sizeForImageName(name);
    if (size.isEmpty())
        return QImage();
    QImage image((size * kPixelsPerPoint).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kPixelsPerPoint);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        if (name == QLatin1String("SESnapback"))
            drawSnapback(painter, size);
        else if (name == QLatin1String("SERemoveShortcut"))
            drawRemoveShortcutBox(painter, size, kRemoveOpacity);
        else if (name == QLatin1String("SERemoveShortcutRollover"))
            drawRemoveShortcutBox(painter, size, kRolloverOpacity);
        else
            drawRemoveShortcutBox(painter, size, kPressedOpacity);
    }
    cache.insert(name, image);
    return image;
}

void SESharedImageProvider::drawSnapback(QPainter &painter, QSizeF size)
{
    const double w = size.width();
    const double h = size.height();
    // The arrow is drawn in units of the image with y up, squeezed to 0.9 of
    // the width after a shift of half a point right and down: a point (x, y)
    // lands at (0.9 (x w + 0.5), y h - 0.5), here turned to y down.
    auto at = [w, h](float x, float y) {
        return QPointF(0.9 * (double(x) * w + 0.5), h - (double(y) * h - 0.5));
    };
    QPainterPath arrow;
    arrow.moveTo(at(0.0489685f, 0.618151f));
    arrow.lineTo(at(0.408575f, 0.946932f));
    arrow.lineTo(at(0.408575f, 0.722615f));
    arrow.cubicTo(at(0.408575f, 0.722615f), at(0.837114f, 0.749184f), at(0.850825f, 0.483624f));
    arrow.cubicTo(at(0.867783f, 0.154507f), at(0.550719f, 0.0530682f), at(0.550719f, 0.0530682f));
    arrow.cubicTo(at(0.550719f, 0.0530682f), at(0.745869f, 0.191315f), at(0.742172f, 0.339194f));
    arrow.cubicTo(at(0.738341f, 0.493033f), at(0.408575f, 0.515413f), at(0.408575f, 0.515413f));
    arrow.lineTo(at(0.408575f, 0.2654f));
    arrow.closeSubpath();

    // Shadow: black at 0.45, one point down, blurred over one point (a soft
    // edge around the offset shape stands in for the blur).
    const QPainterPath shadow = arrow.translated(0, 1);
    painter.setPen(QPen(QColor(0, 0, 0, int(0.45 * 255 * 0.4)), 1.0));
    painter.setBrush(QColor(0, 0, 0, int(0.45 * 255)));
    painter.drawPath(shadow);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
}

void SESharedImageProvider::drawRemoveShortcutBox(QPainter &painter, QSizeF size, double opacity)
{
    const double u = size.width() / kButtonSize;
    const double v = size.height() / kButtonSize;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, float(1.0 - opacity)));
    painter.drawEllipse(QRectF(QPointF(0, 0), size));
    QPen cross(Qt::white, 1.2 * u);
    painter.setPen(cross);
    painter.drawLine(QPointF(4 * u, 4 * v), QPointF(10 * u, 10 * v));
    painter.drawLine(QPointF(10 * u, 4 * v), QPointF(4 * u, 10 * v));
}

} // namespace keyactions
