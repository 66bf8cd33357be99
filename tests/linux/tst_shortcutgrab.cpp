// The desktop's shortcuts on X11: a combination that another X client holds
// a grab on is refused by the recorder's validator, on a private Xvfb server
// (skipped where Xvfb is not installed).

#include <linux/input-event-codes.h>

#include <QTest>

#include <xcb/xcb.h>

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovvalidator.h"
#include "platform/linux/xkbkeyboard.h"
#include "platform/stringtable.h"
#include "xvfbserver.h"

using namespace keyactions;

namespace {

constexpr qint64 kMacT = 17; // the T key
constexpr xcb_keycode_t kXT = KEY_T + 8;
constexpr quint64 kCommand = 0x100; // four-bit flags
constexpr quint64 kOption = 0x800;

// Another program of the desktop, holding a shortcut as desktops do.
struct OtherClient
{
    explicit OtherClient(const QByteArray &display)
        : c(xcb_connect(display.constData(), nullptr))
    {
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    ~OtherClient() { xcb_disconnect(c); }

    // True when the server gave the grab.
    bool grab(quint16 modifiers)
    {
        xcb_generic_error_t *error = xcb_request_check(
            c, xcb_grab_key_checked(c, 0, root, modifiers, kXT, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }
    void ungrab(quint16 modifiers)
    {
        std::free(xcb_request_check(c, xcb_ungrab_key_checked(c, kXT, root, modifiers)));
    }

    xcb_connection_t *c;
    xcb_window_t root;
};

} // namespace

class TestShortcutGrab : public QObject
{
    Q_OBJECT
private slots:
    void grabHeldByAnotherClient();
};

void TestShortcutGrab::grabHeldByAnotherClient()
{
    XvfbServer xvfb;
    QString why;
    const QByteArray display = xvfb.start(&why);
    if (display.isEmpty())
        QSKIP(qPrintable(why));
    const QByteArray previous = qgetenv("DISPLAY");
    qputenv("DISPLAY", display);
    platform::native::XkbKeyboard keyboard;
    if (previous.isEmpty())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", previous);
    QVERIFY(keyboard.followsServer());

    const platform::StringTable english { { QStringLiteral("en") } };
    const OVKeyCodeTransformer transformer(keyboard, english);
    OVValidator validator(transformer);

    OtherClient other(display);
    // Ctrl+Alt+T, the desktop's terminal key: Command+Option+T here.
    QVERIFY(other.grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    std::optional<ShortcutError> error;
    QVERIFY(validator.isKeyCodeAndFlagsTaken(kMacT, kCommand | kOption, &error));
    QCOMPARE(error->localizedDescription, QStringLiteral("The key combination \u2325\u2318T can't be used!"));
    QVERIFY(error->localizedRecoverySuggestion.contains(QStringLiteral("Command + Option + T")));

    // Other modifiers are free, and asking left no grab behind: the other
    // client can take the combination the validator tried.
    error.reset();
    QVERIFY(!validator.isKeyCodeAndFlagsTaken(kMacT, kCommand, &error));
    QVERIFY(!error);
    QVERIFY(other.grab(XCB_MOD_MASK_CONTROL));

    // A grab made only with Num Lock on counts too.
    other.ungrab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    QVERIFY(!validator.isKeyCodeAndFlagsTaken(kMacT, kCommand | kOption));
    QVERIFY(other.grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2));
    QVERIFY(validator.isKeyCodeAndFlagsTaken(kMacT, kCommand | kOption));

    // Gone from the desktop, free again.
    other.ungrab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2);
    QVERIFY(!validator.isKeyCodeAndFlagsTaken(kMacT, kCommand | kOption));
}

QTEST_GUILESS_MAIN(TestShortcutGrab)
#include "tst_shortcutgrab.moc"
