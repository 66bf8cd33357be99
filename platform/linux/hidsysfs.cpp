#include "hidsysfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform::native {

namespace {

// The kernel caps report descriptors at 4096 bytes (HID_MAX_DESCRIPTOR_SIZE);
// sysfs attribute files are at most a page.
constexpr qint64 kMaxDescriptor = 4096;
constexpr qint64 kMaxAttribute = 4096;
// A USB device sits a few folders above its HID device (interface, device;
// more behind a hub's ports are separate devices). Bounds the upward walk.
constexpr int kMaxUsbHops = 4;

QByteArray readAttribute(const QString &path, qint64 limit = kMaxAttribute)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(limit);
}

QString readText(const QString &path)
{
    return QString::fromUtf8(readAttribute(path)).trimmed();
}

// "KEY=value" lines of a uevent file.
QString ueventValue(const QByteArray &uevent, QByteArrayView key)
{
    for (const QByteArray &line : uevent.split('\n')) {
        if (line.size() > key.size() && line.startsWith(key) && line.at(key.size()) == '=')
            return QString::fromUtf8(line.mid(key.size() + 1)).trimmed();
    }
    return {};
}

// HID_ID is "bus:vendor:product" in hexadecimal, "0003:00003A8F:00001101".
bool parseHidId(const QString &text, int *bus, int *vendor, int *product)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return false;
    bool ok[3];
    const uint values[3]
        = { parts[0].toUInt(&ok[0], 16), parts[1].toUInt(&ok[1], 16), parts[2].toUInt(&ok[2], 16) };
    if (!ok[0] || !ok[1] || !ok[2] || values[1] > 0xFFFF || values[2] > 0xFFFF)
        return false;
    *bus = int(values[0]);
    *vendor = int(values[1]);
    *product = int(values[2]);
    return true;
}

// The USB device folder (with idVendor and product) above a HID device.
QString usbDeviceFolder(const QString &hidFolder)
{
    QDir dir(hidFolder);
    for (int hop = 0; hop < kMaxUsbHops && dir.cdUp(); ++hop) {
        if (QFileInfo::exists(dir.filePath(QStringLiteral("idVendor"))))
            return dir.path();
    }
    return {};
}

} // namespace

QStringList hidrawSysPaths(const QString &sysRoot)
{
    QDir dir(sysRoot + QStringLiteral("/class/hidraw"));
    QStringList paths;
    const QStringList names = dir.entryList(
        { QStringLiteral("hidraw*") }, QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names)
        paths.append(dir.filePath(name));
    return paths;
}

std::optional<HidrawNode> readHidrawNode(const QString &sysPath, const QString &devRoot)
{
    const QString ownFolder = QFileInfo(sysPath).canonicalFilePath();
    if (ownFolder.isEmpty())
        return std::nullopt;
    // <hid device>/hidraw/hidrawN
    QDir hid(ownFolder);
    if (!hid.cdUp() || hid.dirName() != QLatin1String("hidraw") || !hid.cdUp())
        return std::nullopt;

    HidrawNode node;
    const QByteArray uevent = readAttribute(hid.filePath(QStringLiteral("uevent")));
    if (!parseHidId(ueventValue(uevent, "HID_ID"), &node.busType, &node.vendorId, &node.productId))
        return std::nullopt;

    node.sysPath = ownFolder;
    node.devNode = devRoot + QLatin1Char('/') + QFileInfo(ownFolder).fileName();
    node.reportDescriptor = readAttribute(hid.filePath(QStringLiteral("report_descriptor")), kMaxDescriptor);

    constexpr int kBusUsb = 3;
    if (node.busType == kBusUsb) {
        const QString usb = usbDeviceFolder(hid.path());
        if (!usb.isEmpty())
            node.product = readText(usb + QStringLiteral("/product"));
    }
    if (node.product.isEmpty())
        node.product = ueventValue(uevent, "HID_NAME");

    QDir inputs(hid.filePath(QStringLiteral("input")));
    const QStringList inputNames
        = inputs.entryList({ QStringLiteral("input*") }, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &input : inputNames) {
        QDir inputDir(inputs.filePath(input));
        const QStringList events
            = inputDir.entryList({ QStringLiteral("event*") }, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &event : events)
            node.eventNodes.append(devRoot + QStringLiteral("/input/") + event);
    }
    return node;
}

} // namespace platform::native
