#pragma once

#include <QWidget>

class QStackedLayout;

namespace platform {
class NotificationCenter;
}

namespace settings {

// The main window. Swaps its content between the device pop-up with the tabs
// and the no-device view, and turns every key press that no view of the
// window took into the local notice "WindowKeyDownNoti": the calibration
// window listens for Escape that way, whatever has the focus. The press goes
// no further.
class OVWindow : public QWidget
{
    Q_OBJECT
public:
    explicit OVWindow(platform::NotificationCenter &local, QWidget *parent = nullptr);

    // The shown content. A view given once stays a child of the window (hidden
    // while another is shown), so the delegate may swap the same two views back
    // and forth; null shows nothing.
    QWidget *contentView() const;
    void setContentView(QWidget *view);

    // Whether pointer moves without a pressed button are wanted: on for the
    // monitor and tablet area tabs, whose views follow the pointer and read
    // this when they turn on their own tracking; the window tracks it itself.
    bool acceptsMouseMovedEvents() const { return m_acceptsMouseMoved; }
    void setAcceptsMouseMovedEvents(bool accepts);

protected:
    // Posts "WindowKeyDownNoti" with the mac key code of the key, as decimal
    // text in the notice's object (userInfo empty). Modifier keys alone, and
    // keys without a mac key code, post nothing.
    void keyPressEvent(QKeyEvent *event) override;

private:
    platform::NotificationCenter &m_local;
    QStackedLayout *m_stack = nullptr;
    bool m_acceptsMouseMoved = false;
};

} // namespace settings
