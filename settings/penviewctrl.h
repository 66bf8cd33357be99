#pragma once

#include "settings/pageviewctrl.h"

namespace settings {

// The pen page of one device, from the model's layout (store::penViewXIBName).
class PenViewCtrl : public PageViewCtrl
{
    Q_OBJECT
public:
    using PageViewCtrl::PageViewCtrl;
};

} // namespace settings
