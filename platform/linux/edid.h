#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace platform::native {

// What a display tells about itself in the base block of its EDID.
struct EdidInfo
{
    QString manufacturerId; // three capital letters, "DEL"
    // Bytes 8..9 as one big-endian number: the packed manufacturer id, which
    // is what the screen check prints in "Unknow (%4X)".
    quint16 vendor = 0;
    quint16 productCode = 0; // bytes 10..11, little-endian
    quint32 serialNumber = 0; // bytes 12..15, little-endian; 0 when unused
    QString productName; // the display-name descriptor (0xFC), empty without one
};

// The EDID base block is 128 bytes; extension blocks may follow and are
// ignored. Refused (nullopt): shorter input, a wrong header, a base block
// whose bytes do not sum to 0 modulo 256, or a manufacturer id that is not
// three letters.
std::optional<EdidInfo> parseEdid(const QByteArray &edid);

} // namespace platform::native
