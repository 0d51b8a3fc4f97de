#include "OsRandom.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <system_error>

namespace passgen {

void fillOsRandom(void* data, std::size_t size)
{
    auto* out = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 30));
        const NTSTATUS status =
            BCryptGenRandom(nullptr, out, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
        if (!BCRYPT_SUCCESS(status)) {
            throw std::system_error(static_cast<int>(status), std::system_category(),
                                    "BCryptGenRandom");
        }
        out += chunk;
        size -= chunk;
    }
}

} // namespace passgen
