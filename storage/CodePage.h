#pragma once

#include <string>
#include <string_view>

namespace passgen {

// The 8-bit code page of the settings files: the system's ANSI code page on
// Windows, Windows-1251 elsewhere. Neither direction fails: a character the
// code page cannot hold becomes "?", and bytes that are no character become
// some stand-in character. In Windows-1251 and the other one-byte code pages
// every byte reads as a character that writes back as the same byte.
std::string toCodePage(std::u16string_view text);
std::u16string fromCodePage(std::string_view bytes);

// Whether bytes read as characters that write back as the same bytes. Not so
// for a file written under another code page, such as a Windows-1251 file
// read where the code page is UTF-8.
bool decodesCleanly(std::string_view bytes);

} // namespace passgen
