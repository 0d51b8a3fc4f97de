#pragma once

class QMdiArea;
class QWidget;

namespace passgen {

// A child window keeps the Tab key inside itself, as on Windows. F6 and
// Shift+F6 move the focus between the toolbar and the active child window,
// as between a Windows program's panes; Ctrl+F6 and Ctrl+Tab go on to the
// next child window.
void addPaneKeys(QWidget& frame, QWidget& toolbar, QMdiArea& area);

} // namespace passgen
