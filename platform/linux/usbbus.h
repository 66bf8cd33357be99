#pragma once

#include "platform/usbbus.h"

struct libusb_context;
struct libusb_device;

namespace platform::native {

// The USB bus through libusb. Requests go to the default control pipe of a
// device opened for the request alone; no interface is claimed, so the
// kernel's drivers keep the device. Every request ends within its timeout.
class LibUsbBus : public UsbBus
{
public:
    // Standard requests with a data stage must complete within 500 ms
    // (USB 2.0, 9.2.6.4); a device slower than that is not answering.
    static constexpr unsigned kRequestTimeoutMs = 500;

    LibUsbBus();
    ~LibUsbBus() override;

    // Errors are libusb's codes (negative).
    bool devices(int vendorId, int productId, QList<UsbDeviceInfo> *out, int *error) override;
    int deviceRequest(
        const UsbDeviceInfo &device, const UsbControlRequest &request, QByteArray *data) override;

    // The handle of a device: its bus number and address, which name it while
    // it stays connected (a replugged device gets a new address).
    static quint64 handleFor(int busNumber, int address)
    {
        return (quint64(busNumber) << 8) | quint64(address & 0xFF);
    }

private:
    int ensureContext();
    // A referenced device for a handle, or nullptr (with *error) when it is gone.
    libusb_device *find(const UsbDeviceInfo &device, int *error);

    libusb_context *m_context = nullptr;
    int m_initError = 0;
};

} // namespace platform::native
