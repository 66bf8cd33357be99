// Express keys, wheel and pen buttons through the whole driver: key reports
// in, keyboard, scroll and mouse events, launches and opened addresses out.

#include <QJsonObject>
#include <QTest>

#include "simrun.h"
#include "store/ovmodels.h"

using store::Model;

Q_DECLARE_METATYPE(Model)

namespace {

QString change(Model model, const QString &category, const QString &key, const QString &json)
{
    return QStringLiteral("notify OVCFGDNotification {\"%1\": {\"c\": \"%2\", \"k\": \"%3\", \"v\": %4}}\n")
        .arg(store::devKeyFor(model), category, key, json);
}

QString boardKey(Model model, int n, const QString &json)
{
    return change(model, QStringLiteral("OVCFGBoardKey"), QStringLiteral("OVCFGBoardKey%1").arg(n), json);
}

QString degree(Model model, int index)
{
    return change(
        model, QStringLiteral("OVCFGPenKey"), QStringLiteral("OVCFGDegree"), QString::number(index));
}

QString plugIn(Model model, const QString &page = QStringLiteral("FF0A"))
{
    return QStringLiteral("display 1 0 0 1920 1080 main\nconnect k %1 page=%2\n")
        .arg(store::devKeyFor(model), page);
}

// What the key actions did, one word each: "key 6 down 0x100000",
// "scroll -5", "mouse 25" (button events), "launch PATH", "open URL".
// Proximity and moves are left out.
QStringList effects(const Run &run)
{
    QStringList list;
    for (const Line &line : run.lines) {
        const QJsonObject p = line.value.toObject();
        if (line.key == QLatin1String("launch") || line.key == QLatin1String("open")) {
            list << line.key + QLatin1Char(' ') + line.value.toString();
        } else if (line.key == QLatin1String("post")) {
            const int type = p.value("type").toInt();
            if (p.contains("key")) {
                list << QStringLiteral("key %1 %2 0x%3")
                            .arg(p.value("key").toInt())
                            .arg(p.value("down").toBool() ? "down" : "up")
                            .arg(quint64(p.value("flags").toInteger()), 0, 16);
            } else if (type == 22) {
                list << QStringLiteral("scroll %1").arg(p.value("lines").toInt());
            } else if ((type >= 1 && type <= 4) || type == 25 || type == 26) {
                list << QStringLiteral("mouse %1").arg(type);
            }
        }
    }
    return list;
}

QString withTime(const Run &run, const QString &key)
{
    QStringList list;
    for (const Line &line : run.of(key))
        list << QStringLiteral("%1 %2").arg(line.t).arg(line.value.toString());
    return list.join(QLatin1Char(';'));
}

const QString kUndoKeys = QStringLiteral("key 6 down 0x100000,key 6 up 0x100000,key 55 up 0x0");

} // namespace

class TestKeys : public QObject
{
    Q_OBJECT
private slots:
    void expressKeys_data();
    void expressKeys();
    void wheelDetent_data();
    void wheelDetent();
    void applicationSet_data();
    void applicationSet();
    void customAtRelease_data();
    void customAtRelease();
    void penButtons_data();
    void penButtons();
    void penEraserSwitch_data();
    void penEraserSwitch();
    void keyFunctionOff();
    void showSettings_data();
    void showSettings();
    void toolState();
    void logLines_data();
    void logLines();
    void notices_data();
    void notices();
};

void TestKeys::expressKeys_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("prelude");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QString>("release");
    QTest::addColumn<QString>("expected"); // comma-separated effects

    // Action list: 2 zoom in, 3 zoom out, 6 undo, 10 hand, 11 custom.
    QTest::newRow("Tevra M 0: 0x0100 is K8, undo")
        << Model::TevraM << "FF0A" << boardKey(Model::TevraM, 8, "6") << "02F0010000000000"
        << "02F0000000000000" << kUndoKeys;
    QTest::newRow("Tevra M 180: 0x0100 is K1, hand")
        << Model::TevraM << "FF0A" << degree(Model::TevraM, 2) + boardKey(Model::TevraM, 1, "10")
        << "02F0010000000000"
        << "02F0000000000000"
        << "key 49 down 0x0,key 49 up 0x0";
    QTest::newRow("Kalverin M 90: 0x0800 is K5, zoom in")
        << Model::KalverinM << "FF0A" << degree(Model::KalverinM, 1) + boardKey(Model::KalverinM, 5, "2")
        << "02F0080000000000"
        << "02F0000000000000"
        << "key 69 down 0x100000,key 69 up 0x100000,key 55 up 0x0";
    QTest::newRow("M517 V1 90: byte 4 0x01 is K1, zoom out")
        << Model::M517V1 << "FF07" << degree(Model::M517V1, 1) + boardKey(Model::M517V1, 1, "3")
        << "02E0000001000000"
        << "02E0000000000000"
        << "key 78 down 0x100000,key 78 up 0x100000,key 55 up 0x0";
    QTest::newRow("Sorvi 16Pro 270: 0x01 is K1, undo")
        << Model::Sorvi16Pro << "FF0A" << degree(Model::Sorvi16Pro, 3) + boardKey(Model::Sorvi16Pro, 1, "6")
        << "024200010100"
        << "024200000000" << kUndoKeys;
    QTest::newRow("Sorvi 16Pro 90: 0x01 is K6, hand")
        << Model::Sorvi16Pro << "FF0A" << degree(Model::Sorvi16Pro, 1) + boardKey(Model::Sorvi16Pro, 6, "10")
        << "024200010100"
        << "024200000000"
        << "key 49 down 0x0,key 49 up 0x0";
    // A recorded combination with Command and Shift: both flags on the key,
    // then both modifiers let go.
    QTest::newRow("custom: recorded Command-Shift-Z")
        << Model::TevraM << "FF0A"
        << boardKey(Model::TevraM, 8, "11")
            + change(Model::TevraM, "OVCFGBoardKey", "OVCFGBoardKey8Cus",
                "{\"OVCFGPenKeyCus\": 1, \"OVCFGPenKeyCusHotKey\": 0, \"OVCFGPenKeyCusAlias\": \"Redo\", "
                "\"OVCFGPenKeyCusCusHotKey\": {\"keyCode\": 6, \"modifierFlags\": 1179648}}")
        << "02F0010000000000"
        << "02F0000000000000"
        << "key 6 down 0x120000,key 6 up 0x120000,key 55 up 0x0,key 56 up 0x0";
    // Shift held from the press to the release.
    QTest::newRow("custom: hot-key entry 18, Shift") << Model::TevraM << "FF0A"
                                                     << boardKey(Model::TevraM, 8, "11")
            + change(Model::TevraM, "OVCFGBoardKey", "OVCFGBoardKey8Cus",
                "{\"OVCFGPenKeyCus\": 1, \"OVCFGPenKeyCusHotKey\": 18}")
                                                     << "02F0010000000000"
                                                     << "02F0000000000000"
                                                     << "key 56 down 0x0,key 56 up 0x0";
    QTest::newRow("custom: hot-key entry 40 does nothing") << Model::TevraM << "FF0A"
                                                           << boardKey(Model::TevraM, 8, "11")
            + change(Model::TevraM, "OVCFGBoardKey", "OVCFGBoardKey8Cus",
                "{\"OVCFGPenKeyCus\": 1, \"OVCFGPenKeyCusHotKey\": 40}")
                                                           << "02F0010000000000"
                                                           << "02F0000000000000"
                                                           << "";
    QTest::newRow("custom: kind 7 is no action") << Model::TevraM << "FF0A"
                                                 << boardKey(Model::TevraM, 8, "11")
            + change(Model::TevraM, "OVCFGBoardKey", "OVCFGBoardKey8Cus", "{\"OVCFGPenKeyCus\": 7}")
                                                 << "02F0010000000000"
                                                 << "02F0000000000000"
                                                 << "";
    QTest::newRow("two keys at once post nothing")
        << Model::TevraM << "FF0A" << boardKey(Model::TevraM, 8, "6") + boardKey(Model::TevraM, 7, "6")
        << "02F0030000000000"
        << "02F0000000000000"
        << "";
}

void TestKeys::expressKeys()
{
    QFETCH(Model, model);
    QFETCH(QString, page);
    QFETCH(QString, prelude);
    QFETCH(QString, press);
    QFETCH(QString, release);
    QFETCH(QString, expected);

    Run run;
    runSimulator(
        plugIn(model, page) + prelude + QStringLiteral("report k %1\nreport k %2\n").arg(press, release),
        &run);
    QCOMPARE(effects(run).join(QLatin1Char(',')), expected);
}

void TestKeys::wheelDetent_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("prelude");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("release");
    QTest::addColumn<QStringList>("expected");

    const QStringList down4(4, QStringLiteral("scroll -5"));
    const QStringList up4(4, QStringLiteral("scroll 5"));
    // The factory slot 1 scrolls: the step and its synthetic release, then
    // the release report's two releases.
    QTest::newRow("Kalverin M clockwise") << Model::KalverinM << QString() << "02F0080100000000"
                                          << "02F0000000000000" << down4;
    QTest::newRow("Kalverin M counter-clockwise at 180")
        << Model::KalverinM << degree(Model::KalverinM, 2) << "02F0080200000000"
        << "02F0000000000000" << up4;
    QTest::newRow("Sorvi 13/16 clockwise") << Model::Sorvi1316 << QString() << "0C620000"
                                           << "0C000000" << down4;
    QTest::newRow("slot 2 holds canvas zoom")
        << Model::KalverinS << change(Model::KalverinS, "OVCFGWheelKey", "OVCFGWheelKeyCur", "2")
        << "02F0080100000000"
        << "02F0000000000000"
        << QStringList { "key 69 down 0x100000", "key 69 up 0x100000", "key 55 up 0x0", "key 69 up 0x100000",
               "key 55 up 0x0", "key 69 up 0x100000", "key 55 up 0x0" };
    // Slot 5, sound volume: the volume keys, not the F11 and F12 that a Linux
    // desktop takes for full screen.
    QTest::newRow("slot 5 holds sound volume")
        << Model::KalverinM
        << change(Model::KalverinM, "OVCFGWheelKey", "OVCFGWheelKey5", "5")
            + change(Model::KalverinM, "OVCFGWheelKey", "OVCFGWheelKeyCur", "5")
        << "02F0080100000000"
        << "02F0000000000000"
        << QStringList { "key 72 down 0x0", "key 72 up 0x0", "key 72 up 0x0", "key 72 up 0x0" };
    QTest::newRow("slot 11 is no slot")
        << Model::KalverinM << change(Model::KalverinM, "OVCFGWheelKey", "OVCFGWheelKeyCur", "11")
        << "02F0080100000000"
        << "02F0000000000000" << QStringList();
    QTest::newRow("custom function: recorded Command-]")
        << Model::KalverinM
        << change(Model::KalverinM, "OVCFGWheelKey", "OVCFGWheelKey1", "11")
            + change(Model::KalverinM, "OVCFGWheelKey", "OVCFGWheelKey1Cus",
                "{\"OVCFGRKeyCusAlias\": \"Size\", \"OVCFGRKeyCusCusCWHK\": "
                "{\"keyCode\": 30, \"modifierFlags\": 1048576}}")
        << "02F0080100000000" << QString()
        << QStringList { "key 30 down 0x100000", "key 30 up 0x100000", "key 55 up 0x0" };
}

void TestKeys::wheelDetent()
{
    QFETCH(Model, model);
    QFETCH(QString, prelude);
    QFETCH(QString, step);
    QFETCH(QString, release);
    QFETCH(QStringList, expected);

    QString script = plugIn(model) + prelude + QStringLiteral("report k %1\n").arg(step);
    if (!release.isEmpty())
        script += QStringLiteral("report k %1\n").arg(release);
    Run run;
    runSimulator(script, &run);
    QCOMPARE(effects(run), expected);
}

void TestKeys::applicationSet_data()
{
    QTest::addColumn<QString>("front");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("expected");

    // Tevra M: 0x0100 is K8, 0x0200 K7; the Gimp set gives K8 copy and has
    // nothing for K7, while the device-wide K8 and K7 undo.
    QTest::newRow("set applies in front") << "Gimp"
                                          << "02F0010000000000"
                                          << "key 8 down 0x100000,key 8 up 0x100000,key 55 up 0x0";
    QTest::newRow("key without entry does nothing") << "Gimp"
                                                    << "02F0020000000000"
                                                    << "";
    QTest::newRow("another application: device-wide") << "Krita"
                                                      << "02F0010000000000" << kUndoKeys;
    // The window class and the stored identifier often differ in case only.
    QTest::newRow("names compare ignoring case") << "gimp"
                                                 << "02F0010000000000"
                                                 << "key 8 down 0x100000,key 8 up 0x100000,key 55 up 0x0";
    QTest::newRow("a part of the name is another application") << "Gim"
                                                               << "02F0020000000000" << kUndoKeys;
}

void TestKeys::applicationSet()
{
    QFETCH(QString, front);
    QFETCH(QString, report);
    QFETCH(QString, expected);

    const QString set = QStringLiteral(
        "{\"Gimp\": {\"OVCFGBoardKey8Cus\": {\"OVCFGPenKeyCus\": 1, \"OVCFGPenKeyCusHotKey\": 3}}}");
    Run run;
    runSimulator(QStringLiteral("front org.test \"%1\"\n").arg(front) + plugIn(Model::TevraM)
            + boardKey(Model::TevraM, 8, "6") + boardKey(Model::TevraM, 7, "6")
            + change(Model::TevraM, "OVCFGBKApp", "OVCFGBKAppOptions", set)
            + QStringLiteral("report k %1\nreport k 02F0000000000000\n").arg(report),
        &run);
    QCOMPARE(effects(run).join(QLatin1Char(',')), expected);
}

void TestKeys::customAtRelease_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("launched"); // "TIME PATH"
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("expected"); // other effects

    QTest::newRow("application")
        << "{\"OVCFGPenKeyCus\": 0, \"OVCFGPenKeyCusAppPath\": \"/usr/share/applications/org.gimp.desktop\"}"
        << "1 /usr/share/applications/org.gimp.desktop"
        << ""
        << "";
    QTest::newRow("the settings bundle by its install path")
        << "{\"OVCFGPenKeyCus\": 0, \"OVCFGPenKeyCusAppPath\": "
           "\"/Applications/OrvaneTablet/OrvaneTabletSetting.app\"}"
        << "1 /Applications/OrvaneTablet/OrvaneTabletSetting.app"
        << ""
        << "";
    QTest::newRow("web address") << "{\"OVCFGPenKeyCus\": 2, \"OVCFGPenKeyCusNet\": 0, "
                                    "\"OVCFGPenKeyCusURL\": \"https://example.org/help\"}"
                                 << ""
                                 << "1 https://example.org/help"
                                 << "";
    QTest::newRow("mail address") << "{\"OVCFGPenKeyCus\": 2, \"OVCFGPenKeyCusNet\": 1, "
                                     "\"OVCFGPenKeyCusURL\": \"mailto:a@example.org\"}"
                                  << ""
                                  << "1 mailto:a@example.org"
                                  << "";
    QTest::newRow("an address ending in .app is launched")
        << "{\"OVCFGPenKeyCus\": 2, \"OVCFGPenKeyCusURL\": \"Tools/Paint.APP\"}"
        << "1 Tools/Paint.APP"
        << ""
        << "";
    QTest::newRow("an address that does not parse is dropped")
        << "{\"OVCFGPenKeyCus\": 2, \"OVCFGPenKeyCusURL\": \"http://exa mple.org\"}"
        << ""
        << ""
        << "";
    QTest::newRow("middle click") << "{\"OVCFGPenKeyCus\": 3, \"OVCFGPenKeyCusMouse\": 1}"
                                  << ""
                                  << ""
                                  << "mouse 25,mouse 26";
    QTest::newRow("scroll") << "{\"OVCFGPenKeyCus\": 3, \"OVCFGPenKeyCusMouse\": 2}"
                            << ""
                            << ""
                            << "scroll -5";
}

void TestKeys::customAtRelease()
{
    QFETCH(QString, action);
    QFETCH(QString, launched);
    QFETCH(QString, opened);
    QFETCH(QString, expected);

    // A pen sample first, so that a mouse action has a place to click.
    Run run;
    runSimulator(plugIn(Model::TevraM) + boardKey(Model::TevraM, 8, "11")
            + change(Model::TevraM, "OVCFGBoardKey", "OVCFGBoardKey8Cus", action)
            + QStringLiteral("report k 02 A0 40 2A 00 10 00 00 00 00\n"
                             "report k 02F0010000000000\nwait 1\nreport k 02F0000000000000\n"),
        &run);
    QCOMPARE(withTime(run, QStringLiteral("launch")), launched);
    QCOMPARE(withTime(run, QStringLiteral("open")), opened);
    QCOMPARE(effects(run).filter(QRegularExpression("^(key|scroll|mouse)")).join(QLatin1Char(',')), expected);
}

void TestKeys::penButtons_data()
{
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QString>("expected");

    QTest::newRow("left click") << "1" << QString() << "mouse 1,mouse 2";
    QTest::newRow("right click") << "2" << QString() << "mouse 3,mouse 4";
    QTest::newRow("pen and eraser") << "3" << QString() << "key 14 down 0x0,key 14 up 0x0";
    QTest::newRow("custom hot key: copy") << "4"
                                          << "{\"OVCFGPenKeyCus\": 1, \"OVCFGPenKeyCusHotKey\": 3}"
                                          << "key 8 down 0x100000,key 8 up 0x100000,key 55 up 0x0";
    QTest::newRow("custom double click at the release")
        << "4"
        << "{\"OVCFGPenKeyCus\": 3, \"OVCFGPenKeyCusMouse\": 0}"
        << "mouse 1,mouse 2,mouse 1,mouse 2";
    QTest::newRow("past the list") << "5" << QString() << "";
}

void TestKeys::penButtons()
{
    QFETCH(QString, upper);
    QFETCH(QString, custom);
    QFETCH(QString, expected);

    // Tevra N4: hover, upper button held (state 5), back to hover.
    QString script = plugIn(Model::TevraN4) + change(Model::TevraN4, "OVCFGPenKey", "OVCFGPenKeyUp", upper);
    if (!custom.isEmpty())
        script += change(Model::TevraN4, "OVCFGPenKey", "OVCFGPenKeyUpCus", custom);
    script += QStringLiteral("report k 02 A0 40 2A 00 10 00 00 00 00\n"
                             "report k 02 A4 41 2A 00 10 00 00 00 00\n"
                             "report k 02 A0 42 2A 00 10 00 00 00 00\n");
    Run run;
    runSimulator(script, &run);
    QCOMPARE(effects(run).join(QLatin1Char(',')), expected);
}

void TestKeys::penEraserSwitch_data()
{
    QTest::addColumn<QString>("front");
    QTest::addColumn<QStringList>("expected");

    // Three clicks of the lower button: eraser, brush, eraser.
    QTest::newRow("text editor") << "gnome-text-editor"
                                 << QStringList { "key 14 down 0x0", "key 14 up 0x0", "key 11 down 0x0",
                                        "key 11 up 0x0", "key 14 down 0x0", "key 14 up 0x0" };
    QTest::newRow("Krita in any case") << "kRiTa" << QStringList();
    QTest::newRow("SketchBook") << "SketchBook" << QStringList();
}

void TestKeys::penEraserSwitch()
{
    QFETCH(QString, front);
    QFETCH(QStringList, expected);

    // Tevra N4: the lower button switches pen and eraser by default. Hover,
    // then lower button held and let go three times, moving a little so no
    // report is taken for a pen holding still.
    QString script = QStringLiteral("front org.test \"%1\"\n").arg(front) + plugIn(Model::TevraN4)
        + QStringLiteral("report k 02 A0 40 2A 00 10 00 00 00 00\n");
    for (int i = 0; i < 3; ++i) {
        script += QStringLiteral("report k 02 A2 %1 2A 00 10 00 00 00 00\n")
                      .arg(0x41 + 2 * i, 2, 16, QLatin1Char('0'));
        script += QStringLiteral("report k 02 A0 %1 2A 00 10 00 00 00 00\n")
                      .arg(0x42 + 2 * i, 2, 16, QLatin1Char('0'));
    }
    Run run;
    runSimulator(script, &run);
    QCOMPARE(effects(run), expected);
}

void TestKeys::keyFunctionOff()
{
    // With the key function off the express key, the wheel and its centre
    // stay silent (no slot walk, no panel), while the pen's lower button
    // still switches to the eraser.
    const QString off = change(Model::KalverinM, "OVCFGPenKey", "OVCFGKeyFun", "false");
    Run run;
    runSimulator(plugIn(Model::KalverinM) + off + boardKey(Model::KalverinM, 1, "6")
            + QStringLiteral("report k 02F0010000000000\nreport k 02F0000000000000\n"
                             "report k 02F0080100000000\nreport k 02F0000000000000\n"
                             "report k 02F0080300000000\nreport k 02F0000000000000\n"
                             "report k 02F0080300000000\nwait 3.5\nreport k 02F0000000000000\n")
            + QStringLiteral("dump %1\n").arg(store::devKeyFor(Model::KalverinM))
            + QStringLiteral("report k 02 A0 40 2A 00 10 00 00 00 00\n"
                             "report k 02 A2 41 2A 00 10 00 00 00 00\n"
                             "report k 02 A0 42 2A 00 10 00 00 00 00\n"),
        &run);
    QCOMPARE(effects(run), (QStringList { "key 14 down 0x0", "key 14 up 0x0" }));
    for (const Line &line : run.of(QStringLiteral("window")))
        QVERIFY(line.value.toObject().value("name").toString() != QLatin1String("OVWheelFunInfo"));
    const QList<Line> dumps = run.of(QStringLiteral("config"));
    QCOMPARE(dumps.size(), 1);
    const QJsonObject wheel
        = dumps.first().value.toObject().value("value").toObject().value("OVCFGWheelKey").toObject();
    QCOMPARE(wheel.value("OVCFGWheelKeyCur").toInteger(), 1);
}

void TestKeys::showSettings_data()
{
    QTest::addColumn<int>("running");
    QTest::addColumn<QString>("launched");
    QTest::addColumn<int>("showNotices");

    QTest::newRow("not running: launched once, at the press")
        << 0 << "/Applications/OrvaneTablet/OrvaneTabletSetting.app" << 0;
    // A second copy would quit at once; the running one is asked to come forward.
    QTest::newRow("running: asked over the bus") << 1 << "" << 1;
}

void TestKeys::showSettings()
{
    QFETCH(int, running);
    QFETCH(QString, launched);
    QFETCH(int, showNotices);

    Run run;
    runSimulator(QStringLiteral("running com.orvane.OrvaneTabletSetting %1\n").arg(running)
            + plugIn(Model::TevraM) + boardKey(Model::TevraM, 8, "1")
            + QStringLiteral("report k 02F0010000000000\nreport k 02F0000000000000\n"),
        &run);
    QStringList launches;
    for (const Line &line : run.of(QStringLiteral("launch")))
        launches << line.value.toString();
    QCOMPARE(launches.join(QLatin1Char(',')), launched);
    int shows = 0;
    for (const Line &line : run.of(QStringLiteral("notify")))
        shows += line.value.toObject().value("name").toString() == QLatin1String("OVCFGShowDNotification");
    QCOMPARE(shows, showNotices);
    QVERIFY(effects(run).filter(QStringLiteral("key")).isEmpty());
}

void TestKeys::toolState()
{
    // A Sorvi10 reports which end of the pen is in use: the first report
    // with the tip end selects the brush, a change to the eraser end taps E,
    // and a repeated state taps nothing.
    Run run;
    runSimulator(QStringLiteral("display 1 0 0 1920 1080 main\nconnect k %1 page=1 usage=2\n"
                                "report k 01 C2 00 20\nreport k 01 C2 00 A0\nreport k 01 C2 00 A0\n"
                                "report k 01 C2 00 20\n")
                     .arg(store::devKeyFor(Model::Sorvi10)),
        &run);
    QCOMPARE(effects(run),
        (QStringList { "key 11 down 0x0", "key 11 up 0x0", "key 14 down 0x0", "key 14 up 0x0",
            "key 11 down 0x0", "key 11 up 0x0" }));
}

void TestKeys::logLines_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("line");

    QTest::newRow("express key without custom action")
        << boardKey(Model::TevraM, 8, "11") + "report k 02F0010000000000\n"
        << "board key 8: no custom action";
    QTest::newRow("custom action of the wrong kind") << boardKey(Model::TevraM, 8, "11")
            + change(Model::TevraM, "OVCFGBoardKey", "OVCFGBoardKey8Cus", "[1]")
            + "report k 02F0010000000000\n"
                                                     << "board key 8: no custom action";
    QTest::newRow("pen button without custom action")
        << change(Model::TevraM, "OVCFGPenKey", "OVCFGPenKeyUp", "4")
            + "report k 02 A0 40 2A 00 10 00 00 00 00\nreport k 02 A4 41 2A 00 10 00 00 00 00\n"
        << "pen key up: no custom action";
    QTest::newRow("two keys at once")
        << QStringLiteral("report k 02F0030000000000\n") << "<02f00300 00000000>";
}

void TestKeys::logLines()
{
    QFETCH(QString, script);
    QFETCH(QString, line);

    Run run;
    runSimulator(plugIn(Model::TevraM) + script, &run);
    QVERIFY2(run.logged(line), run.out.constData());
    QVERIFY(effects(run).isEmpty());
}

void TestKeys::notices_data()
{
    QTest::addColumn<QString>("prelude");
    QTest::addColumn<QStringList>("expected");

    const QString custom = boardKey(Model::TevraM, 8, "11");
    auto action = [](const QString &json) {
        return change(Model::TevraM, "OVCFGBoardKey", "OVCFGBoardKey8Cus", json);
    };
    QTest::newRow("hot key: its name at the press")
        << boardKey(Model::TevraM, 8, "6") << QStringList { "Undo" };
    QTest::newRow("tips off: the key without a notice")
        << boardKey(Model::TevraM, 8, "6") + change(Model::TevraM, "OVCFGPenKey", "OVCFGTips", "false")
        << QStringList();
    QTest::newRow("hot-key entry 18")
        << custom + action("{\"OVCFGPenKeyCus\": 1, \"OVCFGPenKeyCusHotKey\": 18}")
        << QStringList { "Shift" };
    QTest::newRow("recorded combination: its name") << custom
            + action(
                "{\"OVCFGPenKeyCus\": 1, \"OVCFGPenKeyCusHotKey\": 0, \"OVCFGPenKeyCusAlias\": \"Redo it\", "
                "\"OVCFGPenKeyCusCusHotKey\": {\"keyCode\": 6, \"modifierFlags\": 1179648}}")
                                                    << QStringList { "Redo it" };
    QTest::newRow("entry 0 without a combination: nothing") << custom
            + action("{\"OVCFGPenKeyCus\": 1, \"OVCFGPenKeyCusHotKey\": 0, \"OVCFGPenKeyCusAlias\": \"x\"}")
                                                            << QStringList();
    QTest::newRow("address: its name at the release") << custom
            + action("{\"OVCFGPenKeyCus\": 2, \"OVCFGPenKeyCusAlias\": \"Docs\", "
                     "\"OVCFGPenKeyCusURL\": \"https://example.org\"}")
                                                      << QStringList { "Docs" };
    QTest::newRow("address without a name: no notice")
        << custom + action("{\"OVCFGPenKeyCus\": 2, \"OVCFGPenKeyCusURL\": \"https://example.org\"}")
        << QStringList();
    QTest::newRow("mouse action: no notice") << custom
            + action(
                "{\"OVCFGPenKeyCus\": 3, \"OVCFGPenKeyCusAlias\": \"Scroll\", \"OVCFGPenKeyCusMouse\": 2}")
                                             << QStringList();
}

void TestKeys::notices()
{
    QFETCH(QString, prelude);
    QFETCH(QStringList, expected);

    Run run;
    runSimulator(QStringLiteral("languages en\n") + plugIn(Model::TevraM) + prelude
            + QStringLiteral("report k 02F0010000000000\nreport k 02F0000000000000\n"),
        &run);
    QStringList texts;
    for (const Line &line : run.of(QStringLiteral("notice")))
        texts << line.value.toString();
    QCOMPARE(texts, expected);
}

QTEST_GUILESS_MAIN(TestKeys)
#include "tst_keys.moc"
