#pragma once

#include <functional>

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>

class QStackedWidget;

namespace controls {

class TabStrip;

// Identifiers that choose the tab view's variant.
inline constexpr char kTabViewMain[] = "Orvane.Main"; // one picture per tab
inline constexpr char kTabViewActCus[] = "Orvane.ActCus"; // text labels, "\n" (two characters) breaks lines

// Size of one tab for a tab view identifier; 0 x 0 for an unknown identifier.
QSize tabSizeFor(const QString &identifier);
// The rectangle of tab `index` of `count` in a view `viewWidth` wide: the tabs
// sit side by side, centred at the top edge.
QRectF tabRect(int index, int count, double viewWidth, QSize tabSize);
// Index of the tab under `point`, or -1.
int tabAt(QPointF point, int count, double viewWidth, QSize tabSize);

// A tab view with its own tab strip above a stack of pages. Unlike Qt's tab
// widget it asks before every selection change (shouldSelect), so a model
// without express keys can refuse the express-key tab and the current tab
// stays. Every selection, by a click or by selectTabViewItemAtIndex(), goes
// through the veto; selecting the selected tab again does nothing.
class OrvaneTabView : public QWidget
{
    Q_OBJECT
public:
    explicit OrvaneTabView(const QString &identifier = QString(), QWidget *parent = nullptr);
    ~OrvaneTabView() override;

    QString identifier() const { return m_idStr; }
    QSize tabSize() const { return m_tabSize; }

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
    // indexes are ignored.
    void selectTabViewItemAtIndex(int index);

    // The selection veto. Unset: every tab may be selected.
    using ShouldSelect = std::function<bool(int index)>;
    void setShouldSelect(ShouldSelect shouldSelect) { m_shouldSelect = std::move(shouldSelect); }

    // The tab's rectangle in the tab view's coordinates.
    QRectF tabRectForTabViewItem(int index) const;

signals:
    // After the selection changed and the item's page is on top.
    void didSelect(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    friend class TabStrip;
    void clickedAt(QPointF point);

    QString m_idStr;
    QSize m_tabSize;
    QStringList m_labels;
    QList<QWidget *> m_items; // one page container per item, owned by m_stack
    QList<QPointer<QWidget>> m_views;
    int m_selected = -1;
    ShouldSelect m_shouldSelect;
    TabStrip *m_strip = nullptr;
    QStackedWidget *m_stack = nullptr;
};

} // namespace controls
