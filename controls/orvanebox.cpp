#include "controls/orvanebox.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include "controls/kitaccessible.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

namespace {

const QColor kPanel = grey(238);
const QColor kLine = kGreen;
const QColor kGreyLine = grey(170);

} // namespace

OrvaneBox::OrvaneBox(QWidget *parent)
    : QWidget(parent)
{
    installKitAccessibility();
}

BoxKind OrvaneBox::kind() const
{
    ensurePolished();
    return boxKindFor(m_idStr);
}

void OrvaneBox::setTitle(const QString &title)
{
    m_title = title;
    update();
}

bool OrvaneBox::event(QEvent *event)
{
    if (event->type() == QEvent::Polish) {
        m_idStr = identifierOf(this);
        // A panel's content starts below the title band.
        if (boxKindFor(m_idStr) == BoxKind::Panel)
            setContentsMargins(0, int(kBoxTitleBand), 0, 0);
    }
    return QWidget::event(event);
}

void OrvaneBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const BoxKind boxKind = kind();
    switch (boxKind) {
    case BoxKind::HLine:
    case BoxKind::VLine:
        painter.fillRect(boxLineRect(boxKind, rect()), kLine);
        return;
    case BoxKind::VBLine:
        painter.fillRect(boxLineRect(boxKind, rect()), kGreyLine);
        return;
    case BoxKind::Panel:
        break;
    }
    fillRounded(painter, boxPanel(rect()), kPanel);
    if (m_title.isEmpty())
        return;
    const QFontMetricsF metrics(kitFont());
    const QPointF topLeft = boxTitleTopLeft(metrics.height());
    painter.setFont(kitFont());
    painter.setPen(kBlack);
    painter.drawText(QRectF(topLeft, QSizeF(width() - topLeft.x(), metrics.height())),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_title);
}

} // namespace controls
