#include "controls/orvanecheckboxbutton.h"

#include <QPainter>

#include "controls/kitaccessible.h"
#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

namespace {

const QColor kRing = grey(165);
constexpr int kTickPixelSize = 16;

} // namespace

OrvaneCheckboxButton::OrvaneCheckboxButton(const QString &title, QWidget *parent)
    : QCheckBox(title, parent)
{
    installKitAccessibility();
    setFocusPolicy(Qt::TabFocus);
}

QSize OrvaneCheckboxButton::sizeHint() const
{
    return titledButtonSizeHint(20, text());
}

QSize OrvaneCheckboxButton::minimumSizeHint() const
{
    return sizeHint();
}

bool OrvaneCheckboxButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void OrvaneCheckboxButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double h = height();
    // Mixed draws like off.
    const bool on = checkState() == Qt::Checked;
    fillRounded(painter, checkBoxSquare(h), on ? kGreen : kRing);
    if (on) {
        QFont tick = kitFont(kTickPixelSize);
        painter.setFont(tick);
        painter.setPen(kWhite);
        painter.drawText(checkBoxTickRect(h), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("\u2713"));
    } else {
        fillRounded(painter, checkBoxInside(h), kWhite);
    }
    const QRectF title = buttonTitleRect(rect());
    drawButtonTitle(painter, *this, title, text(), titleColor(*this, kBlack));
    if (hasFocus())
        drawTitleFocus(painter, title, text());
}

} // namespace controls
