// Reply frames as a device (or anything posing as one) may send them: the
// parser must stay inside the report whatever L claims, and a frame we build
// must parse back to its own result code and data.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "firmware/devcmd.h"
#include "firmware/iapframe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace firmware;
    const std::span<const std::uint8_t> input(data, size);

    // 1. The input as a received frame.
    const IapResponse response = Tll_IapParseResponse(input);
    if (!response.data.empty()) {
        if (response.data.data() < data || response.data.data() + response.data.size() > data + size)
            std::abort();
    }
    if (response.resultCode == 0) {
        (void)decodeVersionRecord(response.data);
        (void)decodeCpuInfo(response.data);
        (void)decodeRunSpace(response.data);
        (void)decodeFlashSpace(response.data);
    }

    // 2. The input as a payload: build, then parse back.
    std::array<std::uint8_t, kReportLength> report;
    const std::uint16_t sequence = size > 1 ? std::uint16_t(data[0] << 8 | data[1]) : 0;
    const std::size_t length = buildRequestReport(report, sequence, 0, 0x0301, 0x0104, input);
    if (size > kMaxPayload) {
        if (length != 0 || std::any_of(report.begin(), report.end(), [](std::uint8_t b) { return b != 0; }))
            std::abort();
        return 0;
    }
    if (length != size + kFrameOverhead || report[0] != kRequestReportByte)
        std::abort();
    const IapResponse parsed = Tll_IapParseResponse(std::span<const std::uint8_t>(report).subspan(1, length));
    if (size < 2) {
        if (parsed.resultCode != kResultCrcError)
            std::abort();
        return 0;
    }
    if (parsed.resultCode != std::uint16_t(data[0] << 8 | data[1]) || parsed.data.size() != size - 2
        || !std::equal(parsed.data.begin(), parsed.data.end(), data + 2))
        std::abort();
    // Every byte after the frame is 0.
    if (std::any_of(report.begin() + 1 + std::ptrdiff_t(length), report.end(), [](std::uint8_t b) { return b != 0; }))
        std::abort();
    return 0;
}
