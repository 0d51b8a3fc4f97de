#pragma once

#include <cstdint>
#include <string>

// The draw rule that GenPass follows, shared with what measures it.
namespace passgen::drawrule {

// Simbols less every character of Excluds and less LF, CR and TAB, in the
// order of Simbols; a repeated character stays as often as it stands.
std::u16string alphabet(const std::u16string& simbols, const std::u16string& excluds);

bool isLineControl(char16_t c);

// For 0 <= x < 2^52, adding and taking away 2^52 leaves x rounded to the
// nearest integer, ties to even, in IEEE arithmetic's default mode: the same
// as std::nearbyint, without the branch per draw or the library call.
inline double roundHalfToEven(double x)
{
    constexpr double shift = 0x1p52;
    return (x + shift) - shift;
}

// The position that one value r from the source draws from an alphabet of
// n characters: r * n rounded, kept when 1 <= k <= n, or 0 for a draw to
// discard. Inline, as GenPass ranks every draw with it.
inline std::int32_t rank(float r, double n)
{
    const double k = roundHalfToEven(static_cast<double>(r) * n);
    return k >= 1.0 && k <= n ? static_cast<std::int32_t>(k) : 0;
}

} // namespace passgen::drawrule
