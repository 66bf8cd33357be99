#pragma once

#include <QColor>
#include <QPointF>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

namespace settings {

// The pressure-curve editor of the pen page: a curve from a start point on
// the bottom edge to an end point on the top edge, bent by a control point,
// each with a handle to drag. Points are in view points with the origin at
// the bottom-left corner and y upwards; the curve dictionary it exchanges
// ("OVCFGBezierP1", "OVCFGBezierP2", "OVCFGBezierPC" as point texts) holds
// them divided by the view's width and height.
//
// Drag limits, with slen 8 and dlen 10: the control point keeps 13 points
// from the start and end handles horizontally and from the bottom and top
// edges vertically; the end points move along their edges only.
//
//   y ^            p2 []
//     |        (pc)
//     | [] p1
//     +------------------> x
class OVQuadraticBezierView : public QWidget
{
    Q_OBJECT
public:
    explicit OVQuadraticBezierView(QWidget *parent = nullptr);

    // Frame, curve and handle colours.
    QColor boardColor() const { return m_boardColor; }
    QColor curveColor() const { return m_curveColor; }
    QColor themeColor() const { return m_themeColor; }
    static constexpr double slen = 8; // side of the square end handles, points
    static constexpr double dlen = 10; // diameter of the round control handle, points

    QPointF p1() const { return m_p1; }
    QPointF p2() const { return m_p2; }
    QPointF pc() const { return m_pc; }
    // 1 p1, 2 p2, 3 pc; -1 (or the initial 0) none.
    qint64 mouseDownControlPointIndex() const { return m_mouseDownControlPointIndex; }

    // Held weakly. It receives bezierPathDidChanged(QVariantMap) on every
    // release that followed a press in the view, when it has such an
    // invokable method.
    QObject *delegate() const { return m_delegate; }
    void setDelegate(QObject *delegate) { m_delegate = delegate; }

    // Scales the normalised curve to the view's present size, without any
    // limit, and redraws. A point that is no point text reads as (0, 0).
    void updateBezierPoints(const QVariantMap &curve);
    // Sends the normalised curve to the delegate.
    void updateBezierEquation();

    // A position in the widget (y down) in the view's own points (y up).
    QPointF viewPoint(QPointF widgetPosition) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // The handle under q, 1..3, or 0.
    int handleAt(QPointF q) const;

    QColor m_boardColor;
    QColor m_curveColor;
    QColor m_themeColor;
    QPointF m_p1;
    QPointF m_p2;
    QPointF m_pc;
    QPointF m_mouseDownLocation;
    qint64 m_mouseDownControlPointIndex = 0;
    QPointer<QObject> m_delegate;
};

} // namespace settings
