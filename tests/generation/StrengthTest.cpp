#include "generation/Strength.h"
#include "generation/DrawRule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace passgen {
namespace {

const std::u16string lettersAndDigits =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// 100,000 characters over every code but LF, CR and TAB, so that most
// stand twice and the rest once.
std::u16string pasted()
{
    std::u16string set;
    for (char32_t c = 0; set.size() < 100000; ++c) {
        if (!drawrule::isLineControl(static_cast<char16_t>(c))) {
            set += static_cast<char16_t>(c % 65536);
        }
    }
    return set;
}

struct StrengthRow {
    const char* name;
    std::u16string simbols;
    std::u16string excluds;
    std::int32_t lenPass;
    std::optional<double> bits = std::nullopt; // a figure worked out beforehand
    char16_t likeliest = 0;                    // where one stands out
    std::size_t likeliestCount = 1;
    std::size_t rarestCount = 1;
};

class StrengthFigure : public ::testing::TestWithParam<StrengthRow> {};

// Every value of the random source, drawn through the rounding GenPass uses.
TEST_P(StrengthFigure, matchesACountOfEveryValue)
{
    const StrengthRow& row = GetParam();
    const std::u16string alphabet = drawrule::alphabet(row.simbols, row.excluds);
    std::vector<std::uint32_t> draws(65536);
    std::uint32_t kept = 0;
    const double n = static_cast<double>(alphabet.size());
    for (std::int32_t k = 0; k < (1 << 24); ++k) {
        const std::int32_t position = drawrule::rank(static_cast<float>(k) * 0x1p-24f, n);
        if (position != 0) {
            ++draws[alphabet[static_cast<std::size_t>(position - 1)]];
            ++kept;
        }
    }
    const std::uint32_t likeliest = *std::max_element(draws.begin(), draws.end());

    const Strength strength = strengthOf({row.simbols, row.excluds, row.lenPass, 1});
    ASSERT_EQ(strength.kind, StrengthCase::Figure);
    EXPECT_EQ(strength.keptDraws, kept);
    EXPECT_EQ(strength.likeliestDraws, likeliest);
    const double bits = row.lenPass * std::log2(static_cast<double>(kept) / likeliest);
    EXPECT_DOUBLE_EQ(strength.bits, bits);
    EXPECT_EQ(strength.wholeBits, static_cast<std::int64_t>(std::floor(bits)));
    if (row.bits) {
        EXPECT_NEAR(strength.bits, *row.bits, 0.005);
    }
    if (row.likeliest) {
        EXPECT_EQ(strength.likeliest, row.likeliest);
    }
    EXPECT_EQ(strength.likeliestCount, row.likeliestCount);
    EXPECT_EQ(strength.rarestCount, row.rarestCount);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, StrengthFigure,
    ::testing::Values(
        // The three figures of the issue that asked for it.
        StrengthRow{"lettersAndDigits", lettersAndDigits, u"", 16, 95.08},
        StrengthRow{"repeatedCharacter", u"aab", u"", 10, 3.22, u'a', 2},
        StrengthRow{"repeatsAtTheEnd", u"abc???", u"", 12, 13.65, u'?', 3},
        StrengthRow{"oneCharacter", u"x", u"", 5, 0.0, u'x'},
        StrengthRow{"twoCharactersWithTies", u"ab", u"", 10},
        StrengthRow{"threeCharacters", u"abc", u"", 8},
        StrengthRow{"fourCharactersWithTies", u"abcd", u"", 1},
        // A tie at the start of the odd position 5 goes down to the 'd' of 4.
        StrengthRow{"tieAtAnOddPosition", u"abcdee", u"", 8, std::nullopt, u'e', 2},
        StrengthRow{"exclusionsAndLineBreaks", u"a\r\nbxa\tc", u"x", 7, std::nullopt, u'a', 2},
        StrengthRow{"manyExclusions", lettersAndDigits, lettersAndDigits.substr(0, 40), 9},
        StrengthRow{"lastCharacterAlsoFirst", u"aba", u"", 3, std::nullopt, u'a', 2},
        StrengthRow{"pastedLargeSet", pasted(), u"", 999, std::nullopt, 0, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Strength, noFigureWhenNoPasswordCanBeMade)
{
    // Each case also when a later one holds too.
    const std::pair<Module1, StrengthCase> rows[] = {
        {{u"", u"abc", -3, 1}, StrengthCase::EmptySet},
        {{u"\r\n", u"\r", 0, 1}, StrengthCase::OnlyLineBreaks},
        {{u"a\r\nb", u"ab", 0, 1}, StrengthCase::AllExcluded},
        {{u"abc", u"", 0, 1}, StrengthCase::NoLength},
        {{u"abc", u"", 1, 1}, StrengthCase::Figure},
    };
    for (const auto& [settings, kind] : rows) {
        const Strength strength = strengthOf(settings);
        EXPECT_EQ(strength.kind, kind)
            << std::string(settings.Simbols.begin(), settings.Simbols.end());
        EXPECT_EQ(strength.repeatLowers(), false);
    }
}

TEST(Strength, gradesFollowTheRangesOfTheCitedSource)
{
    const std::pair<std::int64_t, StrengthGrade> rows[] = {
        {63, StrengthGrade::VeryWeak}, {64, StrengthGrade::Weak},   {79, StrengthGrade::Weak},
        {80, StrengthGrade::Medium},   {99, StrengthGrade::Medium}, {100, StrengthGrade::Strong},
    };
    for (const auto& [bits, grade] : rows) {
        EXPECT_EQ(gradeOf(bits), grade) << bits;
    }
    EXPECT_EQ(strengthOf({lettersAndDigits, u"", 16, 1}).grade, StrengthGrade::Medium);
}

} // namespace
} // namespace passgen
