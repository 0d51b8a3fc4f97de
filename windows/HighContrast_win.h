#pragma once

#include <windows.h>

namespace passgen {

// Whether SPI_GETHIGHCONTRAST's answer asks for the system's colours: the
// switch, not HCF_AVAILABLE, which a Windows system normally has set.
bool asksForSystemColours(const HIGHCONTRASTW& setting);

} // namespace passgen
