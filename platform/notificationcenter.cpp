#include "notificationcenter.h"

#include <algorithm>

namespace platform {

NotificationCenter::~NotificationCenter() = default;

void NotificationCenter::post(const QString &name, const QString &object, const QVariantMap &userInfo)
{
    deliver(Notification{name, object, userInfo});
}

void NotificationCenter::observe(const QString &name, const void *owner, Handler handler)
{
    m_entries.push_back(Entry{name, owner, std::make_shared<Handler>(std::move(handler))});
}

void NotificationCenter::removeObserver(const void *owner)
{
    for (Entry &entry : m_entries) {
        if (entry.owner == owner)
            entry.handler.reset();
    }
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [](const Entry &e) { return !e.handler; }),
                    m_entries.end());
}

bool NotificationCenter::hasObservers(const QString &name) const
{
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const Entry &e) { return e.handler && e.name == name; });
}

void NotificationCenter::deliver(const Notification &notification)
{
    // Snapshot first: a handler may observe or remove while we walk. A
    // removed observer's handler is reset and skipped.
    std::vector<std::weak_ptr<Handler>> targets;
    for (const Entry &entry : m_entries) {
        if (entry.handler && entry.name == notification.name)
            targets.push_back(entry.handler);
    }
    for (const auto &weak : targets) {
        if (auto handler = weak.lock(); handler && *handler) {
            // Keep a copy alive while it runs, even if it removes itself.
            Handler keep = *handler;
            keep(notification);
        }
    }
}

} // namespace platform
