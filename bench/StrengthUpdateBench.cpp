#include "generation/OsRandomSource.h"
#include "generation/SystemClock.h"
#include "windows/mdiMain.h"

#include <QLabel>

#include "PastedSet.h"
#include "SilentServices.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace passgen {
namespace {

// One update of the strength in the frame's toolbar with a pasted set in
// the settings window's symbol field: the fields read, the figure worked
// out and shown, as after each keystroke there.
void BM_StrengthUpdateOfPastedSet(benchmark::State& state)
{
    NoMessageBox messageBox;
    SystemClock clock;
    OsRandomSource random;
    // Never closed, so it writes no settings file there.
    mdiMain frame(std::filesystem::temp_directory_path(),
                  mdiMainServices{messageBox, clock, random});
    frame.settings() = {pastedSet(), u"0O", 999, 1};
    frame.show();
    frmSetup& setup = frame.setupWindow().get();
    const QLabel& figure = *frame.findChild<QLabel*>("lblStrength");
    for (auto _ : state) {
        emit setup.fieldsChanged();
    }
    if (!figure.accessibleName().endsWith(QStringLiteral("высокая"))) {
        state.SkipWithError("the strength does not show the pasted set");
    }
}
BENCHMARK(BM_StrengthUpdateOfPastedSet)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace passgen
