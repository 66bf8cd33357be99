#include <QTest>

#include "driver/devicepipeline.h"
#include "driver/tiltfilter.h"
#include "store/ovmodels.h"
#include "support_pensink.h"

using namespace driver;
using store::Model;

Q_DECLARE_METATYPE(Model)

// The report path of one device as a function: bytes and context in, the
// effects in their order out.
class TestDevicePipeline : public QObject
{
    Q_OBJECT

private slots:
    void effects_data();
    void effects();
    void mouseActionsMapTheCurrentSample();
    void devicesShareTheTiltFilter();
};

namespace {

// Each effect as one text:
//   "event <type>"                     an event to post (24: proximity)
//   "penKey <press> <isDownKey>"       a barrel button
//   "key <name> <press>"               an express key or wheel event
//   "tool <eraser> <brushTool>"        a pen display's tool switch
//   "touch <edge>"                     a calibration run's pen-down
//   "diagnostics", "log <text>", "dropped"
QStringList describe(const Effects &effects)
{
    QStringList out;
    for (const Effect &effect : effects) {
        if (const auto *event = std::get_if<platform::OVEvent>(&effect))
            out << QStringLiteral("event %1").arg(event->type);
        else if (const auto *button = std::get_if<PenButtonEffect>(&effect))
            out << QStringLiteral("penKey %1 %2").arg(int(button->press)).arg(int(button->isDownKey));
        else if (const auto *key = std::get_if<BoardKeyEvent>(&effect))
            out << QStringLiteral("key %1 %2").arg(key->name).arg(int(key->press));
        else if (const auto *tool = std::get_if<ToolSwitchEffect>(&effect))
            out << QStringLiteral("tool %1 %2").arg(int(tool->eraser)).arg(int(tool->brushTool));
        else if (const auto *touch = std::get_if<CalibrationTouchEffect>(&effect))
            out << QStringLiteral("touch %1").arg(int(touch->edge));
        else if (std::holds_alternative<DiagnosticsEffect>(effect))
            out << QStringLiteral("diagnostics");
        else if (const auto *line = std::get_if<LogEffect>(&effect))
            out << QStringLiteral("log ") + line->text;
        else if (std::holds_alternative<DroppedEffect>(effect))
            out << QStringLiteral("dropped");
    }
    return out;
}

// One display, the device mapped onto all of it.
PipelineContext context(Model model)
{
    PipelineContext context;
    context.settings.ovP2 = QPointF(1, 1);
    context.settings.ovPC = QPointF(0.5, 0.5);
    platform::DisplayInfo display;
    display.id = 1;
    display.bounds = QRectF(0, 0, 1920, 1080);
    display.main = true;
    context.screens = checkScreens({display}, {}).screens;
    if (store::rowFor(model).penDisplay) {
        context.monitorNamePresent = true;
        context.calibration.cbDelta.maxX = { 219, 232 };
        context.calibration.cbDelta.maxY = { 123, 179 };
    }
    return context;
}

} // namespace

void TestDevicePipeline::effects_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QList<QByteArray>>("reports");
    QTest::addColumn<quint64>("degree");
    QTest::addColumn<bool>("calibrating");
    QTest::addColumn<QStringList>("effects");

    const QByteArray hover = hexReport("02 A0 00 10 00 10 00 00 00 00");
    const QByteArray tip = hexReport("02 A1 00 10 00 10 00 00 00 00");
    const QByteArray out = hexReport("02 C0 00 10 00 10 00 00 00 00");
    // The generic parser hands every pen report to the diagnostics window
    // first; its first tip report is dropped.
    QTest::newRow("enter, first tip dropped, down, leave")
        << Model::TevraN4 << QList<QByteArray> { hover, tip, tip, out } << quint64(0) << false
        << QStringList { "diagnostics", "event 24", "event 5", "diagnostics", "diagnostics", "event 1",
               "diagnostics", "event 2", "event 5", "event 24" };
    QTest::newRow("lower button from hover")
        << Model::TevraN4 << QList<QByteArray> { hover, hexReport("02 A2 00 10 00 10 00 00 00 00") }
        << quint64(0) << false
        << QStringList { "diagnostics", "event 24", "event 5", "diagnostics", "penKey 1 1" };
    QTest::newRow("key at 180 degrees, then its release")
        << Model::TevraN10B
        << QList<QByteArray> { hexReport("02 F0 01 00 00 00 00 00"), hexReport("02 F0 00 00") } << quint64(2)
        << false << QStringList { "key OVCFGBoardKey6 1", "key OVCFGBoardKey6 0" };
    QTest::newRow("unknown key field is logged with the report")
        << Model::TevraQ << QList<QByteArray> { hexReport("02 F0 03 00") } << quint64(0) << false
        << QStringList { "log <02f00300>" };
    QTest::newRow("tool state: first pen end, then eraser")
        << Model::Sorvi22 << QList<QByteArray> { hexReport("01 C2 00 20"), hexReport("01 C2 00 A0") }
        << quint64(0) << false << QStringList { "tool 0 1", "tool 1 0" };
    QTest::newRow("calibration touch goes before its pen-down")
        << Model::Sorvi22
        << QList<QByteArray> { hexReport("01 A0 10 00 10 00 00 00 00"),
               hexReport("01 41 10 00 10 00 00 00 00") }
        << quint64(0) << true << QStringList { "event 24", "event 5", "touch 0", "event 1" };
    QTest::newRow("status 0xff: its line, nothing else")
        << Model::TevraN4 << QList<QByteArray> { hexReport("02 FF") } << quint64(0) << false
        << QStringList { "diagnostics", "log code == 0xff" };
    QTest::newRow("too short") << Model::TevraN4 << QList<QByteArray> { hexReport("02 A0 00") } << quint64(0)
                               << false << QStringList { "diagnostics", "dropped" };
    QTest::newRow("no dispatcher: nothing")
        << Model::Sorvi13 << QList<QByteArray> { hover } << quint64(0) << false << QStringList {};
}

void TestDevicePipeline::effects()
{
    QFETCH(Model, model);
    QFETCH(QList<QByteArray>, reports);
    QFETCH(quint64, degree);
    QFETCH(bool, calibrating);
    QFETCH(QStringList, effects);

    TiltState tilt;
    DevicePipeline pipeline(store::rowFor(model), tilt);
    PipelineContext ctx = context(model);
    ctx.settings.ovDegree = degree;
    ctx.calibrating = calibrating;
    Effects out;
    for (const QByteArray &report : reports) {
        ctx.now += 0.005;
        pipeline.report(bytesOf(report), ctx, out);
    }
    QCOMPARE(describe(out), effects);
}

// A pen button's click lands where the pen is, and in relative mode it moves
// the point on by the last step again.
void TestDevicePipeline::mouseActionsMapTheCurrentSample()
{
    TiltState tilt;
    DevicePipeline pipeline(store::rowFor(Model::TevraN4), tilt);
    PipelineContext ctx = context(Model::TevraN4);
    Effects out;
    pipeline.report(bytesOf(hexReport("02 A0 40 2A 9A 1F 00 00 00 00")), ctx, out);
    pipeline.report(bytesOf(hexReport("02 A0 54 2A 9A 1F 00 00 00 00")), ctx, out);
    const platform::OVEvent moved = std::get<platform::OVEvent>(out.back());
    QCOMPARE(moved.type, 5u);
    out.clear();
    pipeline.postMouseEvent(3, 1, ctx, out);
    QCOMPARE(out.size(), size_t(1));
    const auto &click = std::get<platform::OVEvent>(out.front());
    QCOMPARE(click.type, 3u);
    QCOMPARE(click.x, moved.x);
    QCOMPARE(click.y, moved.y);

    ctx.settings.ovCM = 1;
    ctx.pointer = QPointF(100, 100);
    QVERIFY(pipeline.needsPointer(ctx.settings));
    out.clear();
    pipeline.postMouseEvent(3, 1, ctx, out);
    QVERIFY(!pipeline.needsPointer(ctx.settings));
    QCOMPARE(out.size(), size_t(1));
    QCOMPARE(std::get<platform::OVEvent>(out.front()).x, 100.0);
}

// The driver has one tilt filter: a touch of a second device restarts it, and
// the first device's next tip sample then comes out of the restarted filter.
void TestDevicePipeline::devicesShareTheTiltFilter()
{
    TiltState tilt;
    DevicePipeline first(store::rowFor(Model::TevraM), tilt);
    DevicePipeline second(store::rowFor(Model::TevraM), tilt);
    PipelineContext ctx = context(Model::TevraM);
    Effects out;
    for (DevicePipeline *pipeline : { &first, &second })
        pipeline->penState().orvaneModeInited = true;
    for (int i = 0; i < 15; ++i) {
        const int x = 0x1000 + 32 * i;
        ctx.nowMillis += 5;
        first.report(bytesOf(hexReport("02 A1")
                                 .append(char(x & 0xFF))
                                 .append(char(x >> 8))
                                 .append(hexReport("00 10 00 10 14 EC"))),
            ctx, out);
    }
    QVERIFY(first.penState().eventData.tilt.x != 0);
    second.report(bytesOf(hexReport("02 A1 00 20 00 20 00 10 14 EC")), ctx, out);
    QCOMPARE(tilt.meanX.full, std::uint8_t(0));
    first.report(bytesOf(hexReport("02 A1 00 30 00 20 00 10 14 EC")), ctx, out);
    QCOMPARE(first.penState().eventData.tilt, (OVEventData::Tilt { 0, 0 }));
}

QTEST_GUILESS_MAIN(TestDevicePipeline)
#include "tst_devicepipeline.moc"
