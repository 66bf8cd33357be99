#include "oviapwinctrl.h"

#include <cmath>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include "firmware/iaptransfer.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "store/ovpublicdefine.h"

namespace firmware {

namespace {
// Points.
constexpr int kWidth = 420;
constexpr int kHeight = 170;
constexpr int kMargin = 20;
// The bar's steps: a tenth of a percent.
constexpr int kBarScale = 10;

bool canMakeWindows()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}
} // namespace

QString iapStageText(int stage)
{
    switch (stage) {
    case kIapStageSwitchFailed:
        return QStringLiteral("Error(207)\n错误(207)");
    case kIapStageWaiting:
        return QStringLiteral("Waiting for tablet...\n正在等待数位板...");
    case kIapStageChecking:
        return QStringLiteral("Checking for update file...\n正在检查更新文件...");
    case kIapStageUploading:
        return QStringLiteral("Uploading file...\n正在传文件...");
    case kIapStageCompleted:
        return QStringLiteral("Update completed!\n更新成功!");
    case kIapStageFailed:
        return QStringLiteral("Error(219)\n错误(219)");
    default:
        return QString();
    }
}

double iapBarValue(double percent)
{
    if (!std::isfinite(percent))
        return 0;
    return std::clamp(percent, 0.0, 100.0);
}

OVIAPWinCtrl::OVIAPWinCtrl(platform::Platform &platform, const QString &pname, FirmwareWindowObservers observers)
    : m_platform(platform)
    , m_pname(pname)
    , m_observers(std::move(observers))
{
    if (canMakeWindows())
        buildWindow();
    m_platform.local.observe(store::OVIAPNotification, this, [this](const platform::Notification &n) { iapN(n); });
}

OVIAPWinCtrl::~OVIAPWinCtrl()
{
    m_platform.local.removeObserver(this);
    orderOut();
}

void OVIAPWinCtrl::buildWindow()
{
    auto window = std::make_unique<QWidget>();
    window->setObjectName(windowName());
    window->setWindowTitle(m_pname);
    window->setAccessibleName(m_pname);
    window->setFixedSize(kWidth, kHeight);
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor(238, 238, 238));
    window->setPalette(palette);
    m_ibName = new QLabel(m_pname, window.get());
    m_ibName->setObjectName(QStringLiteral("ibName"));
    QFont nameFont = m_ibName->font();
    nameFont.setBold(true);
    nameFont.setPointSize(14);
    m_ibName->setFont(nameFont);
    m_ibName->setGeometry(kMargin, kMargin, kWidth - 2 * kMargin, 26);
    m_ibPI = new QProgressBar(window.get());
    m_ibPI->setObjectName(QStringLiteral("ibPI"));
    m_ibPI->setAccessibleName(QStringLiteral("Progress"));
    m_ibPI->setTextVisible(false);
    m_ibPI->setRange(0, 0); // indeterminate and moving until told otherwise
    m_ibPI->setGeometry(kMargin, kMargin + 40, kWidth - 2 * kMargin, 18);
    m_ibTF = new QLabel(window.get());
    m_ibTF->setObjectName(QStringLiteral("ibTF"));
    m_ibTF->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_ibTF->setGeometry(kMargin, kMargin + 72, kWidth - 2 * kMargin, 50);
    window->installEventFilter(this);
    m_window = std::move(window);
}

bool OVIAPWinCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (m_window && watched == m_window.get() && event->type() == QEvent::Close) {
        event->ignore();
        orderOut();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void OVIAPWinCtrl::showWindow()
{
    setFirmwareWindowShown(m_window.get(), windowName(), m_shown, true, m_observers);
}

void OVIAPWinCtrl::orderOut()
{
    setFirmwareWindowShown(m_window.get(), windowName(), m_shown, false, m_observers);
}

void OVIAPWinCtrl::iapN(const platform::Notification &notification)
{
    const QVariantMap &info = notification.userInfo;
    const int stage = info.value(kIapIndex).toInt();
    const bool indeterminate = info.value(kIapIndm).toBool();
    const double value = iapBarValue(info.value(kIapPres).toDouble());
    m_text = iapStageText(stage);
    if (stage == kIapStageCompleted)
        m_animating = false;
    m_indeterminate = indeterminate;
    m_value = value;
    if (m_window) {
        m_ibTF->setText(m_text);
        m_ibTF->setAccessibleName(m_text);
        // An indeterminate bar that no longer animates stands still, empty.
        if (indeterminate && m_animating)
            m_ibPI->setRange(0, 0);
        else
            m_ibPI->setRange(0, 100 * kBarScale);
        m_ibPI->setValue(int(std::lround(value * kBarScale)));
    }
    if (m_observers.progress)
        m_observers.progress(stage, m_text, value, !indeterminate);
}

} // namespace firmware
