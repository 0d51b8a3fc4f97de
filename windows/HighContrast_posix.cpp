#include "HighContrast.h"

namespace passgen {

// Qt 6.4 offers no high-contrast setting on Linux, and a palette cannot
// tell one: an ordinary light theme's black on near white is as stark as a
// high-contrast theme's. Such a theme's colours still reach the fields and
// buttons, and captions on the fixed backgrounds stay readable.
bool highContrastOn()
{
    return false;
}

void followHighContrast(QObject&, std::function<void()>) {}

} // namespace passgen
