#include "OsRandomSource.h"

#include "OsRandom.h"

#include <algorithm>

namespace passgen {

namespace {

// splitmix64's finaliser: spreads neighbouring seconds over all 24 bits.
std::uint32_t spread(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(x ^ (x >> 31));
}

// k / 2^24, k being the low 24 bits of a word XOR the time-of-day mask.
float toValue(std::uint32_t word, std::uint32_t mask)
{
    const std::uint32_t k = (word & 0xFFFFFFu) ^ mask;
    return static_cast<float>(static_cast<std::int32_t>(k)) * 0x1p-24f;
}

} // namespace

void OsRandomSource::reseed(std::int32_t seed)
{
    // The time of day adds no strength to the operating system's bytes, and it
    // takes none away: k XOR m is uniform for any fixed m when k is. The mask
    // accumulates, so a second re-seed with the same second changes it again
    // instead of returning to an earlier state.
    m_mask = (m_mask ^ spread(static_cast<std::uint32_t>(seed))) & 0xFFFFFFu;
}

float OsRandomSource::next()
{
    if (m_next == m_words.size()) {
        refill();
    }
    return toValue(m_words[m_next++], m_mask);
}

void OsRandomSource::fill(std::span<float> values)
{
    std::size_t done = 0;
    while (done < values.size()) {
        if (m_next == m_words.size()) {
            refill();
        }
        const std::size_t count = std::min(values.size() - done, m_words.size() - m_next);
        const std::uint32_t* words = m_words.data() + m_next;
        float* out = values.data() + done;
        const std::uint32_t mask = m_mask;
        // Whole groups of a fixed size let the compiler use vector code.
        constexpr std::size_t group = 8;
        std::size_t i = 0;
        for (; i + group <= count; i += group) {
            for (std::size_t j = 0; j < group; ++j) {
                out[i + j] = toValue(words[i + j], mask);
            }
        }
        for (; i < count; ++i) {
            out[i] = toValue(words[i], mask);
        }
        m_next += count;
        done += count;
    }
}

void OsRandomSource::refill()
{
    // Every bit of every word is random, so the byte order does not matter.
    fillOsRandom(m_words.data(), m_words.size() * sizeof(std::uint32_t));
    m_next = 0;
}

} // namespace passgen
