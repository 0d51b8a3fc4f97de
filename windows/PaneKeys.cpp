#include "PaneKeys.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QShortcut>

#include <memory>

namespace passgen {

namespace {

// The first control of container in the keyboard order that Tab would stop at.
QWidget* firstInTabOrder(QWidget& container)
{
    for (QWidget* w = container.nextInFocusChain(); w && w != &container;
         w = w->nextInFocusChain()) {
        if (container.isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() &&
            w->isEnabled())
            return w;
    }
    return nullptr;
}

void switchPane(QWidget& toolbar, QMdiArea& area, QWidget* lastInToolbar)
{
    if (!toolbar.isAncestorOf(QApplication::focusWidget())) {
        QWidget* back =
            lastInToolbar && lastInToolbar->isVisible() ? lastInToolbar : firstInTabOrder(toolbar);
        if (back)
            back->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    QMdiSubWindow* child = area.currentSubWindow();
    if (!child || !child->widget())
        return;
    area.setActiveSubWindow(child);
    QWidget* last = child->widget()->focusWidget();
    if (!last)
        last = firstInTabOrder(*child->widget());
    if (last)
        last->setFocus(Qt::ShortcutFocusReason);
}

} // namespace

void addPaneKeys(QWidget& frame, QWidget& toolbar, QMdiArea& area)
{
    // Back in the toolbar, the focus returns to the button it left.
    auto lastInToolbar = std::make_shared<QPointer<QWidget>>();
    QObject::connect(qApp, &QApplication::focusChanged, &frame,
                     [&toolbar, lastInToolbar](QWidget*, QWidget* now) {
                         if (toolbar.isAncestorOf(now))
                             *lastInToolbar = now;
                     });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_F6), QKeySequence(Qt::SHIFT | Qt::Key_F6)})
        QObject::connect(
            new QShortcut(keys, &frame), &QShortcut::activated, &frame,
            [&toolbar, &area, lastInToolbar] { switchPane(toolbar, area, *lastInToolbar); });
    QObject::connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6), &frame),
                     &QShortcut::activated, &area, &QMdiArea::activateNextSubWindow);
}

} // namespace passgen
