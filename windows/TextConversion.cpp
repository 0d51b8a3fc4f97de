#include "TextConversion.h"

#include <QStringView>
#include <QTextDocument>

#include <algorithm>

namespace passgen {

namespace {

bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n';
}

} // namespace

QString toEditorText(const std::u16string& text)
{
    // Copies the runs between CR LF pairs whole: a journal is long lines with
    // few breaks, and Qt's search for a character is vectorised.
    const QStringView rest(text.data(), static_cast<qsizetype>(text.size()));
    QString result(rest.size(), Qt::Uninitialized);
    QChar* out = result.data();
    qsizetype from = 0;
    while (from < rest.size()) {
        qsizetype cr = rest.indexOf(u'\r', from);
        if (cr < 0) {
            cr = rest.size();
        }
        const bool pair = cr + 1 < rest.size() && rest[cr + 1] == u'\n';
        // A lone CR is kept; only the CR of a CR LF pair is left out.
        const qsizetype end = pair ? cr : std::min(cr + 1, rest.size());
        out = std::copy(rest.begin() + from, rest.begin() + end, out);
        from = pair ? cr + 1 : end;
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
