// The frequency plan of all sixteen channels, as the plan window works it out after every change
// of the settings. Target: well under 50 microseconds.
#include <benchmark/benchmark.h>

#include "core/frequency_plan.h"
#include "crowded_settings.h"

namespace {

void BM_FrequencyPlan16Channels(benchmark::State& state) {
    const TSettings s = CrowdedSettings();
    PlanOptions options;
    options.signalZone = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(MakeFrequencyPlan(s, options));
    }
}
BENCHMARK(BM_FrequencyPlan16Channels)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
