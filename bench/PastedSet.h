#pragma once

#include <string>

namespace passgen {

// A pasted symbol set of 100,000 characters: every code but LF, CR and TAB,
// so that most stand twice.
inline std::u16string pastedSet()
{
    std::u16string set;
    for (char32_t c = 0; set.size() < 100000; ++c) {
        const auto code = static_cast<char16_t>(c % 65536);
        if (code != u'\n' && code != u'\r' && code != u'\t') {
            set += code;
        }
    }
    return set;
}

} // namespace passgen
