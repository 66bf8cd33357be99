#include "controls/orvanemenu.h"

#include <QActionEvent>
#include <QPointer>

#include "controls/kitaccessible.h"
#include "controls/orvanemenuitem.h"
#include "controls/orvanemenuitemview.h"

namespace controls {

OrvaneMenu::OrvaneMenu(QWidget *parent)
    : QMenu(parent)
{
    init();
}

OrvaneMenu::OrvaneMenu(const QString &title, QWidget *parent)
    : QMenu(title, parent)
{
    init();
}

void OrvaneMenu::init()
{
    installKitAccessibility();
    // No padding at the edges: the item views reach the menu's border.
    setContentsMargins(0, 0, 0, 0);
    setStyleSheet(QStringLiteral("QMenu { padding: 0px; margin: 0px; border: 1px solid rgb(200, 200, 200);"
                                 " background: white; } QMenu::separator { height: 1px;"
                                 " background: rgb(220, 220, 220); margin: 5px 0px; }"));
    // A highlight moved by the keys is shown by the item views.
    connect(this, &QMenu::hovered, this, [this] {
        for (QAction *action : actions()) {
            if (auto *item = qobject_cast<OrvaneMenuItem *>(action); item && item->view())
                item->view()->update();
        }
    });
}

QAction *OrvaneMenu::insertItem(QAction *item, int index)
{
    const QList<QAction *> items = actions();
    QAction *before = index >= 0 && index < items.size() ? items[index] : nullptr;
    insertAction(before, item);
    const QList<QAction *> now = actions();
    const int at = before ? int(now.indexOf(before)) - 1 : int(now.size()) - 1;
    return at >= 0 ? now[at] : nullptr;
}

void OrvaneMenu::performActionForItemAtIndex(int index)
{
    const QList<QAction *> items = actions();
    if (index < 0 || index >= items.size())
        return;
    QPointer<QAction> action = items[index];
    // Close this menu and the menus it is a submenu of.
    for (QWidget *menu = this; qobject_cast<QMenu *>(menu); menu = menu->parentWidget())
        menu->hide();
    if (!action)
        return;
    // The menu reports triggered() for it, as for a click.
    action->trigger();
}

void OrvaneMenu::actionEvent(QActionEvent *event)
{
    QMenu::actionEvent(event);
    if (event->type() != QEvent::ActionAdded)
        return;
    QAction *action = event->action();
    if (qobject_cast<OrvaneMenuItem *>(action) || action->isSeparator() || action->text().isEmpty())
        return;
    // Put an item of the kit in its place; it forwards its trigger.
    auto *item = new OrvaneMenuItem(action->text(), this);
    item->setShortcut(action->shortcut());
    auto *view = new OrvaneMenuItemView;
    view->setMenuItem(item);
    item->setView(view);
    QPointer<QAction> replaced(action);
    connect(item, &QAction::triggered, this, [replaced] {
        if (replaced)
            replaced->trigger();
    });
    insertAction(action, item);
    removeAction(action);
}

} // namespace controls
