#include "simbus.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/plist.h"
#include "platform/runloop.h"

namespace platform::sim {

namespace {
// What crosses a process boundary is a property list: floats widen to
// double, and anything that is not a property-list value cannot be sent.
std::optional<QVariantMap> acrossProcesses(const QVariantMap &userInfo, QString *why)
{
    const auto bytes = plist::write(userInfo, plist::Format::Binary, why);
    if (!bytes)
        return std::nullopt;
    const auto value = plist::parse(*bytes, why);
    if (!value)
        return std::nullopt;
    return value->toMap();
}
} // namespace

void SimBus::join(SimDistributedCenter *center)
{
    m_centers.push_back(center);
}

void SimBus::leave(SimDistributedCenter *center)
{
    m_centers.erase(std::remove(m_centers.begin(), m_centers.end(), center), m_centers.end());
}

void SimBus::broadcast(const SimDistributedCenter *poster, const Notification &notification)
{
    QString why;
    const auto userInfo = acrossProcesses(notification.userInfo, &why);
    if (!userInfo) {
        // As on the session bus: what cannot cross a process is not posted.
        qCWarning(lcPlatform, "cannot post %s: %s", qUtf8Printable(notification.name), qUtf8Printable(why));
        return;
    }
    const Notification sent{notification.name, notification.object, *userInfo};
    if (m_hook && poster)
        m_hook(*poster, sent);
    for (SimDistributedCenter *center : m_centers)
        center->enqueue(sent);
}

void SimBus::inject(const Notification &notification)
{
    broadcast(nullptr, notification);
}

SimDistributedCenter::SimDistributedCenter(SimBus &bus, RunLoop &runLoop)
    : m_bus(bus)
    , m_runLoop(runLoop)
{
    m_bus.join(this);
}

SimDistributedCenter::~SimDistributedCenter()
{
    *m_alive = false;
    m_bus.leave(this);
}

void SimDistributedCenter::post(const QString &name, const QString &object, const QVariantMap &userInfo)
{
    m_bus.broadcast(this, Notification{name, object, userInfo});
}

void SimDistributedCenter::enqueue(const Notification &notification)
{
    std::weak_ptr<bool> alive = m_alive;
    m_runLoop.post([this, alive, notification] {
        if (auto a = alive.lock(); a && *a)
            deliver(notification);
    });
}

} // namespace platform::sim
