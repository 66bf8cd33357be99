#pragma once

#include <QMenu>

namespace controls {

// A menu whose titled items are drawn by the kit's item views. Every titled
// action that reaches the menu (addAction, insertAction, addActions...) is
// replaced at its place by an OrvaneMenuItem with the same title and
// shortcut and a 100 x 22 OrvaneMenuItemView; triggering the new item
// triggers the action it replaced. Nothing else is carried over (no icon,
// no checked state, no data): a page sets those on the item that the menu
// holds (actions().at(index)). Separators and actions without a title stay
// as they are. The menu leaves no padding at its edges.
//
// Keys as in any menu: the arrows move the highlight, Enter or Space
// triggers, Escape closes. Assistive technologies see a menu of menu items
// named by their titles.
class OrvaneMenu : public QMenu
{
    Q_OBJECT
public:
    explicit OrvaneMenu(QWidget *parent = nullptr);
    explicit OrvaneMenu(const QString &title, QWidget *parent = nullptr);

    // Inserts `item` at `index` (at the end when out of range), replaced as
    // above; returns the action the menu now holds there.
    QAction *insertItem(QAction *item, int index);
    // Ends tracking at once (closes the menu and the menus that opened it)
    // and triggers the item at `index`, as a click on it does.
    void performActionForItemAtIndex(int index);

protected:
    void actionEvent(QActionEvent *event) override;

private:
    void init();
};

} // namespace controls
