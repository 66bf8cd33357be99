#include "controls/orvanetabview.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "controls/kitaccessible.h"
#include "controls/kitimages.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

namespace {

QPainterPath roundedPath(const RoundedRect &shape)
{
    QPainterPath path;
    path.addRoundedRect(shape.rect, shape.radius, shape.radius);
    return path;
}

// The selected first or last tab: rounded at its outer end, square at the
// inner one.
void paintEndTab(QPainter &painter, QSizeF size, bool first, const QColor &color)
{
    QPainterPath shape = roundedPath({ QRectF(QPointF(0, 0), size), size.height() / 2 });
    QPainterPath square;
    square.addRect(first ? QRectF(size.width() / 2, 0, size.width() / 2, size.height())
                         : QRectF(0, 0, size.width() / 2, size.height()));
    painter.fillPath(shape.united(square), color);
}

} // namespace

OrvaneTabView::OrvaneTabView(QWidget *parent)
    : QWidget(parent)
    , m_bgColor(grey(220))
    , m_tabbdColor(grey(192))
    , m_tabhlColor(kGreen)
{
    installKitAccessibility();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_strip = new OrvaneTabStrip(*this);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_strip);
    layout->addWidget(m_stack, 1);
}

OrvaneTabView::~OrvaneTabView() = default;

bool OrvaneTabView::event(QEvent *event)
{
    if (event->type() == QEvent::Polish) {
        m_idStr = identifierOf(this);
        m_tabSize = tabSizeFor(m_idStr);
        if (m_idStr == QLatin1String(kTabViewMain))
            m_tabbgColor = grey(218);
        else if (m_idStr == QLatin1String(kTabViewActCus))
            m_tabbgColor = kWhite;
        else
            m_tabbgColor = QColor(); // none: nothing is painted
        m_strip->setFixedHeight(m_tabSize.height());
        m_strip->setFocusPolicy(m_tabSize.isEmpty() ? Qt::NoFocus : Qt::TabFocus);
    }
    return QWidget::event(event);
}

QString OrvaneTabView::identifier() const
{
    ensurePolished();
    return m_idStr;
}

QSize OrvaneTabView::tabSize() const
{
    ensurePolished();
    return m_tabSize;
}

QWidget *OrvaneTabView::tabStrip() const
{
    return m_strip;
}

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

bool OrvaneTabView::selectTabViewItemAtIndex(int index)
{
    if (index < 0 || index >= m_items.size())
        return false;
    if (index == m_selected)
        return true;
    if (m_shouldSelect && !m_shouldSelect(index))
        return false;
    const int previous = m_selected;
    m_selected = index;
    m_stack->setCurrentWidget(m_items[index]);
    m_strip->update();
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.selected = true;
        for (int tab : { previous, index }) {
            QAccessibleStateChangeEvent stateEvent(m_strip, changed);
            stateEvent.setChild(tab);
            QAccessible::updateAccessibility(&stateEvent);
        }
        if (m_strip->hasFocus()) {
            QAccessibleEvent focus(m_strip, QAccessible::Focus);
            focus.setChild(index);
            QAccessible::updateAccessibility(&focus);
        }
    }
    emit didSelect(index);
    return true;
}

void OrvaneTabView::selectNeighbour(int direction)
{
    for (int i = m_selected + direction; i >= 0 && i < m_items.size(); i += direction) {
        if (selectTabViewItemAtIndex(i))
            return;
    }
}

QRectF OrvaneTabView::tabRectForTabViewItem(int index) const
{
    return tabRect(index, numberOfTabViewItems(), width(), tabSize());
}

void OrvaneTabView::clickedAt(QPointF point)
{
    const int index = tabAt(point, numberOfTabViewItems(), width(), tabSize());
    if (index >= 0)
        selectTabViewItemAtIndex(index);
}

void OrvaneTabView::paintEvent(QPaintEvent *)
{
    // The panel starts halfway down the strip and leaves a 3-pixel margin of
    // the window's background around it: the even-odd union of the panel and
    // the grown strip, of which only the panel's part is drawn.
    const QSize tab = tabSize();
    const int count = numberOfTabViewItems();
    const QRectF panel = tabPanelRect(size(), tab);
    const QColor color = m_bgColor;
    QPainter painter(this);
    const QImage &image = m_bgImage.image(size(), paintRatio(painter), [&](QPainter &p, QSizeF viewSize) {
        QPainterPath shape;
        shape.setFillRule(Qt::OddEvenFill);
        shape.addRect(tabPanelRect(viewSize, tab));
        if (count > 0 && !tab.isEmpty())
            shape.addPath(roundedPath(tabPanelCutOut(count, viewSize.width(), tab)));
        p.setClipPath(shape);
        p.fillPath(shape, color);
    });
    const qreal ratio = image.devicePixelRatio();
    painter.drawImage(panel, image, QRectF(panel.topLeft() * ratio, panel.size() * ratio));
}

void OrvaneTabView::drawStrip(QPainter &painter, bool focused)
{
    const int count = numberOfTabViewItems();
    const QSize size = tabSize();
    if (count == 0 || size.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double r = size.height() / 2.0;
    const QPainterPath outline = roundedPath({ tabStripRect(count, width(), size), r });
    if (m_tabbgColor.isValid())
        painter.fillPath(outline, m_tabbgColor);
    const bool main = m_idStr == QLatin1String(kTabViewMain);
    const bool actCus = m_idStr == QLatin1String(kTabViewActCus);
    const QFont font = kitFont();
    const QFontMetricsF metrics(font);
    for (int i = 0; i < count; ++i) {
        const QRectF t = tabRect(i, count, width(), size);
        const bool selected = i == m_selected;
        if (selected && (i == 0 || i == count - 1)) {
            const bool first = i == 0;
            CachedImage &cache = first ? m_tabFirstImage : m_tabLastImage;
            const QColor color = m_tabhlColor;
            const QImage &shape = cache.image(t.size(), paintRatio(painter),
                [first, color](QPainter &p, QSizeF s) { paintEndTab(p, s, first, color); });
            painter.drawImage(t, shape);
        } else if (selected) {
            painter.fillRect(t, m_tabhlColor);
        }
        // The separator from (x, y) to (x, y + h), as the one pixel right of
        // the tab edge: a line centred on the edge would blur over two.
        if (i > 0)
            painter.fillRect(QRectF(t.x(), t.y(), 1, t.height()), m_tabbdColor);
        if (main) {
            const QPixmap picture = imageNamed(tabPictureName(i, selected), paintRatio(painter));
            if (!picture.isNull()) {
                const QSizeF own = picture.deviceIndependentSize();
                painter.drawPixmap(QRectF(t.center() - QPointF(own.width() / 2, own.height() / 2), own),
                    picture, QRectF(picture.rect()));
            }
        } else if (actCus) {
            const QStringList lines = tabLabelLines(m_labels[i]);
            QList<QSizeF> sizes;
            for (const QString &line : lines)
                sizes.append(QSizeF(metrics.horizontalAdvance(line), metrics.height()));
            const QList<QPointF> positions = tabLabelLinePositions(t, sizes);
            painter.setFont(font);
            painter.setPen(selected ? kWhite : kBlack);
            for (qsizetype j = 0; j < lines.size(); ++j) {
                painter.drawText(QRectF(positions[j], sizes[j] + QSizeF(1, 0)),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, lines[j]);
            }
        }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(focused ? kLightGreen : m_tabbdColor, focused ? 2 : 1));
    painter.drawPath(outline);
    painter.restore();
}

OrvaneTabStrip::OrvaneTabStrip(OrvaneTabView &tabView)
    : QWidget(&tabView)
    , m_tabView(tabView)
{
    setFixedHeight(0);
}

void OrvaneTabStrip::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_tabView.clickedAt(event->position());
}

void OrvaneTabStrip::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        m_tabView.selectNeighbour(-1);
        break;
    case Qt::Key_Right:
        m_tabView.selectNeighbour(+1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void OrvaneTabStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_tabView.drawStrip(painter, hasFocus());
}

void OrvaneTabStrip::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void OrvaneTabStrip::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}

} // namespace controls
