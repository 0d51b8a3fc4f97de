#include "storage/SaveAtClose.h"
#include "storage/FileCalls.h"

#include "tests/FileBytes.h"

#include <gtest/gtest.h>

#include <clocale>
#include <functional>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

// Counts a save's writes, and lets another copy of the program save as soon
// as this one has closed a file, its read-back first: as when both close at
// a log-off.
class OtherCopyBetween final : public FileCalls {
public:
    Error close(Handle file) override
    {
        const Error error = FileCalls::close(file);
        if (const std::function<void()> save = std::exchange(otherCopy, nullptr)) {
            FileCalls itsOwn;
            const UsingFileCalls seam(itsOwn);
            save();
        }
        return error;
    }
    Error write(Handle file, std::string_view bytes, std::size_t& written) override
    {
        ++writes;
        return FileCalls::write(file, bytes, written);
    }
    std::function<void()> otherCopy;
    int writes = 0;
};

TEST(saveAtClose, writesTheSetUnlessItsFileHoldsWhatTheSetLacks)
{
    struct Case {
        const char* name;
        const char* atLoad;               // the file when the run started; nullptr: none
        const char* atClose;              // the file when it ends
        const char16_t* edited = nullptr; // the set as the user left it
        bool cutShort = false;            // the load gave up after repeated read errors
        bool notInCodePage = false;
        std::optional<KeptBecause> kept{};
        bool alreadyThere = false; // the file holds the set's bytes: nothing is written
        // Another copy's edit, saved once this one has read the file back.
        const char16_t* otherCopySaves = nullptr;
    };
    const Case cases[] = {
        {"unchangedFileNotWrittenAgain", "ab\r\n", "ab\r\n", nullptr, false, false, {}, true},
        {"editThatTheFileHoldsNotWritten", "ab\r\n", "mine\r\n", u"mine", false, false, {}, true},
        {"anotherCopysEditSavedMeanwhileKept",
         "ab\r\n",
         "ab\r\n",
         nullptr,
         false,
         false,
         {},
         true,
         u"other copy"},
        {"unchangedFileRewritten", "ab\ncd", "ab\ncd"},
        {"missingFileMade", nullptr, nullptr},
        {"fileRemovedSinceMadeAgain", "ab\r\n", nullptr},
        {"editsWinOverAnotherCopys", "ab\r\n", "other copy\r\n", u"mine"},
        {"editsOfAPartlyReadSetWritten", "ab\r\ncd\r\n", "ab\r\ncd\r\n", u"mine", true},
        {"anotherCopysEditsKept", "ab\r\n", "other copy\r\n", nullptr, false, false,
         KeptBecause::ChangedSinceLoad},
        {"fileMadeSinceStartKept", nullptr, "other copy\r\n", nullptr, false, false,
         KeptBecause::ChangedSinceLoad},
        {"partlyReadFileKept", "ab\r\ncd\r\n", "ab\r\ncd\r\n", nullptr, true, false,
         KeptBecause::ReadCutShort},
        {"fileOfAnotherCodePageKept", "ab\r\n", "ab\r\n", nullptr, false, true,
         KeptBecause::NotInCodePage},
        {"fileEmptiedSinceKept", "ab\r\ncd\r\n", "", nullptr, false, false,
         KeptBecause::ChangedSinceLoad},
        {"fileShortenedSinceKept", "ab\r\ncd\r\n", "ab\r\n", nullptr, false, false,
         KeptBecause::ChangedSinceLoad},
        {"fileGrownSinceKept", "ab\r\n", "ab\r\ncd\r\n", nullptr, false, false,
         KeptBecause::ChangedSinceLoad},
    };
    for (const Case& c : cases) {
        testing::TempFolder folder;
        const fs::path path = SettingsPath(folder.path(), "simbols");
        if (c.atLoad) {
            writeBytes(path, c.atLoad);
        }
        LoadedFile loaded;
        LoadFile(path, LoadMode::KeepLineBreaks, {}, loaded);
        if (c.cutShort) {
            loaded.complete = false;
            loaded.bytes.resize(5);
            loaded.text = u"ab";
        }
        loaded.decodedCleanly = !c.notInCodePage;
        if (c.atClose) {
            writeBytes(path, c.atClose);
        } else {
            fs::remove(path);
        }
        const std::u16string set = c.edited ? c.edited : loaded.text;
        OtherCopyBetween calls;
        const UsingFileCalls seam(calls);
        if (c.otherCopySaves) {
            calls.otherCopy = [&, theirs = loaded]() mutable {
                saveAtClose(c.otherCopySaves, path, theirs);
            };
        }

        EXPECT_EQ(saveAtClose(set, path, loaded), c.kept) << c.name;
        EXPECT_EQ(readBytes(path), c.otherCopySaves ? settingsBytes(c.otherCopySaves)
                                   : c.kept         ? c.atClose
                                                    : settingsBytes(set))
            << c.name;
        EXPECT_EQ(calls.writes, c.kept || c.alreadyThere ? 0 : 1) << c.name;
        // Another save of the run, as a log-off's query saves before the
        // close, compares against what this one left: the file holds the set.
        if (!c.kept && !c.otherCopySaves) {
            EXPECT_EQ(saveAtClose(set, path, loaded), std::nullopt) << c.name;
            EXPECT_EQ(calls.writes, c.alreadyThere ? 0 : 1) << c.name;
        }
    }
}

// Hidden, system, or no file at all: the load read nothing and the set
// started empty, which says nothing about what the file holds.
TEST(saveAtClose, keepsWhatTheLoadPassedOverUnlessTheSetWasChanged)
{
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> passOver;
        bool isFile; // one that a changed set replaces
    };
    std::vector<Case> cases = {
        {"folder", [](const fs::path& path) { fs::create_directory(path); }, false}};
#ifdef _WIN32
    for (const DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        cases.push_back({attribute == FILE_ATTRIBUTE_HIDDEN ? "hidden" : "system",
                         [attribute](const fs::path& path) {
                             writeBytes(path, "abc123\r\n");
                             SetFileAttributesW(path.c_str(), attribute);
                         },
                         true});
    }
#else
    cases.push_back({"fifo", [](const fs::path& path) { ::mkfifo(path.c_str(), 0600); }, false});
#endif
    for (const Case& c : cases) {
        testing::TempFolder folder;
        const fs::path path = SettingsPath(folder.path(), "simbols");
        c.passOver(path);
        LoadedFile loaded;
        ASSERT_EQ(LoadFile(path, LoadMode::KeepLineBreaks, {}, loaded), u"") << c.name;

        EXPECT_EQ(saveAtClose(u"", path, loaded), KeptBecause::NotRead) << c.name;
        EXPECT_EQ(fs::is_regular_file(path), c.isFile) << c.name;
        if (c.isFile) {
            EXPECT_EQ(readBytes(path), "abc123\r\n") << c.name;
            EXPECT_EQ(saveAtClose(u"edited", path, loaded), std::nullopt) << c.name;
            EXPECT_EQ(readBytes(path), "edited\r\n") << c.name;
        }
    }
}

#ifndef _WIN32 // symbolic links need extra rights on Windows
TEST(saveAtClose, fileThatCannotBeReadBackIsAnErrorNamingIt)
{
    testing::TempFolder folder;
    const fs::path path = SettingsPath(folder.path(), "simbols");
    writeBytes(path, "ab\r\n");
    LoadedFile loaded;
    LoadFile(path, LoadMode::KeepLineBreaks, {}, loaded);
    fs::remove(path);
    fs::create_symlink(path, path); // fails the lookup even for root
    try {
        saveAtClose(loaded.text, path, loaded);
        FAIL() << "no error";
    } catch (const StorageError& error) {
        EXPECT_EQ(error.path(), path);
    }
}
#endif

TEST(StorageError, messageDecodesTheReasonAsItWasEncoded)
{
    // UTF-8 is how Windows reasons are kept, and the locale's character set
    // here; Qt sets the locale from the environment as the program starts.
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C.UTF-8");
    EXPECT_EQ(StorageError("simbols", "Отказано в доступе").message(),
              u"simbols: Отказано в доступе");
    EXPECT_EQ(StorageError("simbols", "bad \xD0 byte").message(), u"simbols: bad \uFFFD byte");
    EXPECT_EQ(StorageError("simbols", "smile \xF0\x9F\x98\x80").message(),
              u"simbols: smile \U0001F600");
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
} // namespace passgen
