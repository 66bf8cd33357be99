#include "simusb.h"

namespace platform::sim {

void SimUsbBus::addDevice(int vendorId, int productId)
{
    m_devices.append(UsbDeviceInfo{m_nextHandle++, vendorId, productId});
}

void SimUsbBus::removeDevice(int vendorId, int productId)
{
    for (qsizetype i = 0; i < m_devices.size(); ++i) {
        if (m_devices[i].vendorId == vendorId && m_devices[i].productId == productId) {
            m_devices.removeAt(i);
            return;
        }
    }
}

bool SimUsbBus::devices(int vendorId, int productId, QList<UsbDeviceInfo> *out, int *error)
{
    if (m_listError != 0) {
        if (error)
            *error = m_listError;
        return false;
    }
    out->clear();
    for (const UsbDeviceInfo &device : m_devices) {
        if (device.vendorId == vendorId && device.productId == productId)
            out->append(device);
    }
    return true;
}

int SimUsbBus::deviceRequest(const UsbDeviceInfo &device, const UsbControlRequest &request, QByteArray *data)
{
    m_requests.push_back(Request{device, request});
    if (m_hook)
        m_hook(m_requests.back());
    if (data)
        data->fill('\0', request.length);
    return m_results.isEmpty() ? 0 : m_results.takeFirst();
}

} // namespace platform::sim
