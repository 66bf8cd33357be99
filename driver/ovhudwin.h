#pragma once

#include <QColor>
#include <QWidget>

namespace driver {

// A window of the driver that floats over everything: no frame, a
// transparent window background and, inside it, one rounded translucent box
// that holds the content. Never takes the keyboard focus, so a notice that
// appears while the user types in a painting application steals nothing.
class OVHUDWin : public QWidget
{
public:
    // box: the colour of the rounded box; radius in points.
    explicit OVHUDWin(const QColor &box, double radius);

    QColor boxColor() const { return m_box; }
    double cornerRadius() const { return m_radius; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_box;
    double m_radius;
};

} // namespace driver
