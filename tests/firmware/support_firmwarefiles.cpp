#include "support_firmwarefiles.h"

#include "support_firmwaredevice.h"

namespace fwtest {

QByteArray makeFirmware(const QByteArray &body, quint32 size, quint16 fileTag, quint32 firmwareCrc)
{
    quint8 sum = 0;
    for (const char c : body)
        sum = quint8(sum + quint8(c));
    const quint16 crc = referenceCrc(body);
    QByteArray header(26, '\0');
    header[8] = char(sum ^ 0x55);
    header[10] = char(sum ^ 0xAA);
    header[12] = char(crc & 0xFF);
    header[13] = char(crc >> 8);
    header[16] = char(fileTag & 0xFF);
    header[17] = char(fileTag >> 8);
    for (int i = 0; i < 4; ++i) {
        header[18 + i] = char((size >> (8 * i)) & 0xFF);
        header[22 + i] = char((firmwareCrc >> (8 * i)) & 0xFF);
    }
    return header + body;
}

QByteArray patternBody(int length)
{
    QByteArray body(length, '\0');
    for (int i = 0; i < length; ++i)
        body[i] = char((i * 31 + i / 1025) & 0xFF);
    return body;
}

} // namespace fwtest
