#include "hidrawsystem.h"

#include <QDir>

#include <libudev.h>

#include "platform/linux/hidrawmanager.h"
#include "platform/linux/hidsyscalls.h"
#include "platform/linux/linuxlog.h"

namespace platform::native {

HidrawSystem::HidrawSystem(HidrawEnvironment environment)
    : m_environment(std::move(environment))
{ }

HidrawSystem::~HidrawSystem() = default;

std::unique_ptr<HidManager> HidrawSystem::createManager()
{
    return std::make_unique<HidrawManager>(*this);
}

HidSysCalls &HidrawSystem::calls() const
{
    return m_environment.calls ? *m_environment.calls : HidSysCalls::system();
}

bool HidrawSystem::available(QString *why) const
{
    QString reason;
    if (m_environment.useUdev) {
        udev *context = udev_new();
        if (!context)
            reason = QStringLiteral("no udev (cannot create a udev context)");
        else
            udev_unref(context);
    }
    if (reason.isEmpty()) {
        const QDir dev(m_environment.devRoot);
        if (dev.entryList({ QStringLiteral("hidraw*") }, QDir::System | QDir::Files | QDir::Dirs).isEmpty())
            reason = QStringLiteral(
                "no %1/hidraw* device nodes (no HID device connected, or the kernel lacks hidraw)")
                         .arg(m_environment.devRoot);
    }
    if (why)
        *why = reason;
    return reason.isEmpty();
}

void HidrawSystem::logIfUnavailable()
{
    if (m_reported)
        return;
    QString why;
    if (available(&why))
        return;
    m_reported = true;
    qCInfo(lcLinux, "hidraw unavailable: %s", qPrintable(why));
}

} // namespace platform::native
