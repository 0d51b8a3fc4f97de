#pragma once

#include "Services.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace passgen {

// The program's random source: every value comes from a cryptographic
// generator seeded by the operating system (BCryptGenRandom on Windows,
// OpenSSL's kernel-seeded DRBG elsewhere), so a password cannot be predicted from the time at
// which it was made. Values are k / 2^24 with k uniform over 0 .. 2^24 - 1.
// Throws std::system_error from next() when the operating system fails.
class OsRandomSource final : public RandomSource {
public:
    OsRandomSource() = default;
    OsRandomSource(const OsRandomSource&) = delete;
    OsRandomSource& operator=(const OsRandomSource&) = delete;

    void reseed(std::int32_t seed) override;
    float next() override;

private:
    static constexpr std::size_t bytesPerValue = 3;
    static constexpr std::size_t valuesPerFill = 1365; // about 4 KiB per system call

    void refill();

    std::array<unsigned char, bytesPerValue * valuesPerFill> m_buffer{};
    std::size_t m_next = m_buffer.size();
    std::uint32_t m_mask = 0;
};

} // namespace passgen
