#pragma once

#include <array>
#include <memory>
#include <vector>

#include <QObject>
#include <QRectF>
#include <QString>
#include <QVariant>

#include "platform/windowspace.h"
#include "settings/calibgeometry.h"

class QLabel;
class QWidget;

namespace platform {
struct Desktop;
struct Notification;
} // namespace platform

namespace controls {
class OrvaneButton;
}

namespace settings {

class CalibView;
class CalibWin;

// What the calibration window asks of the page that opened it (the tablet
// page): the configuration of that page's own device, and to be dropped.
class CalibWinDelegate
{
public:
    virtual ~CalibWinDelegate() = default;
    virtual QVariant calibConfiguration(const QString &category, const QString &key) const = 0;
    // The window has gone: the delegate clears the controller's delegate and
    // drops it.
    virtual void desCalib() = 0;
};

// The settings application's side of a pen display's calibration run. It
// covers the pen display with a window above all others and walks the run as
// a sequence of steps on the main loop, each posted to the driver as an
// "OVMCRequestDNotification" and advanced by the driver's answer:
//
//   begin --> [edges 0..3, orientation 0 only] --> points 0..4 --> end --> result
//              each step waits for "OVMCValid" YES; NO keeps it waiting
//
// The driver answers at each pen-down of a pen display during a step, and
// "OVMCFinish" after the end. Nothing polls: a step waits until an answer
// arrives, without a time limit, as the user may take as long as they like.
//
// Endings: OK (after the result), Cancel, Escape (Cancel before the result,
// OK after it), the device-disconnect notice (as Cancel). cancelRun() ends a
// run that is still waiting with "OVMCCancel" too: the page calls it when its
// device goes or the application ends, so that the driver never stays in a
// run. Once closed, nothing more is posted.
class CalibWinCtrl : public QObject
{
    Q_OBJECT
public:
    // Made by the tablet page with the layout "CalibWinCtrl"; the run starts
    // on the next turn (calibInit()).
    CalibWinCtrl(platform::Desktop &platform, const QString &nibName, CalibWinDelegate *delegate,
        QObject *parent = nullptr);
    ~CalibWinCtrl() override;

    void setDelegate(CalibWinDelegate *delegate) { m_delegate = delegate; }
    CalibWinDelegate *delegate() const { return m_delegate; }

    enum class State {
        Opening, // before calibInit()
        Waiting, // a step waits for the driver's YES
        Ended, // "OVMCEnd" posted, the result not yet in
        Finished, // the result shown with OK
        Closed, // ordered out; nothing more is posted
    };
    State state() const { return m_state; }

    // Chooses the display, places and shows the window, starts the run.
    void calibInit();
    void clickOK();
    void clickCancel();
    void perforESC();
    void deviceDisconnectHideUI();
    // "OVMCCancel" when a step still waits, then the window goes (without
    // asking the delegate: the caller is dropping the controller).
    void cancelRun();
    void monitorCalibResponse(const platform::Notification &notification);

    // The layout's controls and the window.
    CalibWin *window() const { return m_win.get(); }
    CalibView *view() const;
    QLabel *ibSuc() const { return m_ibSuc; }
    QLabel *ibFad() const { return m_ibFad; }
    QLabel *ibIva() const { return m_ibIva; }
    controls::OrvaneButton *ibOKBtn() const { return m_ibOKBtn; }
    controls::OrvaneButton *ibCancelBtn() const { return m_ibCancelBtn; }

    // The target display in the global display space, and the five targets.
    QRectF screct() const { return m_screct; }
    const std::array<QPointF, calib::kTargetCount> &psscrn() const { return m_psscrn; }
    // The driver accepted the current step.
    bool psalid() const { return m_psalid; }

private:
    struct Step
    {
        qint64 edge = calib::kNone;
        qint64 index = calib::kNone;
    };

    void buildWindow();
    // Places the labels and buttons for the window's size.
    void layoutControls();
    void showOnDisplay(const QRectF &display, const QList<platform::DisplayInfo> &displays);
    void startRun();
    void nextStep();
    void post(const QVariantMap &userInfo);
    void showResult(bool success);
    void close();
    void setCursorHidden(bool hidden);
    bool pointerOnCancel() const;
    QString text(const QString &key) const;

    platform::Desktop &m_platform;
    CalibWinDelegate *m_delegate;
    std::unique_ptr<CalibWin> m_win;
    QLabel *m_ibSuc = nullptr;
    QLabel *m_ibFad = nullptr;
    QLabel *m_ibIva = nullptr;
    controls::OrvaneButton *m_ibOKBtn = nullptr;
    controls::OrvaneButton *m_ibCancelBtn = nullptr;

    State m_state = State::Opening;
    QRectF m_screct;
    // The displays and the window system's space the window was placed by.
    QList<platform::DisplayInfo> m_displays;
    platform::WindowSpace m_windowSpace;
    std::array<QPointF, calib::kTargetCount> m_psscrn {};
    std::array<QPointF, calib::kTargetCount> m_psview {};
    std::vector<Step> m_steps;
    size_t m_next = 0; // the step posted next
    bool m_psalid = false;
    bool m_cursorHidden = false;
};

} // namespace settings
