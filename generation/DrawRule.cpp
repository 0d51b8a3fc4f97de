#include "DrawRule.h"

#include <bitset>
#include <memory>
#include <string_view>

namespace passgen::drawrule {

namespace {

// Above this many exclusions a bitmap over all 16-bit codes beats searching
// Excluds once per symbol.
constexpr std::size_t linearExcludeLimit = 32;

} // namespace

bool isLineControl(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\t';
}

std::u16string alphabet(const std::u16string& simbols, const std::u16string& excluds)
{
    // Written through a pointer and cut to size at the end: a push_back per
    // character reloads the string's size and both inputs at every step.
    std::u16string alphabet(simbols.size(), u'\0');
    char16_t* const first = alphabet.data();
    char16_t* out = first;
    if (excluds.size() <= linearExcludeLimit) {
        const std::u16string_view excluded = excluds;
        for (const char16_t c : simbols) {
            *out = c;
            out += !isLineControl(c) && excluded.find(c) == std::u16string_view::npos ? 1 : 0;
        }
    } else {
        auto excluded = std::make_unique<std::bitset<65536>>();
        for (const char16_t c : excluds) {
            excluded->set(c);
        }
        for (const char16_t c : simbols) {
            *out = c;
            out += !isLineControl(c) && !excluded->test(c) ? 1 : 0;
        }
    }
    alphabet.resize(static_cast<std::size_t>(out - first));
    return alphabet;
}

} // namespace passgen::drawrule
