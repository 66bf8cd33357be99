#include "settings/calibgeometry.h"

namespace settings::calib {

namespace {

// The display list the choice looks at, as the window system hands it out.
constexpr qsizetype kMaxDisplays = 6;

} // namespace

std::optional<platform::DisplayInfo> calibrationDisplay(
    const QList<platform::DisplayInfo> &displays, const QString &names, std::optional<quint32> mapped)
{
    const QList<platform::DisplayInfo> online = displays.mid(0, kMaxDisplays);
    if (mapped) {
        for (const platform::DisplayInfo &display : online) {
            if (display.id == *mapped)
                return display;
        }
    }
    for (const platform::DisplayInfo &display : online) {
        const bool named = !display.productName.isEmpty();
        if ((named && names.contains(display.productName)) || (!named && !display.builtin))
            return display;
    }
    for (const platform::DisplayInfo &display : online) {
        if (display.main)
            return display;
    }
    if (!online.isEmpty())
        return online.first();
    return std::nullopt;
}

std::array<QPointF, kTargetCount> targetPoints(const QRectF &d)
{
    const double x = d.x(), y = d.y(), w = d.width(), h = d.height();
    return { QPointF(x + kTargetInset, y + kTargetInset), QPointF(x + w - kTargetInset, y + kTargetInset),
        QPointF(x + kTargetInset, y + h - kTargetInset), QPointF(x + w - kTargetInset, y + h - kTargetInset),
        QPointF(x + w / 2, y + h / 2) };
}

std::array<QPointF, kTargetCount> viewPoints(const QRectF &f)
{
    const double x = f.x(), y = f.y(), w = f.width(), h = f.height();
    return { QPointF(x + kTargetInset, y + h - kTargetInset),
        QPointF(x + w - kTargetInset, y + h - kTargetInset), QPointF(x + kTargetInset, y + kTargetInset),
        QPointF(x + w - kTargetInset, y + kTargetInset), QPointF(x + w / 2, y + h / 2) };
}

std::array<QPointF, 4> edgeMidpoints(const QRectF &b)
{
    const double x = b.x(), y = b.y(), w = b.width(), h = b.height();
    return { QPointF(x, y + h / 2), QPointF(x + w / 2, y + h), QPointF(x + w, y + h / 2),
        QPointF(x + w / 2, y) };
}

QChar arrowGlyph(qint64 edge)
{
    switch (edge) {
    case kLeft:
        return QChar(0x2190);
    case kTop:
        return QChar(0x2191);
    case kRight:
        return QChar(0x2192);
    case kBottom:
        return QChar(0x2193);
    default:
        return QChar();
    }
}

ArrowPlacement arrowPlacement(qint64 edge, QPointF m, QSizeF g, QSizeF t)
{
    switch (edge) {
    case kLeft:
        return { QPointF(m.x() - 4, m.y()),
            QPointF(m.x() - 4 + g.width() + 10, m.y() + (g.height() - t.height()) / 2) };
    case kTop:
        return { QPointF(m.x(), m.y() - g.height() + 12),
            QPointF(m.x() + (g.width() - t.width()) / 2, m.y() - g.height() + 12 - t.height() - 10) };
    case kRight:
        return { QPointF(m.x() - g.width() + 4, m.y()),
            QPointF(m.x() - g.width() + 4 - t.width() - 10, m.y() + (g.height() - t.height()) / 2) };
    case kBottom:
        return { QPointF(m.x(), m.y() - 12),
            QPointF(m.x() + (g.width() - t.width()) / 2, m.y() - 12 + g.height()) };
    default:
        return {};
    }
}

QPointF crosshairHintOrigin(qint64 index, QPointF p, QSizeF t)
{
    switch (index) {
    case 0:
    case 2:
        return QPointF(p.x() + kCrossHalf, p.y() - t.height() / 2);
    case 1:
    case 3:
        return QPointF(p.x() - kCrossHalf - t.width(), p.y() - t.height() / 2);
    default:
        return QPointF(p.x() - t.width() / 2, p.y() - 70);
    }
}

} // namespace settings::calib
