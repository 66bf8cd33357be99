// Every control of the kit in each variant and state, rendered to PNG and
// sampled at the points its look fixes.
#include <QApplication>
#include <QTest>

#include "controls/kitgeometry.h"
#include "controls/kitstyle.h"
#include "controls/orvanebox.h"
#include "controls/orvanebutton.h"
#include "controls/orvanecheckboxbutton.h"
#include "controls/orvaneprogressindicator.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvaneslider.h"
#include "controls/orvanetextfield.h"
#include "support_render.h"

using namespace controls;

namespace {

const QColor kGreenRgb(30, 115, 71);
const QColor kLightGreenRgb(51, 176, 108);
const QColor kWhiteRgb(255, 255, 255);

QColor greyOf(int level)
{
    return QColor(level, level, level);
}

} // namespace

#define SAMPLE(image, x, y, expected)                                                                        \
    QVERIFY2(near((image).pixelColor((x), (y)), (expected)),                                                 \
        qPrintable(QStringLiteral("(%1, %2) is %3, not %4")                                                  \
                       .arg(x)                                                                               \
                       .arg(y)                                                                               \
                       .arg(describe((image).pixelColor((x), (y))), describe(expected))))

enum class State { Normal, Pressed, Focused, Disabled };
Q_DECLARE_METATYPE(State)

class TstKitRender : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { saveRenderSheet(QStringLiteral("sheet-controls")); }
    void pushButton_data();
    void pushButton();
    void checkBox_data();
    void checkBox();
    void radioButton_data();
    void radioButton();
    void slider_data();
    void slider();
    void progressBar_data();
    void progressBar();
    void progressBarImageFollowsSize();
    void textField_data();
    void textField();
    void box_data();
    void box();
};

void TstKitRender::pushButton_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<State>("state");
    QTest::addColumn<QColor>("ring");
    QTest::addColumn<QColor>("fill");

    const QColor grey194 = greyOf(194);
    const QList<std::pair<QString, QList<QColor>>> variants {
        { QString(), { grey194, kWhiteRgb, kGreenRgb, kGreenRgb } },
        { QStringLiteral("Orvane.Normal"), { grey194, kWhiteRgb, grey194, kWhiteRgb } },
        { QStringLiteral("Orvane.Highlight"), { kGreenRgb, kGreenRgb, kGreenRgb, kGreenRgb } },
        { QStringLiteral("Orvane.Return"), { kLightGreenRgb, kLightGreenRgb, kGreenRgb, kGreenRgb } },
    };
    for (const auto &[identifier, colours] : variants) {
        const QString name = identifier.isEmpty() ? QStringLiteral("plain") : identifier;
        QTest::addRow("%s normal", qPrintable(name))
            << identifier << State::Normal << colours[0] << colours[1];
        QTest::addRow("%s pressed", qPrintable(name))
            << identifier << State::Pressed << colours[2] << colours[3];
        QTest::addRow("%s focused", qPrintable(name))
            << identifier << State::Focused << kLightGreenRgb << colours[1];
        QTest::addRow("%s disabled", qPrintable(name))
            << identifier << State::Disabled << colours[0] << colours[1];
    }
}

void TstKitRender::pushButton()
{
    QFETCH(QString, identifier);
    QFETCH(State, state);
    QFETCH(QColor, ring);
    QFETCH(QColor, fill);

    QWidget window;
    auto *button = new OrvaneButton(QStringLiteral("&Apply"), &window);
    setIdentifier(button, identifier);
    button->resize(96, 28);
    if (state == State::Pressed)
        button->setDown(true);
    if (state == State::Disabled)
        button->setEnabled(false);
    if (state == State::Focused)
        QVERIFY(focusByTab(*button));
    QCOMPARE(button->cell().idStr, identifier);

    const QImage image = renderControl(*button, QStringLiteral("button-") + QTest::currentDataTag());
    // A 1-pixel ring (2 pixels while focused) around the fill.
    SAMPLE(image, 48, 0, ring);
    SAMPLE(image, 48, 1, state == State::Focused ? ring : fill);
    SAMPLE(image, 48, 2, fill);
    SAMPLE(image, 48, 25, fill);
    // "Orvane.Normal" has no pressed look: pressed and released alike.
    if (identifier == QLatin1String("Orvane.Normal") && state == State::Pressed) {
        button->setDown(false);
        QCOMPARE(renderControl(*button, QStringLiteral("button-Orvane.Normal released")), image);
    }
}

void TstKitRender::checkBox_data()
{
    QTest::addColumn<Qt::CheckState>("check");
    QTest::addColumn<State>("state");

    for (const auto &[name, check] : { std::pair("off", Qt::Unchecked), std::pair("on", Qt::Checked),
             std::pair("mixed", Qt::PartiallyChecked) }) {
        QTest::addRow("%s", name) << check << State::Normal;
        QTest::addRow("%s focused", name) << check << State::Focused;
        QTest::addRow("%s disabled", name) << check << State::Disabled;
    }
}

void TstKitRender::checkBox()
{
    QFETCH(Qt::CheckState, check);
    QFETCH(State, state);

    QWidget window;
    auto *box = new OrvaneCheckboxButton(QStringLiteral("Turn &notices off"), &window);
    box->setTristate(check == Qt::PartiallyChecked);
    box->setCheckState(check);
    box->resize(box->sizeHint());
    QCOMPARE(box->height(), 20);
    if (state == State::Disabled)
        box->setEnabled(false);
    if (state == State::Focused)
        QVERIFY(focusByTab(*box));

    const QImage image = renderControl(*box, QStringLiteral("checkbox-") + QTest::currentDataTag());
    if (check == Qt::Checked) {
        // Green square; the white tick only inside its 16 x 16 area at (3, 0).
        SAMPLE(image, 10, 18, kGreenRgb);
        SAMPLE(image, 1, 10, kGreenRgb);
        int inTickArea = 0;
        int outside = 0;
        for (int y = 1; y < 19; ++y) {
            for (int x = 1; x < 19; ++x) {
                if (!near(image.pixelColor(x, y), kWhiteRgb, 40))
                    continue;
                (QRect(3, 0, 16, 16).contains(x, y) ? inTickArea : outside)++;
            }
        }
        QVERIFY2(inTickArea > 10, qPrintable(QString::number(inTickArea)));
        QCOMPARE(outside, 0);
    } else {
        // Off and mixed alike: a 1-pixel grey ring around white.
        SAMPLE(image, 0, 10, greyOf(165));
        SAMPLE(image, 10, 0, greyOf(165));
        SAMPLE(image, 1, 10, kWhiteRgb);
        SAMPLE(image, 10, 10, kWhiteRgb);
    }
}

void TstKitRender::radioButton_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<State>("state");

    for (const auto &[name, on] : { std::pair("off", false), std::pair("on", true) }) {
        QTest::addRow("%s", name) << on << State::Normal;
        QTest::addRow("%s focused", name) << on << State::Focused;
        QTest::addRow("%s disabled", name) << on << State::Disabled;
    }
}

void TstKitRender::radioButton()
{
    QFETCH(bool, on);
    QFETCH(State, state);

    QWidget window;
    auto *radio = new OrvaneRadioButton(QStringLiteral("Absolute"), &window);
    radio->setChecked(on);
    radio->resize(radio->sizeHint());
    QCOMPARE(radio->height(), 18);
    if (state == State::Disabled)
        radio->setEnabled(false);
    if (state == State::Focused)
        QVERIFY(focusByTab(*radio));

    const QImage image = renderControl(*radio, QStringLiteral("radio-") + QTest::currentDataTag());
    // The centre is white; on: a 4-pixel green ring (a white disc of 10),
    // off: a 1.25-pixel grey ring.
    SAMPLE(image, 9, 9, kWhiteRgb);
    if (on) {
        SAMPLE(image, 2, 9, kGreenRgb);
        SAMPLE(image, 9, 15, kGreenRgb);
        SAMPLE(image, 5, 9, kWhiteRgb);
    } else {
        SAMPLE(image, 0, 9, greyOf(156));
        SAMPLE(image, 2, 9, kWhiteRgb);
    }
}

void TstKitRender::slider_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<State>("state");
    QTest::addColumn<bool>("valuePart");

    QTest::newRow("half") << 0.5 << 0 << State::Normal << true;
    QTest::newRow("quarter focused") << 0.25 << 0 << State::Focused << true;
    QTest::newRow("part of 3 pixels or less") << 0.014 << 0 << State::Normal << false;
    QTest::newRow("tick marks") << 0.5 << 5 << State::Normal << false;
    QTest::newRow("disabled") << 0.5 << 0 << State::Disabled << true;
    QTest::newRow("disabled with tick marks") << 0.5 << 5 << State::Disabled << false;
}

void TstKitRender::slider()
{
    QFETCH(double, value);
    QFETCH(int, ticks);
    QFETCH(State, state);
    QFETCH(bool, valuePart);

    QWidget window;
    auto *slider = new OrvaneSlider(&window);
    slider->setNumberOfTickMarks(ticks);
    slider->setDoubleValue(value);
    slider->resize(221, slider->sizeHint().height());
    if (state == State::Disabled)
        slider->setEnabled(false);
    if (state == State::Focused)
        QVERIFY(focusByTab(*slider));

    const QImage image = renderControl(*slider, QStringLiteral("slider-") + QTest::currentDataTag());
    const bool hasTicks = ticks > 0;
    const QRectF bar = sliderBarRect(slider->size(), hasTicks);
    const int barY = int(bar.center().y());
    const QColor barColour = state == State::Disabled ? greyOf(211) : kWhiteRgb;
    // The bar left of the knob is green only where the value part is drawn.
    SAMPLE(image, 12, barY, valuePart ? kGreenRgb : barColour);
    SAMPLE(image, 205, barY, barColour);
    const QRectF knob = sliderKnobCircle(sliderKnobRect(slider->size(), value, hasTicks), hasTicks);
    SAMPLE(image, int(knob.center().x()), int(knob.center().y()), barColour);
    SAMPLE(image, int(knob.center().x()), int(knob.top()),
        state == State::Focused ? kLightGreenRgb : greyOf(174));
}

void TstKitRender::progressBar_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("filledTo"); // last x filled light green; -1: none

    QTest::newRow("0") << 100 << 0 << -1;
    QTest::newRow("half") << 100 << 50 << 99;
    QTest::newRow("maximum") << 100 << 100 << 198;
    QTest::newRow("maximum 0") << 0 << 0 << -1;
}

void TstKitRender::progressBar()
{
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(int, filledTo);

    OrvaneProgressIndicator bar;
    bar.setRange(0, maximum);
    bar.setValue(value);
    bar.resize(200, 20);

    const QImage image = renderControl(bar, QStringLiteral("progress-") + QTest::currentDataTag());
    SAMPLE(image, 100, 0, greyOf(205));
    SAMPLE(image, 0, 10, greyOf(205));
    for (int x = 12; x < 188; x += 8)
        SAMPLE(image, x, 10, x < filledTo ? kLightGreenRgb : kWhiteRgb);
}

void TstKitRender::progressBarImageFollowsSize()
{
    // The bar is made once per size and density: a resized bar is drawn
    // with a bar of its new size, not a stretched or cut old one.
    OrvaneProgressIndicator bar;
    bar.setRange(0, 100);
    bar.setValue(100);
    bar.resize(100, 20);
    const auto draw = [&] {
        QImage image(bar.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        bar.render(&image);
        return image;
    };
    draw();
    const int made = bar.barImagesMade();
    draw();
    QCOMPARE(bar.barImagesMade(), made);
    bar.resize(240, 20);
    const QImage wide = draw();
    QCOMPARE(bar.barImagesMade(), made + 1);
    SAMPLE(wide, 230, 10, kLightGreenRgb);
    SAMPLE(wide, 120, 10, kLightGreenRgb);
}

void TstKitRender::textField_data()
{
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << State::Normal << QString();
    QTest::newRow("text") << State::Normal << QStringLiteral("Photo editor");
    QTest::newRow("focused") << State::Focused << QStringLiteral("Photo editor");
    QTest::newRow("disabled") << State::Disabled << QStringLiteral("Photo editor");
}

void TstKitRender::textField()
{
    QFETCH(State, state);
    QFETCH(QString, text);

    QWidget window;
    auto *field = new OrvaneTextField(&window);
    field->setPlaceholderText(QStringLiteral("Name"));
    field->setText(text);
    field->resize(160, 22);
    if (state == State::Disabled)
        field->setEnabled(false);
    if (state == State::Focused)
        QVERIFY(focusByTab(*field));

    const QImage image = renderControl(*field, QStringLiteral("textfield-") + QTest::currentDataTag());
    if (state == State::Focused) {
        SAMPLE(image, 80, 0, kLightGreenRgb);
        SAMPLE(image, 80, 1, kLightGreenRgb);
        SAMPLE(image, 80, 2, kWhiteRgb);
    } else {
        SAMPLE(image, 80, 0, greyOf(188));
        SAMPLE(image, 80, 1, kWhiteRgb);
    }
    // The text starts at x + 6: the cursor before its first character stands there.
    field->setCursorPosition(0);
    const QRect cursor = field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY2(qAbs(cursor.center().x() - 6) <= 1, qPrintable(QString::number(cursor.center().x())));
}

void TstKitRender::box_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("title");

    QTest::newRow("panel") << QString() << QString();
    QTest::newRow("panel with title") << QString() << QStringLiteral("Pen buttons");
    QTest::newRow("horizontal line") << QStringLiteral("Orvane.HLine") << QString();
    QTest::newRow("vertical line") << QStringLiteral("Orvane.VLine") << QString();
    QTest::newRow("grey vertical line") << QStringLiteral("Orvane.VBLine") << QString();
}

void TstKitRender::box()
{
    QFETCH(QString, identifier);
    QFETCH(QString, title);

    OrvaneBox box;
    setIdentifier(&box, identifier);
    box.setTitle(title);
    const BoxKind kind = box.kind();
    box.resize(kind == BoxKind::HLine ? QSize(200, 10)
            : kind == BoxKind::Panel  ? QSize(240, 120)
                                      : QSize(10, 100));
    const QColor backdrop = box.palette().color(QPalette::Window);

    const QImage image = renderControl(box, QStringLiteral("box-") + QTest::currentDataTag());
    switch (kind) {
    case BoxKind::Panel:
        SAMPLE(image, 120, 70, greyOf(238));
        SAMPLE(image, 120, 10, backdrop);
        QCOMPARE(box.contentsMargins().top(), 22);
        // A title draws in the band only when there is one.
        {
            bool dark = false;
            for (int x = 8; x < 100; ++x)
                dark = dark || image.pixelColor(x, 10).lightness() < 100;
            QCOMPARE(dark, !title.isEmpty());
        }
        break;
    case BoxKind::HLine:
        SAMPLE(image, 100, 2, kGreenRgb);
        SAMPLE(image, 100, 7, kGreenRgb);
        SAMPLE(image, 100, 1, backdrop);
        SAMPLE(image, 100, 8, backdrop);
        break;
    case BoxKind::VLine:
        SAMPLE(image, 2, 50, kGreenRgb);
        SAMPLE(image, 1, 50, backdrop);
        break;
    case BoxKind::VBLine:
        SAMPLE(image, 1, 50, greyOf(170));
        SAMPLE(image, 8, 50, greyOf(170));
        SAMPLE(image, 0, 50, backdrop);
        break;
    }
}

QTEST_MAIN(TstKitRender)
#include "tst_kitrender.moc"
