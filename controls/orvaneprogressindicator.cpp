#include "controls/orvaneprogressindicator.h"

#include <QPainter>

#include "controls/kitaccessible.h"
#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

namespace {

const QColor kRing = grey(205);
constexpr double kBarRadius = 10;
constexpr double kNoFill = 0.001; // narrower fills draw nothing

} // namespace

OrvaneProgressIndicator::OrvaneProgressIndicator(QWidget *parent)
    : QProgressBar(parent)
{
    installKitAccessibility();
    setTextVisible(false);
}

QSize OrvaneProgressIndicator::sizeHint() const
{
    return QSize(200, 20);
}

QSize OrvaneProgressIndicator::minimumSizeHint() const
{
    return QSize(40, 20);
}

void OrvaneProgressIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    fillRounded(painter, progressRing(bounds), kRing);
    const RoundedRect inside = progressInside(bounds);
    fillRounded(painter, inside, kWhite);
    const double fill = progressFillWidth(value(), maximum(), inside.rect.width());
    if (fill <= kNoFill)
        return;
    // The whole bar is drawn once and cut to the filled width, so it keeps
    // its rounded ends only where it reaches them.
    const QImage &bar
        = m_pgImage.image(inside.rect.size(), paintRatio(painter), [](QPainter &p, QSizeF size) {
              fillRounded(p, { QRectF(QPointF(0, 0), size), kBarRadius }, kLightGreen);
          });
    const qreal ratio = bar.devicePixelRatio();
    painter.drawImage(QRectF(inside.rect.topLeft(), QSizeF(fill, inside.rect.height())), bar,
        QRectF(0, 0, fill * ratio, inside.rect.height() * ratio));
}

} // namespace controls
