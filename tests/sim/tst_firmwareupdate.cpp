// The firmware update as the simulator shows it: from the boot program's
// prompt and from the diagnostics window, every request and reply at its
// virtual time, the progress window's lines in order, every record checked
// against the file, and the failures.

#include <cstdio>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "firmware/support_firmwarefiles.h"
#include "simrun.h"
#include "simulator/simoutput.h"
#include "simulator/simulator.h"
#include "store/ovmodels.h"
#include "support_firmwarescript.h"

namespace {

constexpr quint16 kCheckRunSpace = 0x0101;
constexpr quint16 kModifyRunSpace = 0x0102;
constexpr quint16 kFlashSpace = 0x0103;
constexpr quint16 kRecord = 0x0104;
constexpr quint16 kParameters = 0x0105;
const QString kQuit = QStringLiteral("OVCFGQuitDNotification");
const QString kSettingApp = QStringLiteral("/Applications/OrvaneTablet/OrvaneTabletSetting.app");
const QString kTevraKey = QStringLiteral("14991-4356");
constexpr int kRecords = 3;

bool near(double a, double b)
{
    return std::abs(a - b) < 0.0005;
}

// A valid file for the Tevra M (product model HV118, no capability code, so
// the CPU must be CP1): three records, the last one short.
QByteArray tevraFile()
{
    return fwtest::makeFirmware(fwtest::patternBody(1025 * 2 + 300), 1024 * 2 + 200);
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("HV118-CP1-Q52-HV[1.00]-SV[1.15].bin"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QString ok(const QString &iface)
{
    return simfw::replyLine(iface);
}

// The script's answers to the transfer in the boot program, 0.1 s apart:
// run space (boot), flash space, parameters, then every record; `records`
// of them answered.
QString transferReplies(const QString &iface, int records)
{
    QString s = QStringLiteral("wait 0.1\n") + simfw::replyLine(iface, 0, QByteArray(1, '\0'))
                + QStringLiteral("wait 0.1\n") + simfw::replyLine(iface, 0, QByteArray::fromHex("00000100"))
                + QStringLiteral("wait 0.1\n") + ok(iface);
    for (int i = 0; i < records; ++i)
        s += QStringLiteral("wait 0.1\n") + ok(iface);
    return s;
}

// The boot program's queries answered: versions at 0.7 s, CPU (CP1) at 1.3 s.
QString bootQueries(const QString &iface)
{
    return QStringLiteral("wait 0.7\n") + simfw::versionReplyLine(iface, 1, 15, 1, 2) + QStringLiteral("wait 0.6\n")
           + simfw::replyLine(iface, 0, QByteArray::fromHex("010105"));
}

QString promptScript(const QString &file)
{
    return QStringLiteral("alert 0\nfilepanel \"%1\"\n").arg(file)
           + QStringLiteral("connect boot \"Tevra M\" page=FF0C product=\"Tevra M\"\n") + bootQueries(QStringLiteral("boot"))
           // The file step at 1.8 s, the transfer 3 s later.
           + QStringLiteral("wait 3.5\n") + transferReplies(QStringLiteral("boot"), kRecords)
           // The path is gone: the next boot-program enumeration asks again.
           + QStringLiteral("wait 4\nremove boot\nconnect boot \"Tevra M\" page=FF0C product=\"Tevra M\"\nwait 0.6\n");
}

// In its application program (report and command interfaces) the settings
// application asks for the diagnostics window; its update button takes the
// file, phase 1 switches the device at 1.2 s, the device restarts into its
// boot program (bound at 2.4 s) and phase 2 transfers the file.
QString diagnosticsUpdateScript(const QString &file)
{
    return QStringLiteral("connect r \"Tevra M\" page=FF0A product=\"Tevra M\"\n"
                          "connect c \"Tevra M\" page=FF0B pairs=FF0B:1,FF0C:1 product=\"Tevra M\"\n"
                          "notify OVCFGDiaSDNotification {\"%1\": \"Tevra M\"}\n"
                          "wait 0.2\n")
               .arg(kTevraKey)
           + simfw::versionReplyLine(QStringLiteral("c"), 1, 15, 1, 2)
           + QStringLiteral("alert 0\nfilepanel \"%1\"\npress OVDIAWinCtrl bView2\n").arg(file)
           + QStringLiteral("wait 1.1\n") + simfw::replyLine(QStringLiteral("c"), 0, QByteArray(1, '\1'))
           + QStringLiteral("wait 0.1\n") + ok(QStringLiteral("c"))
           + QStringLiteral("wait 0.5\nremove r\nremove c\nwait 0.5\n"
                            "connect boot \"Tevra M\" page=FF0C product=\"Tevra M\"\n")
           + QStringLiteral("wait 2.9\n") + transferReplies(QStringLiteral("boot"), kRecords) + QStringLiteral("wait 4\n");
}

// The records sent, as the device received them.
QList<QByteArray> recordsOf(const Run &run)
{
    QList<QByteArray> records;
    for (const simfw::SentRequest &request : simfw::requestsOf(run)) {
        if (request.word2 == kRecord)
            records << request.payload;
    }
    return records;
}

QList<int> stagesOf(const Run &run)
{
    QList<int> stages;
    for (const Line &line : run.of(QStringLiteral("progress")))
        stages << line.value.toObject().value(QLatin1String("stage")).toInt();
    return stages;
}

QList<double> timesOf(const Run &run, const QString &key, const QString &value = QString())
{
    QList<double> times;
    for (const Line &line : run.of(key)) {
        const QJsonValue v = line.value.isObject() ? line.value.toObject().value(QLatin1String("name")) : line.value;
        if (value.isNull() || v.toString() == value)
            times << line.t;
    }
    return times;
}

// Runs the simulator in this process, so that `during` can act at a virtual
// time of the run (the file changing under the driver).
Run runInProcess(const QString &script, double at, const std::function<void()> &during)
{
    Run run;
    FILE *stream = std::tmpfile();
    if (!stream)
        return run;
    {
        driverapp::SimOutput out(stream);
        out.captureMessages();
        driverapp::Simulator simulator(out, QString());
        simulator.setScript(script.split(QLatin1Char('\n')));
        int context = 0;
        simulator.platform().runLoop.after(at, &context, during);
        simulator.run();
    }
    std::fflush(stream);
    std::rewind(stream);
    QByteArray bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        bytes.append(buffer, qsizetype(n));
    std::fclose(stream);
    QString why;
    if (!parseOutput(bytes, &run, &why))
        qWarning("%s", qPrintable(why));
    return run;
}

} // namespace

class TestFirmwareUpdate : public QObject
{
    Q_OBJECT
private slots:
    void fromPrompt();
    void fromDiagnosticsWindow();
    void promptAnswers_data();
    void promptAnswers();
    void failures_data();
    void failures();
    void fileChangedBeforeResume();
    void bootProgramBeforeSwitchReply();
    void closedWindowForgetsPath();
    void diagnosticsWindowClosesWithDevice();
};

void TestFirmwareUpdate::fromPrompt()
{
    QTemporaryDir dir;
    const QByteArray bytes = tevraFile();
    const QString script = promptScript(writeFile(dir, bytes));
    Run first;
    runSimulatorTwice(script, &first);
    if (QTest::currentTestFailed())
        return;

    // One quit notice at the boot program's entry, one for phase 2.
    QCOMPARE(timesOf(first, QStringLiteral("notify"), kQuit), (QList<double>{0.5, 1.8, 9.9}));
    QCOMPARE(first.of(QStringLiteral("alert")).size(), 1);
    const QString message = first.of(QStringLiteral("alert")).first().value.toObject().value(QLatin1String("message")).toString();
    QVERIFY2(message.contains(QStringLiteral("CP1")) && message.contains(QStringLiteral("1.02")), qPrintable(message));
    QVERIFY(first.logged(QStringLiteral("restoreFirmwareUpdate after 3 second")));

    const auto requests = simfw::requestsOf(first);
    QList<quint16> words;
    for (const auto &request : requests)
        words << request.word2;
    QCOMPARE(words, (QList<quint16>{0x0202, 0x0204, kCheckRunSpace, kFlashSpace, kParameters, kRecord, kRecord, kRecord,
                                    0x0202}));
    QVERIFY(near(requests[2].t, 4.8)); // 3 s after the file step
    for (const auto &request : requests)
        QVERIFY(request.crcValid);

    // Every record is the file's bytes, the short last one padded.
    const QList<QByteArray> records = recordsOf(first);
    QCOMPARE(records.size(), kRecords);
    for (int i = 0; i < kRecords; ++i) {
        const QByteArray &record = records[i];
        QCOMPARE(record.size(), 1032);
        QCOMPARE(quint8(record[0]), quint8(i == kRecords - 1 ? 1 : 0));
        QCOMPARE(quint8(record[4]), quint8(i));
        QByteArray expected = bytes.mid(26 + i * 1025, 1025);
        expected.append(QByteArray(1025 - expected.size(), char(0xFF)));
        QCOMPARE(record.mid(7), expected);
    }

    QCOMPARE(stagesOf(first), (QList<int>{1, 2, 3, 3, 3, 3, 9}));
    const auto progress = first.of(QStringLiteral("progress"));
    QList<double> values;
    for (const Line &line : progress)
        values << line.value.toObject().value(QLatin1String("value")).toDouble();
    QCOMPARE(values, (QList<double>{0, 0, 0, 0, 50, 100, 100}));
    QCOMPARE(progress.last().value.toObject().value(QLatin1String("text")).toString(),
             QStringLiteral("Update completed!\n更新成功!"));
    QVERIFY(progress.last().value.toObject().value(QLatin1String("determinate")).toBool());
    QVERIFY(!progress.first().value.toObject().value(QLatin1String("determinate")).toBool());

    // The window closes 3 s after the result and the settings application starts.
    const double completed = progress.last().t;
    QCOMPARE(timesOf(first, QStringLiteral("launch")).size(), 1);
    QVERIFY(near(timesOf(first, QStringLiteral("launch")).first(), completed + 3));
    QCOMPARE(first.of(QStringLiteral("launch")).first().value.toString(), kSettingApp);
    const auto windows = first.of(QStringLiteral("window"));
    QCOMPARE(windows.size(), 2);
    QVERIFY(near(windows[1].t, completed + 3));
    QCOMPARE(windows[1].value.toObject().value(QLatin1String("shown")).toBool(), false);
    QCOMPARE(first.lines.last().value.toString(), QStringLiteral("end of script"));
}

void TestFirmwareUpdate::fromDiagnosticsWindow()
{
    QTemporaryDir dir;
    const QByteArray bytes = tevraFile();
    const QString file = writeFile(dir, bytes);
    const QString script = diagnosticsUpdateScript(file);
    Run run;
    runSimulator(script, &run);
    Run again;
    runSimulator(script, &again);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(run.out, again.out);

    const auto requests = simfw::requestsOf(run);
    QList<quint16> words;
    for (const auto &request : requests)
        words << request.word2;
    QCOMPARE(words, (QList<quint16>{0x0202, kCheckRunSpace, kModifyRunSpace, kCheckRunSpace, kFlashSpace, kParameters,
                                    kRecord, kRecord, kRecord}));
    QVERIFY(near(requests[0].t, 0.0));
    QVERIFY(near(requests[1].t, 1.2));
    QCOMPARE(requests[2].payload, QByteArray(1, '\0')); // to the boot program
    QCOMPARE(requests[3].iface, QStringLiteral("boot"));
    QVERIFY(near(requests[3].t, 5.4)); // 3 s after the boot program's binding

    // One quit notice per phase, one launch.
    QCOMPARE(timesOf(run, QStringLiteral("notify"), kQuit), (QList<double>{1.2, 2.4}));
    QCOMPARE(stagesOf(run), (QList<int>{1, 1, 2, 3, 3, 3, 3, 9}));
    QCOMPARE(run.of(QStringLiteral("launch")).size(), 1);
    QCOMPARE(recordsOf(run).size(), kRecords);
    QCOMPARE(recordsOf(run).last().mid(7, 300), bytes.mid(26 + 2 * 1025, 300));
    // The diagnostics window opened and closed with its device; the old
    // service's progress window too; the new one's after the result.
    QStringList windows;
    for (const Line &line : run.of(QStringLiteral("window"))) {
        const QJsonObject w = line.value.toObject();
        windows << w.value(QLatin1String("name")).toString()
                       + (w.value(QLatin1String("shown")).toBool() ? QStringLiteral("+") : QStringLiteral("-"));
    }
    QCOMPARE(windows, (QStringList{QStringLiteral("OVDIAWinCtrl+"), QStringLiteral("OVIAPWinCtrl+"),
                                   QStringLiteral("OVDIAWinCtrl-"), QStringLiteral("OVIAPWinCtrl-"),
                                   QStringLiteral("OVIAPWinCtrl+"), QStringLiteral("OVIAPWinCtrl-")}));
}

void TestFirmwareUpdate::promptAnswers_data()
{
    QTest::addColumn<QString>("answers");
    QTest::addColumn<int>("alerts");
    QTest::addColumn<double>("exitAt"); // the driver's end; -1: it runs on
    QTest::addColumn<QString>("exitReason");
    const QString cancelled = QStringLiteral("firmware prompt cancelled");
    QTest::newRow("alert cancelled") << QStringLiteral("alert 1\n") << 1 << 1.8 << cancelled;
    QTest::newRow("panel cancelled") << QStringLiteral("alert 0\nfilepanel cancel\n") << 1 << 1.8 << cancelled;
    // One refusal and one new prompt, which is then cancelled.
    QTest::newRow("name unparsable")
        << QStringLiteral("alert 0\nfilepanel /tmp/firmware.txt\nalert 0\nalert 0\nfilepanel cancel\n") << 3 << 2.3
        << cancelled;
    QTest::newRow("file of another model")
        << QStringLiteral("alert 0\nfilepanel /tmp/HV243-CP1-Q52-HV[1.00]-SV[1.15].bin\nalert 0\nalert 1\n") << 3
        << 2.3 << cancelled;
}

void TestFirmwareUpdate::promptAnswers()
{
    QFETCH(QString, answers);
    QFETCH(int, alerts);
    QFETCH(double, exitAt);
    QFETCH(QString, exitReason);
    Run run;
    runSimulator(answers + QStringLiteral("connect boot \"Tevra M\" page=FF0C product=\"Tevra M\"\n")
                     + bootQueries(QStringLiteral("boot")) + QStringLiteral("wait 5\n"),
                 &run);
    if (QTest::currentTestFailed())
        return;
    const auto shown = run.of(QStringLiteral("alert"));
    QCOMPARE(shown.size(), alerts);
    if (alerts == 3) {
        QCOMPARE(shown[1].value.toObject().value(QLatin1String("message")).toString(),
                 QStringLiteral("This firmware file does not fit the device, or it is damaged. Nothing was sent to the device."));
        QCOMPARE(shown[2].value.toObject().value(QLatin1String("message")), shown[0].value.toObject().value(QLatin1String("message")));
    }
    QVERIFY(near(run.lines.last().t, exitAt));
    QCOMPARE(run.lines.last().value.toString(), exitReason);
    QVERIFY(run.of(QStringLiteral("progress")).isEmpty());
}

void TestFirmwareUpdate::failures_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("line");
    // The transfer's replies stop after the first record.
    QTest::newRow("device silent mid-transfer")
        << (transferReplies(QStringLiteral("boot"), 1) + QStringLiteral("wait 10\n"))
        << QStringLiteral("传输本文件错误: 2/3");
    QTest::newRow("device unplugged mid-transfer")
        << (transferReplies(QStringLiteral("boot"), 1) + QStringLiteral("wait 0.05\nremove boot\nwait 5\n"))
        << QString();
}

void TestFirmwareUpdate::failures()
{
    QFETCH(QString, ending);
    QFETCH(QString, line);
    QTemporaryDir dir;
    const QString script = QStringLiteral("alert 0\nfilepanel \"%1\"\n").arg(writeFile(dir, tevraFile()))
                           + QStringLiteral("connect boot \"Tevra M\" page=FF0C product=\"Tevra M\"\n")
                           + bootQueries(QStringLiteral("boot")) + QStringLiteral("wait 3.5\n") + ending;
    Run run;
    runSimulator(script, &run);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(run.of(QStringLiteral("launch")).isEmpty());
    QVERIFY(!stagesOf(run).contains(9));
    if (!line.isNull()) {
        QVERIFY(run.logged(line));
        QCOMPARE(stagesOf(run).last(), 10);
        // The record's wait ends at its 5-second deadline.
        const auto records = recordsOf(run);
        QCOMPARE(records.size(), 2);
        QVERIFY(run.logged(store::devKeyFor(store::Model::TevraM)
                           + QStringLiteral(": cannot read reply: none within 5000 ms")));
        QCOMPARE(run.of(QStringLiteral("window")).last().value.toObject().value(QLatin1String("shown")).toBool(),
                 false);
    } else {
        // The window goes with its device.
        QCOMPARE(run.of(QStringLiteral("window")).last().value.toObject().value(QLatin1String("shown")).toBool(),
                 false);
    }
}

void TestFirmwareUpdate::fileChangedBeforeResume()
{
    // Phase 1 checks the file; before the boot program resumes from the kept
    // path the file is replaced by another valid one, and then shortened.
    QTemporaryDir dir;
    const QString file = writeFile(dir, tevraFile());
    const QByteArray other = fwtest::makeFirmware(fwtest::patternBody(1025), 1024);
    const QString script = diagnosticsUpdateScript(file);
    const Run run = runInProcess(script, 2.0, [&] {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(other);
    });
    QVERIFY(!run.lines.isEmpty());
    QVERIFY(run.logged(kTevraKey + QStringLiteral(": cannot send firmware file ") + file
                       + QStringLiteral(": it changed after its checks")));
    QCOMPARE(stagesOf(run).last(), 10);
    QVERIFY(recordsOf(run).isEmpty());
    QVERIFY(run.of(QStringLiteral("launch")).isEmpty());
}

void TestFirmwareUpdate::bootProgramBeforeSwitchReply()
{
    // The report interface stays while the boot program's interface comes,
    // before the switch's reply has been read: phase 2 runs on the same
    // service, and phase 1's end must leave its window alone.
    QTemporaryDir dir;
    const QString file = writeFile(dir, tevraFile());
    const QString script = QStringLiteral("connect r \"Tevra M\" page=FF0A pairs=FF0A:1,FF0C:1 product=\"Tevra M\"\n"
                                          "notify OVCFGDiaSDNotification {\"%1\": \"Tevra M\"}\n"
                                          "wait 0.2\n")
                               .arg(kTevraKey)
                           + simfw::versionReplyLine(QStringLiteral("r"), 1, 15, 1, 2)
                           + QStringLiteral("alert 0\nfilepanel \"%1\"\npress OVDIAWinCtrl bView2\n").arg(file)
                           + QStringLiteral("wait 1.1\n") + simfw::replyLine(QStringLiteral("r"), 0, QByteArray(1, '\1'))
                           + QStringLiteral("wait 0.05\nconnect boot \"Tevra M\" page=FF0C product=\"Tevra M\"\n")
                           + QStringLiteral("wait 0.05\n") + ok(QStringLiteral("r")) + QStringLiteral("wait 3\n")
                           + transferReplies(QStringLiteral("boot"), kRecords) + QStringLiteral("wait 4\n");
    Run run;
    runSimulator(script, &run);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(stagesOf(run).last(), 9);
    QList<double> hidden;
    for (const Line &line : run.of(QStringLiteral("window"))) {
        const QJsonObject w = line.value.toObject();
        if (w.value(QLatin1String("name")).toString() == QLatin1String("OVIAPWinCtrl")
            && !w.value(QLatin1String("shown")).toBool())
            hidden << line.t;
    }
    // Closed once, 3 s after the result; not at phase 1's end (4.3 s).
    QCOMPARE(hidden.size(), 1);
    QVERIFY(near(hidden.first(), run.of(QStringLiteral("progress")).last().t + 3));
    QCOMPARE(run.of(QStringLiteral("launch")).size(), 1);
}

void TestFirmwareUpdate::closedWindowForgetsPath()
{
    // The diagnostics window closed right after phase 1's switch: the path
    // is gone, so the boot program's enumeration asks for a file (quit
    // notice and version request 0.5 s later) instead of resuming.
    QTemporaryDir dir;
    QString script = diagnosticsUpdateScript(writeFile(dir, tevraFile()));
    script.replace(QStringLiteral("wait 0.5\nremove r\n"), QStringLiteral("press OVDIAWinCtrl bView5\nwait 0.5\nremove r\n"));
    Run run;
    runSimulator(script, &run);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!run.logged(QStringLiteral("restoreFirmwareUpdate after 3 second")));
    QCOMPARE(timesOf(run, QStringLiteral("notify"), kQuit), (QList<double>{1.2, 2.9}));
    QList<simfw::SentRequest> boot;
    for (const auto &request : simfw::requestsOf(run)) {
        if (request.iface == QLatin1String("boot"))
            boot << request;
    }
    QVERIFY(!boot.isEmpty());
    QCOMPARE(boot.first().word2, quint16(0x0202));
    QVERIFY(near(boot.first().t, 2.9));
    QVERIFY(recordsOf(run).isEmpty());
}

void TestFirmwareUpdate::diagnosticsWindowClosesWithDevice()
{
    // Closing by its button, and by the device's removal; a press without a
    // window is refused with a line.
    Run run;
    runSimulator(QStringLiteral("connect r \"Tevra M\" page=FF0A product=\"Tevra M\"\n"
                                "connect c \"Tevra M\" page=FF0B pairs=FF0B:1,FF0C:1 product=\"Tevra M\"\n"
                                "notify OVCFGDiaSDNotification {\"%1\": \"Tevra M\"}\n"
                                "wait 0.1\npress OVDIAWinCtrl bView5\nwait 0.1\n"
                                "press OVDIAWinCtrl bView5\n"
                                "notify OVCFGDiaSDNotification {\"%1\": \"Tevra M\"}\nwait 0.1\n"
                                "notify OVCFGDiaSDNotification {\"%1\": \"Tevra M\"}\nwait 0.1\n"
                                "remove c\nremove r\nwait 2\n")
                     .arg(kTevraKey),
                 &run);
    QStringList shown;
    for (const Line &line : run.of(QStringLiteral("window")))
        shown << (line.value.toObject().value(QLatin1String("shown")).toBool() ? QStringLiteral("+") : QStringLiteral("-"));
    // A second request only raises the open window.
    QCOMPARE(shown, (QStringList{QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("+"), QStringLiteral("-")}));
    QVERIFY(run.logged(QStringLiteral("script line 7: cannot press bView5 of OVDIAWinCtrl: no such open window or control")));
}

QTEST_GUILESS_MAIN(TestFirmwareUpdate)
#include "tst_firmwareupdate.moc"
