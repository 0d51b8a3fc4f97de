// A save killed many times over, at each step of its file calls in turn and
// at random moments: the settings file must always hold the whole old set or
// the whole new one, and the temporaries the kills leave behind must go with
// the next save.
#include "storage/CodePage.h"
#include "storage/FileCalls.h"
#include "storage/SettingsFile.h"

#include "tests/FileBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace passgen {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kills = 200;
constexpr std::size_t setSize = 4u << 20;
constexpr std::size_t piece = 256u << 10;

// Kills its own process just before or just after one of the save's calls,
// counted from 0: before the first call is 0, after it 1. Writes in pieces,
// so that kills land between the pieces of one file. With no step to kill
// at, it counts the steps and notes the one after the replace.
class KillingCalls final : public FileCalls {
public:
    explicit KillingCalls(int killAt = -1) : m_killAt(killAt) {}

    Error write(Handle file, std::string_view bytes, std::size_t& written) override
    {
        return step([&] { return FileCalls::write(file, bytes.substr(0, piece), written); });
    }
    Error flush(Handle file) override
    {
        return step([&] { return FileCalls::flush(file); });
    }
    Error close(Handle file) override
    {
        return step([&] { return FileCalls::close(file); });
    }
    Error replace(const fs::path& replacement, const fs::path& target,
                  const fs::path& backup) override
    {
        const Error error = step([&] { return FileCalls::replace(replacement, target, backup); });
        afterReplace = steps - 1;
        return error;
    }
    Error flushFolder(const fs::path& folder) override
    {
        return step([&] { return FileCalls::flushFolder(folder); });
    }

    int steps = 0;
    int afterReplace = -1;

private:
    template <class Call> Error step(const Call& call)
    {
        killAt(steps++);
        const Error error = call();
        killAt(steps++);
        return error;
    }
    void killAt(int step) const
    {
        if (step == m_killAt) {
            ::raise(SIGKILL);
        }
    }
    int m_killAt;
};

// A set of about 4 MB, different from the other throughout and in length.
std::u16string bigSet(std::size_t size, std::uint32_t seed)
{
    static constexpr std::u16string_view alphabet = u"abcdefghijklmnopqrstuvwxyzЁЖЗИЙ0123456789!?";
    std::minstd_rand random(seed);
    std::u16string text(size, u' ');
    for (char16_t& c : text) {
        c = alphabet[random() % alphabet.size()];
    }
    return text;
}

// Which of the two contents the file holds, whole: 0, 1, or -1 for neither.
// Read in pieces that stay in the cache, as a 20 MB copy per kill would
// cost more than the save.
int heldOf(const fs::path& path, const std::string (&contents)[2])
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> piece(1 << 20);
    bool same[2] = {true, true};
    std::size_t at = 0;
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        const std::string_view got(piece.data(), static_cast<std::size_t>(in.gcount()));
        for (const int k : {0, 1}) {
            same[k] = same[k] && std::string_view(contents[k]).substr(at, got.size()) == got;
        }
        at += got.size();
    }
    return same[0] && at == contents[0].size() ? 0 : same[1] && at == contents[1].size() ? 1 : -1;
}

std::vector<fs::path> othersIn(const fs::path& folder)
{
    std::vector<fs::path> others;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != "simbols") {
            others.push_back(entry.path());
        }
    }
    return others;
}

TEST(SaveFile, killedAtAnyMomentLeavesTheOldOrTheNewFileWhole)
{
    // A killed process leaves the page cache behind, so whether the file is
    // whole does not depend on the disk; in memory the 200 saves run fast.
    const fs::path memory = "/dev/shm";
    const testing::TempFolder temporary(fs::is_directory(memory) ? memory
                                                                 : fs::temp_directory_path());
    const fs::path& folder = temporary.path();
    const fs::path path = SettingsPath(folder, "simbols");
    const std::u16string sets[2] = {bigSet(setSize, 1), bigSet(setSize + 1, 2)};
    const std::string files[2] = {toCodePage(sets[0]) + "\r\n", toCodePage(sets[1]) + "\r\n"};

    SaveFile(sets[0], path);
    KillingCalls counted;
    {
        const UsingFileCalls seam(counted);
        SaveFile(sets[0], path);
    }
    ASSERT_GT(counted.afterReplace, 2 * static_cast<int>(setSize / piece));
    // How long a whole save takes in a child, as the saves to be killed run.
    const auto start = Clock::now();
    const pid_t timed = ::fork();
    ASSERT_GE(timed, 0);
    if (timed == 0) {
        SaveFile(sets[0], path);
        ::_exit(0);
    }
    ::waitpid(timed, nullptr, 0);
    const auto saveTime =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);

    // Every other kill comes at the next step of the calls, the others at a
    // random moment, between the calls too.
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int64_t> moment(0, saveTime.count() * 11 / 10);
    int onDisk = 0;
    int leftTemporary = 0;
    int replaced = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const int next = 1 - onDisk;
        const bool atStep = kill % 2 == 0;
        const int step = kill / 2 % counted.steps;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            KillingCalls killing(atStep ? step : -1);
            const UsingFileCalls seam(killing);
            SaveFile(sets[next], path);
            ::_exit(0);
        }
        if (!atStep) {
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(!atStep || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) << kill;

        const int held = heldOf(path, files);
        ASSERT_TRUE(held == onDisk || held == next) << "kill " << kill << " left a mixed file";
        // The save in this child removed what the one before left.
        const auto others = othersIn(folder);
        ASSERT_LE(others.size(), 1u) << "kill " << kill;
        if (atStep) {
            const bool afterReplace = step >= counted.afterReplace;
            EXPECT_EQ(held, afterReplace ? next : onDisk) << "step " << step;
            EXPECT_EQ(others.size(), afterReplace ? 0u : 1u) << "step " << step;
        }
        leftTemporary += others.size() == 1 ? 1 : 0;
        if (held == next) {
            onDisk = next;
            ++replaced;
        }
    }
    SaveFile(sets[0], path);
    EXPECT_EQ(testing::readBytes(path), files[0]);
    EXPECT_TRUE(othersIn(folder).empty());

    std::cout << kills << " kills, half at each of " << counted.steps
              << " steps of the calls in turn, half over a save of " << saveTime.count() / 1000
              << " ms: " << leftTemporary << " left a temporary, " << replaced
              << " after the replace\n";
}

} // namespace
} // namespace passgen
