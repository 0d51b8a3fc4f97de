#include "storage/SettingsFile.h"
#include "tests/FileBytes.h"
#include "tests/generation/Fakes.h"
#include "tests/windows/OtherProgram.h"
#include "tests/windows/QuitRun.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <windows.h>
#undef MessageBox // the program's own

#include <array>
#include <functional>

#include <gtest/gtest.h>

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

// What Windows sends: at log-off every top-level window is asked first and
// told the outcome after, which another program may have cancelled; the
// Restart Manager asks the same way with ENDSESSION_CLOSEAPP; taskkill
// without /f posts WM_CLOSE to each window.
enum class Request { LogOff, CancelledLogOff, RestartManager, Close };

// Shows the run's message boxes and keeps what they said.
class SaidBoxes final : public MessageBox {
public:
    void information(std::u16string_view text, std::u16string_view title) override
    {
        texts.emplace_back(text);
        m_shown.information(text, title);
    }
    std::vector<std::u16string> texts;

private:
    QtMessageBox m_shown;
};

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
    const char* simbolsAtStart = nullptr;
};

// What the user has before them: the frame, what the child windows hold,
// and an open message box.
QStringList seen(mdiMain& window)
{
    const frmSetup* setup = window.setupWindow().loaded();
    const frmMain* generator = window.generatorWindow().loaded();
    return {window.isVisible() ? "frame" : "", setup ? setup->txtSim()->toPlainText() : "-",
            generator ? generator->txtPasswd()->text() : "-",
            generator ? generator->txtPass()->toPlainText() : "-",
            QApplication::activeModalWidget() ? "box" : ""};
}

const Moment moments[] = {
    {"settingsWindowOpen", "ab\ncd", nullptr, "ab\r\ncd\r\n"},
    // The unchanged set is written once with the program's own line ends:
    // the close must not take that file for another program's.
    {"settingsWindowOpenOverLineFeeds", "ab\ncd", nullptr, "ab\r\ncd\r\n", "ab\ncd"},
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
         generator.txtPasswd()->setText("gW4kqz");
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
// runs its own loop. At the query the program saves what the settings window
// holds and says nothing, as Windows may end the process soon after the
// answer, which does not refuse; told that the session ends, it closes its
// boxes and leaves no window behind; told that another program cancelled,
// it goes on as before, and the user's close later finds nothing to say.
TEST_P(SessionEnd, endsSavedWithoutAWindowLeft)
{
    const Moment& moment = *GetParam().moment;
    const Request request = GetParam().request;
    testing::TempFolder folder;
    const fs::path simbols = SettingsPath(folder.path(), "simbols");
    if (moment.simbolsAtStart) {
        writeBytes(simbols, moment.simbolsAtStart);
    }
    testing::FakeGenPassServices fakes;
    SaidBoxes boxes;
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
    std::string atQuery; // simbols as the query left it
    bool quietAtQuery = false;
    bool wentOn = false;
    const auto ask = [&] {
        if (std::exchange(asked, true)) {
            return;
        }
        if (request == Request::Close) {
            PostMessageW(frame, WM_CLOSE, 0, 0);
            return;
        }
        const LPARAM why =
            request == Request::RestartManager ? ENDSESSION_CLOSEAPP : ENDSESSION_LOGOFF;
        const QStringList before = seen(*window);
        const std::size_t said = boxes.texts.size();
        answer = SendMessageW(frame, WM_QUERYENDSESSION, 0, why);
        atQuery = readBytes(simbols);
        quietAtQuery = boxes.texts.size() == said;
        const bool ends = request != Request::CancelledLogOff;
        SendMessageW(frame, WM_ENDSESSION, ends, why);
        if (!ends) {
            wentOn = window->isVisible() && seen(*window) == before;
            // The user answers the open box, if any, and closes the program.
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->button(QMessageBox::Ok)->click();
            }
            QTimer::singleShot(0, window.get(), [&] { click(window->button("cmdExit")); });
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
    if (request != Request::Close) {
        EXPECT_EQ(answer, TRUE); // the log-off is not refused
        EXPECT_EQ(atQuery, moment.simbolsAfter);
        EXPECT_TRUE(quietAtQuery);
    }
    EXPECT_EQ(wentOn, request == Request::CancelledLogOff);
    EXPECT_EQ(boxes.texts.size(), moment.steps ? 1u : 0u); // the moment's message alone
    EXPECT_FALSE(testing::anyWindowShown());
    EXPECT_EQ(window->generatorWindow().loaded(), nullptr);
    EXPECT_EQ(window->setupWindow().loaded(), nullptr);
    EXPECT_EQ(readBytes(simbols), moment.simbolsAfter);
    EXPECT_EQ(readBytes(SettingsPath(folder.path(), "excluds")), "\r\n");
    EXPECT_FALSE(window->writeFailed());
    // Saved once: nothing writes the files again later.
    writeBytes(simbols, "later\r\n");
    QCoreApplication::processEvents();
    EXPECT_EQ(readBytes(simbols), "later\r\n");
    testing::hookedWindow() = nullptr;
    window.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const char* nameOf(Request request)
{
    constexpr std::array names{"_logOff", "_logOffCancelled", "_restartManager", "_wmClose"};
    return names[static_cast<std::size_t>(request)];
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const Moment& moment : moments) {
        for (const Request request :
             {Request::LogOff, Request::CancelledLogOff, Request::RestartManager, Request::Close}) {
            all.push_back({&moment, request});
        }
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(EveryMessageBox, SessionEnd, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.moment->name) +
                                    nameOf(info.param.request);
                         });

} // namespace
} // namespace passgen
