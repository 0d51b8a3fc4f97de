#include "TextConversion.h"

#include <QPlainTextEdit>
#include <QStringView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>
#include <vector>

namespace passgen {

namespace {

constexpr QChar standIn = QChar::ReplacementCharacter;
constexpr int standsFor = QTextFormat::UserProperty + 1;

// A U+2028 in the document is one the user typed, with Shift+Enter: a break.
bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n';
}

bool needsStandIn(QChar c)
{
    return c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
           c == QChar(0xFDD1);
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

void setEditorText(QPlainTextEdit& editor, const std::u16string& text)
{
    QString shown = toEditorText(text);
    std::vector<std::pair<qsizetype, QChar>> standIns;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (needsStandIn(shown[i])) {
            standIns.emplace_back(i, shown[i]);
            shown[i] = standIn;
        }
    }
    editor.setPlainText(shown);
    if (standIns.empty()) {
        return;
    }
    // Outside the undo history, so that Ctrl+Z cannot take the marks away.
    QTextDocument& document = *editor.document();
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    for (const auto& [position, character] : standIns) {
        // A line break is one position in the document, as in the shown text.
        cursor.setPosition(static_cast<int>(position));
        cursor.setPosition(static_cast<int>(position) + 1, QTextCursor::KeepAnchor);
        QTextCharFormat mark;
        mark.setProperty(standsFor, character.unicode());
        cursor.mergeCharFormat(mark);
    }
    document.setUndoRedoEnabled(true);
}

std::u16string fromEditorText(const QTextDocument& document)
{
    const QString raw = document.toRawText();
    if (!raw.contains(standIn)) {
        return fromEditorFragment(raw);
    }
    // Text typed beside a stand-in takes its mark too: only the stand-in
    // character itself goes back.
    std::u16string result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) {
            result += u"\r\n";
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QVariant original = fragment.charFormat().property(standsFor);
            for (const QChar c : fragment.text()) {
                if (c == standIn && original.isValid()) {
                    result += static_cast<char16_t>(original.toUInt());
                } else if (isBreak(c)) {
                    result += u"\r\n";
                } else {
                    result += c.unicode();
                }
            }
        }
    }
    return result;
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
