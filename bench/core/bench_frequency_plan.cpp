// The frequency plan of all sixteen channels, as the plan window works it out after every change
// of the settings. Target: well under 50 microseconds.
#include <benchmark/benchmark.h>

#include "core/frequency_plan.h"
#include "core/settings.h"

namespace {

// Every channel enabled, four to an ADC, spread over the band with some in each other's way: an
// overlap, a duplicate, NCOs beyond half the clock and harmonics landing in other channels.
TSettings Crowded() {
    TSettings s;
    const float nco[kDdcChannels] = {30e6f,   3e6f, 12e6f, 21e6f, 40.05e6f, 7e6f,  33e6f, 70e6f,
                                     9.95e6f, 5e6f, 45e6f, 18e6f, 25e6f,    26e6f, 3e6f,  28e6f};
    for (int c = 0; c < kDdcChannels; ++c) {
        s.FrequencyNCO[c] = nco[c];
    }
    return s;
}

void BM_FrequencyPlan16Channels(benchmark::State& state) {
    const TSettings s = Crowded();
    PlanOptions options;
    options.signalZone = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(MakeFrequencyPlan(s, options));
    }
}
BENCHMARK(BM_FrequencyPlan16Channels)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
