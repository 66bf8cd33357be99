#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform::native {

// What sysfs tells about one hidraw node, read without opening the node.
struct HidrawNode
{
    QString sysPath; // the hidraw node's own folder, symlinks resolved
    QString devNode; // its character device, "<devRoot>/hidrawN"
    int busType = 0; // BUS_USB 3, BUS_BLUETOOTH 5, ...
    int vendorId = 0;
    int productId = 0;
    // The USB device's product string; the kernel's HID name for a device
    // that is not on USB, or whose USB device folder has no product file.
    QString product;
    QByteArray reportDescriptor; // empty when sysfs has none
    // The kernel's own input nodes of the same HID device,
    // "<devRoot>/input/eventN", in name order.
    QStringList eventNodes;
};

// The hidraw nodes that sysfs lists under "<sysRoot>/class/hidraw", in name
// order. Used where udev cannot enumerate.
QStringList hidrawSysPaths(const QString &sysRoot);

// Reads one hidraw node's facts from sysfs. `sysPath` is the node's folder
// (or the class symlink to it). Answers nothing when the folder is not a
// hidraw node below a HID device ("uevent" with HID_ID), which is also what a
// node that went away while it was read looks like.
std::optional<HidrawNode> readHidrawNode(
    const QString &sysPath, const QString &devRoot = QStringLiteral("/dev"));

} // namespace platform::native
