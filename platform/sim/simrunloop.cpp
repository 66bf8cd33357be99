#include "simrunloop.h"

#include <cmath>

namespace platform::sim {

SimRunLoop::SimRunLoop(qint64 wallClockStartMillis)
    : m_wallStart(wallClockStartMillis)
    , m_mainThread(std::this_thread::get_id())
{
}

RunLoop::TimerId SimRunLoop::schedule(double due, const void *context, Fn fn, double interval)
{
    const TimerId id = m_nextId++;
    const Key key{due, m_sequence++};
    m_queue.emplace(key, id);
    m_items.emplace(id, std::make_pair(key, Item{due, context, std::move(fn), interval}));
    return id;
}

RunLoop::TimerId SimRunLoop::after(double seconds, const void *context, Fn fn)
{
    return schedule(m_now + std::max(0.0, seconds), context, std::move(fn), 0);
}

RunLoop::TimerId SimRunLoop::repeat(double seconds, const void *context, Fn fn)
{
    // A repeating timer with no interval would never let the clock move.
    const double interval = seconds > 0 ? seconds : 0.001;
    return schedule(m_now + interval, context, std::move(fn), interval);
}

void SimRunLoop::cancel(TimerId id)
{
    auto it = m_items.find(id);
    if (it == m_items.end())
        return;
    m_queue.erase(it->second.first);
    m_items.erase(it);
}

void SimRunLoop::cancelAll(const void *context)
{
    std::vector<TimerId> ids;
    for (const auto &[id, entry] : m_items) {
        if (entry.second.context == context)
            ids.push_back(id);
    }
    for (TimerId id : ids)
        cancel(id);
}

void SimRunLoop::post(Fn fn)
{
    schedule(m_now, nullptr, std::move(fn), 0);
}

void SimRunLoop::postFromAnyThread(Fn fn)
{
    std::lock_guard lock(m_inboxMutex);
    m_inbox.push_back(std::move(fn));
}

qint64 SimRunLoop::wallClockMillis() const
{
    return m_wallStart + qint64(std::llround(m_now * 1000.0));
}

bool SimRunLoop::isMainThread() const
{
    return std::this_thread::get_id() == m_mainThread;
}

void SimRunLoop::quit(int exitCode)
{
    if (!m_quit) {
        m_quit = true;
        m_exitCode = exitCode;
    }
}

void SimRunLoop::takeInbox()
{
    std::vector<Fn> inbox;
    {
        std::lock_guard lock(m_inboxMutex);
        inbox.swap(m_inbox);
    }
    for (Fn &fn : inbox)
        post(std::move(fn));
}

bool SimRunLoop::runOne(double limit)
{
    takeInbox();
    if (m_queue.empty())
        return false;
    auto first = m_queue.begin();
    if (first->first.first > limit)
        return false;
    const TimerId id = first->second;
    m_queue.erase(first);
    auto node = m_items.extract(id);
    Item &item = node.mapped().second;
    m_now = std::max(m_now, item.due);
    if (item.interval > 0) {
        // Re-arm before running so that the callback may cancel it.
        Fn copy = item.fn;
        const Key key{item.due + item.interval, m_sequence++};
        item.due = key.first;
        m_queue.emplace(key, id);
        m_items.emplace(id, std::make_pair(key, std::move(item)));
        copy();
    } else {
        item.fn();
    }
    return true;
}

void SimRunLoop::advance(double seconds)
{
    advanceTo(m_now + std::max(0.0, seconds));
}

void SimRunLoop::advanceTo(double target, const std::function<bool()> &keepGoing)
{
    while (!m_quit && runOne(target)) {
        if (keepGoing && !keepGoing())
            return;
    }
    if (!m_quit)
        m_now = std::max(m_now, target);
}

bool SimRunLoop::runNext()
{
    return runOne(INFINITY);
}

bool SimRunLoop::hasPending() const
{
    std::lock_guard lock(m_inboxMutex);
    return !m_queue.empty() || !m_inbox.empty();
}

double SimRunLoop::nextDueTime() const
{
    return m_queue.empty() ? -1.0 : m_queue.begin()->first.first;
}

} // namespace platform::sim
