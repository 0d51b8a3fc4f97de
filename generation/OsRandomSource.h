#pragma once

#include "Services.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace passgen {

// The program's random source: every value comes from a cryptographic
// generator seeded by the operating system (BCryptGenRandom on Windows,
// OpenSSL's kernel-seeded DRBG elsewhere), so a password cannot be predicted
// from the time at which it was made. Values are k / 2^24 with k uniform over
// 0 .. 2^24 - 1.
// Throws std::system_error from next() and fill() when the operating system
// fails.
class OsRandomSource final : public RandomSource {
public:
    OsRandomSource() = default;
    OsRandomSource(const OsRandomSource&) = delete;
    OsRandomSource& operator=(const OsRandomSource&) = delete;

    void reseed(std::int32_t seed) override;
    float next() override;
    void fill(std::span<float> values) override;

private:
    // 64 KiB per request: OpenSSL's cost per request is fixed, and at 4 KiB it
    // still halved the throughput.
    static constexpr std::size_t wordsPerRequest = 16384;

    void refill();

    // One 32-bit word per value, of which 24 bits are used: a byte more per
    // value than needed, for a loop the compiler turns into vector code.
    std::vector<std::uint32_t> m_words = std::vector<std::uint32_t>(wordsPerRequest);
    std::size_t m_next = m_words.size();
    std::uint32_t m_mask = 0;
};

} // namespace passgen
