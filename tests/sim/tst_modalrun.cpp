// Alerts and panels held open while the script goes on: what a device does
// meanwhile reaches the driver only once the alert has been answered.
#include <QJsonObject>
#include <QTest>

#include "simrun.h"
#include "support_firmwarescript.h"

namespace {

// A Tevra M in its boot program answering the version (0.7 s) and CPU
// (1.3 s) requests: the prompt opens on the CPU reply.
QString bootDevice()
{
    return QStringLiteral("connect boot \"Tevra M\" page=FF0C product=\"Tevra M\"\nwait 0.7\n")
        + simfw::versionReplyLine(QStringLiteral("boot"), 1, 15, 1, 2) + QStringLiteral("wait 0.6\n")
        + simfw::replyLine(QStringLiteral("boot"), 0, QByteArray::fromHex("010105"));
}

// A Tevra M in normal use with its diagnostics window's update alert open.
QString diagnosticsUpdate()
{
    return QStringLiteral(
        "connect desktop \"Tevra M\" page=1 usage=2 product=\"Tevra M\"\n"
        "connect vendor \"Tevra M\" page=FF0A pairs=FF0A:1,FF0B:1,FF0C:1 product=\"Tevra M\"\n"
        "notify OVCFGDiaSDNotification {\"14991-4356\": \"Tevra M\"}\n"
        "wait 3\n"
        "press OVDIAWinCtrl bView2\n");
}

qsizetype indexOfLog(const Run &run, const QString &prefix)
{
    for (qsizetype i = 0; i < run.lines.size(); ++i) {
        const Line &line = run.lines[i];
        if (line.key == QLatin1String("log") && line.value.toString().startsWith(prefix))
            return i;
    }
    return -1;
}

} // namespace

class TestModalRun : public QObject
{
    Q_OBJECT
private slots:
    void deviceEventsWaitForTheAlert_data();
    void deviceEventsWaitForTheAlert();
    void quitRequestAnswersTheAlertFirst();
};

void TestModalRun::deviceEventsWaitForTheAlert_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("closedKey"); // alertClosed or panelClosed
    QTest::addColumn<double>("closedAt");
    QTest::addColumn<QStringList>("afterClose"); // log lines, in this order, after it closed
    QTest::addColumn<QString>("exit");

    QTest::newRow("boot prompt, device removed")
        << QStringLiteral("alert 0 after 2\n") + bootDevice()
            + QStringLiteral("wait 0.5\nremove boot\nwait 3\n")
        << "alertClosed" << 3.3 << QStringList { "unplug: Tevra M" } << "firmware prompt cancelled";
    QTest::newRow("boot prompt's panel, device removed")
        << QStringLiteral("filepanel cancel after 2\n") + bootDevice()
            + QStringLiteral("wait 0.5\nremove boot\nwait 3\n")
        << "panelClosed" << 3.3 << QStringList { "unplug: Tevra M" } << "firmware prompt cancelled";
    QTest::newRow("diagnostics update alert, interfaces removed")
        << QStringLiteral("alert 0 after 2\n") + diagnosticsUpdate()
            + QStringLiteral("wait 0.5\nremove vendor\nremove desktop\nwait 3\n")
        << "alertClosed" << 5.0 << QStringList { "unplug: Tevra M" } << "end of script";
    QTest::newRow("remove and connect another device during the alert")
        << QStringLiteral("alert 0 after 2\n") + diagnosticsUpdate()
            + QStringLiteral(
                "wait 0.5\nremove vendor\nconnect other \"Tevra S\" page=FF0A product=\"Tevra S\"\n"
                "wait 3\n")
        << "alertClosed" << 5.0 << QStringList { "unplug: Tevra M", "plug in: Tevra S" } << "end of script";
}

void TestModalRun::deviceEventsWaitForTheAlert()
{
    QFETCH(QString, script);
    QFETCH(QString, closedKey);
    QFETCH(double, closedAt);
    QFETCH(QStringList, afterClose);
    QFETCH(QString, exit);
    Run run;
    runSimulatorTwice(script, &run);
    if (QTest::currentTestFailed())
        return;

    const qsizetype closed = run.indexOf(closedKey);
    QVERIFY2(closed >= 0, run.out.constData());
    QVERIFY(qAbs(run.lines[closed].t - closedAt) < 0.001);
    qsizetype from = closed;
    for (const QString &text : afterClose) {
        const qsizetype at = indexOfLog(run, text);
        QVERIFY2(at > from, qPrintable(text));
        from = at;
    }
    // Nothing goes to an interface after its removal reached the driver.
    const qsizetype unplug = indexOfLog(run, QStringLiteral("unplug: "));
    for (qsizetype i = unplug; i < run.lines.size(); ++i) {
        const Line &line = run.lines[i];
        if (line.key == QLatin1String("setReport")) {
            const QString iface = line.value.toObject().value(QLatin1String("iface")).toString();
            QVERIFY2(iface == QLatin1String("other"), line.raw.constData());
        }
    }
    QCOMPARE(run.lines.last().key, QStringLiteral("exit"));
    QCOMPARE(run.lines.last().value.toString(), exit);
}

void TestModalRun::quitRequestAnswersTheAlertFirst()
{
    Run run;
    runSimulatorTwice(QStringLiteral("alert 1 after 5\n") + bootDevice()
            + QStringLiteral("wait 0.5\nremove boot\nquit\nwait 1\n"),
        &run);
    if (QTest::currentTestFailed())
        return;
    const qsizetype closed = run.indexOf(QStringLiteral("alertClosed"));
    QVERIFY2(closed >= 0, run.out.constData());
    // Ended from outside: the default answer, at the request's time.
    QCOMPARE(run.lines[closed].value.toObject().value(QLatin1String("button")).toInt(), 0);
    QVERIFY(qAbs(run.lines[closed].t - 1.8) < 0.001);
    // The removal held back, then the termination; the panel the default
    // answer leads to is not shown at all.
    const qsizetype unplug = indexOfLog(run, QStringLiteral("unplug: Tevra M"));
    QVERIFY(unplug > closed);
    QCOMPARE(run.indexOf(QStringLiteral("panelClosed")), -1);
    QCOMPARE(run.lines.last().key, QStringLiteral("exit"));
    QCOMPARE(run.lines.last().value.toString(), QStringLiteral("quit request"));
    QVERIFY(run.lines.last().t < 1.801);
}

QTEST_GUILESS_MAIN(TestModalRun)
#include "tst_modalrun.moc"
