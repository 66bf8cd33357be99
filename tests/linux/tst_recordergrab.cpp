// The recorder holding the keyboard while recording, on a private Xvfb
// server (skipped where Xvfb is not installed): with canCaptureGlobalHotKeys
// a combination that another X client grabs reaches the recorder instead of
// that client; without it, the other client takes it. Keys are made with the
// server's XTEST extension, as a keyboard would send them.

#include <linux/input-event-codes.h>
#include <sys/uio.h>

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovshortcuteditor.h"
#include "platform/linux/xkbkeyboard.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simrecorders.h"
#include "platform/sim/simrunloop.h"
#include "platform/stringtable.h"
#include "xvfbserver.h"

using namespace keyactions;

namespace {

constexpr xcb_keycode_t kXControl = KEY_LEFTCTRL + 8;
constexpr xcb_keycode_t kXAlt = KEY_LEFTALT + 8;
constexpr xcb_keycode_t kXT = KEY_T + 8;
constexpr quint64 kCommand = 0x100000;
constexpr quint64 kOption = 0x80000;

QByteArray g_display;
QString g_why;

xcb_extension_t g_xtest = { "XTEST", 0 };

// Another program of the desktop: holds Ctrl+Alt+T as desktops do and
// presses keys through XTEST.
struct OtherClient
{
    OtherClient()
        : c(xcb_connect(g_display.constData(), nullptr))
    {
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    ~OtherClient() { xcb_disconnect(c); }

    bool grab()
    {
        xcb_generic_error_t *error = xcb_request_check(c,
            xcb_grab_key_checked(c, 0, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, kXT, XCB_GRAB_MODE_ASYNC,
                XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }

    // XTEST FakeInput: a key press (2) or release (3) of one key code.
    bool fake(bool press, xcb_keycode_t key)
    {
        struct
        {
            quint8 major, minor;
            quint16 length;
            quint8 type, detail;
            quint16 pad0;
            quint32 time, root;
            quint32 pad1[2];
            qint16 rootX, rootY;
            quint8 pad2[7];
            quint8 deviceId;
        } request = {};
        static_assert(sizeof(request) == 36);
        request.type = press ? 2 : 3;
        request.detail = key;
        iovec parts[3];
        parts[2].iov_base = &request;
        parts[2].iov_len = sizeof(request);
        const xcb_protocol_request_t protocol = { 1, &g_xtest, 2, 1 };
        const xcb_void_cookie_t cookie { xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &protocol) };
        xcb_generic_error_t *error = xcb_request_check(c, cookie);
        std::free(error);
        return error == nullptr;
    }

    bool typeControlAltT()
    {
        return fake(true, kXControl) && fake(true, kXAlt) && fake(true, kXT) && fake(false, kXT)
            && fake(false, kXAlt) && fake(false, kXControl);
    }

    // Key presses that reached this client through its grab.
    int keyPresses()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7F) == XCB_KEY_PRESS)
                ++presses;
            std::free(event);
        }
        return presses;
    }

    xcb_connection_t *c;
    xcb_window_t root;
    int presses = 0;
};

} // namespace

class TestRecorderGrab : public QObject
{
    Q_OBJECT
private slots:
    void grabbedCombination_data();
    void grabbedCombination();
};

void TestRecorderGrab::grabbedCombination_data()
{
    QTest::addColumn<bool>("capture");
    QTest::newRow("captures the desktop's shortcuts") << true;
    QTest::newRow("leaves them to the desktop") << false;
}

void TestRecorderGrab::grabbedCombination()
{
    QFETCH(bool, capture);
    if (g_display.isEmpty())
        QSKIP(qPrintable(g_why));
    platform::native::XkbKeyboard keyboard;
    QVERIFY(keyboard.followsServer());
    const platform::StringTable english { { QStringLiteral("en") } };
    const OVKeyCodeTransformer transformer(keyboard, english);
    platform::sim::SimRunLoop runLoop;
    platform::sim::MemoryUserDefaults defaults;
    platform::sim::ScriptedAlerts alerts;

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *recorder = new OVShortcutEditor(transformer, runLoop, defaults, alerts, &window);
    recorder->setStyle(1);
    recorder->setAllowsKeyOnly(true, false);
    recorder->setCanCaptureGlobalHotKeys(capture);
    layout->addWidget(recorder);
    QList<std::pair<qint64, quint64>> asked;
    QObject::connect(recorder, &OVShortcutEditor::shortcutEditorIsKeyCodeAndFlagsTaken,
        [&](OVShortcutEditor *, qint64 keyCode, quint64 flags, bool *, QString *) {
            asked.append({ keyCode, flags });
        });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QTRY_VERIFY(window.isActiveWindow());
    recorder->setFocus();

    OtherClient other;
    QVERIFY(other.grab());
    recorder->startRecording();
    QVERIFY(recorder->isEditing());
    QVERIFY(other.typeControlAltT());

    if (capture) {
        // The recorder was asked about Command+Option+T, the desktop's
        // combination, and refused it as taken there; the other client got
        // nothing.
        QTRY_COMPARE(asked, (QList<std::pair<qint64, quint64>> { { 17, kCommand | kOption } }));
        QCOMPARE(alerts.shown().size(), size_t(1));
        QVERIFY(recorder->isEditing());
        QCOMPARE(other.keyPresses(), 0);
        // Recording over, the keyboard is given back (once the release has
        // left the application's connection).
        recorder->cancelRecording();
        QVERIFY(!recorder->isEditing());
        QApplication::processEvents();
        QVERIFY(other.typeControlAltT());
    }
    QTRY_COMPARE(other.keyPresses(), 1);
    QApplication::processEvents();
    QCOMPARE(asked.size(), capture ? 1 : 0);
}

int main(int argc, char **argv)
{
    // The application talks to the private server, or, without one, runs
    // offscreen to say why the test is skipped.
    XvfbServer xvfb;
    g_display = xvfb.start(&g_why);
    if (!g_display.isEmpty()) {
        qputenv("DISPLAY", g_display);
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    TestRecorderGrab test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordergrab.moc"
