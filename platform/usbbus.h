#pragma once

#include <cstdint>

#include <QByteArray>
#include <QList>

namespace platform {

struct UsbControlRequest
{
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
};

struct UsbDeviceInfo
{
    quint64 handle = 0; // the bus's own reference
    int vendorId = 0;
    int productId = 0;
};

// USB devices and requests on their default control pipe.
class UsbBus
{
public:
    virtual ~UsbBus() = default;

    // Every USB device with that vendor and product id. Answers false with a
    // result code in *error when the bus cannot be listed.
    virtual bool devices(int vendorId, int productId, QList<UsbDeviceInfo> *out, int *error) = 0;
    // One device request; answers 0 on success, else an error code.
    virtual int deviceRequest(const UsbDeviceInfo &device, const UsbControlRequest &request,
                              QByteArray *data) = 0;
};

} // namespace platform
