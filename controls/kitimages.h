#pragma once

#include <QPixmap>
#include <QString>

namespace controls {

// The settings application's pictures, looked up by name in the resource
// folder's images/ (NAME.svg, else NAME.png; a name given as "Pen.png" finds
// Pen.svg or Pen.png): drawn at the picture's own size
// in logical pixels, sharp at `devicePixelRatio`. A null pixmap, and one log
// line per name, when there is no such picture.
QPixmap imageNamed(const QString &name, qreal devicePixelRatio = 1);
// The folder searched; $OV_RESOURCES/images when set.
QString imagesFolder();

} // namespace controls
