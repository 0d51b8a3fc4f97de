#pragma once

#include <string>
#include <string_view>

namespace passgen {

// The text in which a number field of the settings window ends after a change
// left `text` in it: always a whole number from -99 to 999 other than 0, in
// plain decimal form. `decimalSeparator` is the user's locale's.
std::u16string NormNumText(std::u16string_view text, char16_t decimalSeparator);

} // namespace passgen
