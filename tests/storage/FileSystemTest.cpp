// What a save asks of the file system, watched and disturbed through the
// file-system seam: the order that makes a save durable, and on Windows the
// ways ReplaceFileW fails that Wine and a healthy disk never show.
#include "storage/FileCalls.h"
#include "storage/SaveAtClose.h"
#include "storage/SettingsFile.h"

#include "tests/FileBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>

#ifdef _WIN32
#include <windows.h>
#endif

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

// Records each call with the file it concerns: the settings file, its
// folder, or "other" for a temporary or backup beside it. Runs of writes
// count as one; what they wrote is kept whole.
class RecordingCalls final : public FileCalls {
public:
    explicit RecordingCalls(fs::path target) : m_target(std::move(target)) {}

    Error write(Handle file, std::string_view bytes, std::size_t& written) override
    {
        if (calls.empty() || calls.back() != "write") {
            calls.push_back("write");
        }
        const Error error = FileCalls::write(file, bytes, written);
        this->written.append(bytes.substr(0, written));
        return error;
    }
    Error flush(Handle file) override
    {
        calls.push_back("flush");
        return FileCalls::flush(file);
    }
    Error close(Handle file) override
    {
        calls.push_back("close");
        return FileCalls::close(file);
    }
    Error replace(const fs::path& replacement, const fs::path& target,
                  const fs::path& backup) override
    {
        calls.push_back("replace " + role(replacement) + " " + role(target));
        return FileCalls::replace(replacement, target, backup);
    }
    Error move(const fs::path& from, const fs::path& to) override
    {
        calls.push_back("move " + role(from) + " " + role(to));
        return FileCalls::move(from, to);
    }
    Error remove(const fs::path& path) override
    {
        calls.push_back("remove " + role(path));
        return FileCalls::remove(path);
    }
    Error flushFolder(const fs::path& folder) override
    {
        calls.push_back("flushFolder " + role(folder));
        return FileCalls::flushFolder(folder);
    }

    std::vector<std::string> calls;
    std::string written;

private:
    std::string role(const fs::path& path) const
    {
        std::error_code missing;
        return path == m_target                                        ? "settings"
               : fs::equivalent(path, m_target.parent_path(), missing) ? "folder"
                                                                       : "other";
    }
    fs::path m_target;
};

// A power cut keeps only what reached the disk: the new file's content must
// be there before its name is, and on POSIX the name itself after it.
TEST(SaveFile, writesFlushesAndClosesTheNewFileBeforeItTakesTheName)
{
    using Calls = std::vector<std::string>;
#ifdef _WIN32
    const Calls replacing = {
        "write", "flush", "close", "move other other", "replace other settings", "remove other"};
    const Calls making = {"write", "flush", "close", "move other other", "move other settings"};
#else
    const Calls replacing = {"write", "flush", "close", "replace other settings",
                             "flushFolder folder"};
    const Calls making = replacing;
#endif
    for (const bool exists : {true, false}) {
        TempFolder folder;
        const fs::path path = SettingsPath(folder.path(), "simbols");
        if (exists) {
            writeBytes(path, "old\r\n");
        }
        RecordingCalls calls(path);
        {
            const UsingFileCalls seam(calls);
            SaveFile(u"new", path);
        }
        EXPECT_EQ(calls.calls, exists ? replacing : making) << exists;
        EXPECT_EQ(calls.written, "new\r\n");
        EXPECT_EQ(readBytes(path), "new\r\n");
#ifdef _WIN32
        // ReplaceFileW replaces a read-only file on Windows, not under Wine:
        // the program's own check must refuse it before any call.
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        calls.calls.clear();
        const UsingFileCalls seam(calls);
        try {
            SaveFile(u"newer", path);
            ADD_FAILURE() << "no error";
        } catch (const StorageError& error) {
            EXPECT_EQ(error.path(), path);
        }
        EXPECT_EQ(calls.calls, Calls{});
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(readBytes(path), "new\r\n");
#endif
    }
}

#ifdef _WIN32
// Fails replace and move as scripted, doing to the files what ReplaceFileW
// does when it fails in that way; pauses are only counted.
class FailingCalls final : public FileCalls {
public:
    enum class Replace { Succeeds, SharingViolation, TakesTheOldAway, MovesTheOldToBackup, Fails };

    Error replace(const fs::path& replacement, const fs::path& target,
                  const fs::path& backup) override
    {
        ++replaces;
        const Replace next = script.empty() ? Replace::Succeeds : script.front();
        if (script.size() > 1) {
            script.pop_front();
        }
        switch (next) {
        case Replace::Succeeds:
            return FileCalls::replace(replacement, target, backup);
        case Replace::SharingViolation:
            return ERROR_SHARING_VIOLATION;
        case Replace::TakesTheOldAway:
            FileCalls::remove(target);
            return ERROR_UNABLE_TO_MOVE_REPLACEMENT;
        case Replace::MovesTheOldToBackup:
            FileCalls::move(target, backup);
            return ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
        case Replace::Fails:
            return ERROR_UNABLE_TO_MOVE_REPLACEMENT;
        }
        return ERROR_INVALID_FUNCTION;
    }
    // Only moves onto the settings file fail.
    Error move(const fs::path& from, const fs::path& to) override
    {
        const bool movable =
            to.filename() != "simbols" || (readBytes(from) == "new\r\n" ? newMoves : oldMoves);
        return movable ? FileCalls::move(from, to) : ERROR_SHARING_VIOLATION;
    }
    // A scanner holds the file for the first opens, or reads, to read it.
    Error open(const fs::path& path, Handle& file) override
    {
        ++opens;
        return heldOpens-- > 0 ? ERROR_SHARING_VIOLATION : FileCalls::open(path, file);
    }
    Error read(Handle file, std::span<char> buffer, std::size_t& got) override
    {
        ++reads;
        return heldReads-- > 0 ? ERROR_LOCK_VIOLATION : FileCalls::read(file, buffer, got);
    }
    void pause(std::chrono::milliseconds time) override { paused += time; }

    int heldOpens = 0;
    int heldReads = 0;
    int opens = 0;
    int reads = 0;
    std::deque<Replace> script; // the last step repeats
    bool newMoves = true;       // the new file can be moved
    bool oldMoves = true;       // the old one can
    int replaces = 0;
    std::chrono::milliseconds paused{0};
};

std::vector<std::string> leftoversIn(const fs::path& folder)
{
    std::vector<std::string> contents;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != "simbols") {
            contents.push_back(readBytes(entry.path()));
        }
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

// Sets a file's time years back, as a clock set back would.
void setBack(const fs::path& path, int years)
{
    fs::last_write_time(path, fs::last_write_time(path) - std::chrono::years(years));
}

// A process that runs until the test ends: the test program, started suspended.
struct RunningProcess {
    RunningProcess()
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        EXPECT_TRUE(CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                   nullptr, nullptr, &startup, &process));
    }
    ~RunningProcess()
    {
        TerminateProcess(process.hProcess, 0);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    PROCESS_INFORMATION process{};
};

TEST(SaveFile, replaceThatFailsPartWayFinishesOrPutsTheOldFileBack)
{
    using R = FailingCalls::Replace;
    struct Case {
        const char* name;
        std::deque<R> script;
        bool newMoves;
        bool oldMoves;
        const char* held; // the settings file afterwards; nullptr: none
        bool reported;    // the save fails with a StorageError
        std::vector<std::string> leftovers;
        int replaces;
    };
    const Case cases[] = {
        {"sharingViolationPasses",
         {R::SharingViolation, R::SharingViolation, R::Succeeds},
         true,
         true,
         "new\r\n",
         false,
         {},
         3},
        {"sharingViolationLasts", {R::SharingViolation}, true, true, "old\r\n", true, {}, 5},
        {"oldGoneNewUnderTemporaryName", {R::TakesTheOldAway}, true, true, "new\r\n", false, {}, 1},
        {"bothKeepTheirNames", {R::Fails}, true, true, "old\r\n", true, {}, 5},
        {"bothKeepTheirNamesOnce", {R::Fails, R::Succeeds}, true, true, "new\r\n", false, {}, 2},
        {"oldUnderBackupName", {R::MovesTheOldToBackup}, true, true, "new\r\n", false, {}, 1},
        {"newCannotMoveOldPutBack", {R::MovesTheOldToBackup}, false, true, "old\r\n", true, {}, 1},
        {"nothingMoves",
         {R::MovesTheOldToBackup},
         false,
         false,
         nullptr,
         true,
         {"new\r\n", "old\r\n"},
         1},
    };
    const RunningProcess running;
    for (const Case& c : cases) {
        TempFolder folder;
        const fs::path path = SettingsPath(folder.path(), "simbols");
        writeBytes(path, "old\r\n");
        FailingCalls calls;
        calls.script = c.script;
        calls.newMoves = c.newMoves;
        calls.oldMoves = c.oldMoves;
        std::string reason;
        {
            const UsingFileCalls seam(calls);
            try {
                SaveFile(u"new", path);
            } catch (const StorageError& error) {
                reason = error.reason();
            }
        }
        EXPECT_EQ(!reason.empty(), c.reported) << c.name;
        EXPECT_EQ(fs::exists(path) ? readBytes(path) : "(none)", c.held ? c.held : "(none)")
            << c.name;
        EXPECT_EQ(leftoversIn(folder.path()), c.leftovers) << c.name;
        EXPECT_EQ(calls.replaces, c.replaces) << c.name;
        EXPECT_LT(calls.paused, std::chrono::seconds(1)) << c.name;
        // A set that is nowhere but in a leftover is named in the message.
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().filename() != "simbols") {
                EXPECT_NE(reason.find(entry.path().filename().string()), std::string::npos)
                    << c.name << ": " << reason;
            }
        }
        // Before the next run, the clock gives the new set of an unfinished
        // replace the older time of the two, and the save's process ID goes
        // to a running process, as after a restart.
        const std::string ours = "simbols.passgen-" + std::to_string(GetCurrentProcessId()) + "-";
        const std::string theirs =
            "simbols.passgen-" + std::to_string(running.process.dwProcessId) + "-";
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            if (!c.held && name.starts_with(ours)) {
                if (name.ends_with(".new")) {
                    setBack(entry.path(), 20);
                }
                fs::rename(entry.path(), folder.path() / (theirs + name.substr(ours.size())));
            }
        }
        // The next run puts the newest whole copy in place and says so once,
        // passing over a newer one that a killed save may have cut short, an
        // older save's, and the user's own newer copy; the saves of that run
        // and the one after keep it, and the copies no run has put back.
        const auto beside = [&](const char* suffix) {
            return folder.path() / (path.filename().string() + suffix);
        };
        writeBytes(beside(".passgen-4294967280-0.tmp"), "cut\r\n"); // no such process
        writeBytes(beside(".passgen-4294967280-1.new"), "older\r\n");
        setBack(beside(".passgen-4294967280-1.new"), 21);
        writeBytes(beside(".2024.05.bak"), "mine\r\n");
        if (!c.held) { // a run that cannot put it back ends before it writes anything
            const UsingFileCalls seam(calls);
            EXPECT_THROW(LoadFile(path, LoadMode::KeepLineBreaks, {}), StorageError) << c.name;
        }
        int restored = 0;
        for (int run = 0; run < 2; ++run) {
            LoadedFile seen;
            SaveFile(LoadFile(path, LoadMode::KeepLineBreaks, {}, seen), path);
            restored += seen.restoredFrom.empty() ? 0 : 1;
        }
        EXPECT_EQ(restored, c.held ? 0 : 1) << c.name;
        EXPECT_EQ(readBytes(path), c.held ? c.held : "new\r\n") << c.name;
        EXPECT_EQ(readBytes(beside(".passgen-4294967280-1.new")), "older\r\n") << c.name;
        EXPECT_EQ(readBytes(beside(".2024.05.bak")), "mine\r\n") << c.name;
    }
}

// The close reads an unchanged set's file back, which a scanner or a sync
// client may hold just then: tried again as often as a replace is
// (sharingViolationLasts), and a file still held is an error naming it. The
// start's read waits for it as well.
TEST(saveAtClose, readsBackAFileHeldForAMomentAsASaveWritesOne)
{
    struct Case {
        const char* name;
        int heldOpens;
        int heldReads;
        bool reported;
        int calls; // opens, or reads (one more at the end of the file)
    };
    const Case cases[] = {
        {"openHeldTwice", 2, 0, false, 3},
        {"readHeldTwice", 0, 2, false, 4},
        {"openHeldThroughout", 99, 0, true, 5},
        {"readHeldThroughout", 0, 99, true, 5},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const fs::path path = SettingsPath(folder.path(), "simbols");
        writeBytes(path, "old\r\n");
        LoadedFile loaded;
        LoadFile(path, LoadMode::KeepLineBreaks, {}, loaded);
        FailingCalls calls;
        calls.heldOpens = c.heldOpens;
        calls.heldReads = c.heldReads;
        bool reported = false;
        {
            const UsingFileCalls seam(calls);
            try {
                EXPECT_EQ(saveAtClose(loaded.text, path, loaded), std::nullopt) << c.name;
            } catch (const StorageError& error) {
                reported = true;
                EXPECT_EQ(error.path(), path) << c.name;
            }
        }
        EXPECT_EQ(reported, c.reported) << c.name;
        EXPECT_EQ(c.heldOpens > 0 ? calls.opens : calls.reads, c.calls) << c.name;
        EXPECT_EQ(calls.replaces, 0) << c.name;
        EXPECT_LT(calls.paused, std::chrono::seconds(1)) << c.name;
        EXPECT_EQ(readBytes(path), "old\r\n") << c.name;

        calls.heldOpens = c.heldOpens > 0 ? 2 : 0;
        calls.heldReads = c.heldReads > 0 ? 2 : 0;
        const UsingFileCalls seam(calls);
        EXPECT_EQ(LoadFile(path, LoadMode::KeepLineBreaks, {}), u"old") << c.name;
    }
}
#endif

} // namespace
} // namespace passgen
