// The report-to-event path per pen report family: one report in, the decoded
// sample and the state machine's calls out. Prints the time per report (the
// Time column, one report per iteration) and the sink calls per report.

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "driver/penparser.h"
#include "driver/pensink.h"
#include "driver/reportdispatch.h"
#include "driver/tiltfilter.h"

namespace {

using store::Model;

class CountingSink : public driver::PenSink
{
public:
    void postProximityEvent(bool) override { ++calls; }
    void postPointEvent(quint32) override { ++calls; }
    void preparePenKey(bool, bool) override { ++calls; }
    void prepareHKEraser(bool, bool) override { ++calls; }
    void upPen(std::span<const std::uint8_t>) override {}
    void parseBoard(driver::BoardParser, std::span<const std::uint8_t>) override { ++calls; }
    quint64 calls = 0;
};

// One stroke of 64 reports: a hover, 31 tip reports dragging (the tilt
// filters run), 32 hover reports moving; every report 20 units on, so the
// hold-still filter lets all of them through.
std::vector<std::vector<std::uint8_t>> stroke(Model model)
{
    std::vector<std::vector<std::uint8_t>> reports;
    for (int i = 0; i < 64; ++i) {
        const bool tip = i >= 1 && i < 32;
        const int x = 0x1000 + 20 * i;
        const int y = 0x2000 + 20 * i;
        std::vector<std::uint8_t> r;
        switch (model) {
        case Model::Sorvi10:
        case Model::Sorvi22:
        case Model::Sorvi1316: {
            const std::uint8_t status = model == Model::Sorvi10 ? (tip ? 0xA1 : 0xA0)
                                                                : (tip ? 0x41 : 0xA0);
            r = {0x01, status, std::uint8_t(x >> 8), std::uint8_t(x), std::uint8_t(y >> 8),
                 std::uint8_t(y), 0x80, 0x4A, 0x25};
            break;
        }
        case Model::Sorvi16Pro:
            r = {0x09, 0x41, std::uint8_t(tip ? 0xA1 : 0xA0), std::uint8_t(x), std::uint8_t(x >> 8),
                 0x00, std::uint8_t(y), std::uint8_t(y >> 8), 0x00, 0x34, 0x12, 0x0A, 0xF6};
            break;
        default:
            r = {0x02, std::uint8_t(tip ? 0xA1 : 0xA0), std::uint8_t(x), std::uint8_t(x >> 8),
                 std::uint8_t(y), std::uint8_t(y >> 8), 0x34, 0x12, 0x0A, 0xF6};
            break;
        }
        reports.push_back(r);
    }
    return reports;
}

void decode(benchmark::State &bench, Model model)
{
    const auto reports = stroke(model);
    driver::resetTiltStateForTests();
    driver::PenState state;
    state.orvaneModeInited = true;
    driver::PenContext context;
    context.ovPressure = true;
    context.minX = 1000;
    context.minY = 500;
    CountingSink sink;
    size_t i = 0;
    for (auto _ : bench) {
        const auto &report = reports[i];
        context.nowMillis += 5;
        benchmark::DoNotOptimize(
            driver::dispatchReport(model, {report.data(), report.size()}, state, context, sink));
        benchmark::DoNotOptimize(state.eventData);
        i = (i + 1) % reports.size();
    }
    // One report per iteration: the Time column is the time per report.
    bench.SetItemsProcessed(bench.iterations());
    bench.counters["calls/report"] = double(sink.calls) / double(bench.iterations());
}

} // namespace

BENCHMARK_CAPTURE(decode, generic_tilt_TevraM, Model::TevraM);
BENCHMARK_CAPTURE(decode, generic_notilt_TevraS, Model::TevraS);
BENCHMARK_CAPTURE(decode, generic_edges_Sorvi12Pro, Model::Sorvi12Pro);
BENCHMARK_CAPTURE(decode, sorvi10, Model::Sorvi10);
BENCHMARK_CAPTURE(decode, sorvi22, Model::Sorvi22);
BENCHMARK_CAPTURE(decode, sorvi16, Model::Sorvi1316);
BENCHMARK_CAPTURE(decode, sorvi16pro, Model::Sorvi16Pro);

BENCHMARK_MAIN();
