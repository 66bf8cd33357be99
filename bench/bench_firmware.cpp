// The device command protocol's hot paths: the CRC over a whole firmware
// file (the body check) and over one record frame, and building and parsing
// the 1101-byte reports. Each reports its throughput in bytes per second.
#include <array>
#include <vector>

#include <benchmark/benchmark.h>

#include "firmware/crc16x25.h"
#include "firmware/iapframe.h"
#include "firmware/iaptransfer.h"

namespace {

std::vector<std::uint8_t> pattern(std::size_t length)
{
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = std::uint8_t(i * 31 + 7);
    return bytes;
}

void BM_Crc16X25(benchmark::State &state)
{
    const auto bytes = pattern(std::size_t(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(firmware::Crc16X25(bytes));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}
// One record frame's CRC, and a whole 512 KiB firmware file's body check.
BENCHMARK(BM_Crc16X25)->Arg(1047 - 2)->Arg(524288 - 26);

void BM_BuildRecordRequest(benchmark::State &state)
{
    const auto payload = pattern(firmware::kRecordPayloadLength);
    std::array<std::uint8_t, firmware::kReportLength> report;
    std::uint16_t sequence = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            firmware::buildRequestReport(report, sequence++, 0x0000, 0x0301, 0x0104, payload));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(report.size()));
}
BENCHMARK(BM_BuildRecordRequest);

void BM_BuildQueryRequest(benchmark::State &state)
{
    std::array<std::uint8_t, firmware::kReportLength> report;
    for (auto _ : state) {
        benchmark::DoNotOptimize(firmware::buildRequestReport(report, 0, 0x0000, 0x0101, 0x0202, {}));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(report.size()));
}
BENCHMARK(BM_BuildQueryRequest);

void BM_ParseVersionReply(benchmark::State &state)
{
    // A version reply: result code 0 and 72 data bytes, in a full report.
    auto payload = pattern(2 + 72);
    payload[0] = payload[1] = 0;
    std::array<std::uint8_t, firmware::kReportLength> report{};
    report[0] = firmware::kReplyReportByte;
    const std::size_t length = firmware::Tll_IapBuildFrame(std::span(report).subspan(1), 0, 0, 0, 0, payload);
    const auto frame = std::span<const std::uint8_t>(report).subspan(1, length);
    for (auto _ : state)
        benchmark::DoNotOptimize(firmware::Tll_IapParseResponse(frame));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(length));
}
BENCHMARK(BM_ParseVersionReply);

} // namespace

BENCHMARK_MAIN();
