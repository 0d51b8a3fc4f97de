#pragma once

#include "Services.h"

namespace passgen {

// The local time of day, as the generator's re-seed reads it.
class SystemClock final : public Clock {
public:
    std::int32_t secondsOfDay() override;
};

} // namespace passgen
