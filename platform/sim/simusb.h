#pragma once

#include <functional>
#include <vector>

#include "platform/usbbus.h"

namespace platform::sim {

// Recorded USB bus: devices are listed as added; every request is kept.
class SimUsbBus : public UsbBus
{
public:
    struct Request
    {
        UsbDeviceInfo device;
        UsbControlRequest request;
    };
    using RequestHook = std::function<void(const Request &)>;

    void addDevice(int vendorId, int productId);
    void removeDevice(int vendorId, int productId);
    // Results of the following requests, in order; 0 (success) when none left.
    void queueRequestResults(const QList<int> &results) { m_results += results; }
    void setListError(int error) { m_listError = error; }
    void setRequestHook(RequestHook hook) { m_hook = std::move(hook); }
    const std::vector<Request> &requests() const { return m_requests; }

    bool devices(int vendorId, int productId, QList<UsbDeviceInfo> *out, int *error) override;
    int deviceRequest(const UsbDeviceInfo &device, const UsbControlRequest &request, QByteArray *data) override;

private:
    QList<UsbDeviceInfo> m_devices;
    QList<int> m_results;
    std::vector<Request> m_requests;
    RequestHook m_hook;
    quint64 m_nextHandle = 1;
    int m_listError = 0;
};

} // namespace platform::sim
