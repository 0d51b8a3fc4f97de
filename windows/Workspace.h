#pragma once

#include <QColor>

class QWidget;

namespace passgen {

// The colour behind the child windows of a frame: the system's
// application-workspace colour on Windows; elsewhere, where no such system
// colour exists, the palette's Dark role of the given widget, as QMdiArea
// itself uses.
QColor applicationWorkspaceColour(const QWidget& frame);

} // namespace passgen
