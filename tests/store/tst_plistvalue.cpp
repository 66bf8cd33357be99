#include <limits>

#include <QTest>

#include "store/plistvalue.h"

using namespace store;

namespace {

template <typename T> QVariant given(const std::optional<T> &value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}

} // namespace

class TestPlistValue : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void truncatedUnsigned_data();
    void truncatedUnsigned();
    void containers();
};

// One row per stored value: what each typed read answers (invalid = absent).
void TestPlistValue::reads_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("integer");
    QTest::addColumn<QVariant>("unsignedNumber");
    QTest::addColumn<QVariant>("real");
    QTest::addColumn<QVariant>("boolean");
    QTest::addColumn<QVariant>("truth");
    QTest::addColumn<QVariant>("string");

    const QVariant none;
    QTest::newRow("integer") << QVariant(qint64(4)) << QVariant(qint64(4)) << QVariant(quint64(4))
                             << QVariant(4.0) << none << QVariant(true) << none;
    QTest::newRow("negative integer") << QVariant(qint64(-3)) << QVariant(qint64(-3)) << none
                                      << QVariant(-3.0) << none << QVariant(true) << none;
    QTest::newRow("char type counts as integer")
        << QVariant::fromValue(char(2)) << QVariant(qint64(2)) << QVariant(quint64(2)) << QVariant(2.0)
        << none << QVariant(true) << none;
    QTest::newRow("unsigned beyond qint64")
        << QVariant(std::numeric_limits<quint64>::max()) << none
        << QVariant(std::numeric_limits<quint64>::max()) << QVariant(18446744073709551616.0) << none
        << QVariant(true) << none;
    QTest::newRow("real is no integer")
        << QVariant(0.25) << none << none << QVariant(0.25) << none << QVariant(true) << none;
    QTest::newRow("float widened by its own value")
        << QVariant(0.1f) << none << none << QVariant(double(0.1f)) << none << QVariant(true) << none;
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN()) << none << none << none << none
                         << none << none;
    QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << none << none << none
                              << none << QVariant(true) << none;
    QTest::newRow("zero real is NO") << QVariant(0.0) << none << none << QVariant(0.0) << none
                                     << QVariant(false) << none;
    QTest::newRow("Boolean is no number")
        << QVariant(true) << none << none << none << QVariant(true) << QVariant(true) << none;
    QTest::newRow("text is nothing else") << QVariant(QStringLiteral("1")) << none << none << none << none
                                          << none << QVariant(QStringLiteral("1"));
    QTest::newRow("dictionary") << QVariant(QVariantMap { { "a", 1 } }) << none << none << none << none
                                << none << none;
    QTest::newRow("absent") << QVariant() << none << none << none << none << none << none;
}

void TestPlistValue::reads()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, integer);
    QFETCH(QVariant, unsignedNumber);
    QFETCH(QVariant, real);
    QFETCH(QVariant, boolean);
    QFETCH(QVariant, truth);
    QFETCH(QVariant, string);
    QCOMPARE(given(integerValue(value)), integer);
    QCOMPARE(given(unsignedValue(value)), unsignedNumber);
    QCOMPARE(given(realValue(value)), real);
    QCOMPARE(given(booleanValue(value)), boolean);
    QCOMPARE(given(truthValue(value)), truth);
    QCOMPARE(given(stringValue(value)), string);
    QCOMPARE(isNumber(value), integer.isValid() || unsignedNumber.isValid() || isReal(value));
}

// The unsigned settings also take a real that another writer left.
void TestPlistValue::truncatedUnsigned_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");
    const QVariant none;
    QTest::newRow("integer") << QVariant(qint64(3)) << QVariant(quint64(3));
    QTest::newRow("negative integer") << QVariant(qint64(-1)) << none;
    QTest::newRow("real truncated") << QVariant(2.9) << QVariant(quint64(2));
    QTest::newRow("negative real") << QVariant(-0.5) << none;
    QTest::newRow("real from 2^64 on") << QVariant(18446744073709551616.0) << none;
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN()) << none;
    QTest::newRow("Boolean") << QVariant(true) << none;
    QTest::newRow("text") << QVariant(QStringLiteral("2")) << none;
}

void TestPlistValue::truncatedUnsigned()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    QCOMPARE(given(truncatedUnsignedValue(value)), expected);
}

void TestPlistValue::containers()
{
    const QVariantMap map { { "k", 1 } };
    QCOMPARE(dictionaryValue(map), std::optional<QVariantMap>(map));
    QVERIFY(!dictionaryValue(QVariantList { 1 }));
    QVERIFY(!dictionaryValue(QStringLiteral("{}")));
    QCOMPARE(arrayValue(QVariantList { 1, "a" }), std::optional<QVariantList>(QVariantList { 1, "a" }));
    QCOMPARE(arrayValue(QStringList { "a", "b" }), std::optional<QVariantList>(QVariantList { "a", "b" }));
    QVERIFY(!arrayValue(map));
}

QTEST_GUILESS_MAIN(TestPlistValue)
#include "tst_plistvalue.moc"
