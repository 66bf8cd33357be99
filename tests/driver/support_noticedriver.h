#pragma once

#include <QList>
#include <QPair>
#include <QStringList>

#include "driver/appdelegate.h"
#include "platform/sim/simplatform.h"
#include "store/ovmodels.h"

namespace driver {
class OVHUDAlert;
class OVService;
} // namespace driver

// One started driver on the simulated platform, with the main display
// 1920 x 1080 at the origin, whose notices and window changes are recorded:
// `notices` the texts shown, `windows` (name, shown) in order.
struct NoticeDriver
{
    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim;
    driver::AppDelegate delegate;
    QStringList notices;
    QList<QPair<QString, bool>> windows;

    NoticeDriver();
    ~NoticeDriver();
    NoticeDriver(const NoticeDriver &) = delete;
    NoticeDriver &operator=(const NoticeDriver &) = delete;

    // The model's report interface appears (script name "r"); the device
    // becomes the current one.
    void connect(store::Model model);
    // The driver's notice (made at this first use when no key made it).
    driver::OVHUDAlert &notice();
    // The current device's service; nullptr without one.
    driver::OVService *service();
    // The notices and window changes of one window.
    QList<bool> windowChanges(const QString &name) const;
};
