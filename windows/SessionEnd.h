#pragma once

#include <functional>

namespace passgen {

// Runs quit when something other than the user asks the program to end:
// SIGTERM, SIGINT and SIGHUP on POSIX; on Windows the session's end
// (WM_ENDSESSION that says it ends, also the Restart Manager's), and a
// WM_CLOSE that reaches a window while a message box blocks it, as taskkill
// sends; everywhere an end of Qt's event loop that came past QEvent::Quit.
// That event itself, which the end of an X11 session and
// QCoreApplication::quit() send, would close the windows before quit runs,
// so the frame window takes it instead (mdiMain). On Windows saveNow runs
// when the session's end is asked about first (WM_QUERYENDSESSION): another
// program may still cancel it, so the program saves and stays. Both run on
// the user-interface thread, from whatever event loop runs then, a message
// box's included. Call once, after the QApplication exists and before the
// settings are loaded.
void closeOnSessionEnd(std::function<void()> quit, std::function<void()> saveNow);

} // namespace passgen
