// The whole report-to-event path per pen report family, as the running
// driver takes it: the report arrives on the device's interface, the device
// manager's service dispatches and decodes it, runs the pen state machine,
// maps the sample (calibration and edge push on the pen displays), applies
// the pressure curve and posts the events onto a recording poster. Prints the
// time per report (the Time column, one report per iteration) and the events
// recorded per report.

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include <QLoggingCategory>

#include "bench/penstroke.h"
#include "driver/ovmanager.h"
#include "driver/tiltfilter.h"
#include "platform/hid.h"
#include "platform/sim/simbus.h"
#include "platform/sim/simplatform.h"
#include "store/ovmodels.h"

namespace {

using store::Model;

// Reports arrive every 5 ms, a pen's usual rate, so the double-click clock,
// the screen check and the tilt smoother see the time a real stroke takes.
constexpr double kReportInterval = 0.005;

void reportToEvent(benchmark::State &state, Model model)
{
    // The manager's plug-in lines would otherwise be the bulk of the output.
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
    driver::resetTiltStateForTests();
    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim(bus, QString::fromLatin1(platform::kDriverBundleId));
    const QString key = store::devKeyFor(model);
    const bool penDisplay = store::isPenDisplay(key);

    platform::DisplayInfo main;
    main.id = 1;
    main.bounds = QRectF(0, 0, 1920, 1080);
    main.main = true;
    main.builtin = true;
    main.productName = QStringLiteral("Built-in");
    sim.displays.setDisplay(main);
    if (penDisplay) {
        // Found by name: any panel name the model lists will do, so none at all
        // makes it the first display that is not built in.
        platform::DisplayInfo pen;
        pen.id = 2;
        pen.bounds = QRectF(1920, 0, 1920, 1080);
        sim.displays.setDisplay(pen);
    }

    driver::OVManager &manager = driver::OVManager::shareManager(sim.platform(), [](const QString &) {});
    sim.runLoop.drain();
    const std::optional<Model> parsed = store::modelForKey(key);
    const bool desktopPage = model == Model::Sorvi10 || model == Model::Sorvi1316 || model == Model::Sorvi22;
    const QStringList ids = key.split(QLatin1Char('-'));
    sim.hid.connect(QStringLiteral("pen"),
                    {{QLatin1String(platform::kHidVendorID), ids.value(0).toLongLong()},
                     {QLatin1String(platform::kHidProductID), ids.value(1).toLongLong()},
                     {QLatin1String(platform::kHidPrimaryUsagePage), desktopPage ? 0x01 : 0xFF0A},
                     {QLatin1String(platform::kHidPrimaryUsage), 1}});
    // The store's load, the calibration and the first screen check.
    sim.runLoop.advance(0.1);
    if (!parsed || manager.services().size() != 1) {
        state.SkipWithError("the device did not connect");
        driver::OVManager::destroySharedManager();
        return;
    }

    const auto reports = penbench::penStroke(model);
    // The generic parser drops a service's first tip report: one stroke first.
    for (const auto &report : reports)
        sim.hid.report(QStringLiteral("pen"), {report.data(), report.size()});
    sim.poster.clear();

    size_t i = 0;
    quint64 events = 0;
    for (auto _ : state) {
        const auto &report = reports[i];
        sim.hid.report(QStringLiteral("pen"), {report.data(), report.size()});
        sim.runLoop.advance(kReportInterval);
        i = (i + 1) % reports.size();
        if (sim.poster.events().size() > 4096) {
            events += sim.poster.events().size();
            sim.poster.clear();
        }
    }
    events += sim.poster.events().size();
    state.SetItemsProcessed(state.iterations());
    state.counters["events/report"] = double(events) / double(state.iterations());
    driver::OVManager::destroySharedManager();
}

} // namespace

PENBENCH_PER_FAMILY(reportToEvent);

BENCHMARK_MAIN();
