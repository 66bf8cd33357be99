// How the recorder draws itself, in two styles.
//
// Style 1 (every page's): a white capsule with two layers that slide
// vertically. The idle layer shows the combination (or a prompt) and the
// remove button; the editing layer, laid out one field height lower, shows
// the prompt or the held modifiers and the snapback button on a grey panel.
// While editing both move up by the field's height, so only one of them lies
// inside the capsule, which clips them. With animates the move and a cross
// fade run over the slide's ticks, eased by ShortcutEaseInOut.
//
// Style 0: idle, a white rounded field with an outline; editing, a capsule
// of the editing gradient (the desktop's selection colour) around a shorter
// white area, with the snapback button on the gradient.

#include "ovshortcutcell.h"

#include <cmath>
#include <numbers>

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

// A colour blended toward black (shadow) or white (highlight) by level 0..1.
QColor shadowed(const QColor &colour, float level)
{
    return QColor::fromRgbF(float(colour.redF() * (1 - level)), float(colour.greenF() * (1 - level)),
        float(colour.blueF() * (1 - level)), colour.alphaF());
}

QColor highlighted(const QColor &colour, float level)
{
    auto up = [level](float c) { return c + (1 - c) * level; };
    return QColor::fromRgbF(up(colour.redF()), up(colour.greenF()), up(colour.blueF()), colour.alphaF());
}

QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(float(colour.alphaF() * alpha));
    return colour;
}

void drawText(QPainter &painter, const QString &text, QRectF rect, double pixelSize, const QColor &colour,
    Qt::Alignment vertical = Qt::AlignTop)
{
    QFont font = QApplication::font();
    font.setPixelSize(int(pixelSize));
    painter.setFont(font);
    painter.setPen(colour);
    const QString elided = QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, Qt::AlignHCenter | vertical | Qt::TextSingleLine, elided);
}

// The remove button's image for the mouse's state over it.
QImage removeImage(bool mouseInside, bool mouseDown)
{
    QString name = QStringLiteral("SERemoveShortcut");
    if (mouseInside && mouseDown)
        name += QStringLiteral("Pressed");
    else if (mouseInside != mouseDown)
        name += QStringLiteral("Rollover");
    return SESharedImageProvider::supportingImageWithName(name);
}

QPainterPath capsuleOf(QRectF rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    return path;
}

} // namespace

// The slide's ease: slow at both ends, p 0..1 -> 0..1.
double ShortcutEaseInOut(double p)
{
    return (std::sin(p * std::numbers::pi - std::numbers::pi / 2) + 1) / 2;
}

void OVShortcutCell::createGradient()
{
    // The desktop's selection colour stands for the alternate selected
    // control colour.
    const QColor selection = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    QColor from = shadowed(selection, 0.2f);
    QColor to = highlighted(selection, 0.2f);
    from.setAlphaF(0.9f);
    to.setAlphaF(0.9f);
    m_editingGradient = { { 0.0, from }, { 1.0, to } };
}

OVShortcutCell::TransitionValues OVShortcutCell::transitionValues() const
{
    if (!m_isAnimatingNow)
        return { 1, 1, 1 };
    const double e = ShortcutEaseInOut(m_transitionProgress);
    if (m_isAnimatingTowardsEditing)
        return { e, 1 - e, e };
    return { 1 - e, e, 1 - e };
}

void OVShortcutCell::drawWithFrame(QPainter &painter, QRectF cellFrame, bool isEnabled) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_style == 1)
        drawStyle1(painter, cellFrame, isEnabled);
    else
        drawStyle0(painter, cellFrame, isEnabled);
    painter.restore();
}

void OVShortcutCell::drawStyle1(QPainter &painter, QRectF cellFrame, bool isEnabled) const
{
    const QPalette palette = QApplication::palette();
    const QColor windowFrame = palette.color(QPalette::Mid);
    const QColor promptText = palette.color(QPalette::PlaceholderText);

    const QRectF frame = cellFrame.adjusted(0.5, 0.5, -0.5, -0.5);
    const double h = frame.height();
    const TransitionValues values = transitionValues();
    const double editingStrength = values.editingStrength;
    const double idleStrength = values.idleStrength;
    // The editing layer is shown while editing and while sliding toward it.
    const bool showsEditing = m_isEditing || (m_isAnimatingNow && m_isAnimatingTowardsEditing);
    const double slide = showsEditing ? h * values.slide : 0;
    auto moved = [slide](QRectF r) { return r.translated(0, -slide); };
    auto movedPoint = [slide](QPointF p) { return p - QPointF(0, slide); };

    const QPainterPath capsule = capsuleOf(frame);
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
        painter.setPen(QPen(withAlpha(shadowed(windowFrame, 0.2f), editingStrength), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(panel);
        const QRectF panelFill = panel.adjusted(-0.5, -0.5, 0.5, 0.5);
        const bool pressed = m_mouseDown && m_mouseInsideTrackingArea;
        const float top = pressed ? 0.6f : 0.75f;
        const float bottom = pressed ? 0.75f : 0.9f;
        QLinearGradient gradient(panelFill.topLeft(), panelFill.bottomLeft());
        gradient.setColorAt(0, QColor::fromRgbF(top, top, top, float(editingStrength)));
        gradient.setColorAt(1, QColor::fromRgbF(bottom, bottom, bottom, float(editingStrength)));
        painter.fillRect(panelFill, gradient);
        painter.setOpacity(editingStrength);
        painter.drawImage(movedPoint(snapback.topLeft() - QPointF(0.5, 0)),
            SESharedImageProvider::supportingImageWithName(QStringLiteral("SESnapback")));
        painter.setOpacity(1);
    }

    // Idle layer: the remove button.
    if (!isEmpty() && isEnabled) {
        painter.setOpacity(idleStrength);
        painter.drawImage(movedPoint(removeButtonRectForFrame(frame, isEnabled).topLeft()),
            removeImage(m_mouseInsideTrackingArea, m_mouseDown));
        painter.setOpacity(1);
    }

    // Right after a recording the new combination shows in place, and the
    // editing text no more.
    const double editingTextStrength = m_comboJustChanged ? 0 : editingStrength;
    const double idleTextStrength = m_comboJustChanged ? 1 : idleStrength;

    const bool editingSmall = showsEditing || isEmpty();
    drawText(painter, editingText(), moved(frame.translated(0, h + 3)),
        editingSmall ? kSmallText : kLargeText,
        withAlpha(editingSmall ? promptText : QColor(Qt::black), editingTextStrength));

    const QRectF idleRect = frame.translated(0, 3);
    drawText(painter, idleText(), m_comboJustChanged ? idleRect : moved(idleRect),
        isEmpty() ? kSmallText : kLargeText,
        withAlpha(isEmpty() ? promptText : QColor(Qt::black), idleTextStrength));
}

void OVShortcutCell::drawStyle0(QPainter &painter, QRectF frame, bool isEnabled) const
{
    const QPalette palette = QApplication::palette();
    const QColor windowFrame = palette.color(QPalette::Mid);
    const QColor promptText = palette.color(QPalette::PlaceholderText);

    QRectF white = frame;
    if (m_isEditing) {
        painter.save();
        const QPainterPath capsule = capsuleOf(frame);
        painter.setClipPath(capsule);
        QLinearGradient gradient(frame.topLeft(), frame.bottomLeft());
        gradient.setStops(m_editingGradient);
        painter.fillRect(frame, gradient);
        if (m_mouseInsideTrackingArea)
            painter.fillPath(capsule, QColor::fromRgbF(0, 0, 0, m_mouseDown ? 0.4f : 0.2f));
        painter.drawImage(snapbackRectForFrame(frame).topLeft(),
            SESharedImageProvider::supportingImageWithName(QStringLiteral("SESnapback")));
        painter.restore();
        // Inset by 9.5 and 2, moved 7.5 to the left: room for the button.
        white = QRectF(frame.x() + 2, frame.y() + 2, frame.width() - 19, frame.height() - 4);
    }

    const QRectF removeRect = removeButtonRectForFrame(frame, isEnabled);
    painter.save();
    const QPainterPath whiteArea = capsuleOf(white);
    painter.setClipPath(whiteArea);
    painter.fillPath(whiteArea, Qt::white);
    if (!m_isEditing) {
        painter.setPen(QPen(windowFrame, 1));
        painter.drawPath(whiteArea);
        if (!removeRect.isNull())
            painter.drawImage(removeRect.topLeft(), removeImage(m_mouseInsideTrackingArea, m_mouseDown));
    }
    painter.restore();

    // The text runs from 6 points in to 6 points short of the button (of
    // the right end when there is none), centred in the field's height.
    const bool small = m_isEditing || isEmpty();
    const double buttonWidth = m_isEditing ? snapbackRectForFrame(frame).width() : removeRect.width();
    const QRectF textRect(frame.x() + 6, frame.y(), frame.width() - 6 - (buttonWidth + 6), frame.height());
    drawText(painter, m_isEditing ? editingText() : idleText(), textRect, small ? kSmallText : kLargeText,
        small ? promptText : QColor(Qt::black), Qt::AlignVCenter);
}

} // namespace keyactions
