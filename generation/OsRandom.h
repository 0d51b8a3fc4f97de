#pragma once

#include <cstddef>

namespace passgen {

// Fills `size` bytes at `data` from the operating system's cryptographic
// random source; throws std::system_error when the source fails, so that no
// password is ever built from bytes that were not filled.
void fillOsRandom(void* data, std::size_t size);

} // namespace passgen
