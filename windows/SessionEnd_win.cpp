#include "SessionEnd.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace passgen {

// Windows asks every window at log-off or shut-down (WM_QUERYENDSESSION);
// Qt passes that on as commitDataRequest.
void closeOnSessionEnd(std::function<void()> close)
{
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                     [close = std::move(close)](QSessionManager&) { close(); });
}

} // namespace passgen
