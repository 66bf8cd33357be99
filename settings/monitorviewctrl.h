#pragma once

#include "settings/pageviewctrl.h"

namespace settings {

// The monitor mapping page of one device, from the model's layout (store::monitorViewXIBName).
class MonitorViewCtrl : public PageViewCtrl
{
    Q_OBJECT
public:
    using PageViewCtrl::PageViewCtrl;
};

} // namespace settings
