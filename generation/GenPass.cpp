#include "GenPass.h"

#include "DrawRule.h"

#include <algorithm>
#include <array>
#include <span>

namespace passgen {

namespace {

constexpr std::u16string_view noSymbolsMessage = u"Нет символов для генерации пароля";

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
    const std::u16string alphabet = drawrule::alphabet(settings.Simbols, settings.Excluds);
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
    //
    // Values come in blocks to save a call per character. A block never asks
    // for more values than characters are still missing, so the source gives
    // out exactly the values that one call per draw would have used, and
    // filled stays below password.size() while a block is written out.
    //
    // Each group of draws is ranked first, in code the compiler vectorises
    // (the ranks past the block's end come from stale draws and are not
    // used). Then every rank is written at the next free place, table[0]
    // standing for a discarded draw, and only a kept draw moves that place
    // on: no branch per draw.
    std::u16string table(1, u'\0');
    table += alphabet;
    char16_t* const out = password.data();
    constexpr std::size_t group = 8;
    std::array<float, 64 * group> draws{};
    std::array<std::int32_t, group> ranks;
    std::size_t filled = 0;
    while (filled < password.size()) {
        const std::span<float> block(draws.data(),
                                     std::min(draws.size(), password.size() - filled));
        services.random.fill(block);
        for (std::size_t first = 0; first < block.size(); first += group) {
            for (std::size_t j = 0; j < group; ++j) {
                ranks[j] = drawrule::rank(draws[first + j], n);
            }
            const std::size_t size = std::min(group, block.size() - first);
            for (std::size_t j = 0; j < size; ++j) {
                out[filled] = table[static_cast<std::size_t>(ranks[j])];
                filled += ranks[j] != 0 ? 1 : 0;
            }
        }
    }
    return password;
}

} // namespace passgen
