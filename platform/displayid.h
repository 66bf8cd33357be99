#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The 32-bit id under which both programs know one display ("OVCFGMonitorNumber"
// stores it): FNV-1a over the connector name and the EDID's manufacturer,
// product and serial bytes (8..17). The same display on the same connector
// keeps its id across runs and in both programs; never 0.
quint32 displayIdFor(const QString &connector, const QByteArray &edid);

} // namespace platform
