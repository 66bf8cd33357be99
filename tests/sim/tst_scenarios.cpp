// End-to-end behaviours of the driver, as the simulator shows them.

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include "simrun.h"
#include "store/ovmodels.h"

using store::Model;

class TestScenarios : public QObject
{
    Q_OBJECT
private slots:
    void defaultsOfANewDevice();
    void startCommands();
    void penStrokeOnOneDisplay();
};

void TestScenarios::defaultsOfANewDevice()
{
    Run run;
    runSimulator(QStringLiteral("connect k \"Kalverin S\" page=0xFF0A\ndump \"Kalverin S\"\n"), &run);
    const auto dumps = run.of(QStringLiteral("config"));
    QCOMPARE(dumps.size(), 1);
    const QJsonObject dump = dumps.first().value.toObject();
    QCOMPARE(dump.value("device").toString(), store::devKeyFor(Model::KalverinS));
    const QJsonObject config = dump.value("value").toObject();
    const QJsonObject board = config.value("OVCFGBoardKey").toObject();
    const int expected[] = {1, 2, 3, 9, 10, 6};
    for (int n = 1; n <= 6; ++n)
        QCOMPARE(board.value(QStringLiteral("OVCFGBoardKey%1Def").arg(n)).toInt(), expected[n - 1]);
    QVERIFY(!board.contains("OVCFGBoardKey7Def"));
    QCOMPARE(config.value("OVCFGWheelKey").toObject().value("OVCFGWheelKeyCur").toInt(), 1);
    const QJsonObject pen = config.value("OVCFGPenKey").toObject();
    QVERIFY(pen.value("OVCFGPressure").isBool());
    // Kinds survive into the output: an integer prints without a decimal
    // point, a real always with one.
    const QByteArray raw = dumps.first().raw;
    QVERIFY(raw.contains("\"OVCFGTrackingSpeed\":1.0"));
    QVERIFY(raw.contains("\"OVCFGDegree\":0,"));
    QCOMPARE(config.value("OVCFGTablet").toObject().value("OVCFGTabletFrame").toString(),
             QStringLiteral("{{0, 0.07906270027160645}, {6.989999771118164, 3.9318747520446777}}"));
}

void TestScenarios::startCommands()
{
    Run run;
    runSimulator(QStringLiteral("connect q \"Tevra Q\" page=0xFF0A\n"
                                "connect p \"Sorvi 22Pro\" page=0xFF0A\n"
                                "connect s \"Sorvi 22\" page=0x01\n"
                                "connect m \"M517 V1\" page=0xFF07\n"
                                "wait 1\n"),
                 &run);
    QList<QPair<QString, double>> reports;
    for (const Line &line : run.of(QStringLiteral("setReport"))) {
        const QJsonObject r = line.value.toObject();
        QCOMPARE(r.value("type").toString(), QStringLiteral("output"));
        reports.append({r.value("iface").toString() + QLatin1Char(' ') + r.value("bytes").toString(), line.t});
    }
    QCOMPARE(reports.size(), 3); // none for the Sorvi 22
    QCOMPARE(reports[0].first, QStringLiteral("q 02b0040000000000"));
    QCOMPARE(reports[1].first, QStringLiteral("p 0901040000000000"));
    QCOMPARE(reports[2].first, QStringLiteral("p 0902020000000000"));
    QCOMPARE(reports[2].second - reports[1].second, 0.5);

    const auto usb = run.of(QStringLiteral("usb"));
    QCOMPARE(usb.size(), 3);
    const int values[] = {0x0364, 0x037B, 0x037A};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject r = usb[i].value.toObject();
        QCOMPARE(r.value("requestType").toInt(), 0x80);
        QCOMPARE(r.value("request").toInt(), 6);
        QCOMPARE(r.value("value").toInt(), values[i]);
        QCOMPARE(r.value("length").toInt(), 255);
    }
}

void TestScenarios::penStrokeOnOneDisplay()
{
    // Tevra N4: 84.5 x 63.2 report units over one 1920 x 1080 display.
    // X 42.25 units is the display's middle; pressure 0x1000 of 8192 on the
    // factory (straight) curve is 0.5.
    Run run;
    runSimulator(QStringLiteral("display 1 0 0 1920 1080 main\n"
                                "connect n \"Tevra N4\" page=0xFF0A\n"
                                "wait 0.1\n"
                                "report n 02 A0 40 2A 00 10 00 00 00 00\n"
                                "report n 02 A1 40 2A 00 10 00 10 00 00\n"
                                "report n 02 A1 40 2A 00 10 00 10 00 00\n"
                                "report n 02 A1 40 2A 00 20 00 10 00 00\n"
                                "report n 02 A0 40 2A 00 20 00 00 00 00\n"
                                "report n 02 C0 40 2A 00 20 00 00 00 00\n"),
                 &run);
    QList<int> types;
    QList<QJsonObject> posts;
    for (const Line &line : run.of(QStringLiteral("post"))) {
        posts << line.value.toObject();
        types << posts.last().value("type").toInt();
    }
    // Proximity, moved; the first tip report of a service is dropped, so the
    // press comes with the second; hold-still drops the third; drag; up;
    // leaving range (status 0xC0).
    QVERIFY2(types.size() >= 5, qPrintable(QString::fromUtf8(run.out)));
    QCOMPARE(types.mid(0, 2), (QList<int>{24, 5}));
    QCOMPARE(posts[0].value("fields").toObject().value("38").toInt(), 1);
    const qsizetype down = types.indexOf(1);
    QVERIFY(down > 1);
    QCOMPARE(posts[down].value("x").toDouble(), 960.0);
    QCOMPARE(posts[down].value("fields").toObject().value("2").toDouble(), 0.5);
    const qsizetype drag = types.indexOf(6);
    QVERIFY(drag > down);
    QVERIFY(posts[drag].value("y").toDouble() > posts[down].value("y").toDouble());
    const qsizetype up = types.indexOf(2);
    QVERIFY(up > drag);
    // Out of range: the proximity-subtype move first, then the proximity
    // event, both saying the pen leaves.
    QCOMPARE(types.mid(up + 1), (QList<int>{5, 24}));
    QCOMPARE(posts[up + 1].value("fields").toObject().value("7").toInt(), 2);
    QCOMPARE(posts[up + 1].value("fields").toObject().value("38").toInt(), 0);
    QCOMPARE(posts[up + 2].value("fields").toObject().value("38").toInt(), 0);
}

QTEST_GUILESS_MAIN(TestScenarios)
#include "tst_scenarios.moc"
