#include "settings/ovmonitorview.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include "controls/kitimages.h"

namespace settings {

namespace {

// Outlines, desktop points.
constexpr double kAreaLineWidth = 6;
constexpr double kPortionLineWidth = 8;
// The portion's dashes, 30 points on and 20 off; Qt counts dashes in line widths.
constexpr double kDashOn = 30;
constexpr double kDashOff = 20;
// Display names: white, 96 points, 30 points in from the left edge and
// 10 down from the top.
constexpr double kNameSize = 96;
constexpr double kNameLeft = 30;
constexpr double kNameTop = 10;
// The "Monitor" picture is small; it is drawn from a copy this many times
// finer, so that a large display's picture stays sharp.
constexpr qreal kPictureScale = 4;
const QColor kGround(226, 226, 226);

void strokeOutline(QPainter &painter, const QRectF &rect, double width, bool dashed)
{
    QPen pen(Qt::red, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (dashed) {
        pen.setDashPattern({ kDashOn / width, kDashOff / width });
        pen.setDashOffset(0);
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
}

} // namespace

OVMonitorView::OVMonitorView(QWidget *parent)
    : AreaEditView(QSizeF(kMinWidth, kMinHeight), parent)
{
    setHandleSizes(kEdge, kDlen);
}

void OVMonitorView::updateMap(qint64 mode, const QList<store::OVScreen> &screens, const QRectF &totalFrame)
{
    m_monitorMap = mode;
    m_screens = screens;
    setTotalFrame(totalFrame);
}

void OVMonitorView::updateMapFull(const QList<store::OVScreen> &screens, const QRectF &totalFrame)
{
    updateMap(0, screens, totalFrame);
    describe();
    update();
}

void OVMonitorView::updateMapPortion(
    const QList<store::OVScreen> &screens, const QRectF &totalFrame, const QRectF &selectFrame)
{
    updateMap(1, screens, totalFrame);
    updatePortion(selectFrame);
}

void OVMonitorView::updateMapSingle(const QList<store::OVScreen> &screens, const QRectF &totalFrame, quint32 number)
{
    updateMap(2, screens, totalFrame);
    m_number = number;
    describe();
    update();
}

void OVMonitorView::updatePortion(const QRectF &selectFrame)
{
    setSelectFrame(selectFrame);
    updateResizeControlFrame();
    describe();
    update();
}

QRectF OVMonitorView::frameByNumber(quint32 number) const
{
    for (const store::OVScreen &screen : m_screens) {
        if (screen.number() == number)
            return screen.frame();
    }
    return QRectF();
}

void OVMonitorView::describe()
{
    // What the picture shows, for assistive technologies; the page's four
    // fields are the way to change the portion from the keyboard.
    QRectF r = totalFrame();
    if (m_monitorMap == 1)
        r = selectFrame();
    else if (m_monitorMap == 2)
        r = frameByNumber(m_number);
    setAccessibleDescription(QStringLiteral("%1 x %2 at %3, %4")
                                 .arg(qint64(r.width()))
                                 .arg(qint64(r.height()))
                                 .arg(qint64(r.x()))
                                 .arg(qint64(r.y())));
}

void OVMonitorView::drawScreen(QPainter &painter, const store::OVScreen &screen) const
{
    // The picture and the name are drawn upright: their places are mapped
    // through the flip, the drawing itself is not.
    const QRectF frame = screen.frame();
    painter.setTransform(QTransform());
    painter.drawPixmap(transform().mapRect(frame), controls::imageNamed(QStringLiteral("Monitor"),
                                                       devicePixelRatioF() * kPictureScale),
        QRectF());

    QFont font = this->font();
    font.setPixelSize(int(kNameSize));
    const QFontMetricsF metrics(font);
    // The text's top-left corner, desktop points: left + 30, top - 10.
    const QPointF anchor = transform().map(QPointF(frame.x() + kNameLeft, frame.y() + frame.height() - kNameTop));
    const double scale = area::areaScale(totalFrame(), QSizeF(size()));
    painter.setTransform(QTransform::fromTranslate(anchor.x(), anchor.y()).scale(scale, scale));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(0, metrics.ascent()), screen.name());
}

void OVMonitorView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    // The view's own ground, so that the desktop's picture, which keeps its
    // proportions from the bottom-left corner, shows where the view ends.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGround);
    painter.drawRoundedRect(QRectF(rect()), 4, 4);
    for (const store::OVScreen &screen : m_screens)
        drawScreen(painter, screen);

    painter.setTransform(transform());
    switch (m_monitorMap) {
    case 0:
        strokeOutline(painter, totalFrame(), kAreaLineWidth, false);
        break;
    case 2:
        strokeOutline(painter, frameByNumber(m_number), kAreaLineWidth, false);
        break;
    case 1:
        strokeOutline(painter, selectFrame(), kPortionLineWidth, true);
        fillCorners(painter, Qt::red, kSlen);
        fillHandles(painter);
        break;
    default:
        break;
    }
}

void OVMonitorView::updateCursor(QPointF viewPoint)
{
    setCursor(area::cursorShapeFor(m_monitorMap == 1 ? handleAt(viewPoint) : area::Handle::None));
}

void OVMonitorView::mousePressEvent(QMouseEvent *event)
{
    if (m_monitorMap != 1 || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_isMouseDown = true;
    grabAt(event->position());
}

void OVMonitorView::mouseMoveEvent(QMouseEvent *event)
{
    // Without the left button the cursor follows the handles; with it the
    // portion follows the pointer while the view is in portion mode.
    if (!(event->buttons() & Qt::LeftButton))
        updateCursor(event->position());
    else if (m_monitorMap == 1)
        dragTo(event->position());
}

void OVMonitorView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_isMouseDown = false;
    // Reported after every press, also one that moved nothing: the page
    // compares it with what it holds.
    if (m_monitorMap == 1)
        emit portionFrameDidChanged(letGo());
}

void OVMonitorView::leaveEvent(QEvent *event)
{
    m_isMouseDown = false;
    QWidget::leaveEvent(event);
}

} // namespace settings
