#include "controls/orvanebutton.h"

#include <algorithm>

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "controls/kitaccessible.h"
#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

OrvaneButton::OrvaneButton(const QString &title, QWidget *parent)
    : QPushButton(title, parent)
    , m_cell(OrvaneButtonCell::forIdentifier(QString()))
{
    installKitAccessibility();
    setFocusPolicy(Qt::TabFocus);
    // Enter presses the focused button, as Space does.
    setAutoDefault(true);
}

bool OrvaneButton::event(QEvent *event)
{
    if (event->type() == QEvent::Polish)
        m_cell = OrvaneButtonCell::forIdentifier(identifierOf(this));
    return QPushButton::event(event);
}

const OrvaneButtonCell &OrvaneButton::cell() const
{
    ensurePolished();
    return m_cell;
}

QSize OrvaneButton::sizeHint() const
{
    const QFontMetrics metrics(kitFont());
    const int title = metrics.horizontalAdvance(QString(text()).remove(QLatin1Char('&')));
    return QSize(std::max(80, title + 36), 28);
}

QSize OrvaneButton::minimumSizeHint() const
{
    return sizeHint();
}

bool OrvaneButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void OrvaneButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool pressed = isDown();
    const QRectF frame = rect();
    const QColor ring = hasFocus() ? kLightGreen : (pressed ? m_cell.hlbdColor : m_cell.bdColor);
    fillRounded(painter, buttonRing(frame), ring);
    RoundedRect fill = buttonFill(frame);
    if (hasFocus())
        fill.rect.adjust(1, 1, -1, -1);
    fillRounded(painter, fill, pressed ? m_cell.hlbgColor : m_cell.bgColor);
    painter.setFont(kitFont());
    painter.setPen(titleColor(*this, pressed ? m_cell.hltxColor : m_cell.txColor));
    painter.drawText(frame, Qt::AlignCenter | Qt::TextSingleLine | mnemonicFlag(*this), text());
}

} // namespace controls
