#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include "firmware/cpuinfo.h"
#include "firmware/diagnostics.h"
#include "firmware/firmwarefile.h"
#include "firmware/firmwareservice.h"

class QLabel;
class QWidget;

namespace platform {
struct FilePanelOptions;
struct Platform;
struct Notification;
} // namespace platform

namespace firmware {

class OVDIAButtonView;

// The diagnostics window of one device service: product and device, the
// versions, CPU and pen kinds, the system's and the driver's versions, the
// live values of every generic pen report, and five buttons (download,
// update, instructions, log, close). It also carries the state of the
// firmware-file checks, which the boot program's prompt runs on a controller
// without a window. Main thread only; it holds its service weakly.
class OVDIAWinCtrl : public QObject
{
    Q_OBJECT
public:
    static constexpr double kCheckDelay = 1.0; // s from the chosen file to the checks
    static constexpr double kCpuQueryDelay = 0.1; // s from the versions to the CPU query

    // withWindow false: the checks only (the boot program's prompt).
    OVDIAWinCtrl(platform::Platform &platform, std::weak_ptr<FirmwareService> delegate,
                 FirmwareWindowObservers observers, bool withWindow);
    ~OVDIAWinCtrl() override;

    static QString windowName() { return QStringLiteral("OVDIAWinCtrl"); }
    // Level 8, key and in front.
    void showWindow();
    // Orders the window out (reported once).
    void orderOut();
    bool isShown() const { return m_shown; }
    QWidget *window() const { return m_window.get(); }

    void upHar(const QString &productName, const QString &devKey);
    // A generic pen report, before it is decoded.
    void upPen(std::span<const std::uint8_t> report);
    void setupCpuInfo(const CpuInfo &info) { m_cpuInfo = info; }
    // The version read of an opened window and what follows it.
    void upVer();
    void requestCpuInfo();

    // The buttons' action and its five targets.
    void clickButtonView(OVDIAButtonView *button);
    // 0 .. 4: download, update, instructions, log, close.
    void clickButton(int index);
    void clickFD();
    void clickFU();
    void clickFUI();
    void clickOLD();
    void clickClose();
    // The simulator's and the tests' press: a button by its identifier
    // ("bView1" .. "bView5"); false for no such button.
    bool press(const QString &control);

    // The firmware-file checks.
    void parseBin();
    void checkProductName(bool goOn);
    void checkProductModel();
    void ciphertextAlgoCheckFw();
    void showCheckAlert(const QString &message = QString());
    // The information text shown before a firmware file is chosen: the
    // product, CPU, hardware version and pen, then the tip.
    QString updateAlertMessage() const;

    // Dropped by its service: the steps it scheduled and whatever follows an
    // alert of its that is still open do nothing from now on.
    void retire() { *m_alive = false; }

    void setIsFirmwareUpdate(bool flag) { m_isFirmwareUpdate = flag; }
    void setCchd(const QString &cchd) { m_cchd = cchd; }
    void setBinstr(const QString &path) { m_binstr = path; }
    bool bin_parseSuc() const { return m_bin_parseSuc; }
    bool hasFx() const { return m_capability.hasFx; }
    const ProductCapability &capability() const { return m_capability; }
    QString cur_PM() const { return m_cur_PM; }
    QString pName() const { return m_pName; }
    const DiagnosedReports &datas() const { return m_datas; }
    QString diagnosisLogPath() const { return m_logPath; }

    // The texts shown: "hProTF", "hDevTF", "hHavTF", "hFivTF", "lbCPU",
    // "lbPen", "pCoXTF", "pCoYTF", "pPreTF", "pTiXTF", "pTiYTF", "eSyvTF",
    // "eDrvTF"; an empty string for an unknown field.
    QString fieldText(const QString &outlet) const;

protected:
    // The title bar's close button is the close button's action.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void setField(const QString &outlet, const QString &text);
    QString text(const QString &key) const;
    QString format(const QString &key, const QStringList &arguments) const;
    QString cpuName() const;
    QString penName() const;
    void showCpuAndPen();
    void deviceDisconnectHideUI(const platform::Notification &notification);
    // fn on a later turn unless this controller has gone.
    void later(double seconds, std::function<void(OVDIAWinCtrl &)> fn);
    // An alert or open panel of this window (a modal run its service can end
    // when the window closes); false when this controller was dropped or
    // retired meanwhile, and the caller must not go on.
    bool runAlert(const QString &message, const QStringList &buttons);
    bool runOpenPanel(const platform::FilePanelOptions &options, std::optional<QString> *path);

    platform::Platform &m_platform;
    std::weak_ptr<FirmwareService> m_delegate;
    FirmwareWindowObservers m_observers;
    std::unique_ptr<QWidget> m_window;
    std::array<QPointer<OVDIAButtonView>, 5> m_bViews; // bView1 .. bView5
    QMap<QString, QString> m_texts; // outlet -> text shown
    QMap<QString, QPointer<QLabel>> m_labels;
    bool m_shown = false;
    bool m_withWindow = false;

    DiagnosedReports m_datas;
    CpuInfo m_cpuInfo;
    QString m_pName;
    QString m_devKey;
    QString m_cur_PM;
    QString m_cchd;
    QString m_logPath;

    // The checks.
    QString m_binstr;
    bool m_isFirmwareUpdate = false;
    bool m_bin_parseSuc = false;
    FirmwareName m_binName;
    ProductCapability m_capability;
    // Held by every step this controller schedules, weakly.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace firmware
