#pragma once

class QString;
class QWidget;

namespace passgen {

// Has screen readers speak text about source now, as a note that comes up
// without taking the focus. On Linux the change of source's name or
// description that goes with it is enough: the bus tells screen readers of
// it. Qt 6.4 tells Windows' UI Automation of neither, but it raises UIA's
// notification event, which Narrator and NVDA speak, for a value change
// that carries text.
void announce(QWidget& source, const QString& text);

} // namespace passgen
