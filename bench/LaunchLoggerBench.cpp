// Caller-side costs on the launch path: logging a line and building a localized text.
#include "async/ManualClock.h"
#include "log/LaunchLogger.h"
#include "simhost/SimulatedMac.h"
#include "simhost/SimulatedPreferences.h"
#include "text/L10n.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A throwaway simulated Mac installed as the current host for one benchmark.
struct BenchHost {
    QTemporaryDir dir;
    vantrel::sim::SimulatedMac mac{dir.path() + QStringLiteral("/mac"), QStringLiteral("bench")};
    std::unique_ptr<vantrel::CurrentHostGuard> guard;

    explicit BenchHost(const char* language)
    {
        mac.initialize();
        guard = std::make_unique<vantrel::CurrentHostGuard>(mac.makeHost(std::make_shared<vantrel::ManualClock>()));
        mac.preferences()->standard()->setValue(QStringLiteral("appLanguage"), QString::fromLatin1(language));
    }
};

void logOneLine(benchmark::State& state)
{
    BenchHost host("en");
    auto& logger = vantrel::LaunchLogger::shared();
    const QString message =
        QStringLiteral("launch request mode=rosetta action=launch path=/Applications/Logic Pro X.app doc=nil");
    for (auto _ : state) {
        logger.log(message);
    }
    logger.flush(); // after the timed loop: the writer's work is not the caller's cost
}
BENCHMARK(logOneLine)->Repetitions(5)->ReportAggregatesOnly(true);

void localizedTextWithOneArgument(benchmark::State& state)
{
    BenchHost host("ru");
    const QString path = QStringLiteral("/Applications/Logic Pro.app");
    for (auto _ : state) {
        benchmark::DoNotOptimize(vantrel::L10n::text(vantrel::L10n::Key::errorAppNotFound, path));
    }
}
BENCHMARK(localizedTextWithOneArgument)->Repetitions(5)->ReportAggregatesOnly(true);

void formatOnly(benchmark::State& state)
{
    const QString pattern = vantrel::L10n::string(vantrel::L10n::Key::errorAppNotFound, vantrel::AppLanguage::russian);
    const QString path = QStringLiteral("/Applications/Logic Pro.app");
    for (auto _ : state) {
        benchmark::DoNotOptimize(vantrel::L10n::format(pattern, {path}));
    }
}
BENCHMARK(formatOnly)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
