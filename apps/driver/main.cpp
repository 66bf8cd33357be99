// The driver's composition root: the only place that chooses between the
// simulated platform (--simulate, --sim-devices) and the Linux one.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringList>

#include "driver/appdelegate.h"
#include "platform/files.h"
#include "platform/linux/dbuscenter.h"
#include "platform/linux/dbusworkspace.h"
#include "platform/linux/desktopdisplays.h"
#include "platform/linux/evdevmodifiertap.h"
#include "platform/linux/hidrawsystem.h"
#include "platform/linux/messageboxalerts.h"
#include "platform/linux/qsettingsdefaults.h"
#include "platform/linux/qtfilepanels.h"
#include "platform/linux/qtrunloop.h"
#include "platform/linux/uinputeventposter.h"
#include "platform/linux/usbbus.h"
#include "platform/linux/xkbkeyboard.h"
#include "platform/log.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/sim/simbus.h"
#include "platform/sim/simplatform.h"
#include "platform/stringtable.h"
#include "platform/workspace.h"
#include "simoutput.h"
#include "simulator.h"

Q_LOGGING_CATEGORY(lcDriverApp, "ov.app.driver")

namespace {

enum class Mode { Linux, Simulate, SimDevices };

struct Arguments
{
    Mode mode = Mode::Linux;
    QString script;
    QString dataFolder;
    QString error;
};

// Read before QApplication exists: the simulated modes choose the
// offscreen windowing platform when there is no display to draw on.
Arguments parseArguments(int argc, char **argv)
{
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        auto value = [&](const char *name) -> std::optional<QString> {
            if (i + 1 >= argc) {
                args.error = QStringLiteral("%1 needs a value").arg(QLatin1String(name));
                return std::nullopt;
            }
            return QString::fromLocal8Bit(argv[++i]);
        };
        if (arg == QLatin1String("--simulate") || arg == QLatin1String("--sim-devices")) {
            if (args.mode != Mode::Linux) {
                args.error = QStringLiteral("--simulate and --sim-devices exclude each other");
                return args;
            }
            auto script = value(argv[i]);
            if (!script)
                return args;
            args.mode = arg == QLatin1String("--simulate") ? Mode::Simulate : Mode::SimDevices;
            args.script = *script;
        } else if (arg == QLatin1String("--data")) {
            auto folder = value("--data");
            if (!folder)
                return args;
            args.dataFolder = QDir::cleanPath(QDir::current().absoluteFilePath(*folder));
        }
        // Anything else belongs to Qt (-platform, -display, ...).
    }
    return args;
}

std::optional<QStringList> readScript(const QString &name, QString *why)
{
    QFile file;
    bool opened = false;
    if (name == QLatin1String("-"))
        opened = file.open(stdin, QIODevice::ReadOnly);
    else {
        file.setFileName(name);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        *why = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return QString::fromUtf8(bytes).split(QLatin1Char('\n'));
}

// SIGTERM, SIGINT and SIGHUP reach the event loop through a self-pipe: the
// handler only writes one byte, which is async-signal-safe.
int s_signalPipe[2] = { -1, -1 };

extern "C" void onSignal(int)
{
    const char byte = 1;
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = ::write(s_signalPipe[1], &byte, 1);
    errno = saved;
}

class SignalWatcher
{
public:
    explicit SignalWatcher(std::function<void()> onTerminate)
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

private:
    std::function<void()> m_onTerminate;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

void chooseOffscreenWithoutDisplay(bool always)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (always || (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

int runSimulate(const Arguments &args, driverapp::SimOutput &out)
{
    QString why;
    const auto lines = readScript(args.script, &why);
    if (!lines) {
        out.log(QStringLiteral("cannot read script %1: %2").arg(args.script, why));
        return 1;
    }
    driverapp::Simulator simulator(out, args.dataFolder);
    simulator.setScript(*lines);
    simulator.run();
    return 0;
}

// The session bus centre of a real-time simulation: every post of the
// driver is printed as a "notify" line before it goes out; notifications
// the script sends as another process go out unprinted.
class PrintingCenter : public platform::native::DBusDistributedCenter
{
public:
    explicit PrintingCenter(driverapp::SimOutput &out)
        : m_out(out)
    { }

    void post(const QString &name, const QString &object, const QVariantMap &userInfo) override
    {
        m_out.notify(platform::Notification { name, object, userInfo });
        DBusDistributedCenter::post(name, object, userInfo);
    }

    void postFromOutside(const platform::Notification &n)
    {
        DBusDistributedCenter::post(n.name, n.object, n.userInfo);
    }

private:
    driverapp::SimOutput &m_out;
};

int runSimDevices(const Arguments &args, driverapp::SimOutput &out, QApplication &app)
{
    QString why;
    const auto lines = readScript(args.script, &why);
    if (!lines) {
        out.log(QStringLiteral("cannot read script %1: %2").arg(args.script, why));
        return 1;
    }
    platform::native::QtRunLoop runLoop;
    PrintingCenter center(out);
    driverapp::RealTimeServices services;
    services.runLoop = &runLoop;
    services.distributed = &center;
    services.inject = [&center](const platform::Notification &n) { center.postFromOutside(n); };
    driverapp::Simulator simulator(out, args.dataFolder, &services);
    // The driver's bus name, so that the settings application finds this
    // driver running (and can ask it to quit) instead of launching another.
    platform::native::LinuxWorkspace busName{QLatin1String(platform::kDriverBundleId)};
    busName.setQuitHandler([&simulator] { simulator.terminate(QStringLiteral("quit request")); });
    simulator.setScript(*lines);
    SignalWatcher signalWatcher([&simulator] { simulator.terminate(QStringLiteral("signal")); });
    simulator.start();
    return app.exec();
}

// The Linux platform. Without tablets, uinput or an X server it still runs:
// each missing piece says why in one line and the driver waits for devices.
int runLinux(QApplication &app)
{
    const QString bundleId = QLatin1String(platform::kDriverBundleId);
    platform::native::QtRunLoop runLoop;
    platform::NotificationCenter local;
    platform::native::DBusDistributedCenter distributed;
    platform::native::LinuxWorkspace workspace(bundleId);
    platform::native::SettingsUserDefaults defaults(bundleId);
    platform::StringTable strings(defaults.preferredLanguages());
    platform::native::QtAlerts alerts;
    platform::native::QtFilePanels filePanels;
    platform::Files files;
    // Says why hidraw is unavailable when the driver's managers open.
    platform::native::HidrawSystem hid;
    platform::native::LibUsbBus usb;
    QString note;
    const std::unique_ptr<platform::Displays> displays = platform::native::createDesktopDisplays(&note);
    qCInfo(lcDriverApp, "%s", qPrintable(note));
    // Declared after the displays, so gone before them: it follows their change notices.
    platform::native::UinputEventPoster poster;
    QString why;
    if (!poster.available(&why))
        qCInfo(lcDriverApp, "uinput unavailable: %s", qPrintable(why));
    poster.followDisplays(*displays);
    platform::native::EvdevModifierTap modifierTap;
    platform::native::XkbKeyboard keyboard;
    const QString dataFolder
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + bundleId;
    platform::Platform platform { runLoop, local, distributed, hid, usb, poster, modifierTap, *displays,
        workspace, defaults, strings, alerts, filePanels, keyboard, files, dataFolder, bundleId };

    driver::AppDelegate delegate(platform);
    workspace.setQuitHandler([&delegate] { delegate.terminate(QStringLiteral("quit request")); });
    SignalWatcher signalWatcher([&delegate] { delegate.terminate(QStringLiteral("signal")); });
    delegate.applicationDidFinishLaunching();
    const int code = app.exec();
    // Ended another way (the event loop was told to quit): still cleaned up.
    delegate.terminate(QStringLiteral("event loop ended"));
    return code;
}

} // namespace

int main(int argc, char **argv)
{
    const Arguments args = parseArguments(argc, argv);
    if (!args.error.isEmpty()) {
        std::fprintf(stderr, "OrvaneTabletDriver: %s\n", qPrintable(args.error));
        return 2;
    }

    if (args.mode == Mode::Simulate) {
        // Virtual time has no screen to show windows on.
        chooseOffscreenWithoutDisplay(true);
        driverapp::SimOutput out;
        QApplication app(argc, argv);
        // From here on, everything logged is the driver's (Qt's own start-up
        // notes, before, stay on standard error).
        out.captureMessages();
        return runSimulate(args, out);
    }

    chooseOffscreenWithoutDisplay(false);
    if (args.mode == Mode::SimDevices) {
        driverapp::SimOutput out;
        QApplication app(argc, argv);
        app.setQuitOnLastWindowClosed(false);
        out.captureMessages();
        return runSimDevices(args, out, app);
    }

    platform::installDefaultMessageHandler();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    return runLinux(app);
}
