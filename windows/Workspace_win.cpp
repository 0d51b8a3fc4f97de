#include "Workspace.h"

#include <windows.h>

namespace passgen {

// Qt's Windows palette has no role for it: Dark is the button shadow.
QColor applicationWorkspaceColour(const QWidget&)
{
    const COLORREF colour = GetSysColor(COLOR_APPWORKSPACE);
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

} // namespace passgen
