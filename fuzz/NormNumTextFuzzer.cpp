// NormNumText over arbitrary 16-bit text and decimal separators: the result
// is always a whole number from -99 to 999 other than 0, in plain form, and
// a text already corrected stays as it is.
#include "generation/NormNumText.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

bool isPlainWholeNumber(const std::u16string& text)
{
    const std::size_t digits = !text.empty() && text[0] == u'-' ? 1 : 0;
    if (text.size() <= digits || text[digits] < u'1' || text[digits] > u'9') {
        return false;
    }
    int value = 0;
    for (std::size_t i = digits; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') {
            return false;
        }
        value = value * 10 + (text[i] - u'0');
    }
    value = digits == 1 ? -value : value;
    return value >= -99 && value <= 999;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The separator, then the text, 16 bits each in the machine's order.
    if (size < 2) {
        return 0;
    }
    char16_t separator = 0;
    std::memcpy(&separator, data, sizeof separator);
    std::u16string text((size - 2) / 2, u'\0');
    std::memcpy(text.data(), data + 2, text.size() * sizeof(char16_t));

    const std::u16string corrected = passgen::NormNumText(text, separator);
    check(isPlainWholeNumber(corrected));
    check(passgen::NormNumText(corrected, separator) == corrected);
    return 0;
}
