#pragma once

#include "settings/pageviewctrl.h"

namespace settings {

// The express-key and wheel page of one device, from the model's layout (store::boardViewXIBName).
class BoardViewCtrl : public PageViewCtrl
{
    Q_OBJECT
public:
    using PageViewCtrl::PageViewCtrl;
};

} // namespace settings
