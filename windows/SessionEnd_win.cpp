#include "SessionEnd.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QSessionManager>
#include <QWindow>

#include <memory>

#include <windows.h>

namespace passgen {

namespace {

// Qt drops a close sent to a window that a message box blocks, and the user
// cannot click the close box of a blocked window. taskkill without /f sends
// WM_CLOSE to every window of the program: the box would close as if
// answered and the frame's request be lost, leaving the program running.
class CloseWhileBlocked final : public QAbstractNativeEventFilter {
public:
    explicit CloseWhileBlocked(std::function<void()> quit) : m_quit(std::move(quit)) {}

    bool nativeEventFilter(const QByteArray&, void* message, qintptr* result) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        const QWindow* modal = QGuiApplication::modalWindow();
        if (msg->message != WM_CLOSE || !modal ||
            reinterpret_cast<HWND>(modal->winId()) == msg->hwnd) {
            return false;
        }
        m_quit();
        if (result) { // none for a message posted to the queue, as taskkill does
            *result = 0;
        }
        return true;
    }

private:
    std::function<void()> m_quit;
};

std::unique_ptr<CloseWhileBlocked> closeFilter;

} // namespace

void closeOnSessionEnd(std::function<void()> quit)
{
    // WM_QUERYENDSESSION at log-off or shut-down: Qt asks here, and the
    // settings must be saved before the answer, as the process may be ended
    // soon after it.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                     [quit](QSessionManager&) { quit(); });
    // WM_ENDSESSION: Qt quits at once, also when no query came first.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, quit);
    closeFilter = std::make_unique<CloseWhileBlocked>(std::move(quit));
    qApp->installNativeEventFilter(closeFilter.get());
}

} // namespace passgen
