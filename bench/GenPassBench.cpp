#include "generation/GenPass.h"
#include "generation/OsRandomSource.h"
#include "generation/SystemClock.h"

#include "SilentServices.h"

#include <benchmark/benchmark.h>

namespace passgen {
namespace {

std::u16string printableAscii()
{
    std::u16string symbols;
    for (char16_t c = u'!'; c <= u'~'; ++c) {
        symbols += c;
    }
    return symbols; // 94 symbols
}

// One password of the largest length the settings window allows, from the
// kernel's random source; characters per second is the figure to watch.
void BM_GenPass(benchmark::State& state)
{
    NoMessageBox messageBox;
    NoSettingsWindow settingsWindow;
    SystemClock clock;
    OsRandomSource random;
    const GenPassServices services{messageBox, [] { return std::u16string(u"Генератор"); },
                                   settingsWindow, clock, random};
    const Module1 settings{printableAscii(), u"", static_cast<std::int32_t>(state.range(0)), 1};
    for (auto _ : state) {
        benchmark::DoNotOptimize(GenPass(settings, services));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GenPass)->Arg(6)->Arg(999);

// The share of the above that goes to the operating system's random source.
void BM_OsRandomNext(benchmark::State& state)
{
    OsRandomSource random;
    for (auto _ : state) {
        benchmark::DoNotOptimize(random.next());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OsRandomNext);

} // namespace
} // namespace passgen
