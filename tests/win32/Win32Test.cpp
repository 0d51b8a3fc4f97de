#include "generation/OsRandomSource.h"
#include "storage/CodePage.h"
#include "storage/CodePage_win.h"
#include "storage/SettingsFile.h"

#include <windows.h>

#include "tests/FileBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;

class Folder : public ::testing::Test {
protected:
    fs::path file(const char* name) const { return SettingsPath(path, name); }
    testing::TempFolder temporary;
    const fs::path path = temporary.path();
    LoadServices services{[](std::u16string_view, std::u16string_view) {}, [] {}};
};

// The test script sets the prefix's ANSI code page to 1251.
TEST(AnsiCodePage, convertsThroughTheSystemCodePage)
{
    ASSERT_EQ(GetACP(), 1251u);
    EXPECT_EQ(toCodePage(u"Aя№Ё"), "A\xFF\xB9\xA8");
    EXPECT_EQ(fromCodePage("A\xFF\xB9\xA8"), u"Aя№Ё");
    EXPECT_EQ(toCodePage(u"a☺z"), "a?z");
    EXPECT_EQ(toCodePage(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(AnsiCodePage, everyByteOfTheCodePageRoundTrips)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    EXPECT_EQ(toCodePage(fromCodePage(all)), all);
}

// The ANSI code pages a Windows system may have, UTF-8 among them.
TEST(AnsiCodePage, eachCodePageConvertsWithoutLookAlikesAndBack)
{
    struct Case {
        unsigned codePage;
        std::string bytes;      // of u"Aя€😀", a lone surrogate, "z"
        std::u16string back;    // those bytes read again
        std::u16string refused; // what the settings window refuses of the text
    };
    const Case cases[] = {
        {1251, "A\xFF\x88??z", u"Aя€??z", u"😀\xD800"},
        {1252, "A?\x80??z", u"A?€??z", u"я😀\xD800"},
        {932,
         "A\x84\x91??"
         "?z",
         u"Aя???z", u"€😀\xD800"},
        {65001, "A\xD1\x8F\xE2\x82\xAC\xF0\x9F\x98\x80?z", u"Aя€😀?z", u"\xD800"},
    };
    const std::u16string text = u"Aя€😀\xD800z";
    EXPECT_EQ(unsavable(text), u"😀\xD800"); // the prefix's code page, 1251
    for (const Case& c : cases) {
        EXPECT_EQ(toCodePage(text, c.codePage), c.bytes) << c.codePage;
        EXPECT_EQ(fromCodePage(c.bytes, c.codePage), c.back) << c.codePage;
        EXPECT_EQ(unsavable(text + u"?",
                            [&](std::u16string_view character) {
                                return inCodePage(character, c.codePage);
                            }),
                  c.refused)
            << c.codePage;
        if (c.codePage != 65001) {
            EXPECT_EQ(toCodePage(u"a☺z", c.codePage), "a?z") << c.codePage; // no "O" look-alike
        }
    }
}

TEST(AnsiCodePage, bytesOfAnotherCodePageDoNotDecodeCleanly)
{
    struct Case {
        unsigned codePage;
        std::string bytes;
        bool clean;
    };
    const Case cases[] = {
        {1251, "\xC6\xE8\x98\x00", true}, // every byte is a character
        {1252, "\xC6\xE8\x81", true},     {65001, "\xD0\x96", true},
        {65001, "\xC6\xE8", false},                             // a Windows-1251 file read as UTF-8
        {932, "\x82\xA0", true},          {932, "\x82", false}, // half of a two-byte character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodesCleanly(c.bytes, c.codePage), c.clean) << c.codePage << " " << c.bytes;
    }
}

TEST_F(Folder, hiddenAndSystemFilesCountAsMissing)
{
    for (const DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        SaveFile(u"abc", file("simbols"));
        ASSERT_EQ(LoadFile(file("simbols"), LoadMode::KeepLineBreaks, services), u"abc");
        ASSERT_TRUE(SetFileAttributesW(file("simbols").c_str(), attribute));
        EXPECT_EQ(LoadFile(file("simbols"), LoadMode::KeepLineBreaks, services), u"") << attribute;
        ASSERT_TRUE(SetFileAttributesW(file("simbols").c_str(), FILE_ATTRIBUTE_NORMAL));
    }
}

TEST_F(Folder, saveReplacesAnExistingFileAndLeavesNoTemporary)
{
    SaveFile(u"a much longer text than the next one", file("excluds"));
    SaveFile(u"Жx", file("excluds"));
    EXPECT_EQ(readBytes(file("excluds")), "\xC6x\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(path), fs::directory_iterator()), 1);
}

// The system's words in the user's language: Russian in the test prefix.
std::u16string systemText(DWORD error)
{
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, GetUserDefaultUILanguage(), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message(text, text + wcslen(text));
    LocalFree(text);
    return message;
}

TEST_F(Folder, failureShowsTheSystemsOwnWords)
{
    fs::create_directory(file("simbols"));
    try {
        SaveFile(u"new", file("simbols"));
        FAIL() << "no error";
    } catch (const StorageError& error) {
        // The system's words, without the line end and full stop.
        std::u16string expected = systemText(ERROR_ACCESS_DENIED);
        ASSERT_TRUE(std::any_of(expected.begin(), expected.end(), [](char16_t c) {
            return c > 0x7F;
        })) << "the system's words are plain ASCII here, so this test proves nothing";
        expected.erase(expected.find_last_not_of(u". \r\n") + 1);
        EXPECT_EQ(error.message(), displayName(file("simbols")) + u": " + expected);
    }
}

// Until the clock that stamps files has passed the file's last write, so
// that a file written now is newer.
void waitUntilNewerThan(const fs::path& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    FILETIME now{};
    do {
        GetSystemTimeAsFileTime(&now);
    } while (CompareFileTime(&now, &data.ftLastWriteTime) <= 0);
}

// While there is no settings file, a leftover may be the only copy of a set.
// Once there is one, a save removes what ended saves left that no run needs:
// a temporary, never whole, and the old set that a finished replace put
// aside. Never a new set that no run has put back, whatever its time, nor the
// old one beside it, nor a copy the user made.
TEST_F(Folder, saveRemovesWhatSavesOfProcessesThatAreGoneLeft)
{
    const std::wstring base = file("simbols").native();
    // 4294967280: no such process.
    const std::pair<std::wstring, bool> older[] = {
        {L".passgen-4294967280-0.tmp", false},
        {L".passgen-4294967280-1.bak", false},
        {L".passgen-4294967280-2.new", true},
        {L".passgen-4294967280-3.new", true}, // a replace cut short: both sets
        {L".passgen-4294967280-3.bak", true},
        {L".old", true},
        {L".2024.05.bak", true}, // the user's dated copy
    };
    // As an ended process of this one's id left it: no save of this one takes its name.
    const std::wstring newer =
        base + L".passgen-" + std::to_wstring(GetCurrentProcessId()) + L"-0.new";
    for (const auto& [name, kept] : older) {
        testing::writeBytes(base + name, "set");
    }
    // The leftovers are older than the file.
    waitUntilNewerThan(base + older[std::size(older) - 1].first);
    SaveFile(u"new", file("simbols"));
    EXPECT_TRUE(fs::exists(base + older[0].first));
    waitUntilNewerThan(file("simbols"));
    testing::writeBytes(newer, "newer set");
    SaveFile(u"newer", file("simbols"));
    for (const auto& [name, kept] : older) {
        EXPECT_EQ(fs::exists(base + name), kept) << fs::path(name).string();
    }
    EXPECT_TRUE(fs::exists(newer));
}

FILETIME creationTime(const fs::path& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    return data.ftCreationTime;
}

bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST_F(Folder, saveKeepsTheCreationTimeAndTheAttributesOfTheFile)
{
    SaveFile(u"old", file("simbols"));
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(file("simbols").c_str(), kept));
    const FILETIME created = creationTime(file("simbols"));
    waitUntilNewerThan(file("simbols")); // a file made now would have a later creation time

    SaveFile(u"new", file("simbols"));
    EXPECT_EQ(readBytes(file("simbols")), "new\r\n");
    EXPECT_EQ(GetFileAttributesW(file("simbols").c_str()) & kept, kept);
    if (underWine()) {
        GTEST_SKIP() << "Wine gives every new file of a replace a creation time of its own";
    }
    const FILETIME after = creationTime(file("simbols"));
    EXPECT_EQ(after.dwHighDateTime, created.dwHighDateTime);
    EXPECT_EQ(after.dwLowDateTime, created.dwLowDateTime);
}

TEST_F(Folder, saveWritesThroughASymbolicLinkWhichStaysALink)
{
    fs::create_directory(path / "synced");
    const fs::path target = path / "synced" / "simbols";
    SaveFile(u"old", target);
    // Wine reports success and makes nothing.
    if (!CreateSymbolicLinkW(file("simbols").c_str(), target.c_str(), 0) ||
        GetFileAttributesW(file("simbols").c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no right to make symbolic links here";
    }
    SaveFile(u"new", file("simbols"));
    EXPECT_NE(GetFileAttributesW(file("simbols").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_EQ(readBytes(target), "new\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(path / "synced"), fs::directory_iterator()), 1);
}

// The test script maps drive P: onto a folder of its own, standing for a
// program folder at the root of a drive.
TEST(DriveRoot, twoBackslashesThatTheFileSystemAccepts)
{
    if (GetDriveTypeW(L"P:\\") == DRIVE_NO_ROOT_DIR) {
        GTEST_SKIP() << "drive P: is not mapped";
    }
    const LoadServices services{[](std::u16string_view, std::u16string_view) {}, [] {}};
    const fs::path simbols = SettingsPath(L"P:\\", "simbols");
    EXPECT_EQ(simbols.native(), L"P:\\\\simbols");
    SaveFile(u"root", simbols);
    EXPECT_EQ(LoadFile(simbols, LoadMode::KeepLineBreaks, services), u"root");
    EXPECT_EQ(readBytes(L"P:\\simbols"), "root\r\n");
    DeleteFileW(L"P:\\simbols");
}

TEST(BCryptRandom, valuesInRangeAndNotConstant)
{
    OsRandomSource random;
    std::set<float> seen;
    for (int i = 0; i < 10000; ++i) {
        const float r = random.next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        seen.insert(r);
    }
    EXPECT_GT(seen.size(), 9900u);
}

} // namespace
} // namespace passgen
