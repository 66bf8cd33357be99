// How the recorder draws itself: a white capsule with two layers that slide
// vertically. The idle layer shows the combination (or a prompt) and the
// remove button; the editing layer, laid out one field height lower, shows
// the prompt or the held modifiers and the snapback button on a grey panel.
// While editing both move up by the field's height, so only one of them lies
// inside the capsule, which clips them.

#include "ovshortcutcell.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include "keyactions/sesharedimageprovider.h"

namespace keyactions {

namespace {

constexpr double kSmallText = 11; // pixels: prompts
constexpr double kLargeText = 15; // pixels: a combination

// A colour darkened toward black by level (0..1), as a shadow of it.
QColor shadowed(const QColor &colour, double level)
{
    return QColor::fromRgbF(float(colour.redF() * (1 - level)), float(colour.greenF() * (1 - level)),
        float(colour.blueF() * (1 - level)), colour.alphaF());
}

QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(float(colour.alphaF() * alpha));
    return colour;
}

void drawText(QPainter &painter, const QString &text, QRectF rect, double pixelSize, const QColor &colour)
{
    QFont font = QApplication::font();
    font.setPixelSize(int(pixelSize));
    painter.setFont(font);
    painter.setPen(colour);
    const QString elided = QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, elided);
}

} // namespace

void OVShortcutCell::drawWithFrame(QPainter &painter, QRectF cellFrame, bool isEnabled) const
{
    const QPalette palette = QApplication::palette();
    const QColor windowFrame = palette.color(QPalette::Mid);
    const QColor promptText = palette.color(QPalette::PlaceholderText);

    const QRectF frame = cellFrame.adjusted(0.5, 0.5, -0.5, -0.5);
    const double h = frame.height();
    const bool showsEditing = m_isEditing;
    const double slide = showsEditing ? h : 0;
    auto moved = [slide](QRectF r) { return r.translated(0, -slide); };
    auto movedPoint = [slide](QPointF p) { return p - QPointF(0, slide); };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    QPainterPath capsule;
    capsule.addRoundedRect(frame, h / 2, h / 2);
    painter.fillPath(capsule, Qt::white);
    painter.setPen(QPen(windowFrame, 1));
    painter.drawPath(capsule);
    painter.setClipPath(capsule);

    // Editing layer: the snapback button on its panel. The panel reaches a
    // little above its layer (it covers the whole field while editing), so
    // that layer is drawn only while it is shown: idle, its top edge would
    // show as a line along the bottom of the field.
    if (showsEditing) {
        const QRectF snapback = snapbackRectForFrame(frame).translated(0, h);
        const QRectF panel = moved(QRectF(snapback.x() - 1.5, snapback.y() - 5, snapback.width() * 1.3f, h));
        painter.setPen(QPen(shadowed(windowFrame, 0.2), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(panel);
        const QRectF panelFill = panel.adjusted(-0.5, -0.5, 0.5, 0.5);
        const bool pressed = m_mouseDown && m_mouseInsideTrackingArea;
        const float top = pressed ? 0.6f : 0.75f;
        const float bottom = pressed ? 0.75f : 0.9f;
        QLinearGradient gradient(panelFill.topLeft(), panelFill.bottomLeft());
        gradient.setColorAt(0, QColor::fromRgbF(top, top, top));
        gradient.setColorAt(1, QColor::fromRgbF(bottom, bottom, bottom));
        painter.fillRect(panelFill, gradient);
        painter.drawImage(movedPoint(snapback.topLeft() - QPointF(0.5, 0)),
            SESharedImageProvider::supportingImageWithName(QStringLiteral("SESnapback")));
    }

    // Idle layer: the remove button.
    if (!isEmpty() && isEnabled) {
        QString name = QStringLiteral("SERemoveShortcut");
        if (m_mouseInsideTrackingArea && m_mouseDown)
            name += QStringLiteral("Pressed");
        else if (m_mouseInsideTrackingArea != m_mouseDown)
            name += QStringLiteral("Rollover");
        painter.drawImage(movedPoint(removeButtonRectForFrame(frame, isEnabled).topLeft()),
            SESharedImageProvider::supportingImageWithName(name));
    }

    // Right after a recording the new combination shows in place, and the
    // editing text no more.
    const double editingTextAlpha = m_comboJustChanged ? 0 : 1;

    const bool editingSmall = showsEditing || isEmpty();
    drawText(painter, editingText(), moved(frame.translated(0, h + 3)),
        editingSmall ? kSmallText : kLargeText,
        withAlpha(editingSmall ? promptText : QColor(Qt::black), editingTextAlpha));

    const QRectF idleRect = frame.translated(0, 3);
    drawText(painter, idleText(), m_comboJustChanged ? idleRect : moved(idleRect),
        isEmpty() ? kSmallText : kLargeText, isEmpty() ? promptText : QColor(Qt::black));

    painter.restore();
}

} // namespace keyactions
