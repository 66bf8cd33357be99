#include "dbusworkspace.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QStyleHints>
#include <QUrl>

#include "platform/desktopapplications.h"
#include "platform/desktopentry.h"
#include "platform/files.h"
#include "platform/linux/desktopdisplays.h"
#include "platform/linux/linuxlog.h"
#include "platform/stringtable.h"

#include <xcb/xcb.h>

namespace platform::native {

namespace {

const QString kAppPath = QStringLiteral("/com/orvane/Application");
const QString kAppInterface = QStringLiteral("com.orvane.Application");
const QString kDBusService = QStringLiteral("org.freedesktop.DBus");
const QString kDBusPath = QStringLiteral("/org/freedesktop/DBus");
const QString kDBusInterface = QStringLiteral("org.freedesktop.DBus");

// Questions to the bus daemon; it answers at once unless it is wedged.
constexpr int kBusTimeoutMs = 2000;

// RequestName flag and replies (D-Bus specification).
constexpr uint kDoNotQueue = 0x4;
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;

QString binFolder()
{
    const QString fromEnv = qEnvironmentVariable("OV_BIN_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

std::optional<QStringList> desktopEntryCommand(const QString &path, QString *why)
{
    const std::optional<QHash<QString, QString>> entry = readDesktopEntry(path);
    if (!entry) {
        *why = QStringLiteral("not a readable desktop entry");
        return std::nullopt;
    }
    const auto exec = entry->constFind(QStringLiteral("Exec"));
    if (exec == entry->constEnd()) {
        *why = QStringLiteral("it has no Exec line");
        return std::nullopt;
    }
    const auto command = splitExec(*exec);
    if (!command)
        *why = QStringLiteral("its Exec line cannot be read");
    return command;
}

// readlink() of a link to a file that was replaced since (an upgraded
// program still running) ends in this.
const QString kDeletedSuffix = QStringLiteral(" (deleted)");

QString procExecutable(quint32 pid)
{
    char target[4096];
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/exe";
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    if (length <= 0 || size_t(length) >= sizeof target)
        return {};
    return QString::fromLocal8Bit(target, length);
}

} // namespace

QString installedResourcePath(const QString &path)
{
    // The bundle's resource folder is where the install rules put resources/.
    const QString bundleResources
        = QLatin1String(kSettingInstallPath) + QStringLiteral("/Contents/Resources");
    const QString clean = QDir::cleanPath(path);
    if (clean == bundleResources)
        return resourceFolder();
    if (!clean.startsWith(bundleResources + QLatin1Char('/')))
        return path;
    return resourceFolder() + clean.mid(bundleResources.size());
}

FrontApplication frontApplicationFromWindow(
    const QByteArray &wmClass, const QString &executable, DesktopApplications *entries)
{
    FrontApplication front;
    const QList<QByteArray> names = wmClass.split('\0');
    const QString instance = QString::fromUtf8(names.value(0));
    const QString className = QString::fromUtf8(names.value(1));
    front.processName = className.isEmpty() ? instance : className;
    QString program = executable;
    if (program.endsWith(kDeletedSuffix))
        program.chop(kDeletedSuffix.size());
    front.bundleId = program.section(u'/', -1);
    front.otherNames << instance << front.bundleId;
    if (entries) {
        // A script's window shows its interpreter as the program
        // ("python3.11" for mypaint); its entry is found by the instance name.
        const QStringList classes { className, instance };
        if (const std::optional<DesktopApplication> app = entries->find(classes, { front.bundleId, instance }))
            front.otherNames << app->fileId << app->identifier << app->name;
    }
    front.otherNames = front.names().mid(front.processName.isEmpty() ? 0 : 1);
    return front;
}

// The X11 active window, on a connection of its own. The root window's
// property changes are selected on it: each change of _NET_ACTIVE_WINDOW that
// the main loop reads off the connection brings the window's class and
// program in (two round trips and a readlink, once per change), and a
// question is answered from memory. Without a main loop to read the notices
// on, every question asks afresh.
class LinuxWorkspace::FrontWindow
{
public:
    FrontWindow()
    {
        if (isWaylandPlatform(QGuiApplication::platformName()) || qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        int screenNumber = 0;
        m_c = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_c)) {
            xcb_disconnect(m_c);
            m_c = nullptr;
            return;
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_c));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        if (screens.rem)
            m_root = screens.data->root;
        m_activeAtom = atom("_NET_ACTIVE_WINDOW");
        m_pidAtom = atom("_NET_WM_PID");
        if (!m_root || m_activeAtom == XCB_ATOM_NONE || !QCoreApplication::instance())
            return;
        // Selected before the first reading: no change can fall between them.
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        ++m_requests;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        m_current = read();
        m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_c), QSocketNotifier::Read);
        QObject::connect(
            m_notifier.get(), &QSocketNotifier::activated, [this] { takeNotices(xcb_poll_for_event); });
        // Notices that came in with the first reading's replies.
        takeNotices(xcb_poll_for_queued_event);
    }

    ~FrontWindow()
    {
        m_notifier.reset();
        if (m_c)
            xcb_disconnect(m_c);
    }

    FrontApplication current() { return m_notifier ? m_current : read(); }

    // Requests sent on the connection so far (a test counts them).
    quint64 requests() const { return m_requests; }

private:
    // Every notice on the connection, those the replies of a reading queued
    // included; the active window is read again after a change of it.
    void takeNotices(xcb_generic_event_t *(*next)(xcb_connection_t *))
    {
        bool changed = takeEvents(next);
        while (changed) {
            m_current = read();
            changed = takeEvents(xcb_poll_for_queued_event);
        }
        if (xcb_connection_has_error(m_c)) {
            // The server has gone: nothing will be read again.
            m_notifier.reset();
            m_current = {};
        }
    }

    bool takeEvents(xcb_generic_event_t *(*next)(xcb_connection_t *))
    {
        bool changed = false;
        while (xcb_generic_event_t *event = next(m_c)) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
                const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
                if (notify->window == m_root && notify->atom == m_activeAtom)
                    changed = true;
            }
            std::free(event);
        }
        return changed;
    }

    FrontApplication read()
    {
        if (!m_c || !m_root || m_activeAtom == XCB_ATOM_NONE || xcb_connection_has_error(m_c))
            return {};
        const QByteArray active = takeProperty(askProperty(m_root, m_activeAtom, XCB_ATOM_WINDOW, 1), XCB_ATOM_WINDOW);
        xcb_window_t window = XCB_WINDOW_NONE;
        if (active.size() == sizeof window)
            std::memcpy(&window, active.constData(), sizeof window);
        if (window == XCB_WINDOW_NONE)
            return {};
        // Both questions go out before the first answer is awaited. A
        // WM_CLASS longer than 1 KiB is no class name.
        const auto classCookie = askProperty(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256);
        const auto pidCookie = askProperty(window, m_pidAtom, XCB_ATOM_CARDINAL, 1);
        const QByteArray wmClass = takeProperty(classCookie, XCB_ATOM_STRING);
        const QByteArray pidBytes = takeProperty(pidCookie, XCB_ATOM_CARDINAL);
        quint32 pid = 0;
        if (pidBytes.size() == sizeof pid)
            std::memcpy(&pid, pidBytes.constData(), sizeof pid);
        // A window that is gone (the window manager has not caught up yet) is
        // no front application.
        if (wmClass.isEmpty() && !pid)
            return {};
        return frontApplicationFromWindow(wmClass, pid ? procExecutable(pid) : QString(), &m_entries);
    }

private:
    xcb_atom_t atom(const char *name)
    {
        ++m_requests;
        xcb_generic_error_t *error = nullptr;
        xcb_intern_atom_reply_t *reply
            = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), &error);
        std::free(error);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    xcb_get_property_cookie_t askProperty(xcb_window_t window, xcb_atom_t name, xcb_atom_t type, uint32_t words)
    {
        ++m_requests;
        return xcb_get_property(m_c, 0, window, name, type, 0, words);
    }

    // A window that is gone answers with an error, taken here so that it
    // does not pile up in the connection's event queue.
    QByteArray takeProperty(xcb_get_property_cookie_t cookie, xcb_atom_t type)
    {
        xcb_generic_error_t *error = nullptr;
        xcb_get_property_reply_t *reply = xcb_get_property_reply(m_c, cookie, &error);
        std::free(error);
        QByteArray value;
        if (reply && reply->type == type)
            value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    }

    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_activeAtom = XCB_ATOM_NONE;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    std::unique_ptr<QSocketNotifier> m_notifier;
    DesktopApplications m_entries;
    FrontApplication m_current;
    quint64 m_requests = 0;
};

// The exported application object and the bus calls, on the main thread.
class LinuxWorkspace::Bus : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.orvane.Application")
public:
    explicit Bus(const QString &ownBundleId)
        : m_ownId(ownBundleId)
        , m_bus(QDBusConnection::sessionBus())
    {
        if (!m_bus.isConnected()) {
            qCWarning(lcLinux, "cannot count running copies of %s: no session bus", qPrintable(m_ownId));
            return;
        }
        // Exported before the name is claimed: whoever finds the name can call at once.
        if (!m_bus.registerObject(kAppPath, this, QDBusConnection::ExportScriptableSlots))
            qCWarning(lcLinux, "cannot export %s: %s", qPrintable(kAppPath), qPrintable(m_bus.lastError().message()));
        const QDBusMessage reply = callDaemon(QStringLiteral("RequestName"), {m_ownId, kDoNotQueue});
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            const uint result = reply.arguments().first().toUInt();
            m_ownsName = result == kPrimaryOwner || result == kAlreadyOwner;
        } else {
            qCWarning(lcLinux, "cannot claim the name %s: %s", qPrintable(m_ownId), qPrintable(reply.errorMessage()));
        }
    }

    ~Bus() override
    {
        if (!m_bus.isConnected())
            return;
        m_bus.unregisterObject(kAppPath);
        if (m_ownsName) {
            QDBusMessage release = QDBusMessage::createMethodCall(kDBusService, kDBusPath, kDBusInterface,
                                                                  QStringLiteral("ReleaseName"));
            release << m_ownId;
            m_bus.send(release);
        }
    }

    QDBusMessage callDaemon(const QString &method, const QList<QVariant> &args) const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kDBusService, kDBusPath, kDBusInterface, method);
        call.setArguments(args);
        return m_bus.call(call, QDBus::Block, kBusTimeoutMs);
    }

    bool hasOwner(const QString &name) const
    {
        if (!m_bus.isConnected())
            return false;
        const QDBusMessage reply = callDaemon(QStringLiteral("NameHasOwner"), {name});
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            && reply.arguments().first().toBool();
    }

    // Fire and forget: the answer, or the error when nobody owns the name,
    // is of no use.
    void callApplication(const QString &bundleId, const QString &method)
    {
        if (!m_bus.isConnected())
            return;
        QDBusMessage call = QDBusMessage::createMethodCall(bundleId, kAppPath, kAppInterface, method);
        call.setAutoStartService(false);
        m_bus.send(call);
    }

    void watch(const QString &bundleId, std::function<void()> callback)
    {
        if (!m_bus.isConnected())
            return;
        auto *watcher = new QDBusServiceWatcher(bundleId, m_bus, QDBusServiceWatcher::WatchForUnregistration, this);
        connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this,
                [watcher, callback = std::move(callback)] {
                    if (!watcher->property("fired").toBool()) {
                        watcher->setProperty("fired", true);
                        watcher->deleteLater();
                        callback();
                    }
                });
    }

    QString m_ownId;
    QDBusConnection m_bus;
    bool m_ownsName = false;
    std::function<void()> m_quit;
    std::function<void()> m_raise;

public slots:
    // The handlers run on a later turn, so that one which ends the program or
    // drops the workspace does not pull this object away under the bus.
    Q_SCRIPTABLE void Quit() { runLater(m_quit, "Quit"); }
    Q_SCRIPTABLE void Raise() { runLater(m_raise, "Raise"); }

private:
    void runLater(const std::function<void()> &handler, const char *what)
    {
        if (!handler) {
            qCWarning(lcLinux, "cannot %s %s: nothing handles it", what, qPrintable(m_ownId));
            return;
        }
        QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection);
    }
};

LinuxWorkspace::LinuxWorkspace(const QString &ownBundleId)
    : m_bus(std::make_unique<Bus>(ownBundleId))
{
}

LinuxWorkspace::~LinuxWorkspace() = default;

int LinuxWorkspace::runningCount(const QString &bundleId) const
{
    if (bundleId == m_bus->m_ownId)
        return 1 + (!m_bus->m_ownsName && m_bus->hasOwner(bundleId) ? 1 : 0);
    return m_bus->hasOwner(bundleId) ? 1 : 0;
}

void LinuxWorkspace::watchDisappearance(const QString &bundleId, std::function<void()> callback)
{
    m_bus->watch(bundleId, std::move(callback));
}

void LinuxWorkspace::terminate(const QString &bundleId)
{
    m_bus->callApplication(bundleId, QStringLiteral("Quit"));
}

void LinuxWorkspace::raise(const QString &bundleId)
{
    m_bus->callApplication(bundleId, QStringLiteral("Raise"));
}

void LinuxWorkspace::setQuitHandler(std::function<void()> handler)
{
    m_bus->m_quit = std::move(handler);
}

void LinuxWorkspace::setRaiseHandler(std::function<void()> handler)
{
    m_bus->m_raise = std::move(handler);
}

bool LinuxWorkspace::ownsName() const
{
    return m_bus->m_ownsName;
}

bool LinuxWorkspace::launch(const QString &path)
{
    QString program;
    QStringList arguments;
    QString why;
    const QString clean = QDir::cleanPath(path);
    if (clean == QLatin1String(kSettingInstallPath) || clean == QLatin1String(kDriverInstallPath)) {
        const QString name = clean == QLatin1String(kSettingInstallPath) ? QStringLiteral("OrvaneTabletSetting")
                                                                         : QStringLiteral("OrvaneTabletDriver");
        const QString candidate = QDir(binFolder()).filePath(name);
        if (isExecutableFile(candidate))
            program = candidate;
        else
            why = QStringLiteral("%1 is not an executable file").arg(candidate);
    } else if (path.endsWith(QLatin1String(".desktop"))) {
        if (const auto command = desktopEntryCommand(path, &why)) {
            program = command->first();
            arguments = command->mid(1);
        }
    } else if (isExecutableFile(path)) {
        program = QFileInfo(path).absoluteFilePath();
    } else {
        why = QStringLiteral("not an application or an executable file");
    }
    if (program.isEmpty()) {
        qCWarning(lcLinux, "cannot launch %s: %s", qPrintable(path), qPrintable(why));
        return false;
    }
    if (!QProcess::startDetached(program, arguments)) {
        qCWarning(lcLinux, "cannot launch %s: %s does not start", qPrintable(path), qPrintable(program));
        return false;
    }
    return true;
}

bool LinuxWorkspace::open(const QString &pathOrUrl)
{
    QUrl url;
    if (pathOrUrl.startsWith(u'/'))
        url = QUrl::fromLocalFile(installedResourcePath(pathOrUrl));
    else
        url = QUrl(pathOrUrl, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        qCWarning(lcLinux, "cannot open %s: not a path or an address", qPrintable(pathOrUrl));
        return false;
    }
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        qCWarning(lcLinux, "cannot open %s: no desktop session in this program", qPrintable(pathOrUrl));
        return false;
    }
    if (!QDesktopServices::openUrl(url)) {
        qCWarning(lcLinux, "cannot open %s: the desktop has no handler for it", qPrintable(pathOrUrl));
        return false;
    }
    return true;
}

FrontApplication LinuxWorkspace::frontApplication() const
{
    if (!m_front)
        m_front = std::make_unique<FrontWindow>();
    return m_front->current();
}

quint64 LinuxWorkspace::frontWindowRequests() const
{
    return m_front ? m_front->requests() : 0;
}

double LinuxWorkspace::doubleClickInterval() const
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QGuiApplication::styleHints()->mouseDoubleClickInterval() / 1000.0;
    return 0.5;
}

} // namespace platform::native

#include "dbusworkspace.moc"
