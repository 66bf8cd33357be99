#pragma once

#include <array>

#include <QWidget>

#include "settings/calibgeometry.h"

class QLabel;

namespace settings {

// The calibration window's content: the red arrow at the edge being probed
// with its hint, or the crosshair on the target being probed with its hint.
// Points are kept in the view's y-up space (calibgeometry.h) and mapped onto
// the widget when drawn. Main thread only: the run hands its indexes over on
// the main loop, and each change redraws.
class CalibView : public QWidget
{
    Q_OBJECT
public:
    explicit CalibView(QWidget *parent = nullptr);

    // The hints beside the arrow and beside the crosshair.
    QLabel *ibTipA() const { return m_tipA; }
    QLabel *ibTipC() const { return m_tipC; }

    // The five targets (y up); the edge midpoints follow the view's bounds.
    void updatePS(const std::array<QPointF, calib::kTargetCount> &points);
    // The target and the edge probed now; calib::kNone for neither. Redraws.
    void updateIN(qint64 index, qint64 edge);

    qint64 index() const { return m_index; }
    qint64 edgeIndex() const { return m_iiidx; }
    const std::array<QPointF, calib::kTargetCount> &psview() const { return m_psview; }
    const std::array<QPointF, 4> &psmmxy() const { return m_psmmxy; }

    // The arrow's font: the system font at 48 points; and the glyph's size in it.
    static QFont arrowFont();
    static QSizeF glyphSize(qint64 edge);
    // The widget rectangle of a y-up origin and size, and the widget point
    // of a y-up point.
    QRectF widgetRect(QPointF origin, QSizeF size) const;
    QPointF widgetPoint(QPointF point) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Moves and shows or hides the two hints for the indexes.
    void placeHints();

    QLabel *m_tipA = nullptr;
    QLabel *m_tipC = nullptr;
    qint64 m_iiidx = calib::kNone;
    qint64 m_index = calib::kNone;
    std::array<QPointF, 4> m_psmmxy {};
    std::array<QPointF, calib::kTargetCount> m_psview {};
};

} // namespace settings
