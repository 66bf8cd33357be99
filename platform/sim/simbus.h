#pragma once

#include <functional>
#include <vector>

#include "platform/notificationcenter.h"

namespace platform {
class RunLoop;
}

namespace platform::sim {

class SimDistributedCenter;

// Joins the distributed centres of several simulated processes: a post on
// any of them reaches all of them, the poster included, each on a later turn
// of its own run loop.
class SimBus
{
public:
    // Called synchronously for every post of a centre on this bus.
    using PostHook = std::function<void(const SimDistributedCenter &poster, const Notification &)>;

    void setPostHook(PostHook hook) { m_hook = std::move(hook); }
    // A notification posted by a process outside the simulation.
    void inject(const Notification &notification);

private:
    friend class SimDistributedCenter;
    void join(SimDistributedCenter *center);
    void leave(SimDistributedCenter *center);
    void broadcast(const SimDistributedCenter *poster, const Notification &notification);

    std::vector<SimDistributedCenter *> m_centers;
    PostHook m_hook;
};

class SimDistributedCenter : public DistributedCenter
{
public:
    SimDistributedCenter(SimBus &bus, RunLoop &runLoop);
    ~SimDistributedCenter() override;

    void post(const QString &name, const QString &object = QString(),
              const QVariantMap &userInfo = QVariantMap()) override;

private:
    friend class SimBus;
    void enqueue(const Notification &notification);

    SimBus &m_bus;
    RunLoop &m_runLoop;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace platform::sim
