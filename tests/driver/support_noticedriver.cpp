#include "support_noticedriver.h"

#include "driver/ovhudalert.h"
#include "driver/ovmanager.h"
#include "platform/hid.h"

using namespace platform;

NoticeDriver::NoticeDriver()
    : sim(bus, QLatin1String(kDriverBundleId))
    , delegate(sim.platform())
{
    DisplayInfo display;
    display.id = 1;
    display.bounds = QRectF(0, 0, 1920, 1080);
    display.main = true;
    sim.displays.setDisplay(display);
    delegate.setWindowObservers({ [this](const QString &text) { notices << text; },
        [this](const QString &name, bool shown) {
            windows.append({ name, shown });
        } });
    delegate.applicationDidFinishLaunching();
    sim.runLoop.drain();
}

NoticeDriver::~NoticeDriver()
{
    // The driver ends while the lists its observers fill still exist.
    delegate.applicationWillTerminate();
}

driver::OVHUDAlert &NoticeDriver::notice()
{
    return delegate.manager()->notice();
}

void NoticeDriver::connect(store::Model model)
{
    const store::ModelRow &row = store::rowFor(model);
    sim.hid.connect("r",
        QVariantMap { { QLatin1String(kHidVendorID), row.vendorId },
            { QLatin1String(kHidProductID), row.productId }, { QLatin1String(kHidPrimaryUsagePage), 0xFF0A },
            { QLatin1String(kHidPrimaryUsage), 1 } });
    sim.runLoop.drain();
}

driver::OVService *NoticeDriver::service()
{
    driver::OVManager *manager = delegate.manager();
    return manager ? manager->getCurService() : nullptr;
}

QList<bool> NoticeDriver::windowChanges(const QString &name) const
{
    QList<bool> changes;
    for (const auto &window : windows) {
        if (window.first == name)
            changes << window.second;
    }
    return changes;
}
