// Discovery costs: scanning and resolving a crowded /Applications, and reading one
// executable's slices.
#include "async/ManualClock.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LogicScanner.h"
#include "installations/VersionReader.h"
#include "platform/HostPath.h"
#include "simhost/BundleWriter.h"
#include "simhost/RootedFileSystem.h"
#include "simhost/SimulatedMac.h"
#include "viewmodels/LauncherViewModel.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace vantrel;

struct CrowdedMac {
    QTemporaryDir dir;
    sim::SimulatedMac mac{dir.path() + QStringLiteral("/mac"), QStringLiteral("bench")};
    std::unique_ptr<CurrentHostGuard> guard;

    explicit CrowdedMac(int bundles)
    {
        mac.initialize();
        guard = std::make_unique<CurrentHostGuard>(mac.makeHost(std::make_shared<ManualClock>()));
        for (int i = 0; i < bundles; ++i) {
            sim::BundleSpec spec;
            spec.path = QStringLiteral("/Applications/Logic Pro %1.app").arg(i, 3, 10, QLatin1Char('0'));
            spec.identifier = QStringLiteral("com.apple.logic10");
            spec.shortVersion = QStringLiteral("11.%1").arg(i % 10);
            spec.buildVersion = QStringLiteral("%1").arg(6000 + i);
            if (i % 2 == 0) {
                spec.slices = {{sim::MachO::cpuTypeArm64}};
            }
            spec.byteOrder = i % 3 == 0 ? sim::MachO::ByteOrder::big : sim::MachO::ByteOrder::little;
            sim::writeBundle(*mac.fileSystem(), spec);
        }
    }
};

void scanAndResolve500(benchmark::State& state)
{
    CrowdedMac crowded(500);
    LogicScanner scanner(std::make_shared<ArchitectureDetector>());
    for (auto _ : state) {
        auto result = scanner.scan({});
        if (result.size() != 500) {
            state.SkipWithError("the scan did not find every bundle");
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(scanAndResolve500)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

// What the launcher does on the main thread when its panel comes on screen: reload the
// list, scan, resolve, build the cards. It must stay well inside one 16 ms frame.
void launcherRefresh20(benchmark::State& state)
{
    CrowdedMac crowded(20);
    auto detector = std::make_shared<ArchitectureDetector>();
    LauncherViewModel model({.scanner = std::make_shared<LogicScanner>(detector),
                             .architectureDetector = detector,
                             .versionReader = std::make_shared<VersionReader>()});
    for (auto _ : state) {
        model.refresh();
        if (model.cards().size() != 30) {
            state.SkipWithError("the refresh did not build every card");
        }
    }
}
BENCHMARK(launcherRefresh20)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void slicesOfOneUniversalBundle(benchmark::State& state)
{
    CrowdedMac crowded(1);
    ArchitectureDetector detector;
    const QUrl url = HostPath::fileURL(QStringLiteral("/Applications/Logic Pro 001.app"));
    sim::BundleSpec spec;
    spec.path = QStringLiteral("/Applications/Logic Pro 001.app");
    spec.shortVersion = QStringLiteral("11.0");
    spec.executableSize = 32 * 1024 * 1024;
    sim::writeBundle(*crowded.mac.fileSystem(), spec);
    for (auto _ : state) {
        benchmark::DoNotOptimize(detector.architectures(url));
    }
}
BENCHMARK(slicesOfOneUniversalBundle)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace
