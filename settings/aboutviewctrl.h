#pragma once

#include "settings/pageviewctrl.h"

namespace settings {

// The About pane: one for the application, made when the About tab is first
// selected, from the layout "AboutViewCtrl".
class AboutViewCtrl : public PageViewCtrl
{
    Q_OBJECT
public:
    explicit AboutViewCtrl(QObject *parent = nullptr);

    // Shows or hides the diagnostics button (the OEM pen displays and the
    // M517 V1 have no diagnostics).
    void setDiagnoseEnable(bool enable);
    bool diagnoseEnable() const { return m_diagnoseEnable; }

private:
    bool m_diagnoseEnable = true;
};

} // namespace settings
