#include "storage/CodePage.h"

#include <unordered_set>

namespace passgen {

std::u16string unsavable(std::u16string_view text)
{
    return unsavable(text, [](std::u16string_view character) { return inCodePage(character); });
}

std::u16string unsavable(std::u16string_view text,
                         const std::function<bool(std::u16string_view character)>& held)
{
    std::u16string found;
    std::unordered_set<char32_t> seen;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair =
            isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1]);
        const std::u16string_view character = text.substr(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
        if (held(character)) {
            continue;
        }
        const char32_t code = pair ? (char32_t(character[0]) << 16) | character[1] : character[0];
        if (seen.insert(code).second) {
            found += character;
        }
    }
    return found;
}

} // namespace passgen
