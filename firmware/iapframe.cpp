#include "iapframe.h"

#include <algorithm>
#include <array>

#include "firmware/crc16x25.h"
#include "store/ovmodels.h"

namespace firmware {

namespace {

// Requests are built on the main thread only.
std::uint16_t g_sequence = 0;

void putBigEndian16(std::uint8_t *at, std::uint16_t value)
{
    at[0] = std::uint8_t(value >> 8);
    at[1] = std::uint8_t(value);
}

std::uint16_t bigEndian16(const std::uint8_t *at)
{
    return std::uint16_t((at[0] << 8) | at[1]);
}

// Frame offsets.
constexpr std::size_t kLengthAt = 5;
constexpr std::size_t kPayloadAt = 13;
constexpr std::size_t kDataAt = 15;
constexpr std::size_t kWordsLength = 6; // part of L besides the payload

// Model number - 1 -> command word 1. The boards that answer 0x0102 are the
// two with the older command set.
constexpr std::array<std::uint16_t, 13> kModelWords = {
    0x0101, 0x0102, 0x0101, 0x0102, 0x0101, 0x0101, 0x0101,
    0x0101, 0x0101, 0x0101, 0x0101, 0x0101, 0x0101,
};

} // namespace

std::uint16_t takeSequenceNumber()
{
    // Unsigned atomic arithmetic wraps, so 65535 is followed by 0.
    return g_sequence++;
}

std::size_t Tll_IapBuildFrame(std::span<std::uint8_t> dest, std::uint16_t sequence, std::uint16_t word0,
                              std::uint16_t word1, std::uint16_t word2,
                              std::span<const std::uint8_t> payload)
{
    const std::size_t length = payload.size() + kFrameOverhead;
    if (payload.size() > kMaxPayload || dest.size() < length)
        return 0;
    std::uint8_t *frame = dest.data();
    frame[0] = 0x89;
    frame[1] = 0xFF;
    frame[2] = 0xFF;
    putBigEndian16(frame + 3, sequence);
    putBigEndian16(frame + kLengthAt, std::uint16_t(payload.size() + kWordsLength));
    putBigEndian16(frame + 7, word0);
    putBigEndian16(frame + 9, word1);
    putBigEndian16(frame + 11, word2);
    std::copy(payload.begin(), payload.end(), frame + kPayloadAt);
    const std::size_t covered = kPayloadAt + payload.size();
    putBigEndian16(frame + covered, Crc16X25(std::span<const std::uint8_t>(frame, covered)));
    return length;
}

std::size_t buildRequestReport(std::span<std::uint8_t, kReportLength> report, std::uint16_t sequence,
                               std::uint16_t word0, std::uint16_t word1, std::uint16_t word2,
                               std::span<const std::uint8_t> payload)
{
    std::fill(report.begin(), report.end(), std::uint8_t(0));
    const std::size_t length = Tll_IapBuildFrame(report.subspan(1), sequence, word0, word1, word2, payload);
    if (length == 0)
        return 0;
    report[0] = kRequestReportByte;
    return length;
}

IapResponse Tll_IapParseResponse(std::span<const std::uint8_t> frame)
{
    IapResponse failed;
    if (frame.size() < kLengthAt + 2)
        return failed;
    const std::size_t length = bigEndian16(frame.data() + kLengthAt);
    // The device's L is taken only as far as the report reaches: a reply
    // claiming more than it carries is refused before anything is read.
    if (length + 9 > frame.size())
        return failed;
    const std::size_t covered = length + 7;
    const std::uint16_t received = bigEndian16(frame.data() + covered);
    if (Crc16X25(frame.first(covered)) != received)
        return failed;
    // A reply without room for its result code carries no answer.
    if (length < kWordsLength + 2)
        return failed;
    IapResponse response;
    response.resultCode = bigEndian16(frame.data() + kPayloadAt);
    response.data = frame.subspan(kDataAt, length - kWordsLength - 2);
    return response;
}

int modelNumberForDevKey(const QString &devKey)
{
    return store::factsFor(devKey).commandModel;
}

std::uint16_t modelWordFor(int modelNumber)
{
    if (modelNumber < 1 || modelNumber > int(kModelWords.size()))
        modelNumber = 1;
    return kModelWords[size_t(modelNumber - 1)];
}

} // namespace firmware
