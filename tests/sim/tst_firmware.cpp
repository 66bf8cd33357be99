// The firmware side of the driver as the simulator shows it: every exchange
// with a device's firmware at its virtual time, the same script printing the
// same lines.

#include <QJsonObject>
#include <QTest>

#include "simrun.h"
#include "store/ovmodels.h"
#include "support_firmwarescript.h"

using store::Model;

namespace {

const QString kQuit = QStringLiteral("OVCFGQuitDNotification");
constexpr quint16 kReadVersion = 0x0202;
constexpr quint16 kReadCpu = 0x0204;

bool near(double a, double b)
{
    return std::abs(a - b) < 0.0005;
}

QString key(Model model)
{
    return store::devKeyFor(model);
}

// Times of the notifications of one name.
QList<double> notifyTimes(const Run &run, const QString &name)
{
    QList<double> times;
    for (const Line &line : run.of(QStringLiteral("notify"))) {
        if (line.value.toObject().value(QLatin1String("name")).toString() == name)
            times << line.t;
    }
    return times;
}

} // namespace

class TestFirmware : public QObject
{
    Q_OBJECT
private slots:
    void bootProgramQueries();
    void kalverinSVersion_data();
    void kalverinSVersion();
    void silentDeviceEndsAtDeadline();
};

void TestFirmware::bootProgramQueries()
{
    // The device answers each request 0.2 s after it.
    const QString script = QStringLiteral("connect boot \"Tevra M\" page=FF0C product=\"Tevra M\"\n"
                                          "wait 0.7\n")
                           + simfw::versionReplyLine(QStringLiteral("boot"), 1, 15, 1, 2)
                           + QStringLiteral("wait 0.7\n")
                           + simfw::replyLine(QStringLiteral("boot"), 0, QByteArray::fromHex("030105"))
                           + QStringLiteral("wait 0.1\n");
    Run first;
    runSimulatorTwice(script, &first);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(notifyTimes(first, kQuit), QList<double>{0.5});
    const auto requests = simfw::requestsOf(first);
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].word2, kReadVersion);
    QCOMPARE(requests[0].word1, quint16(0x0101)); // the Tevra M's model word
    QVERIFY(requests[0].crcValid);
    QVERIFY(near(requests[0].t, 0.5));
    // 0.5 s after the version reply.
    QCOMPARE(requests[1].word2, kReadCpu);
    QVERIFY(near(requests[1].t, 1.2));
    // The quit notice goes out before the version request.
    QVERIFY(first.indexOf(QStringLiteral("notify")) < first.indexOf(QStringLiteral("setReport")));
}

void TestFirmware::kalverinSVersion_data()
{
    QTest::addColumn<int>("minor");
    QTest::addColumn<bool>("is115");
    QTest::newRow("1.15") << 15 << true;
    QTest::newRow("1.05") << 5 << false;
}

void TestFirmware::kalverinSVersion()
{
    QFETCH(int, minor);
    QFETCH(bool, is115);
    const QString script = QStringLiteral("connect r \"Kalverin S\" page=FF0A\n"
                                          "connect c \"Kalverin S\" page=FF0B pairs=FF0B:1,FF0C:1\n"
                                          "wait 1\n")
                           + simfw::versionReplyLine(QStringLiteral("c"), 1, minor, 1, 0)
                           + QStringLiteral("wait 0.09\ndefaults\nwait 0.02\ndefaults\n");
    Run run;
    runSimulator(script, &run);
    const auto requests = simfw::requestsOf(run);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].word2, kReadVersion);
    QCOMPARE(requests[0].iface, QStringLiteral("c"));
    QVERIFY(near(requests[0].t, 1.0));
    const auto defaults = run.of(QStringLiteral("defaults"));
    QCOMPARE(defaults.size(), 2);
    // Written 0.1 s after the answer.
    QVERIFY(!defaults[0].value.toObject().contains(QLatin1String("KalverinSIs115")));
    QCOMPARE(defaults[1].value.toObject().value(QLatin1String("KalverinSIs115")).toBool(), is115);
    QCOMPARE(defaults[1].value.toObject().value(QLatin1String("KalverinSIs115")).isBool(), true);
}

void TestFirmware::silentDeviceEndsAtDeadline()
{
    const QString timeout = key(Model::KalverinS) + QStringLiteral(": cannot read reply: none within 1000 ms");
    const auto timeouts = [&](const Run &run) {
        QList<double> times;
        for (const Line &log : run.of(QStringLiteral("log"))) {
            if (log.value.toString() == timeout)
                times << log.t;
        }
        return times;
    };

    // In its application program: the version read 1 s after binding ends
    // 1 s later, and nothing follows.
    Run application;
    runSimulator(QStringLiteral("connect r \"Kalverin S\" page=FF0A\n"
                                "connect c \"Kalverin S\" page=FF0B pairs=FF0B:1,FF0C:1\n"
                                "wait 3\ndefaults\n"),
                 &application);
    auto requests = simfw::requestsOf(application);
    QCOMPARE(requests.size(), 1);
    QVERIFY(near(requests[0].t, 1.0));
    QCOMPARE(timeouts(application), QList<double>{2.0});
    // A failed read says nothing about the firmware.
    QVERIFY(application.of(QStringLiteral("defaults")).first().value.toObject().isEmpty());

    // In its boot program: the version read at 0.5 s ends at 1.5 s, the CPU
    // query follows 0.5 s later and ends at 3 s.
    Run boot;
    runSimulator(QStringLiteral("connect c \"Kalverin S\" page=FF0C\nwait 3\n"), &boot);
    requests = simfw::requestsOf(boot);
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].word2, kReadVersion);
    QVERIFY(near(requests[0].t, 0.5));
    QCOMPARE(requests[1].word2, kReadCpu);
    QVERIFY(near(requests[1].t, 2.0));
    QCOMPARE(timeouts(boot), (QList<double>{1.5, 3.0}));
}

QTEST_GUILESS_MAIN(TestFirmware)
#include "tst_firmware.moc"
