#pragma once

#include <optional>

#include <QComboBox>
#include <QStringList>

#include "controls/orvanepopupbuttoncell.h"

namespace platform {
class RunLoop;
}

namespace controls {

// The identifier that turns the change report on (the device pop-up).
inline constexpr char kNeedSelectDidChanged[] = "NeedSelectDidChanged";

// A pop-up button in the kit's look (OrvanePopUpButtonCell), whose items are
// unique by title and whose open list draws its items as the kit's menus do
// (the selected one ticked). With the identifier "NeedSelectDidChanged" it
// reports a changed selection to its delegate (popupSelectDidChanged) one
// run-loop turn after its menu closed, and one turn after
// removeItemWithTitle() moved the selection: by then the new selection, and
// any removals that came with it, are in place. Choosing the item that was
// already selected, or closing the menu without a choice, reports nothing.
// An item in the open list acts only on a press and a release on that item.
//
// A page sets the identifier (setIdentifier(), before the button is first
// shown) when it wants the report, the accessible name from the label beside
// it (setAccessibleName), and fills it with addItemWithTitle(). Without the
// report, currentIndexChanged() tells of every change as with QComboBox.
// Keys, once Tab has given it the focus: Space, Enter or the arrows open the
// list; the list takes the arrows, Enter and Escape.
class OrvanePopUpButton : public QComboBox
{
    Q_OBJECT
public:
    explicit OrvanePopUpButton(platform::RunLoop &runLoop, QWidget *parent = nullptr);

    // The identifier read when the button was polished.
    QString identifier() const;

    // Adds an item at the end; an item of the same title is removed first
    // (without a report). The first item of an empty pop-up becomes selected.
    void addItemWithTitle(const QString &title);
    // Removes the item of that title, if any, and reports a changed selection
    // (also to none) one turn later.
    void removeItemWithTitle(const QString &title);
    // Removes every item; no report.
    void removeAllItems();
    void selectItemWithTitle(const QString &title);
    // -1: none.
    int indexOfItemWithTitle(const QString &title) const;
    // Null when nothing is selected.
    QString titleOfSelectedItem() const;
    QStringList itemTitles() const;

    // Closes the menu when it is open (a disconnect closes every open menu).
    void cancelTracking();

    // The menu's open and close, as the platform reports them; public so that
    // tests can drive a menu without a pointer.
    void menuWillOpen();
    void menuDidClose();

    void showPopup() override;
    void hidePopup() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    const OrvanePopUpButtonCell &cell() const { return m_cell; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

signals:
    // The delegate's report; unconnected means the delegate does not answer.
    void popupSelectDidChanged(controls::OrvanePopUpButton *sender);

private:
    bool reportsChange() const;
    void checkMenuDelay();
    void reportChange();
    // The item's identity: a serial number given at insertion, so that an
    // item replaced under the same title counts as another item.
    std::optional<quint64> selectedItem() const;

    platform::RunLoop &m_runLoop;
    QString m_idStr;
    bool m_reportsChange = false;
    bool m_menuOpen = false;
    std::optional<quint64> m_tmpItem;
    quint64 m_nextSerial = 1;
    int m_pressedRow = -1; // the list's row that a press in the open list hit
    OrvanePopUpButtonCell m_cell;
};

} // namespace controls
