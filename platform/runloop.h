#pragma once

#include <functional>

#include <QtGlobal>

namespace platform {

// The main thread's run loop. Every timer, posted turn and clock of the
// system comes from here, so that tests and the simulator can run the
// 3-second save or a 3-second long press on a manual clock.
class RunLoop
{
public:
    using Fn = std::function<void()>;
    using TimerId = quint64; // 0 is never a valid timer

    virtual ~RunLoop() = default;

    // Runs fn once after `seconds`. `context` groups timers for cancelAll().
    virtual TimerId after(double seconds, const void *context, Fn fn) = 0;
    // Runs fn every `seconds` until cancelled.
    virtual TimerId repeat(double seconds, const void *context, Fn fn) = 0;
    // Cancelling an unknown or already fired timer does nothing.
    virtual void cancel(TimerId id) = 0;
    virtual void cancelAll(const void *context) = 0;
    // The next turn of the loop ("after a delay of 0").
    virtual void post(Fn fn) = 0;
    // Safe from any thread; fn runs on the main thread on a later turn.
    virtual void postFromAnyThread(Fn fn) = 0;
    // Monotonic seconds.
    virtual double now() const = 0;
    // Wall clock, milliseconds since the epoch.
    virtual qint64 wallClockMillis() const = 0;
    virtual bool isMainThread() const = 0;
    // Ends the loop; the composition root decides what termination means.
    virtual void quit(int exitCode) = 0;
};

} // namespace platform
