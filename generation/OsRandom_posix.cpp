#include "OsRandom.h"

#include <openssl/err.h>
#include <openssl/rand.h>

#include <cerrno>
#include <climits>
#include <string>
#include <system_error>

namespace passgen {

// OpenSSL's generator is a CTR_DRBG that seeds and reseeds itself from the
// kernel (getrandom). Reading the kernel for every byte of a large batch
// would cost more time than putting the batch into the journal.
void fillOsRandom(void* data, std::size_t size)
{
    auto* out = static_cast<unsigned char*>(data);
    while (size > 0) {
        const int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        if (RAND_bytes(out, chunk) != 1) {
            char reason[256];
            ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
            throw std::system_error(EIO, std::generic_category(),
                                    std::string("RAND_bytes: ") + reason);
        }
        out += chunk;
        size -= static_cast<std::size_t>(chunk);
    }
}

} // namespace passgen
