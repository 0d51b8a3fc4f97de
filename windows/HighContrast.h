#pragma once

#include <functional>

class QObject;

namespace passgen {

// Whether the user has asked every program to draw in the system's colours,
// as Windows' high-contrast mode does.
bool highContrastOn();

// Calls changed when the user turns that mode on or off, for as long as
// owner lives. Qt tells of the system's new colours as a palette change,
// but not of the switch itself.
void followHighContrast(QObject& owner, std::function<void()> changed);

} // namespace passgen
