#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform::native {

// SIGTERM, SIGINT and SIGHUP reach the main loop through a self-pipe: the
// handler only writes one byte, which is async-signal-safe, and the loop
// calls onTerminate. One per process: the signal handlers are the process's.
class SignalWatcher
{
public:
    explicit SignalWatcher(std::function<void()> onTerminate);
    ~SignalWatcher();

private:
    std::function<void()> m_onTerminate;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace platform::native
