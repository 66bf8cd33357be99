#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QVariant>

class QWidget;

namespace platform {
struct Desktop;
}

namespace keyactions {

class OVKeyCodeTransformer;
struct AppEntry;

// What the key-action editors and the per-application windows are given by
// the settings application: the platform (texts, notices, the run loop, the
// file panel, the recorders' defaults and alerts), the one key-code
// transformer of the application, and how it shows its own alert.
struct EditorContext
{
    platform::Desktop *platform = nullptr;
    const OVKeyCodeTransformer *transformer = nullptr;
    // Runs the application's alert with this informative text over window,
    // application-modally and among the application's modal runs. Unset:
    // the platform's alert shows it.
    std::function<void(QWidget *window, const QString &informativeText)> alert;

    // The localised text of a key of the main string table.
    QString text(const QString &key) const;
    // The alert with the localised text of textKey.
    void showAlert(QWidget *window, const QString &textKey) const;
    // "OVUI_DeviceDisconnect_Hide_Noti" for owner: the settings delegate
    // posts it in its own process at once and the bus brings it again later,
    // so both are observed (the handler must bear the second).
    void observeDisconnectHide(const void *owner, std::function<void()> handler) const;
    void removeObservers(const void *owner) const;
    // The file panel on the applications folders, titled `title`, over
    // window: the application chosen, or none when the panel was cancelled
    // or the file is no application (refused with an alert).
    std::optional<AppEntry> chooseApplication(QWidget *window, const QString &title) const;
};

// The configuration of the one device a per-application window was opened
// for: reads and writes go to that device only, and once it has gone a
// write does nothing.
struct DeviceConfiguration
{
    QString devKey;
    std::function<QVariant(const QString &category, const QString &key)> query;
    // An invalid value removes the key; answers whether it wrote.
    std::function<bool(const QString &category, const QString &key, const QVariant &value)> update;
};

// Ends every modal dialog open over window, the innermost first (an editor's
// alert before the editor), as their Escape would; window itself stays.
// A window that ends its own modal run on the disconnect notice calls this
// first, so that nothing is left running behind it once it is hidden.
void endChildDialogs(QWidget *window);

} // namespace keyactions
