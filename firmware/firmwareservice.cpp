#include "firmwareservice.h"

#include <QWidget>

namespace firmware {

void setFirmwareWindowShown(QWidget *window, const QString &name, bool &shown, bool show,
                            const FirmwareWindowObservers &observers)
{
    if (window && show) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        window->show();
        window->activateWindow();
    } else if (window) {
        window->hide();
    }
    if (shown == show)
        return;
    shown = show;
    if (observers.window)
        observers.window(name, show);
}

} // namespace firmware
