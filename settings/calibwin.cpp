#include "settings/calibwin.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "platform/notificationcenter.h"
#include "platform/qtkeycodes.h"
#include "settings/calibview.h"
#include "store/ovpublicdefine.h"

namespace settings {

CalibWin::CalibWin(platform::NotificationCenter &local, std::function<void()> escape, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_local(local)
    , m_escape(std::move(escape))
{
    setObjectName(QStringLiteral("CalibWin"));
    // The main window's close still ends the application while this one is up.
    setAttribute(Qt::WA_QuitOnClose, false);
    m_view = new CalibView(this);
    m_view->setObjectName(QStringLiteral("CalibView"));
    m_local.observe(store::WindowKeyDownNoti, this, [this](const platform::Notification &n) {
        bool number = false;
        if (n.object.toUInt(&number) == kEscapeKeyCode && number && m_escape)
            m_escape();
    });
    m_hasAddNoti = true;
}

CalibWin::~CalibWin()
{
    m_local.removeObserver(this);
}

void CalibWin::keyPressEvent(QKeyEvent *event)
{
    const auto code = platform::macKeyForKeyPress(event->key(), event->modifiers(), event->nativeScanCode());
    event->accept();
    if (code == kEscapeKeyCode && m_escape)
        m_escape();
}

void CalibWin::closeEvent(QCloseEvent *event)
{
    // A close from outside (the window manager's, or the application's end
    // closing every window) is taken as the Escape key, and the window goes
    // at once: refusing it would keep the application from quitting. The
    // controller ends the run with the driver either way.
    event->accept();
    if (m_escape)
        m_escape();
}

void CalibWin::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
}

} // namespace settings
