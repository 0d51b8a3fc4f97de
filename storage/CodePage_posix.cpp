#include "storage/CodePage.h"

#include <array>
#include <bit>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace passgen {

namespace {

constexpr const char* codePage = "WINDOWS-1251";
constexpr const char* utf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char substitute = '?';

// The code page has one byte per character, so its whole mapping fits in a
// table, asked of iconv once. A byte the code page leaves undefined (0x98 in
// Windows-1251) stands for the control character of the same number, as
// Windows does it, so that no byte of a file is lost between a load and a save.
// Both directions are plain tables, so a set of many megabytes converts in
// a blink; 0 in fromUnicode marks a character the code page lacks, as the
// one character that maps to byte 0 is U+0000.
struct Mapping {
    std::array<char16_t, 256> toUnicode{};
    std::array<unsigned char, 65536> fromUnicode{};
};

Mapping makeMapping()
{
    const iconv_t cd = iconv_open(utf16, codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv cannot convert from ") + codePage);
    }
    Mapping mapping;
    for (int byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        char16_t out = 0;
        char* inPtr = &in;
        std::size_t inLeft = 1;
        char* outPtr = reinterpret_cast<char*>(&out);
        std::size_t outLeft = sizeof out;
        const bool converted =
            iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
            outLeft == 0;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const char16_t character = converted ? out : static_cast<char16_t>(byte);
        mapping.toUnicode[static_cast<std::size_t>(byte)] = character;
        mapping.fromUnicode[character] = static_cast<unsigned char>(byte);
    }
    iconv_close(cd);
    return mapping;
}

const Mapping& mapping()
{
    static const Mapping instance = makeMapping();
    return instance;
}

} // namespace

std::string toCodePage(std::u16string_view text)
{
    const auto& fromUnicode = mapping().fromUnicode;
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (const unsigned char byte = fromUnicode[c]; byte != 0 || c == u'\0') {
            bytes += static_cast<char>(byte);
            continue;
        }
        // A character outside the 16-bit range is one character, one "?".
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ++i;
        }
        bytes += substitute;
    }
    return bytes;
}

std::u16string fromCodePage(std::string_view bytes)
{
    const auto& toUnicode = mapping().toUnicode;
    std::u16string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text += toUnicode[static_cast<unsigned char>(byte)];
    }
    return text;
}

// Every byte of the table reads as a character that writes back as itself.
bool decodesCleanly(std::string_view)
{
    return true;
}

bool inCodePage(std::u16string_view character)
{
    return character.size() == 1 &&
           (mapping().fromUnicode[character[0]] != 0 || character[0] == u'\0');
}

std::u16string codePageName()
{
    return u"Windows-1251";
}

} // namespace passgen
