#include "storage/CodePage_win.h"
#include "storage/CodePage.h"

#include <windows.h>

#include <climits>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace passgen {

namespace {

// UTF-8 and GB18030 hold every character; the others none beyond 16 bits.
bool holdsEveryCharacter(UINT codePage)
{
    return codePage == CP_UTF8 || codePage == 54936;
}

// Without WC_NO_BEST_FIT_CHARS Windows would put a look-alike in place of a
// character the code page lacks (a smiley becomes "O"), silently changing
// the symbol set. Windows refuses the flag, with ERROR_INVALID_FLAGS, for
// UTF-7 and UTF-8, GB18030, the symbol code page and the ISO-2022 and ISCII
// ones; those have no look-alikes to avoid.
DWORD flagsFor(UINT codePage)
{
    const bool refusesFlags = codePage == CP_UTF7 || codePage == CP_UTF8 || codePage == 54936 ||
                              codePage == 42 || (codePage >= 50220 && codePage <= 50229) ||
                              (codePage >= 57002 && codePage <= 57011);
    return refusesFlags ? 0 : WC_NO_BEST_FIT_CHARS;
}

int lengthOf(std::size_t size)
{
    if (size > INT_MAX) {
        throw std::length_error("text too long for the code page conversion");
    }
    return static_cast<int>(size);
}

} // namespace

// Characters the code page cannot hold become its default character, "?" in
// every ANSI code page. A character beyond 16 bits that the code page lacks
// becomes one "?", not one per half, as on the other platforms; so does a
// lone half.
std::string toCodePage(std::u16string_view original, unsigned codePage)
{
    std::u16string text;
    text.reserve(original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        const char16_t c = original[i];
        if (isHighSurrogate(c) && i + 1 < original.size() && isLowSurrogate(original[i + 1])) {
            if (holdsEveryCharacter(codePage)) {
                text += original.substr(i, 2);
            } else {
                text += u'?';
            }
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            text += u'?';
        } else {
            text += c;
        }
    }
    if (text.empty()) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = lengthOf(text.size());
    DWORD flags = flagsFor(codePage);
    int size = WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0; // a code page not in the list above
        size = WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, nullptr);
    }
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size <= 0 || WideCharToMultiByte(codePage, flags, wide, length, bytes.data(), size, nullptr,
                                         nullptr) != size) {
        throw std::runtime_error("cannot convert to code page " + std::to_string(codePage));
    }
    return bytes;
}

std::u16string fromCodePage(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty()) {
        return {};
    }
    const int length = lengthOf(bytes.size());
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::u16string text(static_cast<std::size_t>(size > 0 ? size : 0), u'\0');
    if (size <= 0 || MultiByteToWideChar(codePage, 0, bytes.data(), length,
                                         reinterpret_cast<wchar_t*>(text.data()), size) != size) {
        throw std::runtime_error("cannot convert from code page " + std::to_string(codePage));
    }
    return text;
}

bool decodesCleanly(std::string_view bytes, unsigned codePage)
{
    return toCodePage(fromCodePage(bytes, codePage), codePage) == bytes;
}

bool inCodePage(std::u16string_view character, unsigned codePage)
{
    const bool pair = character.size() == 2;
    if (holdsEveryCharacter(codePage)) {
        return pair || (!isHighSurrogate(character[0]) && !isLowSurrogate(character[0]));
    }
    if (pair || isHighSurrogate(character[0]) || isLowSurrogate(character[0])) {
        return false;
    }
    // Asked once per code page for every character, as a paste may bring
    // many thousands to check.
    static std::unordered_map<unsigned, std::vector<bool>> tables;
    std::vector<bool>& held = tables[codePage];
    if (held.empty()) {
        held.resize(65536);
        for (char32_t c = 0; c < 65536; ++c) {
            const char16_t one = static_cast<char16_t>(c);
            held[c] = !isHighSurrogate(one) && !isLowSurrogate(one) &&
                      (one == u'?' || toCodePage(std::u16string_view(&one, 1), codePage) != "?");
        }
    }
    return held[character[0]];
}

std::string toCodePage(std::u16string_view text)
{
    return toCodePage(text, GetACP());
}

std::u16string fromCodePage(std::string_view bytes)
{
    return fromCodePage(bytes, GetACP());
}

bool decodesCleanly(std::string_view bytes)
{
    return decodesCleanly(bytes, GetACP());
}

bool inCodePage(std::u16string_view character)
{
    return inCodePage(character, GetACP());
}

std::u16string codePageName()
{
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8) {
        return u"UTF-8";
    }
    const std::string digits = std::to_string(codePage);
    return (codePage >= 1250 && codePage <= 1258 ? u"Windows-" : u"") +
           std::u16string(digits.begin(), digits.end());
}

} // namespace passgen
