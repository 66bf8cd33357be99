// A pen display's calibration run as the settings application drives it:
// the steps arrive as notifications, the pen touches the display, the driver
// answers each touch and stores the correction at the end. A Sorvi 22 on its
// own 1920 x 1080 display, found by its panel name.

#include <cmath>

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include "calibtouches.h"
#include "platform/plist.h"
#include "simrun.h"
#include "store/ovdefaults.h"
#include "store/ovmodels.h"
#include "store/ovpublicobject.h"
#include "store/ovrecttext.h"

using namespace calibtouch;

namespace {

const QString kKey = store::devKeyFor(store::Model::Sorvi22);

QString step(const QString &json)
{
    return QStringLiteral("notify OVMCRequestDNotification %1\n").arg(json);
}

QString pointStep(int index, double x, double y)
{
    return step(QStringLiteral("{\"OVMCIndex\": %1, \"OVMCPoint\": \"{%2, %3}\"}").arg(index).arg(x).arg(y));
}

QString change(const QString &category, const QString &key, const QString &json)
{
    return QStringLiteral("notify OVCFGDNotification {\"%1\": {\"c\": \"%2\", \"k\": \"%3\"%4}}\n")
        .arg(kKey, category, key, json.isEmpty() ? QString() : QStringLiteral(", \"v\": ") + json);
}

QString script(const QString &body)
{
    return QStringLiteral("display 9 0 0 1920 1080 main name=\"SV22\"\n"
                          "running com.orvane.OrvaneTabletSetting 1\n"
                          "connect s \"Sorvi 22\" page=0x01\n"
                          "wait 0.1\n")
        + body + QStringLiteral("dump \"Sorvi 22\"\n");
}

// Left, top, right and bottom edge steps, each with its touch.
QString edgeSteps()
{
    const QStringList touches = edgeTouches();
    return step("{\"OVMCMINX\": true}") + touches[0] + step("{\"OVMCMINY\": true}") + touches[1]
        + step("{\"OVMCMAXX\": true}") + touches[2] + step("{\"OVMCMAXY\": true}") + touches[3];
}

// The answers of the driver, in order: "OVMCValid" or "OVMCFinish" and the value.
QList<QPair<QString, bool>> answers(const Run &run)
{
    QList<QPair<QString, bool>> list;
    for (const Line &line : run.of(QStringLiteral("notify"))) {
        const QJsonObject n = line.value.toObject();
        if (n.value("name").toString() != QLatin1String("OVMCResponseDNotification"))
            continue;
        const QJsonObject info = n.value("userInfo").toObject();
        for (auto it = info.begin(); it != info.end(); ++it)
            list.append({ it.key(), it.value().toBool() });
    }
    return list;
}

QJsonObject monitorOf(const Run &run)
{
    const auto dumps = run.of(QStringLiteral("config"));
    return dumps.isEmpty()
        ? QJsonObject()
        : dumps.last().value.toObject().value("value").toObject().value("OVCFGMonitor").toObject();
}

QList<QPointF> pointerDowns(const Run &run)
{
    QList<QPointF> list;
    for (const Line &line : run.of(QStringLiteral("post"))) {
        const QJsonObject p = line.value.toObject();
        if (p.value("type").toInt() == 1)
            list << QPointF(p.value("x").toDouble(), p.value("y").toDouble());
    }
    return list;
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT
private slots:
    void fullRun_data();
    void fullRun();
    void fiveIdenticalTouches();
    void resultNotKeptChangesNothing();
    void everyPenDisplayTakesPart();
    void foreignPointStepsAreIgnored_data();
    void foreignPointStepsAreIgnored();
    void factoryCalibration();
    void runEndsEarly_data();
    void runEndsEarly();
};

void TestCalibration::fullRun_data()
{
    QTest::addColumn<QString>("prelude");
    QTest::addColumn<int>("degree");
    QTest::addColumn<QString>("stored");
    QTest::newRow("factory calibration stored") << QString() << 0 << "OVCFGMonitorCalibZDCus";
    // The matrices removed: the result starts a calibration of its own.
    QTest::newRow("no calibration stored")
        << change("OVCFGMonitor", "OVCFGMonitorCalib", QString()) << 0 << "OVCFGMonitorCalibZDCus";
    // No edge steps at 90 degrees; the edge record stays the factory one.
    QTest::newRow("orientation 90") << change("OVCFGPenKey", "OVCFGDegree", "1") << 1
                                    << "OVCFGMonitorCalibNDCus";
}

void TestCalibration::fullRun()
{
    QFETCH(QString, prelude);
    QFETCH(int, degree);
    QFETCH(QString, stored);

    QString body = prelude + step("{\"OVMCBegin\": true}") + (degree == 0 ? edgeSteps() : QString());
    for (int i = 0; i < 5; ++i) {
        body += pointStep(i, kTargets[i].x(), kTargets[i].y())
            + pointTouch(kTargets[i].x() + 10, kTargets[i].y(), degree);
    }
    body += step("{\"OVMCEnd\": true}");
    Run run;
    runSimulator(script(body), &run);

    QList<QPair<QString, bool>> expected(degree == 0 ? 9 : 5, { QStringLiteral("OVMCValid"), true });
    expected.append({ QStringLiteral("OVMCFinish"), true });
    QCOMPARE(answers(run), expected);

    // Touches 10 points right of their targets: x' = x - 10.
    const QJsonObject monitor = monitorOf(run);
    const QJsonObject calib = monitor.value("OVCFGMonitorCalib").toObject();
    const QJsonObject cus = calib.value(stored).toObject();
    QVERIFY2(qAbs(cus.value("A").toDouble() - 1) < 1e-3 && qAbs(cus.value("E").toDouble() - 1) < 1e-3,
        qPrintable(QString::fromUtf8(run.of("config").last().raw)));
    QVERIFY(qAbs(cus.value("C").toDouble() + 10) < 0.05);
    QVERIFY(qAbs(cus.value("B").toDouble()) < 1e-3 && qAbs(cus.value("D").toDouble()) < 1e-3);
    QVERIFY(qAbs(cus.value("F").toDouble()) < 0.05);
    QCOMPARE(calib.contains("OVCFGMonitorCalibZD"), !prelude.contains("OVCFGMonitorCalib"));
    QCOMPARE(calib.size(), prelude.contains("OVCFGMonitorCalib") ? 1 : 5);
    if (degree != 0) {
        QVERIFY(!monitor.contains("OVCFGMonitorCalibMINXCus"));
        return;
    }

    // The accepted edge readings, as (integer part, fraction).
    const int mx = factoryCount("OVCFGMonitorCalibMAXX");
    const int my = factoryCount("OVCFGMonitorCalibMAXY");
    auto text = [](int count) { return store::stringFromPoint(QPointF(count / 255, count % 255)); };
    QCOMPARE(monitor.value("OVCFGMonitorCalibMINXCus").toString(), text(300));
    QCOMPARE(monitor.value("OVCFGMonitorCalibMINYCus").toString(), text(200));
    QCOMPARE(monitor.value("OVCFGMonitorCalibMAXXCus").toString(), text(mx - 77));
    QCOMPARE(monitor.value("OVCFGMonitorCalibMAXYCus").toString(), text(my - 44));
}

void TestCalibration::fiveIdenticalTouches()
{
    QString body = step("{\"OVMCBegin\": true}");
    for (int i = 0; i < 5; ++i)
        body += pointStep(i, 960, 540) + pointTouch(970, 540);
    body += step("{\"OVMCEnd\": true}");
    Run run;
    runSimulator(script(body), &run);

    QVERIFY(run.logged(QStringLiteral("ts_calibrate: determinant is too small -- 0.000000")));
    QList<QPair<QString, bool>> expected(5, { QStringLiteral("OVMCValid"), true });
    expected.append({ QStringLiteral("OVMCFinish"), false });
    QCOMPARE(answers(run), expected);
    const QJsonObject monitor = monitorOf(run);
    QVERIFY(!monitor.value("OVCFGMonitorCalib").toObject().contains("OVCFGMonitorCalibZDCus"));
    QVERIFY(!monitor.contains("OVCFGMonitorCalibMINXCus"));
}

// The store refuses the run's last write when the configuration would grow
// past what a load reads: the driver answers failure, and the file and the
// pen keep the correction they had before the run, edges included.
void TestCalibration::resultNotKeptChangesNothing()
{
    const QString touch = pointTouch(960, 540);
    QString run = step("{\"OVMCBegin\": true}") + edgeSteps();
    for (int i = 0; i < 5; ++i)
        run += pointStep(i, kTargets[i].x(), kTargets[i].y()) + pointTouch(kTargets[i].x() + 10, kTargets[i].y());
    // A setting of no meaning that fills the file; set just before the end,
    // so that the run's writes come after it.
    const auto body = [&](qsizetype padding) {
        return touch + run
            + change("OVCFGBoardKey", "OVCFGPadding", QLatin1Char('"') + QString(padding, QLatin1Char('x')) + '"')
            + step("{\"OVMCEnd\": true}") + QStringLiteral("wait 4\n") + touch;
    };
    const QString ownFile = QStringLiteral(".OVCFGS_") + kKey;
    const auto lastWrite = [&](const Run &r) {
        qint64 size = -1;
        for (const Line &line : r.of(QStringLiteral("write"))) {
            if (line.value.toObject().value("name").toString() == ownFile)
                size = line.value.toObject().value("size").toInteger();
        }
        return size;
    };

    // The size of the file with everything stored, measured with a short padding.
    const qsizetype probe = 1000;
    Run measured;
    runSimulator(script(body(probe)), &measured);
    QCOMPARE(answers(measured).last(), qMakePair(QStringLiteral("OVMCFinish"), true));
    const qint64 full = lastWrite(measured);
    QVERIFY(full > 0);

    // One byte too many for the last write of the run.
    Run run2;
    runSimulator(script(body(probe + qsizetype(store::kMaxConfigurationBytes + 1 - full))), &run2);
    QCOMPARE(answers(run2).last(), qMakePair(QStringLiteral("OVMCFinish"), false));
    QVERIFY(run2.logged(QStringLiteral("%1: cannot store calibration: not kept").arg(kKey)));
    const QJsonObject monitor = monitorOf(run2);
    QVERIFY(!monitor.value("OVCFGMonitorCalib").toObject().contains("OVCFGMonitorCalibZDCus"));
    for (const char *edge : { "MINX", "MINY", "MAXX", "MAXY" })
        QVERIFY2(!monitor.contains(QStringLiteral("OVCFGMonitorCalib%1Cus").arg(edge)), edge);
    // What was saved is the same: the padding, and no trace of the run.
    QByteArray saved;
    for (const Line &line : run2.of(QStringLiteral("write"))) {
        if (line.value.toObject().value("name").toString() == ownFile)
            saved = QByteArray::fromBase64(line.value.toObject().value("content").toString().toLatin1());
    }
    const std::optional<QVariant> file = platform::plist::parse(saved);
    QVERIFY(file);
    const QVariantMap savedMonitor = file->toMap().value("OVCFGMonitor").toMap();
    QVERIFY(file->toMap().value("OVCFGBoardKey").toMap().contains("OVCFGPadding"));
    QVERIFY(!savedMonitor.value("OVCFGMonitorCalib").toMap().contains("OVCFGMonitorCalibZDCus"));
    QVERIFY(!savedMonitor.contains("OVCFGMonitorCalibMINXCus"));
    // The touch after the run lands where the one before it did.
    const QList<QPointF> downs = pointerDowns(run2);
    QVERIFY(downs.size() >= 2);
    QCOMPARE(downs.last(), downs.first());
}

void TestCalibration::everyPenDisplayTakesPart()
{
    // A Sorvi10 beside the Sorvi 22: the steps reach both, only the Sorvi
    // 22's pen touches. Each answers the end for itself; the Sorvi10, whose
    // pen never touched, has nothing to fit.
    QString body = step("{\"OVMCBegin\": true}") + edgeSteps();
    for (int i = 0; i < 5; ++i)
        body += pointStep(i, kTargets[i].x(), kTargets[i].y())
            + pointTouch(kTargets[i].x() + 10, kTargets[i].y());
    body += step("{\"OVMCEnd\": true}") + QStringLiteral("dump \"Sorvi10\"\n");
    Run run;
    runSimulator(QStringLiteral("display 10 1920 0 1280 800 name=\"SV10\"\nconnect t \"Sorvi10\" page=0x01\n")
            + script(body),
        &run);

    const QList<QPair<QString, bool>> all = answers(run);
    QCOMPARE(all.count({ QStringLiteral("OVMCValid"), true }), 9);
    QCOMPARE(all.count({ QStringLiteral("OVMCValid"), false }), 0);
    QCOMPARE(all.count({ QStringLiteral("OVMCFinish"), true }), 1);
    QCOMPARE(all.count({ QStringLiteral("OVMCFinish"), false }), 1);
    QVERIFY(run.logged(QStringLiteral("ts_calibrate: determinant is too small -- 0.000000")));
    // Stored for the Sorvi 22 only.
    QHash<QString, bool> stored;
    for (const Line &dump : run.of(QStringLiteral("config"))) {
        const QJsonObject d = dump.value.toObject();
        stored.insert(d.value("device").toString(),
            d.value("value")
                .toObject()
                .value("OVCFGMonitor")
                .toObject()
                .value("OVCFGMonitorCalib")
                .toObject()
                .contains("OVCFGMonitorCalibZDCus"));
    }
    QCOMPARE(stored,
        (QHash<QString, bool> { { kKey, true }, { store::devKeyFor(store::Model::Sorvi10), false } }));
}

void TestCalibration::foreignPointStepsAreIgnored_data()
{
    // Each follows the step that made the centre point 0's target; a touch
    // at the centre must still count for it.
    QTest::addColumn<QString>("foreign");
    QTest::newRow("index outside 0..4") << "{\"OVMCIndex\": 5, \"OVMCPoint\": \"{150, 150}\"}";
    QTest::newRow("negative index") << "{\"OVMCIndex\": -1, \"OVMCPoint\": \"{150, 150}\"}";
    QTest::newRow("no index") << "{\"OVMCPoint\": \"{150, 150}\"}";
    QTest::newRow("index as text") << "{\"OVMCIndex\": \"0\", \"OVMCPoint\": \"{150, 150}\"}";
    QTest::newRow("point text that is no point") << "{\"OVMCIndex\": 0, \"OVMCPoint\": \"nowhere\"}";
    QTest::newRow("point that is no text") << "{\"OVMCIndex\": 0, \"OVMCPoint\": 150}";
}

void TestCalibration::foreignPointStepsAreIgnored()
{
    QFETCH(QString, foreign);
    Run run;
    runSimulator(
        script(step("{\"OVMCBegin\": true}") + pointStep(0, 960, 540) + step(foreign) + pointTouch(970, 540)),
        &run);
    QCOMPARE(answers(run), (QList<QPair<QString, bool>> { { QStringLiteral("OVMCValid"), true } }));
}

void TestCalibration::factoryCalibration()
{
    // At 180 degrees, with the user's own matrices for 0 and 180 degrees and
    // edge readings stored.
    QVariantMap calib = factoryMonitor().value("OVCFGMonitorCalib").toMap();
    const QString own
        = QStringLiteral("{\"A\": 1.0, \"B\": 0.0, \"C\": -3.0, \"D\": 0.0, \"E\": 1.0, \"F\": 2.0}");
    QString calibJson = QStringLiteral("{");
    for (auto it = calib.begin(); it != calib.end(); ++it)
        calibJson += QStringLiteral("\"%1\": %2, ").arg(it.key(), own);
    calibJson += QStringLiteral("\"OVCFGMonitorCalibZDCus\": %1, \"OVCFGMonitorCalibOEDCus\": %1}").arg(own);
    QString body
        = change("OVCFGPenKey", "OVCFGDegree", "2") + change("OVCFGMonitor", "OVCFGMonitorCalib", calibJson);
    for (const char *edge : { "MINX", "MINY", "MAXX", "MAXY" })
        body += change("OVCFGMonitor", QStringLiteral("OVCFGMonitorCalib%1Cus").arg(edge), "\"{0, 100}\"");
    body += step("{\"OVMCDefault\": true}");

    Run run;
    runSimulator(script(body), &run);
    const QJsonObject monitor = monitorOf(run);
    const QJsonObject stored = monitor.value("OVCFGMonitorCalib").toObject();
    QVERIFY(!stored.contains("OVCFGMonitorCalibOEDCus"));
    QVERIFY(stored.contains("OVCFGMonitorCalibZDCus"));
    for (const char *key :
        { "OVCFGMonitorCalibZD", "OVCFGMonitorCalibND", "OVCFGMonitorCalibOED", "OVCFGMonitorCalibTSD" })
        QVERIFY2(stored.contains(key), key);
    for (const char *edge : { "MINX", "MINY", "MAXX", "MAXY" })
        QVERIFY(!monitor.contains(QStringLiteral("OVCFGMonitorCalib%1Cus").arg(edge)));
    QVERIFY(answers(run).isEmpty());
}

void TestCalibration::runEndsEarly_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("cancel") << step("{\"OVMCCancel\": true}");
    QTest::newRow("settings application quits")
        << QStringLiteral("running com.orvane.OrvaneTabletSetting 0\n");
}

void TestCalibration::runEndsEarly()
{
    QFETCH(QString, end);
    // The same touch before, during and after the run: during it the pen is
    // placed without correction, after it with the stored one at once.
    const QString touch = pointTouch(960, 540);
    Run run;
    runSimulator(
        script(touch + step("{\"OVMCBegin\": true}") + pointStep(0, 960, 540) + touch + end + touch), &run);
    const QList<QPointF> downs = pointerDowns(run);
    QCOMPARE(downs.size(), 3);
    QVERIFY2(qAbs(downs[1].x() - 960) < 0.1 && qAbs(downs[1].y() - 540) < 0.1,
        qPrintable(QStringLiteral("%1, %2").arg(downs[1].x()).arg(downs[1].y())));
    // The factory matrix moves the point by whole points.
    QVERIFY(qAbs(downs[0].x() - downs[1].x()) > 1);
    QCOMPARE(downs[2], downs[0]);
    // The run's one touch was answered; nothing was stored.
    QCOMPARE(answers(run), (QList<QPair<QString, bool>> { { QStringLiteral("OVMCValid"), true } }));
    QVERIFY(!monitorOf(run).value("OVCFGMonitorCalib").toObject().contains("OVCFGMonitorCalibZDCus"));
}

QTEST_GUILESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
