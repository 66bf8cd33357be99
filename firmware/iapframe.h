#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include <QString>

// The frame of the device command protocol. A request travels in one output
// report of kReportLength bytes, report id 0: byte 0 is 0xFD and the frame
// follows. A reply arrives as an input report whose byte 0 is 0xFC, the frame
// following. Frame layout (multi-byte fields big-endian, n = payload length):
//
//   0      1     0x89 (ignored in replies)
//   1      2     0xFF 0xFF (ignored in replies)
//   3      2     sequence number (ignored in replies)
//   5      2     L = n + 6
//   7      6     command words 0, 1, 2 (ignored in replies)
//   13     n     payload; in a reply: result code (2 bytes), then the data
//   L + 7  2     CRC-16/X-25 of bytes 0 .. L + 6, high byte first
namespace firmware {

inline constexpr std::size_t kReportLength = 1101; // bytes, report id 0 included
inline constexpr std::size_t kMaxFrameLength = kReportLength - 1;
inline constexpr std::size_t kFrameOverhead = 15; // frame bytes besides the payload
inline constexpr std::size_t kMaxPayload = kMaxFrameLength - kFrameOverhead;
inline constexpr std::uint8_t kRequestReportByte = 0xFD;
inline constexpr std::uint8_t kReplyReportByte = 0xFC;
// Result code of a reply that fails the CRC (or, here, any malformed reply).
inline constexpr std::uint16_t kResultCrcError = 8;

// Takes the next number of the one sequence counter of the process (shared
// by every device, starting at 0, wrapping at 65535). Main thread only.
std::uint16_t takeSequenceNumber();

// Writes a request frame into dest and answers its length n + 15; 0 (dest
// untouched) when dest is too small or the payload too long for a report.
std::size_t Tll_IapBuildFrame(std::span<std::uint8_t> dest, std::uint16_t sequence, std::uint16_t word0,
                              std::uint16_t word1, std::uint16_t word2,
                              std::span<const std::uint8_t> payload);

// Fills a whole output report (zeroed, 0xFD, the frame); answers the frame
// length, 0 when the payload does not fit (the report is then all zero).
std::size_t buildRequestReport(std::span<std::uint8_t, kReportLength> report, std::uint16_t sequence,
                               std::uint16_t word0, std::uint16_t word1, std::uint16_t word2,
                               std::span<const std::uint8_t> payload);

struct IapResponse
{
    std::uint16_t resultCode = kResultCrcError; // 0: success
    std::span<const std::uint8_t> data; // the reply data, after the result code
};

// Parses a reply frame: `frame` is what the report carried after its 0xFC
// byte, no more. L is checked against the frame's length before the CRC or
// any data is read; a frame that is too short for its L, too short for a
// result code, or fails the CRC gives result code 8 and no data.
IapResponse Tll_IapParseResponse(std::span<const std::uint8_t> frame);

// The model number of the two information commands: 1..13 for the thirteen
// models that have one, 1 for every other key.
int modelNumberForDevKey(const QString &devKey);
// Command word 1 of the information commands; numbers outside 1..13 are
// treated as model 1.
std::uint16_t modelWordFor(int modelNumber);

} // namespace firmware
