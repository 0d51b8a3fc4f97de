#pragma once

#include <QString>

namespace passgen {

// Puts plain text on the system clipboard marked the way password managers
// mark a secret, so that clipboard history, clipboard managers and cloud
// clipboards leave it out. A clipboard that cannot be written is left as it
// is; the caller reads it back to find out.
void putSensitiveText(const QString& text);

// The clipboard's plain text exactly as other programs get it, line breaks
// as they stand (Qt turns CR LF into LF when it reads the Windows clipboard).
QString clipboardText();

} // namespace passgen
