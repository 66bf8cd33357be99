#include "controls/orvanemenuitemview.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/orvanemenu.h"
#include "controls/orvanemenuitem.h"

namespace controls {

OrvaneMenuItemView::OrvaneMenuItemView(QWidget *parent)
    : QWidget(parent)
{
    resize(kMenuItemSize);
    setMinimumSize(kMenuItemSize);
    // The menu keeps the keyboard: it moves the highlight between items.
    setFocusPolicy(Qt::NoFocus);
}

QSize OrvaneMenuItemView::sizeHint() const
{
    return kMenuItemSize;
}

void OrvaneMenuItemView::viewWillDraw()
{
    const QWidget *menu = parentWidget();
    if (menu && menu->width() > width())
        resize(menu->width(), height());
}

void OrvaneMenuItemView::paintEvent(QPaintEvent *)
{
    viewWillDraw();
    const auto *menu = m_menuItem ? qobject_cast<const QMenu *>(parentWidget()) : nullptr;
    m_highlighted = menu && menu->activeAction() == m_menuItem;
    QPainter painter(this);
    drawMenuItem(painter, rect(), m_menuItem ? m_menuItem->text() : QString(), m_highlighted,
        m_menuItem && m_menuItem->isChecked());
}

void OrvaneMenuItemView::enterEvent(QEnterEvent *event)
{
    if (auto *menu = qobject_cast<QMenu *>(parentWidget()); menu && m_menuItem)
        menu->setActiveAction(m_menuItem);
    QWidget::enterEvent(event);
}

void OrvaneMenuItemView::mousePressEvent(QMouseEvent *event)
{
    m_mouseDowned = true;
    QWidget::mousePressEvent(event);
}

void OrvaneMenuItemView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_mouseDowned)
        return;
    m_mouseDowned = false;
    auto *menu = qobject_cast<OrvaneMenu *>(parentWidget());
    if (menu && m_menuItem && rect().contains(event->position().toPoint()))
        menu->performActionForItemAtIndex(int(menu->actions().indexOf(m_menuItem)));
    QWidget::mouseReleaseEvent(event);
}

} // namespace controls
