#pragma once

#include <functional>

#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "settings/pageviewctrl.h"


namespace platform {
struct Desktop;
}

namespace settings {

// The About pane: one for the application, made when the About tab is first
// selected, from the layout "AboutViewCtrl". It shows the version and the
// rights line of the current year, and offers the driver's diagnostics
// window for the current device and the product web site.
class AboutViewCtrl : public PageViewCtrl
{
    Q_OBJECT
public:
    // cursorKey: the current device key (null for none), asked when the
    // diagnostics button is clicked.
    AboutViewCtrl(platform::Desktop &platform, std::function<QString()> cursorKey, QObject *parent = nullptr);

    // Shows or hides the diagnostics button (the OEM pen displays and the
    // M517 V1 have no diagnostics).
    void setDiagnoseEnable(bool enable);
    bool diagnoseEnable() const { return m_diagnoseEnable; }

    // The texts; run one turn after the view loads.
    void aboutViewInit();
    // Launches the driver when it does not run, then asks it for the current
    // device's diagnostics window ("OVCFGDiaSDNotification" {key: product
    // name}); with no current device only the launch.
    void clickDiagnose();
    // The product web site in the default browser.
    void clickIconBtn();
    static QString webSite();

    QString versionText() const;
    QString rightText() const;
    QPushButton *diagnoseButton() const { return m_ibBtn; }
    QPushButton *webButton() const { return m_webBtn; }

protected:
    void viewDidLoad(QWidget *view) override;

private:
    platform::Desktop &m_platform;
    std::function<QString()> m_cursorKey;
    bool m_diagnoseEnable = true;
    QPointer<QLabel> m_ibVersionTF;
    QPointer<QLabel> m_ibRightTF;
    QPointer<QPushButton> m_ibBtn;
    QPointer<QPushButton> m_webBtn;
};

} // namespace settings
