// Every report dispatcher, pen parser and key parser fed arbitrary bytes: the
// model's whole pipeline, and each pen and key parser on its own.
//
// Input: byte 0 picks the model, byte 1 the context flags, bytes 2..9 the
// integer parts of the calibration minimums (any 32-bit values, so that the
// radix-255 arithmetic meets its extremes), byte 10 the orientation (bits
// 0-1, the index 0..3) and how far it turns after each report (bits 2-3, 0
// for never, so that a release can come at another orientation than its
// press), byte 11 the byte a too-short key report is padded with to the
// length its parser asked for, then reports, each a length byte and that
// many bytes. Every report is copied into a buffer of exactly its length, so a
// read past its end is an AddressSanitizer error.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <QString>
#include <QStringList>

#include "driver/boardparser.h"
#include "driver/devicepipeline.h"
#include "driver/penparser.h"
#include "driver/pensink.h"
#include "driver/reportdispatch.h"
#include "driver/startcommand.h"
#include "driver/tiltfilter.h"

namespace {

using driver::BoardOutcome;
using driver::BoardParser;
using driver::BoardResult;

constexpr BoardParser kBoardParsers[] = {
    BoardParser::Board482,
    BoardParser::Board517V1,
    BoardParser::Board517V2,
    BoardParser::BoardTevruM,
    BoardParser::BoardTevruS,
    BoardParser::BoardSorvi12Pro,
    BoardParser::BoardKalverinM,
    BoardParser::BoardKalverinS,
    BoardParser::BoardTevru7B,
    BoardParser::BoardTevru10B,
    BoardParser::BoardQ,
    BoardParser::BoardSorvi,
    BoardParser::BoardSorvi16Pro,
};

// The two key parsers of the pen displays; all the others are tablets'.
bool isPenDisplay(BoardParser parser)
{
    return parser == BoardParser::BoardSorvi || parser == BoardParser::BoardSorvi16Pro;
}

// "OVCFGBoardKey1".."OVCFGBoardKey10", "OVCFGWheelKeyL", "OVCFGWheelKeyR" or
// "OVCFGWheelKeyC", spelled out here rather than built by the store's helpers.
bool isKeyName(const QString &name)
{
    if (name == QLatin1String("OVCFGWheelKeyL") || name == QLatin1String("OVCFGWheelKeyR")
        || name == QLatin1String("OVCFGWheelKeyC"))
        return true;
    const QLatin1String prefix("OVCFGBoardKey");
    if (!name.startsWith(prefix))
        return false;
    const QString number = name.mid(prefix.size());
    bool ok = false;
    const int key = number.toInt(&ok);
    return ok && key >= 1 && key <= 10 && number == QString::number(key);
}

// A too-short key report is padded to the length its parser asked for only
// up to this many bytes (a HID report is far shorter).
constexpr std::size_t kMaxPaddedLength = 4096;

// Runs the key parser on one report and checks what boardparser.h promises:
// an event only on the Event outcome, with a known name (or an empty one on a
// pen display's press); a press stores its name as the last press, a release
// reports the last press again, and nothing else changes it; Unrecognised
// only from a tablet's parser and Ignored only from a pen display's; a
// too-short outcome says the report's length and a longer one it needs, and
// the report padded to that length is no longer too short for it. `pad` < 0
// skips the padding check.
BoardResult checkBoard(
    BoardParser parser, std::span<const std::uint8_t> report, quint64 degree, QString &lastBoardKey, int pad)
{
    const QString before = lastBoardKey;
    const BoardResult result = driver::parseBoardReport(parser, report, degree, lastBoardKey);
    switch (result.outcome) {
    case BoardOutcome::Event:
        if (result.event.press) {
            if (lastBoardKey != result.event.name)
                std::abort();
            if (result.event.name.isEmpty() ? !isPenDisplay(parser) : !isKeyName(result.event.name))
                std::abort();
        } else if (result.event.name != before || lastBoardKey != before) {
            std::abort();
        }
        return result;
    case BoardOutcome::Unrecognised:
        if (isPenDisplay(parser))
            std::abort();
        break;
    case BoardOutcome::Ignored:
        if (!isPenDisplay(parser))
            std::abort();
        break;
    case BoardOutcome::TooShort: {
        const driver::ReportResult &tooShort = result.tooShort;
        if (tooShort.outcome != driver::ReportOutcome::TooShort || tooShort.length != report.size()
            || tooShort.needed <= tooShort.length || tooShort.reason().isEmpty())
            std::abort();
        break;
    }
    default:
        std::abort();
    }
    if (!result.event.name.isEmpty() || result.event.press || lastBoardKey != before)
        std::abort();

    if (result.outcome == BoardOutcome::TooShort && pad >= 0 && result.tooShort.needed <= kMaxPaddedLength) {
        std::vector<std::uint8_t> padded(report.begin(), report.end());
        padded.resize(result.tooShort.needed, std::uint8_t(pad));
        QString scratch = lastBoardKey;
        const BoardResult longer
            = checkBoard(parser, std::span<const std::uint8_t>(padded), degree, scratch, -1);
        // It may ask for more once it reads the added bytes, never for as much again.
        if (longer.outcome == BoardOutcome::TooShort && longer.tooShort.needed <= result.tooShort.needed)
            std::abort();
    }
    return result;
}

// The log line's form of a report: "<", the bytes in lower-case hex, four to
// a group and the groups split by one space, ">"; read back, it gives the
// report.
void checkDescription(std::span<const std::uint8_t> report)
{
    const QString text = driver::reportDescription(report);
    if (text.size() < 2 || text.front() != QLatin1Char('<') || text.back() != QLatin1Char('>'))
        std::abort();
    const QStringList groups = text.mid(1, text.size() - 2).split(QLatin1Char(' '));
    std::vector<std::uint8_t> decoded;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const QString &group = groups[g];
        const bool last = g + 1 == groups.size();
        if (group.size() % 2 != 0 || group.size() > 8 || (!last && group.size() != 8)
            || (group.isEmpty() && !report.empty()))
            std::abort();
        for (qsizetype i = 0; i < group.size(); i += 2) {
            int byte = 0;
            for (qsizetype j = i; j < i + 2; ++j) {
                const char16_t c = group[j].unicode();
                int digit;
                if (c >= u'0' && c <= u'9')
                    digit = c - u'0';
                else if (c >= u'a' && c <= u'f')
                    digit = c - u'a' + 10;
                else
                    std::abort();
                byte = byte * 16 + digit;
            }
            decoded.push_back(std::uint8_t(byte));
        }
    }
    if (!std::equal(decoded.begin(), decoded.end(), report.begin(), report.end()))
        std::abort();
}

// What the pipeline may hand back for one report: events of the pen (the
// proximity pair, points and a synthesised double click), a tool switch of
// one kind, a key event that follows the rules of checkBoard() with the
// pipeline's last press, log lines with text, and too-short reports that say
// how short.
void checkEffects(
    const driver::Effects &effects, const driver::DevicePipeline &pipeline, const QString &lastBefore)
{
    namespace type = platform::eventtype;
    int keyEvents = 0;
    for (const driver::Effect &effect : effects) {
        if (const auto *event = std::get_if<platform::OVEvent>(&effect)) {
            if (event->type != type::LeftMouseDown && event->type != type::LeftMouseUp
                && event->type != type::MouseMoved && event->type != type::LeftMouseDragged
                && event->type != type::TabletProximity)
                std::abort();
        } else if (const auto *tool = std::get_if<driver::ToolSwitchEffect>(&effect)) {
            if (tool->eraser == tool->brushTool)
                std::abort();
        } else if (const auto *key = std::get_if<driver::BoardKeyEvent>(&effect)) {
            ++keyEvents;
            if (key->press) {
                if (pipeline.lastBoardKey() != key->name)
                    std::abort();
                if (key->name.isEmpty() ? !pipeline.row().penDisplay : !isKeyName(key->name))
                    std::abort();
            } else if (key->name != lastBefore || pipeline.lastBoardKey() != lastBefore) {
                std::abort();
            }
        } else if (const auto *line = std::get_if<driver::LogEffect>(&effect)) {
            if (line->text.isEmpty())
                std::abort();
        } else if (const auto *dropped = std::get_if<driver::DroppedEffect>(&effect)) {
            const driver::ReportResult &result = dropped->result;
            if (result.outcome != driver::ReportOutcome::TooShort || result.needed <= result.length
                || result.reason().isEmpty())
                std::abort();
        }
    }
    if (keyEvents > 1 || (keyEvents == 0 && pipeline.lastBoardKey() != lastBefore))
        std::abort();
}

// Touches every byte it is handed and checks what the parsers may ask for.
class CheckingSink : public driver::PenSink
{
public:
    void postProximityEvent(bool) override {}
    void postPointEvent(quint32 type) override
    {
        if (type != 1 && type != 2 && type != 5 && type != 6)
            std::abort();
    }
    void preparePenKey(bool, bool) override {}
    void prepareHKEraser(bool eraser, bool brushTool) override
    {
        if (eraser == brushTool)
            std::abort();
    }
    void upPen(std::span<const std::uint8_t> report) override { touch(report); }
    void parseBoard(BoardParser parser, std::span<const std::uint8_t> report) override
    {
        if (int(parser) < int(BoardParser::Board482) || int(parser) > int(BoardParser::BoardSorvi16Pro))
            std::abort();
        touch(report);
    }

    unsigned sum = 0;

private:
    void touch(std::span<const std::uint8_t> report)
    {
        for (std::uint8_t byte : report)
            sum += byte;
    }
};

qint32 readInt32(const std::uint8_t *data)
{
    std::uint32_t value;
    std::memcpy(&value, data, sizeof value);
    return qint32(value);
}

void checkState(const driver::PenState &state)
{
    if (state.eventData.type > 6 || state.lastEventData.type > 6)
        std::abort();
}

void checkState(const driver::PenState &state, const driver::ReportResult &result)
{
    checkState(state);
    if (result.outcome == driver::ReportOutcome::TooShort && result.needed <= result.length)
        std::abort();
    if (result.outcome == driver::ReportOutcome::TooShort && result.reason().isEmpty())
        std::abort();
}

constexpr driver::PenFamily kFamilies[] = {driver::PenFamily::Generic, driver::PenFamily::Sorvi10,
                                           driver::PenFamily::Sorvi22, driver::PenFamily::Sorvi16,
                                           driver::PenFamily::Sorvi16Pro};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    constexpr size_t kHeader = 12;
    if (size < kHeader)
        return 0;
    // The driver's one tilt filter state, shared by the pipeline and the
    // parsers as by every device.
    driver::TiltState tilt;

    const int modelCount = int(store::Model::Unnamed) + 1;
    const auto model = store::Model(data[0] % modelCount);
    const std::uint8_t flags = data[1];
    driver::PenContext context;
    context.ovPressure = flags & 0x01;
    context.psminxing = flags & 0x02;
    context.psminying = flags & 0x04;
    context.psmaxxing = flags & 0x08;
    context.psmaxying = flags & 0x10;
    context.minX = driver::edgeReading(readInt32(data + 2), qint8(data[1]));
    context.minY = driver::edgeReading(readInt32(data + 6), qint8(data[0]));
    context.tilt = &tilt;

    // The same context for the pipeline, and a calibration run on some.
    driver::PipelineContext pipelineContext;
    pipelineContext.settings.ovPressure = context.ovPressure;
    pipelineContext.psminxing = context.psminxing;
    pipelineContext.psminying = context.psminying;
    pipelineContext.psmaxxing = context.psmaxxing;
    pipelineContext.psmaxying = context.psmaxying;
    pipelineContext.calibrating = flags & 0x40;
    pipelineContext.calibration.cbDelta.minX = { readInt32(data + 2), qint8(data[1]) };
    pipelineContext.calibration.cbDelta.minY = { readInt32(data + 6), qint8(data[0]) };
    pipelineContext.monitorNamePresent = store::rowFor(model).penDisplay;
    pipelineContext.screens.ovMTFrame = QRectF(0, 0, 1920, 1080);
    pipelineContext.screens.mainDisplayHeight = 1080;

    (void)driver::startCommand(model);

    driver::DevicePipeline pipeline(store::rowFor(model), tilt);
    driver::Effects effects;
    driver::PenState perFamily[std::size(kFamilies)];
    // Start half of the runs past the first-report rules.
    if (flags & 0x20) {
        pipeline.penState().orvaneModeInited = true;
        for (driver::PenState &state : perFamily)
            state.orvaneModeInited = true;
    }
    CheckingSink sink;
    quint64 degree = data[10] & 0x03;
    const quint64 turn = (data[10] >> 2) & 0x03;
    const int pad = data[11];
    // Every key parser on the same bytes, each with its own last press.
    QString lastBoardKeys[std::size(kBoardParsers)];

    size_t pos = kHeader;
    while (pos < size) {
        const size_t length = std::min<size_t>(data[pos], size - pos - 1);
        ++pos;
        const std::vector<std::uint8_t> report(data + pos, data + pos + length);
        pos += length;
        const std::span<const std::uint8_t> bytes(report.data(), report.size());
        context.nowMillis += 1 + (length & 0x0F);
        pipelineContext.nowMillis = context.nowMillis;
        pipelineContext.now += 0.005;
        pipelineContext.settings.ovDegree = degree;

        const QString lastBefore = pipeline.lastBoardKey();
        effects.clear();
        pipeline.report(bytes, pipelineContext, effects);
        checkState(pipeline.penState());
        checkEffects(effects, pipeline, lastBefore);
        for (size_t i = 0; i < std::size(kFamilies); ++i) {
            const driver::PenFamilyRow &row = driver::penFamily(kFamilies[i]);
            checkState(perFamily[i],
                       driver::parsePenReport(row, bytes, model, perFamily[i], context, sink));
        }
        for (size_t i = 0; i < std::size(kBoardParsers); ++i)
            (void)checkBoard(kBoardParsers[i], bytes, degree, lastBoardKeys[i], pad);
        checkDescription(bytes);
        degree = (degree + turn) & 0x03;

        // The byte operations on the same bytes ("data too long" is a log
        // line, not a failure: kept to four bytes so the run stays quiet).
        (void)driver::decimalNumberFromData(bytes.first(std::min<size_t>(bytes.size(), 4)));
        qint64 value = 0;
        for (size_t i = 0; i < std::min<size_t>(bytes.size(), 8); ++i)
            value = (value << 8) | bytes[i];
        if (driver::getBinaryByDecimal(value).size() != 8)
            std::abort();
        QString digits;
        for (std::uint8_t byte : bytes)
            digits.append(QChar(byte & 0x7F));
        if (driver::convertDecimalSystemFromBinarySystem(digits).isEmpty())
            std::abort();
    }
    return 0;
}
