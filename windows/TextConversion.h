#pragma once

#include <QString>

#include <cstdint>
#include <string>

class QPlainTextEdit;
class QTextDocument;

// Qt's text document keeps a line break as one paragraph separator, while the
// settings and the journal count it as CR LF, two characters. These convert
// texts and positions between the two.
namespace passgen {

// A CR LF text as the text for a multi-line editor.
QString toEditorText(const std::u16string& text);

// Puts a CR LF text into a multi-line editor so that fromEditorText gives
// every character of it back. A text document keeps U+2028 and U+2029 as
// line breaks and U+FDD0 and U+FDD1 as marks of its own, so these stand in
// the editor as U+FFFD, each marked with the character it stands for.
void setEditorText(QPlainTextEdit& editor, const std::u16string& text);

// The editor's whole text, line breaks as CR LF and marked stand-ins as the
// characters they stand for. Unlike toPlainText() this keeps non-breaking
// spaces, which are valid symbols.
std::u16string fromEditorText(const QTextDocument& document);

// A selection or fragment of the editor as CR LF text.
std::u16string fromEditorFragment(const QString& fragment);

// Converts a position between the CR LF text and the editor. A CR LF position
// between the CR and the LF maps to the editor position after the break.
std::int32_t toEditorPosition(const QString& editorText, std::int32_t position);
std::int32_t fromEditorPosition(const QString& editorText, std::int32_t position);

} // namespace passgen
