#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class QWidget;

// Renders of the kit's controls: each control is grabbed at its size (for
// pixel samples) and saved under $OV_BUILD_DIR/renders/controls/ as NAME.png,
// with a copy at three times the density (NAME@3x.png) to look at.
QImage renderControl(QWidget &widget, const QString &name);
// Saves every control rendered so far, at three times the density and named,
// on one sheet (NAME.png) to look at, and starts a new sheet.
void saveRenderSheet(const QString &name);
// Shows `widget`'s window, makes it the active window and gives `widget` the
// keyboard focus as Tab would.
bool focusByTab(QWidget &widget);
// Colours within `tolerance` per component (antialiased edges, rounding).
bool near(QColor got, QColor expected, int tolerance = 4);
QString describe(QColor color);
