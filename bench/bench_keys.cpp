// Key dispatch: one express-key or wheel report through a Kalverin M's device
// service, from the report's bytes to the posted keyboard or scroll events,
// reading the configuration afresh as the driver does at every event. The
// Time column is the time per key report (press and release alternate).

#include <memory>

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "platform/sim/simplatform.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

namespace {

using platform::sim::SimBus;
using platform::sim::SimPlatform;

struct Rig
{
    SimBus bus;
    SimPlatform sim { bus, QLatin1String(platform::kDriverBundleId) };
    driver::OVManager *manager = nullptr;
    std::unique_ptr<driver::OVService> service;

    Rig()
    {
        manager = &driver::OVManager::shareManager(sim.platform(), [](const QString &) {});
        sim.runLoop.drain();
        service = std::make_unique<driver::OVService>(
            sim.platform(), *manager, store::devKeyFor(store::Model::KalverinM));
        sim.runLoop.drain();
        sim.workspace.setFront({ QStringLiteral("org.test"), QStringLiteral("Gimp") });
    }
    ~Rig()
    {
        service.reset();
        driver::OVManager::destroySharedManager();
    }
};

void keyReports(benchmark::State &bench, const QByteArray &press, bool applicationSet)
{
    Rig rig;
    store::OVPublicObject &store = *rig.service->configMan();
    // Express key 1: undo, device-wide or in the front application's set.
    store.updateConfiguration(store::OVCFGBoardKey, store::OVCFGBoardKey1, qint64(6));
    if (applicationSet) {
        const QVariantMap action { { store::OVCFGPenKeyCus, 1 }, { store::OVCFGPenKeyCusHotKey, 16 } };
        store.updateConfiguration(store::OVCFGBKApp, store::OVCFGBKAppOptions,
            QVariantMap { { QStringLiteral("Gimp"), QVariantMap { { store::OVCFGBoardKey1Cus, action } } } });
    }
    rig.sim.runLoop.drain();
    const QByteArray release = QByteArray::fromHex("02f0000000000000");
    const QByteArray *reports[] = { &press, &release };
    size_t i = 0;
    for (auto _ : bench) {
        const QByteArray &report = *reports[i];
        platform::InputReport input;
        input.bytes = { reinterpret_cast<const std::uint8_t *>(report.constData()), size_t(report.size()) };
        rig.service->vendorReportCallback(input);
        i ^= 1;
        if (rig.sim.poster.events().size() > 4096)
            rig.sim.poster.clear();
    }
    bench.SetItemsProcessed(bench.iterations());
}

void expressKey(benchmark::State &bench)
{
    keyReports(bench, QByteArray::fromHex("02f0010000000000"), false);
}

void expressKeyApplicationSet(benchmark::State &bench)
{
    keyReports(bench, QByteArray::fromHex("02f0010000000000"), true);
}

// A clockwise step on the factory slot: two scroll events per report.
void wheelStep(benchmark::State &bench)
{
    keyReports(bench, QByteArray::fromHex("02f0080100000000"), false);
}

} // namespace

BENCHMARK(expressKey);
BENCHMARK(expressKeyApplicationSet);
BENCHMARK(wheelStep);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
