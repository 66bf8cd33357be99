#include "qtrunloop.h"

#include <cmath>

#include <QCoreApplication>
#include <QDateTime>
#include <QMetaObject>
#include <QTimer>

namespace platform::native {

QtRunLoop::QtRunLoop()
    : m_thread(QThread::currentThread())
{
    m_clock.start();
}

QtRunLoop::~QtRunLoop()
{
    for (auto &[id, entry] : m_timers)
        delete entry.timer;
}

RunLoop::TimerId QtRunLoop::start(double seconds, const void *context, Fn fn, bool repeating)
{
    const TimerId id = m_nextId++;
    auto *timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    const double ms = std::isfinite(seconds) ? std::max(0.0, seconds * 1000.0) : 0.0;
    timer->setInterval(int(std::min(ms, double(std::numeric_limits<int>::max()))));
    connect(timer, &QTimer::timeout, this, [this, id, repeating, fn = std::move(fn)] {
        Fn keep = fn; // the entry may go while it runs
        if (!repeating)
            cancel(id);
        keep();
    });
    m_timers.emplace(id, Entry{timer, context});
    timer->start();
    return id;
}

RunLoop::TimerId QtRunLoop::after(double seconds, const void *context, Fn fn)
{
    return start(seconds, context, std::move(fn), false);
}

RunLoop::TimerId QtRunLoop::repeat(double seconds, const void *context, Fn fn)
{
    return start(seconds, context, std::move(fn), true);
}

void QtRunLoop::cancel(TimerId id)
{
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    it->second.timer->stop();
    it->second.timer->deleteLater();
    m_timers.erase(it);
}

void QtRunLoop::cancelAll(const void *context)
{
    std::vector<TimerId> ids;
    for (const auto &[id, entry] : m_timers) {
        if (entry.context == context)
            ids.push_back(id);
    }
    for (TimerId id : ids)
        cancel(id);
}

void QtRunLoop::post(Fn fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void QtRunLoop::postFromAnyThread(Fn fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

double QtRunLoop::now() const
{
    return double(m_clock.nsecsElapsed()) / 1e9;
}

qint64 QtRunLoop::wallClockMillis() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

bool QtRunLoop::isMainThread() const
{
    return QThread::currentThread() == m_thread;
}

void QtRunLoop::quit(int exitCode)
{
    QCoreApplication::exit(exitCode);
}

} // namespace platform::native
