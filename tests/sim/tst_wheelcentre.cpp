// The wheel's centre button and the on-screen notice through the whole
// driver: wheel reports in, "notice", "window" and configuration lines out.

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include "platform/stringtable.h"
#include "simrun.h"
#include "store/ovmodels.h"

using store::Model;

Q_DECLARE_METATYPE(Model)

namespace {

QString text(const char *key)
{
    static const platform::StringTable table { { QStringLiteral("en") } };
    return table.text(QLatin1String(key));
}

// The notice shows an empty message as one blank.
QString shown(const QString &message)
{
    return message.isEmpty() ? QStringLiteral(" ") : message;
}

// "t name shown" for each "window" line of that window.
QStringList windows(const Run &run, const QString &name)
{
    QStringList list;
    for (const Line &line : run.of(QStringLiteral("window"))) {
        const QJsonObject w = line.value.toObject();
        if (w.value("name").toString() == name)
            list << QStringLiteral("%1 %2").arg(line.t).arg(w.value("shown").toBool() ? "shown" : "hidden");
    }
    return list;
}

QStringList notices(const Run &run)
{
    QStringList list;
    for (const Line &line : run.of(QStringLiteral("notice")))
        list << line.value.toString();
    return list;
}

// "OVCFGWheelKeyCur" of every "config" line, in order.
QList<qint64> currentSlots(const Run &run)
{
    QList<qint64> list;
    for (const Line &line : run.of(QStringLiteral("config"))) {
        const QJsonObject wheel
            = line.value.toObject().value("value").toObject().value("OVCFGWheelKey").toObject();
        list << wheel.value("OVCFGWheelKeyCur").toInteger(-1);
    }
    return list;
}

} // namespace

class TestWheelCentre : public QObject
{
    Q_OBJECT
private slots:
    void walkAndPanel_data();
    void walkAndPanel();
    void noticesOff();
};

void TestWheelCentre::walkAndPanel_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("step"); // a clockwise detent
    QTest::addColumn<QString>("centre");
    QTest::addColumn<QString>("release");

    QTest::newRow("Kalverin S") << Model::KalverinS << "02F0080100000000"
                                << "02F0080300000000"
                                << "02F0000000000000";
    QTest::newRow("Kalverin M") << Model::KalverinM << "02F0080100000000"
                                << "02F0080300000000"
                                << "02F0000000000000";
    QTest::newRow("Sorvi 13/16") << Model::Sorvi1316 << "0C620000"
                                 << "0C000100"
                                 << "0C000000";
}

void TestWheelCentre::walkAndPanel()
{
    QFETCH(Model, model);
    QFETCH(QString, step);
    QFETCH(QString, centre);
    QFETCH(QString, release);

    const QString device = store::devKeyFor(model);
    QString script = QStringLiteral("display 1 0 0 1920 1080 main\nconnect k %1 page=FF0A\n").arg(device);
    // The factory slot 1 scrolls; its notice comes at the detent's press.
    script += QStringLiteral("report k %1\nreport k %2\nwait 2\n").arg(step, release);
    // Three short presses walk the factory slots 2, 3, 1.
    for (int i = 0; i < 3; ++i)
        script += QStringLiteral("report k %1\nreport k %2\ndump %3\nwait 2\n").arg(centre, release, device);
    // Held for 3.5 s: the panel opens at 3 s, the release changes nothing.
    script += QStringLiteral("report k %1\nwait 3.5\nreport k %2\ndump %3\nwait 6\n")
                  .arg(centre, release, device);

    Run run;
    runSimulator(script, &run);
    QCOMPARE(currentSlots(run), (QList<qint64> { 2, 3, 1, 1 }));
    QCOMPARE(notices(run),
        (QStringList { shown(text("OVHK_PageDown")), QStringLiteral("R2: ") + text("OVRK_CanvasZoom"),
            QStringLiteral("R3: ") + text("OVRK_BrushZoom"),
            QStringLiteral("R1: ") + text("OVRK_ScrollWheel"), shown(text("OVRK_S")) }));
    // Long press at 8 s: shown at 11 s, hidden 5 s later.
    QCOMPARE(windows(run, QStringLiteral("OVWheelFunInfo")), (QStringList { "11 shown", "16 hidden" }));
    // The notice: shown with each run of messages, hidden 1.5 s after the last.
    QCOMPARE(windows(run, QStringLiteral("OVHUDAlert")),
        (QStringList { "0 shown", "1.5 hidden", "2 shown", "3.5 hidden", "4 shown", "5.5 hidden", "6 shown",
            "7.5 hidden", "11 shown", "12.5 hidden" }));
}

void TestWheelCentre::noticesOff()
{
    const QString device = store::devKeyFor(Model::KalverinS);
    Run run;
    runSimulator(
        QStringLiteral("display 1 0 0 1920 1080 main\nconnect k %1 page=FF0A\n"
                       "notify OVCFGDNotification {\"%1\": {\"c\": \"OVCFGPenKey\", \"k\": \"OVCFGTips\", "
                       "\"v\": false}}\n"
                       "report k 02F0080100000000\nreport k 02F0000000000000\n"
                       "report k 02F0080300000000\nreport k 02F0000000000000\ndump %1\n"
                       "report k 02F0080300000000\nwait 3\nreport k 02F0000000000000\nwait 6\n")
            .arg(device),
        &run);
    QCOMPARE(currentSlots(run), QList<qint64> { 2 });
    QCOMPARE(notices(run), QStringList());
    QCOMPARE(windows(run, QStringLiteral("OVWheelFunInfo")), (QStringList { "3 shown", "8 hidden" }));
}

QTEST_GUILESS_MAIN(TestWheelCentre)
#include "tst_wheelcentre.moc"
