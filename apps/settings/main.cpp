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

#include <cstdio>
#include <memory>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "platform/linux/dbuscenter.h"
#include "platform/linux/dbusworkspace.h"
#include "platform/linux/linuxdesktop.h"
#include "platform/linux/signalwatcher.h"
#include "platform/linux/xkbkeyboard.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/workspace.h"
#include "settings/appdelegate.h"

namespace {

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
        controls::OrvanePopUpButton *popup = delegate.mainWindow().ibPopupBtn();
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

    SettingsCenter distributed(reporter.get());
    platform::native::LinuxDesktop desktop(bundleId);
    // The displays as the driver sees them, so that both agree on every
    // display id the monitor page stores; the keyboard layout for the
    // shortcut recorder.
    qInfo("%s", qPrintable(desktop.displaysNote));
    platform::native::XkbKeyboard keyboard;
    // The settings application opens no device, posts no event and taps no
    // modifier key: it takes the desktop services only.
    platform::Desktop platform = desktop.desktop(distributed, workspace, keyboard);

    platform::native::SignalWatcher signalWatcher([] { QCoreApplication::quit(); });
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
