#include "PaneKeys.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>

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

void switchPane(QWidget& toolbar, QMdiArea& area)
{
    if (!toolbar.isAncestorOf(QApplication::focusWidget())) {
        if (QWidget* first = firstInTabOrder(toolbar))
            first->setFocus(Qt::ShortcutFocusReason);
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
    for (const QKeySequence keys : {QKeySequence(Qt::Key_F6), QKeySequence(Qt::SHIFT | Qt::Key_F6)})
        QObject::connect(new QShortcut(keys, &frame), &QShortcut::activated, &frame,
                         [&toolbar, &area] { switchPane(toolbar, area); });
    QObject::connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6), &frame),
                     &QShortcut::activated, &area, &QMdiArea::activateNextSubWindow);
}

} // namespace passgen
