#pragma once

#include "settings/devicepagectrl.h"

namespace settings {

// The express-key and wheel page of one device, from the model's layout (store::boardViewXIBName).
class BoardViewCtrl : public DevicePageCtrl
{
    Q_OBJECT
public:
    using DevicePageCtrl::DevicePageCtrl;
};

} // namespace settings
