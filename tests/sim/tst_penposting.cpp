// The pen's road from report to posted event, one behaviour per script:
// a Tevra N4 (84.5 x 63.2 report units) over one 1920 x 1080 display.

#include <QJsonObject>
#include <QTest>

#include "simrun.h"
#include "store/ovdefaults.h"
#include "store/ovmodels.h"
#include "store/ovrecttext.h"

namespace {

const QString kKey = store::devKeyFor(store::Model::TevraN4);

// Hover at X 42.25, Y 16 units; tip down there; lift.
const QString kHover = QStringLiteral("report n 02 A0 40 2A 00 10 00 00 00 00\n");
const QString kTip = QStringLiteral("report n 02 A1 40 2A 00 10 00 10 00 00\n");
constexpr double kUX = 42.25;
constexpr double kUY = 16.0;

QString change(const QString &category, const QString &key, const QString &json)
{
    return QStringLiteral("notify OVCFGDNotification {\"%1\": {\"c\": \"%2\", \"k\": \"%3\", \"v\": %4}}\n")
        .arg(kKey, category, key, json);
}

QString script(const QString &prelude, const QString &strokes)
{
    return QStringLiteral("display 1 0 0 1920 1080 main\nconnect n \"Tevra N4\" page=0xFF0A\n") + prelude
        + kHover + kTip // the first tip report of a service is dropped
        + strokes;
}

QList<QJsonObject> posts(const Run &run)
{
    QList<QJsonObject> list;
    for (const Line &line : run.of(QStringLiteral("post")))
        list << line.value.toObject();
    return list;
}

QList<int> types(const QList<QJsonObject> &posts)
{
    QList<int> list;
    for (const QJsonObject &p : posts)
        list << p.value("type").toInt();
    return list;
}

} // namespace

class TestPenPosting : public QObject
{
    Q_OBJECT
private slots:
    void placement_data();
    void placement();
    void doubleClick_data();
    void doubleClick();
    void heldModifiers();
    void nothingPosted_data();
    void nothingPosted();
    void relativeMode_data();
    void relativeMode();
    void penDisplayCalibrated_data();
    void penDisplayCalibrated();
};

void TestPenPosting::placement_data()
{
    QTest::addColumn<QString>("prelude");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("pressure");

    // Factory curve: straight, 0x1000 of 8192 is half pressure.
    QTest::newRow("orientation 0") << QString() << 1920 * kUX / 84.5 << 1080 * kUY / 63.2 << 0.5;
    // 90 degrees: tablet X drives screen y, tablet Y drives screen x shrinking.
    QTest::newRow("orientation 90") << change("OVCFGPenKey", "OVCFGDegree", "1") << (63.2 - kUY) * 1920 / 63.2
                                    << kUX * 1080 / 84.5 << 0.5;
    // A portion stored bottom-up: {{100, 80}, {800, 600}} is y 400..1000 from the top.
    QTest::newRow("portion of the desktop")
        << change("OVCFGMonitor", "OVCFGMonitorMap", "1")
               + change("OVCFGMonitor", "OVCFGMonitorFrame", "\"{{100, 80}, {800, 600}}\"")
        << 100 + kUX * 800 / 84.5 << 400 + kUY * 600 / 63.2 << 0.5;
    // The upper half of the tablet's width-centred 2 x 1.5 inches: the stored
    // origin is the rectangle's lower-left corner, 1.5 inches up, which is Y 0
    // of the device's top-down counts; x0 = 84.5 * 1 / 4.
    QTest::newRow("tablet rectangle")
        << change("OVCFGTablet", "OVCFGTabletMap", "1")
               + change("OVCFGTablet", "OVCFGTabletFrame", "\"{{1, 1.5}, {2, 1.5}}\"")
        << (kUX - 84.5 / 4) * 1920 / (84.5 / 2) << kUY * 1080 / (63.2 / 2) << 0.5;
    QTest::newRow("pressure off posts full pressure")
        << change("OVCFGPenKey", "OVCFGPressure", "false") << 1920 * kUX / 84.5 << 1080 * kUY / 63.2 << 1.0;
}

void TestPenPosting::placement()
{
    QFETCH(QString, prelude);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, pressure);

    Run run;
    runSimulator(script(prelude, kTip + kHover), &run);
    const QList<QJsonObject> all = posts(run);
    const QList<int> kinds = types(all);
    const qsizetype down = kinds.indexOf(1);
    QVERIFY2(down >= 0, run.out.constData());
    // Enter range first: proximity, then moved, at the same place.
    QCOMPARE(kinds.mid(0, 2), (QList<int>{24, 5}));
    const QJsonObject event = all[down];
    QVERIFY2(qAbs(event.value("x").toDouble() - x) < 1e-3, qPrintable(QString::number(event.value("x").toDouble())));
    QVERIFY2(qAbs(event.value("y").toDouble() - y) < 1e-3, qPrintable(QString::number(event.value("y").toDouble())));
    QCOMPARE(event.value("fields").toObject().value("2").toDouble(), pressure);
    QCOMPARE(kinds.indexOf(2, down) > down, true); // lifting posts the up
}

void TestPenPosting::doubleClick_data()
{
    QTest::addColumn<QString>("front");
    QTest::addColumn<bool>("doubled");
    QTest::newRow("text editor") << QStringLiteral("front org.gnome.TextEditor \"gnome-text-editor\"\n") << true;
    QTest::newRow("Krita in front") << QStringLiteral("front org.kde.krita \"Krita\"\n") << false;
}

void TestPenPosting::doubleClick()
{
    QFETCH(QString, front);
    QFETCH(bool, doubled);

    Run run;
    runSimulator(script(front, kTip + kHover + QStringLiteral("wait 0.2\n") + kTip + kHover), &run);
    const QList<QJsonObject> all = posts(run);
    const QList<int> kinds = types(all);
    const qsizetype first = kinds.indexOf(1);
    const qsizetype firstUp = kinds.indexOf(2, first);
    QVERIFY2(first >= 0 && firstUp > first, run.out.constData());
    const QList<int> second = kinds.mid(firstUp + 1);
    if (doubled) {
        // down, up, down with click state 2, up; then the pen's own up.
        QCOMPARE(second, (QList<int>{1, 2, 1, 2, 2}));
        QCOMPARE(all[firstUp + 3].value("fields").toObject().value("1").toInt(), 2);
        QVERIFY(!all[firstUp + 1].value("fields").toObject().contains("7")); // not a tablet point
    } else {
        QCOMPARE(second, (QList<int>{1, 2}));
        QCOMPARE(all[firstUp + 1].value("fields").toObject().value("1").toInt(), 1);
    }
}

void TestPenPosting::heldModifiers()
{
    Run run;
    runSimulator(script(QStringLiteral("modifiers 55 100000\nmodifiers 56 120000\n"), kTip + kHover), &run);
    const QList<QJsonObject> all = posts(run);
    const qsizetype down = types(all).indexOf(1);
    QVERIFY(down >= 0);
    QCOMPARE(all[down].value("flags").toInteger(), qint64(0x100000 | 0x20000));
}

void TestPenPosting::nothingPosted_data()
{
    QTest::addColumn<QString>("prelude");
    // The lower half: Y 31.6 .. 63.2 of the device's counts; the pen is at 16.
    QTest::newRow("pen outside the tablet rectangle")
        << change("OVCFGTablet", "OVCFGTabletMap", "1")
               + change("OVCFGTablet", "OVCFGTabletFrame", "\"{{1, 0}, {2, 1.5}}\"");
    QTest::newRow("tablet rectangle of no width")
        << change("OVCFGTablet", "OVCFGTabletMap", "1")
               + change("OVCFGTablet", "OVCFGTabletFrame", "\"{{1, 0}, {0, 3}}\"");
    QTest::newRow("coordinate mode neither absolute nor relative")
        << change("OVCFGPenKey", "OVCFGCoordinateMode", "2");
}

void TestPenPosting::nothingPosted()
{
    QFETCH(QString, prelude);
    Run run;
    runSimulator(script(prelude, kTip + kHover), &run);
    QVERIFY2(run.of(QStringLiteral("post")).isEmpty(), run.out.constData());
}

void TestPenPosting::relativeMode_data()
{
    QTest::addColumn<QString>("file"); // the driver's file of the device before it connects
    QTest::addColumn<QString>("settings"); // changes after it connected
    QTest::addColumn<double>("speed"); // what the movement is multiplied by

    const QString relative = change("OVCFGPenKey", "OVCFGCoordinateMode", "1");
    QTest::newRow("speed 1.5 from the pen page")
        << QString() << relative + change("OVCFGPenKey", "OVCFGTrackingSpeed", "1.5") << 1.5;
    // Hand-edited or imported files: the pointer moves at the factory speed
    // rather than standing still.
    const auto file = [](const QString &pen) {
        return QStringLiteral("config \"Tevra N4\" {\"OVCFGPenKey\": {\"OVCFGCoordinateMode\": 1%1}}\n").arg(pen);
    };
    QTest::newRow("file without a speed") << file(QString()) << QString() << 1.0;
    QTest::newRow("file with speed 0") << file(QStringLiteral(", \"OVCFGTrackingSpeed\": 0.0")) << QString()
                                       << 1.0;
    QTest::newRow("file with a speed above the slider")
        << file(QStringLiteral(", \"OVCFGTrackingSpeed\": 9.0")) << QString() << 1.0;
}

void TestPenPosting::relativeMode()
{
    QFETCH(QString, file);
    QFETCH(QString, settings);
    QFETCH(double, speed);

    // Two displays stacked, all screens targeted: M = (0, 0, 1920, 2160). The
    // pointer rests on the lower display; the pen takes over from there.
    Run run;
    runSimulator(QStringLiteral("display 2 0 1080 1920 1080\npointer 500 1500\n") + file
                     + script(settings,
                        kHover
                            // +512 counts in X, +256 in Y: the largest step followed.
                            + QStringLiteral("report n 02 A0 40 2C 00 11 00 00 00 00\n")
                            // +513 counts in X: a jump, dropped.
                            + QStringLiteral("report n 02 A0 41 2E 00 11 00 00 00 00\n")
                            // -256 counts in X from the dropped sample.
                            + QStringLiteral("report n 02 A0 41 2D 00 11 00 00 00 00\n")),
                 &run);
    const QList<QJsonObject> all = posts(run);
    // Proximity and its move, then one moved event per followed step; the
    // tip reports of the prelude stay where the pen entered.
    QList<QPointF> moved;
    for (const QJsonObject &p : all) {
        if (p.value("type").toInt() == 5 && !p.value("fields").toObject().contains("38"))
            moved << QPointF(p.value("x").toDouble(), p.value("y").toDouble());
    }
    QVERIFY(!all.isEmpty());
    QCOMPARE(all.first().value("type").toInt(), 24);
    QCOMPARE(all.first().value("x").toDouble(), 500.0);
    QCOMPARE(all.first().value("y").toDouble(), 1500.0);
    const double perCountX = 1920 / 84.5 / 256 * speed;
    const double perCountY = 2160 / 63.2 / 256 * speed;
    QCOMPARE(moved.size(), 2);
    QVERIFY2(qAbs(moved[0].x() - (500 + 512 * perCountX)) < 1e-3, qPrintable(QString::number(moved[0].x())));
    QVERIFY2(qAbs(moved[0].y() - (1500 + 256 * perCountY)) < 1e-3, qPrintable(QString::number(moved[0].y())));
    QVERIFY2(qAbs(moved[1].x() - (500 + 256 * perCountX)) < 1e-3, qPrintable(QString::number(moved[1].x())));
}

void TestPenPosting::penDisplayCalibrated_data()
{
    QTest::addColumn<int>("ix");
    QTest::addColumn<double>("push");
    const QString key = store::devKeyFor(store::Model::Sorvi22);
    const QVariantMap monitor = store::defaultConfiguration(key, true, QString()).value("OVCFGMonitor").toMap();
    const QPointF maxX = store::pointFromString(monitor.value("OVCFGMonitorCalibMAXX").toString());
    const double rMax = maxX.x() * 255 + maxX.y();
    QTest::newRow("middle of the display") << 110 << 0.0;
    // Within 150 points of the left edge: pushed outward by 200 * (e - r).
    QTest::newRow("near the left edge") << 5 << 200 * (150.0 / 1920 - 5 * 255 / rMax);
}

void TestPenPosting::penDisplayCalibrated()
{
    QFETCH(int, ix);
    QFETCH(double, push);

    // A Sorvi 22 found by its panel name on the display right of the main one,
    // with its factory matrix and edge readings.
    const QString key = store::devKeyFor(store::Model::Sorvi22);
    const QVariantMap monitor = store::defaultConfiguration(key, true, QString()).value("OVCFGMonitor").toMap();
    const QVariantMap m = monitor.value("OVCFGMonitorCalib").toMap().value("OVCFGMonitorCalibZD").toMap();
    const QPointF maxX = store::pointFromString(monitor.value("OVCFGMonitorCalibMAXX").toString());
    const QPointF maxY = store::pointFromString(monitor.value("OVCFGMonitorCalibMAXY").toString());
    const double w = maxX.x() + maxX.y() / 255, h = maxY.x() + maxY.y() / 255;
    // The matrix works on global points: the display's x offset goes in first.
    const double x = 1920 + ix * 1920 / w, y = 60 * 1080 / h;
    const double expectedX = m["A"].toDouble() * x + m["B"].toDouble() * y + m["C"].toDouble() - push;
    const double expectedY = m["D"].toDouble() * x + m["E"].toDouble() * y + m["F"].toDouble();

    const QString xByte = QStringLiteral("%1").arg(ix, 2, 16, QLatin1Char('0'));
    Run run;
    runSimulator(QStringLiteral("display 1 0 0 1920 1080 main builtin name=\"Built-in\"\n"
                                "display 9 1920 0 1920 1080 name=\"SV22\"\n"
                                "connect s \"Sorvi 22\" page=0x01\n"
                                "wait 0.1\n"
                                "report s 01 A0 %1 00 3C 00 00 00 00\n"
                                "report s 01 41 %1 00 3C 00 40 00 00\n"
                                "report s 01 A0 %1 00 3C 00 00 00 00\n")
                     .arg(xByte),
                 &run);
    const QList<QJsonObject> all = posts(run);
    const qsizetype down = types(all).indexOf(1);
    QVERIFY2(down >= 0, run.out.constData());
    const double gotX = all[down].value("x").toDouble(), gotY = all[down].value("y").toDouble();
    QVERIFY2(qAbs(gotX - expectedX) < 1e-2 && qAbs(gotY - expectedY) < 1e-2,
             qPrintable(QStringLiteral("(%1, %2) vs (%3, %4)").arg(gotX).arg(gotY).arg(expectedX).arg(expectedY)));
}

QTEST_GUILESS_MAIN(TestPenPosting)
#include "tst_penposting.moc"
