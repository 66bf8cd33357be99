#pragma once

#include <QtGlobal>

namespace firmware {

// What the CPU command reads from a device; all 0 when the query failed.
// Names come from store::cpuForCpu and store::penForPen; `power` is carried
// and never interpreted.
struct CpuInfo
{
    quint16 cpu = 0;
    quint16 pen = 0;
    quint16 power = 0;
    friend bool operator==(const CpuInfo &, const CpuInfo &) = default;
};

} // namespace firmware
