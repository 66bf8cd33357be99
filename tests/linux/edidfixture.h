#pragma once

#include <QByteArray>

// The base block of a 24-inch office monitor's EDID: manufacturer "DEL"
// (0x10AC), product code 0xA0C4, serial number 0x4134334C, made in week 11
// of 2015, a 1920x1200 timing, a serial-number descriptor, the name
// descriptor "DELL U2415" and a range-limits descriptor; one extension block
// announced, checksum 0xD3.
inline QByteArray monitorEdid()
{
    return QByteArray::fromHex("00FFFFFFFFFFFF0010ACC4A04C333441"
                               "0B190104B53420783A1EC5AE4F34B126"
                               "0E5054A54B008100B300D100714FA940"
                               "8180D1C00101283C80A070B023403020"
                               "360006442100001A000000FF00434656"
                               "394E353541343133340A000000FC0044"
                               "454C4C2055323431350A2020000000FD"
                               "00384C1E5111000A20202020202001D3");
}

// The block with byte i set to value and the checksum made right again.
inline QByteArray edidWith(QByteArray edid, qsizetype i, quint8 value)
{
    edid[i] = char(value);
    quint8 sum = 0;
    for (qsizetype k = 0; k < 127; ++k)
        sum += quint8(edid.at(k));
    edid[127] = char(quint8(-sum));
    return edid;
}
