#include "storage/SettingsFile.h"
#include "tests/FileBytes.h"
#include "tests/generation/Fakes.h"
#include "tests/windows/OtherProgram.h"
#include "tests/windows/QuitRun.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <windows.h>

#include <functional>

#include <gtest/gtest.h>

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

// What Windows sends: at log-off every top-level window is asked first, and
// told the outcome after; taskkill without /f posts WM_CLOSE to each window.
enum class Request { LogOff, Close };

LRESULT send(HWND window, Request request)
{
    if (request == Request::Close) {
        return PostMessageW(window, WM_CLOSE, 0, 0);
    }
    const LRESULT answer = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    return answer;
}

void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

struct Moment {
    const char* name;
    const char* typed; // into the settings window, which stays open
    // What the user does then; a message box opens, or none when nullptr.
    std::function<void(mdiMain&)> steps;
    const char* simbolsAfter;
};

const Moment moments[] = {
    {"settingsWindowOpen", "ab\ncd", nullptr, "ab\r\ncd\r\n"},
    {"emptySetMessage", "",
     [](mdiMain& window) {
         click(window.button("cmdGen"));
         click(window.generatorWindow().loaded()->button("cmdGen"));
     },
     "\r\n"},
    {"copyFailureMessage", "ab\ncd",
     [](mdiMain& window) {
         click(window.button("cmdGen"));
         frmMain& generator = *window.generatorWindow().loaded();
         generator.txtPass()->setPlainText("p1");
         // Another program holds the clipboard open: nothing can be copied.
         {
             const testing::ClipboardHeldOpen heldByAnotherProgram;
             click(generator.button("cmdSelSave"));
         }
     },
     "ab\r\ncd\r\n"},
};

struct Case {
    const Moment* moment;
    Request request;
};

class SessionEnd : public ::testing::TestWithParam<Case> {};

// Windows asks while the program is idle or while one of its message boxes
// runs its own loop; the program must save what the settings window holds,
// not refuse, close its boxes and leave no window behind, at once: Windows
// may end the process soon after it has answered.
TEST_P(SessionEnd, endsSavedWithoutAWindowLeft)
{
    const Moment& moment = *GetParam().moment;
    const Request request = GetParam().request;
    testing::TempFolder folder;
    testing::FakeGenPassServices fakes;
    QtMessageBox boxes;
    auto window =
        std::make_unique<mdiMain>(folder.path(), mdiMainServices{boxes, fakes.clock, fakes.random});
    testing::hookedWindow() = window.get();
    window->Load();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    click(window->button("cmdSetup"));
    window->setupWindow().loaded()->txtSim()->setPlainText(QString::fromUtf8(moment.typed));
    const auto frame = reinterpret_cast<HWND>(window->winId());

    LRESULT answer = -1;
    bool asked = false;
    const auto ask = [&] {
        if (!std::exchange(asked, true)) {
            answer = send(frame, request);
        }
    };
    const testing::InNestedLoop inNestedLoop(ask);
    const bool ended = testing::runUntilNoWindowIsLeft([&] {
        if (moment.steps) {
            moment.steps(*window);
        }
        ask();
    });
    EXPECT_TRUE(testing::childWindowsGone(*window)); // the last thing the close leaves for later

    EXPECT_TRUE(ended) << "a window was still open";
    EXPECT_TRUE(asked);
    if (request == Request::LogOff) {
        EXPECT_EQ(answer, TRUE); // the log-off is not refused
    }
    EXPECT_FALSE(testing::anyWindowShown());
    EXPECT_EQ(window->generatorWindow().loaded(), nullptr);
    EXPECT_EQ(window->setupWindow().loaded(), nullptr);
    EXPECT_EQ(readBytes(SettingsPath(folder.path(), "simbols")), moment.simbolsAfter);
    EXPECT_EQ(readBytes(SettingsPath(folder.path(), "excluds")), "\r\n");
    EXPECT_FALSE(window->writeFailed());
    // Saved once: nothing writes the files again later.
    writeBytes(SettingsPath(folder.path(), "simbols"), "later\r\n");
    QCoreApplication::processEvents();
    EXPECT_EQ(readBytes(SettingsPath(folder.path(), "simbols")), "later\r\n");
    testing::hookedWindow() = nullptr;
    window.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const Moment& moment : moments) {
        for (const Request request : {Request::LogOff, Request::Close}) {
            all.push_back({&moment, request});
        }
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(EveryMessageBox, SessionEnd, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.moment->name) +
                                    (info.param.request == Request::LogOff ? "_logOff"
                                                                           : "_wmClose");
                         });

} // namespace
} // namespace passgen
