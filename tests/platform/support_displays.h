#pragma once

#include <QRectF>
#include <QString>

#include "platform/displays.h"

// A display as the platform lists it (bounds: origin top-left of the main
// display, y down), for the tests of every folder that take displays.
inline platform::DisplayInfo displayInfo(quint32 id, const QRectF &bounds, const QString &name, bool main = false,
    bool builtin = false, quint32 vendor = 0)
{
    platform::DisplayInfo d;
    d.id = id;
    d.bounds = bounds;
    d.productName = name;
    d.main = main;
    d.builtin = builtin;
    d.vendor = vendor;
    return d;
}
