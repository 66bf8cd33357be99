// The report-to-event path per pen report family: one report in, the decoded
// sample and the state machine's calls out. Prints the time per report (the
// Time column, one report per iteration) and the sink calls per report.

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/penstroke.h"
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

void decode(benchmark::State &bench, Model model)
{
    const auto reports = penbench::penStroke(model);
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

PENBENCH_PER_FAMILY(decode);

BENCHMARK_MAIN();
