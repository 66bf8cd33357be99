#include "controls/kitstyle.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

Q_LOGGING_CATEGORY(lcControls, "ov.controls")

namespace controls {

QFont kitFont(int pixelSize)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    return font;
}

void setIdentifier(QWidget *widget, const QString &identifier)
{
    widget->setProperty(kIdentifierProperty, identifier);
}

QString identifierOf(const QWidget *widget)
{
    return widget->property(kIdentifierProperty).toString();
}

} // namespace controls
