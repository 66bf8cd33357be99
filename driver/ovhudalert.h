#pragma once

#include <functional>
#include <memory>

#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

#include "platform/displays.h"
#include "platform/runloop.h"

namespace platform {
struct Platform;
} // namespace platform

namespace driver {

class OVHUDWin;
class OVManager;
}

class QLabel;
class QWidget;

namespace driver {

// Screen rectangles of the notice and the wheel-function panel are worked out
// in frame space (origin at the bottom-left corner of the main display, y
// upward), where the layout rules are stated; Qt places windows in bounds
// space (origin top-left of the main display, y downward). These two are the
// only crossings between them. mainScreenHeight: the main display's height,
// 0 without one.
QRectF frameBottomLeftFromBoundsTopLeft(const QRectF &boundsTopLeft, double mainScreenHeight);
QRectF boundsTopLeftFromFrameBottomLeft(const QRectF &frameBottomLeft, double mainScreenHeight);

// The main display's height in points; 0 without a main display.
double mainScreenHeight(const QList<platform::DisplayInfo> &displays);

// What the screen look-up saw: the current device's monitor mapping and
// display id (both 0 without a current device) and the online displays.
struct NoticeScreenInput
{
    qint64 monitorMap = 0;
    quint32 monitorNumber = 0;
    QList<platform::DisplayInfo> displays;
};

// The screen rectangle in frame space: the display of a one-screen mapping
// (2), the main display for mappings 0 and 1 (zero without either), and
// `previous` for any other mapping value.
QRectF noticeScreenRect(const NoticeScreenInput &input, const QRectF &previous);

// The notice's geometry for one message, in frame space.
struct NoticeLayout
{
    QRectF window;
    double textWidth = 0;
};

namespace hud {
inline constexpr double kWidth = 260; // points, at creation
inline constexpr double kHeight = 60;
inline constexpr double kBottomGap = 140; // above the screen's bottom edge
inline constexpr double kTextX = 58; // the icon's right edge plus 10
inline constexpr double kTextY = 15;
inline constexpr double kTextHeight = 30;
inline constexpr double kTextWidth = kWidth - 48 - 20 - 10;
inline constexpr double kFontPixels = 18;
inline constexpr double kDismissSeconds = 1.5;
} // namespace hud

// messageWidth: the message measured in the notice's font. The text width is
// capped at half the screen less the fixed parts of the creation frame, so a
// long message is cut at the tail; never below 0.
NoticeLayout noticeLayout(const QRectF &screenFrame, double messageWidth);

// Observers of the driver's own windows, for the simulator's output: the text
// of every notice, and windows shown or hidden by name. Either may be empty.
struct WindowObservers
{
    std::function<void(const QString &text)> notice;
    std::function<void(const QString &name, bool shown)> window;
    // The firmware update's progress window changed: the stage, its text,
    // the bar's value (0..100) and whether the bar is determinate.
    std::function<void(int stage, const QString &text, double value, bool determinate)> progress;
};

// Shows or hides one of the driver's windows (nullptr without widgets) and
// reports it when `shown` changes.
void setWindowShown(
    QWidget *window, const QString &name, bool &shown, bool show, const WindowObservers &observers);

// The driver's on-screen notice: one floating panel for the whole program,
// made by the device manager at its start and kept until the manager's
// cleanup. It finds the current device through the manager and places itself
// on its displays. Callers decide whether a notice is wanted (the device's
// "OVCFGTips"); the panel shows what it is given. Main thread only.
class OVHUDAlert
{
public:
    OVHUDAlert(platform::Platform &platform, OVManager &manager);

    // Shows the message (a blank line when empty) for 1.5 s after the last one.
    void showInfo(const QString &message);
    // The current screen rectangle in frame space; the wheel-function panel
    // places itself in it.
    QRectF getWheelFunInfoScreenRect();

    // The name the notice's window is reported under.
    static QString windowName();
    // Loads the texts and the font that notices use; run once at start.
    static void loadWhatNoticesNeed(platform::Platform &platform);
    // Makes the window's native side and draws it once, hidden, so that the
    // first notice only places and maps it; run once at start.
    void prepareWindow();
    // Whether the window's native side exists (never without widgets).
    bool isWindowPrepared() const;

    // nullptr when the program has no widgets (a test without a QApplication).
    OVHUDWin *window() const { return m_window.get(); }
    QLabel *textf() const { return m_textf; }
    // The last message as shown (a blank for an empty one), the frame-space
    // frame it was laid out in, and whether the panel is on screen.
    QString text() const { return m_text; }
    QRectF frame() const { return m_frame; }
    bool isShown() const { return m_shown; }
    qint64 monitorMap() const { return m_monitorMap; }
    void setMonitorMap(qint64 map) { m_monitorMap = map; }
    // Looks the screen up afresh and keeps the result.
    QRectF mCurScreenRect();
    void setMCurScreenRect(const QRectF &rect) { m_curScreenRect = rect; }

    void showWindowToUpdateFrameWithMessage(const QString &message);
    void dismiss();

    ~OVHUDAlert();
    OVHUDAlert(const OVHUDAlert &) = delete;
    OVHUDAlert &operator=(const OVHUDAlert &) = delete;

private:
    void hudWinInit();

    platform::Platform &m_platform;
    OVManager &m_manager;
    std::unique_ptr<OVHUDWin> m_window;
    QLabel *m_textf = nullptr;
    QLabel *m_imageViewI = nullptr;
    QFont m_textfont; // measures the messages
    QString m_text;
    QRectF m_frame;
    bool m_shown = false;
    qint64 m_monitorMap = -1;
    QRectF m_curScreenRect;
    platform::RunLoop::TimerId m_dismissTimer = 0;
};

} // namespace driver
