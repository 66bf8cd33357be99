#pragma once

#include <array>

#include <QString>

class QLabel;

namespace controls {
class OrvaneBox;
class OrvaneRadioButton;
class OrvaneTextField;
} // namespace controls

namespace settings::pagelayout {

// The pieces the pages' layouts are built of, so that every page draws them
// alike.

// A titled box of the control kit.
controls::OrvaneBox *box(const QString &title);

// A label in the kit's small text (12 points): slider ends, units, hints.
QLabel *smallLabel(const QString &text);

// A radio button with the given object name. The page keeps the choice
// itself, so the button is not auto-exclusive: the initialisers may turn
// every button of a group off.
controls::OrvaneRadioButton *radio(const QString &title, const char *name);

// A number field of the area pages (x, y, width, height) with the given
// object name and a fixed width, pixels.
controls::OrvaneTextField *numberField(const char *name, int width);

// The orientation box of the pen and tablet pages: four radio buttons
// "0°", "90°", "180°", "270°" in a row, stored in the outlets, in that order,
// with the object names "ibZDBtn", "ibNDBtn", "ibOEDBtn" and "ibTSDBtn".
controls::OrvaneBox *orientationBox(const QString &title, const std::array<controls::OrvaneRadioButton **, 4> &outlets);

} // namespace settings::pagelayout
