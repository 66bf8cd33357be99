// From a decoded sample to a posted event: the mapping alone (tablet,
// calibrated pen display, relative mode, per orientation) and a whole pen
// point event through the posting onto a recording poster. Prints the time
// per sample (the Time column, one sample per iteration).

#include <benchmark/benchmark.h>

#include "driver/eventposting.h"
#include "driver/penmapping.h"
#include "driver/penparser.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"

namespace {

using namespace driver;

ScreenState oneDisplay()
{
    ScreenState screens;
    store::OVScreen screen;
    screen.setNumber(1);
    screen.setFrame(QRectF(0, 0, 1920, 1080));
    screens.ovScreens.append(screen);
    screens.ovMTFrame = QRectF(0, 0, 1920, 1080);
    screens.mainDisplayHeight = 1080;
    return screens;
}

MappingInput input(store::Model model, quint64 degree, quint64 mode)
{
    const store::ModelRow &row = store::rowFor(model);
    const bool penDisplay = row.penDisplay;
    MappingInput in;
    in.model = mappingModel(row, false, penDisplay);
    in.screens = oneDisplay();
    in.settings.ovDegree = degree;
    in.settings.ovCM = mode;
    in.settings.ovTS = 1;
    in.settings.ovTMap = 1;
    in.settings.ovTFrame = store::fullRectInch(store::devKeyFor(model));
    in.settings.ovP2 = QPointF(1, 1);
    in.settings.ovPC = QPointF(0.25, 0.75);
    in.isMouseDown = true;
    in.eventData.pres = 3000;
    in.eventData.tilt = {20, -10};
    if (penDisplay) {
        in.settings.ovMMap = 2;
        in.settings.ovMNumber = 1;
        in.calibration.calibrated = true;
        in.calibration.abcdef = {0.995071411f, -0.0025177002f, 13.3652344f,
                                 0.00302124023f, 0.984832763f, -2.89379883f};
        in.calibration.cbDelta.maxX = {219, 232};
        in.calibration.cbDelta.maxY = {123, 179};
    }
    return in;
}

void BM_Mapping(benchmark::State &state, store::Model model, quint64 mode)
{
    const quint64 degree = quint64(state.range(0));
    MappingInput in = input(model, degree, mode);
    MappingState mapping;
    int step = 0;
    for (auto _ : state) {
        // A slow stroke across the middle of the area.
        const int x = 20 * 256 + (step & 0xFF) * 4;
        in.lastEventData = in.eventData;
        in.eventData.loc = {x / 256, x % 256, 30, 128};
        ++step;
        benchmark::DoNotOptimize(prepareEventDataPost(in, mapping));
    }
}
BENCHMARK_CAPTURE(BM_Mapping, TevraN4Absolute, store::Model::TevraN4, 0)->DenseRange(0, 3);
BENCHMARK_CAPTURE(BM_Mapping, Sorvi22Calibrated, store::Model::Sorvi22, 0)->DenseRange(0, 3);
BENCHMARK_CAPTURE(BM_Mapping, TevraN4Relative, store::Model::TevraN4, 1)->DenseRange(0, 3);

// A drag event into the effects.
void BM_PostPointEvent(benchmark::State &state)
{
    PenState pen;
    PipelineContext context;
    context.settings = input(store::Model::TevraN4, 0, 0).settings;
    context.settings.ovPressure = true;
    context.screens = oneDisplay();
    PenEventPosting posting(store::rowFor(store::Model::TevraN4), pen);
    pen.isMouseDown = true;
    pen.eventData.pres = 3000;
    Effects effects;
    int step = 0;
    for (auto _ : state) {
        const int x = 20 * 256 + (step & 0xFF) * 4;
        pen.lastEventData = pen.eventData;
        pen.eventData.loc = {x / 256, x % 256, 30, 128};
        ++step;
        effects.clear();
        posting.postPointEvent(6, context, effects);
        benchmark::DoNotOptimize(effects.data());
    }
}
BENCHMARK(BM_PostPointEvent);

} // namespace

BENCHMARK_MAIN();
