#pragma once

#include <string>
#include <string_view>

namespace passgen {

// The conversions of CodePage.h through a given Windows code page rather
// than the system's, so that each ANSI code page a system may have can be
// tried: 1251, 1252, 932, 65001 (UTF-8) and the others.
std::string toCodePage(std::u16string_view text, unsigned codePage);
std::u16string fromCodePage(std::string_view bytes, unsigned codePage);
bool decodesCleanly(std::string_view bytes, unsigned codePage);
bool inCodePage(std::u16string_view character, unsigned codePage);

} // namespace passgen
