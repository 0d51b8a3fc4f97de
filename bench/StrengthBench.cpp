#include "generation/Strength.h"

#include <benchmark/benchmark.h>

namespace passgen {
namespace {

// A pasted set of 100,000 characters, every code but LF, CR and TAB, so
// that most stand twice: the figure worked out anew as on each keystroke.
void BM_StrengthOfPastedSet(benchmark::State& state)
{
    Module1 settings{u"", u"0O", 999, 1};
    for (char32_t c = 0; settings.Simbols.size() < 100000; ++c) {
        const auto code = static_cast<char16_t>(c % 65536);
        if (code != u'\n' && code != u'\r' && code != u'\t') {
            settings.Simbols += code;
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(strengthOf(settings));
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_StrengthOfPastedSet)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace passgen
