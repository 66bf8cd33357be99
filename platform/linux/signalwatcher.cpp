#include "signalwatcher.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace platform::native {

namespace {

int s_signalPipe[2] = { -1, -1 };

extern "C" void onSignal(int)
{
    const char byte = 1;
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = ::write(s_signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

SignalWatcher::SignalWatcher(std::function<void()> onTerminate)
    : m_onTerminate(std::move(onTerminate))
{
    if (::pipe(s_signalPipe) != 0)
        return;
    for (int fd : s_signalPipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(s_signalPipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(s_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(s_signalPipe[0], &byte, 1);
        if (m_onTerminate)
            m_onTerminate();
    });
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signal, &action, nullptr);
}

SignalWatcher::~SignalWatcher() = default;

} // namespace platform::native
