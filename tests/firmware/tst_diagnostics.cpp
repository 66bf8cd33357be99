// The diagnostics window's rules: live pen values, the diagnosis log, the
// download hint, the information text, the progress window's texts, and a
// log written into a home folder of its own.

#include <cmath>
#include <limits>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "firmware/diagnostics.h"
#include "firmware/iaptransfer.h"
#include "firmware/ovdiawinctrl.h"
#include "firmware/oviapwinctrl.h"
#include "platform/sim/simplatform.h"
#include "store/ovpublicdefine.h"

using namespace firmware;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), size_t(bytes.size())};
}

} // namespace

class TestDiagnostics : public QObject
{
    Q_OBJECT
private slots:
    void penValues_data();
    void penValues();
    void logText();
    void logBounded();
    void downloadHint_data();
    void downloadHint();
    void updateAlert();
    void downloadPage_data();
    void downloadPage();
    void logWrittenToHome();
    void stageTexts_data();
    void stageTexts();
    void progressWindow();
};

void TestDiagnostics::penValues_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QList<int>>("values"); // x, y, pressure, tilt x, tilt y
    QTest::newRow("little-endian words") << hex("0211 3412 7856 ff0f 0000") << true
                                         << QList<int>{0x1234, 0x5678, 0x0fff, 0, 0};
    QTest::newRow("tilt -10 and 127") << hex("0211 0000 0000 0000 f67f") << true << QList<int>{0, 0, 0, -10, 127};
    QTest::newRow("tilt -128 and -1") << hex("0211 0000 0000 0000 80ff") << true << QList<int>{0, 0, 0, -128, -1};
    QTest::newRow("longer report: bytes beyond 9 unread") << hex("0211 0100 0200 0300 0405 aabbcc") << true
                                                          << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("nine bytes: nothing") << hex("0211 0100 0200 0300 04") << false << QList<int>{};
    QTest::newRow("empty: nothing") << QByteArray() << false << QList<int>{};
}

void TestDiagnostics::penValues()
{
    QFETCH(QByteArray, report);
    QFETCH(bool, shown);
    QFETCH(QList<int>, values);
    const auto decoded = decodePenValues(bytesOf(report));
    QCOMPARE(decoded.has_value(), shown);
    if (decoded) {
        QCOMPARE((QList<int>{decoded->x, decoded->y, decoded->pressure, decoded->tiltX, decoded->tiltY}), values);
    }
    // A report that shows nothing is not logged either.
    DiagnosedReports reports;
    QCOMPARE(reports.append(bytesOf(report)), shown);
    QCOMPARE(reports.size(), shown ? 1u : 0u);
}

void TestDiagnostics::logText()
{
    DiagnosedReports reports;
    reports.append(bytesOf(hex("0211 3412 7856 ff0f f67f eeee")));
    reports.append(bytesOf(hex("02a0 0000 0000 0000 0000")));
    const QByteArray separator = QByteArray(32, '-') + '\n';
    QCOMPARE(reports.logText(), QByteArray("02113412 7856ff0f f67f\n02a00000 00000000 0000\n") + separator);
    // Each write appends one more line end.
    QCOMPARE(diagnosisLogAppend(reports), reports.logText() + '\n');
    reports.clear();
    QCOMPARE(diagnosisLogAppend(reports), separator + '\n');
}

void TestDiagnostics::logBounded()
{
    DiagnosedReports reports(2);
    for (int i = 1; i <= 5; ++i)
        reports.append(bytesOf(QByteArray(10, char(i))));
    QCOMPARE(reports.size(), 2u);
    QCOMPARE(reports.dropped(), 3u);
    QCOMPARE(reports.logText(), QByteArray("04040404 04040404 0404\n05050505 05050505 0505\n")
                                    + QByteArray(32, '-') + " 3 older reports dropped\n");
    QCOMPARE(kMaxDiagnosedReports, std::size_t(100000));
}

void TestDiagnostics::downloadHint_data()
{
    QTest::addColumn<bool>("cpuFlag");
    QTest::addColumn<bool>("penFlag");
    QTest::addColumn<QString>("cpu");
    QTest::addColumn<QString>("pen");
    QTest::addColumn<QString>("hint");
    const QString tip1 = QStringLiteral("OVF_FirmwareDownload_TIP1");
    const QString tip2 = QStringLiteral("OVF_FirmwareDownload_TIP2");
    const QString tip3 = QStringLiteral("OVF_FirmwareDownload_TIP3");
    const QString cp2 = QStringLiteral("CP2");
    const QString q52 = QStringLiteral("Q52");
    QTest::newRow("both flags, both names") << true << true << cp2 << q52 << tip1;
    QTest::newRow("both flags, CPU only") << true << true << cp2 << QString() << tip2;
    QTest::newRow("both flags, pen only") << true << true << QString() << q52 << tip3;
    QTest::newRow("both flags, no name") << true << true << QString() << QString() << QString();
    QTest::newRow("CPU flag, CPU known") << true << false << cp2 << q52 << tip2;
    QTest::newRow("CPU flag, no CPU name") << true << false << QString() << q52 << QString();
    QTest::newRow("pen flag, pen known") << false << true << cp2 << q52 << tip3;
    QTest::newRow("pen flag, empty pen name") << false << true << cp2 << QString(QLatin1String("")) << QString();
    QTest::newRow("neither flag") << false << false << cp2 << q52 << QString();
}

void TestDiagnostics::downloadHint()
{
    QFETCH(bool, cpuFlag);
    QFETCH(bool, penFlag);
    QFETCH(QString, cpu);
    QFETCH(QString, pen);
    QFETCH(QString, hint);
    QCOMPARE(downloadHintKey(cpuFlag, penFlag, cpu, pen), hint);
    if (hint.endsWith(QLatin1String("TIP1")))
        QCOMPARE(downloadHintArguments(hint, QStringLiteral("HV118"), cpu, pen), (QStringList{QStringLiteral("HV118"), cpu, pen}));
    if (hint.endsWith(QLatin1String("TIP3")))
        QCOMPARE(downloadHintArguments(hint, QStringLiteral("HV118"), cpu, pen), (QStringList{QStringLiteral("HV118"), pen}));
}

void TestDiagnostics::updateAlert()
{
    UpdateAlertTexts t;
    t.info = QStringLiteral("Info");
    t.proLabel = QStringLiteral("P");
    t.product = QStringLiteral("Tevra M");
    t.cpuLabel = QStringLiteral("C");
    t.havLabel = QStringLiteral("H");
    t.hardware = QStringLiteral("1.02");
    t.penLabel = QStringLiteral("N");
    t.pen = QStringLiteral("Q52");
    t.tip = QStringLiteral("Tip");
    // Full-width colons; the unknown CPU is an empty value.
    QCOMPARE(updateAlertText(t), QString::fromUtf8("Info：\n       P：Tevra M\n       C：\n       H：1.02\n"
                                                   "       N：Q52\nTip"));
}

void TestDiagnostics::downloadPage_data()
{
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<bool>("chinese");
    QTest::newRow("zh-Hans") << QStringList{QStringLiteral("zh-Hans-CN")} << true;
    QTest::newRow("zh-Hant") << QStringList{QStringLiteral("zh-Hant-TW")} << true;
    QTest::newRow("zh-CN: Simplified script") << QStringList{QStringLiteral("zh-CN")} << true;
    QTest::newRow("zh_TW: Traditional script") << QStringList{QStringLiteral("zh_TW")} << true;
    QTest::newRow("English first") << QStringList{QStringLiteral("en"), QStringLiteral("zh-CN")} << false;
    QTest::newRow("none") << QStringList{} << false;
}

void TestDiagnostics::downloadPage()
{
    QFETCH(QStringList, languages);
    QFETCH(bool, chinese);
    QCOMPARE(firmwareDownloadUrl(languages) == firmwareDownloadUrl({QStringLiteral("zh-Hans")}), chinese);
    QVERIFY(firmwareDownloadUrl({QStringLiteral("zh-Hans")}) != firmwareDownloadUrl({QStringLiteral("en")}));
}

void TestDiagnostics::logWrittenToHome()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    auto restore = qScopeGuard([&] { qputenv("HOME", oldHome); });

    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim(bus, QStringLiteral("com.orvane.OrvaneTabletDriver"));
    OVDIAWinCtrl ctrl(sim.platform(), {}, {}, true);
    const QString path = home.path() + QStringLiteral("/Desktop/OrvaneDiagnosis.log");
    QCOMPARE(ctrl.diagnosisLogPath(), path);
    ctrl.upPen(bytesOf(hex("0211 3412 7856 ff0f f67f")));
    ctrl.upPen(bytesOf(hex("0211 34"))); // too short: not logged
    QCOMPARE(ctrl.fieldText(QStringLiteral("pTiXTF")), QStringLiteral("Tilt X: -10"));

    // The folder is created; the text is appended; the folder is opened.
    ctrl.clickOLD();
    ctrl.clickOLD();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray separator = QByteArray(32, '-') + "\n\n";
    QCOMPARE(file.readAll(), QByteArray("02113412 7856ff0f f67f\n") + separator + separator);
    QCOMPARE(sim.workspace.opened(), (QStringList{home.path() + QStringLiteral("/Desktop"),
                                                  home.path() + QStringLiteral("/Desktop")}));
    QCOMPARE(ctrl.datas().size(), 0u);

    // A write that fails keeps the reports for the next one.
    ctrl.upPen(bytesOf(hex("0211 3412 7856 ff0f f67f")));
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir(home.path()).rmdir(QStringLiteral("Desktop")));
    QVERIFY(QFile(home.path() + QStringLiteral("/Desktop")).open(QIODevice::WriteOnly)); // a file in the way
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot write diagnosis log")));
    ctrl.clickOLD();
    QCOMPARE(ctrl.datas().size(), 1u);
    QCOMPARE(sim.workspace.opened().size(), 2);
}

void TestDiagnostics::stageTexts_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << QStringLiteral("Error(207)\n错误(207)");
    QTest::newRow("1") << 1 << QStringLiteral("Waiting for tablet...\n正在等待数位板...");
    QTest::newRow("2") << 2 << QStringLiteral("Checking for update file...\n正在检查更新文件...");
    QTest::newRow("3") << 3 << QStringLiteral("Uploading file...\n正在传文件...");
    QTest::newRow("9") << 9 << QStringLiteral("Update completed!\n更新成功!");
    QTest::newRow("10") << 10 << QStringLiteral("Error(219)\n错误(219)");
    QTest::newRow("5: empty") << 5 << QString();
    QTest::newRow("-1: empty") << -1 << QString();
}

void TestDiagnostics::stageTexts()
{
    QFETCH(int, stage);
    QFETCH(QString, text);
    QCOMPARE(iapStageText(stage), text);
}

void TestDiagnostics::progressWindow()
{
    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim(bus, QStringLiteral("com.orvane.OrvaneTabletDriver"));
    QList<QString> lines;
    FirmwareWindowObservers observers;
    observers.progress = [&](int stage, const QString &, double value, bool determinate) {
        lines << QStringLiteral("%1 %2 %3").arg(stage).arg(value).arg(determinate ? "true" : "false");
    };
    OVIAPWinCtrl ctrl(sim.platform(), QStringLiteral("Tevra M"), observers);
    auto post = [&](int stage, bool indm, double pres) {
        sim.local.post(store::OVIAPNotification, QString(),
                       {{QString(kIapIndex), qint64(stage)}, {QString(kIapIndm), indm}, {QString(kIapPres), pres}});
    };
    post(3, false, 50);
    QCOMPARE(ctrl.value(), 50.0);
    QVERIFY(ctrl.isAnimating());
    // A value that is no number, or out of range, never reaches the bar.
    post(3, false, std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(ctrl.value(), 0.0);
    post(3, false, std::numeric_limits<double>::infinity());
    QCOMPARE(ctrl.value(), 0.0);
    post(3, false, 250);
    QCOMPARE(ctrl.value(), 100.0);
    post(9, false, 100);
    QVERIFY(!ctrl.isAnimating());
    QCOMPARE(ctrl.statusText(), QStringLiteral("Update completed!\n更新成功!"));
    post(5, true, 0);
    QCOMPARE(ctrl.statusText(), QString());
    QVERIFY(ctrl.isIndeterminate());
    QCOMPARE(lines, (QList<QString>{QStringLiteral("3 50 true"), QStringLiteral("3 0 true"), QStringLiteral("3 0 true"),
                                    QStringLiteral("3 100 true"), QStringLiteral("9 100 true"),
                                    QStringLiteral("5 0 false")}));
}

QTEST_GUILESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
