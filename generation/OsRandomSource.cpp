#include "OsRandomSource.h"

#include "OsRandom.h"

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
    if (m_next == m_buffer.size()) {
        refill();
    }
    const unsigned char* b = m_buffer.data() + m_next;
    m_next += bytesPerValue;
    const std::uint32_t k =
        (std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16) ^ m_mask;
    return static_cast<float>(k) * 0x1p-24f;
}

void OsRandomSource::refill()
{
    fillOsRandom(m_buffer.data(), m_buffer.size());
    m_next = 0;
}

} // namespace passgen
