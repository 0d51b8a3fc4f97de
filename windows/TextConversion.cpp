#include "TextConversion.h"

#include <QTextDocument>

namespace passgen {

namespace {

bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n';
}

} // namespace

QString toEditorText(const std::u16string& text)
{
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;
        }
        *out++ = QChar(text[i]);
    }
    result.truncate(out - result.constData());
    return result;
}

std::u16string fromEditorFragment(const QString& fragment)
{
    std::u16string result;
    result.reserve(static_cast<std::size_t>(fragment.size()) + 64);
    for (const QChar c : fragment) {
        if (isBreak(c)) {
            result += u"\r\n";
        } else {
            result += c.unicode();
        }
    }
    return result;
}

std::u16string fromEditorText(const QTextDocument& document)
{
    return fromEditorFragment(document.toRawText());
}

std::int32_t toEditorPosition(const QString& editorText, std::int32_t position)
{
    std::int32_t crlf = 0;
    std::int32_t editor = 0;
    while (editor < editorText.size() && crlf < position) {
        crlf += isBreak(editorText.at(editor)) ? 2 : 1;
        ++editor;
    }
    return editor;
}

std::int32_t fromEditorPosition(const QString& editorText, std::int32_t position)
{
    std::int32_t crlf = 0;
    for (std::int32_t i = 0; i < position && i < editorText.size(); ++i) {
        crlf += isBreak(editorText.at(i)) ? 2 : 1;
    }
    return crlf;
}

} // namespace passgen
