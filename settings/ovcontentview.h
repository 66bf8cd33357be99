#pragma once

#include <optional>

#include <QPointer>
#include <QWidget>

namespace settings {

// The main window's content view (device pop-up, tabs, commands). A press,
// drag or release of the pen or the mouse on a part of the window that no
// control takes reports the pressure, 0..1, to its delegate, the pen page
// shown, which displays it live: the pen's own pressure, a plain mouse 1.0
// while pressed and 0.0 at its release.
//
// The pen's tablet events only lend their pressure: they are left unaccepted,
// so that Qt turns them into mouse events that the controls under the pen
// take as usual. Only a mouse event that no control took reaches this view
// and is reported, so each pen sample is reported once, and never when a
// control handled it.
class OVContentView : public QWidget
{
    Q_OBJECT
public:
    explicit OVContentView(QWidget *parent = nullptr);

    // Held weakly. It receives bezierPressureDidChanged(float) when it has
    // such an invokable method.
    QObject *delegate() const { return m_delegate; }
    void setDelegate(QObject *delegate) { m_delegate = delegate; }
    bool mouseDowned() const { return m_mouseDowned; }

    // Sends the pressure to the delegate.
    void uppres(float pressure);

protected:
    void tabletEvent(QTabletEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    float pressureOf(const QMouseEvent *event) const;

    QPointer<QObject> m_delegate;
    bool m_mouseDowned = false;
    // The pressure of the pen's last tablet event, for the mouse events Qt
    // makes of it.
    std::optional<float> m_penPressure;
};

} // namespace settings
