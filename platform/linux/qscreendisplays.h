#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/displays.h"

namespace platform::native {

// The displays as Qt's screens show them, where the display server offers no
// RandR (a Wayland session): geometry and connector names from QScreen, name
// and vendor from the EDID that the kernel shows for that connector. Pictures
// cannot be turned from here: setRotation() answers false and says so once.
// Needs a QGuiApplication; without one the list is empty.
class QScreenDisplays : public Displays
{
public:
    // drmFolder: where the kernel lists the connectors (tests name a folder of their own).
    explicit QScreenDisplays(const QString &drmFolder = QStringLiteral("/sys/class/drm"));
    ~QScreenDisplays() override;

    QList<DisplayInfo> displays() const override;
    int rotation(quint32 id) const override;
    bool setRotation(quint32 id, int degrees) override;
    void onChanged(std::function<void()> callback) override;
    QPointF pointerPosition() const override;
    // Qt's screens are in its logical space already: only the main one's
    // corner lies between.
    WindowSpace windowSpace() const override;

private:
    class Watcher;
    QString m_drmFolder;
    std::vector<std::function<void()>> m_callbacks;
    std::unique_ptr<Watcher> m_watcher;
    bool m_toldRotation = false;
};

} // namespace platform::native
