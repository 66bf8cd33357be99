#pragma once

#include <optional>

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

// Where each control of the kit draws what, as pure functions of its size
// and state. All rectangles are in the control's own logical pixels, origin
// top-left. Text positions that the look fixes as the text's lower-left
// corner in a bottom-up view are converted here, once, to a top-left corner
// for a line `lineHeight` high.
namespace controls {

struct RoundedRect
{
    QRectF rect;
    double radius = 0;
    bool operator==(const RoundedRect &) const = default;
};

// Push button: a 1-pixel ring of the ring colour around the fill.
RoundedRect buttonRing(QRectF frame);
RoundedRect buttonFill(QRectF frame);

// Check box of height h: its square, the white inside that leaves the ring
// when off (and mixed), the area of the tick when on.
RoundedRect checkBoxSquare(double h);
RoundedRect checkBoxInside(double h);
QRectF checkBoxTickRect(double h);
// Radio button of height h: the outer disc, and the white centre (a 4-pixel
// ring when on, a 1.25-pixel ring when off).
QRectF radioOuter(double h);
QRectF radioCentre(double h, bool on);
// Title of a check box or radio button in a frame whose image is as wide as
// the frame is high: after the image and the usual 2-pixel gap, moved 2 more
// to the right.
QRectF buttonTitleRect(QRectF frame);

// Slider. The knob's rectangle is kSliderKnobBox square; the bar runs between
// the centres of the knob at its two ends, so the value part ends under the
// knob's centre.
inline constexpr double kSliderKnobBox = 21;
inline constexpr double kSliderKnobDiameter = 17;
inline constexpr double kSliderBarThickness = 4;
inline constexpr double kSliderTickLength = 5;
// The layout's natural heights (19 and 25) grown by 2 without and by 5 with
// tick marks, so the kit's larger knob and its ring fit.
double sliderHeight(bool hasTickMarks);
QRectF sliderBarRect(QSizeF size, bool hasTickMarks);
// The bar as drawn: one pixel taller above and below, radius 3.
RoundedRect sliderTrack(QRectF bar);
// The green part for the value as a fraction of the bar; none with tick
// marks, and none when it would be 3 pixels wide or less. The fraction is
// clamped to 0..1.
std::optional<RoundedRect> sliderValuePart(QRectF bar, double fraction, bool hasTickMarks);
QRectF sliderKnobRect(QSizeF size, double fraction, bool hasTickMarks);
// The 17-pixel disc centred in the knob rectangle, one pixel lower with
// tick marks.
QRectF sliderKnobCircle(QRectF knobRect, bool hasTickMarks);
// x of tick mark i of n along the bar; n < 2 puts one in the middle.
double sliderTickX(QRectF bar, int index, int count);
// The fraction of the bar under x, clamped to 0..1.
double sliderFractionAt(QRectF bar, double x);

// Progress bar: the filled width of the inner area (the view inset by 1),
// value x inner width / maximum, clamped to the inner width; 0 for a
// maximum of 0 or less or a value of 0 or less. Widths up to 0.001 draw
// nothing.
double progressFillWidth(double value, double maximum, double innerWidth);
RoundedRect progressRing(QRectF bounds);
RoundedRect progressInside(QRectF bounds);

// Text field: the ring (2 pixels while focused, 1 otherwise) and the
// rectangle of the text, which the editor shares.
RoundedRect textFieldRing(QRectF frame);
RoundedRect textFieldInside(QRectF frame, bool focused);
QRectF textFieldTextRect(QRectF frame);

// Box. The line variants fill a strip of their bounds; a panel box draws a
// grey rounded panel below a 22-pixel title band.
enum class BoxKind { Panel, HLine, VLine, VBLine };
BoxKind boxKindFor(const QString &identifier);
inline constexpr double kBoxTitleBand = 22;
QRectF boxLineRect(BoxKind kind, QRectF bounds);
RoundedRect boxPanel(QRectF bounds);
QPointF boxTitleTopLeft(double lineHeight);

// Menu item views: 100 x 22 at first, widened to their menu.
inline constexpr QSize kMenuItemSize(100, 22);
QRectF menuItemTitleRect(QRectF bounds);
QPointF menuItemTickTopLeft(QRectF bounds, double lineHeight);

// Closed pop-up button. The cap image is as large as the frame inset by 1;
// its rightmost 32 pixels are drawn at the right end of that inset frame.
inline constexpr double kPopUpCapWidth = 32;
RoundedRect popUpRing(QRectF frame);
RoundedRect popUpInside(QRectF frame);
QRectF popUpCapSource(QSizeF capSize);
QPointF popUpCapTarget(QRectF frame);
// The two chevrons in the cap image, upright above, flipped below, for a
// chevron text of size `chevron`.
QPointF popUpChevronUp(QSizeF capSize, QSizeF chevron);
QPointF popUpChevronDown(QSizeF capSize, QSizeF chevron);
// The title: 10 pixels in from the left, 1 taller, and 2 lower than the
// platform places it (2 above centre), so centred; it stops short of the cap.
QRectF popUpTitleRect(QRectF frame, double lineHeight);

// Tab view. Tabs of one size sit side by side, centred at the top edge.
inline constexpr char kTabViewMain[] = "Orvane.Main"; // one picture per tab
inline constexpr char kTabViewActCus[] = "Orvane.ActCus"; // text labels
QSize tabSizeFor(const QString &identifier);
QRectF tabRect(int index, int count, double viewWidth, QSize tabSize);
QRectF tabStripRect(int count, double viewWidth, QSize tabSize);
// Index of the tab under `point`, or -1.
int tabAt(QPointF point, int count, double viewWidth, QSize tabSize);
// The panel: below the middle of the strip, leaving a 3-pixel margin around
// it; the area it leaves out is a rounded rectangle of radius r + 3.
QRectF tabPanelRect(QSizeF viewSize, QSize tabSize);
RoundedRect tabPanelCutOut(int count, double viewWidth, QSize tabSize);
// "T1S", "T2N": the picture of tab `index` (from 0), S when selected.
QString tabPictureName(int index, bool selected);
// A label's lines: split at each backslash followed by n (two characters).
QStringList tabLabelLines(const QString &label);
// Top-left corner of each line, for line sizes measured in the tab font.
QList<QPointF> tabLabelLinePositions(QRectF tab, const QList<QSizeF> &lineSizes);

} // namespace controls
