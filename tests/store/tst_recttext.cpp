#include <limits>

#include <QTest>

#include "store/ovrecttext.h"

using namespace store;

class TestRectText : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void roundTripsFloatWidenedValues_data();
    void roundTripsFloatWidenedValues();
    void readsLeniently_data();
    void readsLeniently();
    void readsStrictly_data();
    void readsStrictly();
    void readsRectsStrictly_data();
    void readsRectsStrictly();
};

void TestRectText::formats_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QString>("rectText");
    QTest::addColumn<QString>("originText");

    QTest::newRow("whole numbers") << QRectF(0, 0, 800, 600) << "{{0, 0}, {800, 600}}"
                                   << "{0, 0}";
    QTest::newRow("16:9 band of a 4x3 inch tablet") << QRectF(0, 0.375, 4, 2.25) << "{{0, 0.375}, {4, 2.25}}"
                                                    << "{0, 0.375}";
    QTest::newRow("negative origin") << QRectF(-1920, -12.5, 1920, 1080) << "{{-1920, -12.5}, {1920, 1080}}"
                                     << "{-1920, -12.5}";
    // A float widened to double keeps all its digits; the text must not round
    // them to what the float would print.
    QTest::newRow("float widened") << QRectF(double(0.1f), 0, 1, 1) << "{{0.10000000149011612, 0}, {1, 1}}"
                                   << "{0.10000000149011612, 0}";
}

void TestRectText::formats()
{
    QFETCH(QRectF, rect);
    QFETCH(QString, rectText);
    QFETCH(QString, originText);
    QCOMPARE(stringFromRect(rect), rectText);
    QCOMPARE(stringFromPoint(rect.topLeft()), originText);
}

void TestRectText::roundTripsFloatWidenedValues_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::newRow("Kalverin S area") << QRectF(0, 0, double(6.99f), double(4.09f));
    QTest::newRow("Tevra N7 band") << QRectF(
        0, double((4.378f - 1080.0f * 7.0f / 1920.0f) * 0.5f), 7, double(1080.0f * 7.0f / 1920.0f));
    QTest::newRow("Tevra Q area") << QRectF(double(0.01f), double(3.543f), double(6.22f), 1e-7);
    QTest::newRow("large and small") << QRectF(1e21, -1e-300, 123456789.125, 0.3);
}

void TestRectText::roundTripsFloatWidenedValues()
{
    QFETCH(QRectF, rect);
    const QRectF read = rectFromString(stringFromRect(rect));
    // Exact: both programs compare stored areas bit for bit.
    QVERIFY(read.x() == rect.x());
    QVERIFY(read.y() == rect.y());
    QVERIFY(read.width() == rect.width());
    QVERIFY(read.height() == rect.height());
    const QPointF point = pointFromString(stringFromPoint(rect.bottomRight()));
    QVERIFY(point == rect.bottomRight());
}

void TestRectText::readsLeniently_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QPointF>("point");

    QTest::newRow("rect form") << "{{1, 2}, {3, 4}}" << QRectF(1, 2, 3, 4) << QPointF(1, 2);
    QTest::newRow("no blanks") << "{{1,2},{3,4}}" << QRectF(1, 2, 3, 4) << QPointF(1, 2);
    QTest::newRow("point form") << "{0.5, 0.25}" << QRectF(0.5, 0.25, 0, 0) << QPointF(0.5, 0.25);
    QTest::newRow("missing numbers are 0") << "{{1, 2}, {3}}" << QRectF(1, 2, 3, 0) << QPointF(1, 2);
    QTest::newRow("one number") << "{7}" << QRectF(7, 0, 0, 0) << QPointF(7, 0);
    QTest::newRow("empty") << "" << QRectF() << QPointF();
    QTest::newRow("garbage") << "garbage" << QRectF() << QPointF();
    QTest::newRow("lone signs and points") << "{-, ., +.}" << QRectF() << QPointF();
    QTest::newRow("signs and exponents")
        << "{ +1.5e2 , -.5 }" << QRectF(150, -0.5, 0, 0) << QPointF(150, -0.5);
    QTest::newRow("overflow reads as 0") << "{1e999, 2}" << QRectF(0, 2, 0, 0) << QPointF(0, 2);
    QTest::newRow("words are not numbers") << "{inf, nan}" << QRectF() << QPointF();
}

void TestRectText::readsLeniently()
{
    QFETCH(QString, text);
    QFETCH(QRectF, rect);
    QFETCH(QPointF, point);
    QCOMPARE(rectFromString(text), rect);
    QCOMPARE(pointFromString(text), point);
}

void TestRectText::readsStrictly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QPointF>("point");

    QTest::newRow("edge reading") << "{104, 180}" << true << QPointF(104, 180);
    QTest::newRow("blanks everywhere") << "  { -1.5 ,2e3 } " << true << QPointF(-1.5, 2000);
    QTest::newRow("leading point") << "{.5, 5.}" << true << QPointF(0.5, 5);
    QTest::newRow("empty") << "" << false << QPointF();
    QTest::newRow("one number") << "{1}" << false << QPointF();
    QTest::newRow("three numbers") << "{1, 2, 3}" << false << QPointF();
    QTest::newRow("no braces") << "1, 2" << false << QPointF();
    QTest::newRow("unclosed") << "{1, 2" << false << QPointF();
    QTest::newRow("rect form") << "{{1, 2}, {3, 4}}" << false << QPointF();
    QTest::newRow("trailing text") << "{1, 2}x" << false << QPointF();
    QTest::newRow("word") << "{1, x}" << false << QPointF();
    QTest::newRow("double comma") << "{1,, 2}" << false << QPointF();
    QTest::newRow("nan") << "{nan, 1}" << false << QPointF();
    QTest::newRow("inf") << "{1, inf}" << false << QPointF();
    QTest::newRow("overflow") << "{1e999, 1}" << false << QPointF();
}

void TestRectText::readsStrictly()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QPointF, point);
    const std::optional<QPointF> read = strictPointFromString(text);
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(*read, point);
}

void TestRectText::readsRectsStrictly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QRectF>("rect");

    QTest::newRow("16:9 band") << "{{0, 0.375}, {4, 2.25}}" << true << QRectF(0, 0.375, 4, 2.25);
    QTest::newRow("blanks and signs") << " {{ -1 ,+2},{3e1,.5 }} " << true << QRectF(-1, 2, 30, 0.5);
    QTest::newRow("point form") << "{1, 2}" << false << QRectF();
    QTest::newRow("no size") << "{{1, 2}}" << false << QRectF();
    QTest::newRow("flat") << "{1, 2, 3, 4}" << false << QRectF();
    QTest::newRow("missing brace") << "{{1, 2}, {3, 4}" << false << QRectF();
    QTest::newRow("trailing text") << "{{1, 2}, {3, 4}} x" << false << QRectF();
    QTest::newRow("inf") << "{{1, 2}, {inf, 4}}" << false << QRectF();
    QTest::newRow("overflow") << "{{1, 2}, {3, 1e400}}" << false << QRectF();
}

void TestRectText::readsRectsStrictly()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QRectF, rect);
    const std::optional<QRectF> read = strictRectFromString(text);
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(*read, rect);
}

QTEST_GUILESS_MAIN(TestRectText)
#include "tst_recttext.moc"
