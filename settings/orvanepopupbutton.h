#pragma once

#include <optional>

#include <QComboBox>
#include <QStringList>

namespace platform {
class RunLoop;
}

namespace settings {

// The identifier that turns the change report on (the device pop-up).
inline constexpr char kNeedSelectDidChanged[] = "NeedSelectDidChanged";

// A pop-up button whose items are unique by title. With the identifier
// "NeedSelectDidChanged" it reports a changed selection to its delegate
// (popupSelectDidChanged) one run-loop turn after its menu closed, and one
// turn after removeItemWithTitle() moved the selection: by then the new
// selection, and any removals that came with it, are in place. Choosing the
// item that was already selected, or closing the menu without a choice,
// reports nothing.
class OrvanePopUpButton : public QComboBox
{
    Q_OBJECT
public:
    OrvanePopUpButton(platform::RunLoop &runLoop, const QString &identifier, QWidget *parent = nullptr);

    QString identifier() const { return m_identifier; }

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

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

signals:
    // The delegate's report; unconnected means the delegate does not answer.
    void popupSelectDidChanged(settings::OrvanePopUpButton *sender);

private:
    void checkMenuDelay();
    void reportChange();
    // The item's identity: a serial number given at insertion, so that an
    // item replaced under the same title counts as another item.
    std::optional<quint64> selectedItem() const;

    platform::RunLoop &m_runLoop;
    QString m_identifier;
    bool m_reportsChange = false;
    bool m_menuOpen = false;
    std::optional<quint64> m_tmpItem;
    quint64 m_nextSerial = 1;
};

} // namespace settings
