#pragma once

#include <QColor>
#include <QFont>
#include <QLoggingCategory>
#include <QString>

class QWidget;

Q_DECLARE_LOGGING_CATEGORY(lcControls)

// What every control of the kit shares: its colours, its font and how it
// learns its variant.
namespace controls {

// sRGB, alpha 1.
inline QColor grey(int level)
{
    return QColor(level, level, level);
}
inline const QColor kGreen(30, 115, 71);
inline const QColor kLightGreen(51, 176, 108);
inline const QColor kWhite(255, 255, 255);
inline const QColor kBlack(0, 0, 0);

// The system font at `pixelSize` logical pixels (the kit's "14-point" titles
// are 14 pixels at a device-pixel ratio of 1).
QFont kitFont(int pixelSize = 14);

// The dynamic property that names a control's variant ("Orvane.Highlight",
// "Orvane.HLine", "Orvane.Main", "NeedSelectDidChanged"...). A page sets it
// before the control is first shown; the control reads it once, when it is
// polished, and keeps that variant.
inline constexpr char kIdentifierProperty[] = "identifier";
void setIdentifier(QWidget *widget, const QString &identifier);
QString identifierOf(const QWidget *widget);

} // namespace controls
