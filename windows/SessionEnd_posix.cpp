#include "SessionEnd.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace passgen {

namespace {

// A signal handler may do next to nothing, so it only writes a byte into a
// pipe that the event loop watches.
int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void closeOnSessionEnd(std::function<void()> quit, std::function<void()> /*saveNow*/)
{
    // An X11 session manager's request to save may be a mere checkpoint, so
    // it is no quit, nor a save; the end of the session comes as
    // QEvent::Quit, which the frame window takes. This covers an exit from
    // the loop past that event.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, quit);
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the program still runs; only a signal then ends it unsaved
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [quit = std::move(quit)] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : std::array{SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace passgen
