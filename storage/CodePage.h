#pragma once

#include <string>
#include <string_view>

namespace passgen {

// The 8-bit code page of the settings files: the system's ANSI code page on
// Windows, Windows-1251 elsewhere. Neither direction fails: a character the
// code page cannot hold becomes "?", and every byte reads as some character
// that writes back as the same byte, NUL included.
std::string toCodePage(std::u16string_view text);
std::u16string fromCodePage(std::string_view bytes);

} // namespace passgen
