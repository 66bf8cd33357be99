#pragma once

#include "settings/devicepagectrl.h"

namespace settings {

// The tablet area page of one device, from the model's layout (store::tabletViewXIBName).
class TabletViewCtrl : public DevicePageCtrl
{
    Q_OBJECT
public:
    using DevicePageCtrl::DevicePageCtrl;
};

} // namespace settings
