#include "xkbkeyboard.h"

#include <cstdlib>

#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb.h>
// The XKB protocol header names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include "platform/eventposter.h"
#include "platform/keycodes.h"
#include "platform/linux/linuxlog.h"

namespace platform::native {

namespace {

// X and xkbcommon number keys as the kernel does, plus 8.
constexpr int kXkbKeycodeOffset = 8;

// The XKB events share one core event code; the kind is in the second byte.
union XkbEvent {
    struct
    {
        quint8 response_type;
        quint8 xkbType;
        quint16 sequence;
        xcb_timestamp_t time;
        quint8 deviceID;
    } any;
    xcb_xkb_new_keyboard_notify_event_t newKeyboard;
    xcb_xkb_map_notify_event_t map;
    xcb_xkb_state_notify_event_t state;
};

} // namespace

XkbKeyboard::XkbKeyboard()
{
    m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!m_context)
        return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") && connectServer())
        return;
    m_keymap = xkb_keymap_new_from_names(m_context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (m_keymap)
        m_state = xkb_state_new(m_keymap);
    else
        qCWarning(lcLinux, "cannot compile the default keymap: no XKB data; shortcuts show key codes only");
}

XkbKeyboard::XkbKeyboard(FromNames, const QString &layout, const QString &variant)
{
    m_context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!m_context)
        return;
    m_keymap = compileNames(m_context, layout, variant);
    if (m_keymap)
        m_state = xkb_state_new(m_keymap);
}

xkb_keymap *XkbKeyboard::compileNames(xkb_context *context, const QString &layout, const QString &variant)
{
    const QByteArray layoutName = layout.toUtf8();
    const QByteArray variantName = variant.toUtf8();
    xkb_rule_names names {};
    names.rules = "evdev";
    names.model = "pc105";
    names.layout = layoutName.constData();
    names.variant = variantName.constData();
    names.options = "";
    return xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
}

bool XkbKeyboard::setLayout(const QString &layout, const QString &variant)
{
    if (m_connection || !m_context)
        return false;
    xkb_keymap *keymap = compileNames(m_context, layout, variant);
    if (!keymap)
        return false;
    xkb_state *state = xkb_state_new(keymap);
    if (!state) {
        xkb_keymap_unref(keymap);
        return false;
    }
    if (m_state)
        xkb_state_unref(m_state);
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_state = state;
    changed();
    return true;
}

std::unique_ptr<XkbKeyboard> XkbKeyboard::fromLayout(const QString &layout, const QString &variant)
{
    return std::unique_ptr<XkbKeyboard>(new XkbKeyboard(FromNames(), layout, variant));
}

XkbKeyboard::~XkbKeyboard()
{
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
    if (m_state)
        xkb_state_unref(m_state);
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    if (m_context)
        xkb_context_unref(m_context);
}

bool XkbKeyboard::isValid() const
{
    return m_keymap != nullptr;
}

bool XkbKeyboard::followsServer() const
{
    return m_connection != nullptr;
}

bool XkbKeyboard::connectServer()
{
    m_connection = xcb_connect(nullptr, &m_screen);
    if (!m_connection || xcb_connection_has_error(m_connection)) {
        if (m_connection)
            xcb_disconnect(m_connection);
        m_connection = nullptr;
        return false;
    }
    quint8 errorBase = 0;
    if (!xkb_x11_setup_xkb_extension(m_connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &m_xkbEventBase,
                                     &errorBase)
        || (m_deviceId = xkb_x11_get_core_keyboard_device_id(m_connection)) < 0 || !loadServerKeymap()) {
        qCWarning(lcLinux, "cannot read the keyboard layout from the X server: no XKB; using the default layout");
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return false;
    }

    // A new keyboard or keymap, and the group switch by which most desktops
    // change the layout.
    const quint16 events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY
        | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const quint16 mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS
        | XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS
        | XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events(m_connection, quint16(m_deviceId), events, 0, events, mapParts, mapParts, nullptr);
    xcb_flush(m_connection);

    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readServer(); });
    return true;
}

bool XkbKeyboard::loadServerKeymap()
{
    xkb_keymap *keymap =
        xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return false;
    xkb_state *state = xkb_x11_state_new_from_device(keymap, m_connection, m_deviceId);
    if (!state) {
        xkb_keymap_unref(keymap);
        return false;
    }
    if (m_state)
        xkb_state_unref(m_state);
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_state = state;
    return true;
}

void XkbKeyboard::readServer()
{
    bool layoutChanged = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        const auto *xkb = reinterpret_cast<const XkbEvent *>(event);
        if ((event->response_type & 0x7f) == m_xkbEventBase && xkb->any.deviceID == m_deviceId) {
            switch (xkb->any.xkbType) {
            case XCB_XKB_NEW_KEYBOARD_NOTIFY:
            case XCB_XKB_MAP_NOTIFY:
                // Keeps the last keymap when the new one cannot be read.
                layoutChanged |= loadServerKeymap();
                break;
            case XCB_XKB_STATE_NOTIFY: {
                const xcb_xkb_state_notify_event_t &s = xkb->state;
                const int components = xkb_state_update_mask(m_state, s.baseMods, s.latchedMods, s.lockedMods,
                                                             xkb_layout_index_t(s.baseGroup),
                                                             xkb_layout_index_t(s.latchedGroup),
                                                             xkb_layout_index_t(s.lockedGroup));
                layoutChanged |= (components & XKB_STATE_LAYOUT_EFFECTIVE) != 0;
                break;
            }
            default:
                break;
            }
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        // The server went away: keep the last layout.
        qCWarning(lcLinux, "cannot follow the keyboard layout: the X connection closed");
        m_notifier->setEnabled(false);
    }
    if (layoutChanged)
        changed();
}

void XkbKeyboard::changed()
{
    // An observer may add or remove one; walk a copy.
    const auto observers = m_observers;
    for (const auto &observer : observers)
        observer.second();
}

QString XkbKeyboard::characterFor(quint16 keyCode, quint64 flags) const
{
    if (!m_keymap)
        return QString();
    const std::optional<int> key = evdevKeyForMacKey(keyCode);
    if (!key)
        return QString();

    xkb_state *state = xkb_state_new(m_keymap);
    if (!state)
        return QString();
    const xkb_layout_index_t layout = m_state ? xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_EFFECTIVE) : 0;
    xkb_mod_mask_t depressed = 0;
    xkb_mod_mask_t locked = 0;
    const xkb_mod_index_t shift = xkb_keymap_mod_get_index(m_keymap, XKB_MOD_NAME_SHIFT);
    if ((flags & eventflag::Shift) && shift != XKB_MOD_INVALID)
        depressed |= xkb_mod_mask_t(1) << shift;
    const xkb_mod_index_t numLock = xkb_keymap_mod_get_index(m_keymap, XKB_MOD_NAME_NUM);
    if (numLock != XKB_MOD_INVALID)
        locked |= xkb_mod_mask_t(1) << numLock;
    xkb_state_update_mask(state, depressed, 0, locked, 0, 0, layout);

    char text[16] = {};
    const int size = xkb_state_key_get_utf8(state, xkb_keycode_t(*key + kXkbKeycodeOffset), text, sizeof text);
    xkb_state_unref(state);
    if (size <= 0 || size >= int(sizeof text))
        return QString();
    const QString character = QString::fromUtf8(text, size);
    for (const QChar c : character) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QString();
    }
    return character;
}

void XkbKeyboard::onLayoutChanged(const void *owner, std::function<void()> callback)
{
    m_observers.emplace_back(owner, std::move(callback));
}

void XkbKeyboard::removeLayoutObserver(const void *owner)
{
    std::erase_if(m_observers, [owner](const auto &observer) { return observer.first == owner; });
}

std::optional<bool> XkbKeyboard::isDesktopShortcut(quint16 keyCode, quint64 flags)
{
    if (!m_connection || xcb_connection_has_error(m_connection))
        return std::nullopt;
    const std::optional<int> key = evdevKeyForMacKey(keyCode);
    const int xKey = key ? *key + kXkbKeycodeOffset : 0;
    if (!key || xKey > 255)
        return false; // no key of the X server: nobody can grab it

    // The rule of both programs: Command is Ctrl, Control is Super (Mod4),
    // Option is Alt (Mod1). The Function bit names no X modifier.
    quint16 modifiers = 0;
    if (flags & eventflag::Shift)
        modifiers |= XCB_MOD_MASK_SHIFT;
    if (flags & eventflag::Command)
        modifiers |= XCB_MOD_MASK_CONTROL;
    if (flags & eventflag::Option)
        modifiers |= XCB_MOD_MASK_1;
    if (flags & eventflag::Control)
        modifiers |= XCB_MOD_MASK_4;

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < m_screen && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    constexpr int kBadAccess = 10;
    bool taken = false;
    for (const quint16 mask : { modifiers, quint16(modifiers | XCB_MOD_MASK_2) }) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(
            m_connection, 0, root, mask, xcb_keycode_t(xKey), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
            taken |= error->error_code == kBadAccess;
            std::free(error);
        } else {
            // Wait for the release: a client that grabs the combination
            // right after the question must find it free.
            std::free(xcb_request_check(
                m_connection, xcb_ungrab_key_checked(m_connection, xcb_keycode_t(xKey), root, mask)));
        }
        if (taken)
            break;
    }
    xcb_flush(m_connection);
    // The round trips may have taken XKB notices off the socket, which then
    // does not signal them: read them on the next turn.
    if (m_notifier)
        QTimer::singleShot(0, m_notifier.get(), [this] { readServer(); });
    return taken;
}

} // namespace platform::native
