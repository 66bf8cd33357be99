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

    // A fixed keymap of the given layout and variant, without X; for tests
    // and for callers that know the layout.
    static std::unique_ptr<XkbKeyboard> fromLayout(const QString &layout, const QString &variant = QString());

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
    void onLayoutChanged(std::function<void()> callback) override;
    // Always empty: the desktops keep their shortcuts in their own settings
    // stores (GNOME's gsettings, KDE's kglobalshortcutsrc, a window manager's
    // configuration file), and there is no common way to ask for them.
    QList<SystemShortcut> systemShortcuts() const override;

private:
    struct FromNames
    {
    };
    XkbKeyboard(FromNames, const QString &layout, const QString &variant);
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
    std::vector<std::function<void()>> m_callbacks;
};

} // namespace platform::native
