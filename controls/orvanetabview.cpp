#include "controls/orvanetabview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace controls {

namespace {

const QColor kStripMain(218, 218, 218);
const QColor kStripActCus(255, 255, 255);
const QColor kOutline(192, 192, 192);
const QColor kSelected(30, 115, 71);
const QColor kPanel(220, 220, 220);

} // namespace

QSize tabSizeFor(const QString &identifier)
{
    if (identifier == QLatin1String(kTabViewMain))
        return QSize(82, 42);
    if (identifier == QLatin1String(kTabViewActCus))
        return QSize(90, 32);
    return QSize(0, 0);
}

QRectF tabRect(int index, int count, double viewWidth, QSize tabSize)
{
    const double left = (viewWidth - count * tabSize.width()) / 2.0;
    return QRectF(left + index * tabSize.width(), 0, tabSize.width(), tabSize.height());
}

int tabAt(QPointF point, int count, double viewWidth, QSize tabSize)
{
    for (int i = 0; i < count; ++i) {
        if (tabRect(i, count, viewWidth, tabSize).contains(point))
            return i;
    }
    return -1;
}

// The strip of tabs across the top of the tab view; it spans the view's whole
// width, so its coordinates are the tab view's.
class TabStrip : public QWidget
{
public:
    explicit TabStrip(OrvaneTabView &tabView)
        : QWidget(&tabView)
        , m_tabView(tabView)
    {
        setFixedHeight(tabView.tabSize().height());
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_tabView.clickedAt(event->position());
    }

    void paintEvent(QPaintEvent *) override
    {
        const int count = m_tabView.numberOfTabViewItems();
        const QSize size = m_tabView.tabSize();
        if (count == 0 || size.isEmpty())
            return;
        const double radius = size.height() / 2.0;
        const QRectF strip
            = tabRect(0, count, width(), size).united(tabRect(count - 1, count, width(), size));
        QPainterPath outline;
        outline.addRoundedRect(strip.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool actCus = m_tabView.identifier() == QLatin1String(kTabViewActCus);
        painter.fillPath(outline, actCus ? kStripActCus : kStripMain);
        painter.save();
        painter.setClipPath(outline);
        for (int i = 0; i < count; ++i) {
            const QRectF tab = tabRect(i, count, width(), size);
            const bool selected = i == m_tabView.indexOfSelectedTabViewItem();
            if (selected)
                painter.fillRect(tab, kSelected);
            if (i > 0) {
                painter.setPen(kOutline);
                painter.drawLine(tab.topLeft(), tab.bottomLeft());
            }
            painter.setPen(selected ? Qt::white : Qt::black);
            // The label text holds "\n" as two characters (layout files keep
            // labels on one line).
            QString label = m_tabView.label(i);
            label.replace(QLatin1String("\\n"), QLatin1String("\n"));
            painter.drawText(tab, Qt::AlignCenter, label);
        }
        painter.restore();
        painter.setPen(kOutline);
        painter.drawPath(outline);
    }

private:
    OrvaneTabView &m_tabView;
};

OrvaneTabView::OrvaneTabView(const QString &identifier, QWidget *parent)
    : QWidget(parent)
    , m_idStr(identifier)
    , m_tabSize(tabSizeFor(identifier))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_strip = new TabStrip(*this);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_strip);
    layout->addWidget(m_stack, 1);
}

OrvaneTabView::~OrvaneTabView() = default;

int OrvaneTabView::addTabViewItem(const QString &label)
{
    auto *item = new QWidget(m_stack);
    auto *layout = new QVBoxLayout(item);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(item);
    m_items.append(item);
    m_views.append(nullptr);
    m_labels.append(label);
    // A tab view starts with its first item selected, as it comes from its
    // layout: no veto is asked and no selection is reported.
    if (m_selected < 0)
        m_selected = 0;
    m_strip->update();
    return int(m_items.size()) - 1;
}

QString OrvaneTabView::label(int index) const
{
    return m_labels.value(index);
}

QWidget *OrvaneTabView::view(int index) const
{
    return index >= 0 && index < m_views.size() ? m_views[index].data() : nullptr;
}

void OrvaneTabView::setView(int index, QWidget *view)
{
    if (index < 0 || index >= m_items.size() || m_views[index] == view)
        return;
    if (QWidget *old = m_views[index]) {
        m_items[index]->layout()->removeWidget(old);
        old->hide();
        old->setParent(nullptr);
    }
    m_views[index] = view;
    if (view) {
        m_items[index]->layout()->addWidget(view);
        view->show();
    }
}

void OrvaneTabView::selectTabViewItemAtIndex(int index)
{
    if (index < 0 || index >= m_items.size() || index == m_selected)
        return;
    if (m_shouldSelect && !m_shouldSelect(index))
        return;
    m_selected = index;
    m_stack->setCurrentWidget(m_items[index]);
    m_strip->update();
    emit didSelect(index);
}

void OrvaneTabView::paintEvent(QPaintEvent *)
{
    // The grey panel starts halfway down the strip and keeps a 3-point margin
    // of the window's background around it.
    const int count = numberOfTabViewItems();
    const double radius = m_tabSize.height() / 2.0;
    QPainterPath panel;
    panel.setFillRule(Qt::OddEvenFill);
    panel.addRect(QRectF(0, radius, width(), height() - radius));
    if (count > 0 && !m_tabSize.isEmpty()) {
        const QRectF strip
            = tabRect(0, count, width(), m_tabSize).united(tabRect(count - 1, count, width(), m_tabSize));
        QPainterPath around;
        around.addRoundedRect(strip.adjusted(-3, -3, 3, 3), radius + 3, radius + 3);
        panel = panel.subtracted(around);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(panel, kPanel);
}

QRectF OrvaneTabView::tabRectForTabViewItem(int index) const
{
    return tabRect(index, numberOfTabViewItems(), width(), m_tabSize);
}

void OrvaneTabView::clickedAt(QPointF point)
{
    const int index = tabAt(point, numberOfTabViewItems(), width(), m_tabSize);
    if (index >= 0)
        selectTabViewItemAtIndex(index);
}

} // namespace controls
