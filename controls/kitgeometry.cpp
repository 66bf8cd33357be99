#include "controls/kitgeometry.h"

#include <algorithm>
#include <cmath>

namespace controls {

namespace {

constexpr double kButtonRadius = 12;
constexpr double kCheckBoxRadius = 3;
constexpr double kSliderTrackRadius = 3;
constexpr double kSliderValuePartMin = 3; // narrower value parts are not drawn
constexpr double kProgressRadius = 10;
constexpr double kTextFieldRadius = 11;
constexpr double kBoxRadius = 8;
constexpr double kPopUpRadius = 12;

double clamp01(double fraction)
{
    // NaN reads as 0.
    return fraction > 0 ? std::min(fraction, 1.0) : 0.0;
}

QRectF centred(QRectF outer, double diameter)
{
    const QPointF centre = outer.center();
    return QRectF(centre.x() - diameter / 2, centre.y() - diameter / 2, diameter, diameter);
}

// The knob's box: centred in the height without tick marks; with them, the
// knob and the marks below it are centred as one block.
double sliderKnobTop(QSizeF size, bool hasTickMarks)
{
    return (size.height() - (hasTickMarks ? sliderHeight(true) : kSliderKnobBox)) / 2;
}

} // namespace

RoundedRect buttonRing(QRectF frame)
{
    return { frame, kButtonRadius };
}

RoundedRect buttonFill(QRectF frame)
{
    return { frame.adjusted(1, 1, -1, -1), kButtonRadius };
}

RoundedRect checkBoxSquare(double h)
{
    return { QRectF(0, 0, h, h), kCheckBoxRadius };
}

RoundedRect checkBoxInside(double h)
{
    return { QRectF(1, 1, h - 2, h - 2), kCheckBoxRadius };
}

QRectF checkBoxTickRect(double h)
{
    return QRectF(3, 0, h - 4, h - 4);
}

QRectF radioOuter(double h)
{
    return QRectF(0, 0, h, h);
}

QRectF radioCentre(double h, bool on)
{
    return centred(radioOuter(h), on ? h - 8 : h - 2.5);
}

QRectF buttonTitleRect(QRectF frame)
{
    const double inset = frame.height() + 2 + 2;
    return frame.adjusted(inset, 0, 0, 0);
}

double sliderHeight(bool hasTickMarks)
{
    return hasTickMarks ? 25 + 5 : 19 + 2;
}

QRectF sliderBarRect(QSizeF size, bool hasTickMarks)
{
    const QRectF circle = sliderKnobCircle(sliderKnobRect(size, 0, hasTickMarks), hasTickMarks);
    return QRectF(kSliderKnobBox / 2, circle.center().y() - kSliderBarThickness / 2,
        std::max(0.0, size.width() - kSliderKnobBox), kSliderBarThickness);
}

RoundedRect sliderTrack(QRectF bar)
{
    return { bar.adjusted(0, -1, 0, 1), kSliderTrackRadius };
}

std::optional<RoundedRect> sliderValuePart(QRectF bar, double fraction, bool hasTickMarks)
{
    const double width = clamp01(fraction) * bar.width();
    if (hasTickMarks || width <= kSliderValuePartMin)
        return std::nullopt;
    return RoundedRect { QRectF(bar.x(), bar.y() - 1, width, bar.height() + 2), kSliderTrackRadius };
}

QRectF sliderKnobRect(QSizeF size, double fraction, bool hasTickMarks)
{
    const double travel = std::max(0.0, size.width() - kSliderKnobBox);
    return QRectF(
        clamp01(fraction) * travel, sliderKnobTop(size, hasTickMarks), kSliderKnobBox, kSliderKnobBox);
}

QRectF sliderKnobCircle(QRectF knobRect, bool hasTickMarks)
{
    return QRectF(knobRect.x() + (knobRect.width() - kSliderKnobDiameter) / 2,
        knobRect.y() + (knobRect.height() - kSliderKnobDiameter) / 2 + (hasTickMarks ? 1 : 0),
        kSliderKnobDiameter, kSliderKnobDiameter);
}

double sliderTickX(QRectF bar, int index, int count)
{
    if (count < 2)
        return bar.center().x();
    return bar.x() + bar.width() * index / (count - 1);
}

double sliderFractionAt(QRectF bar, double x)
{
    return bar.width() > 0 ? clamp01((x - bar.x()) / bar.width()) : 0.0;
}

double progressFillWidth(double value, double maximum, double innerWidth)
{
    if (!(maximum > 0) || !(value > 0) || !(innerWidth > 0))
        return 0;
    return std::min(value * innerWidth / maximum, innerWidth);
}

RoundedRect progressRing(QRectF bounds)
{
    return { bounds, kProgressRadius };
}

RoundedRect progressInside(QRectF bounds)
{
    return { bounds.adjusted(1, 1, -1, -1), kProgressRadius };
}

RoundedRect textFieldRing(QRectF frame)
{
    return { frame, kTextFieldRadius };
}

RoundedRect textFieldInside(QRectF frame, bool focused)
{
    const double inset = focused ? 2 : 1;
    return { frame.adjusted(inset, inset, -inset, -inset), kTextFieldRadius - inset };
}

QRectF textFieldTextRect(QRectF frame)
{
    return QRectF(frame.x() + 6, frame.y() - 1, frame.width() - 15, frame.height());
}

BoxKind boxKindFor(const QString &identifier)
{
    if (identifier == QLatin1String("Orvane.HLine"))
        return BoxKind::HLine;
    if (identifier == QLatin1String("Orvane.VLine"))
        return BoxKind::VLine;
    if (identifier == QLatin1String("Orvane.VBLine"))
        return BoxKind::VBLine;
    return BoxKind::Panel;
}

QRectF boxLineRect(BoxKind kind, QRectF bounds)
{
    switch (kind) {
    case BoxKind::HLine:
        return bounds.adjusted(0, 2, 0, -2);
    case BoxKind::VLine:
        return bounds.adjusted(2, 0, -2, 0);
    case BoxKind::VBLine:
        return bounds.adjusted(1, 0, -1, 0);
    case BoxKind::Panel:
        break;
    }
    return QRectF();
}

RoundedRect boxPanel(QRectF bounds)
{
    const double band = std::min(kBoxTitleBand, bounds.height());
    return { bounds.adjusted(0, band, 0, 0), kBoxRadius };
}

QPointF boxTitleTopLeft(double lineHeight)
{
    // The title's lower-left corner stands 4 pixels above the panel's top in
    // a bottom-up box: 22 - 4 = 18 pixels from the top.
    return QPointF(8, kBoxTitleBand - 4 - lineHeight);
}

QRectF menuItemTitleRect(QRectF bounds)
{
    return QRectF(bounds.x() + 22, bounds.y(), bounds.width() - 18, bounds.height());
}

QPointF menuItemTickTopLeft(QRectF bounds, double lineHeight)
{
    // (5, 3) is the tick's lower-left corner in the bottom-up item view.
    return QPointF(bounds.x() + 5, bounds.bottom() - 3 - lineHeight);
}

RoundedRect popUpRing(QRectF frame)
{
    return { frame, kPopUpRadius };
}

RoundedRect popUpInside(QRectF frame)
{
    return { frame.adjusted(1, 1, -1, -1), kPopUpRadius };
}

QRectF popUpCapSource(QSizeF capSize)
{
    return QRectF(capSize.width() - kPopUpCapWidth, 0, kPopUpCapWidth, capSize.height());
}

QPointF popUpCapTarget(QRectF frame)
{
    const QRectF inside = frame.adjusted(1, 1, -1, -1);
    return QPointF(inside.right() - kPopUpCapWidth, inside.y());
}

// The chevrons' places are lower-left corners in the bottom-up cap image:
// (w - 23, 5) for the upright one, (w - 23, 0) for the flipped one.
QPointF popUpChevronUp(QSizeF capSize, QSizeF chevron)
{
    return QPointF(capSize.width() - 23, capSize.height() - 5 - chevron.height());
}

QPointF popUpChevronDown(QSizeF capSize, QSizeF chevron)
{
    return QPointF(capSize.width() - 23, capSize.height() - chevron.height());
}

QRectF popUpTitleRect(QRectF frame, double lineHeight)
{
    const QRectF platform(frame.x() + 1, frame.y() + (frame.height() - lineHeight) / 2 - 2,
        frame.width() - 2 - kPopUpCapWidth, lineHeight);
    return QRectF(platform.x() + 10, platform.y() + 2, std::max(0.0, platform.width() - 10), lineHeight + 1);
}

QSize tabSizeFor(const QString &identifier)
{
    if (identifier == QLatin1String(kTabViewMain))
        return QSize(82, 42);
    if (identifier == QLatin1String(kTabViewActCus))
        return QSize(90, 32);
    return QSize(0, 0);
}

QRectF tabRect(int index, int count, double viewWidth, QSize tabSize)
{
    const double left = (viewWidth - count * tabSize.width()) / 2.0;
    return QRectF(left + index * tabSize.width(), 0, tabSize.width(), tabSize.height());
}

QRectF tabStripRect(int count, double viewWidth, QSize tabSize)
{
    return QRectF((viewWidth - count * tabSize.width()) / 2.0, 0, count * tabSize.width(), tabSize.height());
}

int tabAt(QPointF point, int count, double viewWidth, QSize tabSize)
{
    for (int i = 0; i < count; ++i) {
        if (tabRect(i, count, viewWidth, tabSize).contains(point))
            return i;
    }
    return -1;
}

QRectF tabPanelRect(QSizeF viewSize, QSize tabSize)
{
    const double r = tabSize.height() / 2.0;
    return QRectF(0, r, viewSize.width(), std::max(0.0, viewSize.height() - r));
}

RoundedRect tabPanelCutOut(int count, double viewWidth, QSize tabSize)
{
    return { tabStripRect(count, viewWidth, tabSize).adjusted(-3, -3, 3, 3), tabSize.height() / 2.0 + 3 };
}

QString tabPictureName(int index, bool selected)
{
    return QStringLiteral("T%1%2").arg(index + 1).arg(selected ? QLatin1Char('S') : QLatin1Char('N'));
}

QStringList tabLabelLines(const QString &label)
{
    return label.split(QLatin1String("\\n"));
}

QList<QPointF> tabLabelLinePositions(QRectF tab, const QList<QSizeF> &lineSizes)
{
    // Lines overlap by 6 pixels of their line height: the labels are short
    // words whose ascent and descent leave that much room.
    QList<QPointF> positions;
    const auto count = lineSizes.size();
    for (qsizetype j = 0; j < count; ++j) {
        const QSizeF size = lineSizes[j];
        const double lineHeight = size.height() - 6;
        const double x = tab.x() + (tab.width() - size.width()) / 2;
        const double top = tab.y() + (tab.height() - count * lineHeight) / 2;
        positions.append(QPointF(x, top + j * lineHeight - 4));
    }
    return positions;
}

} // namespace controls
