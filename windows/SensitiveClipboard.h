#pragma once

#include <QString>

class QMimeData;

namespace passgen {

// Puts plain text on the system clipboard marked the way password managers
// mark a secret, so that clipboard history, clipboard managers and cloud
// clipboards leave it out. A clipboard that cannot be written is left as it
// is; the caller reads it back to find out.
void putSensitiveText(const QString& text);

// Plain text alone, with the marks that travel in MIME data, for what takes
// a secret other than through putSensitiveText: a drag, the X11 selection.
// Windows' marks are clipboard formats of their own, which only
// putSensitiveText writes.
QMimeData* sensitiveMimeData(const QString& text);

// Whether data that this program put on the clipboard through Qt carries the
// marks.
bool carriesMarks(const QMimeData& data);

// The clipboard's plain text exactly as other programs get it, line breaks
// as they stand (Qt turns CR LF into LF when it reads the Windows clipboard).
QString clipboardText();

} // namespace passgen
