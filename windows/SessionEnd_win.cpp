#include "SessionEnd.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>

#include <memory>

#include <windows.h>

namespace passgen {

namespace {

// What other programs and the system ask of the program's windows.
//
// The session's end comes in two steps. WM_QUERYENDSESSION asks whether it
// may end (at log-off, shut-down, or the Restart Manager's request): the
// files are saved before the answer, as the process may be ended soon after
// it, but another program may still cancel. WM_ENDSESSION then tells whether
// it ends. Both are handled here and not passed on: Qt's own handling would
// quit once in a process's life at most, and a quit from here while Qt goes
// on to hand the message to the window it closed would crash.
//
// A close sent to a window that a message box blocks, which Qt drops; the
// user cannot click the close box of a blocked window. taskkill without /f
// sends WM_CLOSE to every window of the program: the box would close as if
// answered and the frame's request be lost, leaving the program running.
class OutsideRequests final : public QAbstractNativeEventFilter {
public:
    OutsideRequests(std::function<void()> quit, std::function<void()> saveNow)
        : m_quit(std::move(quit)), m_saveNow(std::move(saveNow))
    {}

    bool nativeEventFilter(const QByteArray&, void* message, qintptr* result) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        switch (msg->message) {
        case WM_QUERYENDSESSION: // sent to each window of the program: saved once, then nothing
            m_saveNow();
            return answer(result, TRUE);
        case WM_ENDSESSION:
            if (msg->wParam) { // FALSE: another program cancelled, and the run goes on
                m_quit();
            }
            return answer(result, 0);
        case WM_CLOSE:
            if (const QWindow* modal = QGuiApplication::modalWindow();
                modal && reinterpret_cast<HWND>(modal->winId()) != msg->hwnd) {
                m_quit();
                return answer(result, 0);
            }
            return false;
        default:
            return false;
        }
    }

private:
    static bool answer(qintptr* result, qintptr value)
    {
        if (result) { // none for a message posted to the queue, as taskkill does
            *result = value;
        }
        return true;
    }

    std::function<void()> m_quit;
    std::function<void()> m_saveNow;
};

std::unique_ptr<OutsideRequests> requestFilter;

} // namespace

void closeOnSessionEnd(std::function<void()> quit, std::function<void()> saveNow)
{
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, quit);
    requestFilter = std::make_unique<OutsideRequests>(std::move(quit), std::move(saveNow));
    qApp->installNativeEventFilter(requestFilter.get());
}

} // namespace passgen
