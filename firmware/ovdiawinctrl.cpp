#include "ovdiawinctrl.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QStandardPaths>
#include <QSysInfo>

#include "firmware/deviceinfo.h"
#include "firmware/firmwarelog.h"
#include "firmware/ovdiabuttonview.h"
#include "firmware/ovdiaview.h"
#include "platform/alerts.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/modalruns.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/strings.h"
#include "platform/userdefaults.h"
#include "platform/workspace.h"
#include "store/diainfo.h"
#include "store/ovpublicdefine.h"

namespace firmware {

namespace {

// Points.
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 400;
constexpr int kMargin = 24;
constexpr int kRow = 26;
constexpr int kButtonGap = 10;

bool canMakeWindows()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

// The operating system's version as three numbers; 0 where it gives none.
std::array<int, 3> systemVersion()
{
    std::array<int, 3> version{};
    const QStringList parts = QSysInfo::productVersion().split(QLatin1Char('.'));
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        version[size_t(i)] = parts[i].toInt();
    return version;
}

struct Outlet
{
    const char *name;
    int column; // 0 left, 1 right
    int row;
};
// The fields, in the band: the device on the left, the pen on the right.
constexpr Outlet kOutlets[] = {
    {"hProTF", 0, 0}, {"hDevTF", 0, 1}, {"hHavTF", 0, 2}, {"hFivTF", 0, 3}, {"lbCPU", 0, 4},
    {"lbPen", 0, 5},  {"eSyvTF", 0, 6}, {"eDrvTF", 0, 7}, {"pCoXTF", 1, 0}, {"pCoYTF", 1, 1},
    {"pPreTF", 1, 2}, {"pTiXTF", 1, 3}, {"pTiYTF", 1, 4},
};

struct ButtonFace
{
    const char *identifier;
    const char *titleKey;
    bool bright; // DTB2/DTBH2, else DTB1/DTBH1
};
constexpr ButtonFace kButtons[] = {
    {"bView1", "OVD_B_FD", true}, {"bView2", "OVD_B_FU", true}, {"bView3", "OVD_B_FUI", false},
    {"bView4", "OVD_B_OLD", true}, {"bView5", "OVD_B_CL", false},
};

} // namespace

OVDIAWinCtrl::OVDIAWinCtrl(platform::Platform &platform, std::weak_ptr<FirmwareService> delegate,
                           FirmwareWindowObservers observers, bool withWindow)
    : m_platform(platform)
    , m_delegate(std::move(delegate))
    , m_observers(std::move(observers))
    , m_withWindow(withWindow)
{
    if (!withWindow)
        return;
    // What the layout's loading does.
    m_logPath = firmware::diagnosisLogPath(QDir::homePath());
    m_datas.clear();
    if (canMakeWindows())
        buildWindow();
    const auto version = systemVersion();
    setField(QStringLiteral("eSyvTF"), format(QStringLiteral("OVE_SYV"), {QString::number(version[0]),
                                                                         QString::number(version[1]),
                                                                         QString::number(version[2])}));
    setField(QStringLiteral("eDrvTF"),
             format(QStringLiteral("OVE_DRV"), {QStringLiteral(OV_SHORT_VERSION), QStringLiteral(OV_BUNDLE_VERSION)}));
    upVer();
    m_platform.distributed.observe(store::OVUI_DeviceDisconnect_Hide_Noti, this,
                                   [this](const platform::Notification &n) { deviceDisconnectHideUI(n); });
}

OVDIAWinCtrl::~OVDIAWinCtrl()
{
    *m_alive = false;
    m_platform.distributed.removeObserver(this);
    m_platform.runLoop.cancelAll(this);
    orderOut();
}

void OVDIAWinCtrl::buildWindow()
{
    auto view = std::make_unique<OVDIAView>();
    view->setObjectName(windowName());
    view->setWindowTitle(text(QStringLiteral("OVD_DIA_TT")));
    view->setAccessibleName(text(QStringLiteral("OVD_DIA_TT")));
    view->setFixedSize(kWindowWidth, kWindowHeight);
    auto *title = new QLabel(text(QStringLiteral("OVD_DIA_TT")), view.get());
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(15);
    title->setFont(titleFont);
    title->setGeometry(kMargin, 0, kWindowWidth - 2 * kMargin, OVDIAView::kBandTop);
    const int columnWidth = (kWindowWidth - 3 * kMargin) / 2;
    for (const Outlet &outlet : kOutlets) {
        auto *label = new QLabel(view.get());
        label->setObjectName(QLatin1String(outlet.name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        label->setGeometry(kMargin + outlet.column * (columnWidth + kMargin), OVDIAView::kBandTop + 12 + outlet.row * kRow,
                           columnWidth, kRow);
        m_labels.insert(QLatin1String(outlet.name), label);
    }
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        m_bViews[i] = new OVDIAButtonView(QLatin1String(kButtons[i].identifier),
                                          text(QLatin1String(kButtons[i].titleKey)), kButtons[i].bright, view.get());
    }
    int buttonsWidth = int(m_bViews.size() - 1) * kButtonGap;
    for (const auto &button : m_bViews)
        buttonsWidth += button->width();
    int x = std::max(kMargin, (kWindowWidth - buttonsWidth) / 2);
    for (size_t i = 0; i < m_bViews.size(); ++i) {
        OVDIAButtonView *button = m_bViews[i];
        const int y = kWindowHeight - OVDIAView::kBandBottom + (OVDIAView::kBandBottom - button->height()) / 2;
        button->move(x, y);
        x += button->width() + kButtonGap;
        // The button's click reaches the controller on the next turn.
        std::weak_ptr<bool> alive = m_alive;
        connect(button, &QAbstractButton::clicked, this, [this, alive, button] {
            m_platform.runLoop.post([this, alive, pointer = QPointer<OVDIAButtonView>(button)] {
                if (auto a = alive.lock(); a && *a && pointer)
                    clickButtonView(pointer);
            });
        });
    }
    // The keyboard order is the buttons' order.
    for (size_t i = 1; i < m_bViews.size(); ++i)
        QWidget::setTabOrder(m_bViews[i - 1], m_bViews[i]);
    view->installEventFilter(this);
    m_window = std::move(view);
}

bool OVDIAWinCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (m_window && watched == m_window.get() && event->type() == QEvent::Close) {
        // Ordered out by desDia on the next turn, which also drops this
        // controller; the driver runs on.
        event->ignore();
        clickClose();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QString OVDIAWinCtrl::text(const QString &key) const
{
    return m_platform.strings.text(key);
}

QString OVDIAWinCtrl::format(const QString &key, const QStringList &arguments) const
{
    return platform::formatText(text(key), arguments);
}

void OVDIAWinCtrl::setField(const QString &outlet, const QString &text)
{
    m_texts.insert(outlet, text);
    if (QLabel *label = m_labels.value(outlet)) {
        label->setText(text);
        label->setAccessibleName(text);
    }
}

QString OVDIAWinCtrl::fieldText(const QString &outlet) const
{
    return m_texts.value(outlet);
}

void OVDIAWinCtrl::later(double seconds, std::function<void(OVDIAWinCtrl &)> fn)
{
    std::weak_ptr<bool> alive = m_alive;
    m_platform.runLoop.after(seconds, this, [this, alive, fn = std::move(fn)] {
        if (auto a = alive.lock(); a && *a)
            fn(*this);
    });
}

bool OVDIAWinCtrl::runAlert(const QString &message, const QStringList &buttons)
{
    const std::weak_ptr<bool> alive = m_alive;
    {
        const platform::ModalRuns::Owner owner(&m_platform.modalRuns, this);
        m_platform.alerts.run(m_pName, message, buttons);
    }
    const std::shared_ptr<bool> a = alive.lock();
    return a && *a;
}

bool OVDIAWinCtrl::runOpenPanel(const platform::FilePanelOptions &options, std::optional<QString> *path)
{
    const std::weak_ptr<bool> alive = m_alive;
    {
        const platform::ModalRuns::Owner owner(&m_platform.modalRuns, this);
        *path = m_platform.filePanels.openFile(options);
    }
    const std::shared_ptr<bool> a = alive.lock();
    return a && *a;
}

void OVDIAWinCtrl::showWindow()
{
    setFirmwareWindowShown(m_window.get(), windowName(), m_shown, true, m_observers);
}

void OVDIAWinCtrl::orderOut()
{
    setFirmwareWindowShown(m_window.get(), windowName(), m_shown, false, m_observers);
}

void OVDIAWinCtrl::upHar(const QString &productName, const QString &devKey)
{
    m_pName = productName;
    m_devKey = devKey;
    setField(QStringLiteral("hProTF"), format(QStringLiteral("OVH_PRO"), {productName}));
    const qint64 productId = devKey.split(QLatin1Char('-')).last().toLongLong();
    setField(QStringLiteral("hDevTF"), format(QStringLiteral("OVH_DEV"), {QString::number(productId)}));
    m_cur_PM = store::productModelWithDevkey(devKey);
}

void OVDIAWinCtrl::upPen(std::span<const std::uint8_t> report)
{
    const auto values = decodePenValues(report);
    if (!values)
        return;
    setField(QStringLiteral("pCoXTF"), format(QStringLiteral("OVP_COX"), {QString::number(values->x)}));
    setField(QStringLiteral("pCoYTF"), format(QStringLiteral("OVP_COY"), {QString::number(values->y)}));
    setField(QStringLiteral("pPreTF"), format(QStringLiteral("OVP_PRE"), {QString::number(values->pressure)}));
    setField(QStringLiteral("pTiXTF"), format(QStringLiteral("OVP_TIX"), {QString::number(values->tiltX)}));
    setField(QStringLiteral("pTiYTF"), format(QStringLiteral("OVP_TIY"), {QString::number(values->tiltY)}));
    m_datas.append(report);
}

void OVDIAWinCtrl::upVer()
{
    auto service = m_delegate.lock();
    if (!service)
        return;
    // Brings the driver's windows to the front; the driver runs already.
    if (m_window)
        m_window->activateWindow();
    std::weak_ptr<bool> alive = m_alive;
    service->deviceInfo().readVersions([this, alive](const QString &hdVer, const QString &fwVer) {
        if (auto a = alive.lock(); !a || !*a)
            return;
        m_cchd = hdVer;
        setField(QStringLiteral("hHavTF"), format(QStringLiteral("OVH_HAV"), {hdVer}));
        setField(QStringLiteral("hFivTF"), format(QStringLiteral("OVH_FIV"), {fwVer}));
        checkProductName(false);
        if (m_capability.hasFx) {
            later(kCpuQueryDelay, [](OVDIAWinCtrl &ctrl) { ctrl.requestCpuInfo(); });
            return;
        }
        setField(QStringLiteral("lbCPU"), format(QStringLiteral("OVH_CPU"), {QStringLiteral("CP1")}));
        const QString pen = store::penForPen(0, m_cur_PM);
        setField(QStringLiteral("lbPen"), format(QStringLiteral("OVH_PEN"), {pen.isNull() ? QString() : pen}));
    });
}

QString OVDIAWinCtrl::cpuName() const
{
    const QString name = store::cpuForCpu(m_cpuInfo.cpu);
    return name.isNull() ? QString(QLatin1String("")) : name;
}

QString OVDIAWinCtrl::penName() const
{
    const QString name = store::penForPen(m_cpuInfo.pen, m_cur_PM);
    return name.isNull() ? QString(QLatin1String("")) : name;
}

void OVDIAWinCtrl::requestCpuInfo()
{
    auto service = m_delegate.lock();
    if (!service)
        return;
    std::weak_ptr<bool> alive = m_alive;
    service->deviceInfo().setRequestCpuInfoComplete([this, alive](const CpuInfo &info) {
        if (auto a = alive.lock(); !a || !*a)
            return;
        m_cpuInfo = info;
        showCpuAndPen();
    });
    service->deviceInfo().requestCpuInfo();
}

void OVDIAWinCtrl::showCpuAndPen()
{
    const QString cpu = cpuName();
    setField(QStringLiteral("lbCPU"), cpu.isEmpty() ? QString() : format(QStringLiteral("OVH_CPU"), {cpu}));
    setField(QStringLiteral("lbPen"), format(QStringLiteral("OVH_PEN"), {penName()}));
}

void OVDIAWinCtrl::clickButtonView(OVDIAButtonView *button)
{
    if (!button)
        return;
    for (size_t i = 0; i < m_bViews.size(); ++i) {
        if (button == m_bViews[i])
            clickButton(int(i));
    }
}

void OVDIAWinCtrl::clickButton(int index)
{
    switch (index) {
    case 0:
        clickFD();
        break;
    case 1:
        clickFU();
        break;
    case 2:
        clickFUI();
        break;
    case 3:
        clickOLD();
        break;
    case 4:
        clickClose();
        break;
    default:
        break;
    }
}

bool OVDIAWinCtrl::press(const QString &control)
{
    if (!m_withWindow)
        return false;
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        if (control != QLatin1String(kButtons[i].identifier))
            continue;
        if (m_bViews[i]) {
            m_bViews[i]->click();
        } else {
            // Without widgets the click takes the same way: the next turn.
            later(0, [i](OVDIAWinCtrl &ctrl) { ctrl.clickButton(int(i)); });
        }
        return true;
    }
    return false;
}

void OVDIAWinCtrl::clickFD()
{
    if (m_capability.hasFx) {
        const QString cpu = cpuName();
        const QString pen = penName();
        const QString hintKey =
            downloadHintKey(m_capability.supportCheckCPU, m_capability.supportCheckPenKind, cpu, pen);
        if (!hintKey.isNull()
            && !runAlert(format(hintKey, downloadHintArguments(hintKey, m_cur_PM, cpu, pen)),
                         {text(QStringLiteral("OVD_OK"))})) {
            return;
        }
    }
    m_platform.workspace.open(firmwareDownloadUrl(m_platform.defaults.preferredLanguages()));
}

QString OVDIAWinCtrl::updateAlertMessage() const
{
    UpdateAlertTexts texts;
    texts.info = text(QStringLiteral("DIA_Alert_Info"));
    texts.proLabel = text(QStringLiteral("DIA_Alert_PRO"));
    texts.product = m_pName;
    texts.cpuLabel = text(QStringLiteral("DIA_Alert_CPU"));
    texts.cpu = cpuName();
    texts.havLabel = text(QStringLiteral("DIA_Alert_HAV"));
    texts.hardware = m_cchd;
    texts.penLabel = text(QStringLiteral("DIA_Alert_PEN"));
    texts.pen = penName();
    texts.tip = text(QStringLiteral("OVF_TIP"));
    return updateAlertText(texts);
}

void OVDIAWinCtrl::clickFU()
{
    if (!runAlert(updateAlertMessage(), {text(QStringLiteral("OVD_OK"))}))
        return;
    platform::FilePanelOptions options;
    options.directory = QDir::homePath() + QStringLiteral("/Downloads");
    options.allowedSuffixes = {QStringLiteral("bin")};
    std::optional<QString> path;
    if (!runOpenPanel(options, &path) || !path)
        return;
    m_binstr = *path;
    parseBin();
    if (m_bin_parseSuc)
        later(kCheckDelay, [](OVDIAWinCtrl &ctrl) { ctrl.checkProductName(true); });
}

void OVDIAWinCtrl::clickFUI()
{
    m_platform.workspace.open(firmwareInstructionsUrl());
}

void OVDIAWinCtrl::clickOLD()
{
    const QByteArray text = diagnosisLogAppend(m_datas);
    QString why;
    if (!m_platform.files.append(m_logPath, text, &why)) {
        // Kept for the next try.
        qCWarning(lcFirmware, "%s: cannot write diagnosis log %s: %s", qUtf8Printable(m_devKey),
                  qUtf8Printable(m_logPath), qUtf8Printable(why));
        return;
    }
    m_datas.clear();
    m_platform.workspace.open(QFileInfo(m_logPath).absolutePath());
}

void OVDIAWinCtrl::clickClose()
{
    std::weak_ptr<FirmwareService> delegate = m_delegate;
    m_platform.runLoop.post([delegate] {
        if (auto service = delegate.lock())
            service->desDia();
    });
}

void OVDIAWinCtrl::deviceDisconnectHideUI(const platform::Notification &)
{
    clickClose();
}

void OVDIAWinCtrl::parseBin()
{
    m_bin_parseSuc = true;
    const std::optional<FirmwareName> name = firmware::parseBin(m_binstr);
    if (!name) {
        m_bin_parseSuc = false;
        showCheckAlert();
        return;
    }
    m_binName = *name;
}

void OVDIAWinCtrl::checkProductName(bool goOn)
{
    m_capability = ProductCapability{};
    auto service = m_delegate.lock();
    if (!service)
        return;
    m_capability = firmware::checkProductName(service->pName());
    if (!goOn)
        return;
    if (m_capability.refusesAll) {
        showCheckAlert();
        return;
    }
    checkProductModel();
}

void OVDIAWinCtrl::checkProductModel()
{
    FirmwareDevice device;
    if (auto service = m_delegate.lock())
        device.pName = service->pName();
    device.cur_PM = m_cur_PM;
    device.cchd = m_cchd;
    device.cpuInfo = m_cpuInfo;
    const FirmwareVerdict verdict = firmware::checkProductModel(m_binName, m_capability, device);
    if (verdict != FirmwareVerdict::Passed) {
        qCInfo(lcFirmware, "%s: cannot use firmware file %s: %s", qUtf8Printable(m_devKey), qUtf8Printable(m_binstr),
               qUtf8Printable(verdictReason(verdict)));
        showCheckAlert();
        return;
    }
    ciphertextAlgoCheckFw();
}

void OVDIAWinCtrl::ciphertextAlgoCheckFw()
{
    // Read once: the bytes checked here are the ones the transfer sends.
    platform::ReadError error = platform::ReadError::None;
    const std::optional<QByteArray> file = m_platform.files.read(m_binstr, kMaxFirmwareFileLength + 1, &error);
    const FirmwareVerdict verdict = file ? firmware::ciphertextAlgoCheckFw(*file) : FirmwareVerdict::FileUnreadable;
    if (verdict != FirmwareVerdict::Passed) {
        const QString line = checkLogLine(verdict);
        if (!line.isNull())
            qCInfo(lcStdout, "%s", qUtf8Printable(line));
        qCInfo(lcFirmware, "%s: cannot use firmware file %s: %s", qUtf8Printable(m_devKey), qUtf8Printable(m_binstr),
               qUtf8Printable(verdictReason(verdict)));
        showCheckAlert();
        return;
    }
    auto service = m_delegate.lock();
    if (!service)
        return;
    if (m_isFirmwareUpdate) {
        service->setBPath(m_binstr);
        service->restoreFirmwareUpdate(*file);
    } else {
        service->firmwareUpdate(m_binstr, *file);
    }
}

void OVDIAWinCtrl::showCheckAlert(const QString &message)
{
    if (!runAlert(message.isNull() ? text(QStringLiteral("OVE_CCC")) : message, {text(QStringLiteral("OVD_OK"))}))
        return;
    auto service = m_delegate.lock();
    if (!service)
        return;
    service->setBPath(QString());
    if (m_isFirmwareUpdate)
        service->showUpdateAlert();
}

} // namespace firmware
