#include "generation/Strength.h"

#include "PastedSet.h"

#include <benchmark/benchmark.h>

namespace passgen {
namespace {

// The figure of a pasted set worked out anew, as on each keystroke: the
// core's share of an update.
void BM_StrengthOfPastedSet(benchmark::State& state)
{
    const Module1 settings{pastedSet(), u"0O", 999, 1};
    for (auto _ : state) {
        benchmark::DoNotOptimize(strengthOf(settings));
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_StrengthOfPastedSet)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace passgen
