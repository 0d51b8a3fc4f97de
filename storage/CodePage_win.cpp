#include "storage/CodePage.h"

#include <windows.h>

#include <stdexcept>

namespace passgen {

// The system's ANSI code page, converted by Windows itself. Characters it
// cannot hold become its default character, "?" in every ANSI code page.
// Without WC_NO_BEST_FIT_CHARS Windows would put a look-alike in their place
// (a smiley becomes "O"), silently changing the symbol set.
// Windows substitutes each half of a surrogate pair; a pair becomes U+FFFD
// first, so that one character gives one "?", as on the other platforms.
std::string toCodePage(std::u16string_view original)
{
    constexpr DWORD flags = WC_NO_BEST_FIT_CHARS;
    if (original.empty()) {
        return {};
    }
    std::u16string text;
    text.reserve(original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        const char16_t c = original[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < original.size() && original[i + 1] >= 0xDC00 &&
            original[i + 1] <= 0xDFFF) {
            text += u'\xFFFD';
            ++i;
        } else {
            text += c;
        }
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size <= 0 || WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), size, nullptr,
                                         nullptr) != size) {
        throw std::runtime_error("WideCharToMultiByte failed");
    }
    return bytes;
}

std::u16string fromCodePage(std::string_view bytes)
{
    if (bytes.empty()) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0) {
        throw std::runtime_error("MultiByteToWideChar failed");
    }
    std::u16string text(static_cast<std::size_t>(size), u'\0');
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length,
                            reinterpret_cast<wchar_t*>(text.data()), size) != size) {
        throw std::runtime_error("MultiByteToWideChar failed");
    }
    return text;
}

} // namespace passgen
