#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace passgen {

inline bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

inline bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

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

// The characters of text that the code page has no byte for, so that a save
// would put "?" in their place: each once, in the order in which they first
// stand in text. A character beyond 16 bits is its two halves together; a
// lone half is one character.
std::u16string unsavable(std::u16string_view text);
// The same for the code page that held tells of.
std::u16string unsavable(std::u16string_view text,
                         const std::function<bool(std::u16string_view character)>& held);

// The code page's name as users know it: "Windows-1251", "UTF-8".
std::u16string codePageName();

// Whether the code page has a byte for character, one character of text as
// unsavable() splits it; the platform's own part of unsavable().
bool inCodePage(std::u16string_view character);

} // namespace passgen
