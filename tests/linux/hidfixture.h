#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Reads a descriptor fixture: hexadecimal bytes separated by blanks, "#"
// starting a comment to the end of the line. Empty on a missing file.
inline QByteArray hidFixture(const QString &name)
{
    QFile file(QStringLiteral(OV_FIXTURES "/hid/") + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QByteArray bytes;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        const qsizetype comment = line.indexOf('#');
        if (comment >= 0)
            line.truncate(comment);
        for (const QByteArray &word : line.simplified().split(' ')) {
            if (!word.isEmpty())
                bytes.append(char(word.toUInt(nullptr, 16)));
        }
    }
    return bytes;
}

#include <QDir>
#include <QStringList>

// A fake sysfs tree of HID devices in a folder of the test's, shaped like the
// kernel's: <root>/devices/.../<usb device>/<interface>/<hid device>/hidraw/hidrawN
// with the class symlink <root>/class/hidraw/hidrawN.
class FakeSysfs
{
public:
    struct Device
    {
        QString hidraw; // "hidraw0"
        int bus = 3; // USB
        int vendorId = 0;
        int productId = 0;
        QString usbProduct; // the USB product file; none when empty
        QString hidName;
        QByteArray reportDescriptor; // no report_descriptor file when empty
        QStringList events; // "event3", ... under input/inputN
        bool brokenUevent = false; // uevent without HID_ID
    };

    explicit FakeSysfs(const QString &root)
        : m_root(root)
    { }

    // Answers the hidraw node's own folder.
    QString add(const Device &device)
    {
        const QString usb
            = QStringLiteral("%1/devices/pci0000:00/0000:00:14.0/usb1/1-%2").arg(m_root).arg(++m_port);
        const QString hid = QStringLiteral("%1/1-%2:1.0/").arg(usb).arg(m_port)
            + QString::asprintf("%04X:%04X:%04X.%04X", device.bus, device.vendorId, device.productId, m_port);
        const QString own = hid + QStringLiteral("/hidraw/") + device.hidraw;
        QDir().mkpath(own);
        if (device.bus == 3) {
            write(usb + QStringLiteral("/idVendor"),
                QByteArray::number(device.vendorId, 16).rightJustified(4, '0'));
            write(usb + QStringLiteral("/idProduct"),
                QByteArray::number(device.productId, 16).rightJustified(4, '0'));
            if (!device.usbProduct.isEmpty())
                write(usb + QStringLiteral("/product"), device.usbProduct.toUtf8() + '\n');
        }
        QByteArray uevent = "DRIVER=hid-generic\n";
        if (!device.brokenUevent)
            uevent
                += QString::asprintf("HID_ID=%04X:%08X:%08X\n", device.bus, device.vendorId, device.productId)
                       .toUtf8();
        uevent += "HID_NAME=" + device.hidName.toUtf8() + "\nHID_PHYS=usb-0000:00:14.0-1/input0\n";
        write(hid + QStringLiteral("/uevent"), uevent);
        write(
            own + QStringLiteral("/uevent"), "MAJOR=241\nMINOR=0\nDEVNAME=" + device.hidraw.toUtf8() + '\n');
        if (!device.reportDescriptor.isEmpty())
            write(hid + QStringLiteral("/report_descriptor"), device.reportDescriptor);
        int input = 10 + m_port;
        for (const QString &event : device.events)
            QDir().mkpath(QStringLiteral("%1/input/input%2/%3").arg(hid).arg(input++).arg(event));
        QDir().mkpath(m_root + QStringLiteral("/class/hidraw"));
        QFile::link(own, m_root + QStringLiteral("/class/hidraw/") + device.hidraw);
        return own;
    }

    // A further event node of an existing device, as the kernel may add it
    // after the hidraw node.
    static void addEvent(const QString &hidrawFolder, const QString &event)
    {
        QDir().mkpath(QStringLiteral("%1/../../input/input99/%2").arg(hidrawFolder, event));
    }

    QString classPath(const QString &hidraw) const
    {
        return m_root + QStringLiteral("/class/hidraw/") + hidraw;
    }

private:
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QString m_root;
    int m_port = 0;
};

Q_DECLARE_METATYPE(FakeSysfs::Device)
