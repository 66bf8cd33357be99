#pragma once

#include <functional>

#include <QByteArray>
#include <QString>

class QWidget;

namespace firmware {

class DeviceInfo;

// What the diagnostics and progress windows ask of their device service.
// The service owns the one object behind it and lets go of it at its
// cleanup; the windows and their callbacks hold it weakly, so a window that
// outlives its device finds nothing and touches nothing.
class FirmwareService
{
public:
    virtual ~FirmwareService() = default;
    virtual QString devKey() const = 0;
    // The HID product name.
    virtual QString pName() const = 0;
    virtual DeviceInfo &deviceInfo() = 0;
    virtual bool isFirmwareUpdate() const = 0;
    // The diagnostics window's close request.
    virtual void desDia() = 0;
    virtual void setBPath(const QString &path) = 0;
    // A file passed the checks; `checked` are the bytes that passed, read
    // once, and the only ones the transfer sends. In the application
    // program: phase 1 (the switch to the boot program); in the boot
    // program: phase 2 (the transfer).
    virtual void firmwareUpdate(const QString &path, const QByteArray &checked) = 0;
    virtual void restoreFirmwareUpdate(const QByteArray &checked) = 0;
    // The boot program's prompt for a file.
    virtual void showUpdateAlert() = 0;
};

// One line of the simulator's output about a firmware window: shown or
// hidden, and the progress window's text and bar.
struct FirmwareWindowObservers
{
    std::function<void(const QString &name, bool shown)> window;
    std::function<void(int stage, const QString &text, double value, bool determinate)> progress;
};

// Shows a firmware window at the modal-panel level (level 8: above other
// windows), key and in front, or orders it out (nullptr without widgets), and
// reports it to the observers when `shown` changes.
void setFirmwareWindowShown(QWidget *window, const QString &name, bool &shown, bool show,
                            const FirmwareWindowObservers &observers);

} // namespace firmware
