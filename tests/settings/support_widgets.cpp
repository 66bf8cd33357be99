#include "support_widgets.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QWidget>

bool saveRender(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QLatin1String("/renders");
    return QDir().mkpath(folder) && image.save(folder + QLatin1Char('/') + name + QLatin1String(".png"));
}

QString layoutFault(QWidget *window, const QList<QWidget *> &controls)
{
    for (QWidget *control : controls) {
        const QRect r(control->mapTo(window, QPoint()), control->size());
        if (!window->rect().contains(r))
            return control->objectName();
        for (QWidget *other : controls) {
            const QRect o(other->mapTo(window, QPoint()), other->size());
            if (other != control && r.intersects(o))
                return control->objectName() + QLatin1Char('/') + other->objectName();
        }
    }
    return QString();
}

namespace {

void send(QWidget *widget, QEvent::Type type, QPointF local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

void sendMouse(QWidget *widget, QEvent::Type type, QPointF local)
{
    send(widget, type, local, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
}

void hoverMouse(QWidget *widget, QPointF local)
{
    send(widget, QEvent::MouseMove, local, Qt::NoButton, Qt::NoButton);
}
