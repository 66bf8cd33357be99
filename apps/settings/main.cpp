// The settings application's composition root: builds the Linux platform
// and the application delegate, and quits cleanly on the driver's quit
// notice, on a quit request over the bus, on closing the main window, or on
// SIGTERM, SIGINT or SIGHUP.
//
// --report-state is for the two-process tests only: the application prints
// one JSON line on standard output for each distributed notification it
// posts ({"t", "post": {"name", "object"}}) and whenever what it shows
// changes ({"t", "state": {"devices", "selected", "content", "tabs", "tab"}}),
// and reads commands from standard input, one a line:
//     update CATEGORY KEY bool|int|real|string VALUE
// changes a setting of the current device through its store, as a page would.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>

#include "controls/orvanetabview.h"
#include "platform/files.h"
#include "platform/linux/dbuscenter.h"
#include "platform/linux/dbusworkspace.h"
#include "platform/linux/desktopdisplays.h"
#include "platform/linux/messageboxalerts.h"
#include "platform/linux/qsettingsdefaults.h"
#include "platform/linux/qtfilepanels.h"
#include "platform/linux/qtrunloop.h"
#include "platform/linux/xkbkeyboard.h"
#include "platform/log.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/sim/simhid.h"
#include "platform/sim/simrecorders.h"
#include "platform/sim/simusb.h"
#include "platform/stringtable.h"
#include "platform/workspace.h"
#include "settings/appdelegate.h"
#include "settings/orvanepopupbutton.h"

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

// --report-state: the lines the two-process tests read.
class StateReporter : public QObject
{
public:
    StateReporter()
    {
        m_clock.start();
        m_coalesce.setSingleShot(true);
        m_coalesce.setInterval(0);
        connect(&m_coalesce, &QTimer::timeout, this, [this] { printState(); });
    }

    void attach(settings::AppDelegate &delegate)
    {
        m_delegate = &delegate;
        // Every show and hide in the application may change what is shown;
        // the state is read one turn later, when the change is complete.
        qApp->installEventFilter(this);
        settings::OrvanePopUpButton *popup = delegate.mainWindow().ibPopupBtn();
        connect(popup->model(), &QAbstractItemModel::rowsInserted, this, [this] { m_coalesce.start(); });
        connect(popup->model(), &QAbstractItemModel::rowsRemoved, this, [this] { m_coalesce.start(); });
        connect(popup, &QComboBox::currentIndexChanged, this, [this] { m_coalesce.start(); });
        connect(delegate.mainWindow().ibTabView(), &controls::OrvaneTabView::didSelect, this,
            [this] { m_coalesce.start(); });
    }

    void posted(const QString &name, const QString &object)
    {
        QJsonObject post { { QStringLiteral("name"), name } };
        post.insert(QStringLiteral("object"), object.isNull() ? QJsonValue() : QJsonValue(object));
        print(QJsonObject { { QStringLiteral("post"), post } });
    }

    // Reads the commands of standard input.
    void readCommands()
    {
        auto *notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
            char buffer[512];
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got <= 0) {
                notifier->setEnabled(false);
                return;
            }
            m_input.append(buffer, int(got));
            qsizetype end;
            while ((end = m_input.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(m_input.left(end)).trimmed();
                m_input.remove(0, end + 1);
                command(line);
            }
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            m_coalesce.start();
        return QObject::eventFilter(watched, event);
    }

private:
    void command(const QString &line)
    {
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.size() != 5 || words[0] != QLatin1String("update") || !m_delegate) {
            print(QJsonObject { { QStringLiteral("error"), QStringLiteral("cannot read command: ") + line } });
            return;
        }
        QVariant value;
        const QString &type = words[3];
        if (type == QLatin1String("bool"))
            value = words[4] == QLatin1String("true");
        else if (type == QLatin1String("int"))
            value = words[4].toLongLong();
        else if (type == QLatin1String("real"))
            value = words[4].toDouble();
        else
            value = words[4];
        m_delegate->mainWindow().updateConfiguration(words[1], words[2], value);
    }

    void printState()
    {
        if (!m_delegate)
            return;
        settings::MainWindowCtrl &main = m_delegate->mainWindow();
        QJsonArray devices;
        for (const QString &title : main.ibPopupBtn()->itemTitles())
            devices.append(title);
        QString content = QStringLiteral("other");
        if (m_delegate->cttView() && m_delegate->cttView()->isVisible())
            content = QStringLiteral("none");
        else if (m_delegate->contentView() && m_delegate->contentView()->isVisible())
            content = QStringLiteral("devices");
        const QString selected = main.ibPopupBtn()->titleOfSelectedItem();
        const QJsonObject state { { QStringLiteral("devices"), devices },
            { QStringLiteral("selected"), selected.isNull() ? QJsonValue() : QJsonValue(selected) },
            { QStringLiteral("content"), content }, { QStringLiteral("tabs"), main.ibTabView()->isVisible() },
            { QStringLiteral("tab"), main.ibTabView()->indexOfSelectedTabViewItem() } };
        if (state == m_lastState)
            return;
        m_lastState = state;
        print(QJsonObject { { QStringLiteral("state"), state } });
    }

    void print(QJsonObject line)
    {
        line.insert(QStringLiteral("t"), double(m_clock.nsecsElapsed()) / 1e9);
        std::fputs(QJsonDocument(line).toJson(QJsonDocument::Compact).constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    QPointer<settings::AppDelegate> m_delegate;
    QElapsedTimer m_clock;
    QTimer m_coalesce;
    QJsonObject m_lastState;
    QByteArray m_input;
};

// The session-bus centre; with --report-state every post is printed first.
class SettingsCenter : public platform::native::DBusDistributedCenter
{
public:
    explicit SettingsCenter(StateReporter *reporter)
        : m_reporter(reporter)
    { }

    void post(const QString &name, const QString &object, const QVariantMap &userInfo) override
    {
        if (m_reporter)
            m_reporter->posted(name, object);
        DBusDistributedCenter::post(name, object, userInfo);
    }

private:
    StateReporter *m_reporter;
};

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY")
        && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::installDefaultMessageHandler();
    QApplication app(argc, argv);
    const bool reportState = app.arguments().contains(QStringLiteral("--report-state"));

    const QString bundleId = QLatin1String(platform::kSettingBundleId);
    // Claims the bus name first: a second copy finds it taken.
    platform::native::LinuxWorkspace workspace(bundleId);
    std::unique_ptr<StateReporter> reporter;
    if (reportState)
        reporter = std::make_unique<StateReporter>();

    platform::native::QtRunLoop runLoop;
    platform::NotificationCenter local;
    SettingsCenter distributed(reporter.get());
    platform::native::SettingsUserDefaults defaults(bundleId);
    platform::StringTable strings(defaults.preferredLanguages());
    platform::native::QtAlerts alerts;
    platform::native::QtFilePanels filePanels;
    platform::Files files;
    // The displays as the driver sees them, so that both agree on every
    // display id the monitor page stores; the keyboard layout for the
    // shortcut recorder.
    QString displaysNote;
    const std::unique_ptr<platform::Displays> displays = platform::native::createDesktopDisplays(&displaysNote);
    qInfo("%s", qPrintable(displaysNote));
    platform::native::XkbKeyboard keyboard;
    // The settings application opens no device, posts no event and taps no
    // modifier key: those services stay empty.
    platform::sim::SimHidSystem hid;
    platform::sim::SimUsbBus usb;
    platform::sim::RecordingPoster poster;
    platform::sim::SimModifierTap modifierTap;
    const QString dataFolder
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + bundleId;
    platform::Platform platform { runLoop, local, distributed, hid, usb, poster, modifierTap, *displays,
        workspace, defaults, strings, alerts, filePanels, keyboard, files, dataFolder, bundleId };

    watchSignals();
    settings::AppDelegate delegate(platform);
    workspace.setQuitHandler([] { QCoreApplication::quit(); });
    app.setQuitOnLastWindowClosed(delegate.applicationShouldTerminateAfterLastWindowClosed());
    if (reporter) {
        reporter->attach(delegate);
        reporter->readCommands();
    }
    delegate.applicationDidFinishLaunching();
    const int code = app.exec();
    delegate.applicationWillTerminate();
    return code;
}
