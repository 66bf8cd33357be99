#include "settings/aboutviewctrl.h"

namespace settings {

AboutViewCtrl::AboutViewCtrl(QObject *parent)
    : PageViewCtrl(QStringLiteral("AboutViewCtrl"), parent)
{ }

void AboutViewCtrl::setDiagnoseEnable(bool enable)
{
    m_diagnoseEnable = enable;
}

} // namespace settings
