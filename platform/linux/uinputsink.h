#pragma once

#include <map>
#include <memory>

#include <QByteArray>
#include <QMap>
#include <QString>

#include "platform/linux/uinputtranslator.h"

struct libevdev_uinput;

namespace platform::native {

// Where the records of the virtual devices go: uinput in the program, a
// recorder in tests.
class UinputSink
{
public:
    virtual ~UinputSink() = default;
    // Creates (or re-creates) one device; false with the reason when it
    // cannot be made.
    virtual bool create(VirtualDevice device, const DeviceDescription &description, QString *why) = 0;
    virtual void destroy(VirtualDevice device) = 0;
    virtual bool exists(VirtualDevice device) const = 0;
    virtual void write(const InputRecord &record) = 0;
};

// Virtual devices on /dev/uinput through libevdev.
class LibevdevUinputSink : public UinputSink
{
public:
    LibevdevUinputSink();
    ~LibevdevUinputSink() override;

    bool create(VirtualDevice device, const DeviceDescription &description, QString *why) override;
    void destroy(VirtualDevice device) override;
    bool exists(VirtualDevice device) const override;
    void write(const InputRecord &record) override;
    // The device's event node (/dev/input/eventN); empty when unknown.
    QString devnode(VirtualDevice device) const;

private:
    struct Free
    {
        void operator()(libevdev_uinput *device) const;
    };
    std::map<VirtualDevice, std::unique_ptr<libevdev_uinput, Free>> m_devices;
    QMap<VirtualDevice, QString> m_names;
    bool m_writeFailed = false;
};

// Virtual devices in memory: every record is kept as the input_event bytes
// uinput would be given, for the benchmarks of the whole path and for tests.
class MemoryUinputSink : public UinputSink
{
public:
    bool create(VirtualDevice device, const DeviceDescription &description, QString *why) override;
    void destroy(VirtualDevice device) override;
    bool exists(VirtualDevice device) const override;
    void write(const InputRecord &record) override;

    // The bytes written so far, one input_event after the other.
    const QByteArray &bytes() const { return m_bytes; }
    void clear() { m_bytes.clear(); }

private:
    std::map<VirtualDevice, DeviceDescription> m_devices;
    QByteArray m_bytes;
};

} // namespace platform::native
