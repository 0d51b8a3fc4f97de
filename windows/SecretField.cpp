#include "SecretField.h"

#include "SensitiveClipboard.h"
#include "generation/Journal.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace passgen {

namespace {

// As Qt's own editor offers it, so that the guard knows it in PRIMARY.
QString selectedPlainText(const QPlainTextEdit& edit)
{
    return edit.textCursor().selection().toPlainText();
}

// Watches a field's events and takes over every one that would copy its
// text; what differs between the one-line field and the journal is left to
// the two kinds below.
class SecretField : public QObject {
public:
    SecretField(QWidget& field, TextField& text) : QObject(&field), m_field(field), m_text(text)
    {
        field.installEventFilter(this);
        field.setInputMethodHints(field.inputMethodHints() | Qt::ImhSensitiveData |
                                  Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
        QClipboard* clipboard = QGuiApplication::clipboard();
        connect(clipboard, &QClipboard::selectionChanged, this, &SecretField::keepOutOfSelection);
        connect(clipboard, &QClipboard::dataChanged, this, &SecretField::markStrayCopy);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            return keyPress(static_cast<const QKeyEvent&>(*event));
        case QEvent::ContextMenu:
            return contextMenu(static_cast<const QContextMenuEvent&>(*event));
        case QEvent::MouseButtonPress:
            mousePress(*watched, static_cast<const QMouseEvent&>(*event));
            return false;
        default:
            return false;
        }
    }

    // A property of both QLineEdit and QPlainTextEdit.
    bool isReadOnly() const { return m_field.property("readOnly").toBool(); }

    void copy()
    {
        if (m_text.SelLength() > 0) {
            putSensitiveText(QString::fromStdU16String(m_text.SelText()));
        }
    }

    void cut()
    {
        if (isReadOnly() || m_text.SelLength() == 0) {
            return;
        }
        const std::u16string text = m_text.SelText();
        putSensitiveText(QString::fromStdU16String(text));
        // A clipboard that another program holds open takes nothing; the
        // password then stays in the field instead of being lost.
        if (clipboardText().toStdU16String() == text) {
            m_text.setSelText(u"");
        }
    }

private:
    virtual QMenu* standardMenu() = 0;
    // The selection as the field itself puts it into PRIMARY.
    virtual QString selectionAsCopied() const = 0;
    // The whole text, line breaks as LF, as the accessibility bridge reads it.
    virtual QString plainText() const = 0;
    // Keys other than copy and cut that copy text; true if it was one.
    virtual bool otherCopyKey(const QKeyEvent&) { return false; }
    virtual void mousePress(const QObject&, const QMouseEvent&) {}

    bool keyPress(const QKeyEvent& key)
    {
        if (key.matches(QKeySequence::Copy)) {
            copy();
            return true;
        }
        if (key.matches(QKeySequence::Cut)) {
            cut();
            return true;
        }
        return otherCopyKey(key);
    }

    // The field's own menu, its Copy and Cut rerouted. The journal's actions
    // carry object names; the one-line field's are found by the slot they
    // are connected to.
    bool contextMenu(const QContextMenuEvent& event)
    {
        if (m_field.contextMenuPolicy() != Qt::DefaultContextMenu) {
            return false;
        }
        QMenu* menu = standardMenu();
        for (QAction* action : menu->actions()) {
            if (!reroute(*action, "edit-copy", SLOT(copy()), &SecretField::copy)) {
                reroute(*action, "edit-cut", SLOT(cut()), &SecretField::cut);
            }
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event.globalPos());
        return true;
    }

    // Makes the action call command if it is the standard one that calls the
    // field's slot; returns whether it was.
    bool reroute(QAction& action, const char* name, const char* slot,
                 void (SecretField::*command)())
    {
        // Qt gives only the journal's actions names; disconnecting is how an
        // action is found connected to the slot.
        if (action.objectName() != QLatin1String(name) &&
            !disconnect(&action, SIGNAL(triggered()), &m_field, slot)) {
            return false;
        }
        disconnect(&action, &QAction::triggered, nullptr, nullptr);
        connect(&action, &QAction::triggered, this, command);
        return true;
    }

    // Runs inside the field's own write to PRIMARY, before the event loop
    // can answer another program's request for it, so no request gets the
    // password.
    void keepOutOfSelection()
    {
        QClipboard& clipboard = *QGuiApplication::clipboard();
        if (!clipboard.ownsSelection()) {
            return;
        }
        const QMimeData* data = clipboard.mimeData(QClipboard::Selection);
        const QString selected = selectionAsCopied();
        if (data && !selected.isEmpty() && data->text() == selected) {
            clipboard.clear(QClipboard::Selection);
        }
    }

    // Runs inside the write to the clipboard on X11, as keepOutOfSelection
    // does; on Windows Qt tells of a write only later.
    void markStrayCopy()
    {
        QClipboard& clipboard = *QGuiApplication::clipboard();
        if (!clipboard.ownsClipboard()) {
            return;
        }
        const QMimeData* data = clipboard.mimeData();
        if (!data || carriesMarks(*data)) {
            return;
        }
        const QString text = data->text();
        if (!text.isEmpty() && plainText().contains(text)) {
            putSensitiveText(text);
        }
    }

    QWidget& m_field;
    TextField& m_text;
};

class SecretLineEdit final : public SecretField {
public:
    SecretLineEdit(QLineEdit& edit, TextField& text) : SecretField(edit, text), m_edit(edit)
    {
        edit.setDragEnabled(false);
    }

private:
    QMenu* standardMenu() override { return m_edit.createStandardContextMenu(); }
    QString selectionAsCopied() const override { return m_edit.selectedText(); }
    QString plainText() const override { return m_edit.text(); }

    // The X11 key scheme's Ctrl+K and Ctrl+U cut the rest of the line and
    // the whole line.
    bool otherCopyKey(const QKeyEvent& key) override
    {
        const bool toEnd = key.matches(QKeySequence::DeleteEndOfLine);
        if (!toEnd && !key.matches(QKeySequence::DeleteCompleteLine)) {
            return false;
        }
        if (!isReadOnly()) {
            const int start = toEnd ? m_edit.cursorPosition() : 0;
            m_edit.setSelection(start, m_edit.text().size() - start);
            cut();
        }
        return true;
    }

    QLineEdit& m_edit;
};

class SecretJournal final : public SecretField {
public:
    SecretJournal(QPlainTextEdit& edit, TextField& text) : SecretField(edit, text), m_edit(edit)
    {
        // The mouse and its context menu reach the viewport, not the editor.
        edit.viewport()->installEventFilter(this);
    }

private:
    QMenu* standardMenu() override { return m_edit.createStandardContextMenu(); }
    QString selectionAsCopied() const override { return selectedPlainText(m_edit); }
    QString plainText() const override
    {
        return m_edit.document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
    }

    // A press inside the selection would pick it up to be dragged out;
    // dropped first, the press starts a new selection instead, as a press
    // outside it does. Only a press with Shift alone extends the selection,
    // which Qt then does. The view stays where it is, so the press lands on
    // the character under the mouse.
    void mousePress(const QObject& watched, const QMouseEvent& press) override
    {
        if (&watched != m_edit.viewport() || press.button() != Qt::LeftButton ||
            press.modifiers() == Qt::ShiftModifier || !m_edit.textCursor().hasSelection()) {
            return;
        }
        QScrollBar& horizontal = *m_edit.horizontalScrollBar();
        QScrollBar& vertical = *m_edit.verticalScrollBar();
        const int left = horizontal.value();
        const int top = vertical.value();
        m_edit.setTextCursor(m_edit.cursorForPosition(press.position().toPoint()));
        horizontal.setValue(left);
        vertical.setValue(top);
    }

    QPlainTextEdit& m_edit;
};

} // namespace

QMimeData* SecretTextEdit::createMimeDataFromSelection() const
{
    return sensitiveMimeData(selectedPlainText(*this));
}

void keepSecret(QLineEdit& field, TextField& text)
{
    new SecretLineEdit(field, text);
}

void keepSecret(QPlainTextEdit& field, TextField& text)
{
    new SecretJournal(field, text);
}

} // namespace passgen
