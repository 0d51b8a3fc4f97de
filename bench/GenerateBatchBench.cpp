#include "generation/OsRandomSource.h"
#include "generation/SystemClock.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "SilentServices.h"

#include <benchmark/benchmark.h>

namespace passgen {
namespace {

Module1 largestBatch()
{
    Module1 settings{u"", u"", 999, 999};
    for (char16_t c = u'!'; c <= u'~'; ++c) {
        settings.Simbols += c; // 94 symbols
    }
    return settings;
}

struct Window {
    Module1 settings = largestBatch();
    NoMessageBox messageBox;
    NoSettingsWindow settingsWindow;
    SystemClock clock;
    OsRandomSource random;
    frmMain form{settings, frmMainServices{settingsWindow, messageBox, clock, random}};
};

// The generate button of the real window, from the click to the journal
// holding all 999 lines of 999 characters.
void BM_GenerateBatch(benchmark::State& state)
{
    Window window;
    window.form.show();
    for (auto _ : state) {
        state.PauseTiming();
        window.form.txtPass()->clear();
        state.ResumeTiming();
        QTest::mouseClick(window.form.button("cmdGen"), Qt::LeftButton);
        if (window.form.txtPass()->document()->blockCount() != 999) {
            state.SkipWithError("the journal does not hold the batch");
        }
    }
}
BENCHMARK(BM_GenerateBatch)->Unit(benchmark::kMillisecond);

// The floor: the same text, a batch the window made, put into the same kind
// of widget at once. Random symbols cost the text layout more than repeated
// letters would, so the floor has to use a real batch to be fair.
void BM_JournalFill(benchmark::State& state)
{
    Window window;
    window.form.show();
    QTest::mouseClick(window.form.button("cmdGen"), Qt::LeftButton);
    const QString text = window.form.txtPass()->toPlainText();
    if (text.size() != 999 * 1000 - 1) {
        state.SkipWithError("the window did not make the batch");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        window.form.txtPass()->clear();
        state.ResumeTiming();
        window.form.txtPass()->setPlainText(text);
    }
}
BENCHMARK(BM_JournalFill)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace passgen

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
