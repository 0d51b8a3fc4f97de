#include "windows/TextConversion.h"

#include <gtest/gtest.h>

namespace passgen {
namespace {

struct ToEditorCase {
    std::u16string text;
    std::u16string editor;
};

class ToEditorText : public ::testing::TestWithParam<ToEditorCase> {};

TEST_P(ToEditorText, DropsOnlyTheCrOfEachCrLf)
{
    EXPECT_EQ(toEditorText(GetParam().text).toStdU16String(), GetParam().editor);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ToEditorText,
    ::testing::Values(ToEditorCase{u"", u""}, ToEditorCase{u"abc", u"abc"},
                      ToEditorCase{u"a\r\nb", u"a\nb"}, ToEditorCase{u"\r\n", u"\n"},
                      ToEditorCase{u"\r\n\r\n", u"\n\n"}, ToEditorCase{u"a\r", u"a\r"},
                      ToEditorCase{u"\rb", u"\rb"}, ToEditorCase{u"a\r\r\nb", u"a\r\nb"},
                      ToEditorCase{u"a\nb", u"a\nb"}, ToEditorCase{u"p1\r\np2\r\n", u"p1\np2\n"}));

TEST(ToEditorText, KeepsLongLinesWhole)
{
    std::u16string journal;
    std::u16string editor;
    for (int line = 0; line < 50; ++line) {
        const std::u16string password(999, static_cast<char16_t>(u'!' + line));
        journal += (line ? u"\r\n" : u"") + password;
        editor += (line ? u"\n" : u"") + password;
    }
    EXPECT_EQ(toEditorText(journal).toStdU16String(), editor);
}

} // namespace
} // namespace passgen
