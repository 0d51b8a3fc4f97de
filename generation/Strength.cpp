#include "Strength.h"

#include "DrawRule.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace passgen {

namespace {

// The random source's values are k / 2^24, k from 0 to 2^24 - 1.
constexpr std::uint64_t values = std::uint64_t{1} << 24;

// The first k that draws position p or a later one of n: k·n / 2^24 rounded
// is at least p, that is 2kn > (2p - 1)·2^24, or 2kn equal to it when p is
// even, as a tie goes to the even position. Walks p = 1, 2, ... with an
// addition a step instead of a division, the bound growing by 2·2^24.
class FirstValue {
public:
    explicit FirstValue(std::uint64_t n)
        : m_divisor(2 * n), m_stepQuotient(2 * values / m_divisor),
          m_stepRemainder(2 * values % m_divisor), m_quotient(values / m_divisor),
          m_remainder(values % m_divisor)
    {}

    // Up to 2^24: past the last position no value is left.
    std::uint64_t value() const
    {
        const bool tieGoesBelow = m_remainder == 0 && m_position % 2 == 1;
        return std::min(m_quotient + (m_remainder != 0 || tieGoesBelow ? 1 : 0), values);
    }

    void next()
    {
        ++m_position;
        m_quotient += m_stepQuotient;
        m_remainder += m_stepRemainder;
        if (m_remainder >= m_divisor) {
            m_remainder -= m_divisor;
            ++m_quotient;
        }
    }

private:
    std::uint64_t m_divisor;
    std::uint64_t m_stepQuotient;
    std::uint64_t m_stepRemainder;
    std::uint64_t m_quotient; // of the bound (2p - 1)·2^24 by 2n
    std::uint64_t m_remainder;
    std::uint64_t m_position = 1;
};

StrengthCase caseOf(const Module1& settings, const std::u16string& alphabet)
{
    if (settings.Simbols.empty()) {
        return StrengthCase::EmptySet;
    }
    if (std::all_of(settings.Simbols.begin(), settings.Simbols.end(), drawrule::isLineControl)) {
        return StrengthCase::OnlyLineBreaks;
    }
    if (alphabet.empty()) {
        return StrengthCase::AllExcluded;
    }
    return settings.LenPass < 1 ? StrengthCase::NoLength : StrengthCase::Figure;
}

} // namespace

StrengthGrade gradeOf(std::int64_t wholeBits)
{
    if (wholeBits < 64) {
        return StrengthGrade::VeryWeak;
    }
    if (wholeBits < 80) {
        return StrengthGrade::Weak;
    }
    return wholeBits < 100 ? StrengthGrade::Medium : StrengthGrade::Strong;
}

Strength strengthOf(const Module1& settings)
{
    const std::u16string alphabet = drawrule::alphabet(settings.Simbols, settings.Excluds);
    Strength strength;
    strength.kind = caseOf(settings, alphabet);
    if (strength.kind != StrengthCase::Figure) {
        return strength;
    }

    // Per character code: the values that draw it, and how often it stands.
    struct Share {
        std::uint32_t draws = 0;
        std::uint32_t stands = 0;
    };
    std::vector<Share> shares(std::size_t{std::numeric_limits<char16_t>::max()} + 1);
    FirstValue first(alphabet.size());
    const std::uint64_t start = first.value();
    std::uint64_t from = start;
    for (const char16_t c : alphabet) {
        first.next();
        const std::uint64_t to = first.value();
        shares[c].draws += static_cast<std::uint32_t>(to - from);
        ++shares[c].stands;
        from = to;
    }
    strength.keptDraws = static_cast<std::uint32_t>(values - start);

    strength.rarestCount = alphabet.size();
    for (const char16_t c : alphabet) {
        const Share& share = shares[c];
        if (share.draws > strength.likeliestDraws) {
            strength.likeliestDraws = share.draws;
            strength.likeliest = c;
            strength.likeliestCount = share.stands;
        }
        strength.rarestCount = std::min<std::size_t>(strength.rarestCount, share.stands);
    }
    // One rounding in the quotient and one in log2: a quotient that is a
    // power of two, as for a single character, gives its exact figure.
    const double perCharacter = std::log2(static_cast<double>(strength.keptDraws) /
                                          static_cast<double>(strength.likeliestDraws));
    strength.bits = settings.LenPass * perCharacter;
    strength.wholeBits = static_cast<std::int64_t>(std::floor(strength.bits));
    strength.grade = gradeOf(strength.wholeBits);
    return strength;
}

} // namespace passgen
