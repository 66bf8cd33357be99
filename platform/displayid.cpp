#include "displayid.h"

namespace platform {

namespace {

// 32-bit FNV-1a.
constexpr quint32 kFnvOffset = 2166136261u;
constexpr quint32 kFnvPrime = 16777619u;

// EDID bytes 8..17: manufacturer (2), product code (2), serial number (4),
// week and year of manufacture (2). Together they tell two panels of one
// model apart, while the rest of the block may change with the mode list.
constexpr qsizetype kEdidIdStart = 8;
constexpr qsizetype kEdidIdEnd = 18;

quint32 mix(quint32 hash, quint8 byte)
{
    return (hash ^ byte) * kFnvPrime;
}

} // namespace

quint32 displayIdFor(const QString &connector, const QByteArray &edid)
{
    quint32 hash = kFnvOffset;
    const QByteArray name = connector.toUtf8();
    for (char c : name)
        hash = mix(hash, quint8(c));
    // Separates the connector from the EDID bytes, so "DP-1" + EDID and "DP-" +
    // a different EDID cannot meet.
    hash = mix(hash, 0);
    for (qsizetype i = kEdidIdStart; i < kEdidIdEnd && i < edid.size(); ++i)
        hash = mix(hash, quint8(edid.at(i)));
    // 0 stands for "no display" wherever an id is stored.
    return hash == 0 ? 1 : hash;
}

} // namespace platform
