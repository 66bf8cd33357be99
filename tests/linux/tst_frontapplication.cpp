// The front application: the reading of the active window's properties as a
// table, then the same through a private Xvfb server where a window is made
// active the way a window manager does it (skipped without Xvfb). The
// workspace learns of each change from the server's notices on the main loop
// and answers the pen's many questions from memory.

#include <sys/syscall.h>
#include <unistd.h>

#include <memory>

#include <QFileInfo>
#include <QTest>

#include <xcb/xcb.h>

#include "platform/linux/dbusworkspace.h"
#include "xvfbserver.h"

using platform::FrontApplication;
using platform::native::frontApplicationFromWindow;

namespace {

struct XClient
{
    explicit XClient(const QByteArray &display)
        : c(xcb_connect(display.constData(), nullptr))
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        root = screen->root;
        rootVisual = screen->root_visual;
    }
    ~XClient() { xcb_disconnect(c); }

    xcb_atom_t atom(const char *name)
    {
        auto *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply->atom;
        std::free(reply);
        return a;
    }

    xcb_window_t window(const QByteArray &wmClass, quint32 pid)
    {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          rootVisual, 0, nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            uint32_t(wmClass.size()), wmClass.constData());
        if (pid)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
        return w;
    }

    void activate(xcb_window_t w)
    {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 32, 1, &w);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip: done
    }

    void destroy(xcb_window_t w)
    {
        xcb_destroy_window(c, w);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

    xcb_connection_t *c;
    xcb_window_t root;
    xcb_visualid_t rootVisual;
};

// The read and write system calls this thread has made so far (reading them
// makes some too: a caller measures that first).
qint64 threadSyscalls()
{
    QFile io(QStringLiteral("/proc/self/task/%1/io").arg(::syscall(SYS_gettid)));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    qint64 count = 0;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("syscr:") || line.startsWith("syscw:"))
            count += line.mid(6).trimmed().toLongLong();
    }
    return count;
}

// A private X server, the workspace on it and a client that plays the window
// manager.
struct XSession
{
    // The reason when there is no X server to be had.
    QString start()
    {
        QString why;
        const QByteArray display = xvfb.start(&why);
        if (display.isEmpty())
            return why;
        qputenv("DISPLAY", display);
        // The bus name it claims plays no part here (without a bus it warns and goes on).
        workspace = std::make_unique<platform::native::LinuxWorkspace>(
            QStringLiteral("com.orvane.FrontApplicationTest"));
        client = std::make_unique<XClient>(display);
        return {};
    }

    XvfbServer xvfb;
    std::unique_ptr<platform::native::LinuxWorkspace> workspace;
    std::unique_ptr<XClient> client;
};

} // namespace

class TestFrontApplication : public QObject
{
    Q_OBJECT

private slots:
    void fromWindow_data();
    void fromWindow();
    void activeWindow();
    void answersFromMemory();
};

void TestFrontApplication::fromWindow_data()
{
    QTest::addColumn<QByteArray>("wmClass");
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("processName");
    QTest::addColumn<QString>("bundleId");

    using namespace Qt::Literals::StringLiterals;
    // The class, not the instance name, is what per-application sets and the
    // double-click exceptions compare.
    QTest::newRow("class and program") << "krita\0Krita\0"_ba << "/usr/bin/krita" << "Krita" << "krita";
    QTest::newRow("program replaced since it started")
        << "gimp-2.10\0Gimp-2.10\0"_ba << "/usr/bin/gimp-2.10 (deleted)" << "Gimp-2.10" << "gimp-2.10";
    QTest::newRow("no program file (another user's process)")
        << "firefox-esr\0firefox-esr\0"_ba << "" << "firefox-esr" << "";
    QTest::newRow("empty class: the instance name") << "xterm\0\0"_ba << "/usr/bin/xterm" << "xterm" << "xterm";
    QTest::newRow("last NUL missing") << "code\0Code"_ba << "/usr/share/code/code" << "Code" << "code";
    QTest::newRow("no WM_CLASS") << QByteArray() << "/opt/tool/bin/tool" << "" << "tool";
    QTest::newRow("nothing known") << QByteArray() << "" << "" << "";
}

void TestFrontApplication::fromWindow()
{
    QFETCH(QByteArray, wmClass);
    QFETCH(QString, executable);
    QFETCH(QString, processName);
    QFETCH(QString, bundleId);
    const FrontApplication front = frontApplicationFromWindow(wmClass, executable);
    QCOMPARE(front.processName, processName);
    QCOMPARE(front.bundleId, bundleId);
}

void TestFrontApplication::activeWindow()
{
    XSession session;
    if (const QString why = session.start(); !why.isEmpty())
        QSKIP(qPrintable(why));
    platform::native::LinuxWorkspace &workspace = *session.workspace;
    XClient &client = *session.client;

    // No window manager has named an active window yet.
    QCOMPARE(workspace.frontApplication().processName, QString());

    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(u'/', -1);
    const xcb_window_t editor = client.window(QByteArrayLiteral("krita\0Krita\0"), quint32(::getpid()));
    client.activate(editor);
    QTRY_COMPARE(workspace.frontApplication().processName, QStringLiteral("Krita"));
    QCOMPARE(workspace.frontApplication().bundleId, self);

    const xcb_window_t other = client.window(QByteArrayLiteral("xterm\0XTerm\0"), 0);
    client.activate(other);
    QTRY_COMPARE(workspace.frontApplication().processName, QStringLiteral("XTerm"));
    QCOMPARE(workspace.frontApplication().bundleId, QString());

    // The window manager still names a window that is gone: nothing is front,
    // and the server's complaint does not stay behind.
    client.destroy(other);
    client.activate(editor);
    client.activate(other);
    QTRY_COMPARE(workspace.frontApplication().processName, QString());
    client.activate(editor);
    QTRY_COMPARE(workspace.frontApplication().processName, QStringLiteral("Krita"));
    client.activate(XCB_WINDOW_NONE);
    QTRY_COMPARE(workspace.frontApplication().processName, QString());
}

// A pen sample asks for the front application: a thousand of them make no X
// request and no read or write at all.
void TestFrontApplication::answersFromMemory()
{
    XSession session;
    if (const QString why = session.start(); !why.isEmpty())
        QSKIP(qPrintable(why));
    platform::native::LinuxWorkspace &workspace = *session.workspace;
    XClient &client = *session.client;
    client.activate(client.window(QByteArrayLiteral("krita\0Krita\0"), 0));
    QTRY_COMPARE(workspace.frontApplication().processName, QStringLiteral("Krita"));

    const quint64 requests = workspace.frontWindowRequests();
    const qint64 before = threadSyscalls();
    const qint64 start = threadSyscalls();
    QVERIFY(before >= 0);
    int answered = 0;
    for (int i = 0; i < 1000; ++i)
        answered += workspace.frontApplication().processName == QLatin1String("Krita");
    const qint64 end = threadSyscalls();
    QCOMPARE(end - start, start - before);
    QCOMPARE(answered, 1000);
    QCOMPARE(workspace.frontWindowRequests(), requests);

    // The next change is still seen.
    client.activate(client.window(QByteArrayLiteral("xterm\0XTerm\0"), 0));
    QTRY_COMPARE(workspace.frontApplication().processName, QStringLiteral("XTerm"));
    QVERIFY(workspace.frontWindowRequests() > requests);
}

QTEST_GUILESS_MAIN(TestFrontApplication)
#include "tst_frontapplication.moc"
