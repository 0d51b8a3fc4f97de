#include "generation/GenPass.h"
#include "generation/OsRandomSource.h"

#include "Fakes.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <openssl/err.h>
#include <openssl/rand.h>
#endif

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <system_error>
#include <vector>

namespace passgen {
namespace {

using testing::FakeGenPassServices;

std::u16string generate(FakeGenPassServices& fakes, std::u16string simbols, std::u16string excluds,
                        std::int32_t lenPass)
{
    const Module1 settings{std::move(simbols), std::move(excluds), lenPass, 1};
    return GenPass(settings, fakes.services).value();
}

struct AlphabetCase {
    const char* name;
    std::u16string simbols;
    std::u16string excluds;
    std::u16string alphabet; // every character it may draw, in order
};

class GenPassAlphabet : public ::testing::TestWithParam<AlphabetCase> {};

// Drawing many characters reaches every character of the alphabet and no other.
TEST_P(GenPassAlphabet, drawsOnlyAndAllOfTheFilteredSymbols)
{
    const AlphabetCase& c = GetParam();
    FakeGenPassServices fakes;
    const std::u16string password = generate(fakes, c.simbols, c.excluds, 2000);
    ASSERT_EQ(password.size(), 2000u);
    const std::set<char16_t> drawn(password.begin(), password.end());
    const std::set<char16_t> expected(c.alphabet.begin(), c.alphabet.end());
    EXPECT_EQ(drawn, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GenPassAlphabet,
    ::testing::Values(AlphabetCase{"exclusionRemovesCharacter", u"abc", u"b", u"ac"},
                      AlphabetCase{"exclusionIsCaseSensitive", u"aA", u"a", u"A"},
                      AlphabetCase{"lineBreaksAndTabDropped", u"ab\r\ncd\t", u"", u"abcd"},
                      AlphabetCase{"exclusionsNotInSymbolsHaveNoEffect", u"xyz", u"123", u"xyz"},
                      AlphabetCase{"spacesAndOtherControlsKept", u" \x01z", u"", u" \x01z"},
                      AlphabetCase{"cyrillic", u"абвгд", u"г", u"абвд"},
                      // Enough exclusions to take the bitmap path of the filter.
                      AlphabetCase{"manyExclusions", u"abcdefghijklmnopqrstuvwxyz0123456789",
                                   u"abcdefghijklmnopqrstuvwxyz012345678", u"9"},
                      AlphabetCase{"manyExclusionsLineBreaksAndTabDropped", u"ab\r\ncd\tef",
                                   u"bdfghijklmnopqrstuvwxyz0123456789", u"ace"}),
    [](const auto& info) { return std::string(info.param.name); });

// r × n rounded half to even: x = 0.5 gives 0 (drawn again), 1.5 and 2.5 give
// position 2, 3.5 gives position 4.
TEST(GenPass, roundsHalfToEvenAndDiscardsZero)
{
    FakeGenPassServices fakes;
    fakes.random.scripted = {0.125f, 0.375f, 0.625f, 0.875f, 0.0f, 0.3f, 0.45f};
    EXPECT_EQ(generate(fakes, u"abcd", u"", 5), u"bbdab");
    EXPECT_EQ(fakes.random.draws, 7); // 0.125 and 0.0 were discarded
}

TEST(GenPass, lastCharacterHasHalfWeight)
{
    FakeGenPassServices fakes;
    const std::u16string password = generate(fakes, u"ac", u"", 60000);
    const auto a = std::count(password.begin(), password.end(), u'a');
    EXPECT_NEAR(static_cast<double>(a) / password.size(), 2.0 / 3.0, 0.01);
}

TEST(GenPass, duplicatesCountTwice)
{
    FakeGenPassServices fakes;
    const std::u16string password = generate(fakes, u"aab", u"", 60000);
    const auto b = std::count(password.begin(), password.end(), u'b');
    EXPECT_NEAR(static_cast<double>(b) / password.size(), 1.0 / 5.0, 0.01);
}

TEST(GenPass, singleSymbolRepeats)
{
    FakeGenPassServices fakes;
    EXPECT_EQ(generate(fakes, u"x", u"", 5), u"xxxxx");
}

// Also when nothing is left to draw from: with no draw to make, there is
// nothing to report.
TEST(GenPass, lengthBelowOneGivesEmptyPasswordWithoutMessage)
{
    const std::pair<std::u16string, std::u16string> sets[] = {
        {u"abc", u""}, {u"abc", u"cab"}, {u"\r\n\t", u""}};
    for (const auto& [simbols, excluds] : sets) {
        for (const std::int32_t length : {0, -3, INT32_MIN}) {
            FakeGenPassServices fakes;
            EXPECT_EQ(generate(fakes, simbols, excluds, length), u"") << length;
            EXPECT_EQ(fakes.log.calls, (std::vector<std::string>{"time", "reseed"})) << length;
            EXPECT_EQ(fakes.random.draws, 0);
        }
    }
}

TEST(GenPass, reseedsWithTimeOfDayOnEveryCall)
{
    FakeGenPassServices fakes;
    fakes.clock.seconds = 3661;
    generate(fakes, u"ab", u"", 3);
    generate(fakes, u"ab", u"", 3);
    EXPECT_EQ(fakes.random.seeds, (std::vector<std::int32_t>{3661, 3661}));
}

struct EmptyCase {
    const char* name;
    std::u16string simbols;
    std::u16string excluds;
};

class GenPassNothingToDraw : public ::testing::TestWithParam<EmptyCase> {};

// An alphabet left empty by the filter would never end the draw; it gets the
// empty-set report instead.
TEST_P(GenPassNothingToDraw, reportsOnceShowsSettingsAndReturnsNothing)
{
    FakeGenPassServices fakes;
    fakes.caption = u"Генератор";
    const Module1 settings{GetParam().simbols, GetParam().excluds, 8, 1};
    EXPECT_EQ(GenPass(settings, fakes.services), std::nullopt);
    EXPECT_EQ(fakes.log.calls, (std::vector<std::string>{"message", "show"}));
    EXPECT_EQ(fakes.messageBox.texts,
              (std::vector<std::u16string>{u"Нет символов для генерации пароля"}));
    EXPECT_EQ(fakes.messageBox.titles, (std::vector<std::u16string>{u"Генератор"}));
    EXPECT_TRUE(fakes.random.seeds.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, GenPassNothingToDraw,
                         ::testing::Values(EmptyCase{"emptySymbols", u"", u""},
                                           EmptyCase{"everySymbolExcluded", u"abc", u"cba"},
                                           EmptyCase{"onlyLineControls", u"\r\n\t", u""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GenPass, batchInOneSecondDoesNotRepeatPasswords)
{
    FakeGenPassServices fakes;
    OsRandomSource random;
    const GenPassServices services{fakes.messageBox, fakes.services.caption, fakes.settingsWindow,
                                   fakes.clock, random};
    const Module1 settings{u"abcdefghijklmnopqrstuvwxyz", u"", 12, 1};
    std::set<std::u16string> passwords;
    for (int i = 0; i < 200; ++i) {
        passwords.insert(GenPass(settings, services).value());
    }
    EXPECT_EQ(passwords.size(), 200u);
}

// Values one by one, in blocks of several sizes (across the source's own
// buffer of 16384 values), and both mixed.
struct DrawCase {
    const char* name;
    std::vector<std::size_t> blocks; // 0 stands for one call of next()
};

class OsRandomDraws : public ::testing::TestWithParam<DrawCase> {};

TEST_P(OsRandomDraws, valuesStayInUnitIntervalAndSpreadOver24Bits)
{
    OsRandomSource random;
    random.reseed(0);
    std::vector<float> values;
    std::vector<float> block;
    for (std::size_t turn = 0; values.size() < 100000; ++turn) {
        if (turn % 7 == 0) {
            random.reseed(static_cast<std::int32_t>(turn)); // must keep the range
        }
        const std::size_t size = GetParam().blocks[turn % GetParam().blocks.size()];
        if (size == 0) {
            values.push_back(random.next());
            continue;
        }
        block.assign(size, -1.0f);
        random.fill(block);
        values.insert(values.end(), block.begin(), block.end());
    }
    std::map<int, int> tenths;
    for (const float r : values) {
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        ASSERT_EQ(r * 0x1p24f, std::floor(r * 0x1p24f)) << r; // k / 2^24
        ++tenths[static_cast<int>(r * 10)];
    }
    EXPECT_LT(*std::min_element(values.begin(), values.end()), 0.001f);
    EXPECT_GT(*std::max_element(values.begin(), values.end()), 0.999f);
    EXPECT_EQ(tenths.size(), 10u);
    for (const auto& [tenth, count] : tenths) {
        EXPECT_NEAR(count, static_cast<double>(values.size()) / 10, 700) << tenth;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, OsRandomDraws,
                         ::testing::Values(DrawCase{"oneByOne", {0}},
                                           DrawCase{"blocksOf512", {512}},
                                           DrawCase{"blocksLargerThanTheBuffer", {40000}},
                                           DrawCase{"mixed", {0, 1, 511, 0, 16383, 3}}),
                         [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
// OpenSSL's own words say why no password could be made.
TEST(OsRandomSource, failureOfTheSystemSourceCarriesItsReason)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    static RAND_METHOD failing{};
    failing.bytes = [](unsigned char*, int) {
        ERR_raise(ERR_LIB_RAND, RAND_R_ERROR_INSTANTIATING_DRBG);
        return 0;
    };
    const RAND_METHOD* saved = RAND_get_rand_method();
    RAND_set_rand_method(&failing);
    std::string reason;
    try {
        OsRandomSource().next();
    } catch (const std::system_error& error) {
        reason = error.what();
    }
    RAND_set_rand_method(saved);
#pragma GCC diagnostic pop
    EXPECT_TRUE(reason.starts_with("RAND_bytes: error:")) << reason;
    EXPECT_NE(reason.find("error instantiating drbg"), std::string::npos) << reason;
}
#endif

// GenPass asks for values in blocks, but never for more than it uses, so the
// next password starts with the very next value, also across a block's end.
TEST(GenPass, usesEveryValueItDrawsAndNoMore)
{
    FakeGenPassServices fakes;
    // With "ab": 0.25 gives x = 0.5, which rounds to 0 and is drawn again;
    // 0.5 gives "a", 0.9 gives "b".
    fakes.random.scripted.push_back(0.25f);
    fakes.random.scripted.insert(fakes.random.scripted.end(), 511, 0.5f);
    fakes.random.scripted.insert(fakes.random.scripted.end(), 2, 0.25f);
    fakes.random.scripted.insert(fakes.random.scripted.end(), 10, 0.9f);
    fakes.random.scripted.push_back(0.5f);
    EXPECT_EQ(generate(fakes, u"ab", u"", 520),
              std::u16string(511, u'a') + std::u16string(9, u'b'));
    EXPECT_EQ(fakes.random.draws, 523);
    EXPECT_EQ(generate(fakes, u"ab", u"", 2), u"ba");
    EXPECT_EQ(fakes.random.draws, 525);
}

} // namespace
} // namespace passgen
