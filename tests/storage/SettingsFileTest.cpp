#include "storage/SettingsFile.h"
#include "storage/CodePage.h"
#include "storage/FileCalls.h"
#include "storage/FileReader.h"
#include "storage/FileSystem.h"

#include "tests/FileBytes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#ifndef _WIN32
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

class TempFolder : public testing::TempFolder {
public:
    fs::path file(const char* name) const { return SettingsPath(path(), name); }
};

struct Recorder {
    std::vector<std::u16string> messages;
    std::vector<std::u16string> titles;
    int yields = 0;
    LoadServices services{[this](std::u16string_view text, std::u16string_view title) {
                              messages.emplace_back(text);
                              titles.emplace_back(title);
                          },
                          [this] { ++yields; }};
};

std::u16string load(const fs::path& path, LoadMode mode)
{
    Recorder recorder;
    std::u16string text = LoadFile(path, mode, recorder.services);
    EXPECT_TRUE(recorder.messages.empty());
    return text;
}

struct RoundTrip {
    const char* name;
    std::u16string saved;
    std::string bytes;
    std::u16string keepBreaks; // loaded with mode 1
    std::u16string joined;     // loaded with mode 0
};

class SaveThenLoad : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SaveThenLoad, writesTheBytesAndReadsTheTextBack)
{
    const RoundTrip& c = GetParam();
    TempFolder folder;
    const fs::path path = folder.file("simbols");
    SaveFile(c.saved, path);
    EXPECT_EQ(readBytes(path), c.bytes);
    EXPECT_EQ(load(path, LoadMode::KeepLineBreaks), c.keepBreaks);
    EXPECT_EQ(load(path, LoadMode::JoinLines), c.joined);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveThenLoad,
    ::testing::Values(RoundTrip{"oneLine", u"abc", "abc\r\n", u"abc", u"abc"},
                      RoundTrip{"twoLines", u"ab\r\ncd", "ab\r\ncd\r\n", u"ab\r\ncd", u"abcd"},
                      RoundTrip{"trailingBreakKept", u"abc\r\n", "abc\r\n\r\n", u"abc\r\n", u"abc"},
                      RoundTrip{"emptyLineInside", u"ab\r\n\r\ncd", "ab\r\n\r\ncd\r\n",
                                u"ab\r\n\r\ncd", u"abcd"},
                      RoundTrip{"leadingBreakLost", u"\r\nabc", "\r\nabc\r\n", u"abc", u"abc"},
                      RoundTrip{"empty", u"", "\r\n", u"", u""},
                      RoundTrip{"cyrillic", u"Ёжик", "\xA8\xE6\xE8\xEA\r\n", u"Ёжик", u"Ёжик"},
                      RoundTrip{"nulKept", std::u16string(u"a\0b", 3), std::string("a\0b\r\n", 5),
                                std::u16string(u"a\0b", 3), std::u16string(u"a\0b", 3)},
                      RoundTrip{"unrepresentableBecomesSubstitute", u"a€☺😀z", "a\x88??z\r\n",
                                u"a€??z", u"a€??z"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadFile, splitsLoneCrAndLoneLfIntoLines)
{
    struct Case {
        std::string bytes;
        std::u16string keepBreaks;
    };
    const Case cases[] = {
        {"a\nb\n", u"a\r\nb"},         {"a\rb", u"a\r\nb"},   {"a\n\rb", u"a\r\n\r\nb"},
        {"a\r\n\r\nb", u"a\r\n\r\nb"}, {"\n\n\nabc", u"abc"}, {"", u""},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        writeBytes(folder.file("simbols"), c.bytes);
        EXPECT_EQ(load(folder.file("simbols"), LoadMode::KeepLineBreaks), c.keepBreaks) << c.bytes;
    }
}

TEST(LoadFile, missingFileOrDirectoryReadsAsEmpty)
{
    TempFolder folder;
    EXPECT_EQ(load(folder.file("simbols"), LoadMode::KeepLineBreaks), u"");
    fs::create_directory(folder.file("simbols"));
    EXPECT_EQ(load(folder.file("simbols"), LoadMode::KeepLineBreaks), u"");
    EXPECT_EQ(load(folder.path() / "no-such-folder" / "simbols", LoadMode::JoinLines), u"");
}

TEST(LoadFile, yieldsOncePerLine)
{
    TempFolder folder;
    writeBytes(folder.file("simbols"), "a\r\n\r\nb\r\nc");
    Recorder recorder;
    LoadFile(folder.file("simbols"), LoadMode::KeepLineBreaks, recorder.services);
    EXPECT_EQ(recorder.yields, 4);
}

TEST(LoadFile, everyByteSurvivesALoadAndASave)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\r' && byte != '\n') {
            all += static_cast<char>(byte);
        }
    }
    TempFolder folder;
    writeBytes(folder.file("simbols"), all + "\r\n");
    const std::u16string text = load(folder.file("simbols"), LoadMode::KeepLineBreaks);
    EXPECT_EQ(text.size(), all.size());
    SaveFile(text, folder.file("excluds"));
    EXPECT_EQ(readBytes(folder.file("excluds")), all + "\r\n");
}

TEST(LoadFile, longFileReadsWhole)
{
    std::string bytes;
    std::u16string expected;
    for (int i = 0; i < 20000; ++i) {
        bytes += "line" + std::to_string(i) + "\r\n";
        expected += u"line";
        for (const char c : std::to_string(i)) {
            expected += static_cast<char16_t>(c);
        }
    }
    TempFolder folder;
    writeBytes(folder.file("excluds"), bytes);
    EXPECT_EQ(load(folder.file("excluds"), LoadMode::JoinLines), expected);
}

#ifndef _WIN32 // symbolic links need extra rights on Windows
TEST(LoadFile, fileThatCannotBeTestedIsAnErrorNamingIt)
{
    TempFolder folder;
    const fs::path loop = folder.file("simbols");
    fs::create_symlink(loop, loop); // fails the lookup even for root
    try {
        load(loop, LoadMode::KeepLineBreaks);
        FAIL() << "no error";
    } catch (const StorageError& error) {
        EXPECT_EQ(error.path(), loop);
        EXPECT_NE(std::string(error.what()).find(loop.string()), std::string::npos);
        EXPECT_FALSE(error.reason().empty());
    }
    // Found, but not opened: a file of another user that this one may not
    // read, in a folder it may look into. As root, the child is user 65534.
    const fs::path file = folder.file("excluds");
    writeBytes(file, "x\r\n");
    const bool root = ::geteuid() == 0;
    fs::permissions(file, root ? fs::perms::owner_read | fs::perms::owner_write : fs::perms::none);
    fs::permissions(folder.path(), fs::perms::others_exec, fs::perm_options::add);
    const pid_t child = ::fork();
    if (child == 0) {
        if (root &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
        try {
            load(file, LoadMode::JoinLines);
            ::_exit(4);
        } catch (const StorageError& error) {
            ::_exit(error.path() == file && error.reason() == std::strerror(EACCES) ? 0 : 5);
        }
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

#endif

// A file whose reads fail as scripted: "ok:<bytes>" delivers, "fail" throws.
class ScriptedReader final : public FileReader {
public:
    explicit ScriptedReader(std::deque<std::string> script, bool closeFails = false)
        : m_script(std::move(script)), m_closeFails(closeFails)
    {}
    std::size_t read(std::span<char> buffer) override
    {
        ++reads;
        if (m_script.empty()) {
            return 0;
        }
        const std::string step = m_script.front();
        m_script.pop_front();
        if (step == "fail") {
            throw StorageError("simbols", "Input/output error");
        }
        const std::string bytes = step.substr(3);
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        return bytes.size();
    }
    void close() override
    {
        ++closes;
        if (m_closeFails) {
            throw StorageError("simbols", "Bad file descriptor");
        }
    }
    int reads = 0;
    int closes = 0;

private:
    std::deque<std::string> m_script;
    bool m_closeFails;
};

TEST(LoadFile, readErrorIsReportedAndTheReadRetried)
{
    ScriptedReader reader({"ok:ab\r\n", "fail", "ok:cd\r\n"});
    Recorder recorder;
    const LoadedFile loaded = readSettings(reader, LoadMode::KeepLineBreaks, recorder.services);
    EXPECT_EQ(loaded.text, u"ab\r\ncd");
    EXPECT_EQ(loaded.bytes, "ab\r\ncd\r\n");
    EXPECT_TRUE(loaded.complete);
    EXPECT_EQ(recorder.messages, (std::vector<std::u16string>{u"simbols: Input/output error"}));
    EXPECT_EQ(recorder.titles, (std::vector<std::u16string>{u"Error"}));
    EXPECT_EQ(reader.closes, 1);
}

TEST(LoadFile, readErrorThatRecursEndsWithWhatWasRead)
{
    ScriptedReader reader({"ok:ab\r\ncd", "fail", "fail", "ok:never"});
    Recorder recorder;
    const LoadedFile loaded = readSettings(reader, LoadMode::KeepLineBreaks, recorder.services);
    // The unfinished line "cd" was not handled yet, so it is not part of the text.
    EXPECT_EQ(loaded.text, u"ab");
    EXPECT_FALSE(loaded.complete); // so the close does not save it over the whole file
    EXPECT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(reader.reads, 3);
    EXPECT_EQ(reader.closes, 1);
}

TEST(LoadFile, closeErrorIsReportedOnceAndTheTextKept)
{
    ScriptedReader reader({"ok:abc"}, true);
    Recorder recorder;
    EXPECT_EQ(readSettings(reader, LoadMode::JoinLines, recorder.services).text, u"abc");
    EXPECT_EQ(recorder.messages, (std::vector<std::u16string>{u"simbols: Bad file descriptor"}));
    EXPECT_EQ(reader.closes, 1);
}

TEST(LoadFile, lineEndSplitAcrossReads)
{
    ScriptedReader reader({"ok:ab\r", "ok:\ncd\r", "ok:\n"});
    Recorder recorder;
    EXPECT_EQ(readSettings(reader, LoadMode::KeepLineBreaks, recorder.services).text, u"ab\r\ncd");
}

TEST(SaveFile, replacesAnExistingFileWholeKeepingItsPermissions)
{
    using enum fs::perms;
    for (const fs::perms kept : {owner_read | owner_write, owner_read | owner_write | group_read}) {
        TempFolder folder;
        SaveFile(u"a much longer symbol set than the next one", folder.file("simbols"));
        fs::permissions(folder.file("simbols"), kept);
        SaveFile(u"xy", folder.file("simbols"));
        EXPECT_EQ(readBytes(folder.file("simbols")), "xy\r\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()),
                  1);
#ifndef _WIN32 // where files have no such permissions
        EXPECT_EQ(fs::status(folder.file("simbols")).permissions(), kept);
#endif
    }
}

TEST(SaveFile, failureNamesTheFileLeavesItIntactAndNoTemporary)
{
    struct Case {
        const char* name;
        std::function<fs::path(const TempFolder&)> prepare;
    };
    const Case cases[] = {
        {"targetIsADirectory",
         [](const TempFolder& f) {
             fs::create_directory(f.file("simbols"));
             writeBytes(f.file("simbols") / "inside", "old");
             return f.file("simbols");
         }},
        {"folderMissing", [](const TempFolder& f) { return f.path() / "gone" / "simbols"; }},
        {"folderIsAFile",
         [](const TempFolder& f) {
             writeBytes(f.path() / "plain", "old");
             return SettingsPath(f.path() / "plain", "simbols");
         }},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const fs::path target = c.prepare(folder);
        const auto before = std::distance(fs::recursive_directory_iterator(folder.path()),
                                          fs::recursive_directory_iterator());
        try {
            SaveFile(u"new", target);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const StorageError& error) {
            EXPECT_EQ(error.path(), target) << c.name;
            EXPECT_FALSE(error.reason().empty()) << c.name;
        }
        EXPECT_EQ(std::distance(fs::recursive_directory_iterator(folder.path()),
                                fs::recursive_directory_iterator()),
                  before)
            << c.name;
    }
}

// What a save falls back to in a folder where no new file may be made.
TEST(overwriteFile, writesInPlaceAndCutsToTheNewLength)
{
    TempFolder folder;
    const fs::path path = folder.file("simbols");
    writeBytes(path, "a much longer old set\r\n");
    overwriteFile(path, "short\r\n");
    EXPECT_EQ(readBytes(path), "short\r\n");
    overwriteFile(path, "a longer set than before\r\n");
    EXPECT_EQ(readBytes(path), "a longer set than before\r\n");
    EXPECT_THROW(overwriteFile(folder.file("excluds"), "new\r\n"), StorageError);
    EXPECT_FALSE(fs::exists(folder.file("excluds")));
#ifndef _WIN32
    // Growing it fails before a byte of it is overwritten: it stands as it was.
    struct sigaction ignore {
    }, saved{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &saved);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    rlimit small = limit;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    try {
        overwriteFile(path, std::string(64, 'x'));
        ADD_FAILURE() << "no error";
    } catch (const StorageError& error) {
        EXPECT_EQ(error.reason(), std::strerror(EFBIG));
        EXPECT_TRUE(error.oldFileStands());
    }
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::sigaction(SIGXFSZ, &saved, nullptr);
    EXPECT_EQ(readBytes(path), "a longer set than before\r\n");
    // A write that fails once it has begun may leave it partly written.
    class FailingWrites final : public FileCalls {
        Error write(Handle, std::string_view, std::size_t&) override { return EIO; }
    } failingWrites;
    const UsingFileCalls seam(failingWrites);
    try {
        overwriteFile(path, "new\r\n");
        ADD_FAILURE() << "no error";
    } catch (const StorageError& error) {
        EXPECT_EQ(error.reason(),
                  std::string(std::strerror(EIO)) + "; файл мог остаться записанным не до конца");
        EXPECT_FALSE(error.oldFileStands());
    }
#endif
}

#ifndef _WIN32
std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SaveFile, newFileGetsWhatAnyNewFileGets)
{
    TempFolder folder;
    // Not the usual 022, whose result a fixed 0644 would give as well.
    const mode_t saved = ::umask(027);
    for (const char* name : {"simbols", "excluds"}) {
        SaveFile(u"new", folder.file(name));
        EXPECT_EQ(fs::status(folder.file(name)).permissions(), fs::perms(0640)) << name;
    }
    ::umask(saved);
}
TEST(SaveFile, writesThroughASymbolicLinkWhichStaysALink)
{
    struct Case {
        const char* name;
        const char* linkTo; // relative to the settings folder, or absolute
        bool chained;       // through a second link in the synced folder
    };
    const Case cases[] = {
        {"relative", "synced/simbols", false},
        {"absolute", "", false},
        {"chain", "synced/link", true},
        {"dangling", "synced/simbols", false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const fs::path synced = folder.path() / "synced";
        fs::create_directory(synced);
        const fs::path target = synced / "simbols";
        if (std::string_view(c.name) != "dangling") {
            writeBytes(target, "old\r\n");
        }
        if (c.chained) {
            fs::create_symlink("simbols", synced / "link");
        }
        fs::create_symlink(*c.linkTo ? fs::path(c.linkTo) : target, folder.file("simbols"));
        SaveFile(u"new", folder.file("simbols"));
        EXPECT_TRUE(fs::is_symlink(folder.file("simbols"))) << c.name;
        EXPECT_EQ(readBytes(target), "new\r\n") << c.name;
        EXPECT_EQ(namesIn(synced).size(), c.chained ? 2u : 1u) << c.name; // no temporary
    }
}

TEST(SaveFile, removesTemporariesOfProcessesThatAreGone)
{
    TempFolder folder;
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ::waitpid(gone, nullptr, 0);
    const auto temporary = [](const char* name, pid_t process) {
        return "." + std::string(name) + "." + std::to_string(process) + ".Ab12Cd";
    };
    const std::string stale = temporary("simbols", gone);
    const std::vector<std::string> kept = {
        temporary("simbols", ::getppid()), // its process may still be saving
        temporary("excluds", gone),        // the other file's
        ".simbols.old",                    // not a temporary
    };
    for (const std::string& name : kept) {
        writeBytes(folder.path() / name, "x");
    }
    writeBytes(folder.path() / stale, "partial");
    SaveFile(u"new", folder.file("simbols"));
    std::vector<std::string> expected = kept;
    expected.push_back("simbols");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(folder.path()), expected);
}

struct SavedInChild {
    int status;         // 0 saved, 1 a StorageError naming the path, 2 anything else
    std::string reason; // the StorageError's
};

// Saves text to path in a child process once prepare has run there, which
// may also end the child with a status of its own.
SavedInChild saveInChild(const std::u16string& text, const fs::path& path,
                         const std::function<void()>& prepare)
{
    int reason[2];
    EXPECT_EQ(::pipe(reason), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(reason[0]);
        prepare();
        try {
            SaveFile(text, path);
            ::_exit(0);
        } catch (const StorageError& error) {
            [[maybe_unused]] const auto written =
                ::write(reason[1], error.reason().data(), error.reason().size());
            ::_exit(error.path() == path ? 1 : 2);
        } catch (...) {
            ::_exit(2);
        }
    }
    ::close(reason[1]);
    SavedInChild saved{-1, {}};
    char buffer[256];
    for (ssize_t size = 0; (size = ::read(reason[0], buffer, sizeof buffer)) > 0;) {
        saved.reason.append(buffer, static_cast<std::size_t>(size));
    }
    ::close(reason[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    saved.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return saved;
}

#ifndef __SANITIZE_ADDRESS__ // which needs more address space than the limit below leaves
TEST(SaveFile, failureOfAnyKindIsAnErrorNamingTheFile)
{
    TempFolder folder;
    const fs::path path = folder.file("simbols");
    writeBytes(path, "old\r\n");
    const std::u16string set(64u << 20, u'a');
    // Memory runs out while the set is converted: the address space is
    // limited to what the child holds now and less than the set's bytes.
    const SavedInChild saved = saveInChild(set, path, [] {
        std::ifstream statm("/proc/self/statm");
        std::size_t pages = 0;
        statm >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (32u << 20);
        const rlimit space{limit, limit};
        ::setrlimit(RLIMIT_AS, &space);
    });
    EXPECT_EQ(saved.status, 1);
    EXPECT_EQ(saved.reason, std::bad_alloc().what());
    EXPECT_EQ(readBytes(path), "old\r\n");
}
#endif

// Saves text to path in a child process whose user may create files in the
// folder or not, as folderTakesNewFiles says: as root, the child becomes the
// unprivileged user 65534, whom the folder is given or for whom it is not
// writable; otherwise the folder is made read-only or left as it is.
SavedInChild saveAsUnprivileged(const std::u16string& text, const fs::path& path,
                                bool folderTakesNewFiles)
{
    const fs::path folder = path.parent_path();
    const bool root = ::geteuid() == 0;
    if (root && folderTakesNewFiles) {
        EXPECT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    }
    if (!root && !folderTakesNewFiles) {
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
    }
    const SavedInChild saved = saveInChild(text, path, [root] {
        if (root &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
    });
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    if (root) {
        EXPECT_EQ(::chown(folder.c_str(), 0, 0), 0);
    }
    EXPECT_NE(saved.status, 3) << "cannot drop privileges";
    return saved;
}

TEST(SaveFile, unprivilegedUserWritesWhatItMayAndKeepsWhatItMayNot)
{
    using enum fs::perms;
    TempFolder folder;
    const fs::path simbols = folder.file("simbols");
    writeBytes(simbols, "a much longer old set\r\n");
    fs::permissions(simbols, owner_read | owner_write | group_read | others_read);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(simbols.c_str(), 65534, 65534), 0);
    }
    // In a folder that takes no new file, the file is written in place.
    EXPECT_EQ(saveAsUnprivileged(u"short", simbols, false).status, 0);
    EXPECT_EQ(readBytes(simbols), "short\r\n");
    EXPECT_EQ(fs::status(simbols).permissions(),
              owner_read | owner_write | group_read | others_read);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"simbols"});

    // A missing file cannot be made there either: the error names it and why.
    const SavedInChild missing = saveAsUnprivileged(u"new", folder.file("excluds"), false);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.reason, std::strerror(EACCES));
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"simbols"});

    // A write-protected file is kept, though the folder would let a new file
    // be renamed over it.
    fs::permissions(simbols, owner_read | group_read | others_read);
    const SavedInChild protectedFile = saveAsUnprivileged(u"new", simbols, true);
    EXPECT_EQ(protectedFile.status, 1);
    EXPECT_EQ(protectedFile.reason, std::strerror(EACCES));
    EXPECT_EQ(readBytes(simbols), "short\r\n");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"simbols"});
}
#endif

TEST(SettingsPath, appendsTheSeparatorAndTheNameUnchecked)
{
#ifdef _WIN32
    EXPECT_EQ(SettingsPath(L"C:\\prog", "simbols").native(), L"C:\\prog\\simbols");
    EXPECT_EQ(SettingsPath(L"C:\\", "excluds").native(), L"C:\\\\excluds");
#else
    EXPECT_EQ(SettingsPath("/opt/prog", "simbols").native(), "/opt/prog/simbols");
    EXPECT_EQ(SettingsPath("/", "excluds").native(), "//excluds");
#endif
}

TEST(CodePage, convertsBothWaysThroughTheEightBitTable)
{
    EXPECT_EQ(toCodePage(u"Aя№"), "A\xFF\xB9");
    EXPECT_EQ(fromCodePage("A\xFF\xB9"), u"Aя№");
    EXPECT_EQ(toCodePage(u"\xD800"), "?");                // lone surrogate
    EXPECT_EQ(toCodePage(u"\U0001F600\U0001F600"), "??"); // one substitute per character
    EXPECT_EQ(toCodePage(u"\U00010000\U0010FFFF"), "??"); // the first and the last of them
    // What a save would turn into "?": each once, a pair as one, "?" itself kept.
    EXPECT_EQ(unsavable(u"Aä\U0001F600я\xD800ä\U0001F600?\r\nß"), u"ä\U0001F600\xD800ß");
    EXPECT_EQ(unsavable(std::u16string(u"abc№€\t\0", 7)), u"");
    EXPECT_EQ(unsavable(u"äxöx"), u"äö"); // each character counts by itself
    EXPECT_EQ(unsavable(u"\U0001F600x\U0001F600"), u"\U0001F600"); // also at the end
}

} // namespace
} // namespace passgen
