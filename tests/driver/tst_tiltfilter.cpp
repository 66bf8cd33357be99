#include <cmath>
#include <optional>

#include <QTest>

#include "driver/tiltfilter.h"

using driver::TiltSample;

Q_DECLARE_METATYPE(TiltSample)
using Pop = std::optional<TiltSample>;
Q_DECLARE_METATYPE(Pop)

class TstTiltFilter : public QObject
{
    Q_OBJECT

private:
    // One driver's filter state, zeroed as at the driver's start.
    driver::TiltState tilt;

private slots:
    void init() { tilt = driver::TiltState(); }

    void filterProcess_data();
    void filterProcess();
    void medianSortsInPlace();
    void axesAreSeparate();
    void resetRestartsTheFilter();

    void smoother_data();
    void smoother();
    void smootherResetDropsTheWindow();
};

namespace {

QList<float> run(driver::TiltState &tilt, std::uint8_t axis, const QList<float> &inputs)
{
    QList<float> outputs;
    for (float input : inputs) {
        float output = -1;
        driver::TiltFilterProcess(tilt, axis, input, output);
        outputs << output;
    }
    return outputs;
}

QList<float> repeated(float value, int count)
{
    return QList<float>(count, value);
}

} // namespace

void TstTiltFilter::filterProcess_data()
{
    QTest::addColumn<QList<float>>("inputs");
    QTest::addColumn<QList<float>>("outputs");

    // The mean ring takes the median left by the previous call: 0 for the
    // first seven calls, the input from the eighth on; the mean appears once
    // ten values are in.
    QTest::newRow("constant 10 settles after 17 calls")
        << repeated(10, 18) << (repeated(0, 9) << 3 << 4 << 5 << 6 << 7 << 8 << 9 << 10 << 10);
    QTest::newRow("constant -20")
        << repeated(-20, 10) << (repeated(0, 9) << -6);
    QTest::newRow("zero input stays zero") << repeated(0, 12) << repeated(0, 12);
}

void TstTiltFilter::filterProcess()
{
    QFETCH(QList<float>, inputs);
    QFETCH(QList<float>, outputs);
    const QList<float> got = run(tilt, 1, inputs);
    QCOMPARE(got.size(), outputs.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        QVERIFY2(qAbs(got[i] - outputs[i]) < 1e-5f, qPrintable(QStringLiteral("call %1: %2 != %3")
                                                                   .arg(i + 1)
                                                                   .arg(got[i])
                                                                   .arg(outputs[i])));
}

void TstTiltFilter::medianSortsInPlace()
{
    // After seven inputs 7..1 the ring is sorted 1..7 (median 4) and the write
    // index is back at 0. The eighth input replaces the 1 that sorted into
    // slot 0, not the oldest sample 7: median 5 (a time-ordered window would
    // say 4). The ninth replaces the 3 in slot 1: median 6 (window: 4).
    const QList<float> inputs = {7, 6, 5, 4, 3, 2, 1};
    run(tilt, 1, inputs);
    QCOMPARE(tilt.medianX.median, 4.0f);
    run(tilt, 1, { 100 });
    QCOMPARE(tilt.medianX.median, 5.0f);
    run(tilt, 1, { 100 });
    QCOMPARE(tilt.medianX.median, 6.0f);
    // Tenth call: the mean ring holds seven zeros and the medians 4, 5, 6.
    QCOMPARE(run(tilt, 1, { 100 }).constFirst(), 1.5f);
}

void TstTiltFilter::axesAreSeparate()
{
    run(tilt, 1, repeated(10, 17));
    // Any axis but 1 is Y.
    const QList<float> y = run(tilt, 7, repeated(30, 10));
    QCOMPARE(y.constLast(), 9.0f);
    QCOMPARE(tilt.meanX.mean, 10.0f);
    QCOMPARE(tilt.medianY.median, 30.0f);
}

void TstTiltFilter::resetRestartsTheFilter()
{
    run(tilt, 1, repeated(10, 20));
    run(tilt, 0, repeated(10, 20));
    driver::TiltFilterReset(tilt);
    QCOMPARE(run(tilt, 1, repeated(10, 10)), (repeated(0, 9) << 3));
    QCOMPARE(run(tilt, 0, repeated(10, 10)), (repeated(0, 9) << 3));
}

void TstTiltFilter::smoother_data()
{
    QTest::addColumn<QList<TiltSample>>("pushes");
    QTest::addColumn<QList<Pop>>("pops");

    const Pop none;
    // t1 - t0 = 10 ms of t2 - t0 = 20 ms: share 0.5, k = 0.05. The middle's
    // own value (999) never enters.
    QTest::newRow("first output after the third sample")
        << QList<TiltSample>{{1000, 0, 1000, 10}, {1010, 999, 1010, 999}, {1020, 100, 1020, 30}}
        << QList<Pop>{none, none, TiltSample{1010, 5, 1010, 11}};
    // The smoothed 5 at 1010 is carried on as the first sample: share 10/30,
    // 5 + 95 * 0.0333.. = 8.1667.
    QTest::newRow("smoothed value carried on")
        << QList<TiltSample>{{1000, 0, 1000, 0}, {1010, 50, 1010, 0}, {1020, 100, 1020, 0},
                             {1040, 100, 1040, 0}}
        << QList<Pop>{none, none, TiltSample{1010, 5, 1010, 0}, TiltSample{1020, 8.166667f, 1020, 0}};
    QTest::newRow("constant input stays")
        << QList<TiltSample>{{1, 7, 1, -3}, {2, 7, 2, -3}, {4, 7, 4, -3}, {9, 7, 9, -3}}
        << QList<Pop>{none, none, TiltSample{2, 7, 2, -3}, TiltSample{4, 7, 4, -3}};
    // Three samples within one millisecond have no time share: the first
    // value is kept.
    QTest::newRow("same millisecond keeps the first")
        << QList<TiltSample>{{500, 0, 500, 40}, {500, 50, 500, 0}, {500, 100, 500, 0}}
        << QList<Pop>{none, none, TiltSample{500, 0, 500, 40}};
    // A 32-bit millisecond wrap between the samples is harmless.
    QTest::newRow("counter wrap")
        << QList<TiltSample>{{0xFFFFFFF6u, 0, 0xFFFFFFF6u, 0}, {0, 0, 0, 0}, {10, 100, 10, 100}}
        << QList<Pop>{none, none, TiltSample{0, 5, 0, 5}};
    // A wall clock stepped back between t0 and t1 would give a share of about
    // 4e9; it is held at 1, a tenth of the way.
    QTest::newRow("clock stepped back")
        << QList<TiltSample>{{1000, 0, 1000, 0}, {900, 0, 900, 0}, {1001, 100, 1001, -50}}
        << QList<Pop>{none, none, TiltSample{900, 10, 900, -5}};
}

void TstTiltFilter::smoother()
{
    QFETCH(QList<TiltSample>, pushes);
    QFETCH(QList<Pop>, pops);
    driver::TiltSmootherReset(tilt);
    TiltSample out;
    QVERIFY(!driver::TiltSmootherPop(tilt, out));
    for (qsizetype i = 0; i < pushes.size(); ++i) {
        driver::TiltSmootherPush(tilt, pushes[i]);
        const bool popped = driver::TiltSmootherPop(tilt, out);
        QCOMPARE(popped, pops[i].has_value());
        if (!popped)
            continue;
        QCOMPARE(out.tx, pops[i]->tx);
        QCOMPARE(out.ty, pops[i]->ty);
        QVERIFY2(std::fabs(out.x - pops[i]->x) < 1e-4f, qPrintable(QString::number(out.x)));
        QVERIFY2(std::fabs(out.y - pops[i]->y) < 1e-4f, qPrintable(QString::number(out.y)));
        QVERIFY(!driver::TiltSmootherPop(tilt, out));
    }
}

void TstTiltFilter::smootherResetDropsTheWindow()
{
    driver::TiltSmootherPush(tilt, { 1, 1, 1, 1 });
    driver::TiltSmootherPush(tilt, { 2, 2, 2, 2 });
    driver::TiltSmootherReset(tilt);
    TiltSample out;
    driver::TiltSmootherPush(tilt, { 3, 3, 3, 3 });
    driver::TiltSmootherPush(tilt, { 4, 4, 4, 4 });
    QVERIFY(!driver::TiltSmootherPop(tilt, out));
    driver::TiltSmootherPush(tilt, { 5, 5, 5, 5 });
    QVERIFY(driver::TiltSmootherPop(tilt, out));
    QCOMPARE(out.tx, 4u);

    // Output records not popped before a reset are gone with it.
    driver::TiltSmootherPush(tilt, { 6, 6, 6, 6 });
    driver::TiltSmootherReset(tilt);
    QVERIFY(!driver::TiltSmootherPop(tilt, out));
}

QTEST_GUILESS_MAIN(TstTiltFilter)
#include "tst_tiltfilter.moc"
