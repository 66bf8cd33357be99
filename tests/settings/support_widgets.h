#pragma once

#include <QEvent>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include "platform/support_displays.h"

class QWidget;

// What the page and view tests share.

// Saves a render as renders/NAME.png under the build folder ($OV_BUILD_DIR,
// else the temporary folder); false when it cannot.
bool saveRender(const QImage &image, const QString &name);

// Every control lies inside the window and none over another; otherwise the
// object names of the first control out of place (and the one it covers).
QString layoutFault(QWidget *window, const QList<QWidget *> &controls);

// A left-button event at a point of the widget: pressed for a press and a
// move, released for a release.
void sendMouse(QWidget *widget, QEvent::Type type, QPointF local);
// A move with no button held.
void hoverMouse(QWidget *widget, QPointF local);
