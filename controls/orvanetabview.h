#pragma once

#include <functional>

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>

#include "controls/cachedimage.h"
#include "controls/kitgeometry.h"

class QStackedWidget;

namespace controls {

class OrvaneTabStrip;

// A tab view with its own strip: a pill-shaped row of equal tabs centred at
// the top edge of a grey panel that leaves a 3-pixel margin around it, the
// selected tab green. Two variants by identifier: "Orvane.Main" (82 x 42
// tabs, each showing its picture "T<n>S" when selected or "T<n>N" when not)
// and "Orvane.ActCus" (90 x 32 tabs showing their labels; the two characters
// backslash and n in a label break the line). Any other identifier gives
// tabs of no size: no strip is drawn and no tab can be clicked.
//
// Unlike Qt's tab widget it asks before every selection change
// (shouldSelect), so a model without express keys can refuse the express-key
// tab and the current tab stays. Every selection, by a click, the keys, an
// assistive technology or selectTabViewItemAtIndex(), goes through the veto;
// selecting the selected tab again does nothing.
//
// A page sets the identifier (setIdentifier(), before the view is first
// shown), adds its tab items with their labels (the labels are the tabs'
// names for assistive technologies also where pictures are drawn), and
// gives each item its view. Keys: Tab reaches the strip, Left and Right
// select the neighbouring tab that the veto allows.
class OrvaneTabView : public QWidget
{
    Q_OBJECT
public:
    explicit OrvaneTabView(QWidget *parent = nullptr);
    ~OrvaneTabView() override;

    // Read when the view is polished.
    QString identifier() const;
    QSize tabSize() const;

    // Appends a tab item with a label; returns its index. The first item
    // becomes selected without a report.
    int addTabViewItem(const QString &label);
    int numberOfTabViewItems() const { return int(m_labels.size()); }
    QString label(int index) const;

    // The view a tab item shows; the item keeps the last view given to it
    // until another one is given. The tab view reparents the view into the
    // item but does not own it beyond Qt's parent rule: a view deleted by its
    // owner simply leaves the item empty.
    QWidget *view(int index) const;
    void setView(int index, QWidget *view);

    // -1 when there are no items.
    int indexOfSelectedTabViewItem() const { return m_selected; }
    // Asks shouldSelect, then selects and emits didSelect. Out-of-range
    // indexes are ignored. True when the tab is selected afterwards.
    bool selectTabViewItemAtIndex(int index);

    // The selection veto. Unset: every tab may be selected.
    using ShouldSelect = std::function<bool(int index)>;
    void setShouldSelect(ShouldSelect shouldSelect) { m_shouldSelect = std::move(shouldSelect); }

    // The tab's rectangle in the tab view's coordinates.
    QRectF tabRectForTabViewItem(int index) const;
    // The strip, which holds the keyboard focus and the tabs' accessibility.
    QWidget *tabStrip() const;

    // How many times the panel and the first and last tab shapes were made;
    // for tests.
    int panelImagesMade() const { return m_bgImage.madeCount(); }
    int tabShapesMade() const { return m_tabFirstImage.madeCount() + m_tabLastImage.madeCount(); }

signals:
    // After the selection changed and the item's page is on top.
    void didSelect(int index);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    friend class OrvaneTabStrip;
    void drawStrip(QPainter &painter, bool focused);
    void clickedAt(QPointF point);
    // Selects the nearest tab in `direction` (-1, +1) that the veto allows.
    void selectNeighbour(int direction);

    QColor m_bgColor;
    CachedImage m_bgImage;
    QColor m_tabbgColor; // invalid: the strip is not filled
    QColor m_tabbdColor;
    QColor m_tabhlColor;
    CachedImage m_tabFirstImage;
    CachedImage m_tabLastImage;
    QString m_idStr;
    QSize m_tabSize;

    QStringList m_labels;
    QList<QWidget *> m_items; // one page container per item, owned by m_stack
    QList<QPointer<QWidget>> m_views;
    int m_selected = -1;
    ShouldSelect m_shouldSelect;
    OrvaneTabStrip *m_strip = nullptr;
    QStackedWidget *m_stack = nullptr;
};

// The strip of tabs across the top of the tab view; it spans the view's whole
// width, so its coordinates are the tab view's. It takes the keyboard focus
// and answers assistive technologies as a list of page tabs.
class OrvaneTabStrip : public QWidget
{
    Q_OBJECT
public:
    explicit OrvaneTabStrip(OrvaneTabView &tabView);
    OrvaneTabView &tabView() const { return m_tabView; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    OrvaneTabView &m_tabView;
};

} // namespace controls
