// The report-to-effects path per pen report family: one report into the
// device's pipeline, with the context a tablet mapped onto one display gives
// it; the decoded sample, the state machine, the mapping and the events to
// post out. Prints the time per report (the Time column, one report per
// iteration) and the effects per report.

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "penstroke.h"
#include "driver/devicepipeline.h"
#include "driver/tiltfilter.h"
#include "store/ovmodels.h"

namespace {

using store::Model;

driver::PipelineContext contextFor(const store::ModelRow &row)
{
    driver::PipelineContext context;
    context.settings.ovPressure = true;
    context.settings.ovP2 = QPointF(1, 1);
    context.settings.ovPC = QPointF(0.5, 0.5);
    context.settings.ovTS = 1;
    platform::DisplayInfo display;
    display.id = 1;
    display.bounds = QRectF(0, 0, 1920, 1080);
    display.main = true;
    context.screens = driver::checkScreens({display}, {}).screens;
    if (row.penDisplay) {
        context.monitorNamePresent = true;
        context.settings.ovMMap = 2;
        context.settings.ovMNumber = 1;
        context.calibration.cbDelta.minX = { 3, 234 };
        context.calibration.cbDelta.minY = { 1, 245 };
        context.calibration.cbDelta.maxX = { 219, 232 };
        context.calibration.cbDelta.maxY = { 123, 179 };
    }
    context.front = { QStringLiteral("org.kde.krita"), QStringLiteral("krita") };
    return context;
}

void decode(benchmark::State &bench, Model model)
{
    const auto reports = penbench::penStroke(model);
    driver::TiltState tilt;
    driver::DevicePipeline pipeline(store::rowFor(model), tilt);
    driver::PipelineContext context = contextFor(store::rowFor(model));
    driver::Effects effects;
    // The generic parser drops the first tip report of its life: one stroke first.
    for (const auto &report : reports)
        pipeline.report({ report.data(), report.size() }, context, effects);
    size_t i = 0;
    quint64 produced = 0;
    for (auto _ : bench) {
        const auto &report = reports[i];
        context.now += 0.005;
        context.nowMillis += 5;
        effects.clear();
        pipeline.report({ report.data(), report.size() }, context, effects);
        produced += effects.size();
        benchmark::DoNotOptimize(effects.data());
        i = (i + 1) % reports.size();
    }
    // One report per iteration: the Time column is the time per report.
    bench.SetItemsProcessed(bench.iterations());
    bench.counters["effects/report"] = double(produced) / double(bench.iterations());
}

} // namespace

PENBENCH_PER_FAMILY(decode);

BENCHMARK_MAIN();
