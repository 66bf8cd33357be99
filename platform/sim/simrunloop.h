#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/runloop.h"

namespace platform::sim {

// A run loop on a manual clock. Timers and posted turns form one queue
// ordered by due time, then by the order they were scheduled, so the same
// script always runs the same way.
class SimRunLoop : public RunLoop
{
public:
    explicit SimRunLoop(qint64 wallClockStartMillis = 1767225600000); // 2026-01-01T00:00:00Z

    TimerId after(double seconds, const void *context, Fn fn) override;
    TimerId repeat(double seconds, const void *context, Fn fn) override;
    void cancel(TimerId id) override;
    void cancelAll(const void *context) override;
    void post(Fn fn) override;
    void postFromAnyThread(Fn fn) override;
    double now() const override { return m_now; }
    qint64 wallClockMillis() const override;
    bool isMainThread() const override;
    void quit(int exitCode) override;

    // Moves the clock forward by `seconds`, running everything that falls due
    // on the way, in time order (work scheduled meanwhile included).
    void advance(double seconds);
    // The same up to the time `target`; stops early, where it is, once
    // keepGoing (when given) answers false after an item.
    void advanceTo(double target, const std::function<bool()> &keepGoing = {});
    // Runs everything due now, including turns posted while it runs.
    void drain() { advance(0); }
    // Runs the single next item, whatever its time; false when none is left.
    bool runNext();
    bool hasPending() const;
    // Due time of the next item, or a negative value when none.
    double nextDueTime() const;

    bool quitRequested() const { return m_quit; }
    int exitCode() const { return m_exitCode; }

private:
    struct Item
    {
        double due;
        const void *context;
        Fn fn;
        double interval; // > 0: repeating
    };
    using Key = std::pair<double, quint64>; // due time, sequence

    TimerId schedule(double due, const void *context, Fn fn, double interval);
    void takeInbox();
    bool runOne(double limit);

    double m_now = 0;
    qint64 m_wallStart;
    quint64 m_sequence = 0;
    std::map<Key, TimerId> m_queue;
    std::map<TimerId, std::pair<Key, Item>> m_items;
    TimerId m_nextId = 1;
    std::thread::id m_mainThread;
    mutable std::mutex m_inboxMutex;
    std::vector<Fn> m_inbox;
    bool m_quit = false;
    int m_exitCode = 0;
};

} // namespace platform::sim
