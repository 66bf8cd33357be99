#include "uinputsink.h"

#include <cstring>

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>

#include "platform/linux/linuxlog.h"

namespace platform::native {

namespace {

QString reasonFor(int error)
{
    const QString text = QString::fromLocal8Bit(std::strerror(error));
    switch (error) {
    case ENOENT:
    case ENODEV:
        return QStringLiteral("cannot open /dev/uinput: %1 (the uinput kernel module is not loaded)").arg(text);
    case EACCES:
    case EPERM:
        return QStringLiteral("cannot open /dev/uinput: %1 (the udev rule grants it to the user at the seat)")
            .arg(text);
    default:
        return QStringLiteral("cannot create a virtual input device: %1").arg(text);
    }
}

} // namespace

void LibevdevUinputSink::Free::operator()(libevdev_uinput *device) const
{
    libevdev_uinput_destroy(device);
}

LibevdevUinputSink::LibevdevUinputSink() = default;
LibevdevUinputSink::~LibevdevUinputSink() = default;

bool LibevdevUinputSink::create(VirtualDevice device, const DeviceDescription &description, QString *why)
{
    destroy(device);
    libevdev *dev = libevdev_new();
    if (!dev) {
        if (why)
            *why = reasonFor(ENOMEM);
        return false;
    }
    const QByteArray name = description.name.toUtf8();
    libevdev_set_name(dev, name.constData());
    libevdev_set_id_bustype(dev, BUS_VIRTUAL);
    libevdev_set_id_vendor(dev, description.vendor);
    libevdev_set_id_product(dev, description.product);
    libevdev_set_id_version(dev, 1);
    for (const auto &[type, code] : description.codes)
        libevdev_enable_event_code(dev, type, code, nullptr);
    for (const AbsAxis &axis : description.axes) {
        input_absinfo info {};
        info.minimum = axis.minimum;
        info.maximum = axis.maximum;
        info.resolution = axis.resolution;
        libevdev_enable_event_code(dev, EV_ABS, axis.code, &info);
    }
    for (const quint16 property : description.properties)
        libevdev_enable_property(dev, property);

    libevdev_uinput *uinput = nullptr;
    const int rc = libevdev_uinput_create_from_device(dev, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput);
    libevdev_free(dev);
    if (rc < 0) {
        if (why)
            *why = reasonFor(-rc);
        return false;
    }
    m_devices[device].reset(uinput);
    m_names[device] = description.name;
    return true;
}

void LibevdevUinputSink::destroy(VirtualDevice device)
{
    m_devices.erase(device);
}

bool LibevdevUinputSink::exists(VirtualDevice device) const
{
    return m_devices.count(device) != 0;
}

void LibevdevUinputSink::write(const InputRecord &record)
{
    const auto it = m_devices.find(record.device);
    if (it == m_devices.end())
        return;
    const int rc = libevdev_uinput_write_event(it->second.get(), record.type, record.code, record.value);
    // A device that stops taking events fails every write; say it once.
    if (rc < 0 && !m_writeFailed) {
        m_writeFailed = true;
        qCWarning(lcLinux).noquote() << QStringLiteral("cannot write to %1: %2")
                                            .arg(m_names.value(record.device),
                                                 QString::fromLocal8Bit(std::strerror(-rc)));
    }
}

QString LibevdevUinputSink::devnode(VirtualDevice device) const
{
    const auto it = m_devices.find(device);
    if (it == m_devices.end())
        return QString();
    const char *node = libevdev_uinput_get_devnode(it->second.get());
    return node ? QString::fromLocal8Bit(node) : QString();
}

bool MemoryUinputSink::create(VirtualDevice device, const DeviceDescription &description, QString *)
{
    m_devices[device] = description;
    return true;
}

void MemoryUinputSink::destroy(VirtualDevice device)
{
    m_devices.erase(device);
}

bool MemoryUinputSink::exists(VirtualDevice device) const
{
    return m_devices.count(device) != 0;
}

void MemoryUinputSink::write(const InputRecord &record)
{
    if (!exists(record.device))
        return;
    input_event event {};
    event.type = record.type;
    event.code = record.code;
    event.value = record.value;
    m_bytes.append(reinterpret_cast<const char *>(&event), sizeof event);
}

} // namespace platform::native
