#pragma once

#include "settings/devicepagectrl.h"

namespace settings {

// The monitor mapping page of one device, from the model's layout (store::monitorViewXIBName).
class MonitorViewCtrl : public DevicePageCtrl
{
    Q_OBJECT
public:
    using DevicePageCtrl::DevicePageCtrl;
};

} // namespace settings
