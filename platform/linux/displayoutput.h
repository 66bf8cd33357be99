#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include "platform/displays.h"

namespace platform::native {

// One lit output as the display server reports it, before it becomes a
// DisplayInfo.
struct DisplayOutput
{
    QString connector; // "DP-1", "eDP-1", "HDMI-A-2"
    QByteArray edid; // as read from the output; empty when it has none
    QRect geometry; // pixels in the server's own space (already turned by the rotation)
    int rotation = 0; // degrees the picture is turned counter-clockwise: 0, 90, 180, 270
    bool primary = false;
};

// Panels wired inside the machine: embedded DisplayPort, LVDS and MIPI DSI.
bool isBuiltinConnector(const QString &connector);

// The id both programs give the display on this output: the shared display
// id of its connector and EDID, where an EDID that does not read counts as none.
quint32 displayIdOf(const DisplayOutput &output);

// Which output is the main display: the primary one, else the one at the
// server's origin, else the first. -1 for no outputs.
qsizetype mainOutputIndex(const QList<DisplayOutput> &outputs);

// The displays of a set of outputs, the main one first and the rest in the
// given order; every bounds is moved so that the main display's top-left
// corner is (0, 0). Name and vendor come from the EDID when it reads.
QList<DisplayInfo> displaysFromOutputs(const QList<DisplayOutput> &outputs);

// The EDID that the kernel shows for a connector under drmFolder
// (/sys/class/drm: card0-DP-1/edid); empty when no card has that connector.
QByteArray connectorEdid(const QString &drmFolder, const QString &connector);

} // namespace platform::native
