#pragma once

#include <QDialog>
#include <QPointer>

#include "store/ovpublicobject.h"

class QLabel;
class QPushButton;

namespace platform {
class ModalRuns;
class Strings;
} // namespace platform

namespace settings {

using ModalRuns = platform::ModalRuns;

// The settings application's own alert: a fixed title line, an informative
// text and an OK button, run application-modally or as a sheet on another
// window. Each use creates a new alert. The store's import errors, the
// hot-key pane's and the per-application windows' refusals use it.
class OVAlert : public QDialog
{
    Q_OBJECT

public:
    // Whatever layout name it is given, the alert builds the layout "OVAlert":
    // callers name it after themselves, the alert has only one.
    explicit OVAlert(const platform::Strings &strings, const QString &windowNibName = QString(),
        QWidget *parent = nullptr);

    // An empty text keeps the layout's own informative text.
    void setInformativeText(const QString &text);
    QString informativeText() const;
    QString titleText() const;

    // Application-modal; returns when OK is pressed. The run counts among the
    // modal runs of `runs` (the settings delegate's) while it spins.
    void setModalRuns(ModalRuns *runs) { m_modalRuns = runs; }
    ModalRuns *modalRuns() const { return m_modalRuns; }
    void runModal();
    // Shows the alert as a sheet on window and returns at once; the window
    // stays blocked until OK.
    void runModalSheetForWindow(QWidget *window);
    bool isSheet() const { return m_ovSheet; }

    // The OK button's action: ends the sheet or the modal run, then orders
    // the window out.
    void clickOK();

    // How the settings application's stores show an import error: an alert
    // with the error's text over parent (if it still exists), run modally
    // among `runs`.
    static store::OVPublicObject::ErrorPresenter storeErrorPresenter(
        const platform::Strings &strings, QWidget *parent, ModalRuns *runs = nullptr);

    QLabel *ibTTF() const { return m_ibTTF; }
    QLabel *ibITF() const { return m_ibITF; }
    QPushButton *okButton() const { return m_okButton; }

signals:
    // The alert has been ordered out (either way it was run).
    void finishedAlert();

protected:
    // Escape and the window's close box end the alert like OK, so a modal
    // run always has a way out.
    void reject() override;

private:
    QLabel *m_ibTTF = nullptr;
    QLabel *m_ibITF = nullptr;
    QPushButton *m_okButton = nullptr;
    bool m_ovSheet = false;
    ModalRuns *m_modalRuns = nullptr;
    bool m_running = false;
};

} // namespace settings
