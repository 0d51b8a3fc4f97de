#pragma once

#include <cstdint>
#include <string>

namespace passgen {

// The four values that steer generation. The program owns exactly one instance
// (the main window holds it) and hands it by reference to every window that
// reads or writes it; tests make their own. The zero state is the state before
// the main window loads.
struct Module1 {
    std::u16string Simbols;   // the symbols passwords are drawn from; may span lines
    std::u16string Excluds;   // characters that never appear in a password
    std::int32_t LenPass = 0; // characters per password
    std::int32_t NPass = 0;   // passwords per generate command
};

} // namespace passgen
