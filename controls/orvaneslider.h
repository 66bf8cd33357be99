#pragma once

#include <QSlider>

namespace controls {

// A horizontal slider in the kit's look that holds a real value: set to 0.25
// it answers 0.25 (as float 0.25f), not the nearest of some integer steps.
// Without tick marks a green part shows the value along a white bar; the knob
// is a white disc with a grey ring.
//
// A page sets:
//   - the range (setRange(min, max); 0..1 unless set) and the value
//     (setDoubleValue / setFloatValue); neither reports a move;
//   - tick marks, when the layout has them (setNumberOfTickMarks, and
//     setAllowsTickMarkValuesOnly to stop only on them);
//   - the accessible name, from the label beside it (setAccessibleName);
//   - moved(double) for its action: sent for every change the user makes
//     with the mouse, the keys or an assistive technology.
// Keys, once Tab has given it the focus: Left/Down and Right/Up move one step
// (a hundredth of the range, or one tick mark), Page Up/Down ten steps,
// Home/End to the ends. Assistive technologies read the value in the range.
// The integer value of QAbstractSlider follows as thousandths of the range.
class OrvaneSlider : public QSlider
{
    Q_OBJECT
public:
    explicit OrvaneSlider(QWidget *parent = nullptr);

    double doubleValue() const { return m_value; }
    float floatValue() const { return float(m_value); }
    void setDoubleValue(double value);
    void setFloatValue(float value) { setDoubleValue(double(value)); }

    double minValue() const { return m_min; }
    double maxValue() const { return m_max; }
    // An empty or reversed range holds its minimum only.
    void setRange(double minValue, double maxValue);

    int numberOfTickMarks() const { return m_tickMarks; }
    void setNumberOfTickMarks(int count);
    bool allowsTickMarkValuesOnly() const { return m_tickValuesOnly; }
    void setAllowsTickMarkValuesOnly(bool only);
    bool hasTickMarks() const { return m_tickMarks > 0; }

    // One key step.
    double step() const;
    // The value as a fraction of the range, 0..1.
    double fraction() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The user's move by `steps` key steps.
    void moveBySteps(int steps);
    // A user's change: clamped, snapped to a tick mark when asked, and
    // reported by moved() when the value changed.
    void moveTo(double value);

signals:
    void doubleValueChanged(double value);
    void moved(double value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    double clamped(double value) const;
    int stepsPerRange() const;
    void store(double value);

    double m_value = 0;
    double m_min = 0;
    double m_max = 1;
    int m_tickMarks = 0;
    bool m_tickValuesOnly = false;
    bool m_dragging = false;
};

} // namespace controls
