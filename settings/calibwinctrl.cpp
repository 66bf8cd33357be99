#include "settings/calibwinctrl.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QScreen>

#include "controls/kitstyle.h"
#include "controls/orvanebutton.h"
#include "platform/displays.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/strings.h"
#include "platform/windowspace.h"
#include "settings/areageometry.h"
#include "settings/calibview.h"
#include "settings/calibwin.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "store/plistvalue.h"

Q_LOGGING_CATEGORY(lcCalib, "ov.settings.calibration")

namespace settings {

namespace {

using namespace store;

// The window's texts.
constexpr QLatin1String OVS_CW_TITLE("OVS_CW_TITLE");
constexpr QLatin1String OVS_CW_TA("OVS_CW_TA"); // beside the edge arrow
constexpr QLatin1String OVS_CW_TC("OVS_CW_TC"); // beside the crosshair
constexpr QLatin1String OVS_CW_SUC("OVS_CW_SUC");
constexpr QLatin1String OVS_CW_FAD("OVS_CW_FAD");
constexpr QLatin1String OVS_CW_IVA("OVS_CW_IVA");
constexpr QLatin1String OVS_CW_OK("OVS_CW_OK");
constexpr QLatin1String OVS_CW_CA("OVS_CW_CA");

// The layout, points from the window's centre (y down): the three labels
// share one frame below the centre target's hint, the buttons below them.
constexpr int kLabelWidth = 640;
constexpr int kLabelTop = 110;
constexpr int kButtonWidth = 120;
constexpr int kButtonTop = 160;
// Where the result labels and OK wait, hidden, until the result moves them.
constexpr int kResultTop = -140;

// The step keys of the edges, by edge.
constexpr QLatin1String kEdgeKeys[] = { OVMCMINX, OVMCMINY, OVMCMAXX, OVMCMAXY };

QLabel *label(QWidget *parent, const QString &text, const char *name)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(controls::kitFont(18));
    l->setAlignment(Qt::AlignCenter);
    l->setFixedWidth(kLabelWidth);
    l->hide();
    return l;
}

// The window system's screen of exactly that rectangle, if it has one.
QScreen *screenOf(const QRect &rect)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry() == rect)
            return screen;
    }
    return nullptr;
}

} // namespace

CalibWinCtrl::CalibWinCtrl(
    platform::Desktop &platform, const QString &nibName, CalibWinDelegate *delegate, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_delegate(delegate)
{
    setObjectName(nibName);
    buildWindow();
    m_platform.distributed.observe(OVMCResponseDNotification, this,
        [this](const platform::Notification &n) { monitorCalibResponse(n); });
    // The delegate posts the hide notice inside this process at once, while
    // the device still exists, and on the bus; the first one cancels.
    const auto hide = [this](const platform::Notification &) { deviceDisconnectHideUI(); };
    m_platform.distributed.observe(OVUI_DeviceDisconnect_Hide_Noti, this, hide);
    m_platform.local.observe(OVUI_DeviceDisconnect_Hide_Noti, this, hide);
    m_platform.runLoop.after(0, this, [this] { calibInit(); });
}

CalibWinCtrl::~CalibWinCtrl()
{
    m_platform.runLoop.cancelAll(this);
    m_platform.distributed.removeObserver(this);
    m_platform.local.removeObserver(this);
    setCursorHidden(false);
}

QString CalibWinCtrl::text(const QString &key) const
{
    return m_platform.strings.text(key);
}

CalibView *CalibWinCtrl::view() const
{
    return m_win->contentView();
}

void CalibWinCtrl::buildWindow()
{
    m_win = std::make_unique<CalibWin>(
        m_platform.local, [this] { m_platform.runLoop.after(0, this, [this] { perforESC(); }); });
    m_win->setWindowTitle(text(OVS_CW_TITLE));
    CalibView *content = m_win->contentView();
    content->ibTipA()->setText(text(OVS_CW_TA));
    content->ibTipC()->setText(text(OVS_CW_TC));
    m_ibSuc = label(content, text(OVS_CW_SUC), "ibSuc");
    m_ibFad = label(content, text(OVS_CW_FAD), "ibFad");
    m_ibIva = label(content, text(OVS_CW_IVA), "ibIva");
    QPalette red = m_ibIva->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_ibIva->setPalette(red);
    m_ibFad->setPalette(red);
    m_ibCancelBtn = new controls::OrvaneButton(text(OVS_CW_CA), content);
    m_ibCancelBtn->setObjectName(QStringLiteral("ibCancelBtn"));
    m_ibCancelBtn->setFixedWidth(kButtonWidth);
    m_ibOKBtn = new controls::OrvaneButton(text(OVS_CW_OK), content);
    m_ibOKBtn->setObjectName(QStringLiteral("ibOKBtn"));
    m_ibOKBtn->setFixedWidth(kButtonWidth);
    m_ibOKBtn->hide();
    connect(m_ibCancelBtn, &QAbstractButton::clicked, this, [this] { clickCancel(); });
    connect(m_ibOKBtn, &QAbstractButton::clicked, this, [this] { clickOK(); });
}

void CalibWinCtrl::layoutControls()
{
    const QPoint centre(m_win->width() / 2, m_win->height() / 2);
    const int labelX = centre.x() - kLabelWidth / 2;
    m_ibIva->move(labelX, centre.y() + kLabelTop);
    m_ibSuc->move(labelX, centre.y() + kResultTop);
    m_ibFad->move(labelX, centre.y() + kResultTop);
    const int buttonX = centre.x() - kButtonWidth / 2;
    m_ibCancelBtn->move(buttonX, centre.y() + kButtonTop);
    m_ibOKBtn->move(buttonX, centre.y() + kButtonTop + 2 * m_ibCancelBtn->sizeHint().height());
}

void CalibWinCtrl::calibInit()
{
    if (m_state != State::Opening)
        return;
    const QList<platform::DisplayInfo> displays = m_platform.displays.displays();
    // The pen display's own display: the one it is mapped to, else the one
    // its names find (calibgeometry.h).
    std::optional<quint32> mapped;
    if (m_delegate
        && unsignedValue(m_delegate->calibConfiguration(OVCFGMonitor, OVCFGMonitorMap)).value_or(0) == 2) {
        const std::optional<quint64> number
            = unsignedValue(m_delegate->calibConfiguration(OVCFGMonitor, OVCFGMonitorNumber));
        if (number && *number <= 0xFFFFFFFFu)
            mapped = quint32(*number);
    }
    const QString names = m_delegate
        ? stringValue(m_delegate->calibConfiguration(OVCFGMonitor, OVCFGMonitorName)).value_or(QString())
        : QString();
    const std::optional<platform::DisplayInfo> target = calib::calibrationDisplay(displays, names, mapped);
    if (!target || !(target->bounds.width() > 0) || !(target->bounds.height() > 0)) {
        qCWarning(lcCalib, "cannot calibrate: no display is online");
        clickOK();
        return;
    }
    m_screct = target->bounds;
    showOnDisplay(m_screct, displays);
    startRun();
}

void CalibWinCtrl::showOnDisplay(const QRectF &display, const QList<platform::DisplayInfo> &displays)
{
    m_displays = displays;
    m_windowSpace = m_platform.displays.windowSpace();
    const QRect frame = platform::windowRectFromBounds(display, displays, m_windowSpace).toRect();
    m_win->setGeometry(frame);
    layoutControls();
    // A screen of the window system that is exactly this display takes the
    // window full screen: above the desktop's panels too, and on Wayland the
    // only way to choose the output. Elsewhere (the display list and the
    // window system's screens disagree) the frameless window is placed over
    // the display and kept above the others.
    if (QScreen *screen = screenOf(frame)) {
        m_win->setScreen(screen);
        m_win->showFullScreen();
    } else {
        m_win->show();
    }
    // Shown for the first time, it is on top already; the keys go to it.
    m_win->activateWindow();
}

void CalibWinCtrl::startRun()
{
    m_psscrn = calib::targetPoints(m_screct);
    // The view covers the window, which covers the display.
    // The crosshairs sit where the targets map into the window (y up in the
    // view): a touch at one maps back, through the same space, to its target.
    const QRectF window = platform::windowRectFromBounds(m_screct, m_displays, m_windowSpace);
    for (size_t i = 0; i < m_psscrn.size(); ++i) {
        const QPointF p = platform::windowPointFromBounds(m_psscrn[i], m_displays, m_windowSpace) - window.topLeft();
        m_psview[i] = QPointF(p.x(), window.height() - p.y());
    }
    view()->updatePS(m_psview);
    post({ { OVMCBegin, true } });
    setCursorHidden(true);

    // The driver takes edge readings only at orientation 0, read as the
    // driver reads it (a value it cannot use is 0).
    const quint64 degree = m_delegate
        ? truncatedUnsignedValue(m_delegate->calibConfiguration(OVCFGPenKey, OVCFGDegree)).value_or(0)
        : 0;
    m_steps.clear();
    if (degree == 0 || degree > 3) {
        for (qint64 edge = calib::kLeft; edge <= calib::kBottom; ++edge)
            m_steps.push_back(Step { edge, calib::kNone });
    }
    for (qint64 index = 0; index < calib::kTargetCount; ++index)
        m_steps.push_back(Step { calib::kNone, index });
    m_next = 0;
    nextStep();
}

void CalibWinCtrl::nextStep()
{
    if (m_next < m_steps.size()) {
        const Step step = m_steps[m_next++];
        m_psalid = false;
        view()->updateIN(step.index, step.edge);
        m_state = State::Waiting;
        if (step.edge != calib::kNone) {
            post({ { kEdgeKeys[step.edge], true } });
        } else {
            post({ { OVMCIndex, qint64(step.index) },
                { OVMCPoint, stringFromPoint(m_psscrn[size_t(step.index)]) } });
        }
        return;
    }
    view()->updateIN(calib::kNone, calib::kNone);
    m_state = State::Ended;
    post({ { OVMCEnd, true } });
    setCursorHidden(false);
}

void CalibWinCtrl::post(const QVariantMap &userInfo)
{
    m_platform.distributed.post(OVMCRequestDNotification, QString(), userInfo);
}

bool CalibWinCtrl::pointerOnCancel() const
{
    // The button in the window's logical pixels, taken back to the displays'
    // space the pointer is reported in.
    const QRectF window = platform::windowRectFromBounds(m_screct, m_displays, m_windowSpace);
    const QRectF button = QRectF(m_ibCancelBtn->geometry()).translated(window.topLeft());
    const QRectF cancel(platform::boundsPointFromWindow(button.topLeft(), m_displays, m_windowSpace),
        platform::boundsPointFromWindow(button.bottomRight(), m_displays, m_windowSpace));
    return area::containsHalfOpen(cancel, m_platform.displays.pointerPosition());
}

void CalibWinCtrl::monitorCalibResponse(const platform::Notification &notification)
{
    const QVariantMap &info = notification.userInfo;
    if (info.contains(OVMCValid) && m_state == State::Waiting) {
        const std::optional<bool> valid = truthValue(info.value(OVMCValid));
        if (!valid) {
            qCWarning(lcCalib, "cannot take the driver's answer: \"OVMCValid\" is not a Boolean");
        } else {
            m_psalid = *valid;
            // A touch on Cancel that the driver rejects is the user ending
            // the run, not a bad touch.
            if (!pointerOnCancel())
                m_ibIva->setVisible(!*valid);
            if (*valid)
                nextStep();
        }
    }
    if (info.contains(OVMCFinish) && (m_state == State::Ended || m_state == State::Finished)) {
        const std::optional<bool> success = truthValue(info.value(OVMCFinish));
        if (!success) {
            qCWarning(lcCalib, "cannot take the driver's result: \"OVMCFinish\" is not a Boolean");
            return;
        }
        showResult(*success);
    }
}

void CalibWinCtrl::showResult(bool success)
{
    m_state = State::Finished;
    m_ibSuc->move(m_ibIva->pos());
    m_ibFad->move(m_ibIva->pos());
    // The result takes the invalid-touch label's place.
    m_ibIva->hide();
    m_ibSuc->setVisible(success);
    m_ibFad->setVisible(!success);
    m_ibOKBtn->move(m_ibCancelBtn->pos());
    m_ibCancelBtn->hide();
    m_ibOKBtn->show();
    m_ibOKBtn->setFocus();
}

void CalibWinCtrl::close()
{
    m_state = State::Closed;
    m_platform.distributed.removeObserver(this);
    m_platform.local.removeObserver(this);
    view()->updateIN(calib::kNone, calib::kNone);
    m_win->hide();
    setCursorHidden(false);
}

void CalibWinCtrl::clickOK()
{
    if (m_state == State::Closed)
        return;
    close();
    m_platform.runLoop.after(0, this, [this] {
        if (m_delegate)
            m_delegate->desCalib();
    });
}

void CalibWinCtrl::clickCancel()
{
    if (m_state == State::Closed)
        return;
    post({ { OVMCCancel, true } });
    clickOK();
}

void CalibWinCtrl::perforESC()
{
    if (m_state == State::Closed)
        return;
    if (m_ibCancelBtn->isHidden())
        clickOK();
    else
        clickCancel();
}

void CalibWinCtrl::deviceDisconnectHideUI()
{
    clickCancel();
}

void CalibWinCtrl::cancelRun()
{
    if (m_state == State::Closed)
        return;
    if (m_state == State::Waiting)
        post({ { OVMCCancel, true } });
    close();
}

void CalibWinCtrl::setCursorHidden(bool hidden)
{
    if (hidden == m_cursorHidden || !m_win)
        return;
    m_cursorHidden = hidden;
    if (hidden)
        m_win->setCursor(Qt::BlankCursor);
    else
        m_win->unsetCursor();
}

} // namespace settings
