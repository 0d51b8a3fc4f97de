#include "Workspace.h"

#include <QPalette>
#include <QWidget>

namespace passgen {

QColor applicationWorkspaceColour(const QWidget& frame)
{
    return frame.palette().color(QPalette::Dark);
}

} // namespace passgen
