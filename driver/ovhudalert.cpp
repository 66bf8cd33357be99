#include "ovhudalert.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "driver/ovhudwin.h"
#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "driver/settingsreload.h"
#include "platform/platform.h"
#include "platform/strings.h"
#include "platform/windowspace.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "store/plistvalue.h"

namespace driver {

namespace {

// Widgets need a QApplication; a driver test built without one still runs
// the notice's rules, only nothing is drawn.
bool canMakeWindows()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

// Fonts need a QGuiApplication; without one a message measures 0 and the
// notice takes its narrowest frame.
double messageWidth(const QFont &font, const QString &message)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 0;
    return QFontMetricsF(font).horizontalAdvance(message);
}

// The program's icon when the desktop gave it one, else the product's own
// mark: a tablet with its pen, in the notice's text colour.
QPixmap applicationIcon(int size, const QColor &colour)
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        return icon.pixmap(size, size);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, size / 12.0));
    painter.setBrush(Qt::NoBrush);
    const double m = size / 8.0;
    painter.drawRoundedRect(QRectF(m, m * 2, size - 2 * m, size - 4 * m), m, m);
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(size - 2.2 * m, size / 2.0), m * 0.7, m * 0.7);
    painter.drawLine(QPointF(m * 2, size - m * 3), QPointF(size / 2.0, m * 3));
    return pixmap;
}

const QColor kTextColour = QColor::fromRgbF(35 / 255.0, 126 / 255.0, 91 / 255.0, 1);

QFont noticeFont()
{
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(int(hud::kFontPixels));
    return font;
}

} // namespace

// What the first notice would otherwise load on the event path of the key
// that shows it, a barrel button's first press: the default string table,
// where the notices' texts come from, and the font database with the
// notice's font (about a second under emulation, while every report behind
// the press waits). The device manager prepares the window as well.
void OVHUDAlert::loadWhatNoticesNeed(platform::Platform &platform)
{
    platform.strings.text(QString()); // any key reads the whole table
    messageWidth(noticeFont(), QStringLiteral("Orvane"));
}

void OVHUDAlert::prepareWindow()
{
    if (!m_window)
        return;
    // The native window and the first drawing of the panel with its icon's
    // effect and the font's common glyphs: made on the first notice they
    // took about 13 of its 18 ms on an X server (190 ms of a barrel-button
    // press under emulation, 80 to 100 ms left with them made here), on
    // the event path of the button that showed it.
    m_window->winId();
    m_textf->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789"));
    m_window->grab();
    m_textf->clear();
}

bool OVHUDAlert::isWindowPrepared() const
{
    return m_window && m_window->testAttribute(Qt::WA_WState_Created);
}

QRectF frameBottomLeftFromBoundsTopLeft(const QRectF &boundsTopLeft, double mainScreenHeight)
{
    return QRectF(boundsTopLeft.x(), mainScreenHeight - boundsTopLeft.y() - boundsTopLeft.height(),
        boundsTopLeft.width(), boundsTopLeft.height());
}

QRectF boundsTopLeftFromFrameBottomLeft(const QRectF &frameBottomLeft, double mainScreenHeight)
{
    return QRectF(frameBottomLeft.x(), mainScreenHeight - frameBottomLeft.y() - frameBottomLeft.height(),
        frameBottomLeft.width(), frameBottomLeft.height());
}

double mainScreenHeight(const QList<platform::DisplayInfo> &displays)
{
    for (const platform::DisplayInfo &display : displays) {
        if (display.main)
            return display.bounds.height();
    }
    return 0;
}

QRectF noticeScreenRect(const NoticeScreenInput &input, const QRectF &previous)
{
    const double mainHeight = mainScreenHeight(input.displays);
    QRectF mainFrame;
    QRectF mappedFrame;
    for (const platform::DisplayInfo &display : input.displays) {
        const QRectF frame = frameBottomLeftFromBoundsTopLeft(display.bounds, mainHeight);
        if (display.id == input.monitorNumber && mappedFrame.isNull())
            mappedFrame = frame;
        if (display.main && mainFrame.isNull())
            mainFrame = frame;
    }
    switch (input.monitorMap) {
    case 2:
        // A display that is not online has no rectangle: the zero one.
        return mappedFrame;
    case 0:
    case 1:
        return mainFrame;
    default:
        return previous;
    }
}

NoticeLayout noticeLayout(const QRectF &screenFrame, double messageWidth)
{
    // The limit comes from the creation frame, not from the frame the last
    // message left behind: otherwise one long message would shrink the room
    // of every later one, and on a narrow screen turn it negative.
    const double limit = screenFrame.width() / 2 - hud::kWidth / 2 - hud::kTextX - 10;
    NoticeLayout layout;
    layout.textWidth = std::max(0.0, std::min(messageWidth + 10, limit));
    const double width = layout.textWidth + hud::kTextX + 10;
    layout.window = QRectF(
        screenFrame.center().x() - width / 2, screenFrame.y() + hud::kBottomGap, width, hud::kHeight);
    return layout;
}

OVHUDAlert::OVHUDAlert(platform::Platform &platform, OVManager &manager)
    : m_platform(platform)
    , m_manager(manager)
{
    hudWinInit();
}

OVHUDAlert::~OVHUDAlert()
{
    m_platform.runLoop.cancelAll(this);
}

void setWindowShown(
    QWidget *window, const QString &name, bool &shown, bool show, const WindowObservers &observers)
{
    if (window)
        window->setVisible(show);
    if (shown == show)
        return;
    shown = show;
    if (observers.window)
        observers.window(name, show);
}

QString OVHUDAlert::windowName()
{
    return QStringLiteral("OVHUDAlert");
}

void OVHUDAlert::hudWinInit()
{
    OVHUDAlert *alert = this;
    alert->m_textfont = noticeFont();
    if (canMakeWindows()) {
        // Frame space and bounds space agree inside this window: both
        // subviews sit symmetrically in its 60-point height.
        auto window = std::make_unique<OVHUDWin>(QColor::fromRgbF(0.9, 0.9, 0.9, 0.4), 15);
        window->setObjectName(windowName());
        window->resize(int(hud::kWidth), int(hud::kHeight));
        auto *image = new QLabel(window.get());
        image->setGeometry(12, 12, 36, 36);
        image->setScaledContents(true);
        image->setPixmap(applicationIcon(72, kTextColour));
        auto *opacity = new QGraphicsOpacityEffect(image);
        opacity->setOpacity(0.6);
        image->setGraphicsEffect(opacity);
        auto *text = new QLabel(window.get());
        text->setGeometry(int(hud::kTextX), int(hud::kTextY), int(hud::kTextWidth), int(hud::kTextHeight));
        text->setFont(alert->m_textfont);
        text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        text->setTextInteractionFlags(Qt::NoTextInteraction);
        QPalette palette = text->palette();
        palette.setColor(QPalette::WindowText, kTextColour);
        text->setPalette(palette);
        alert->m_imageViewI = image;
        alert->m_textf = text;
        alert->m_window = std::move(window);
    }
    alert->m_monitorMap = -1;
    alert->m_curScreenRect = QRectF();
}

void OVHUDAlert::showInfo(const QString &message)
{
    showWindowToUpdateFrameWithMessage(message);
}

QRectF OVHUDAlert::getWheelFunInfoScreenRect()
{
    return mCurScreenRect();
}

QRectF OVHUDAlert::mCurScreenRect()
{
    // The current device is the one the settings application shows, which
    // need not be the device whose key was pressed.
    NoticeScreenInput input;
    if (OVService *service = m_manager.getCurService()) {
        if (store::OVPublicObject *config = service->configMan()) {
            // Values of another kind read as 0, as absent ones do.
            input.monitorMap = qint64(store::truncatedUnsignedValue(
                config->queryConfiguration(store::OVCFGMonitor, store::OVCFGMonitorMap))
                                          .value_or(0));
            input.monitorNumber = quint32(store::truncatedUnsignedValue(
                config->queryConfiguration(store::OVCFGMonitor, store::OVCFGMonitorNumber))
                                              .value_or(0));
        }
    }
    input.displays = m_platform.displays.displays();
    m_curScreenRect = noticeScreenRect(input, m_curScreenRect);
    m_monitorMap = input.monitorMap;
    return m_curScreenRect;
}

void OVHUDAlert::showWindowToUpdateFrameWithMessage(const QString &message)
{
    const QRectF screen = mCurScreenRect();
    const NoticeLayout layout = noticeLayout(screen, messageWidth(m_textfont, message));
    m_frame = layout.window;
    m_text = message.isEmpty() ? QStringLiteral(" ") : message;
    if (m_window) {
        m_textf->setGeometry(
            int(hud::kTextX), int(hud::kTextY), int(layout.textWidth), int(hud::kTextHeight));
        m_textf->setText(
            QFontMetricsF(m_textfont).elidedText(m_text, Qt::ElideRight, std::max(0.0, layout.textWidth)));
        const QRectF bounds = boundsTopLeftFromFrameBottomLeft(
            layout.window, mainScreenHeight(m_platform.displays.displays()));
        const QList<platform::DisplayInfo> displays = m_platform.displays.displays();
        m_window->setGeometry(
            platform::windowRectFromBounds(bounds, displays, m_platform.displays.windowSpace()).toRect());
    }
    if (m_manager.windowObservers().notice)
        m_manager.windowObservers().notice(m_text);
    setWindowShown(m_window.get(), windowName(), m_shown, true, m_manager.windowObservers());
    m_platform.runLoop.cancel(m_dismissTimer);
    m_dismissTimer = m_platform.runLoop.after(hud::kDismissSeconds, this, [this] { dismiss(); });
}

void OVHUDAlert::dismiss()
{
    m_platform.runLoop.cancel(m_dismissTimer);
    m_dismissTimer = 0;
    setWindowShown(m_window.get(), windowName(), m_shown, false, m_manager.windowObservers());
}

} // namespace driver
