#include "controls/kitpaint.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QWidget>

#include "controls/kitstyle.h"

namespace controls {

namespace {

constexpr int kTitleFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;

} // namespace

void fillRounded(QPainter &painter, const RoundedRect &shape, const QColor &color)
{
    if (!shape.rect.isValid())
        return;
    QPainterPath path;
    path.addRoundedRect(shape.rect, shape.radius, shape.radius);
    painter.fillPath(path, color);
}

void drawButtonTitle(
    QPainter &painter, const QWidget &widget, QRectF rect, const QString &title, const QColor &color)
{
    painter.setFont(kitFont());
    painter.setPen(color);
    painter.drawText(rect, kTitleFlags | mnemonicFlag(widget), title);
}

qreal paintRatio(const QPainter &painter)
{
    const QPaintEngine *engine = painter.paintEngine();
    const QPaintDevice *device = engine && engine->paintDevice() ? engine->paintDevice() : painter.device();
    return device ? device->devicePixelRatioF() : 1.0;
}

int mnemonicFlag(const QWidget &widget)
{
    return widget.style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, &widget) ? Qt::TextShowMnemonic
                                                                                     : Qt::TextHideMnemonic;
}

void drawTitleFocus(QPainter &painter, QRectF rect, const QString &title)
{
    const QFontMetricsF metrics(kitFont());
    QRectF text = metrics.boundingRect(rect, kTitleFlags | Qt::TextShowMnemonic, title);
    text.adjust(-2, -1, 2, 1);
    painter.save();
    painter.setPen(QPen(kLightGreen, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(text, 3, 3);
    painter.restore();
}

void drawMenuItem(QPainter &painter, QRectF bounds, const QString &title, bool highlighted, bool on)
{
    painter.save();
    painter.fillRect(bounds, highlighted ? kLightGreen : kWhite);
    const QFont font = kitFont();
    painter.setFont(font);
    painter.setPen(highlighted ? kWhite : kBlack);
    painter.drawText(menuItemTitleRect(bounds), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title);
    if (on) {
        const QFontMetricsF metrics(font);
        const QPointF tick = menuItemTickTopLeft(bounds, metrics.height());
        painter.drawText(QRectF(tick, QSizeF(bounds.width(), metrics.height())),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("\u2713"));
    }
    painter.restore();
}

QSize titledButtonSizeHint(int height, const QString &title)
{
    const QFontMetricsF metrics(kitFont());
    const QRectF text = metrics.boundingRect(QRectF(), kTitleFlags | Qt::TextShowMnemonic, title);
    return QSize(int(std::ceil(buttonTitleRect(QRectF(0, 0, 0, height)).x() + text.width())) + 4, height);
}

QColor titleColor(const QWidget &widget, const QColor &color)
{
    return widget.isEnabled() ? color : grey(165);
}

} // namespace controls
