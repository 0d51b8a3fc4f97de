#pragma once

#include <functional>

namespace passgen {

// Runs close when the session asks the program to quit rather than the user:
// SIGTERM, SIGINT and SIGHUP on POSIX, the end of the session on Windows. The
// close then runs on the user-interface thread like any other event. Call
// once, after the QApplication exists.
void closeOnSessionEnd(std::function<void()> close);

} // namespace passgen
