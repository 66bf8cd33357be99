#include "controls/orvanepopupbutton.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QListView>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>

#include "controls/kitaccessible.h"
#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"
#include "platform/runloop.h"

namespace controls {

namespace {

// Draws the open list's items as the kit's menu item views draw theirs.
class MenuItemDelegate : public QStyledItemDelegate
{
public:
    MenuItemDelegate(const OrvanePopUpButton &button)
        : QStyledItemDelegate(const_cast<OrvanePopUpButton *>(&button))
        , m_button(button)
    { }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool highlighted = option.state & (QStyle::State_Selected | QStyle::State_MouseOver);
        drawMenuItem(*painter, option.rect, index.data(Qt::DisplayRole).toString(), highlighted,
            index.row() == m_button.currentIndex());
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        const QFontMetrics metrics(kitFont());
        const int title = metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
        return QSize(std::max(kMenuItemSize.width(), int(menuItemTitleRect(QRectF()).x()) + title + 18),
            kMenuItemSize.height());
    }

private:
    const OrvanePopUpButton &m_button;
};

} // namespace

OrvanePopUpButton::OrvanePopUpButton(platform::RunLoop &runLoop, QWidget *parent)
    : QComboBox(parent)
    , m_runLoop(runLoop)
{
    installKitAccessibility();
    setFocusPolicy(Qt::TabFocus);
    setFont(kitFont());
    auto *list = new QListView;
    list->setItemDelegate(new MenuItemDelegate(*this));
    list->setUniformItemSizes(true);
    list->setMouseTracking(true);
    list->setStyleSheet(QStringLiteral("QListView { background: white; border: 1px solid rgb(200, 200, 200);"
                                       " padding: 0px; outline: none; }"));
    setView(list);
    // After the list's container: this filter sees the list's clicks first.
    list->viewport()->installEventFilter(this);
}

bool OrvanePopUpButton::event(QEvent *event)
{
    if (event->type() == QEvent::Polish) {
        m_idStr = identifierOf(this);
        m_reportsChange = m_idStr == QLatin1String(kNeedSelectDidChanged);
        setObjectName(m_idStr);
    }
    return QComboBox::event(event);
}

QString OrvanePopUpButton::identifier() const
{
    ensurePolished();
    return m_idStr;
}

bool OrvanePopUpButton::reportsChange() const
{
    ensurePolished();
    return m_reportsChange;
}

QSize OrvanePopUpButton::sizeHint() const
{
    const QFontMetrics metrics(kitFont());
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    return QSize(std::max(100, widest + 1 + 10 + int(kPopUpCapWidth) + 8), 22);
}

QSize OrvanePopUpButton::minimumSizeHint() const
{
    return QSize(int(kPopUpCapWidth) + 30, 22);
}

void OrvanePopUpButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_cell.drawBorderAndBackground(painter, rect(), paintRatio(painter), hasFocus());
    m_cell.drawTitle(painter, rect(), titleOfSelectedItem(), kBlack);
}

bool OrvanePopUpButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_pressedRow = view()->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint()).row();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // An item acts only on a press and a release on itself: the
            // release of the press that opened the list does nothing.
            const int row = view()->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint()).row();
            const bool own = row >= 0 && row == m_pressedRow;
            m_pressedRow = -1;
            if (!own)
                return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void OrvanePopUpButton::addItemWithTitle(const QString &title)
{
    const int existing = indexOfItemWithTitle(title);
    const bool wasSelected = existing >= 0 && existing == currentIndex();
    if (existing >= 0)
        removeItem(existing);
    addItem(title, QVariant::fromValue(m_nextSerial++));
    if (wasSelected)
        setCurrentIndex(count() - 1);
}

void OrvanePopUpButton::removeItemWithTitle(const QString &title)
{
    const int index = indexOfItemWithTitle(title);
    if (index < 0)
        return;
    const auto before = selectedItem();
    removeItem(index);
    if (reportsChange() && selectedItem() != before)
        reportChange();
}

void OrvanePopUpButton::removeAllItems()
{
    clear();
}

void OrvanePopUpButton::selectItemWithTitle(const QString &title)
{
    setCurrentIndex(indexOfItemWithTitle(title));
}

int OrvanePopUpButton::indexOfItemWithTitle(const QString &title) const
{
    return findText(title, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

QString OrvanePopUpButton::titleOfSelectedItem() const
{
    return currentIndex() < 0 ? QString() : currentText();
}

QStringList OrvanePopUpButton::itemTitles() const
{
    QStringList titles;
    for (int i = 0; i < count(); ++i)
        titles.append(itemText(i));
    return titles;
}

void OrvanePopUpButton::cancelTracking()
{
    if (m_menuOpen)
        hidePopup();
}

void OrvanePopUpButton::menuWillOpen()
{
    m_menuOpen = true;
    m_pressedRow = -1;
    if (reportsChange())
        m_tmpItem = selectedItem();
}

void OrvanePopUpButton::menuDidClose()
{
    m_menuOpen = false;
    if (!reportsChange())
        return;
    // The platform puts the chosen item in place after the menu has closed.
    QPointer<OrvanePopUpButton> self(this);
    m_runLoop.post([self] {
        if (self)
            self->checkMenuDelay();
    });
}

void OrvanePopUpButton::showPopup()
{
    menuWillOpen();
    QComboBox::showPopup();
}

void OrvanePopUpButton::hidePopup()
{
    QComboBox::hidePopup();
    if (m_menuOpen)
        menuDidClose();
}

void OrvanePopUpButton::keyPressEvent(QKeyEvent *event)
{
    // Only the menu changes the selection, so that every change is reported;
    // the combo box's own stepping through items by arrow or letter would not
    // be. Other keys go on to the window.
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        showPopup();
        event->accept();
        return;
    default:
        event->ignore();
    }
}

void OrvanePopUpButton::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void OrvanePopUpButton::checkMenuDelay()
{
    if (selectedItem() != m_tmpItem)
        reportChange();
    m_tmpItem.reset();
}

void OrvanePopUpButton::reportChange()
{
    if (!isSignalConnected(QMetaMethod::fromSignal(&OrvanePopUpButton::popupSelectDidChanged)))
        return;
    QPointer<OrvanePopUpButton> self(this);
    m_runLoop.post([self] {
        if (self)
            emit self->popupSelectDidChanged(self);
    });
}

std::optional<quint64> OrvanePopUpButton::selectedItem() const
{
    if (currentIndex() < 0)
        return std::nullopt;
    return itemData(currentIndex()).value<quint64>();
}

} // namespace controls
