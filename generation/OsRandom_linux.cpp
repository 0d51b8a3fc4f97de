#include "OsRandom.h"

#include <cerrno>
#include <sys/random.h>
#include <system_error>

namespace passgen {

void fillOsRandom(void* data, std::size_t size)
{
    auto* out = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ssize_t got = getrandom(out, size, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        // Requests above 256 bytes may be cut short by a signal.
        out += got;
        size -= static_cast<std::size_t>(got);
    }
}

} // namespace passgen
