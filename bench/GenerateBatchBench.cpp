#include "generation/OsRandomSource.h"
#include "generation/SystemClock.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "SilentServices.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

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

// Resident memory of this process in MB, or a negative value where
// /proc/self/status does not exist.
double residentMegabytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::stod(line.substr(6)) / 1024.0; // given in kB
        }
    }
    return -1.0;
}

// Takes the journal back to its first length characters (its editor
// text), as it was before the click being measured.
void cutJournal(QPlainTextEdit& journal, int length)
{
    QTextDocument& document = *journal.document();
    document.setUndoRedoEnabled(false); // no undo step for the cut
    QTextCursor cursor(&document);
    cursor.setPosition(length);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    // The document drops removed text when undo is turned off: here, and
    // not in the next click, which turns it off too.
    document.setUndoRedoEnabled(true);
    document.setUndoRedoEnabled(false);
    document.setUndoRedoEnabled(true);
    QCoreApplication::processEvents();
}

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    // Until the journal is shown: the repaint the click asked for.
    QCoreApplication::processEvents();
}

// The generate button of the real window, from the click to the journal
// shown with 999 more lines of 999 characters, onto a journal that holds
// state.range(0) such batches already. A click should cost what it adds,
// so the twelfth batch (range 11) should cost about what the first does.
// resident_MB is the process's resident memory with the journal holding
// range + 1 batches.
void BM_GenerateBatch(benchmark::State& state)
{
    Window window;
    window.form.show();
    QPlainTextEdit& journal = *window.form.txtPass();
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        click(window.form.button("cmdGen"));
    }
    const int before = journal.document()->characterCount() - 1;
    const int lines = 999 * static_cast<int>(state.range(0) + 1);
    for (auto _ : state) {
        click(window.form.button("cmdGen"));
        state.PauseTiming();
        if (journal.document()->blockCount() != lines) {
            state.SkipWithError("the journal does not hold the batches");
        }
        state.counters["resident_MB"] = residentMegabytes();
        cutJournal(journal, before);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GenerateBatch)->Arg(0)->Arg(11)->Unit(benchmark::kMillisecond);

// Put in journal of one password of 999 characters onto a journal of twelve
// batches: 11988 lines, 12 million characters with CR LF counted as two.
void BM_PutInJournal(benchmark::State& state)
{
    Window window;
    window.form.show();
    QPlainTextEdit& journal = *window.form.txtPass();
    for (int i = 0; i < 12; ++i) {
        click(window.form.button("cmdGen"));
    }
    const int before = journal.document()->characterCount() - 1;
    const QString password = journal.document()->firstBlock().text();
    for (auto _ : state) {
        state.PauseTiming();
        window.form.txtPasswd()->setText(password);
        state.ResumeTiming();
        click(window.form.button("XpB1"));
        state.PauseTiming();
        if (journal.document()->lastBlock().text() != password) {
            state.SkipWithError("the password did not reach the journal");
        }
        cutJournal(journal, before);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PutInJournal)->Unit(benchmark::kMillisecond);

// The floor: the same text, a batch the window made, put into the same kind
// of widget at once. Random symbols cost the text layout more than repeated
// letters would, so the floor has to use a real batch to be fair.
void BM_JournalFill(benchmark::State& state)
{
    Window window;
    window.form.show();
    click(window.form.button("cmdGen"));
    const QString text = window.form.txtPass()->toPlainText();
    if (text.size() != 999 * 1000 - 1) {
        state.SkipWithError("the window did not make the batch");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        window.form.txtPass()->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        window.form.txtPass()->setPlainText(text);
        QCoreApplication::processEvents();
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
