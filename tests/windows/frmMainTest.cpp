#include "windows/frmMain.h"
#include "windows/ChildWindow.h"
#include "windows/QtServices.h"
#include "windows/SensitiveClipboard.h"
#include "windows/SetupWindowControl.h"
#include "windows/frmSetup.h"

#include "tests/generation/Fakes.h"
#include "tests/windows/OtherProgram.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace passgen {
namespace {

using testing::FakeGenPassServices;

class GeneratorWindow : public ::testing::Test {
protected:
    GeneratorWindow()
        : setup(area, [this] { return std::make_unique<frmSetup>(settings); }), control(setup),
          generator(area, [this] {
              return std::make_unique<frmMain>(
                  settings, frmMainServices{control, fakes.messageBox, fakes.clock, fakes.random});
          })
    {
        settings = {u"abcdefgh", u"", 6, 1};
        area.resize(800, 600);
        area.show();
        area.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&area));
    }

    frmMain& open() { return generator.get(); }
    void click(const char* name) { QTest::mouseClick(open().button(name), Qt::LeftButton); }
    QString journal() { return open().txtPass()->toPlainText(); }
    QString clipboardText() { return passgen::clipboardText(); }

    // The journal's text as the commands see it, line breaks as CR LF.
    std::u16string journalText() { return JournalField(*open().txtPass()).Text(); }

    Module1 settings;
    FakeGenPassServices fakes;
    QMdiArea area;
    ChildWindow<frmSetup> setup;
    SetupWindowControl control;
    ChildWindow<frmMain> generator;
};

TEST_F(GeneratorWindow, singlePasswordStaysInTheField)
{
    click("cmdGen");
    EXPECT_EQ(open().txtPasswd()->text().size(), 6);
    EXPECT_TRUE(journal().isEmpty());
}

TEST_F(GeneratorWindow, batchFillsTheJournalOneLinePerPassword)
{
    settings.NPass = 3;
    open().txtPass()->setPlainText("J");
    click("cmdGen");
    const QStringList lines = journal().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "J");
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(lines[i].size(), 6);
    }
    EXPECT_TRUE(open().txtPasswd()->text().isEmpty());
}

TEST_F(GeneratorWindow, generateCommitsAnOpenSettingsWindowFirst)
{
    setup.get().txtLenPass()->setText("11");
    click("cmdGen");
    EXPECT_FALSE(setup.isLoaded());
    EXPECT_EQ(settings.LenPass, 11);
    EXPECT_EQ(open().txtPasswd()->text().size(), 11);
}

TEST_F(GeneratorWindow, emptySymbolSetInABatchReportsOnceAndOpensTheSettings)
{
    settings.Simbols.clear();
    settings.NPass = 999;
    open().txtPass()->setPlainText("J");
    click("cmdGen");
    EXPECT_EQ(fakes.messageBox.texts,
              (std::vector<std::u16string>{u"Нет символов для генерации пароля"}));
    EXPECT_EQ(fakes.messageBox.titles, (std::vector<std::u16string>{u"Генератор"}));
    EXPECT_TRUE(setup.isLoaded());
    EXPECT_EQ(journal(), "J");
    EXPECT_TRUE(open().txtPasswd()->text().isEmpty());
}

TEST_F(GeneratorWindow, putInJournalTwice)
{
    open().txtPasswd()->setText("pw");
    open().txtPass()->setPlainText("J");
    click("XpB1");
    click("XpB1");
    EXPECT_EQ(journalText(), u"J\r\npw");
    EXPECT_TRUE(open().txtPasswd()->text().isEmpty());
}

// Adding to the journal shows what assigning it the whole new text shows:
// the caret at the start, nothing selected, the view at the top left, and no
// undo step that would bring back the journal as it was.
TEST_F(GeneratorWindow, addingToTheJournalShowsWhatAReassignmentWould)
{
    QString longJournal;
    for (int i = 0; i < 200; ++i) {
        longJournal += QString(300, QChar(u'a' + i % 26)) + '\n';
    }
    const std::pair<const char*, QString> journals[] = {
        {"empty", ""}, {"endingInLineBreak", "J\n"}, {"longTypedIntoAndScrolled", longJournal}};
    for (const bool batch : {false, true}) {
        for (const auto& [journalName, start] : journals) {
            const std::string name = std::string(journalName) + (batch ? " batch" : " put");
            QPlainTextEdit* edit = open().txtPass();
            edit->setPlainText(start);
            if (start.size() > 1000) {
                edit->setFocus();
                QTest::keyClicks(edit, "x");
                QTextCursor cursor = edit->textCursor();
                cursor.setPosition(5000);
                cursor.setPosition(5020, QTextCursor::KeepAnchor);
                edit->setTextCursor(cursor);
                edit->horizontalScrollBar()->setValue(edit->horizontalScrollBar()->maximum());
                ASSERT_TRUE(edit->document()->isUndoAvailable());
                ASSERT_GT(edit->verticalScrollBar()->value(), 0);
            }
            const QString before = edit->toPlainText();
            settings.NPass = batch ? 3 : 1;
            open().txtPasswd()->setText("pw");
            click(batch ? "cmdGen" : "XpB1");

            const QString after = journal();
            const QString lead = before.isEmpty() ? before : before + '\n';
            ASSERT_TRUE(after.startsWith(lead)) << name;
            const QStringList added = after.sliced(lead.size()).split('\n');
            ASSERT_EQ(added.size(), batch ? 3 : 1) << name;
            EXPECT_EQ(added.back().size(), batch ? 6 : 2) << name;
            EXPECT_EQ(edit->textCursor().position(), 0) << name;
            EXPECT_FALSE(edit->textCursor().hasSelection()) << name;
            EXPECT_EQ(edit->horizontalScrollBar()->value(), 0) << name;
            EXPECT_EQ(edit->verticalScrollBar()->value(), 0) << name;
            EXPECT_FALSE(edit->document()->isModified()) << name;
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(journal(), after) << name;
        }
    }
}

// Selects characters of the journal by CR LF positions, as a user would
// with the mouse or Shift and the arrow keys.
void selectJournal(frmMain& form, std::int32_t start, std::int32_t length)
{
    JournalField field(*form.txtPass());
    field.setSelStart(start);
    field.setSelLength(length);
}

TEST_F(GeneratorWindow, clearWithMiddleEntrySelectedKeepsBothLineBreaks)
{
    open().txtPass()->setPlainText("p1\np2\np3");
    selectJournal(open(), 4, 2);
    ASSERT_EQ(open().txtPass()->textCursor().selectedText(), "p2");
    click("cmdDelSel");
    EXPECT_EQ(journalText(), u"p1\r\n\r\np3");
    click("cmdDelSel");
    EXPECT_TRUE(journal().isEmpty());
}

TEST_F(GeneratorWindow, keyboardSelectionIsWhatClearRemoves)
{
    QPlainTextEdit* edit = open().txtPass();
    edit->setPlainText("p1\np2");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
    click("cmdDelSel");
    EXPECT_EQ(journalText(), u"p1\r\n");
}

TEST_F(GeneratorWindow, copyPutsCrLfTextOnTheClipboardMarkedSensitive)
{
    open().txtPass()->setPlainText("p1\np2\np3");
    click("cmdSelSave");
    EXPECT_EQ(clipboardText(), "p1\r\np2\r\np3");
    EXPECT_TRUE(testing::clipboardAsOthersSee().marked);

    selectJournal(open(), 4, 6);
    click("cmdSelSave");
    EXPECT_EQ(clipboardText(), "p2\r\np3");
    selectJournal(open(), 5, 1);
    click("cmdSelSave");
    EXPECT_EQ(clipboardText(), "2");
    EXPECT_EQ(journalText(), u"p1\r\np2\r\np3");
    EXPECT_TRUE(fakes.messageBox.texts.empty()); // the read-back found the text
}

TEST_F(GeneratorWindow, copyOfAnEmptyJournalLeavesAnEmptyClipboard)
{
    QGuiApplication::clipboard()->setText("old");
    click("cmdSelSave");
    EXPECT_TRUE(clipboardText().isEmpty());
}

TEST_F(GeneratorWindow, selectAllFocusesTheJournalAndSelectsEverything)
{
    open().txtPass()->setPlainText("p1\np2");
    click("cmdSelAll");
    EXPECT_TRUE(open().txtPass()->hasFocus());
    EXPECT_EQ(open().txtPass()->textCursor().selectedText(), QString::fromUtf16(u"p1\u2029p2"));

    open().txtPass()->clear();
    click("cmdSelAll");
    EXPECT_FALSE(open().txtPass()->textCursor().hasSelection());
    EXPECT_EQ(open().txtPass()->textCursor().position(), 0);
}

TEST_F(GeneratorWindow, randomSourceFailureIsReportedNotThrown)
{
    // The system words its reasons in the user's language and encoding.
    class LocalCategory final : public std::error_category {
    public:
        const char* name() const noexcept override { return "local"; }
        std::string message(int) const override
        {
            return QStringLiteral("Ошибка ввода-вывода").toLocal8Bit().toStdString();
        }
    };
    static const LocalCategory local;
    class FailingRandom final : public RandomSource {
    public:
        void reseed(std::int32_t) override {}
        float next() override
        {
            if (systemFails) {
                throw std::system_error(EIO, local, "getrandom");
            }
            throw std::length_error("too long");
        }
        bool systemFails = true;
    } failing;
    frmMain form(settings, frmMainServices{control, fakes.messageBox, fakes.clock, failing});
    QTest::mouseClick(form.button("cmdGen"), Qt::LeftButton);
    failing.systemFails = false; // any other failure is reported too
    QTest::mouseClick(form.button("cmdGen"), Qt::LeftButton);
    EXPECT_EQ(fakes.messageBox.texts,
              (std::vector<std::u16string>{u"Пароль не создан: системный источник случайных чисел "
                                           u"не ответил (getrandom: Ошибка ввода-вывода).",
                                           u"Команда не выполнена: too long."}));
    EXPECT_EQ(fakes.messageBox.titles, (std::vector<std::u16string>{u"Генератор", u"Генератор"}));
    EXPECT_TRUE(form.txtPasswd()->text().isEmpty());
}

TEST_F(GeneratorWindow, makeUpFollowsTheDesignTable)
{
    frmMain& form = open();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Генератор"));
    EXPECT_EQ(form.size(), QSize(476, 339));
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(174, 208, 249));
    EXPECT_EQ(form.findChild<QWidget*>("fr1")->palette().color(QPalette::Window),
              QColor(174, 208, 249));
    const std::pair<const char*, const char*> tips[] = {
        {"cmdSelSave", "copy selected/all in clipboard"},
        {"cmdDelSel", "clear selected/all"},
        {"cmdSelAll", "select all"},
        {"cmdGen", "generate"},
        {"XpB1", "put in jurnal"}};
    for (const auto& [name, tip] : tips) {
        EXPECT_EQ(form.button(name)->toolTip(), tip) << name;
    }
    EXPECT_EQ(form.txtPass()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(form.txtPasswd()->font().pointSizeF(), 20.25);
    // Where the design's Windows fonts are missing, the stand-ins of their
    // width draw instead of whatever the system would choose.
    const std::tuple<QWidget*, const char*, const char*> fonts[] = {
        {form.txtPass(), "Tahoma", "Liberation Sans"},
        {form.txtPasswd(), "Courier New", "Liberation Mono"},
        {form.button("cmdGen"), "Verdana", "DejaVu Sans"}};
    for (const auto& [widget, family, standIn] : fonts) {
        const QString drawn = QFontInfo(widget->font()).family();
        EXPECT_TRUE(drawn == family || drawn == standIn) << drawn.toStdString();
    }
    EXPECT_TRUE(form.txtPass()->toPlainText().isEmpty());
    EXPECT_TRUE(form.txtPasswd()->text().isEmpty());
}

TEST_F(GeneratorWindow, tabVisitsTheControlsInOrder)
{
    frmMain& form = open();
    form.txtPasswd()->setFocus();
    QApplication::processEvents();
    const QWidget* expected[] = {
        form.txtPass(),           form.button("XpB1"),       form.button("cmdSelAll"),
        form.button("cmdDelSel"), form.button("cmdSelSave"), form.button("cmdGen"),
        form.txtPasswd()};
    for (const QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(GeneratorWindow, reopenedWindowStartsEmpty)
{
    open().txtPass()->setPlainText("p1");
    generator.unload();
    EXPECT_TRUE(open().txtPass()->toPlainText().isEmpty());
}

#ifdef Q_OS_WIN
// Another program holding the clipboard open: nothing is copied, and the
// user is told so instead of pasting whatever the clipboard held before.
TEST_F(GeneratorWindow, clipboardHeldByAnotherProgramIsReported)
{
    open().txtPass()->setPlainText("p1");
    {
        const testing::ClipboardHeldOpen heldByAnotherProgram;
        click("cmdSelSave");
    }
    ASSERT_EQ(fakes.messageBox.texts.size(), 1u);
    EXPECT_EQ(fakes.messageBox.titles[0], u"Генератор");
    EXPECT_NE(clipboardText(), "p1");
}
#endif

} // namespace
} // namespace passgen
