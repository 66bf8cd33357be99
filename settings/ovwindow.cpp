#include "settings/ovwindow.h"

#include <QKeyEvent>
#include <QStackedLayout>

#include "platform/qtkeycodes.h"
#include "platform/notificationcenter.h"
#include "store/ovpublicdefine.h"

namespace settings {

OVWindow::OVWindow(platform::NotificationCenter &local, QWidget *parent)
    : QWidget(parent)
    , m_local(local)
{
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
}

QWidget *OVWindow::contentView() const
{
    QWidget *shown = m_stack->currentWidget();
    return shown && !shown->isHidden() ? shown : nullptr;
}

void OVWindow::setContentView(QWidget *view)
{
    if (!view) {
        if (QWidget *shown = m_stack->currentWidget())
            shown->hide();
        return;
    }
    if (m_stack->indexOf(view) < 0)
        m_stack->addWidget(view);
    m_stack->setCurrentWidget(view);
    view->show();
}

void OVWindow::setAcceptsMouseMovedEvents(bool accepts)
{
    m_acceptsMouseMoved = accepts;
    setMouseTracking(accepts);
}

void OVWindow::keyPressEvent(QKeyEvent *event)
{
    // Accepted in every case: the press ends here, like any key the window
    // has no use for.
    event->accept();
    // Modifier keys alone are changes of the held flags, not key presses.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return;
    default:
        break;
    }
    const auto code = platform::macKeyForKeyPress(event->key(), event->modifiers(), event->nativeScanCode());
    if (!code)
        return;
    m_local.post(store::WindowKeyDownNoti, QString::number(*code));
}

} // namespace settings
