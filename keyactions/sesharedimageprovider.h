#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

class QPainter;

namespace keyactions {

// The recorder's two small buttons as images, drawn from vectors and kept
// for the life of the program: the snapback arrow ("SESnapback") and the
// round remove cross in its three looks ("SERemoveShortcut",
// "SERemoveShortcutRollover", "SERemoveShortcutPressed"). All are 14 x 14
// points, drawn at twice that many pixels so that they stay sharp on a
// high-density screen.
class SESharedImageProvider
{
public:
    // The image of that name (the same one each time); a null image for an
    // unknown name.
    static QImage supportingImageWithName(const QString &name);

    // The size of an image in points (0 x 0 for an unknown name).
    static QSizeF sizeForImageName(const QString &name);

    // The drawings, into a painter whose area is size (w, h) points.
    static void drawSnapback(QPainter &painter, QSizeF size);
    // A filled circle, black at 1 - opacity, and a white cross.
    static void drawRemoveShortcutBox(QPainter &painter, QSizeF size, double opacity);
};

} // namespace keyactions
