#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/keyboard.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct xcb_connection_t;
class QSocketNotifier;

namespace platform::native {

// The keyboard layout the user has selected, through xkbcommon.
//
// On X11 the keymap and the active layout group come from the server over an
// XCB connection of our own, and XKB notices (new keyboard, map, group change)
// rebuild them and call the layout-changed callbacks on the main loop. Without
// an X server (a Wayland session, a console) the keymap is built from the
// default rules, model, layout, variant and options (XKB_DEFAULT_* in the
// environment, else xkbcommon's built-in ones) and never changes.
class XkbKeyboard : public Keyboard
{
public:
    XkbKeyboard();
    ~XkbKeyboard() override;

    // A keymap of the given layout and variant, without X; for tests and for
    // callers that know the layout.
    static std::unique_ptr<XkbKeyboard> fromLayout(const QString &layout, const QString &variant = QString());
    // Switches a keyboard made by fromLayout() to another layout and tells
    // the observers. False (nothing changes) for a keyboard that follows the
    // X server, or when the layout cannot be compiled.
    bool setLayout(const QString &layout, const QString &variant = QString());

    // False when no keymap could be compiled (no XKB data installed); then
    // every character is empty.
    bool isValid() const;
    // True when the keymap follows an X server.
    bool followsServer() const;

    // Only Shift changes the character: Alt (Option) and Super (Control)
    // select no other level on Linux layouts, and Ctrl (Command) gives control
    // codes, which are no characters. Keypad keys answer their digits, as
    // with Num Lock on.
    QString characterFor(quint16 keyCode, quint64 flags = 0) const override;
    void onLayoutChanged(const void *owner, std::function<void()> callback) override;
    void removeLayoutObserver(const void *owner) override;
    // The desktops keep their shortcuts in their own settings stores (GNOME's
    // gsettings, KDE's kglobalshortcutsrc, a window manager's configuration
    // file), with no common way to read them; but on X11 each one works by a
    // passive grab of its key combination at the root window, which only one
    // client can hold. So the combination is tried for a grab of our own:
    // the server refusing it (BadAccess) means another program holds it; a
    // grab we get is released at once. Tried with and without Num Lock,
    // which desktops add to their grabs. nullopt without an X server (a
    // Wayland session, a keyboard made from names).
    std::optional<bool> isDesktopShortcut(quint16 keyCode, quint64 flags) override;

private:
    struct FromNames
    {
    };
    XkbKeyboard(FromNames, const QString &layout, const QString &variant);
    static xkb_keymap *compileNames(xkb_context *context, const QString &layout, const QString &variant);
    bool connectServer();
    bool loadServerKeymap();
    void readServer();
    void changed();

    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_state *m_state = nullptr;
    xcb_connection_t *m_connection = nullptr;
    int m_deviceId = -1;
    quint8 m_xkbEventBase = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_screen = 0;
    std::vector<std::pair<const void *, std::function<void()>>> m_observers;
};

} // namespace platform::native
