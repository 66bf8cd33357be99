#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "controls/kitgeometry.h"
#include "controls/orvaneslider.h"

using controls::OrvaneSlider;

class TstSlider : public QObject
{
    Q_OBJECT

private slots:
    void holdsExactValues_data();
    void holdsExactValues();
    void pressAndDragMove();
    void keyStepsStayOnTheirGrid();
    void tickMarkValuesOnly();
};

void TstSlider::holdsExactValues_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("set");
    QTest::addColumn<double>("held");
    QTest::addColumn<int>("integer"); // thousandths of the range

    QTest::newRow("a quarter") << 0.0 << 1.0 << 0.25 << 0.25 << 250;
    QTest::newRow("a third") << 0.0 << 1.0 << 1.0 / 3 << 1.0 / 3 << 333;
    QTest::newRow("below the range") << 0.0 << 1.0 << -0.5 << 0.0 << 0;
    QTest::newRow("above the range") << 0.0 << 1.0 << 1.5 << 1.0 << 1000;
    QTest::newRow("not a number") << 0.0 << 1.0 << std::nan("") << 0.0 << 0;
    QTest::newRow("other range") << 0.5 << 2.5 << 1.0 << 1.0 << 250;
    QTest::newRow("empty range") << 0.7 << 0.7 << 0.9 << 0.7 << 0;
}

void TstSlider::holdsExactValues()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, set);
    QFETCH(double, held);
    QFETCH(int, integer);

    OrvaneSlider slider;
    slider.setRange(min, max);
    QSignalSpy moved(&slider, &OrvaneSlider::moved);
    slider.setDoubleValue(set);
    QCOMPARE(slider.doubleValue(), held);
    QCOMPARE(slider.floatValue(), float(held));
    QCOMPARE(slider.value(), integer);
    // A page's setting is no user's move.
    QCOMPARE(moved.count(), 0);
    slider.setFloatValue(0.25f);
    QCOMPARE(slider.floatValue(), std::clamp(0.25f, float(min), float(max)));
}

void TstSlider::pressAndDragMove()
{
    OrvaneSlider slider;
    slider.resize(221, slider.sizeHint().height());
    QSignalSpy moved(&slider, &OrvaneSlider::moved);
    const QRectF bar = controls::sliderBarRect(slider.size(), false);
    // The bar is 200 wide from 10.5: a press at 60.5 is a quarter.
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(60, 10));
    QVERIFY(qAbs(slider.doubleValue() - (60 - bar.x()) / bar.width()) < 1e-12);
    QMouseEvent drag(QEvent::MouseMove, QPointF(210.5, 10), slider.mapToGlobal(QPointF(210.5, 10)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&slider, &drag);
    QCOMPARE(slider.doubleValue(), 1.0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(210, 10));
    QCOMPARE(moved.count(), 2);
    QCOMPARE(moved.last().at(0).toDouble(), 1.0);
}

void TstSlider::keyStepsStayOnTheirGrid()
{
    OrvaneSlider slider;
    slider.setDoubleValue(0.0);
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(&slider, Qt::Key_Right);
    QCOMPARE(slider.doubleValue(), 0.07);
    QTest::keyClick(&slider, Qt::Key_PageUp);
    QCOMPARE(slider.doubleValue(), 0.17);
    // A value between steps moves to the neighbouring step.
    slider.setDoubleValue(0.253);
    QTest::keyClick(&slider, Qt::Key_Left);
    QCOMPARE(slider.doubleValue(), 0.24);
    QCOMPARE(slider.floatValue(), 0.24f);
}

void TstSlider::tickMarkValuesOnly()
{
    OrvaneSlider slider;
    slider.setNumberOfTickMarks(5);
    slider.setAllowsTickMarkValuesOnly(true);
    QCOMPARE(slider.sizeHint().height(), 30);
    slider.moveTo(0.3);
    QCOMPARE(slider.doubleValue(), 0.25);
    QTest::keyClick(&slider, Qt::Key_Right);
    QCOMPARE(slider.doubleValue(), 0.5);
    QCOMPARE(slider.step(), 0.25);
}

QTEST_MAIN(TstSlider)
#include "tst_slider.moc"
