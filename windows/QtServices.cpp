#include "QtServices.h"

#include "SensitiveClipboard.h"
#include "TextConversion.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QDialog>
#include <QDrag>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace passgen {

void QtMessageBox::information(std::u16string_view text, std::u16string_view title)
{
    const QString message = QString::fromUtf16(text.data(), text.size());
    QMessageBox box(QMessageBox::Information, QString::fromUtf16(title.data(), title.size()),
                    message, QMessageBox::Ok, m_parent);
    // A screen reader reads the box's description when the box comes up,
    // as it reads a Windows message box's text.
    box.setAccessibleDescription(message);
    box.exec();
}

namespace {

// A deferred delete runs once the handler that asked for it has returned to
// its event loop: so then runs, not inside that handler.
void afterHandler(QObject* context, std::function<void()> then)
{
    if (!context) {
        return;
    }
    auto* handlerReturned = new QObject;
    QObject::connect(handlerReturned, &QObject::destroyed, context, std::move(then));
    handlerReturned->deleteLater();
}

} // namespace

void RunMessageBox::information(std::u16string_view text, std::u16string_view title)
{
    if (m_silent) {
        qWarning().noquote() << QString::fromUtf16(title.data(), title.size()) << ":"
                             << QString::fromUtf16(text.data(), text.size());
        return;
    }
    ++m_open;
    m_shown.information(text, title);
    if (--m_open == 0) {
        for (auto& [context, then] : std::exchange(m_afterBoxes, {})) {
            afterHandler(context, std::move(then));
        }
    }
}

void RunMessageBox::afterBoxes(QObject& context, std::function<void()> then)
{
    if (m_open == 0) {
        then();
        return;
    }
    m_afterBoxes.emplace_back(&context, std::move(then));
}

void closeModalWindows()
{
    QDrag::cancel();
    QWidget* popup = nullptr;
    while ((popup = QApplication::activePopupWidget()) && popup->close()) {
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // reject() closes a box even where its close button would be refused.
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    }
}

void QtClipboard::clear()
{
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::setText(const std::u16string& text)
{
    putSensitiveText(QString::fromStdU16String(text));
}

std::u16string QtClipboard::text() const
{
    return clipboardText().toStdU16String();
}

std::u16string LineEditField::Text() const
{
    return m_edit.text().toStdU16String();
}

void LineEditField::setText(const std::u16string& text)
{
    m_edit.setText(QString::fromStdU16String(text));
}

std::int32_t LineEditField::SelStart() const
{
    return m_edit.hasSelectedText() ? m_edit.selectionStart() : m_edit.cursorPosition();
}

void LineEditField::setSelStart(std::int32_t start)
{
    m_edit.setCursorPosition(std::clamp<std::int32_t>(start, 0, m_edit.text().size()));
}

std::int32_t LineEditField::SelLength() const
{
    return m_edit.selectionLength();
}

void LineEditField::setSelLength(std::int32_t length)
{
    const std::int32_t start = SelStart();
    m_edit.setSelection(start, std::clamp<std::int32_t>(length, 0, m_edit.text().size() - start));
}

std::u16string LineEditField::SelText() const
{
    return m_edit.selectedText().toStdU16String();
}

void LineEditField::setSelText(const std::u16string& text)
{
    m_edit.insert(QString::fromStdU16String(text));
}

void LineEditField::setFocus()
{
    m_edit.setFocus();
}

QString JournalField::editorText() const
{
    return m_edit.document()->toRawText();
}

std::u16string JournalField::Text() const
{
    return fromEditorText(*m_edit.document());
}

void JournalField::setText(const std::u16string& text)
{
    m_edit.setPlainText(toEditorText(text));
}

bool JournalField::isEmpty() const
{
    return m_edit.document()->isEmpty();
}

void JournalField::append(const std::u16string& text)
{
    // Shows what setPlainText(Text() + text) would, at the cost of the added
    // text alone: the same text, a fresh undo history (so Ctrl+Z cannot
    // bring back an earlier journal), an unmodified document, the caret at
    // the start with nothing selected, and the view at the top left.
    QTextDocument& document = *m_edit.document();
    const bool undoRedo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false); // also clears the undo history
    QTextCursor end(&document);
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    end.insertText(toEditorText(text));
    end.endEditBlock();
    document.setUndoRedoEnabled(undoRedo);
    document.setModified(false);
    m_edit.setTextCursor(QTextCursor(&document));
    m_edit.horizontalScrollBar()->setValue(0);
    m_edit.verticalScrollBar()->setValue(0);
}

std::int32_t JournalField::SelStart() const
{
    return fromEditorPosition(editorText(), m_edit.textCursor().selectionStart());
}

void JournalField::setSelStart(std::int32_t start)
{
    QTextCursor cursor = m_edit.textCursor();
    cursor.setPosition(toEditorPosition(editorText(), std::max(start, 0)));
    m_edit.setTextCursor(cursor);
}

std::int32_t JournalField::SelLength() const
{
    const QTextCursor cursor = m_edit.textCursor();
    const QString text = editorText();
    return fromEditorPosition(text, cursor.selectionEnd()) -
           fromEditorPosition(text, cursor.selectionStart());
}

void JournalField::setSelLength(std::int32_t length)
{
    const QString text = editorText();
    QTextCursor cursor = m_edit.textCursor();
    const std::int32_t start = cursor.selectionStart();
    const std::int32_t end =
        toEditorPosition(text, fromEditorPosition(text, start) + std::max(length, 0));
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_edit.setTextCursor(cursor);
}

std::u16string JournalField::SelText() const
{
    return fromEditorFragment(m_edit.textCursor().selectedText());
}

void JournalField::setSelText(const std::u16string& text)
{
    QTextCursor cursor = m_edit.textCursor();
    cursor.insertText(toEditorText(text));
    m_edit.setTextCursor(cursor);
}

void JournalField::setFocus()
{
    m_edit.setFocus();
}

} // namespace passgen
