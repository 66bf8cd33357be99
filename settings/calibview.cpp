#include "settings/calibview.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include "controls/kitstyle.h"

namespace settings {

namespace {

QLabel *hint(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(controls::kitFont(16));
    label->hide();
    return label;
}

} // namespace

CalibView::CalibView(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, controls::kWhite);
    palette.setColor(QPalette::WindowText, controls::kBlack);
    setPalette(palette);
    m_tipA = hint(this, "ibTipA");
    m_tipC = hint(this, "ibTipC");
}

QFont CalibView::arrowFont()
{
    QFont font = QApplication::font();
    // Points of the window system: one pixel each at the scale of 1.
    font.setPixelSize(48);
    return font;
}

QSizeF CalibView::glyphSize(qint64 edge)
{
    const QFontMetricsF metrics(arrowFont());
    return QSizeF(metrics.horizontalAdvance(calib::arrowGlyph(edge)), metrics.height());
}

QRectF CalibView::widgetRect(QPointF origin, QSizeF size) const
{
    return QRectF(origin.x(), height() - origin.y() - size.height(), size.width(), size.height());
}

QPointF CalibView::widgetPoint(QPointF point) const
{
    return QPointF(point.x(), height() - point.y());
}

void CalibView::updatePS(const std::array<QPointF, calib::kTargetCount> &points)
{
    m_psview = points;
    m_psmmxy = calib::edgeMidpoints(QRectF(QPointF(), QSizeF(size())));
    placeHints();
}

void CalibView::updateIN(qint64 index, qint64 edge)
{
    m_index = index >= 0 && index < calib::kTargetCount ? index : calib::kNone;
    m_iiidx = edge >= calib::kLeft && edge <= calib::kBottom ? edge : calib::kNone;
    placeHints();
    update();
}

void CalibView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_psmmxy = calib::edgeMidpoints(QRectF(QPointF(), QSizeF(size())));
    placeHints();
}

void CalibView::placeHints()
{
    if (m_iiidx != calib::kNone) {
        m_tipA->adjustSize();
        const calib::ArrowPlacement at = calib::arrowPlacement(
            m_iiidx, m_psmmxy[size_t(m_iiidx)], glyphSize(m_iiidx), QSizeF(m_tipA->size()));
        m_tipA->move(widgetRect(at.hint, QSizeF(m_tipA->size())).topLeft().toPoint());
        m_tipA->show();
    } else {
        m_tipA->hide();
    }
    if (m_index != calib::kNone) {
        m_tipC->adjustSize();
        const QPointF origin
            = calib::crosshairHintOrigin(m_index, m_psview[size_t(m_index)], QSizeF(m_tipC->size()));
        m_tipC->move(widgetRect(origin, QSizeF(m_tipC->size())).topLeft().toPoint());
        m_tipC->show();
    } else {
        m_tipC->hide();
    }
}

void CalibView::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_iiidx != calib::kNone) {
        const QSizeF glyph = glyphSize(m_iiidx);
        const calib::ArrowPlacement at
            = calib::arrowPlacement(m_iiidx, m_psmmxy[size_t(m_iiidx)], glyph, QSizeF(m_tipA->size()));
        const QRectF box = widgetRect(at.glyph, glyph);
        painter.setFont(arrowFont());
        painter.setPen(Qt::red);
        painter.drawText(QPointF(box.left(), box.top() + QFontMetricsF(arrowFont()).ascent()),
            QString(calib::arrowGlyph(m_iiidx)));
    }
    if (m_index != calib::kNone) {
        const QPointF p = m_psview[size_t(m_index)];
        QPainterPath cross;
        cross.moveTo(widgetPoint(p - QPointF(calib::kCrossHalf, 0)));
        cross.lineTo(widgetPoint(p + QPointF(calib::kCrossHalf, 0)));
        cross.moveTo(widgetPoint(p - QPointF(0, calib::kCrossHalf)));
        cross.lineTo(widgetPoint(p + QPointF(0, calib::kCrossHalf)));
        // The default stroke: black, one point wide, on whole pixels.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(controls::kBlack, 1));
        painter.drawPath(cross);
    }
}

} // namespace settings
