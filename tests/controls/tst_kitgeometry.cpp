#include <QTest>

#include "controls/kitgeometry.h"
#include "controls/orvanebuttoncell.h"

using namespace controls;

Q_DECLARE_METATYPE(std::optional<QRectF>)
Q_DECLARE_METATYPE(controls::BoxKind)

class TstKitGeometry : public QObject
{
    Q_OBJECT

private slots:
    void buttonColours_data();
    void buttonColours();
    void checkBoxAndRadio();
    void sliderValuePart_data();
    void sliderValuePart();
    void sliderKnob();
    void progressFill_data();
    void progressFill();
    void textField();
    void boxes_data();
    void boxes();
    void menuItemAndPopUp();
    void tabs_data();
    void tabs();
    void tabLabels_data();
    void tabLabels();
};

void TstKitGeometry::buttonColours_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QList<QColor>>("normal"); // ring, fill, title
    QTest::addColumn<QList<QColor>>("pressed");

    const QColor grey194(194, 194, 194), white(255, 255, 255), black(0, 0, 0);
    const QColor green(30, 115, 71), lightGreen(51, 176, 108);
    QTest::newRow("none") << QString() << QList<QColor> { grey194, white, black }
                          << QList<QColor> { green, green, white };
    QTest::newRow("other") << "Orvane.Other" << QList<QColor> { grey194, white, black }
                           << QList<QColor> { green, green, white };
    QTest::newRow("normal: no pressed look") << "Orvane.Normal" << QList<QColor> { grey194, white, black }
                                             << QList<QColor> { grey194, white, black };
    QTest::newRow("highlight") << "Orvane.Highlight" << QList<QColor> { green, green, white }
                               << QList<QColor> { green, green, white };
    QTest::newRow("return") << "Orvane.Return" << QList<QColor> { lightGreen, lightGreen, white }
                            << QList<QColor> { green, green, white };
}

void TstKitGeometry::buttonColours()
{
    QFETCH(QString, identifier);
    QFETCH(QList<QColor>, normal);
    QFETCH(QList<QColor>, pressed);

    const OrvaneButtonCell cell = OrvaneButtonCell::forIdentifier(identifier);
    QCOMPARE((QList<QColor> { cell.bdColor, cell.bgColor, cell.txColor }), normal);
    QCOMPARE((QList<QColor> { cell.hlbdColor, cell.hlbgColor, cell.hltxColor }), pressed);
    QCOMPARE(cell.idStr, identifier);
}

void TstKitGeometry::checkBoxAndRadio()
{
    // A 20-pixel check box: a 20 x 20 square, a 1-pixel ring, the tick in a
    // 16 x 16 area at (3, 0).
    QCOMPARE(checkBoxSquare(20), (RoundedRect { QRectF(0, 0, 20, 20), 3 }));
    QCOMPARE(checkBoxInside(20), (RoundedRect { QRectF(1, 1, 18, 18), 3 }));
    QCOMPARE(checkBoxTickRect(20), QRectF(3, 0, 16, 16));
    // An 18-pixel radio: white centre of 10 when on, 15.5 when off.
    QCOMPARE(radioOuter(18), QRectF(0, 0, 18, 18));
    QCOMPARE(radioCentre(18, true), QRectF(4, 4, 10, 10));
    QCOMPARE(radioCentre(18, false), QRectF(1.25, 1.25, 15.5, 15.5));
    // Titles start after the image, 2 pixels further than the platform's.
    QCOMPARE(buttonTitleRect(QRectF(0, 0, 120, 20)), QRectF(24, 0, 96, 20));
    // Push buttons: a 1-pixel ring of radius 12.
    QCOMPARE(buttonRing(QRectF(0, 0, 90, 28)), (RoundedRect { QRectF(0, 0, 90, 28), 12 }));
    QCOMPARE(buttonFill(QRectF(0, 0, 90, 28)), (RoundedRect { QRectF(1, 1, 88, 26), 12 }));
}

void TstKitGeometry::sliderValuePart_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addColumn<bool>("ticks");
    QTest::addColumn<std::optional<QRectF>>("part");

    const QRectF bar(10, 8, 200, 4);
    QTest::newRow("half of 200") << 0.5 << false << std::optional(QRectF(10, 7, 100, 6));
    QTest::newRow("full") << 1.0 << false << std::optional(QRectF(10, 7, 200, 6));
    QTest::newRow("just over 3 pixels") << 0.0155 << false << std::optional(QRectF(10, 7, 3.1, 6));
    QTest::newRow("3 pixels: none") << 0.015 << false << std::optional<QRectF>();
    QTest::newRow("zero: none") << 0.0 << false << std::optional<QRectF>();
    QTest::newRow("tick marks: none") << 0.5 << true << std::optional<QRectF>();
    QTest::newRow("above the range: the bar and no more")
        << 1.7 << false << std::optional(QRectF(10, 7, 200, 6));
    QTest::newRow("not a number: none") << std::nan("") << false << std::optional<QRectF>();
}

void TstKitGeometry::sliderValuePart()
{
    QFETCH(double, fraction);
    QFETCH(bool, ticks);
    QFETCH(std::optional<QRectF>, part);

    const auto got = controls::sliderValuePart(QRectF(10, 8, 200, 4), fraction, ticks);
    QCOMPARE(got.has_value(), part.has_value());
    if (part) {
        QCOMPARE(got->rect, *part);
        QCOMPARE(got->radius, 3.0);
    }
}

void TstKitGeometry::sliderKnob()
{
    // The bar runs between the knob's centres at its two ends, so the value
    // part ends under the knob's centre.
    const QSizeF size(221, sliderHeight(false));
    QCOMPARE(sliderHeight(false), 21.0);
    QCOMPARE(sliderHeight(true), 30.0);
    const QRectF bar = sliderBarRect(size, false);
    QCOMPARE(bar, QRectF(10.5, 8.5, 200, 4));
    QCOMPARE(sliderTrack(bar), (RoundedRect { QRectF(10.5, 7.5, 200, 6), 3 }));
    const QRectF knob = sliderKnobRect(size, 0.5, false);
    QCOMPARE(knob, QRectF(100, 0, 21, 21));
    QCOMPARE(sliderKnobCircle(knob, false), QRectF(102, 2, 17, 17));
    QCOMPARE(sliderKnobCircle(knob, false).center().x(), bar.x() + 0.5 * bar.width());
    // With tick marks the disc sits one pixel lower and the bar with it.
    const QSizeF ticked(221, sliderHeight(true));
    QCOMPARE(sliderKnobCircle(sliderKnobRect(ticked, 0, true), true), QRectF(2, 3, 17, 17));
    QCOMPARE(sliderBarRect(ticked, true).center().y(), 11.5);
    QCOMPARE(sliderTickX(bar, 0, 5), 10.5);
    QCOMPARE(sliderTickX(bar, 4, 5), 210.5);
    QCOMPARE(sliderTickX(bar, 0, 1), 110.5);
    // A press maps back to the fraction, clamped at the ends.
    QCOMPARE(sliderFractionAt(bar, 60.5), 0.25);
    QCOMPARE(sliderFractionAt(bar, -40), 0.0);
    QCOMPARE(sliderFractionAt(bar, 400), 1.0);
}

void TstKitGeometry::progressFill_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("fill");

    QTest::newRow("0") << 0.0 << 100.0 << 0.0;
    QTest::newRow("half") << 50.0 << 100.0 << 99.0;
    QTest::newRow("maximum: all of the inside") << 100.0 << 100.0 << 198.0;
    QTest::newRow("above the maximum: all and no more") << 250.0 << 100.0 << 198.0;
    QTest::newRow("maximum 0: nothing, no division by zero") << 10.0 << 0.0 << 0.0;
    QTest::newRow("negative value") << -5.0 << 100.0 << 0.0;
    QTest::newRow("reset bar (-1)") << -1.0 << 100.0 << 0.0;
}

void TstKitGeometry::progressFill()
{
    QFETCH(double, value);
    QFETCH(double, maximum);
    QFETCH(double, fill);

    const QRectF bounds(0, 0, 200, 20);
    QCOMPARE(progressInside(bounds), (RoundedRect { QRectF(1, 1, 198, 18), 10 }));
    QCOMPARE(progressFillWidth(value, maximum, progressInside(bounds).rect.width()), fill);
}

void TstKitGeometry::textField()
{
    const QRectF frame(0, 0, 160, 22);
    QCOMPARE(textFieldTextRect(frame), QRectF(6, -1, 145, 22));
    QCOMPARE(textFieldTextRect(QRectF(10, 20, 100, 24)), QRectF(16, 19, 85, 24));
    QCOMPARE(textFieldRing(frame), (RoundedRect { frame, 11 }));
    QCOMPARE(textFieldInside(frame, true), (RoundedRect { QRectF(2, 2, 156, 18), 9 }));
    QCOMPARE(textFieldInside(frame, false), (RoundedRect { QRectF(1, 1, 158, 20), 10 }));
}

void TstKitGeometry::boxes_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<BoxKind>("kind");
    QTest::addColumn<QRectF>("line");

    const QRectF bounds(0, 0, 300, 10);
    QTest::newRow("horizontal line") << "Orvane.HLine" << BoxKind::HLine << QRectF(0, 2, 300, 6);
    QTest::newRow("vertical line") << "Orvane.VLine" << BoxKind::VLine << QRectF(2, 0, 296, 10);
    QTest::newRow("grey vertical line") << "Orvane.VBLine" << BoxKind::VBLine << QRectF(1, 0, 298, 10);
    QTest::newRow("panel") << "Orvane.Box" << BoxKind::Panel << QRectF();
    QTest::newRow("no identifier") << QString() << BoxKind::Panel << QRectF();
}

void TstKitGeometry::boxes()
{
    QFETCH(QString, identifier);
    QFETCH(BoxKind, kind);
    QFETCH(QRectF, line);

    QCOMPARE(boxKindFor(identifier), kind);
    QCOMPARE(boxLineRect(kind, QRectF(0, 0, 300, 10)), line);
    // The panel lies below the 22-pixel title band; the title's lower edge
    // stands 4 pixels above the panel.
    QCOMPARE(boxPanel(QRectF(0, 0, 300, 200)), (RoundedRect { QRectF(0, 22, 300, 178), 8 }));
    QCOMPARE(boxPanel(QRectF(0, 0, 300, 10)).rect, QRectF(0, 10, 300, 0));
    QCOMPARE(boxTitleTopLeft(17), QPointF(8, 1));
}

void TstKitGeometry::menuItemAndPopUp()
{
    QCOMPARE(kMenuItemSize, QSize(100, 22));
    QCOMPARE(menuItemTitleRect(QRectF(0, 0, 100, 22)), QRectF(22, 0, 82, 22));
    // The tick's lower-left corner is (5, 3) of the bottom-up view.
    QCOMPARE(menuItemTickTopLeft(QRectF(0, 0, 100, 22), 17), QPointF(5, 2));
    QCOMPARE(menuItemTickTopLeft(QRectF(0, 44, 140, 22), 17), QPointF(5, 46));

    const QRectF frame(0, 0, 220, 22);
    QCOMPARE(popUpRing(frame), (RoundedRect { frame, 12 }));
    QCOMPARE(popUpInside(frame), (RoundedRect { QRectF(1, 1, 218, 20), 12 }));
    QCOMPARE(popUpCapSource(QSizeF(218, 20)), QRectF(186, 0, 32, 20));
    QCOMPARE(popUpCapTarget(frame), QPointF(187, 1));
    QCOMPARE(popUpChevronUp(QSizeF(218, 20), QSizeF(9, 17)), QPointF(195, -2));
    QCOMPARE(popUpChevronDown(QSizeF(218, 20), QSizeF(9, 17)), QPointF(195, 3));
    // 10 in from the platform's title, 1 taller, 2 lower: centred, short of the cap.
    QCOMPARE(popUpTitleRect(frame, 16), QRectF(11, 3, 176, 17));
}

void TstKitGeometry::tabs_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("index");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("five main tabs in 600 start at 95")
        << "Orvane.Main" << 5 << 600.0 << 0 << QRectF(95, 0, 82, 42);
    QTest::newRow("second main tab") << "Orvane.Main" << 5 << 600.0 << 1 << QRectF(177, 0, 82, 42);
    QTest::newRow("action tabs") << "Orvane.ActCus" << 3 << 400.0 << 2 << QRectF(245, 0, 90, 32);
    QTest::newRow("other identifier: no size") << "Orvane.Tab" << 2 << 400.0 << 1 << QRectF(200, 0, 0, 0);
}

void TstKitGeometry::tabs()
{
    QFETCH(QString, identifier);
    QFETCH(int, count);
    QFETCH(double, width);
    QFETCH(int, index);
    QFETCH(QRectF, expected);

    const QSize size = tabSizeFor(identifier);
    QCOMPARE(tabRect(index, count, width, size), expected);
    QCOMPARE(tabAt(expected.center(), count, width, size), size.isEmpty() ? -1 : index);
    const QRectF strip = tabStripRect(count, width, size);
    QCOMPARE(strip.width(), double(count * size.width()));
    QCOMPARE(strip.center().x(), width / 2);
    // The panel starts halfway down the strip; its cut-out leaves 3 pixels
    // around the strip.
    QCOMPARE(tabPanelRect(QSizeF(width, 300), size),
        QRectF(0, size.height() / 2.0, width, 300 - size.height() / 2.0));
    QCOMPARE(tabPanelCutOut(count, width, size),
        (RoundedRect { strip.adjusted(-3, -3, 3, 3), size.height() / 2.0 + 3 }));
    QCOMPARE(tabPictureName(index, true), QStringLiteral("T%1S").arg(index + 1));
    QCOMPARE(tabPictureName(index, false), QStringLiteral("T%1N").arg(index + 1));
}

void TstKitGeometry::tabLabels_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<QPointF>>("positions"); // for 20-pixel lines 40 wide in (100, 0, 90, 32)

    QTest::newRow("one line") << "Keys" << QStringList { "Keys" } << QList<QPointF> { QPointF(125, 5) };
    QTest::newRow("two lines") << "Express\\nKeys" << QStringList { "Express", "Keys" }
                               << QList<QPointF> { QPointF(125, -2), QPointF(125, 12) };
    // Two equal lines each keep their own place.
    QTest::newRow("repeated line") << "Key\\nKey" << QStringList { "Key", "Key" }
                                   << QList<QPointF> { QPointF(125, -2), QPointF(125, 12) };
    QTest::newRow("a real line break is no break")
        << "A\nB" << QStringList { "A\nB" } << QList<QPointF> { QPointF(125, 5) };
}

void TstKitGeometry::tabLabels()
{
    QFETCH(QString, label);
    QFETCH(QStringList, lines);
    QFETCH(QList<QPointF>, positions);

    QCOMPARE(tabLabelLines(label), lines);
    const QList<QSizeF> sizes(lines.size(), QSizeF(40, 20));
    QCOMPARE(tabLabelLinePositions(QRectF(100, 0, 90, 32), sizes), positions);
}

QTEST_GUILESS_MAIN(TstKitGeometry)
#include "tst_kitgeometry.moc"
