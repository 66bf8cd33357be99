// The whole report-to-event path per pen report family, as the running
// driver takes it: the report arrives on the device's interface, the device
// manager's service dispatches and decodes it, runs the pen state machine,
// maps the sample (calibration and edge push on the pen displays), applies
// the pressure curve and posts the events onto a recording poster. Prints the
// time per report (the Time column, one report per iteration) and the events
// recorded per report.
//
// reportToUinput goes on to the bytes the virtual devices are given: the
// Linux poster's translator at the end, a memory sink in place of uinput.
// Repeated, it prints the median time per report and the input_event bytes
// written per report.

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include <QLoggingCategory>

#include "penstroke.h"
#include "driver/ovmanager.h"
#include "platform/hid.h"
#include "platform/linux/uinputeventposter.h"
#include "platform/linux/uinputsink.h"
#include "platform/sim/simbus.h"
#include "platform/sim/simplatform.h"
#include "store/ovmodels.h"

namespace {

using store::Model;

// Reports arrive every 5 ms, a pen's usual rate, so the double-click clock,
// the screen check and the tilt smoother see the time a real stroke takes.
constexpr double kReportInterval = 0.005;

// A whole stroke of the model on one device connected through the device
// manager, on a simulated platform whose events go to `poster`.
class PenBench
{
public:
    PenBench(Model model, platform::EventPoster *poster)
        : sim(bus, QString::fromLatin1(platform::kDriverBundleId))
        , platform(platformWith(poster))
        , reports(penbench::penStroke(model))
    {
        // The manager's plug-in lines would otherwise be the bulk of the output.
        QLoggingCategory::setFilterRules(QStringLiteral("*.info=false"));
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
            // Found by name: any panel name the model lists will do, so none at
            // all makes it the first display that is not built in.
            platform::DisplayInfo pen;
            pen.id = 2;
            pen.bounds = QRectF(1920, 0, 1920, 1080);
            sim.displays.setDisplay(pen);
        }

        driver::OVManager &manager = driver::OVManager::shareManager(platform, [](const QString &) {});
        sim.runLoop.drain();
        const bool desktopPage = store::rowFor(model).reportUsagePage == 0x01;
        const QStringList ids = key.split(QLatin1Char('-'));
        sim.hid.connect(QStringLiteral("pen"),
            { { QLatin1String(platform::kHidVendorID), ids.value(0).toLongLong() },
                { QLatin1String(platform::kHidProductID), ids.value(1).toLongLong() },
                { QLatin1String(platform::kHidPrimaryUsagePage), desktopPage ? 0x01 : 0xFF0A },
                { QLatin1String(platform::kHidPrimaryUsage), 1 } });
        // The store's load, the calibration and the first screen check.
        sim.runLoop.advance(0.1);
        connected = manager.services().size() == 1;
        // The generic parser drops a service's first tip report: one stroke first.
        for (size_t i = 0; i < reports.size(); ++i)
            next();
    }
    ~PenBench() { driver::OVManager::destroySharedManager(); }

    // The next report of the stroke, then the time until the one after it.
    void next()
    {
        const auto &report = reports[m_index];
        sim.hid.report(QStringLiteral("pen"), { report.data(), report.size() });
        sim.runLoop.advance(kReportInterval);
        m_index = (m_index + 1) % reports.size();
    }

    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim;
    platform::Platform platform;
    const std::vector<std::vector<std::uint8_t>> reports;
    bool connected = false;

private:
    platform::Platform platformWith(platform::EventPoster *poster)
    {
        platform::Platform p = sim.platform();
        return platform::Platform { p, p.hid, p.usb, poster ? *poster : p.poster, p.modifierTap };
    }

    size_t m_index = 0;
};

void reportToEvent(benchmark::State &state, Model model)
{
    PenBench bench(model, nullptr);
    if (!bench.connected) {
        state.SkipWithError("the device did not connect");
        return;
    }
    bench.sim.poster.clear();
    quint64 events = 0;
    for (auto _ : state) {
        bench.next();
        if (bench.sim.poster.events().size() > 4096) {
            events += bench.sim.poster.events().size();
            bench.sim.poster.clear();
        }
    }
    events += bench.sim.poster.events().size();
    state.SetItemsProcessed(state.iterations());
    state.counters["events/report"] = double(events) / double(state.iterations());
}

void reportToUinput(benchmark::State &state, Model model)
{
    auto sink = std::make_unique<platform::native::MemoryUinputSink>();
    platform::native::MemoryUinputSink &memory = *sink;
    platform::native::UinputEventPoster poster(std::move(sink));
    poster.setDesktop(QRectF(0, 0, 3840, 1080));
    PenBench bench(model, &poster);
    if (!bench.connected) {
        state.SkipWithError("the device did not connect");
        return;
    }
    memory.clear();
    quint64 bytes = 0;
    for (auto _ : state) {
        bench.next();
        if (memory.bytes().size() > (1 << 20)) {
            bytes += memory.bytes().size();
            memory.clear();
        }
    }
    bytes += memory.bytes().size();
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes/report"] = double(bytes) / double(state.iterations());
}

} // namespace

PENBENCH_PER_FAMILY(reportToEvent);
PENBENCH_PER_FAMILY_WITH(reportToUinput, ->Repetitions(9)->ReportAggregatesOnly(true));

BENCHMARK_MAIN();
