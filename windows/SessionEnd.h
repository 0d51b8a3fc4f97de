#pragma once

#include <functional>

namespace passgen {

// Runs quit when something other than the user asks the program to end:
// SIGTERM, SIGINT and SIGHUP on POSIX; on Windows the session's end, and a
// WM_CLOSE that reaches a window while a message box blocks it, as taskkill
// sends; everywhere an end of Qt's event loop that came past QEvent::Quit.
// That event itself, which the end of an X11 session and
// QCoreApplication::quit() send, would close the windows before quit runs,
// so the frame window takes it instead (mdiMain). quit runs
// on the user-interface thread, from whatever event loop runs then, a
// message box's included. Call once, after the QApplication exists and
// before the settings are loaded.
void closeOnSessionEnd(std::function<void()> quit);

} // namespace passgen
