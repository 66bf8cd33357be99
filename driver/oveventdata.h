#pragma once

#include <QtGlobal>

namespace driver {

// One decoded pen sample.
//
// Each axis is an integer part and a fraction. On the tablets they are the
// reported high and low byte (value = ix * 256 + dx); on the pen displays the
// edge-corrected reading split by 255 (value = ix * 255 + dx) for the statuses
// that take the edge offset, the raw bytes for the others. The mapping reads
// both the same way, so the two radixes are not converted anywhere.
struct OVEventData
{
    struct Loc
    {
        qint32 ix = 0; // X, high part
        qint32 dx = 0; // X, low part
        qint32 iy = 0; // Y, high part
        qint32 dy = 0; // Y, low part
        friend bool operator==(const Loc &, const Loc &) = default;
    };
    struct Tilt
    {
        qint16 x = 0;
        qint16 y = 0;
        friend bool operator==(const Tilt &, const Tilt &) = default;
    };

    Loc loc;
    // Raw pressure; 0 unless the pen state is 2 and the pressure setting is on.
    quint16 pres = 0;
    // Pen state: 0 out of range, 1 hovering, 2 tip down, 3 lower barrel button
    // held, 4 lower button with the tip down, 5 upper barrel button held,
    // 6 upper button with the tip down.
    quint32 type = 0;
    // Device tilt units, filtered while the tip is down; 0 on models without tilt.
    Tilt tilt;

    friend bool operator==(const OVEventData &, const OVEventData &) = default;
};

} // namespace driver
