#include "tests/windows/QuitRun.h"

#include "storage/FileCalls.h"
#include "storage/SettingsFile.h"
#include "tests/FileBytes.h"
#include "tests/generation/Fakes.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <functional>
#include <map>
#include <system_error>

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

// QuitEvent: what Qt makes of an X11 session manager's request to end the
// session, and of QCoreApplication::quit().
enum class Request { Term, Int, Hup, QuitEvent, Exit, CloseBox };

const char* name(Request request)
{
    constexpr std::array names{"SIGTERM", "SIGINT", "SIGHUP", "quitEvent", "cmdExit", "closeBox"};
    return names[static_cast<std::size_t>(request)];
}

// Counts, for each settings file, the tries to put a new file in its place
// and those that did.
class SaveCounter final : public FileCalls {
public:
    Error replace(const fs::path& replacement, const fs::path& target,
                  const fs::path& backup) override
    {
        const Error error = FileCalls::replace(replacement, target, backup);
        ++tries[target.filename().string()];
        saves[target.filename().string()] += error == 0 ? 1 : 0;
        return error;
    }
    std::map<std::string, int> tries;
    std::map<std::string, int> saves;
};

// Sees Qt's own quit if the window lets it pass, and keeps it from ending
// the test's event loops.
class QuitPassedOn final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool quit = watched == QCoreApplication::instance() && event->type() == QEvent::Quit;
        passed = passed || quit;
        return quit;
    }
    bool passed = false;
};

// Calls back at its first draw, as a request made while a batch runs; or
// fails, as the operating system's source can.
class RandomThatCalls final : public RandomSource {
public:
    void reseed(std::int32_t) override {}
    float next() override
    {
        if (onDraw) {
            std::exchange(onDraw, nullptr)();
        }
        if (fails) {
            throw std::system_error(EIO, std::generic_category(), "getrandom");
        }
        return 0.5f;
    }
    std::function<void()> onDraw;
    bool fails = false;
};

// One moment at which a quit request can come, and how the run must end.
struct Moment {
    const char* name;
    std::function<void(const fs::path& folder)> files;
    // What the user does once the frame is up; the request is made from
    // inside the first message box or drag, else when the batch draws, else
    // right after these steps.
    std::function<void(mdiMain&, RandomThatCalls&)> steps;
    bool requestBeforeLoad; // it comes while the load yields to events
    bool userCanAsk;        // no box blocks the frame: cmdExit and the close box work
    int simbolsSaves;       // none where the file already holds the set
    int excludsSaves;
    int status;
    const char* simbolsAfter;    // nullptr: not checked
    int simbolsFailedWrites = 0; // tried once each; a second try would say so twice
    bool onlyOnX11 = false;      // Qt's offscreen platform runs no drag
};

void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void generate(mdiMain& window)
{
    click(window.button("cmdGen"));
    click(window.generatorWindow().loaded()->button("cmdGen"));
}

frmSetup& setup(mdiMain& window)
{
    click(window.button("cmdSetup"));
    return *window.setupWindow().loaded();
}

void noFiles(const fs::path&) {}

const Moment moments[] = {
    {"settingsWindowOpen", noFiles,
     [](mdiMain& window, RandomThatCalls&) { setup(window).txtSim()->setPlainText("typed"); },
     false, true, 1, 1, 0, "typed\r\n"},
    {"emptySetMessage", noFiles, [](mdiMain& window, RandomThatCalls&) { generate(window); }, false,
     false, 1, 1, 0, "\r\n"},
    {"allExcludedMessageInABatch",
     [](const fs::path& folder) {
         writeBytes(SettingsPath(folder, "simbols"), "abc\r\n");
         writeBytes(SettingsPath(folder, "excluds"), "cab\r\n");
     },
     [](mdiMain& window, RandomThatCalls&) {
         setup(window).txtNPass()->setText("5");
         generate(window);
     },
     false, false, 0, 0, 0, "abc\r\n"},
    {"randomFailureMessage",
     [](const fs::path& folder) { writeBytes(SettingsPath(folder, "simbols"), "abc\r\n"); },
     [](mdiMain& window, RandomThatCalls& random) {
         random.fails = true;
         generate(window);
     },
     false, false, 0, 1, 0, "abc\r\n"},
    {"batch",
     [](const fs::path& folder) { writeBytes(SettingsPath(folder, "simbols"), "abc\r\n"); },
     [](mdiMain& window, RandomThatCalls&) {
         frmSetup& form = setup(window);
         form.txtNPass()->setText("999");
         form.txtLenPass()->setText("999");
         generate(window);
     },
     false, true, 0, 1, 0, "abc\r\n"},
    {"readErrorMessageAtStart",
     [](const fs::path& folder) {
         // Found and opened, but every read fails.
         fs::create_symlink("/proc/self/mem", SettingsPath(folder, "simbols"));
     },
     nullptr, false, false, 0, 1, 0, nullptr},
    {"loadYielding",
     [](const fs::path& folder) { writeBytes(SettingsPath(folder, "simbols"), "ab\r\ncd\r\n"); },
     nullptr, true, false, 0, 1, 0, "ab\r\ncd\r\n"},
    // A folder where simbols should be is kept unless the user changes the
    // set; changed, it cannot be written, which the close reports.
    {"messageAtClose",
     [](const fs::path& folder) {
         fs::create_directory(SettingsPath(folder, "simbols"));
         writeBytes(SettingsPath(folder, "excluds"), "x\r\n");
     },
     [](mdiMain& window, RandomThatCalls&) {
         setup(window).txtSim()->setPlainText("typed");
         click(window.button("cmdExit"));
     },
     false, false, 0, 0, 1, nullptr, 1},
    // A drag runs a loop of its own, in the field's handler.
    {"dragInSettingsWindow", noFiles,
     [](mdiMain& window, RandomThatCalls&) {
         QPlainTextEdit& field = *setup(window).txtSim();
         field.setPlainText("abcdef");
         field.selectAll();
         QTextCursor inside(field.document());
         inside.setPosition(3);
         const QPoint at = field.cursorRect(inside).center();
         QTest::mousePress(field.viewport(), Qt::LeftButton, {}, at);
         QTest::mouseMove(field.viewport(), at + QPoint(40, 0)); // returns once the drag ends
         QTest::mouseRelease(field.viewport(), Qt::LeftButton, {}, at);
     },
     false, false, 1, 1, 0, "abcdef\r\n", 0, true},
    // Nobody answers a message at the end of a session: the edited set is
    // saved all the same.
    {"unwritableFileAndEditedSet",
     [](const fs::path& folder) { fs::create_directory(SettingsPath(folder, "simbols")); },
     [](mdiMain& window, RandomThatCalls&) {
         frmSetup& form = setup(window);
         form.txtSim()->setPlainText("typed");
         form.txtIskl()->setText("edited");
     },
     false, false, 0, 1, 1, nullptr, 1},
};

struct Case {
    const Moment* moment;
    Request request;
};

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const Moment& moment : moments) {
        for (const Request request : {Request::Term, Request::Int, Request::Hup, Request::QuitEvent,
                                      Request::Exit, Request::CloseBox}) {
            const bool byUser = request == Request::Exit || request == Request::CloseBox;
            if (!byUser || moment.userCanAsk) {
                all.push_back({&moment, request});
            }
        }
    }
    return all;
}

class Quit : public ::testing::TestWithParam<Case> {};

TEST_P(Quit, endsOnceSavedWithTheStatusAndNoWindowLeft)
{
    const Moment& moment = *GetParam().moment;
    const Request request = GetParam().request;
    if (moment.onlyOnX11 && QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "no drag runs on this platform";
    }
    testing::TempFolder folder;
    moment.files(folder.path());
    SaveCounter counter;
    const UsingFileCalls seam(counter);
    testing::FakeGenPassServices fakes;
    RandomThatCalls random;
    QtMessageBox boxes;
    QuitPassedOn quitPassedOn; // installed first, it comes after the window's filter
    QCoreApplication::instance()->installEventFilter(&quitPassedOn);
    auto window =
        std::make_unique<mdiMain>(folder.path(), mdiMainServices{boxes, fakes.clock, random});
    testing::hookedWindow() = window.get();

    bool requested = false;
    const auto ask = [&] {
        if (std::exchange(requested, true)) {
            return;
        }
        switch (request) {
        case Request::Term:
            ::raise(SIGTERM);
            break;
        case Request::Int:
            ::raise(SIGINT);
            break;
        case Request::Hup:
            ::raise(SIGHUP);
            break;
        case Request::QuitEvent: {
            // Sent, as Qt does: a posted one is dropped when a window opens.
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
            break;
        }
        // As the user would, once the handler that runs now has returned.
        case Request::Exit:
            QTimer::singleShot(0, window.get(), [&] { click(window->button("cmdExit")); });
            break;
        case Request::CloseBox:
            QTimer::singleShot(0, window.get(), [&] { window->close(); });
            break;
        }
    };
    const testing::InNestedLoop inNestedLoop(ask);
    random.onDraw = ask;

    if (moment.requestBeforeLoad) {
        ask();
    }
    window->Load(); // before the loop runs, as in main()
    bool ended = true;
    if (!window->isClosing()) {
        window->show();
        ended = testing::runUntilNoWindowIsLeft([&] {
            if (moment.steps) {
                moment.steps(*window, random);
            }
            ask();
        });
    }
    // Whatever the close left for later has run once the child windows are gone.
    EXPECT_TRUE(testing::childWindowsGone(*window));

    EXPECT_TRUE(ended) << "a window was still open";
    EXPECT_FALSE(testing::anyWindowShown());
    EXPECT_EQ(window->generatorWindow().loaded(), nullptr);
    EXPECT_EQ(window->setupWindow().loaded(), nullptr);
    EXPECT_EQ(counter.saves["simbols"], moment.simbolsSaves);
    EXPECT_EQ(counter.saves["excluds"], moment.excludsSaves);
    EXPECT_EQ(counter.tries["simbols"], moment.simbolsSaves + moment.simbolsFailedWrites);
    EXPECT_EQ(counter.tries["excluds"], moment.excludsSaves);
    EXPECT_EQ(window->writeFailed() ? 1 : 0, moment.status);
    if (moment.simbolsAfter) {
        EXPECT_EQ(readBytes(SettingsPath(folder.path(), "simbols")), moment.simbolsAfter);
    }
    // Qt's own quit, which follows the close of the last window, goes on now.
    quitPassedOn.passed = false;
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_TRUE(quitPassedOn.passed);
    testing::hookedWindow() = nullptr;
    window.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

INSTANTIATE_TEST_SUITE_P(EveryMomentAndRequest, Quit, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.moment->name) + "_" +
                                    name(info.param.request);
                         });

} // namespace
} // namespace passgen
