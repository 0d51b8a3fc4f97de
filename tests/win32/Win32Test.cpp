#include "generation/OsRandomSource.h"
#include "storage/CodePage.h"
#include "storage/SettingsFile.h"

#include <windows.h>

#include "tests/FileBytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;

class Folder : public ::testing::Test {
protected:
    Folder()
    {
        path = fs::temp_directory_path() / ("passgen-win32-" + std::to_string(GetTickCount64()));
        fs::create_directories(path);
    }
    ~Folder() override
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path file(const char* name) const { return SettingsPath(path, name); }
    fs::path path;
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

TEST_F(Folder, saveOverAReadOnlyFileFailsAndKeepsIt)
{
    SaveFile(u"old", file("simbols"));
    ASSERT_TRUE(SetFileAttributesW(file("simbols").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(SaveFile(u"new", file("simbols")), StorageError);
    SetFileAttributesW(file("simbols").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readBytes(file("simbols")), "old\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(path), fs::directory_iterator()), 1);
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
