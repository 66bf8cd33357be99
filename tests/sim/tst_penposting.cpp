// The pen's road from report to posted event, one behaviour per script:
// a Tevra N4 (84.5 x 63.2 report units) over one 1920 x 1080 display.

#include <QJsonObject>
#include <QTest>

#include "simrun.h"
#include "store/ovmodels.h"

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

QTEST_GUILESS_MAIN(TestPenPosting)
#include "tst_penposting.moc"
