#include <QTest>

#include "driver/penparser.h"
#include "driver/tiltfilter.h"
#include "support_pensink.h"

using driver::OVEventData;
using driver::PenContext;
using driver::PenFamily;
using driver::PenState;
using driver::ReportOutcome;
using driver::ReportResult;
using store::Model;

Q_DECLARE_METATYPE(OVEventData)
Q_DECLARE_METATYPE(PenFamily)
Q_DECLARE_METATYPE(Model)
Q_DECLARE_METATYPE(ReportOutcome)

// The driver's one tilt filter state, as its device manager holds it.
driver::TiltState &tilt()
{
    static driver::TiltState state;
    return state;
}

class TstPenParser : public QObject
{
    Q_OBJECT

private slots:
    void init() { tilt() = driver::TiltState(); }

    void decode_data();
    void decode();
    void sorvi12ProEdges_data();
    void sorvi12ProEdges();
    void edgeCapture_data();
    void edgeCapture();
    void edgeCaptureOnHeldReport();

    void tooShort_data();
    void tooShort();
    void unknownStatus_data();
    void unknownStatus();

    void firstTipDropped();
    void sorviParsersKeepFirstTip();
    void holdStill_data();
    void holdStill();
    void stateChangePassesStillPen();

    void stateTable_data();
    void stateTable();
    void sequences_data();
    void sequences();

    void tiltDuringTouch();
    void noTiltModelLeavesFilters();
    void diagnosticsSeesEveryGenericReport();
};

namespace {

// A pen hovering far from every test position, after the first tip report:
// whatever the next report says passes the hold-still filter and the
// first-tip drop.
PenState hoveringFarAway()
{
    PenState state;
    state.orvaneModeInited = true;
    state.eventData.type = 1;
    state.eventData.loc = {250, 0, 250, 0};
    return state;
}

OVEventData sample(qint32 ix, qint32 dx, qint32 iy, qint32 dy, quint16 pres, quint32 type,
                   qint16 tiltX = 0, qint16 tiltY = 0)
{
    OVEventData data;
    data.loc = {ix, dx, iy, dy};
    data.pres = pres;
    data.type = type;
    data.tilt = {tiltX, tiltY};
    return data;
}

const OVEventData::Loc kFarAway = {250, 0, 250, 0};

ReportResult parse(PenFamily family, Model model, const QByteArray &report, PenState &state,
                   const PenContext &context, RecordingPenSink &sink)
{
    PenContext withTilt = context;
    withTilt.tilt = &tilt();
    return driver::parsePenReport(driver::penFamily(family), bytesOf(report), model, state, withTilt, sink);
}

// A generic report "02 <status> <x low> <x high> <y low> <y high> 00 00 <tilt x> <tilt y>".
QByteArray genericReport(quint8 status, int x, int y, qint8 tiltX = 0, qint8 tiltY = 0)
{
    QByteArray report(10, '\0');
    report[0] = 0x02;
    report[1] = char(status);
    report[2] = char(x & 0xFF);
    report[3] = char(x >> 8);
    report[4] = char(y & 0xFF);
    report[5] = char(y >> 8);
    report[8] = char(tiltX);
    report[9] = char(tiltY);
    return report;
}

// A Sorvi10 report "01 <status> <x high> <x low> <y high> <y low> 00 00 00".
QByteArray sorvi10Report(quint8 status, int x, int y)
{
    QByteArray report(9, '\0');
    report[0] = 0x01;
    report[1] = char(status);
    report[2] = char(x >> 8);
    report[3] = char(x & 0xFF);
    report[4] = char(y >> 8);
    report[5] = char(y & 0xFF);
    return report;
}

} // namespace

void TstPenParser::decode_data()
{
    QTest::addColumn<PenFamily>("family");
    QTest::addColumn<Model>("model");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("pressureOn");
    QTest::addColumn<qint64>("minX");
    QTest::addColumn<qint64>("minY");
    QTest::addColumn<OVEventData>("expected");

    const auto G = PenFamily::Generic;
    // Tablets: X = bytes 3 (high), 2 (low); Y = 5, 4; pressure 7 * 256 + 6; tilt 8, 9 signed.
    QTest::newRow("generic hover, signed tilt")
        << G << Model::TevraM << hexReport("02 A0 34 12 78 56 34 02 FB 05") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 1, -5, 5);
    // The tilt of a first tip sample is the filters' 0.
    QTest::newRow("generic tip, pressure on")
        << G << Model::TevraM << hexReport("02 A1 34 12 78 56 34 02 FB 05") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0x0234, 2);
    QTest::newRow("generic tip, pressure off")
        << G << Model::TevraM << hexReport("02 A1 34 12 78 56 34 02 FB 05") << false << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 2);
    QTest::newRow("generic 0xC1 tip")
        << G << Model::KalverinS << hexReport("02 C1 00 01 00 02 FF FF 00 00") << true << 0ll << 0ll
        << sample(1, 0, 2, 0, 0xFFFF, 2);
    QTest::newRow("lower button with tip 0xBB: no pressure, raw tilt")
        << G << Model::TevraM << hexReport("02 BB 34 12 78 56 34 02 0A F6") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 4, 10, -10);
    QTest::newRow("upper button 0xC4")
        << G << Model::TevraQ << hexReport("02 C4 34 12 78 56 00 00 00 00") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 5);
    QTest::newRow("upper button with tip 0xAD")
        << G << Model::M482PlusV2 << hexReport("02 AD 34 12 78 56 00 00 00 00") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 6);
    QTest::newRow("Tevra S reads no tilt")
        << G << Model::TevraS << hexReport("02 A0 34 12 78 56 00 00 FB 05") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 1);
    QTest::newRow("M517 V2 8-byte report")
        << G << Model::M517V2 << hexReport("02 A0 34 12 78 56 00 00") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 1);
    QTest::newRow("M517 V1 0xC0 hovers")
        << G << Model::M517V1 << hexReport("02 C0 34 12 78 56 00 00") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 1);
    // The generic parser keeps the out-of-range report's own position.
    QTest::newRow("M517 V1 0x80 out of range")
        << G << Model::M517V1 << hexReport("02 80 34 12 78 56 00 00") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 0);
    QTest::newRow("generic 0xC0 out of range")
        << G << Model::TevraM << hexReport("02 C0 34 12 78 56 00 00 03 04") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 0, 3, 4);
    QTest::newRow("tablets take no edge offset")
        << G << Model::TevraM << hexReport("02 A0 34 12 78 56 00 00 00 00") << true << 1000ll
        << 500ll << sample(0x12, 0x34, 0x56, 0x78, 0, 1);

    // Sorvi10: X = bytes 2 (high), 3; Y = 4, 5; pressure 6 * 4 + byte 7 bits 7..6;
    // tilt byte 7 bits 5..0, byte 8 bits 6..0. Offset: 1000 + 0x12 * 255 + 0x34
    // = 5642 = 22 * 255 + 32; 500 + 0x56 * 255 + 0x78 = 22550 = 88 * 255 + 110.
    const auto S10 = PenFamily::Sorvi10;
    QTest::newRow("Sorvi10 hover, offset, tilt fields")
        << S10 << Model::Sorvi10 << hexReport("01 A0 12 34 56 78 80 FF FF") << true << 1000ll
        << 500ll << sample(22, 32, 88, 110, 0, 1, 63, 127);
    QTest::newRow("Sorvi10 tip, 10-bit pressure")
        << S10 << Model::Sorvi10 << hexReport("01 A1 12 34 56 78 80 C0 00") << true << 1000ll
        << 500ll << sample(22, 32, 88, 110, 0x80 * 4 + 3, 2);
    QTest::newRow("Sorvi10 barrel keeps the raw bytes")
        << S10 << Model::Sorvi10 << hexReport("01 A4 12 34 56 78 80 C5 05") << true << 1000ll
        << 500ll << sample(0x12, 0x34, 0x56, 0x78, 0, 3, 5, 5);
    QTest::newRow("Sorvi10 barrel with tip 0xA5")
        << S10 << Model::Sorvi10 << hexReport("01 A5 12 34 56 78 80 C5 05") << true << 1000ll
        << 500ll << sample(0x12, 0x34, 0x56, 0x78, 0, 4, 5, 5);
    QTest::newRow("Sorvi10 0x80 keeps the previous position")
        << S10 << Model::Sorvi10 << hexReport("01 80 12 34 56 78 00 00 00") << true << 0ll << 0ll
        << sample(250, 0, 250, 0, 0, 0);

    // Sorvi 22: bit 6 tip, bit 1 button; pressure 6 * 8 + (7 >> 6) * 2 + (1 & 1).
    const auto S22 = PenFamily::Sorvi22;
    QTest::newRow("Sorvi22 tip, 11-bit pressure, no offset")
        << S22 << Model::Sorvi22 << hexReport("01 41 12 34 56 78 FF C0 00") << true << 1000ll
        << 500ll << sample(0x12, 0x34, 0x56, 0x78, 2047, 2);
    QTest::newRow("Sorvi22 hover 0xA0 offset")
        << S22 << Model::Sorvi22 << hexReport("01 A0 12 34 56 78 00 00 00") << true << 1000ll
        << 500ll << sample(22, 32, 88, 110, 0, 1);
    QTest::newRow("Sorvi22 tip and button")
        << S22 << Model::Sorvi22 << hexReport("01 42 12 34 56 78 FF C0 00") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 4);
    QTest::newRow("Sorvi22 button only")
        << S22 << Model::Sorvi22 << hexReport("01 02 12 34 56 78 00 00 00") << true << 0ll << 0ll
        << sample(0x12, 0x34, 0x56, 0x78, 0, 3);
    QTest::newRow("Sorvi22 any other status is out of range")
        << S22 << Model::Sorvi22 << hexReport("01 A1 12 34 56 78 00 00 00") << true << 1000ll
        << 500ll << sample(250, 0, 250, 0, 0, 0);

    // Sorvi 13/16: pressure 6 * 32 + (7 >> 6) * 8 + 4 * bit 2 + 2 * bit 3 + bit 0 of byte 1.
    const auto S16 = PenFamily::Sorvi16;
    QTest::newRow("Sorvi16 tip, 13-bit pressure, offset")
        << S16 << Model::Sorvi1316 << hexReport("01 4D 12 34 56 78 FF C0 00") << true << 1000ll
        << 500ll << sample(22, 32, 88, 110, 8191, 2);
    QTest::newRow("Sorvi16 bit 2 weighs 4")
        << S16 << Model::Sorvi1316 << hexReport("01 45 12 34 56 78 01 40 00") << true << 0ll
        << 0ll << sample(0x12, 0x34, 0x56, 0x78, 32 + 8 + 4 + 1, 2);
    QTest::newRow("Sorvi16 bit 3 weighs 2")
        << S16 << Model::Sorvi1316 << hexReport("01 49 12 34 56 78 01 40 00") << true << 0ll
        << 0ll << sample(0x12, 0x34, 0x56, 0x78, 32 + 8 + 2 + 1, 2);
    QTest::newRow("Sorvi16 hover 0xA0 offset")
        << S16 << Model::Sorvi1316 << hexReport("01 A0 12 34 56 78 00 00 00") << true << 1000ll
        << 500ll << sample(22, 32, 88, 110, 0, 1);
    QTest::newRow("Sorvi16 button only keeps the raw bytes")
        << S16 << Model::Sorvi1316 << hexReport("01 02 12 34 56 78 00 05 06") << true << 1000ll
        << 500ll << sample(0x12, 0x34, 0x56, 0x78, 0, 3, 5, 6);

    // Sorvi 16Pro/22Pro: status byte 2; X = 4 (+256 when byte 5 is 1), 3;
    // Y = 7, 6; pressure 10 * 256 + 9; tilt 11, 12 signed.
    const auto P = PenFamily::Sorvi16Pro;
    QTest::newRow("Sorvi16Pro byte 5 = 1 adds 256 to X high")
        << P << Model::Sorvi16Pro << hexReport("09 41 A0 10 20 01 30 40 00 00 00 F6 0A") << true
        << 0ll << 0ll << sample(0x20 + 256, 0x10, 0x40, 0x30, 0, 1, -10, 10);
    QTest::newRow("Sorvi16Pro byte 5 = 2 adds nothing")
        << P << Model::Sorvi16Pro << hexReport("09 41 A0 10 20 02 30 40 00 00 00 F6 0A") << true
        << 0ll << 0ll << sample(0x20, 0x10, 0x40, 0x30, 0, 1, -10, 10);
    QTest::newRow("Sorvi16Pro tip pressure")
        << P << Model::Sorvi22Pro << hexReport("09 41 A1 10 20 00 30 40 00 34 12 F6 0A") << true
        << 0ll << 0ll << sample(0x20, 0x10, 0x40, 0x30, 0x1234, 2);
    // 1000 + 32 * 255 + 16 = 9176 = 35 * 255 + 251; 500 + 64 * 255 + 48 = 16868 = 66 * 255 + 38.
    QTest::newRow("Sorvi16Pro offset")
        << P << Model::Sorvi16Pro << hexReport("09 41 A0 10 20 00 30 40 00 00 00 00 00") << true
        << 1000ll << 500ll << sample(35, 251, 66, 38, 0, 1);
    QTest::newRow("Sorvi16Pro 0xA5 upper button with tip")
        << P << Model::Sorvi16Pro << hexReport("09 41 A5 10 20 00 30 40 00 00 00 00 00") << true
        << 0ll << 0ll << sample(0x20, 0x10, 0x40, 0x30, 0, 6);
    QTest::newRow("Sorvi16Pro 0xC0 keeps the previous position")
        << P << Model::Sorvi16Pro << hexReport("09 41 C0 10 20 00 30 40 00 00 00 00 00") << true
        << 1000ll << 500ll << sample(250, 0, 250, 0, 0, 0);
    QTest::newRow("Sorvi16Pro other status is out of range")
        << P << Model::Sorvi16Pro << hexReport("09 41 B0 10 20 00 30 40 00 00 00 00 00") << true
        << 0ll << 0ll << sample(250, 0, 250, 0, 0, 0);
}

void TstPenParser::decode()
{
    QFETCH(PenFamily, family);
    QFETCH(Model, model);
    QFETCH(QByteArray, report);
    QFETCH(bool, pressureOn);
    QFETCH(qint64, minX);
    QFETCH(qint64, minY);
    QFETCH(OVEventData, expected);

    PenState state = hoveringFarAway();
    const OVEventData before = state.eventData;
    PenContext context;
    context.ovPressure = pressureOn;
    context.minX = minX;
    context.minY = minY;
    RecordingPenSink sink;

    QCOMPARE(parse(family, model, report, state, context, sink).outcome, ReportOutcome::Handled);
    QCOMPARE(state.eventData.type, expected.type);
    QCOMPARE(state.eventData.loc.ix, expected.loc.ix);
    QCOMPARE(state.eventData.loc.dx, expected.loc.dx);
    QCOMPARE(state.eventData.loc.iy, expected.loc.iy);
    QCOMPARE(state.eventData.loc.dy, expected.loc.dy);
    QCOMPARE(state.eventData.pres, expected.pres);
    QCOMPARE(state.eventData.tilt.x, expected.tilt.x);
    QCOMPARE(state.eventData.tilt.y, expected.tilt.y);
    QCOMPARE(state.lastEventData, before);
    QCOMPARE(state.reportCount, quint64(0));
}

void TstPenParser::sorvi12ProEdges_data()
{
    QTest::addColumn<quint8>("status");
    QTest::addColumn<int>("x"); // raw reading as high * 256 + low byte
    QTest::addColumn<int>("y");
    QTest::addColumn<OVEventData::Loc>("loc");
    QTest::addColumn<quint32>("type");

    // MINX = 100, MINY = 50; readings in radix 255 (0x0100 reads 255).
    QTest::newRow("0xA0 adds both minimums") << quint8(0xA0) << 0x0100 << 20
                                             << OVEventData::Loc{1, 100, 0, 70} << 1u;
    QTest::newRow("0xA8 mirrors X inside the edge") << quint8(0xA8) << 40 << 20
                                                    << OVEventData::Loc{0, 60, 0, 70} << 1u;
    QTest::newRow("0xA8 on the edge") << quint8(0xA8) << 100 << 20
                                      << OVEventData::Loc{0, 0, 0, 70} << 1u;
    QTest::newRow("0xA8 beyond the edge is out of range")
        << quint8(0xA8) << 0x0100 << 20 << OVEventData::Loc{0, 0, 0, 70} << 0u;
    QTest::newRow("0xA9 beyond the edge while touching")
        << quint8(0xA9) << 101 << 20 << OVEventData::Loc{0, 0, 0, 70} << 0u;
    QTest::newRow("0xB1 mirrors Y, tip") << quint8(0xB1) << 0x0100 << 30
                                         << OVEventData::Loc{1, 100, 0, 20} << 2u;
    QTest::newRow("0xB0 Y beyond the edge") << quint8(0xB0) << 0x0100 << 51
                                            << OVEventData::Loc{1, 100, 0, 0} << 0u;
    QTest::newRow("0xB8 mirrors both") << quint8(0xB8) << 40 << 30
                                       << OVEventData::Loc{0, 60, 0, 20} << 1u;
    QTest::newRow("0xBA X beyond the edge") << quint8(0xBA) << 101 << 30
                                            << OVEventData::Loc{0, 0, 0, 20} << 0u;
    QTest::newRow("0xC0 keeps the current position") << quint8(0xC0) << 40 << 30 << kFarAway
                                                     << 0u;
}

void TstPenParser::sorvi12ProEdges()
{
    QFETCH(quint8, status);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(OVEventData::Loc, loc);
    QFETCH(quint32, type);

    PenState state = hoveringFarAway();
    PenContext context;
    context.minX = 100;
    context.minY = 50;
    RecordingPenSink sink;
    QVERIFY(parse(PenFamily::Generic, Model::Sorvi12Pro, genericReport(status, x, y), state,
                  context, sink)
                .handled());
    QCOMPARE(state.eventData.type, type);
    QCOMPARE(state.eventData.loc, loc);
}

void TstPenParser::edgeCapture_data()
{
    QTest::addColumn<PenFamily>("family");
    QTest::addColumn<Model>("model");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("minProbe");
    QTest::addColumn<bool>("maxProbe");
    QTest::addColumn<bool>("captures");
    QTest::addColumn<QPointF>("x"); // (high, low)
    QTest::addColumn<QPointF>("y");

    const QByteArray sorvi10 = hexReport("01 A0 12 34 56 78 00 00 00");
    QTest::newRow("Sorvi10 min probe") << PenFamily::Sorvi10 << Model::Sorvi10 << sorvi10 << true
                                       << false << true << QPointF(0x12, 0x34)
                                       << QPointF(0x56, 0x78);
    QTest::newRow("Sorvi10 max probe") << PenFamily::Sorvi10 << Model::Sorvi10 << sorvi10 << false
                                       << true << true << QPointF(0x12, 0x34)
                                       << QPointF(0x56, 0x78);
    QTest::newRow("no probe") << PenFamily::Sorvi10 << Model::Sorvi10 << sorvi10 << false << false
                              << false << QPointF() << QPointF();
    // The raw reading, +256 included, before the offset.
    QTest::newRow("Sorvi16Pro raw high part")
        << PenFamily::Sorvi16Pro << Model::Sorvi16Pro
        << hexReport("09 41 A0 10 20 01 30 40 00 00 00 00 00") << true << false << true
        << QPointF(0x120, 0x10) << QPointF(0x40, 0x30);
    QTest::newRow("Sorvi12 Pro") << PenFamily::Generic << Model::Sorvi12Pro
                                 << genericReport(0xA8, 0x0102, 0x0304) << true << false << true
                                 << QPointF(1, 2) << QPointF(3, 4);
    QTest::newRow("tablets capture nothing") << PenFamily::Generic << Model::TevraM
                                             << genericReport(0xA0, 0x0102, 0x0304) << true << true
                                             << false << QPointF() << QPointF();
    // An unknown status is dropped before the capture.
    QTest::newRow("dropped status captures nothing")
        << PenFamily::Sorvi10 << Model::Sorvi10 << hexReport("01 A2 12 34 56 78 00 00 00") << true
        << true << false << QPointF() << QPointF();
}

void TstPenParser::edgeCapture()
{
    QFETCH(PenFamily, family);
    QFETCH(Model, model);
    QFETCH(QByteArray, report);
    QFETCH(bool, minProbe);
    QFETCH(bool, maxProbe);
    QFETCH(bool, captures);
    QFETCH(QPointF, x);
    QFETCH(QPointF, y);

    PenState state = hoveringFarAway();
    PenContext context;
    context.minX = 1000; // the capture is of the raw reading
    context.psminxing = minProbe;
    context.psmaxying = maxProbe;
    RecordingPenSink sink;
    parse(family, model, report, state, context, sink);
    QCOMPARE(state.psminx1, (captures && minProbe) ? x : QPointF());
    QCOMPARE(state.psminy1, (captures && minProbe) ? y : QPointF());
    QCOMPARE(state.psmaxx1, (captures && maxProbe) ? x : QPointF());
    QCOMPARE(state.psmaxy1, (captures && maxProbe) ? y : QPointF());
}

void TstPenParser::edgeCaptureOnHeldReport()
{
    // The calibration reads the edge of a pen held against it: the capture
    // runs before the hold-still filter.
    PenState state = hoveringFarAway();
    PenContext context;
    RecordingPenSink sink;
    QVERIFY(parse(PenFamily::Sorvi10, Model::Sorvi10, sorvi10Report(0xA0, 0x1234, 0x5678), state,
                  context, sink)
                .handled());
    context.psminxing = true;
    QCOMPARE(parse(PenFamily::Sorvi10, Model::Sorvi10, sorvi10Report(0xA0, 0x1236, 0x5678),
                   state, context, sink)
                 .outcome,
             ReportOutcome::HoldStill);
    QCOMPARE(state.psminx1, QPointF(0x12, 0x36));
}

void TstPenParser::tooShort_data()
{
    QTest::addColumn<PenFamily>("family");
    QTest::addColumn<Model>("model");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("needed");

    QTest::newRow("generic empty") << PenFamily::Generic << Model::TevraM << QByteArray() << 2;
    QTest::newRow("generic status only") << PenFamily::Generic << Model::TevraM << hexReport("02")
                                         << 2;
    QTest::newRow("tilt model without tilt bytes")
        << PenFamily::Generic << Model::TevraM << hexReport("02 A0 34 12 78 56 00 00 00") << 10;
    QTest::newRow("Tevra S without pressure bytes")
        << PenFamily::Generic << Model::TevraS << hexReport("02 A1 34 12 78 56 00") << 8;
    QTest::newRow("Sorvi10 without tilt Y") << PenFamily::Sorvi10 << Model::Sorvi10
                                            << hexReport("01 A0 12 34 56 78 00 00") << 9;
    QTest::newRow("Sorvi10 status only") << PenFamily::Sorvi10 << Model::Sorvi10 << hexReport("01")
                                         << 2;
    QTest::newRow("Sorvi22 short") << PenFamily::Sorvi22 << Model::Sorvi22 << hexReport("01 41")
                                   << 9;
    QTest::newRow("Sorvi16 short") << PenFamily::Sorvi16 << Model::Sorvi1316
                                   << hexReport("01 41 12 34 56 78 00 00") << 9;
    QTest::newRow("Sorvi16Pro without tilt Y")
        << PenFamily::Sorvi16Pro << Model::Sorvi16Pro
        << hexReport("09 41 A1 10 20 00 30 40 00 34 12 F6") << 13;
}

void TstPenParser::tooShort()
{
    QFETCH(PenFamily, family);
    QFETCH(Model, model);
    QFETCH(QByteArray, report);
    QFETCH(int, needed);

    PenState state = hoveringFarAway();
    const PenState before = state;
    PenContext context;
    context.psminxing = true;
    context.psmaxxing = true;
    RecordingPenSink sink;
    const ReportResult result = parse(family, model, report, state, context, sink);
    QCOMPARE(result.outcome, ReportOutcome::TooShort);
    QCOMPARE(result.length, size_t(report.size()));
    QCOMPARE(result.needed, size_t(needed));
    QCOMPARE(result.reason(), QStringLiteral("%1 bytes, needs %2").arg(report.size()).arg(needed));
    QVERIFY(samePenState(state, before));
    QVERIFY(sink.calls.isEmpty());
    QCOMPARE(sink.upPenCount, family == PenFamily::Generic ? 1 : 0);
}

void TstPenParser::unknownStatus_data()
{
    QTest::addColumn<PenFamily>("family");
    QTest::addColumn<Model>("model");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("log");

    QTest::newRow("0xFF logs") << PenFamily::Generic << Model::TevraM << hexReport("02 FF")
                               << "code == 0xff";
    QTest::newRow("0x02 logs") << PenFamily::Generic << Model::TevraM
                               << hexReport("02 02 34 12 78 56 00 00 00 00") << "code == 0x02";
    QTest::newRow("0x80 on a tablet") << PenFamily::Generic << Model::TevraM
                                      << hexReport("02 80 34 12 78 56 00 00 00 00") << "";
    QTest::newRow("0xA6") << PenFamily::Generic << Model::Sorvi12Pro
                          << hexReport("02 A6 34 12 78 56 00 00 00 00") << "";
    QTest::newRow("M517 V1 0x85") << PenFamily::Generic << Model::M517V1
                                  << hexReport("02 85 34 12 78 56 00 00") << "";
    QTest::newRow("M517 V1 0xFF logs") << PenFamily::Generic << Model::M517V1
                                       << hexReport("02 FF 34 12 78 56 00 00") << "code == 0xff";
    QTest::newRow("Sorvi10 0xA2") << PenFamily::Sorvi10 << Model::Sorvi10
                                  << hexReport("01 A2 12 34 56 78 00 00 00") << "";
    QTest::newRow("Sorvi10 0xA3") << PenFamily::Sorvi10 << Model::Sorvi10
                                  << hexReport("01 A3 12 34 56 78 00 00 00") << "";
    QTest::newRow("Sorvi10 0xC0") << PenFamily::Sorvi10 << Model::Sorvi10
                                  << hexReport("01 C0 12 34 56 78 00 00 00") << "";
}

void TstPenParser::unknownStatus()
{
    QFETCH(PenFamily, family);
    QFETCH(Model, model);
    QFETCH(QByteArray, report);
    QFETCH(QString, log);

    PenState state = hoveringFarAway();
    const PenState before = state;
    PenContext context;
    RecordingPenSink sink;
    const ReportResult result = parse(family, model, report, state, context, sink);
    QCOMPARE(result.outcome, ReportOutcome::UnknownStatus);
    QCOMPARE(QString::fromLatin1(result.systemLog), log);
    QVERIFY(samePenState(state, before));
    QVERIFY(sink.calls.isEmpty());
}

void TstPenParser::firstTipDropped()
{
    PenState state; // a new connection
    PenContext context;
    RecordingPenSink sink;
    sink.state = &state;
    auto feed = [&](quint8 status, int x) {
        return parse(PenFamily::Generic, Model::TevraM, genericReport(status, x, 100), state,
                     context, sink)
            .outcome;
    };

    QCOMPARE(feed(0xA0, 100), ReportOutcome::Handled);
    QCOMPARE(sink.calls, QStringList{"proximity 1"});
    sink.clear();

    QCOMPARE(feed(0xA1, 200), ReportOutcome::FirstTip);
    QVERIFY(sink.calls.isEmpty());
    QVERIFY(state.orvaneModeInited);
    QCOMPARE(state.eventData.type, 1u);

    QCOMPARE(feed(0xA1, 300), ReportOutcome::Handled);
    QCOMPARE(sink.calls, QStringList{"point 1"});
    QCOMPARE(sink.mouseDownAtPoint, QList<bool>{true});
    sink.clear();

    // Once in a service's life: the next touch goes down at once.
    feed(0xA0, 400);
    QCOMPARE(feed(0xA1, 500), ReportOutcome::Handled);
    QCOMPARE(sink.calls, (QStringList{"point 2", "point 1"}));
}

void TstPenParser::sorviParsersKeepFirstTip()
{
    PenState state;
    PenContext context;
    RecordingPenSink sink;
    parse(PenFamily::Sorvi10, Model::Sorvi10, sorvi10Report(0xA0, 0x1000, 0x1000), state, context,
          sink);
    QCOMPARE(parse(PenFamily::Sorvi10, Model::Sorvi10, sorvi10Report(0xA1, 0x2000, 0x1000), state,
                   context, sink)
                 .outcome,
             ReportOutcome::Handled);
    QCOMPARE(sink.calls, (QStringList{"proximity 1", "point 1"}));
    QVERIFY(!state.orvaneModeInited);
}

void TstPenParser::holdStill_data()
{
    QTest::addColumn<int>("dx"); // every other report moves by (dx, dy) report units
    QTest::addColumn<int>("dy");
    QTest::addColumn<bool>("held");

    QTest::newRow("motionless") << 0 << 0 << true;
    // From low byte 0xF8 into the next high byte: radix 256.
    QTest::newRow("15 units in X, across the high byte") << 15 << 0 << true;
    QTest::newRow("16 units in X") << 16 << 0 << false;
    QTest::newRow("15 units in Y") << 0 << -15 << true;
    QTest::newRow("16 units in Y") << 0 << -16 << false;
}

void TstPenParser::holdStill()
{
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(bool, held);

    PenState state = hoveringFarAway();
    state.eventData.type = 0;
    PenContext context;
    RecordingPenSink sink;
    const int x = 0x10F8;
    const int y = 0x2000;
    int heldReports = 0;
    for (int i = 0; i < 61; ++i) {
        const bool moved = i % 2 == 1;
        const ReportResult result
            = parse(PenFamily::Generic, Model::TevraM,
                    genericReport(0xA0, moved ? x + dx : x, moved ? y + dy : y), state, context,
                    sink);
        heldReports += result.outcome == ReportOutcome::HoldStill;
    }
    if (held) {
        // The first report enters; 29 are dropped, the 30th passes, twice.
        QCOMPARE(sink.calls, (QStringList{"proximity 1", "point 5", "point 5"}));
        QCOMPARE(heldReports, 58);
    } else {
        QCOMPARE(sink.calls.size(), 61);
        QCOMPARE(heldReports, 0);
    }
}

void TstPenParser::stateChangePassesStillPen()
{
    PenState state = hoveringFarAway();
    PenContext context;
    context.ovPressure = true;
    RecordingPenSink sink;
    auto feed = [&](quint8 status, int pressure) {
        QByteArray report = genericReport(status, 0x1000, 0x1000);
        report[6] = char(pressure);
        return parse(PenFamily::Generic, Model::TevraM, report, state, context, sink).outcome;
    };
    QCOMPARE(feed(0xA0, 0), ReportOutcome::Handled);
    QCOMPARE(feed(0xA1, 10), ReportOutcome::Handled);
    QCOMPARE(state.eventData.pres, quint16(10));
    // Pressure of a still pen waits like its position.
    QCOMPARE(feed(0xA1, 90), ReportOutcome::HoldStill);
    QCOMPARE(state.eventData.pres, quint16(10));
    QCOMPARE(feed(0xA0, 0), ReportOutcome::Handled);
    QCOMPARE(sink.calls, (QStringList{"point 5", "point 1", "point 2"}));
}

void TstPenParser::stateTable_data()
{
    QTest::addColumn<quint32>("previous");
    QTest::addColumn<quint32>("next");
    QTest::addColumn<bool>("sorvi");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QList<bool>>("mouseDownAtPoint");
    QTest::addColumn<bool>("mouseDownAfter");

    auto row = [](const char *name, quint32 previous, quint32 next, QStringList calls,
                  QList<bool> atPoint, bool mouseDownAfter, bool sorvi = false) {
        QTest::newRow(name) << previous << next << sorvi << calls << atPoint << mouseDownAfter;
    };
    // isMouseDown starts true when the previous state is 2, as a touch leaves it.
    row("0->1 enters", 0, 1, {"proximity 1"}, {}, false);
    row("0->3 generic: nothing", 0, 3, {}, {}, false);
    row("0->3 Sorvi: lower button down", 0, 3, {"penKey 1 1"}, {}, false, true);
    row("1->0 leaves", 1, 0, {"proximity 0"}, {}, false);
    row("1->1 moves", 1, 1, {"point 5"}, {false}, false);
    row("1->2 tip down", 1, 2, {"point 1"}, {true}, true);
    row("1->3 lower button down", 1, 3, {"penKey 1 1"}, {}, false);
    row("1->5 upper button down", 1, 5, {"penKey 1 0"}, {}, false);
    row("2->0 up and leave", 2, 0, {"point 2", "proximity 0"}, {false}, false);
    row("2->1 up", 2, 1, {"point 2"}, {false}, false);
    row("2->2 drags", 2, 2, {"point 6"}, {true}, true);
    row("3->0 lower button up", 3, 0, {"penKey 0 1"}, {}, false);
    row("3->1 lower button up", 3, 1, {"penKey 0 1"}, {}, false);
    row("3->3 moves", 3, 3, {"point 5"}, {false}, false);
    row("3->4 down without isMouseDown", 3, 4, {"point 1"}, {false}, false);
    row("4->3 up", 4, 3, {"point 2"}, {false}, false);
    row("5->0 upper button up", 5, 0, {"penKey 0 0"}, {}, false);
    row("5->1 upper button up", 5, 1, {"penKey 0 0"}, {}, false);
    row("5->5 moves", 5, 5, {"point 5"}, {false}, false);
    row("5->6 down without isMouseDown", 5, 6, {"point 1"}, {false}, false);
    row("6->5 up", 6, 5, {"point 2"}, {false}, false);
    // Empty cells as the table has them.
    row("0->0 empty", 0, 0, {}, {}, false);
    row("0->2 empty: arriving on the tip", 0, 2, {}, {}, false);
    row("1->4 empty", 1, 4, {}, {}, false);
    row("1->6 empty", 1, 6, {}, {}, false);
    row("2->3 empty, isMouseDown stays", 2, 3, {}, {}, true);
    row("2->5 empty", 2, 5, {}, {}, true);
    row("3->2 empty", 3, 2, {}, {}, false);
    row("3->5 empty", 3, 5, {}, {}, false);
    row("4->0 empty", 4, 0, {}, {}, false);
    row("4->4 empty: no drags", 4, 4, {}, {}, false);
    row("4->1 empty", 4, 1, {}, {}, false);
    row("6->0 empty", 6, 0, {}, {}, false);
    row("6->6 empty: no drags", 6, 6, {}, {}, false);
    row("2->0 Sorvi as generic", 2, 0, {"point 2", "proximity 0"}, {false}, false, true);
    row("1->3 Sorvi as generic", 1, 3, {"penKey 1 1"}, {}, false, true);
    row("beyond the table", 7, 1, {}, {}, false);
}

void TstPenParser::stateTable()
{
    QFETCH(quint32, previous);
    QFETCH(quint32, next);
    QFETCH(bool, sorvi);
    QFETCH(QStringList, calls);
    QFETCH(QList<bool>, mouseDownAtPoint);
    QFETCH(bool, mouseDownAfter);

    PenState state;
    state.isMouseDown = previous == 2;
    RecordingPenSink sink;
    sink.state = &state;
    driver::runPenStateMachine(previous, next, sorvi, state, sink);
    QCOMPARE(sink.calls, calls);
    QCOMPARE(sink.mouseDownAtPoint, mouseDownAtPoint);
    QCOMPARE(state.isMouseDown, mouseDownAfter);
}

void TstPenParser::sequences_data()
{
    QTest::addColumn<PenFamily>("family");
    QTest::addColumn<Model>("model");
    QTest::addColumn<QList<quint8>>("statuses"); // each report 32 units further
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("hover, tip, straight out of range")
        << PenFamily::Generic << Model::TevraM << QList<quint8>{0xA0, 0xA1, 0xC0}
        << QStringList{"proximity 1", "point 1", "point 2", "proximity 0"};
    QTest::newRow("lower button, then tip with it")
        << PenFamily::Generic << Model::TevraM << QList<quint8>{0xA0, 0xA2, 0xA3, 0xA3, 0xA2, 0xA0}
        << QStringList{"proximity 1", "penKey 1 1", "point 1", "point 2", "penKey 0 1"};
    QTest::newRow("upper button hover moves")
        << PenFamily::Generic << Model::TevraM << QList<quint8>{0xA0, 0xA4, 0xA4, 0xA0}
        << QStringList{"proximity 1", "penKey 1 0", "point 5", "penKey 0 0"};
    QTest::newRow("generic button while out of range does nothing")
        << PenFamily::Generic << Model::TevraM << QList<quint8>{0xA2} << QStringList{};
    QTest::newRow("Sorvi button while out of range")
        << PenFamily::Sorvi10 << Model::Sorvi10 << QList<quint8>{0xA4, 0x80}
        << QStringList{"penKey 1 1", "penKey 0 1"};
    QTest::newRow("Sorvi drag")
        << PenFamily::Sorvi10 << Model::Sorvi10 << QList<quint8>{0xA0, 0xA1, 0xA1, 0xA0}
        << QStringList{"proximity 1", "point 1", "point 6", "point 2"};
}

void TstPenParser::sequences()
{
    QFETCH(PenFamily, family);
    QFETCH(Model, model);
    QFETCH(QList<quint8>, statuses);
    QFETCH(QStringList, calls);

    PenState state;
    state.orvaneModeInited = true;
    PenContext context;
    RecordingPenSink sink;
    int x = 0x1000;
    for (quint8 status : statuses) {
        const QByteArray report = family == PenFamily::Generic ? genericReport(status, x, 0x1000)
                                                               : sorvi10Report(status, x, 0x1000);
        QCOMPARE(parse(family, model, report, state, context, sink).outcome,
                 ReportOutcome::Handled);
        x += 32;
    }
    QCOMPARE(sink.calls, calls);
}

void TstPenParser::tiltDuringTouch()
{
    PenState state = hoveringFarAway();
    PenContext context;
    context.nowMillis = 1000;
    RecordingPenSink sink;
    int x = 0x1000;
    auto feed = [&](quint8 status) {
        x += 32;
        context.nowMillis += 10;
        QVERIFY(parse(PenFamily::Generic, Model::TevraM, genericReport(status, x, 0x1000, 20, -20),
                      state, context, sink)
                    .handled());
    };

    // Stage 1 answers 0 for nine samples, 6 at the tenth; stage 2 moves a
    // twentieth of the way (equal time steps) from 0: 0.3, truncated 0.
    for (int i = 0; i < 10; ++i) {
        feed(0xA1);
        QCOMPARE(state.eventData.tilt, (OVEventData::Tilt{0, 0}));
        QVERIFY(state.baseTiltInited);
    }
    feed(0xA0);
    QCOMPARE(state.eventData.tilt, (OVEventData::Tilt{20, -20}));
    QVERIFY(!state.baseTiltInited);

    for (int i = 0; i < 40; ++i)
        feed(0xA1);
    QVERIFY(state.eventData.tilt.x > 0 && state.eventData.tilt.x < 20);
    QVERIFY(state.eventData.tilt.y < 0 && state.eventData.tilt.y > -20);

    // A new touch starts the filters afresh.
    feed(0xA0);
    feed(0xA1);
    QCOMPARE(state.eventData.tilt, (OVEventData::Tilt{0, 0}));
}

void TstPenParser::noTiltModelLeavesFilters()
{
    PenState state = hoveringFarAway();
    PenContext context;
    RecordingPenSink sink;
    for (int i = 0; i < 3; ++i)
        parse(PenFamily::Generic, Model::TevraS, genericReport(0xA1, 0x1000 + 32 * i, 0x1000, 9, 9),
              state, context, sink);
    QCOMPARE(state.eventData.tilt, (OVEventData::Tilt{0, 0}));
    QVERIFY(!state.baseTiltInited);
    QCOMPARE(int(tilt().medianX.index), 0);
    QCOMPARE(int(tilt().window.count), 0);
}

void TstPenParser::diagnosticsSeesEveryGenericReport()
{
    PenState state;
    PenContext context;
    RecordingPenSink sink;
    const QList<QByteArray> reports = {
        hexReport("02"), // too short
        hexReport("02 FF"), // unknown status
        genericReport(0xA0, 0x1000, 0x1000),
        genericReport(0xA0, 0x1000, 0x1000), // held still
        genericReport(0xA1, 0x1000, 0x1000), // first tip
    };
    for (const QByteArray &report : reports) {
        const int before = sink.upPenCount;
        parse(PenFamily::Generic, Model::TevraM, report, state, context, sink);
        QCOMPARE(sink.upPenCount, before + 1);
        QCOMPARE(sink.lastUpPenLength, report.size());
    }
    parse(PenFamily::Sorvi10, Model::Sorvi10, sorvi10Report(0xA0, 0x1000, 0x1000), state, context,
          sink);
    QCOMPARE(sink.upPenCount, reports.size());
}

QTEST_GUILESS_MAIN(TstPenParser)
#include "tst_penparser.moc"
