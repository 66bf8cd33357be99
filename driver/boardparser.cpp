#include "boardparser.h"

#include <array>
#include <optional>

#include "store/ovpublicdefine.h"

namespace driver {

namespace {

// The key number (1..10) a value gives at each orientation index.
struct KeyRow
{
    quint16 value;
    std::array<quint8, 4> key;
};

// Keys that are plain one-hot bits, numbered in order where `inOrder` holds
// for the orientation and backwards where it does not, so that a key keeps
// its place in the user's view when the tablet is turned.
template <std::size_t N>
constexpr std::array<KeyRow, N> oneHot(const std::array<quint16, N> &values, std::array<bool, 4> inOrder)
{
    std::array<KeyRow, N> rows {};
    for (std::size_t i = 0; i < N; ++i) {
        rows[i].value = values[i];
        for (std::size_t d = 0; d < 4; ++d)
            rows[i].key[d] = quint8(inOrder[d] ? i + 1 : N - i);
    }
    return rows;
}

constexpr std::array<bool, 4> kUprightAt0And90 { true, true, false, false };
constexpr std::array<bool, 4> kUprightAt0And270 { true, false, false, true };
// The Tevra M numbers its keys from the other end.
constexpr std::array<bool, 4> kUprightAt180And270 { false, false, true, true };

constexpr std::array<quint16, 4> kBits4 { 0x0100, 0x0200, 0x0400, 0x0800 };
constexpr std::array<quint16, 5> kBits5 { 0x0100, 0x0200, 0x0400, 0x0800, 0x1000 };
constexpr std::array<quint16, 6> kBits6 { 0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0x2000 };
constexpr std::array<quint16, 8> kBits8 { 0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000, 0x8000 };
// The M482 Plus V2's last two keys sit in the low byte.
constexpr std::array<quint16, 10> kBits10 { 0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000, 0x8000,
    0x0001, 0x0002 };

constexpr auto kTevraN7B = oneHot(kBits4, kUprightAt0And90);
constexpr auto kTevraN10B = oneHot(kBits6, kUprightAt0And90);
constexpr auto kTevraQ = oneHot(kBits5, kUprightAt0And90);
constexpr auto kSixWithWheel = oneHot(kBits6, kUprightAt0And270); // Sorvi12 Pro, Kalverin S
constexpr auto kKalverinM = oneHot(kBits8, kUprightAt0And270);
constexpr auto kM482PlusV2 = oneHot(kBits10, kUprightAt0And270);
constexpr auto kTevraM = oneHot(kBits8, kUprightAt180And270);

// The Tevra S and the M517s place their keys around the tablet, so turning
// it swaps them in no simple order.
constexpr KeyRow kTevraS[] = {
    { 0x0100, { 4, 4, 2, 2 } },
    { 0x0200, { 2, 2, 4, 4 } },
    { 0x0400, { 3, 3, 3, 3 } },
    { 0x0800, { 1, 1, 5, 5 } },
    { 0x1000, { 5, 5, 1, 1 } },
};
constexpr KeyRow kM517V1[] = {
    { 0x01, { 2, 1, 3, 4 } },
    { 0x02, { 4, 3, 1, 2 } },
    { 0x04, { 1, 2, 4, 3 } },
    { 0x08, { 3, 4, 2, 1 } },
};
constexpr KeyRow kM517V2[] = {
    { 0x0100, { 3, 4, 2, 1 } },
    { 0x0200, { 4, 3, 1, 2 } },
    { 0x0400, { 1, 2, 4, 3 } },
    { 0x0800, { 2, 1, 3, 4 } },
};

// The wheel shares V with the keys and sets bit 0x0800 on every wheel
// value, so the values are compared whole: 0x0800 alone is still a key.
constexpr quint16 kWheelClockwise = 0x0801;
constexpr quint16 kWheelCounterClockwise = 0x0802;
constexpr quint16 kWheelCentre = 0x0803;

struct TabletLayout
{
    std::span<const KeyRow> keys;
    bool wheel = false;
    bool fieldIsByte4 = false; // M517 V1: byte 4 instead of V
};

std::optional<TabletLayout> tabletLayout(BoardParser parser)
{
    switch (parser) {
    case BoardParser::Board482:
        return TabletLayout { kM482PlusV2 };
    case BoardParser::Board517V1:
        return TabletLayout { kM517V1, false, true };
    case BoardParser::Board517V2:
        return TabletLayout { kM517V2 };
    case BoardParser::BoardTevruM:
        return TabletLayout { kTevraM };
    case BoardParser::BoardTevruS:
        return TabletLayout { kTevraS };
    case BoardParser::BoardTevru7B:
        return TabletLayout { kTevraN7B };
    case BoardParser::BoardTevru10B:
        return TabletLayout { kTevraN10B };
    case BoardParser::BoardQ:
        return TabletLayout { kTevraQ };
    case BoardParser::BoardSorvi12Pro:
    case BoardParser::BoardKalverinS:
        return TabletLayout { kSixWithWheel, true };
    case BoardParser::BoardKalverinM:
        return TabletLayout { kKalverinM, true };
    case BoardParser::BoardSorvi:
    case BoardParser::BoardSorvi16Pro:
        break;
    }
    return std::nullopt;
}

BoardResult release(const QString &lastBoardKey)
{
    return { BoardOutcome::Event, { lastBoardKey, false }, {} };
}

BoardResult press(const QString &name, QString &lastBoardKey)
{
    lastBoardKey = name;
    return { BoardOutcome::Event, { name, true }, {} };
}

BoardResult tooShort(std::size_t length, std::size_t needed)
{
    return { BoardOutcome::TooShort, {}, ReportResult::tooShort(length, needed) };
}

// A one-hot key field of the pen displays: bit k is key k + 1 at 0 and 270
// degrees, numbered backwards at 90 and 180.
std::optional<int> displayKey(quint8 field, int keyCount, quint64 degree)
{
    for (int bit = 0; bit < keyCount; ++bit) {
        if (field == (1u << bit))
            return (degree == 1 || degree == 2) ? keyCount - bit : bit + 1;
    }
    return std::nullopt;
}

BoardResult parseTablet(
    const TabletLayout &layout, std::span<const std::uint8_t> report, quint64 degree, QString &lastBoardKey)
{
    const std::size_t needed = layout.fieldIsByte4 ? 5 : 4;
    if (report.size() < needed)
        return tooShort(report.size(), needed);
    const quint16 field = layout.fieldIsByte4 ? report[4] : quint16((report[2] << 8) | report[3]);
    if (field == 0)
        return release(lastBoardKey);
    if (layout.wheel) {
        if (field == kWheelClockwise)
            return press(store::OVCFGWheelKeyR, lastBoardKey);
        if (field == kWheelCounterClockwise)
            return press(store::OVCFGWheelKeyL, lastBoardKey);
        if (field == kWheelCentre)
            return press(store::OVCFGWheelKeyC, lastBoardKey);
    }
    for (const KeyRow &row : layout.keys) {
        if (row.value == field)
            return press(store::OVCFGBoardKeyN(row.key[degree]), lastBoardKey);
    }
    // Two keys at once, or a bit this model has no key for.
    return { BoardOutcome::Unrecognised, {}, {} };
}

// Sorvi 13/16, report id 0x0C: byte 1 wheel, byte 2 centre, byte 3 keys.
BoardResult parseSorvi1316(std::span<const std::uint8_t> report, quint64 degree, QString &lastBoardKey)
{
    if (report.size() < 4)
        return tooShort(report.size(), 4);
    const quint8 wheel = report[1];
    const quint8 centre = report[2];
    const quint8 keys = report[3];
    if (wheel == 0 && centre == 0 && keys == 0)
        return release(lastBoardKey);
    // The centre wins over whatever else the report carries.
    if (centre == 1)
        return press(store::OVCFGWheelKeyC, lastBoardKey);
    if (wheel != 0) {
        if (wheel == 0x61)
            return press(store::OVCFGWheelKeyL, lastBoardKey);
        if (wheel == 0x62)
            return press(store::OVCFGWheelKeyR, lastBoardKey);
        return press(QString(), lastBoardKey);
    }
    if (keys == 0)
        return press(QString(), lastBoardKey);
    if (const std::optional<int> key = displayKey(keys, 8, degree))
        return press(store::OVCFGBoardKeyN(*key), lastBoardKey);
    return {};
}

// Sorvi 16Pro and 22Pro: byte 3 the state, byte 4 the keys.
BoardResult parseSorvi16Pro(std::span<const std::uint8_t> report, quint64 degree, QString &lastBoardKey)
{
    if (report.size() < 4)
        return tooShort(report.size(), 4);
    const quint8 state = report[3];
    if (state == 0)
        return release(lastBoardKey);
    if (state != 1)
        return press(QString(), lastBoardKey);
    if (report.size() < 5)
        return tooShort(report.size(), 5);
    if (const std::optional<int> key = displayKey(report[4], 6, degree))
        return press(store::OVCFGBoardKeyN(*key), lastBoardKey);
    return {};
}

} // namespace

BoardResult parseBoardReport(
    BoardParser parser, std::span<const std::uint8_t> report, quint64 degree, QString &lastBoardKey)
{
    if (degree > 3)
        degree = 0;
    if (parser == BoardParser::BoardSorvi)
        return parseSorvi1316(report, degree, lastBoardKey);
    if (parser == BoardParser::BoardSorvi16Pro)
        return parseSorvi16Pro(report, degree, lastBoardKey);
    const std::optional<TabletLayout> layout = tabletLayout(parser);
    if (!layout)
        return {};
    return parseTablet(*layout, report, degree, lastBoardKey);
}

QString reportDescription(std::span<const std::uint8_t> report)
{
    QString text(QLatin1Char('<'));
    for (std::size_t i = 0; i < report.size(); ++i) {
        if (i > 0 && i % 4 == 0)
            text += QLatin1Char(' ');
        text += QStringLiteral("%1").arg(report[i], 2, 16, QLatin1Char('0'));
    }
    return text + QLatin1Char('>');
}

} // namespace driver
