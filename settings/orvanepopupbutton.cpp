#include "settings/orvanepopupbutton.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QPointer>

#include "platform/runloop.h"

namespace settings {

OrvanePopUpButton::OrvanePopUpButton(platform::RunLoop &runLoop, const QString &identifier, QWidget *parent)
    : QComboBox(parent)
    , m_runLoop(runLoop)
    , m_identifier(identifier)
    , m_reportsChange(identifier == QLatin1String(kNeedSelectDidChanged))
{
    setObjectName(identifier);
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
    if (m_reportsChange && selectedItem() != before)
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
    if (m_reportsChange)
        m_tmpItem = selectedItem();
}

void OrvanePopUpButton::menuDidClose()
{
    m_menuOpen = false;
    if (!m_reportsChange)
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

} // namespace settings
