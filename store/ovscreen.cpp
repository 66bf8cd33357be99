#include "ovscreen.h"

namespace store {

QRectF flipRect(const QRectF &rect, double mainDisplayHeight)
{
    return QRectF(rect.x(), mainDisplayHeight - rect.y() - rect.height(), rect.width(), rect.height());
}

} // namespace store
