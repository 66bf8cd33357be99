// The driver's simulator as its users see it: the built program run on a
// script, its standard output read line by line as JSON.

#include <csignal>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "platform/plist.h"
#include "simrun.h"
#include "store/ovmodels.h"

namespace {

const QString kResponse = QStringLiteral("OVCFGResponseDNotification");
const QString kRequest = QStringLiteral("OVCFGRequestDNotification");
const QString kQuit = QStringLiteral("OVCFGQuitDNotification");

QString tevraM()
{
    return store::devKeyFor(store::Model::TevraM);
}

bool near(double a, double b)
{
    return std::abs(a - b) < 0.0005;
}

} // namespace

class TestSimulate : public QObject
{
    Q_OBJECT

private:
    // Runs the driver with --simulate on the script; fails the test when it
    // does not end cleanly or prints anything but simulator lines.
    void simulate(const QString &script, Run *run, const QStringList &extra = {}, bool viaStdin = false);

private slots:
    void tevraConnectRequestRemove();
    void requestWithoutDevice();
    void secondDriver();
    void openFailure_data();
    void openFailure();
    void malformedLine_data();
    void malformedLine();
    void valueMapping();
    void deterministicWithDataFolder();
    void simDevicesSignal();
};

void TestSimulate::simulate(const QString &script, Run *run, const QStringList &extra, bool viaStdin)
{
    runSimulator(script, run, extra, viaStdin);
}

void TestSimulate::tevraConnectRequestRemove()
{
    const QString script
        = QStringLiteral(R"(# a Tevra M: its generic-desktop interface first, then the vendor one
display 1 0 0 1920 1080 main builtin name="Built-in"
connect desktop "Tevra M" page=1 usage=2 product="Tevra M"
wait 0.5
connect vendor "Tevra M" page=FF0A product="Tevra M"
wait 0.5
notify OVCFGRequestDNotification
wait 4
remove vendor
)");
    Run run;
    simulate(script, &run);
    if (QTest::currentTestFailed())
        return;
    const QString key = tevraM();

    // Only the vendor interface's binding announces the device; the request
    // is answered with every connected key; the removal says NO.
    const QList<Line> notices = run.of(QStringLiteral("notify"));
    QCOMPARE(notices.size(), 3);
    const double times[] = { 0.5, 1.0, 5.0 };
    const bool connected[] = { true, true, false };
    for (int i = 0; i < 3; ++i) {
        const QJsonObject n = notices[i].value.toObject();
        QVERIFY2(near(notices[i].t, times[i]), notices[i].raw.constData());
        QCOMPARE(n.value("name").toString(), kResponse);
        QVERIFY(n.value("object").isNull());
        QCOMPARE(n.value("userInfo").toObject(), QJsonObject({ { key, connected[i] } }));
    }

    // The start command of the Tevra M on the vendor interface.
    const QList<Line> reports = run.of(QStringLiteral("setReport"));
    QCOMPARE(reports.size(), 1);
    QVERIFY(near(reports[0].t, 0.5));
    QCOMPARE(reports[0].value.toObject(),
        QJsonObject(
            { { "iface", "vendor" }, { "type", "output" }, { "id", 0 }, { "bytes", "02b0040000000000" } }));
    QVERIFY(run.logged(QStringLiteral("plug in: Tevra M")));
    QVERIFY(run.logged(QStringLiteral("unplug: Tevra M")));

    // The defaults made at the first interface are saved 3 s later.
    const QList<Line> writes = run.of(QStringLiteral("write"));
    QVERIFY(!writes.isEmpty());
    const QJsonObject write = writes[0].value.toObject();
    QVERIFY2(near(writes[0].t, 3.0), writes[0].raw.constData());
    QCOMPARE(write.value("name").toString(), QStringLiteral(".OVCFGS_") + key);
    const QByteArray content = QByteArray::fromBase64(write.value("content").toString().toLatin1());
    QCOMPARE(write.value("size").toInt(), content.size());
    QVERIFY(content.startsWith("<?xml"));
    const auto saved = platform::plist::parse(content);
    QVERIFY(saved.has_value());
    QVERIFY(saved->toMap().contains(QStringLiteral("OVCFGPenKey")));

    QCOMPARE(run.lines.last().value.toString(), QStringLiteral("end of script"));
    QVERIFY(near(run.lines.last().t, 5.0));
}

void TestSimulate::requestWithoutDevice()
{
    Run run;
    simulate(QStringLiteral("notify OVCFGRequestDNotification\n"), &run, {}, true);
    if (QTest::currentTestFailed())
        return;
    const QList<Line> notices = run.of(QStringLiteral("notify"));
    QCOMPARE(notices.size(), 1);
    const QJsonObject n = notices[0].value.toObject();
    QCOMPARE(n.value("name").toString(), kResponse);
    QVERIFY(n.value("userInfo").isObject());
    QVERIFY(n.value("userInfo").toObject().isEmpty());
}

void TestSimulate::secondDriver()
{
    const QString script = QStringLiteral(R"(running com.orvane.OrvaneTabletDriver 2
connect vendor "Tevra M" page=FF0A product="Tevra M"
notify OVCFGRequestDNotification
defaults
)");
    Run run;
    simulate(script, &run);
    if (QTest::currentTestFailed())
        return;
    // Ended before any manager was opened, and the script stopped with it.
    QVERIFY(run.of(QStringLiteral("notify")).isEmpty());
    QVERIFY(run.of(QStringLiteral("setReport")).isEmpty());
    QVERIFY(run.of(QStringLiteral("defaults")).isEmpty());
    QVERIFY(!run.logged(QStringLiteral("plug in: Tevra M")));
    const QString reason = run.lines.last().value.toString();
    QVERIFY(!reason.isEmpty());
    QVERIFY(reason != QStringLiteral("end of script"));
}

void TestSimulate::openFailure_data()
{
    QTest::addColumn<QString>("manager");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("languages");
    QTest::addColumn<bool>("fatal");
    QTest::addColumn<QString>("guide"); // the setup guide opened; empty: none
    QTest::addColumn<QString>("logLine"); // for the open failures that only log

    const QString cn = QStringLiteral("MacOS_Setup_CN.pdf");
    const QString en = QStringLiteral("MacOS_Setup_En.pdf");
    QTest::newRow("not permitted, simplified Chinese") << "main"
                                                       << "0xE00002E2"
                                                       << "zh-CN" << true << cn << "";
    QTest::newRow("not permitted, traditional Chinese") << "main"
                                                        << "0xE00002E2"
                                                        << "zh-Hant-TW en" << true << cn << "";
    QTest::newRow("not permitted, English") << "main"
                                            << "0xE00002E2"
                                            << "en-GB zh-CN" << true << en << "";
    QTest::newRow("not permitted on the M517 manager") << "m517"
                                                       << "0xE00002E2"
                                                       << "en" << true << en << "";
    QTest::newRow("exclusive access: no guide") << "main"
                                                << "0xE00002C5"
                                                << "zh-CN" << true << ""
                                                << "";
    QTest::newRow("not privileged: logged, runs on") << "main"
                                                     << "0xE00002C1"
                                                     << "en" << false << ""
                                                     << "manager open failed: privilege violation";
    QTest::newRow("other code: logged, runs on") << "main"
                                                 << "0xE00002BC"
                                                 << "en" << false << ""
                                                 << "manager open failed: 3758097084";
}

void TestSimulate::openFailure()
{
    QFETCH(QString, manager);
    QFETCH(QString, code);
    QFETCH(QString, languages);
    QFETCH(bool, fatal);
    QFETCH(QString, guide);
    QFETCH(QString, logLine);
    const QString script = QStringLiteral("hidopen %1 %2\nlanguages %3\n"
                                          "connect vendor \"Tevra M\" page=FF0A product=\"Tevra M\"\n"
                                          "wait 1\ndefaults\n")
                               .arg(manager, code, languages);
    Run run;
    simulate(script, &run);
    if (QTest::currentTestFailed())
        return;

    const qsizetype alert = run.indexOf(QStringLiteral("alert"));
    if (!fatal) {
        QCOMPARE(alert, -1);
        QVERIFY(run.logged(logLine));
        // Without the main manager the Tevra M is never bound.
        QVERIFY(run.of(QStringLiteral("notify")).isEmpty());
        QCOMPARE(run.of(QStringLiteral("defaults")).size(), 1);
        QCOMPARE(run.lines.last().value.toString(), QStringLiteral("end of script"));
        return;
    }

    // alert, then the guide (privilege only), then the quit notice, then the end.
    QVERIFY(alert >= 0);
    QVERIFY(!run.lines[alert].value.toObject().value("title").toString().isEmpty());
    const QList<Line> opens = run.of(QStringLiteral("open"));
    qsizetype previous = alert;
    if (guide.isEmpty()) {
        QVERIFY(opens.isEmpty());
    } else {
        QCOMPARE(opens.size(), 1);
        QVERIFY2(opens[0].value.toString().endsWith(QStringLiteral("/Contents/Resources/") + guide),
            opens[0].raw.constData());
        previous = run.indexOf(QStringLiteral("open"));
        QVERIFY(previous > alert);
    }
    const QList<Line> notices = run.of(QStringLiteral("notify"));
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices[0].value.toObject().value("name").toString(), kQuit);
    QVERIFY(run.indexOf(QStringLiteral("notify")) > previous);
    QVERIFY(run.of(QStringLiteral("defaults")).isEmpty());
    QVERIFY(run.lines.last().value.toString() != QStringLiteral("end of script"));
}

void TestSimulate::malformedLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("unknown command") << "frobnicate now";
    QTest::newRow("bad hex in a report") << "report vendor 08 8g";
    QTest::newRow("odd number of hex digits") << "report vendor 080";
    QTest::newRow("connect without page") << "connect other \"Tevra M\"";
    QTest::newRow("connect of an unknown product") << "connect other \"Nothing Like It\" page=FF0A";
    QTest::newRow("negative wait") << "wait -2";
    QTest::newRow("unterminated quote") << "front com.example.App \"Example";
    QTest::newRow("bad JSON in a default") << "default KalverinSIs115 {true}";
    QTest::newRow("config that is no dictionary") << "config \"Tevra M\" 12";
    QTest::newRow("report to no interface") << "report nothing 00";
    QTest::newRow("removal of no interface") << "remove nothing";
}

void TestSimulate::malformedLine()
{
    QFETCH(QString, line);
    const QString script = QStringLiteral("connect vendor \"Tevra M\" page=FF0A product=\"Tevra M\"\n%1\n"
                                          "defaults\n")
                               .arg(line);
    Run run;
    simulate(script, &run);
    if (QTest::currentTestFailed())
        return;
    QList<Line> named;
    for (const Line &l : run.of(QStringLiteral("log"))) {
        if (l.value.toString().contains(QStringLiteral("line 2")))
            named.append(l);
    }
    QCOMPARE(named.size(), 1);
    // The run goes on after it.
    QCOMPARE(run.of(QStringLiteral("defaults")).size(), 1);
    QCOMPARE(run.lines.last().value.toString(), QStringLiteral("end of script"));
}

void TestSimulate::valueMapping()
{
    // Reals keep a decimal point, integers have none; data and dates are
    // one-key objects. Through the driver's own file and store and back.
    const QString script = QStringLiteral(
        R"(config "Tevra M" {"Test": {"real": 1.0, "int": 1, "neg": -42, "exp": 2.5e-8, "data": {"data": "AAEC/w=="}, "date": {"date": "2026-01-02T03:04:05Z"}, "list": [true, "\u00e9 \"q\"", []], "half": 0.5}}
default KalverinSIs115 true
default Ratio 2.50
default Count 3
connect vendor "Tevra M" page=FF0A product="Tevra M"
dump "Tevra M"
dump "Tevra S"
defaults
)");
    Run run;
    simulate(script, &run);
    if (QTest::currentTestFailed())
        return;
    const QList<Line> configs = run.of(QStringLiteral("config"));
    QCOMPARE(configs.size(), 2);
    const QByteArray expected
        = QStringLiteral(R"({"t":0.000,"config":{"device":"%1","value":{"Test":{"data":{"data":"AAEC/w=="},)"
                         R"("date":{"date":"2026-01-02T03:04:05Z"},"exp":2.5e-08,"half":0.5,"int":1,)"
                         R"("list":[true,"é \"q\"",[]],"neg":-42,"real":1.0}}}})")
              .arg(tevraM())
              .toUtf8();
    QCOMPARE(configs[0].raw, expected);
    // A device without a service.
    QCOMPARE(configs[1].value.toObject().value("device").toString(), store::devKeyFor(store::Model::TevraS));
    QVERIFY(configs[1].value.toObject().value("value").isNull());
    QCOMPARE(run.of(QStringLiteral("defaults"))[0].raw,
        QByteArray(R"({"t":0.000,"defaults":{"Count":3,"KalverinSIs115":true,"Ratio":2.5}})"));
}

void TestSimulate::deterministicWithDataFolder()
{
    const QString script = QStringLiteral(R"(display 1 0 0 1920 1080 main
connect vendor "Tevra M" page=FF0A product="Tevra M"
notify OVCFGRequestDNotification
wait 3.5
remove vendor
)");
    QTemporaryDir data;
    QVERIFY(data.isValid());
    Run first;
    Run second;
    simulate(script, &first, { QStringLiteral("--data"), data.path() });
    simulate(script, &second);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(first.out, second.out);

    // --data names the driver's folder itself, and it stays.
    const QList<Line> writes = first.of(QStringLiteral("write"));
    QVERIFY(!writes.isEmpty());
    const QJsonObject last = writes.last().value.toObject();
    QFile file(QDir(data.path()).filePath(last.value("name").toString()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toBase64(), last.value("content").toString().toLatin1());
}

void TestSimulate::simDevicesSignal()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("no session bus (run the tests under dbus-run-session)");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString script = writeScript(dir,
        QStringLiteral("connect vendor \"Tevra M\" page=FF0A product=\"Tevra M\"\n"
                       "wait 0.2\nnotify OVCFGRequestDNotification\n"));
    QProcess process;
    process.start(QStringLiteral(OV_DRIVER_BINARY), { QStringLiteral("--sim-devices"), script });
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));

    // Until the answer to the request arrives over the bus.
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    int answers = 0;
    while (answers < 2 && clock.elapsed() < 30000) {
        process.waitForReadyRead(500);
        out += process.readAllStandardOutput();
        answers = int(out.count(kResponse.toUtf8()));
    }
    QCOMPARE(answers, 2);
    // Still running after the script: it only ends when told to.
    QCOMPARE(process.state(), QProcess::Running);
    process.terminate(); // SIGTERM
    QVERIFY(process.waitForFinished(30000));
    out += process.readAllStandardOutput();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);

    Run run;
    QString why;
    QVERIFY2(parseOutput(out, &run, &why), qPrintable(why));
    QCOMPARE(run.lines.last().key, QStringLiteral("exit"));
    QCOMPARE(run.lines.last().value.toString(), QStringLiteral("signal"));
    // The defaults made at connection were written, at the latest on the way out.
    const QList<Line> writes = run.of(QStringLiteral("write"));
    QVERIFY(!writes.isEmpty());
    QCOMPARE(writes.last().value.toObject().value("name").toString(), QStringLiteral(".OVCFGS_") + tevraM());
    const Line &exit = run.lines.last();
    // Told to end before the 3-second save was due: termination wrote it.
    if (exit.t < 2.9)
        QVERIFY2(std::abs(writes.last().t - exit.t) < 0.1, writes.last().raw.constData());
}

QTEST_GUILESS_MAIN(TestSimulate)
#include "tst_simulate.moc"
