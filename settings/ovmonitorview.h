#pragma once

#include <QList>
#include <QRectF>

#include "settings/areaeditview.h"
#include "store/ovscreen.h"

namespace settings {

// The monitor page's picture: every display drawn to scale with its name,
// and the area the pen is mapped to: the whole desktop, one display, or a
// portion that the user moves and resizes with the mouse. Desktop
// coordinates throughout (global points, origin at the bottom-left corner of
// the main display, y up); the view flips them onto its own pixels. A
// finished drag of the portion (any release in portion mode) is reported with
// portionFrameDidChanged().
class OVMonitorView : public AreaEditView
{
    Q_OBJECT
public:
    // The least the portion may be, desktop points.
    static constexpr double kMinWidth = 320;
    static constexpr double kMinHeight = 180;
    // Handle geometry, desktop points: the drag area lies 4 x edge inside the
    // portion, the corner marks have side slen, the edge handles side dlen.
    static constexpr double kEdge = 10;
    static constexpr double kSlen = 30;
    static constexpr double kDlen = 60;

    explicit OVMonitorView(QWidget *parent = nullptr);

    // Mode 0: all displays.
    void updateMapFull(const QList<store::OVScreen> &screens, const QRectF &totalFrame);
    // Mode 1: the portion, editable.
    void updateMapPortion(const QList<store::OVScreen> &screens, const QRectF &totalFrame, const QRectF &selectFrame);
    // Mode 2: the display of that id.
    void updateMapSingle(const QList<store::OVScreen> &screens, const QRectF &totalFrame, quint32 number);
    // Sets the portion and redraws; reports nothing.
    void updatePortion(const QRectF &selectFrame);
    // The frame of the listed display of that id; the zero rectangle when none.
    QRectF frameByNumber(quint32 number) const;

    // From a press in portion mode until the release: the page's screen
    // check waits meanwhile.
    bool isMouseDown() const { return m_isMouseDown; }

    qint64 monitorMap() const { return m_monitorMap; }
    const QList<store::OVScreen> &screens() const { return m_screens; }
    quint32 number() const { return m_number; }

signals:
    // The portion as stored text, "{{x, y}, {w, h}}".
    void portionFrameDidChanged(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void updateMap(qint64 mode, const QList<store::OVScreen> &screens, const QRectF &totalFrame);
    void updateCursor(QPointF viewPoint);
    void describe() override;
    void drawScreen(QPainter &painter, const store::OVScreen &screen) const;

    qint64 m_monitorMap = 0;
    QList<store::OVScreen> m_screens;
    quint32 m_number = 0;
    bool m_isMouseDown = false;
};

} // namespace settings
