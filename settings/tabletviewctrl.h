#pragma once

#include "settings/pageviewctrl.h"

namespace settings {

// The tablet area page of one device, from the model's layout (store::tabletViewXIBName).
class TabletViewCtrl : public PageViewCtrl
{
    Q_OBJECT
public:
    using PageViewCtrl::PageViewCtrl;
};

} // namespace settings
