#include "controls/orvaneradiobutton.h"

#include <QPainter>

#include "controls/kitaccessible.h"
#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

namespace {

const QColor kRing = grey(156);

} // namespace

OrvaneRadioButton::OrvaneRadioButton(const QString &title, QWidget *parent)
    : QRadioButton(title, parent)
{
    installKitAccessibility();
    setFocusPolicy(Qt::TabFocus);
}

QSize OrvaneRadioButton::sizeHint() const
{
    return titledButtonSizeHint(18, text());
}

QSize OrvaneRadioButton::minimumSizeHint() const
{
    return sizeHint();
}

bool OrvaneRadioButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void OrvaneRadioButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double h = height();
    const bool on = isChecked();
    painter.setBrush(on ? kGreen : kRing);
    painter.drawEllipse(radioOuter(h));
    painter.setBrush(kWhite);
    painter.drawEllipse(radioCentre(h, on));
    const QRectF title = buttonTitleRect(rect());
    drawButtonTitle(painter, *this, title, text(), titleColor(*this, kBlack));
    if (hasFocus())
        drawTitleFocus(painter, title, text());
}

} // namespace controls
