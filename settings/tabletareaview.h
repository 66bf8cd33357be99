#pragma once

#include <functional>

#include <QRectF>

#include "settings/areaeditview.h"

namespace settings {

// The current device's drawing constants of the tablet area views, in
// inches: the margin and the two handle lengths, and the outline widths of
// the whole area and of the rectangle (0 draws no outline). All zero on pen
// displays, whose handles then have no size.
struct TabletViewMetrics
{
    double edge = 0;
    double slen = 0; // corner marks
    double dlen = 0; // edge handles
    double fullLine = 0;
    double ratioLine = 0;
};

// What the two tablet area views share: the tablet's active area drawn to
// scale and, in rectangle mode, a rectangle that the user moves and resizes
// with the mouse, in inches with the origin at the area's bottom-left
// corner. A finished drag (any release in rectangle mode) is reported with
// ratioFrameDidChanged(). The subclasses differ only in their drawing.
class TabletAreaView : public AreaEditView
{
    Q_OBJECT
public:
    // The least the rectangle may be, in inches.
    static constexpr double kMinWidth = 1.6;
    static constexpr double kMinHeight = 0.9;

    explicit TabletAreaView(QWidget *parent = nullptr);

    // Where the view fetches its drawing constants at every updateMap(): the
    // page binds it to its own device.
    void setMetricsSource(std::function<TabletViewMetrics()> source) { m_metricsSource = std::move(source); }

    // Mode 0 whole area, 1 rectangle (editable). Stores the rectangles,
    // fetches the constants, recomputes the handles (mode 1) and the
    // transforms, redraws.
    void updateMap(qint64 mode, const QRectF &totalFrame, const QRectF &selectFrame);
    // Sets the rectangle and redraws; reports nothing.
    void updateRatio(const QRectF &selectFrame);

    qint64 tabletMap() const { return m_tabletMap; }
    const TabletViewMetrics &metrics() const { return m_metrics; }

signals:
    // The rectangle as stored text, "{{x, y}, {w, h}}".
    void ratioFrameDidChanged(const QString &text);

protected:
    // Draws the view's look; the painter is untransformed, `dirty` the part
    // being redrawn.
    virtual void drawArea(QPainter &painter, const QRect &dirty) = 0;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateCursor(QPointF widgetPoint);
    void describe() override;

    std::function<TabletViewMetrics()> m_metricsSource;
    qint64 m_tabletMap = 0;
    TabletViewMetrics m_metrics;
    bool m_pressed = false;
};

} // namespace settings
