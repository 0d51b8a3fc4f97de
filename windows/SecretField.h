#pragma once

#include <QPlainTextEdit>

class QLineEdit;
class QMimeData;

namespace passgen {

class TextField;

// The journal's editor. Whatever takes its selection (a drag, a copy, the X11
// selection) gets the selected text alone, plain and marked as a secret the
// way the clipboard adapter marks it (SensitiveClipboard.h), never the html,
// markdown or ODF that an editor offers besides.
class SecretTextEdit final : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override;
};

// Lets the text of a field that shows passwords reach the clipboard only
// through the clipboard adapter (SensitiveClipboard.h), so that every copy is
// marked as a secret, whichever of the field's own ways starts it: the copy
// and cut keys, the kill keys of the X11 key scheme and the context menu's
// Copy and Cut. A cut removes the text only once the clipboard holds it. A
// copy of the field's text that reaches the clipboard past these, as a
// screen reader's copy through the accessibility bridge does, is put there
// again, marked, before another program can read it (where the platform
// tells of a write as it happens, as X11 does).
//
// Selecting in the field leaves the X11 PRIMARY selection without the
// password (a middle click elsewhere would paste it, and clipboard managers
// record PRIMARY too), and the field's text cannot be dragged out. Pasting
// into the field, middle click included, works as before. Input methods are
// told that the field holds a secret, so they neither predict nor learn it.
//
// text is the window's adapter of the field, which must live as long as the
// field. The guard is a child of the field and lives as long as it.
void keepSecret(QLineEdit& field, TextField& text);
void keepSecret(QPlainTextEdit& field, TextField& text);

} // namespace passgen
