#include "SystemClock.h"

#include <ctime>

namespace passgen {

std::int32_t SystemClock::secondsOfDay()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    const bool ok = localtime_s(&local, &now) == 0;
#else
    const bool ok = localtime_r(&now, &local) != nullptr;
#endif
    if (!ok) {
        // The value only seasons the random source, so UTC serves as well.
        return static_cast<std::int32_t>(now % 86400);
    }
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

} // namespace passgen
