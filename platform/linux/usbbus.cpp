#include "usbbus.h"

#include <libusb.h>

#include "platform/linux/linuxlog.h"

namespace platform::native {

LibUsbBus::LibUsbBus() = default;

LibUsbBus::~LibUsbBus()
{
    if (m_context)
        libusb_exit(m_context);
}

int LibUsbBus::ensureContext()
{
    if (m_context)
        return 0;
    const int result = libusb_init(&m_context);
    if (result < 0) {
        m_context = nullptr;
        // Logged once: a machine without usbfs stays without it.
        if (m_initError == 0)
            qCInfo(lcLinux, "cannot open the USB bus: %s", libusb_error_name(result));
        m_initError = result;
        return result;
    }
    return 0;
}

bool LibUsbBus::devices(int vendorId, int productId, QList<UsbDeviceInfo> *out, int *error)
{
    if (const int result = ensureContext(); result < 0) {
        if (error)
            *error = result;
        return false;
    }
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(m_context, &list);
    if (count < 0) {
        if (error)
            *error = int(count);
        return false;
    }
    QList<UsbDeviceInfo> found;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor {};
        if (libusb_get_device_descriptor(list[i], &descriptor) < 0)
            continue;
        if (descriptor.idVendor != vendorId || descriptor.idProduct != productId)
            continue;
        found.append(
            UsbDeviceInfo { handleFor(libusb_get_bus_number(list[i]), libusb_get_device_address(list[i])),
                descriptor.idVendor, descriptor.idProduct });
    }
    libusb_free_device_list(list, 1);
    *out = found;
    return true;
}

libusb_device *LibUsbBus::find(const UsbDeviceInfo &device, int *error)
{
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(m_context, &list);
    if (count < 0) {
        *error = int(count);
        return nullptr;
    }
    libusb_device *match = nullptr;
    for (ssize_t i = 0; i < count && !match; ++i) {
        if (handleFor(libusb_get_bus_number(list[i]), libusb_get_device_address(list[i])) != device.handle)
            continue;
        // The address may have been handed to another device since listing.
        libusb_device_descriptor descriptor {};
        if (libusb_get_device_descriptor(list[i], &descriptor) == 0 && descriptor.idVendor == device.vendorId
            && descriptor.idProduct == device.productId)
            match = libusb_ref_device(list[i]);
    }
    libusb_free_device_list(list, 1);
    if (!match)
        *error = LIBUSB_ERROR_NO_DEVICE;
    return match;
}

int LibUsbBus::deviceRequest(const UsbDeviceInfo &device, const UsbControlRequest &request, QByteArray *data)
{
    if (const int result = ensureContext(); result < 0)
        return result;
    int error = 0;
    libusb_device *usb = find(device, &error);
    if (!usb)
        return error;
    libusb_device_handle *handle = nullptr;
    int result = libusb_open(usb, &handle);
    libusb_unref_device(usb);
    if (result < 0)
        return result;

    const bool deviceToHost = (request.requestType & LIBUSB_ENDPOINT_IN) != 0;
    QByteArray buffer;
    if (deviceToHost)
        buffer.fill('\0', request.length);
    else if (data)
        buffer = data->left(request.length);
    result
        = libusb_control_transfer(handle, request.requestType, request.request, request.value, request.index,
            reinterpret_cast<unsigned char *>(buffer.data()), quint16(buffer.size()), kRequestTimeoutMs);
    libusb_close(handle);
    if (result < 0)
        return result;
    if (deviceToHost && data)
        *data = buffer.left(result);
    return 0;
}

} // namespace platform::native
