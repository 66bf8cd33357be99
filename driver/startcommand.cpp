#include "startcommand.h"

#include <initializer_list>

#include "platform/usbbus.h"

namespace driver {

namespace {

using store::Model;

QByteArray bytes(std::initializer_list<quint8> values, int length)
{
    QByteArray out(length, '\0');
    int i = 0;
    for (quint8 value : values)
        out[i++] = char(value);
    return out;
}

// GET_DESCRIPTOR, device to host, standard, device.
constexpr quint8 kRequestTypeIn = 0x80;
constexpr quint8 kGetDescriptor = 6;
constexpr quint16 kStringDescriptor = 0x0300; // descriptor type 3 in the high byte
constexpr quint16 kDescriptorLength = 255; // bytes
// The string indexes the M517 V1 reads as its start command, in order.
constexpr quint8 kStartStrings[] = {100, 123, 122};

} // namespace

StartCommand startCommand(const store::ModelRow &row)
{
    switch (row.startCommand) {
    case store::StartCommand::LongReport:
        return {StartKind::OutputReport, bytes({0x02, 0xB0, 0x04}, 17), {}};
    case store::StartCommand::TwoReports:
        return {StartKind::OutputReport, bytes({0x09, 0x01, 0x04}, 8),
                bytes({0x09, 0x02, 0x02}, 8)};
    case store::StartCommand::ShortReport:
        return {StartKind::OutputReport, bytes({0x02, 0xB0, 0x04}, 8), {}};
    case store::StartCommand::UsbRequests:
        return {StartKind::UsbRequests, {}, {}};
    case store::StartCommand::None:
        break;
    }
    return {};
}

StartCommand startCommand(store::Model model)
{
    return startCommand(store::rowFor(model));
}

QString cmdSendFailedText(quint32 result)
{
    return QStringLiteral("cmd send failed: %1").arg(qint32(result));
}

void sendM517Requests(platform::UsbBus &bus, const StartLog &log)
{
    const store::ModelRow &m517 = store::rowFor(Model::M517V1);
    QList<platform::UsbDeviceInfo> devices;
    int error = 0;
    if (!bus.devices(m517.vendorId, m517.productId, &devices, &error)) {
        log(QStringLiteral("matching services error: %1").arg(error));
        return;
    }
    for (const platform::UsbDeviceInfo &device : devices) {
        if (device.vendorId != m517.vendorId || device.productId != m517.productId) {
            log(QStringLiteral("unwanted device: %1, %2").arg(device.vendorId).arg(device.productId));
            continue;
        }
        QByteArray answer(kDescriptorLength, '\0');
        int number = 1;
        for (quint8 index : kStartStrings) {
            const platform::UsbControlRequest request{kRequestTypeIn, kGetDescriptor,
                                                      quint16(kStringDescriptor | index), 0,
                                                      kDescriptorLength};
            const int result = bus.deviceRequest(device, request, &answer);
            if (result != 0)
                log(QStringLiteral("get descriptor %1 error: %2").arg(number).arg(result));
            ++number;
        }
    }
}

} // namespace driver
