// The driver's composition root: the only place that chooses between the
// simulated platform (--simulate, --sim-devices) and the Linux one.

#include <cstdio>
#include <memory>
#include <optional>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStringList>

#include "driver/appdelegate.h"
#include "platform/linux/dbuscenter.h"
#include "platform/linux/dbusworkspace.h"
#include "platform/linux/desktopdisplays.h"
#include "platform/linux/evdevmodifiertap.h"
#include "platform/linux/hidrawsystem.h"
#include "platform/linux/linuxdesktop.h"
#include "platform/linux/qtrunloop.h"
#include "platform/linux/signalwatcher.h"
#include "platform/linux/uinputeventposter.h"
#include "platform/linux/usbbus.h"
#include "platform/linux/xkbkeyboard.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/sim/simbus.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "simulator/simoutput.h"
#include "simulator/simulator.h"

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

// Without a display server the driver still runs: it needs one only for its
// notices and alerts.
void chooseOffscreenWithoutDisplay(bool always)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (always || !platform::native::displayServerAnswers())
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
    platform::native::SignalWatcher signalWatcher(
        [&simulator] { simulator.terminate(QStringLiteral("signal")); });
    simulator.start();
    return app.exec();
}

// The Linux platform. Without tablets, uinput or an X server it still runs:
// each missing piece says why in one line and the driver waits for devices.
int runLinux(QApplication &app)
{
    const QString bundleId = QLatin1String(platform::kDriverBundleId);
    platform::native::DBusDistributedCenter distributed;
    platform::native::LinuxWorkspace workspace(bundleId);
    platform::native::LinuxDesktop desktop(bundleId);
    qCInfo(lcDriverApp, "%s", qPrintable(desktop.displaysNote));
    // Says why hidraw is unavailable when the driver's managers open.
    platform::native::HidrawSystem hid;
    // Devices matched, removed or reporting during an alert or panel reach
    // the driver once it has been answered.
    hid.setModalRuns(&desktop.modalRuns);
    platform::native::LibUsbBus usb;
    // Declared after the displays, so gone before them: it follows their change notices.
    platform::native::UinputEventPoster poster;
    QString why;
    if (!poster.available(&why))
        qCInfo(lcDriverApp, "uinput unavailable: %s", qPrintable(why));
    poster.followDisplays(*desktop.displays);
    hid.setReportObserver([&poster](const platform::HidDevice *device) { poster.deviceReported(device); });
    platform::native::EvdevModifierTap modifierTap;
    platform::native::XkbKeyboard keyboard;
    platform::Platform platform
        = desktop.platform(distributed, hid, usb, poster, modifierTap, workspace, keyboard);

    driver::AppDelegate delegate(platform);
    workspace.setQuitHandler([&delegate] { delegate.terminate(QStringLiteral("quit request")); });
    platform::native::SignalWatcher signalWatcher(
        [&delegate] { delegate.terminate(QStringLiteral("signal")); });
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
