#pragma once

#include <QString>

// Names shown and compared by the firmware and diagnostics side. A null
// QString is "none".
namespace store {

QString productNameWithDevkey(const QString &devKey);
QString productModelWithDevkey(const QString &devKey);
// Name of the CPU code a device reports.
QString cpuForCpu(quint16 cpu);
// Pen model of the pen code a device reports, by the device's product model
// code (the result of productModelWithDevkey for the same device).
QString penForPen(quint16 pen, const QString &proModel);

} // namespace store
