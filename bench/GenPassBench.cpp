#include "generation/GenPass.h"
#include "generation/OsRandomSource.h"
#include "generation/SystemClock.h"

#include "SilentServices.h"

#include <benchmark/benchmark.h>

#include <vector>

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

// The real clock and random source, with the windows' services silent.
struct RealServices {
    NoMessageBox messageBox;
    NoSettingsWindow settingsWindow;
    SystemClock clock;
    OsRandomSource random;
    GenPassServices services{messageBox, [] { return std::u16string(u"Генератор"); },
                             settingsWindow, clock, random};
};

// One password of the largest length the settings window allows, from the
// kernel's random source; characters per second is the figure to watch.
void BM_GenPass(benchmark::State& state)
{
    RealServices real;
    const GenPassServices& services = real.services;
    const Module1 settings{printableAscii(), u"", static_cast<std::int32_t>(state.range(0)), 1};
    for (auto _ : state) {
        benchmark::DoNotOptimize(GenPass(settings, services));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GenPass)->Arg(6)->Arg(999);

// The core's share of the largest batch: Generate with 999 passwords of 999
// characters into a field that only keeps its text.
void BM_GenerateBatchCore(benchmark::State& state)
{
    RealServices real;
    const GenPassServices& services = real.services;
    Module1 settings{printableAscii(), u"", 999, 999};
    PlainField txtPasswd;
    PlainField txtPass;
    NoClipboard clipboard;
    GeneratorCommands commands{settings, txtPasswd, txtPass, clipboard, services};
    for (auto _ : state) {
        txtPass.text.clear();
        commands.Generate();
        benchmark::DoNotOptimize(txtPass.text.data());
    }
    state.SetItemsProcessed(state.iterations() * 999 * 999);
}
BENCHMARK(BM_GenerateBatchCore)->Unit(benchmark::kMillisecond);

// The share of BM_GenPass that goes to the operating system's random source.
void BM_OsRandomNext(benchmark::State& state)
{
    OsRandomSource random;
    for (auto _ : state) {
        benchmark::DoNotOptimize(random.next());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OsRandomNext);

// The same values in blocks, as GenPass asks for them.
void BM_OsRandomFill(benchmark::State& state)
{
    OsRandomSource random;
    std::vector<float> block(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        random.fill(block);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OsRandomFill)->Arg(512);

} // namespace
} // namespace passgen
