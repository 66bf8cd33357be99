// The settings application's composition root. For now it only starts,
// keeps a single running copy and quits cleanly: on the driver's quit
// notice, on a quit request over the bus, on SIGTERM, SIGINT or SIGHUP, or
// (--exit-after-start, for tests) one turn after launch.

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include "platform/linux/dbuscenter.h"
#include "platform/linux/dbusworkspace.h"
#include "platform/log.h"
#include "platform/workspace.h"
#include "store/ovpublicdefine.h"

namespace {

// The handler only writes one byte to the pipe (async-signal-safe); the
// event loop reads it and quits.
int s_signalPipe[2] = { -1, -1 };

extern "C" void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_signalPipe[1], &byte, 1);
    errno = saved;
}

bool watchSignals()
{
    if (::pipe(s_signalPipe) != 0)
        return false;
    for (int fd : s_signalPipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(s_signalPipe[1], F_SETFL, O_NONBLOCK);
    auto *notifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(s_signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signal, &action, nullptr);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY")
        && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::installDefaultMessageHandler();
    QApplication app(argc, argv);
    const bool exitAfterStart = app.arguments().contains(QStringLiteral("--exit-after-start"));

    const QString bundleId = QLatin1String(platform::kSettingBundleId);
    platform::native::LinuxWorkspace workspace(bundleId);
    platform::native::DBusDistributedCenter distributed;
    watchSignals();

    // A second copy ends one turn after launch, before it shows anything.
    if (workspace.runningCount(bundleId) >= 2 || exitAfterStart) {
        QTimer::singleShot(0, &app, [] { QCoreApplication::quit(); });
        return app.exec();
    }

    workspace.setQuitHandler([] { QCoreApplication::quit(); });
    distributed.observe(store::OVCFGQuitDNotification, &app,
        [](const platform::Notification &) { QCoreApplication::quit(); });
    const int code = app.exec();
    distributed.removeObserver(&app);
    return code;
}
