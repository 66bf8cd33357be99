#include "controls/orvanepopupbuttoncell.h"

#include <QFontMetricsF>
#include <QPainter>

#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

namespace {

const QString kChevron = QStringLiteral("\u2303");

} // namespace

OrvanePopUpButtonCell::OrvanePopUpButtonCell()
    : bdColor(grey(200))
    , bgColor(kGreen)
{ }

void OrvanePopUpButtonCell::drawBorderAndBackground(
    QPainter &painter, QRectF frame, qreal devicePixelRatio, bool focused)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    fillRounded(painter, popUpRing(frame), focused ? kLightGreen : bdColor);
    RoundedRect inside = popUpInside(frame);
    if (focused)
        inside.rect.adjust(1, 1, -1, -1);
    fillRounded(painter, inside, kWhite);
    const QSizeF capSize = popUpInside(frame).rect.size();
    const QColor cap = bgColor;
    const QImage &image = m_bgImage.image(capSize, devicePixelRatio, [cap](QPainter &p, QSizeF size) {
        fillRounded(p, { QRectF(QPointF(0, 0), size), 12 }, cap);
        const QFont font = kitFont();
        const QFontMetricsF metrics(font);
        const QSizeF chevron(metrics.horizontalAdvance(kChevron), metrics.height());
        p.setFont(font);
        p.setPen(kWhite);
        const QPointF up = popUpChevronUp(size, chevron);
        p.drawText(QRectF(up, chevron), Qt::AlignLeft | Qt::AlignTop, kChevron);
        // The same text mirrored top to bottom.
        const QPointF down = popUpChevronDown(size, chevron);
        p.save();
        p.translate(down.x(), down.y() + chevron.height());
        p.scale(1, -1);
        p.drawText(QRectF(QPointF(0, 0), chevron), Qt::AlignLeft | Qt::AlignTop, kChevron);
        p.restore();
    });
    const QRectF source = popUpCapSource(capSize);
    const qreal ratio = image.devicePixelRatio();
    painter.drawImage(QRectF(popUpCapTarget(frame), source.size()), image,
        QRectF(source.topLeft() * ratio, source.size() * ratio));
    painter.restore();
}

void OrvanePopUpButtonCell::drawTitle(
    QPainter &painter, QRectF frame, const QString &title, const QColor &color)
{
    const QFont font = kitFont();
    const QFontMetricsF metrics(font);
    const QRectF rect = popUpTitleRect(frame, metrics.height());
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
        metrics.elidedText(title, Qt::ElideRight, rect.width()));
    painter.restore();
}

} // namespace controls
