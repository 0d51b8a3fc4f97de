#pragma once

#include "windows/QtServices.h"
#include "windows/SessionEnd.h"
#include "windows/mdiMain.h"

#include <QApplication>
#include <QDrag>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>

// What the quit tests share: the quit hook and the event loop as main() sets
// them up, and a request made from inside a message box.
namespace passgen::testing {

// The window the quit hook closes. The hook is installed once per process,
// as main() does.
inline mdiMain*& hookedWindow()
{
    static mdiMain* window = nullptr;
    static const bool installed = [] {
        closeOnSessionEnd(
            [] {
                if (window) {
                    window->quitFromOutside();
                }
            },
            [] {
                if (window) {
                    window->saveBeforeSessionEnd();
                }
            });
        return true;
    }();
    (void)installed;
    return window;
}

inline bool anyWindowShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); });
}

// Waits until the close has deleted the child windows, the last thing it
// leaves for later; false if they are still there after 10 s.
inline bool childWindowsGone(const mdiMain& window)
{
    return QTest::qWaitFor([&] { return window.area().findChildren<QMdiSubWindow*>().isEmpty(); },
                           10000);
}

inline bool dragging()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](QWidget* w) { return w->findChild<QDrag*>() != nullptr; });
}

// Calls back once, from inside the first message box's or drag's own event
// loop.
class InNestedLoop {
public:
    explicit InNestedLoop(std::function<void()> callback) : m_callback(std::move(callback))
    {
        QObject::connect(&m_watch, &QTimer::timeout, [this] {
            if (m_callback &&
                (qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) || dragging())) {
                std::exchange(m_callback, nullptr)();
            }
        });
        m_watch.start(10);
    }

private:
    std::function<void()> m_callback;
    QTimer m_watch;
};

// Runs the program's event loop, as app.exec() in main() does, with start
// queued first, until no window is left. At the deadline whatever is still
// open is closed, and so is every box that opens until the loop has
// returned, and false returned.
inline bool runUntilNoWindowIsLeft(const std::function<void()>& start,
                                   std::chrono::milliseconds deadline = std::chrono::seconds(10))
{
    QEventLoop loop;
    bool ended = false;
    bool late = false;
    QTimer::singleShot(0, &loop, start);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (late) {
            closeModalWindows();
        } else if (!anyWindowShown()) {
            ended = true;
            loop.quit();
        }
    });
    poll.start(10);
    QTimer::singleShot(deadline, &loop, [&] {
        late = true;
        closeModalWindows();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            window->hide();
        }
        loop.quit();
    });
    loop.exec();
    return ended;
}

} // namespace passgen::testing
