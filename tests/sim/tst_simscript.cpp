// The simulator's script reader and its JSON value mapping, without running
// the driver.

#include <limits>

#include <QDateTime>
#include <QTest>

#include "simulator/simjson.h"
#include "simulator/simoutput.h"
#include "simulator/simscript.h"
#include "store/ovmodels.h"

using namespace driverapp;

class TestSimScript : public QObject
{
    Q_OBJECT

private slots:
    void realText_data();
    void realText();
    void readValue_data();
    void readValue();
    void refusedValue_data();
    void refusedValue();
    void valueRoundTrip_data();
    void valueRoundTrip();
    void eventLine();
    void parseCommand_data();
    void parseCommand();
    void refusedLine_data();
    void refusedLine();
    void blankLines();
};

void TestSimScript::realText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("whole number keeps its point") << 1.0 << QByteArray("1.0");
    QTest::newRow("large whole number") << 1920.0 << QByteArray("1920.0");
    QTest::newRow("shortest decimal") << 0.1 << QByteArray("0.1");
    QTest::newRow("negative zero") << -0.0 << QByteArray("-0.0");
    QTest::newRow("exponent") << 1e300 << QByteArray("1e+300");
    QTest::newRow("tiny") << 1.5e-7 << QByteArray("1.5e-07");
    // A single-precision position printed as the widened double, never as
    // the float's own shortest text "0.1".
    QTest::newRow("widened float") << double(0.1f) << QByteArray("0.10000000149011612");
    QTest::newRow("NaN has no JSON") << std::numeric_limits<double>::quiet_NaN() << QByteArray("null");
    QTest::newRow("infinity has no JSON") << std::numeric_limits<double>::infinity() << QByteArray("null");
}

void TestSimScript::realText()
{
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    QCOMPARE(json::real(value), text);
    if (std::isfinite(value))
        QCOMPARE(std::strtod(text.constData(), nullptr), value);
}

void TestSimScript::readValue_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("integer") << QByteArray("1") << QVariant::fromValue(qint64(1));
    QTest::newRow("real with point") << QByteArray("1.0") << QVariant(1.0);
    QTest::newRow("real with exponent") << QByteArray("1e2") << QVariant(100.0);
    QTest::newRow("negative integer") << QByteArray("-42") << QVariant::fromValue(qint64(-42));
    QTest::newRow("smallest integer")
        << QByteArray("-9223372036854775808") << QVariant::fromValue(std::numeric_limits<qint64>::min());
    QTest::newRow("unsigned above signed range")
        << QByteArray("18446744073709551615") << QVariant::fromValue(std::numeric_limits<quint64>::max());
    QTest::newRow("boolean") << QByteArray(" true ") << QVariant(true);
    QTest::newRow("string escapes") << QByteArray(R"("a\"b\\c\n\u00e9\ud83d\ude00")")
                                    << QVariant(QStringLiteral("a\"b\\c\n\u00e9\U0001F600"));
    QTest::newRow("data") << QByteArray(R"({"data": "AAEC/w=="})")
                          << QVariant(QByteArray("\x00\x01\x02\xff", 4));
    QTest::newRow("empty data") << QByteArray(R"({"data": ""})") << QVariant(QByteArray(""));
    QTest::newRow("date") << QByteArray(R"({"date": "2026-01-02T03:04:05Z"})")
                          << QVariant(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    QTest::newRow("date without offset is UTC")
        << QByteArray(R"({"date": "2026-01-02T03:04:05"})")
        << QVariant(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    // Only a one-key object whose value is a string stands for data or a date.
    QTest::newRow("data key with number is a dictionary") << QByteArray(
        R"({"data": 1})") << QVariant(QVariantMap { { "data", QVariant::fromValue(qint64(1)) } });
    QTest::newRow("two keys is a dictionary")
        << QByteArray(R"({"data": "AA==", "x": true})")
        << QVariant(QVariantMap { { "data", QStringLiteral("AA==") }, { "x", true } });
    QTest::newRow("array") << QByteArray(R"([1, 2.5, "x", [], {}])")
                           << QVariant(QVariantList { QVariant::fromValue(qint64(1)), 2.5,
                                  QStringLiteral("x"), QVariantList(), QVariantMap() });
}

void TestSimScript::readValue()
{
    QFETCH(QByteArray, text);
    QFETCH(QVariant, expected);
    QString error;
    const auto value = json::toValue(text, &error);
    QVERIFY2(value.has_value(), qPrintable(error));
    QCOMPARE(value->typeId(), expected.typeId());
    QCOMPARE(*value, expected);
}

void TestSimScript::refusedValue_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("null") << QByteArray("null");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("leading zero") << QByteArray("01");
    QTest::newRow("bare point") << QByteArray("1.");
    QTest::newRow("integer too large") << QByteArray("18446744073709551616");
    QTest::newRow("real out of range") << QByteArray("1e400");
    QTest::newRow("trailing comma") << QByteArray("[1,]");
    QTest::newRow("text after value") << QByteArray("1 2");
    QTest::newRow("lone surrogate") << QByteArray(R"("\ud800")");
    QTest::newRow("unterminated string") << QByteArray(R"("abc)");
    QTest::newRow("single quotes") << QByteArray("'a'");
    QTest::newRow("bad base64") << QByteArray(R"({"data": "!!!"})");
    QTest::newRow("bad date") << QByteArray(R"({"date": "yesterday"})");
    QTest::newRow("null inside") << QByteArray(R"({"a": [null]})");
    QTest::newRow("nested too deeply") << QByteArray(100, '[') + QByteArray(100, ']');
}

void TestSimScript::refusedValue()
{
    QFETCH(QByteArray, text);
    QString error;
    QVERIFY(!json::toValue(text, &error).has_value());
    QVERIFY(!error.isEmpty());
}

void TestSimScript::valueRoundTrip_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("integers and reals") << QByteArray(R"({"i":1,"n":-3,"r":1.0,"x":0.25})");
    QTest::newRow("data and date") << QByteArray(R"([{"data":"AAEC"},{"date":"2026-01-01T00:00:00Z"}])");
    QTest::newRow("nested") << QByteArray(R"({"a":{"b":[true,false,"c"]}})");
}

void TestSimScript::valueRoundTrip()
{
    QFETCH(QByteArray, text);
    const auto value = json::toValue(text);
    QVERIFY(value.has_value());
    QCOMPARE(json::fromValue(*value), text);
}

void TestSimScript::eventLine()
{
    platform::OVEvent event;
    event.kind = platform::OVEvent::Kind::Keyboard;
    event.type = platform::eventtype::KeyDown;
    event.x = 10;
    event.y = double(0.5f);
    event.flags = platform::eventflag::Command;
    event.setInteger(platform::eventfield::KeyboardEventKeycode, 8);
    event.setDouble(platform::eventfield::MouseEventPressure, 1);
    event.keyCode = 8;
    event.keyDown = true;
    QCOMPARE(SimOutput::eventJson(event),
        QByteArray(R"({"type":10,"button":0,"x":10.0,"y":0.5,"flags":1048576,)"
                   R"("fields":{"2":1.0,"9":8},"key":8,"down":true})"));

    platform::OVEvent scroll;
    scroll.kind = platform::OVEvent::Kind::Scroll;
    scroll.type = platform::eventtype::ScrollWheel;
    scroll.lines = -3;
    QVERIFY(SimOutput::eventJson(scroll).endsWith(R"("fields":{},"lines":-3})"));
}

void TestSimScript::parseCommand_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::newRow("display") << R"(display 7 -1920 0 1920 1080 builtin name="Big One" vendor=0x10AC)"
                             << int(CommandKind::Display);
    QTest::newRow("connect by name") << R"(connect pen "Tevra M" page=FF0A usage=1 product="Tevra M")"
                                     << int(CommandKind::Connect);
    QTest::newRow("connect with pairs")
        << "connect pen 14991-4356 page=0xFF0A pairs=FF0A:1,ff0b:2" << int(CommandKind::Connect);
    QTest::newRow("report with blanks") << "report pen 08 80 1a2B  00 # pen down" << int(CommandKind::Report);
    QTest::newRow("notify with object and JSON")
        << R"(notify OV_GetCurDevKey_Noti object="14991-4356" {"a": "#not a comment"})"
        << int(CommandKind::Notify);
    QTest::newRow("wait") << "wait 0.25" << int(CommandKind::Wait);
    QTest::newRow("hidopen") << "hidopen m517 0xE00002C5" << int(CommandKind::HidOpen);
    QTest::newRow("filepanel cancel") << "filepanel cancel" << int(CommandKind::FilePanel);
    QTest::newRow("front") << R"(front org.example.Paint "Paint Studio")" << int(CommandKind::Front);
}

void TestSimScript::parseCommand()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    const ParsedLine parsed = parseLine(line, 3);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QVERIFY(parsed.command.has_value());
    const Command &c = *parsed.command;
    QCOMPARE(int(c.kind), kind);
    QCOMPARE(c.line, 3);
    const QString tevraM = store::devKeyFor(store::Model::TevraM);

    switch (c.kind) {
    case CommandKind::Display:
        QCOMPARE(c.display.id, 7u);
        QCOMPARE(c.display.bounds, QRectF(-1920, 0, 1920, 1080));
        QVERIFY(c.display.builtin);
        QVERIFY(!c.display.main);
        QCOMPARE(c.display.productName, QStringLiteral("Big One"));
        QCOMPARE(c.display.vendor, 0x10ACu);
        break;
    case CommandKind::Connect:
        QCOMPARE(c.iface, QStringLiteral("pen"));
        QCOMPARE(c.key, tevraM);
        QCOMPARE(c.vendorId, store::rowFor(store::Model::TevraM).vendorId);
        QCOMPARE(c.page, 0xFF0A);
        if (c.product) {
            QCOMPARE(*c.product, QStringLiteral("Tevra M"));
            QCOMPARE(c.pairs.size(), 1);
            QCOMPARE(c.pairs[0].page, 0xFF0A);
            QCOMPARE(c.pairs[0].usage, 1);
        } else {
            QCOMPARE(c.pairs.size(), 2);
            QCOMPARE(c.pairs[1].page, 0xFF0B);
            QCOMPARE(c.pairs[1].usage, 2);
        }
        break;
    case CommandKind::Report:
        QCOMPARE(c.bytes, QByteArray("\x08\x80\x1a\x2b\x00", 5));
        break;
    case CommandKind::Notify:
        QCOMPARE(c.name, QStringLiteral("OV_GetCurDevKey_Noti"));
        QCOMPARE(c.object, tevraM);
        QCOMPARE(c.value.toMap().value("a").toString(), QStringLiteral("#not a comment"));
        break;
    case CommandKind::Wait:
        QCOMPARE(c.seconds, 0.25);
        break;
    case CommandKind::HidOpen:
        QCOMPARE(int(c.manager), int(HidManagerName::M517));
        QCOMPARE(c.code, 0xE00002C5u);
        break;
    case CommandKind::FilePanel:
        QVERIFY(!c.path.has_value());
        break;
    case CommandKind::Front:
        QCOMPARE(c.bundleId, QStringLiteral("org.example.Paint"));
        QCOMPARE(c.processName, QStringLiteral("Paint Studio"));
        break;
    default:
        QFAIL("unexpected kind");
    }
}

void TestSimScript::refusedLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("unknown command") << "frobnicate 1";
    QTest::newRow("unterminated quote") << R"(front a "b)";
    QTest::newRow("connect without page") << "connect pen 14991-4356";
    QTest::newRow("connect of unknown product") << R"(connect pen "No Such Tablet" page=FF0A)";
    QTest::newRow("connect with bad pair") << "connect pen 14991-4356 page=FF0A pairs=FF0A";
    QTest::newRow("report with odd digits") << "report pen 080";
    QTest::newRow("report with bad digit") << "report pen 0g";
    QTest::newRow("report without bytes") << "report pen";
    QTest::newRow("negative wait") << "wait -1";
    QTest::newRow("endless wait") << "wait 1e9";
    QTest::newRow("wait of text") << "wait soon";
    QTest::newRow("display of no width") << "display 1 0 0 0 1080";
    QTest::newRow("display with unknown flag") << "display 1 0 0 10 10 shiny";
    QTest::newRow("default without value") << "default KalverinSIs115";
    QTest::newRow("default of bad JSON") << "default KalverinSIs115 yes";
    QTest::newRow("config of no dictionary") << "config 14991-4356 [1]";
    QTest::newRow("notify of an array") << "notify OVCFGRequestDNotification [1]";
    QTest::newRow("hidopen of unknown manager") << "hidopen other 0x1";
    QTest::newRow("modifiers of bad flags") << "modifiers 56 zz";
    QTest::newRow("running of negative count") << "running com.orvane.OrvaneTabletDriver -1";
    QTest::newRow("defaults with argument") << "defaults now";
}

void TestSimScript::refusedLine()
{
    QFETCH(QString, line);
    const ParsedLine parsed = parseLine(line, 1);
    QVERIFY(!parsed.command.has_value());
    QVERIFY(!parsed.error.isEmpty());
}

void TestSimScript::blankLines()
{
    // Blank and comment-only lines are neither commands nor refusals.
    for (const char *line : { "", "   ", "# only a comment", "\t# indented" }) {
        const ParsedLine parsed = parseLine(QString::fromLatin1(line), 1);
        QVERIFY(!parsed.command.has_value());
        QVERIFY(parsed.error.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestSimScript)
#include "tst_simscript.moc"
