#include "evdevmodifiertap.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QStringList>

#include <libevdev/libevdev.h>
#include <libudev.h>

#include "platform/linux/linuxlog.h"
#include "platform/linux/uinputtranslator.h"

namespace platform::native {

struct EvdevModifierTap::Keyboard
{
    int id = 0;
    int fd = -1;
    libevdev *device = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;

    ~Keyboard()
    {
        notifier.reset();
        if (device)
            libevdev_free(device);
        if (fd >= 0)
            ::close(fd);
    }
};

namespace {

bool isKeyboardNode(udev_device *device)
{
    const char *keyboard = udev_device_get_property_value(device, "ID_INPUT_KEYBOARD");
    const char *sysname = udev_device_get_sysname(device);
    return keyboard && std::strcmp(keyboard, "1") == 0 && sysname && std::strncmp(sysname, "event", 5) == 0
        && udev_device_get_devnode(device);
}

} // namespace

EvdevModifierTap::EvdevModifierTap() = default;

EvdevModifierTap::~EvdevModifierTap()
{
    remove();
}

bool EvdevModifierTap::create(Callback callback)
{
    remove();
    m_callback = std::move(callback);
    m_udev = udev_new();
    if (!m_udev) {
        qCWarning(lcLinux, "cannot watch the keyboards: no udev; held modifier keys are not tracked");
        return true;
    }

    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor && udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "input", nullptr) >= 0
        && udev_monitor_enable_receiving(m_monitor) >= 0) {
        m_monitorNotifier =
            std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
        QObject::connect(m_monitorNotifier.get(), &QSocketNotifier::activated, [this] { readMonitor(); });
    } else if (m_monitor) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }

    udev_enumerate *enumerate = udev_enumerate_new(m_udev);
    if (enumerate) {
        udev_enumerate_add_match_subsystem(enumerate, "input");
        udev_enumerate_add_match_property(enumerate, "ID_INPUT_KEYBOARD", "1");
        udev_enumerate_scan_devices(enumerate);
        udev_list_entry *entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
        {
            udev_device *device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
            if (!device)
                continue;
            if (isKeyboardNode(device))
                openKeyboard(QString::fromLocal8Bit(udev_device_get_devnode(device)));
            udev_device_unref(device);
        }
        udev_enumerate_unref(enumerate);
    }

    if (m_keyboards.empty()) {
        const QString why = m_firstFailure.isEmpty() ? QStringLiteral("no keyboard found") : m_firstFailure;
        qCWarning(lcLinux).noquote()
            << QStringLiteral("cannot read the keyboards: %1; held modifier keys are not tracked").arg(why);
    }
    return true;
}

void EvdevModifierTap::remove()
{
    m_keyboards.clear();
    m_held = HeldModifierKeys();
    m_monitorNotifier.reset();
    if (m_monitor) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    if (m_udev) {
        udev_unref(m_udev);
        m_udev = nullptr;
    }
    m_callback = nullptr;
    m_firstFailure.clear();
}

QStringList EvdevModifierTap::keyboards() const
{
    QStringList nodes;
    for (const auto &entry : m_keyboards)
        nodes.append(entry.first);
    return nodes;
}

void EvdevModifierTap::openKeyboard(const QString &devnode)
{
    closeKeyboard(devnode);
    const QByteArray path = devnode.toLocal8Bit();
    auto keyboard = std::make_unique<Keyboard>();
    keyboard->fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (keyboard->fd < 0) {
        if (m_firstFailure.isEmpty())
            m_firstFailure = QStringLiteral("cannot open %1: %2").arg(devnode, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    const int rc = libevdev_new_from_fd(keyboard->fd, &keyboard->device);
    if (rc < 0) {
        keyboard->device = nullptr;
        if (m_firstFailure.isEmpty())
            m_firstFailure = QStringLiteral("cannot read %1: %2").arg(devnode, QString::fromLocal8Bit(std::strerror(-rc)));
        return;
    }
    // Our own virtual keyboard posts hot keys; they are not held by the user.
    const char *name = libevdev_get_name(keyboard->device);
    if (name && QString::fromUtf8(name).startsWith(QLatin1String(kVirtualDeviceNamePrefix)))
        return;
    keyboard->id = m_nextId++;
    keyboard->notifier = std::make_unique<QSocketNotifier>(keyboard->fd, QSocketNotifier::Read);
    Keyboard *raw = keyboard.get();
    QObject::connect(raw->notifier.get(), &QSocketNotifier::activated, [this, raw] { readKeyboard(*raw); });
    m_keyboards.emplace(devnode, std::move(keyboard));
}

void EvdevModifierTap::closeKeyboard(const QString &devnode)
{
    const auto it = m_keyboards.find(devnode);
    if (it == m_keyboards.end())
        return;
    const int id = it->second->id;
    m_keyboards.erase(it);
    for (const FlagsChange &change : m_held.removeKeyboard(id))
        report(change);
}

void EvdevModifierTap::readKeyboard(Keyboard &keyboard)
{
    input_event event {};
    unsigned int flags = LIBEVDEV_READ_FLAG_NORMAL;
    for (;;) {
        const int rc = libevdev_next_event(keyboard.device, flags, &event);
        if (rc == LIBEVDEV_READ_STATUS_SYNC) {
            // Events were dropped: libevdev hands out the differences, which
            // bring the held keys up to date.
            flags = LIBEVDEV_READ_FLAG_SYNC;
        } else if (rc == -EAGAIN) {
            if (flags == LIBEVDEV_READ_FLAG_SYNC) {
                flags = LIBEVDEV_READ_FLAG_NORMAL;
                continue;
            }
            return;
        } else if (rc != LIBEVDEV_READ_STATUS_SUCCESS) {
            // The keyboard is gone (unplugged): stop reading; udev's remove
            // notice drops it and releases what it held.
            keyboard.notifier->setEnabled(false);
            for (const FlagsChange &change : m_held.removeKeyboard(keyboard.id))
                report(change);
            return;
        }
        if (event.type == EV_KEY) {
            if (const std::optional<FlagsChange> change = m_held.keyEvent(keyboard.id, event.code, event.value))
                report(*change);
        }
    }
}

void EvdevModifierTap::readMonitor()
{
    udev_device *device = udev_monitor_receive_device(m_monitor);
    if (!device)
        return;
    const char *action = udev_device_get_action(device);
    const char *devnode = udev_device_get_devnode(device);
    if (action && devnode) {
        const QString node = QString::fromLocal8Bit(devnode);
        if (std::strcmp(action, "add") == 0 && isKeyboardNode(device))
            openKeyboard(node);
        else if (std::strcmp(action, "remove") == 0)
            closeKeyboard(node);
    }
    udev_device_unref(device);
}

void EvdevModifierTap::report(const FlagsChange &change)
{
    if (m_callback)
        m_callback(change.keyCode, change.flags);
}

} // namespace platform::native
