#pragma once

#include "Module1.h"

#include <cstddef>
#include <cstdint>

namespace passgen {

// Whether the settings can make a password, or why not.
enum class StrengthCase {
    Figure,         // a password can be made; the figure says how strong
    EmptySet,       // Simbols is empty
    OnlyLineBreaks, // Simbols holds nothing but LF, CR and TAB
    AllExcluded,    // every other symbol stands in Excluds
    NoLength,       // LenPass is 0 or less
};

// The ranges of ANSSI's "Recommandations relatives à l'authentification
// multifacteur et aux mots de passe" (2021): below 64 bits, 64 to 80, 80 to
// 100, and 100 or more.
enum class StrengthGrade { VeryWeak, Weak, Medium, Strong };

// How strong the draw that the settings make is: the min-entropy, the bits a
// guesser who knows the settings needs against the likeliest password,
// LenPass × −log2(q) with q the largest chance of one character.
struct Strength {
    StrengthCase kind = StrengthCase::EmptySet;
    double bits = 0;
    std::int64_t wholeBits = 0; // bits rounded down
    StrengthGrade grade = StrengthGrade::VeryWeak;
    // Of the 2^24 values of the random source: those that draw a character
    // and those that draw the likeliest one, so q = likeliestDraws / keptDraws.
    std::uint32_t keptDraws = 0;
    std::uint32_t likeliestDraws = 0;
    // The likeliest character, how many times it stands in the alphabet and
    // how many times the rarest character does. A character that stands k
    // times is drawn k times as often: above rarestCount this lowers the
    // figure.
    char16_t likeliest = 0;
    std::size_t likeliestCount = 0;
    std::size_t rarestCount = 0;

    bool repeatLowers() const
    {
        return kind == StrengthCase::Figure && likeliestCount > rarestCount;
    }
};

// Exact for the draw rule as GenPass applies it, for every alphabet below
// 2^29 characters (where its product r × n is exact), in time linear in the
// length of Simbols.
Strength strengthOf(const Module1& settings);

StrengthGrade gradeOf(std::int64_t wholeBits);

} // namespace passgen
