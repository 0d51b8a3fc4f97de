#pragma once

class QLineEdit;
class QPlainTextEdit;

namespace passgen {

// Lets the text of a field that shows passwords reach the clipboard only
// through the clipboard adapter (SensitiveClipboard.h), so that every copy is
// marked as a secret, whichever of the field's own ways starts it: the copy
// and cut keys, the kill keys of the X11 key scheme and the context menu's
// Copy and Cut. A cut removes the text only once the clipboard holds it.
//
// Selecting in the field leaves the X11 PRIMARY selection without the
// password (a middle click elsewhere would paste it, and clipboard managers
// record PRIMARY too), and the field's text cannot be dragged out. Pasting
// into the field, middle click included, works as before.
//
// The guard is a child of the field and lives as long as it.
void keepSecret(QLineEdit& field);
void keepSecret(QPlainTextEdit& field);

} // namespace passgen
