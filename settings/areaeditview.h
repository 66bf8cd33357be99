#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <QWidget>

#include "settings/areageometry.h"

namespace settings {

// What the area views share: a whole area drawn to scale and a rectangle in
// it that a held press moves and resizes with the mouse, in the view's model
// units (y up, see areageometry.h), with the minimum size given at
// construction. The views keep their own modes and their own record of the
// press, and call grabAt(), dragTo() and letGo() from their mouse handlers.
class AreaEditView : public QWidget
{
    Q_OBJECT
public:
    QRectF totalFrame() const { return m_totalFrame; }
    QRectF selectFrame() const { return m_selectFrame; }
    const area::Handles &handles() const { return m_handles; }
    // Model units to view pixels, and back.
    const QTransform &transform() const { return m_transform; }
    const QTransform &invertTransform() const { return m_invertTransform; }
    // The handle the current press holds; None between presses.
    area::Handle grabbed() const { return m_grabbed; }

protected:
    AreaEditView(QSizeF minimum, QWidget *parent);

    // The whole area; the transforms follow.
    void setTotalFrame(const QRectF &frame);
    // The rectangle alone: the handles follow only on updateResizeControlFrame().
    void setSelectFrame(const QRectF &frame) { m_selectFrame = frame; }
    // The handles' margin and edge-handle side, model units (see area::handlesFor).
    void setHandleSizes(double edge, double dlen);
    void updateResizeControlFrame();

    // The handle under a view point; None where there is none.
    area::Handle handleAt(QPointF viewPoint) const;
    // A press at viewPoint grabs the handle under it and makes it the
    // reference point of the drag.
    void grabAt(QPointF viewPoint);
    // A move of the held press to viewPoint: one area::dragBetween() step.
    // When it changes the rectangle, the handles, the description and the
    // picture follow and viewPoint becomes the reference point.
    void dragTo(QPointF viewPoint);
    // The press let go: nothing grabbed. Answers the rectangle as stored
    // text, "{{x, y}, {w, h}}", for the view's report.
    QString letGo();

    // In model units, after painter.setTransform(transform()): squares of
    // the given side on the rectangle's corners, and the four edge handles as
    // orange ovals.
    void fillCorners(QPainter &painter, const QColor &color, double side) const;
    void fillHandles(QPainter &painter) const;

    // Sets the view's accessible description from what it shows.
    virtual void describe() = 0;

    void resizeEvent(QResizeEvent *event) override;

private:
    void updateTransform();

    QSizeF m_minimum;
    double m_edge = 0;
    double m_dlen = 0;
    QRectF m_totalFrame;
    QRectF m_selectFrame;
    area::Handles m_handles;
    QTransform m_transform;
    QTransform m_invertTransform;
    area::Handle m_grabbed = area::Handle::None;
    QPointF m_mouseDownLocation; // view pixels
};

} // namespace settings
