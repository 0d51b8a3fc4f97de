#pragma once

#include <QString>

#include <cstdint>
#include <string>

class QTextDocument;

// Qt's text document keeps a line break as one paragraph separator, while the
// settings and the journal count it as CR LF, two characters. These convert
// texts and positions between the two.
namespace passgen {

// A CR LF text as the text for a multi-line editor.
QString toEditorText(const std::u16string& text);

// The editor's whole text, line breaks as CR LF. Unlike toPlainText() this
// keeps non-breaking spaces, which are valid symbols.
std::u16string fromEditorText(const QTextDocument& document);

// A selection or fragment of the editor as CR LF text.
std::u16string fromEditorFragment(const QString& fragment);

// Converts a position between the CR LF text and the editor. A CR LF position
// between the CR and the LF maps to the editor position after the break.
std::int32_t toEditorPosition(const QString& editorText, std::int32_t position);
std::int32_t fromEditorPosition(const QString& editorText, std::int32_t position);

} // namespace passgen
