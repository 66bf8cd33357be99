#pragma once

#include <QColor>
#include <QRectF>
#include <QSize>
#include <QString>

#include "controls/kitgeometry.h"

class QPainter;
class QWidget;

// Drawing steps that several controls of the kit share.
namespace controls {

void fillRounded(QPainter &painter, const RoundedRect &shape, const QColor &color);
// A title in the kit's 14-pixel font, left-aligned and vertically centred,
// with its mnemonic underlined when the platform shows mnemonics.
void drawButtonTitle(
    QPainter &painter, const QWidget &widget, QRectF rect, const QString &title, const QColor &color);
// The device-pixel ratio of what `painter` really paints on (also when a
// widget is rendered into an image of another density).
qreal paintRatio(const QPainter &painter);
// Qt::TextShowMnemonic or Qt::TextHideMnemonic, as the widget's style shows them.
int mnemonicFlag(const QWidget &widget);
// The keyboard-focus mark of a titled control without a ring of its own (check
// box, radio button): a light-green frame around its title.
void drawTitleFocus(QPainter &painter, QRectF rect, const QString &title);
// A menu item: light green with a white title when highlighted, white with a
// black title otherwise, the tick when it is on. The menus' item views and
// the pop-up buttons' lists both draw their items this way.
void drawMenuItem(QPainter &painter, QRectF bounds, const QString &title, bool highlighted, bool on);
// Size of a check box or radio button `height` high with its title.
QSize titledButtonSizeHint(int height, const QString &title);
// The title colour of a control: `color`, or grey while the control is disabled.
QColor titleColor(const QWidget &widget, const QColor &color);

} // namespace controls
