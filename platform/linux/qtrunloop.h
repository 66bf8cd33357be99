#pragma once

#include <unordered_map>

#include <QElapsedTimer>
#include <QObject>
#include <QThread>

#include "platform/runloop.h"

class QTimer;

namespace platform::native {

// The Qt event loop of the main thread as the system's run loop.
class QtRunLoop : public QObject, public RunLoop
{
    Q_OBJECT
public:
    QtRunLoop();
    ~QtRunLoop() override;

    TimerId after(double seconds, const void *context, Fn fn) override;
    TimerId repeat(double seconds, const void *context, Fn fn) override;
    void cancel(TimerId id) override;
    void cancelAll(const void *context) override;
    void post(Fn fn) override;
    void postFromAnyThread(Fn fn) override;
    double now() const override;
    qint64 wallClockMillis() const override;
    bool isMainThread() const override;
    void quit(int exitCode) override;

private:
    TimerId start(double seconds, const void *context, Fn fn, bool repeating);

    struct Entry
    {
        QTimer *timer;
        const void *context;
    };
    std::unordered_map<TimerId, Entry> m_timers;
    TimerId m_nextId = 1;
    QElapsedTimer m_clock;
    QThread *m_thread;
};

} // namespace platform::native
