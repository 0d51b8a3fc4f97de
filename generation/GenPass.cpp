#include "GenPass.h"

#include <algorithm>
#include <bitset>
#include <memory>

namespace passgen {

namespace {

constexpr std::u16string_view noSymbolsMessage = u"Нет символов для генерации пароля";

// Above this many exclusions a bitmap over all 16-bit codes beats searching
// Excluds once per symbol.
constexpr std::size_t linearExcludeLimit = 32;

bool isLineControl(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\t';
}

std::u16string buildAlphabet(const std::u16string& simbols, const std::u16string& excluds)
{
    std::u16string alphabet;
    alphabet.reserve(simbols.size());
    if (excluds.size() <= linearExcludeLimit) {
        for (const char16_t c : simbols) {
            if (!isLineControl(c) && excluds.find(c) == std::u16string::npos) {
                alphabet.push_back(c);
            }
        }
        return alphabet;
    }
    auto excluded = std::make_unique<std::bitset<65536>>();
    for (const char16_t c : excluds) {
        excluded->set(c);
    }
    for (const char16_t c : simbols) {
        if (!isLineControl(c) && !excluded->test(c)) {
            alphabet.push_back(c);
        }
    }
    return alphabet;
}

// For 0 <= x < 2^52, adding and taking away 2^52 leaves x rounded to the
// nearest integer, ties to even, in IEEE arithmetic's default mode: the same
// as std::nearbyint, without the branch per draw or the library call.
double roundHalfToEven(double x)
{
    constexpr double shift = 0x1p52;
    return (x + shift) - shift;
}

std::optional<std::u16string> reportNoSymbols(const GenPassServices& services)
{
    services.messageBox.information(noSymbolsMessage, services.caption());
    services.settingsWindow.show();
    return std::nullopt;
}

} // namespace

std::optional<std::u16string> GenPass(const Module1& settings, const GenPassServices& services)
{
    if (settings.Simbols.empty()) {
        return reportNoSymbols(services);
    }
    const std::u16string alphabet = buildAlphabet(settings.Simbols, settings.Excluds);
    const std::int32_t lenPass = settings.LenPass;
    // With nothing left to draw from every draw would be discarded forever.
    // The report comes before the re-seed, as it does for an empty Simbols.
    if (alphabet.empty() && lenPass >= 1) {
        return reportNoSymbols(services);
    }
    services.random.reseed(services.clock.secondsOfDay());

    std::u16string password;
    if (lenPass < 1) {
        return password;
    }
    password.resize(static_cast<std::size_t>(lenPass));
    const double n = static_cast<double>(alphabet.size());
    // Rounding instead of truncating is the long-standing draw rule: x below
    // one half is drawn again and the last character gets only half a unit of
    // x, so it comes up half as often as each other one. Users' expectations
    // and earlier passwords' statistics rest on it, so it stays.
    for (std::int32_t i = 0; i < lenPass;) {
        const double x = static_cast<double>(services.random.next()) * n;
        const double k = roundHalfToEven(x);
        if (k >= 1.0 && k <= n) {
            password[static_cast<std::size_t>(i)] = alphabet[static_cast<std::size_t>(k) - 1];
            ++i;
        }
    }
    return password;
}

} // namespace passgen
