#include "windows/SessionEnd.h"
#include "windows/mdiMain.h"

#include "storage/SettingsFile.h"
#include "tests/FileBytes.h"
#include "tests/generation/Fakes.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <windows.h>

#include <gtest/gtest.h>

namespace passgen {
namespace {

namespace fs = std::filesystem;

// Windows asks every top-level window before a log-off; the program must
// close as if the user had closed it, an open settings window committing
// first, and must not refuse the log-off.
TEST(SessionEnd, logOffClosesTheFrameAndSavesTheOpenSettingsWindowsEdits)
{
    const fs::path folder =
        fs::temp_directory_path() / ("passgen-session-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    testing::FakeGenPassServices fakes;
    {
        mdiMain window(folder, {fakes.messageBox, fakes.clock, fakes.random});
        window.Load();
        closeOnSessionEnd([&window] { window.close(); });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.button("cmdSetup"), Qt::LeftButton);
        ASSERT_NE(window.setupWindow().loaded(), nullptr);
        window.setupWindow().loaded()->txtSim()->setPlainText(QStringLiteral("ab\ncd"));

        const auto frame = reinterpret_cast<HWND>(window.winId());
        EXPECT_EQ(SendMessageW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.setupWindow().loaded(), nullptr);
    }
    EXPECT_EQ(testing::readBytes(SettingsPath(folder, "simbols")), "ab\r\ncd\r\n");
    EXPECT_EQ(testing::readBytes(SettingsPath(folder, "excluds")), "\r\n");
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace
} // namespace passgen
