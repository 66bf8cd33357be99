#pragma once

#include <functional>

#include <QWidget>

namespace platform {
class NotificationCenter;
}

namespace settings {

class CalibView;

// The calibration window: frameless, above all others, its content a
// CalibView. Escape (mac key code 53) pressed in it, or reported by the main
// window's local "WindowKeyDownNoti" (whatever has the focus there), calls
// `escape`; so does a close from outside (the window manager's, or the
// application's end), which closes it at once, since a run must not end
// without the driver hearing of it. Other keys do nothing.
class CalibWin : public QWidget
{
    Q_OBJECT
public:
    CalibWin(platform::NotificationCenter &local, std::function<void()> escape, QWidget *parent = nullptr);
    ~CalibWin() override;

    CalibView *contentView() const { return m_view; }
    // The key-down observer is registered.
    bool hasAddNoti() const { return m_hasAddNoti; }

    static constexpr quint16 kEscapeKeyCode = 53;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    platform::NotificationCenter &m_local;
    std::function<void()> m_escape;
    CalibView *m_view = nullptr;
    bool m_hasAddNoti = false;
};

} // namespace settings
