#include "SavableField.h"

#include "Announce.h"
#include "storage/CodePage.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>
#include <QValidator>

#include <algorithm>

namespace passgen {

namespace {

// A paste may bring thousands; the note names the first few.
constexpr int namedAtMost = 8;

// Whether the settings file cannot keep character, one character or a
// surrogate pair.
bool refused(const QString& character)
{
    return !inCodePage(std::u16string_view(reinterpret_cast<const char16_t*>(character.constData()),
                                           static_cast<std::size_t>(character.size())));
}

// The length of the character at i of text: 2 for a surrogate pair.
qsizetype lengthAt(const QString& text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

// What stays of text without the refused characters, and where pos then is.
QString without(const QString& text, int& pos)
{
    QString kept;
    kept.reserve(text.size());
    const int before = pos;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = lengthAt(text, i);
        if (refused(text.mid(i, length))) {
            pos -= i < before ? static_cast<int>(length) : 0;
        } else {
            kept += text.mid(i, length);
        }
        i += length;
    }
    return kept;
}

// The note and its announcement, on the field that refused the characters.
void tell(QWidget& field, const QString& refused)
{
    const QString note = refusedNote(refused);
    const QRect caret = field.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QToolTip::showText(field.mapToGlobal(caret.bottomLeft()), note, &field);
    // Setting it tells the accessibility bus of the change.
    field.setAccessibleDescription(note);
    announce(field, note);
}

// Once the user edits on, the note has been read and the field's own
// description (its tooltip) comes back.
void untell(QWidget& field)
{
    if (!field.accessibleDescription().isEmpty()) {
        field.setAccessibleDescription(QString());
    }
}

// QLineEdit hands its whole text to the validator after each edit, and
// keeps what the validator leaves of it.
class SavableValidator final : public QValidator {
public:
    explicit SavableValidator(QLineEdit& field) : QValidator(&field), m_field(field) {}

    State validate(QString& input, int& pos) const override
    {
        const std::u16string found = unsavable(input.toStdU16String());
        if (found.empty()) {
            // The field asks again about what was left: no new edit yet.
            if (input != m_left) {
                untell(m_field);
            }
            return Acceptable;
        }
        input = without(input, pos);
        m_left = input;
        tell(m_field, QString::fromStdU16String(found));
        return Acceptable;
    }

private:
    QLineEdit& m_field;
    mutable QString m_left; // what the last refusal left
};

// The document tells what each edit inserted; the refused characters are
// taken out again in the same undo step, so Ctrl+Z undoes the edit whole.
class SavableDocument final : public QObject {
public:
    explicit SavableDocument(QPlainTextEdit& field) : QObject(&field), m_field(field)
    {
        connect(field.document(), &QTextDocument::contentsChange, this, &SavableDocument::inserted);
    }

private:
    void inserted(int from, int, int added)
    {
        if (m_removing || added == 0) {
            return;
        }
        QTextDocument& document = *m_field.document();
        const int end = std::min(from + added, document.characterCount() - 1);
        QTextCursor range(&document);
        range.setPosition(from);
        range.setPosition(end, QTextCursor::KeepAnchor);
        // The document's own line breaks are CR LF in the set; one character
        // each, as '\n' is.
        QString text = range.selectedText();
        text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
        const std::u16string found = unsavable(text.toStdU16String());
        if (found.empty()) {
            untell(m_field);
            return;
        }
        // Character by character, so that the line breaks and the formats
        // of what is kept stay as the edit made them; the caret, a cursor of
        // the document, moves with the text.
        m_removing = true;
        QTextCursor edit(&document);
        edit.joinPreviousEditBlock();
        for (qsizetype i = 0, at = from; i < text.size();) {
            const qsizetype length = lengthAt(text, i);
            if (refused(text.mid(i, length))) {
                QTextCursor one(&document);
                one.setPosition(static_cast<int>(at));
                one.setPosition(static_cast<int>(at + length), QTextCursor::KeepAnchor);
                one.removeSelectedText();
            } else {
                at += length;
            }
            i += length;
        }
        edit.endEditBlock();
        m_removing = false;
        tell(m_field, QString::fromStdU16String(found));
    }

    QPlainTextEdit& m_field;
    bool m_removing = false;
};

// A character as the note shows it: itself, or its code where it would
// not show.
QString named(const QString& character)
{
    const QChar first = character[0];
    if (character.size() == 1 && (!first.isPrint() || first.isSpace() || first.isSurrogate())) {
        return QStringLiteral("U+%1").arg(first.unicode(), 4, 16, QChar(u'0')).toUpper();
    }
    return QStringLiteral("«%1»").arg(character);
}

} // namespace

QString refusedNote(const QString& refused)
{
    QStringList names;
    int count = 0;
    for (qsizetype i = 0; i < refused.size(); i += lengthAt(refused, i)) {
        if (++count <= namedAtMost) {
            names << named(refused.mid(i, lengthAt(refused, i)));
        }
    }
    if (count > namedAtMost) {
        names << QStringLiteral("и ещё %1").arg(count - namedAtMost);
    }
    return QStringLiteral("Не принято: %1. Файл настроек хранит только символы кодовой страницы "
                          "%2.")
        .arg(names.join(QStringLiteral(", ")), QString::fromStdU16String(codePageName()));
}

void refuseUnsavable(QLineEdit& field)
{
    field.setValidator(new SavableValidator(field));
}

void refuseUnsavable(QPlainTextEdit& field)
{
    new SavableDocument(field);
}

} // namespace passgen
