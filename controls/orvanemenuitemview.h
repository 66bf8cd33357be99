#pragma once

#include <QPointer>
#include <QWidget>

namespace controls {

class OrvaneMenuItem;

// The view that draws one titled item of an OrvaneMenu: light green with a
// white title while highlighted, the tick when the item is checked. It is
// 100 x 22 when made and widens itself to its menu before drawing. The item
// acts only on a press followed by a release in this view: a release that
// ends a press made elsewhere (on the button that opened the menu) does
// nothing.
class OrvaneMenuItemView : public QWidget
{
    Q_OBJECT
public:
    explicit OrvaneMenuItemView(QWidget *parent = nullptr);

    OrvaneMenuItem *menuItem() const { return m_menuItem; }
    void setMenuItem(OrvaneMenuItem *item) { m_menuItem = item; }
    // The item's highlight at the last drawing.
    bool highlighted() const { return m_highlighted; }
    bool mouseDowned() const { return m_mouseDowned; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;

private:
    // Widens the view to its menu when the menu is wider.
    void viewWillDraw();

    bool m_mouseDowned = false;
    bool m_highlighted = false;
    QPointer<OrvaneMenuItem> m_menuItem;
};

} // namespace controls
