#include "generation/NormNumText.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace passgen {
namespace {

struct Correction {
    std::u16string changed;
    std::u16string corrected;
};

class NormNumTextTable : public ::testing::TestWithParam<Correction> {};

TEST_P(NormNumTextTable, endsWhereTheCorrectionPassesEnd)
{
    EXPECT_EQ(NormNumText(GetParam().changed, u'.'), GetParam().corrected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormNumTextTable,
    ::testing::Values(Correction{u"12", u"12"}, Correction{u"12a", u"12"}, Correction{u"1a2", u"1"},
                      Correction{u"", u"1"}, Correction{u"0", u"1"}, Correction{u"00", u"1"},
                      Correction{u"007", u"7"}, Correction{u"-5", u"-5"}, Correction{u"-", u"1"},
                      Correction{u"2.9", u"2"}, Correction{u"-2.9", u"-2"},
                      Correction{u"0.4", u"1"}, Correction{u"-.4", u"1"},
                      Correction{u"1e3", u"100"}, Correction{u"9e9", u"9"}, Correction{u" 5", u"5"},
                      // Plain digits up to 10^7, where the exponent form begins.
                      Correction{u"1e6", u"100"}, Correction{u"9.9e6", u"990"},
                      Correction{u"1e7", u"1"}, Correction{u"-1e6", u"-10"},
                      Correction{u"10000001", u"1"}, // 1.000000E+07 without its zeros
                      Correction{u"+5", u"5"}, Correction{u"5 ", u"5"}, Correction{u"999", u"999"},
                      Correction{u"-99", u"-99"}, Correction{u"1e", u"1"}, Correction{u"e5", u"1"},
                      Correction{u"1.", u"1"}, Correction{u".5", u"1"}, Correction{u"1,5", u"1"},
                      // Longer texts than a field holds still end in range.
                      Correction{u"12345", u"123"}, Correction{u"1e50", u"3"},
                      Correction{u"1e-50", u"1"}, Correction{u"-1234", u"-12"},
                      Correction{u"１２", u"1"}),
    [](const auto& info) {
        std::string name = "case" + std::to_string(info.index) + "_";
        for (const char16_t c : info.param.changed) {
            name += (c < 128 && std::isalnum(c)) ? static_cast<char>(c) : '_';
        }
        return name;
    });

TEST(NormNumText, usesTheGivenDecimalSeparator)
{
    EXPECT_EQ(NormNumText(u"2,9", u','), u"2");
    EXPECT_EQ(NormNumText(u"2.9", u','), u"2");
    EXPECT_EQ(NormNumText(u"1,5e7", u','), u"1");
    EXPECT_EQ(NormNumText(u"7\u066B5", u'\u066B'), u"7");
}

bool isPlainWholeInRange(const std::u16string& text)
{
    if (text.empty() || text.size() > 3) {
        return false;
    }
    const std::size_t first = text[0] == u'-' ? 1 : 0;
    if (first == text.size() || text[first] == u'0') {
        return false;
    }
    for (std::size_t i = first; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') {
            return false;
        }
    }
    const int value = std::stoi(std::string(text.begin(), text.end()));
    return value >= -99 && value <= 999 && value != 0;
}

// Every text of up to three characters that a field can hold.
TEST(NormNumText, everyShortTextEndsAsAStableWholeNumberInRange)
{
    const std::u16string alphabet = u"0123456789+-.,eE x";
    for (const char16_t separator : {u'.', u','}) {
        std::u16string text;
        int checked = 0;
        const auto check = [&] {
            const std::u16string result = NormNumText(text, separator);
            ASSERT_TRUE(isPlainWholeInRange(result))
                << std::string(text.begin(), text.end()) << " -> "
                << std::string(result.begin(), result.end());
            ASSERT_EQ(NormNumText(result, separator), result);
            ++checked;
        };
        check();
        for (const char16_t a : alphabet) {
            text = {a};
            check();
            for (const char16_t b : alphabet) {
                text = {a, b};
                check();
                for (const char16_t c : alphabet) {
                    text = {a, b, c};
                    check();
                }
            }
        }
        EXPECT_EQ(checked, 1 + 18 + 18 * 18 + 18 * 18 * 18);
    }
}

} // namespace
} // namespace passgen
