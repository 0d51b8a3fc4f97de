#include "windows/SecretField.h"
#include "windows/frmMain.h"

#include "tests/generation/Fakes.h"
#include "tests/windows/OtherProgram.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace passgen {
namespace {

using testing::clipboardAsOthersSee;
using testing::FakeGenPassServices;
using testing::offerPrimaryFromOtherProgram;
using testing::othersSeeX11;
using testing::primaryAsOthersSee;

enum class Field { Password, Journal };

class SecretFields : public ::testing::Test {
protected:
    SecretFields()
    {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        // The password field: "Kx7#q" selected backwards, the caret before it.
        form.txtPasswd()->setText("ab Kx7#q");
        form.txtPasswd()->setSelection(8, -5);
        // The journal: "p2" and "p3" selected.
        form.txtPass()->setPlainText("p1\np2\np3");
        QTextCursor cursor = form.txtPass()->textCursor();
        cursor.setPosition(3);
        cursor.setPosition(8, QTextCursor::KeepAnchor);
        form.txtPass()->setTextCursor(cursor);
    }

    QWidget& field(Field which)
    {
        QWidget& widget =
            which == Field::Password ? static_cast<QWidget&>(*form.txtPasswd()) : *form.txtPass();
        widget.setFocus();
        return widget;
    }

    QString text(Field which)
    {
        return which == Field::Password ? form.txtPasswd()->text() : form.txtPass()->toPlainText();
    }

    Module1 settings{u"abcdefgh", u"", 6, 1};
    FakeGenPassServices fakes;
    frmMain form{settings, frmMainServices{fakes.settingsWindow, fakes.messageBox, fakes.clock,
                                           fakes.random}};
};

// Right-clicks the field and clicks the item of its context menu whose
// caption starts with item.
void chooseFromContextMenu(QWidget& field, const QString& item)
{
    auto* editor = qobject_cast<QPlainTextEdit*>(&field);
    QWidget& target = editor ? *editor->viewport() : field;
    const QPoint at(4, 4);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target.mapToGlobal(at));
    QApplication::sendEvent(&target, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(item)) {
            chosen = action;
        }
    }
    ASSERT_NE(chosen, nullptr) << item.toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
}

struct CopyPath {
    const char* name;
    Field field;
    QKeyCombination key;  // pressed in the field, unless
    const char* menuItem; // the context menu's item is chosen, or
    const char* button;   // the window's button is clicked, or
    const char* slot;     // the field's own slot is called, as parts of Qt past the keys do
    const char* copied;   // what other programs then find on the clipboard
    const char* left;     // the field's text afterwards
    // Where the key scheme does not give the key this meaning, the row is skipped.
    QKeySequence::StandardKey onlyWhere = QKeySequence::UnknownKey;
    bool onlyOnX11 = false;       // only X11 tells who owns the clipboard as it is written
    bool nothingSelected = false; // the caret stands in the field's text, nothing is selected
};

void PrintTo(const CopyPath& path, std::ostream* out)
{
    *out << path.name;
}

class EveryCopyPath : public SecretFields, public ::testing::WithParamInterface<CopyPath> {};

TEST_P(EveryCopyPath, putsTheTextOnTheClipboardMarkedAsASecret)
{
    const CopyPath& path = GetParam();
    if (path.onlyWhere != QKeySequence::UnknownKey &&
        !QKeySequence::keyBindings(path.onlyWhere).contains(QKeySequence(path.key))) {
        GTEST_SKIP() << "the platform's key scheme has no such key";
    }
    if (path.onlyOnX11 && !othersSeeX11()) {
        GTEST_SKIP() << "only X11 tells who owns the clipboard as it is written";
    }
#ifdef Q_OS_WIN
    if (path.slot) {
        GTEST_SKIP() << "Windows' marks are clipboard formats that Qt's own copy cannot write";
    }
#endif
    QGuiApplication::clipboard()->setText("before");
    QWidget& widget = field(path.field);
    if (path.nothingSelected) {
        form.txtPasswd()->setCursorPosition(3);
        form.txtPass()->moveCursor(QTextCursor::End);
    }
    if (path.menuItem) {
        chooseFromContextMenu(widget, QString::fromLatin1(path.menuItem));
    } else if (path.button) {
        QTest::mouseClick(form.button(path.button), Qt::LeftButton);
    } else if (path.slot) {
        QMetaObject::invokeMethod(&widget, path.slot);
    } else {
        QTest::keyClick(&widget, path.key.key(), path.key.keyboardModifiers());
    }
    const testing::SeenClipboard seen = clipboardAsOthersSee();
    EXPECT_EQ(seen.text, QString::fromLatin1(path.copied));
    EXPECT_EQ(seen.marked, !path.nothingSelected); // a copy of nothing leaves what was there
    EXPECT_EQ(text(path.field), QString::fromLatin1(path.left));
}

constexpr QKeyCombination none{};
constexpr QKeyCombination ctrlC = Qt::CTRL | Qt::Key_C;
constexpr QKeyCombination ctrlInsert = Qt::CTRL | Qt::Key_Insert;
constexpr QKeyCombination ctrlX = Qt::CTRL | Qt::Key_X;
constexpr QKeyCombination shiftDelete = Qt::SHIFT | Qt::Key_Delete;

// clang-format off
INSTANTIATE_TEST_SUITE_P(SecretFields, EveryCopyPath, ::testing::Values(
    CopyPath{"passwordCtrlC", Field::Password, ctrlC, nullptr, nullptr, nullptr, "Kx7#q", "ab Kx7#q"},
    CopyPath{"passwordCtrlInsert", Field::Password, ctrlInsert, nullptr, nullptr, nullptr, "Kx7#q", "ab Kx7#q"},
    CopyPath{"passwordCtrlX", Field::Password, ctrlX, nullptr, nullptr, nullptr, "Kx7#q", "ab "},
    CopyPath{"passwordShiftDelete", Field::Password, shiftDelete, nullptr, nullptr, nullptr, "Kx7#q", "ab "},
    CopyPath{"passwordMenuCopy", Field::Password, none, "&Copy", nullptr, nullptr, "Kx7#q", "ab Kx7#q"},
    CopyPath{"passwordMenuCut", Field::Password, none, "Cu&t", nullptr, nullptr, "Kx7#q", "ab "},
    CopyPath{"passwordCtrlK", Field::Password, Qt::CTRL | Qt::Key_K, nullptr, nullptr, nullptr, "Kx7#q", "ab ",
             QKeySequence::DeleteEndOfLine},
    CopyPath{"passwordCtrlU", Field::Password, Qt::CTRL | Qt::Key_U, nullptr, nullptr, nullptr, "ab Kx7#q", "",
             QKeySequence::DeleteCompleteLine},
    CopyPath{"journalCtrlC", Field::Journal, ctrlC, nullptr, nullptr, nullptr, "p2\r\np3", "p1\np2\np3"},
    CopyPath{"journalCtrlInsert", Field::Journal, ctrlInsert, nullptr, nullptr, nullptr, "p2\r\np3", "p1\np2\np3"},
    CopyPath{"journalCtrlX", Field::Journal, ctrlX, nullptr, nullptr, nullptr, "p2\r\np3", "p1\n"},
    CopyPath{"journalShiftDelete", Field::Journal, shiftDelete, nullptr, nullptr, nullptr, "p2\r\np3", "p1\n"},
    CopyPath{"journalMenuCopy", Field::Journal, none, "&Copy", nullptr, nullptr, "p2\r\np3", "p1\np2\np3"},
    CopyPath{"journalMenuCut", Field::Journal, none, "Cu&t", nullptr, nullptr, "p2\r\np3", "p1\n"},
    CopyPath{"journalCmdSelSave", Field::Journal, none, nullptr, "cmdSelSave", nullptr, "p2\r\np3", "p1\np2\np3"},
    CopyPath{"passwordOwnCopy", Field::Password, none, nullptr, nullptr, "copy", "Kx7#q", "ab Kx7#q",
             QKeySequence::UnknownKey, true},
    CopyPath{"journalOwnCopy", Field::Journal, none, nullptr, nullptr, "copy", "p2\np3", "p1\np2\np3"},
    CopyPath{"passwordCtrlCOfNothing", Field::Password, ctrlC, nullptr, nullptr, nullptr, "before", "ab Kx7#q",
             QKeySequence::UnknownKey, false, true},
    CopyPath{"passwordCtrlXOfNothing", Field::Password, ctrlX, nullptr, nullptr, nullptr, "before", "ab Kx7#q",
             QKeySequence::UnknownKey, false, true},
    CopyPath{"journalCtrlCOfNothing", Field::Journal, ctrlC, nullptr, nullptr, nullptr, "before", "p1\np2\np3",
             QKeySequence::UnknownKey, false, true},
    CopyPath{"journalMenuCutOfNothing", Field::Journal, none, "Cu&t", nullptr, nullptr, "before", "p1\np2\np3",
             QKeySequence::UnknownKey, false, true}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Selecting fills X11's PRIMARY selection, which a middle click pastes
// anywhere and clipboard managers record: the password fields keep out of
// it, an ordinary field does not.
struct SelectionWay {
    const char* name;
    std::optional<Field> field; // nothing: an ordinary field beside them
    bool byMouse;               // a double click on the first word, or Home from the end
    Qt::KeyboardModifiers homeWith = Qt::ShiftModifier; // with Ctrl: every line up to the start
};

void PrintTo(const SelectionWay& way, std::ostream* out)
{
    *out << way.name;
}

class EverySelection : public SecretFields, public ::testing::WithParamInterface<SelectionWay> {};

TEST_P(EverySelection, leavesThePasswordOutOfPrimary)
{
    if (!othersSeeX11()) {
        GTEST_SKIP() << "only X11 has the PRIMARY selection";
    }
    const SelectionWay& way = GetParam();
    // Text of its own: a secret field clears a PRIMARY that holds its selection.
    QLineEdit ordinary("plain words", &form);
    ordinary.show();
    QWidget& widget = way.field ? field(*way.field) : ordinary;
    auto* journal = qobject_cast<QPlainTextEdit*>(&widget);
    offerPrimaryFromOtherProgram("other");
    if (way.byMouse) {
        QWidget* target = &widget;
        QPoint at(8, widget.height() / 2);
        if (journal) {
            target = journal->viewport();
            at = journal->cursorRect(QTextCursor(journal->document())).center() + QPoint(4, 0);
        }
        QTest::mouseDClick(target, Qt::LeftButton, {}, at);
        QTest::mouseRelease(target, Qt::LeftButton, {}, at); // QTest leaves it pressed
    } else {
        QTest::keyClick(&widget, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&widget, Qt::Key_Home, way.homeWith);
    }
    const QString selected = journal ? journal->textCursor().selection().toPlainText()
                                     : qobject_cast<QLineEdit*>(&widget)->selectedText();
    ASSERT_FALSE(selected.isEmpty());
    const std::optional<QString> primary = primaryAsOthersSee();
    if (way.field) {
        // Left to the other program, or emptied.
        EXPECT_TRUE(!primary || primary == "other") << primary->toStdString();
    } else {
        EXPECT_EQ(primary, selected);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(SecretFields, EverySelection, ::testing::Values(
    SelectionWay{"passwordByKeyboard", Field::Password, false},
    SelectionWay{"passwordByMouse", Field::Password, true},
    SelectionWay{"journalByKeyboard", Field::Journal, false},
    SelectionWay{"journalByMouse", Field::Journal, true},
    SelectionWay{"journalLinesByKeyboard", Field::Journal, false, Qt::ShiftModifier | Qt::ControlModifier},
    SelectionWay{"ordinaryField", std::nullopt, false}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(SecretFields, middleClickStillPastesAnotherProgramsSelection)
{
    if (!othersSeeX11()) {
        GTEST_SKIP() << "only X11 has the PRIMARY selection";
    }
    form.txtPasswd()->clear();
    offerPrimaryFromOtherProgram("pasted");
    QTest::mouseClick(form.txtPasswd(), Qt::MiddleButton);
    EXPECT_EQ(form.txtPasswd()->text(), "pasted");
}

// A press inside a selection would pick it up to be dragged out; it starts a
// new selection instead, with whatever modifiers, unless Shift alone extends
// the selection.
TEST_F(SecretFields, pressInTheSelectionNeverStartsADrag)
{
    QLineEdit& password = *form.txtPasswd();
    const QRect caret = password.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QPoint inPassword(caret.center().x() + 20, password.height() / 2);
    QTest::mousePress(&password, Qt::LeftButton, {}, inPassword);
    EXPECT_FALSE(password.hasSelectedText()) << password.selectedText().toStdString();
    QTest::mouseRelease(&password, Qt::LeftButton, {}, inPassword);
    EXPECT_EQ(password.text(), "ab Kx7#q");

    struct Press {
        Qt::KeyboardModifiers modifiers;
        int anchor; // of the selection after the press at 4
    };
    const Press presses[] = {{Qt::NoModifier, 4},
                             {Qt::ControlModifier | Qt::ShiftModifier, 4},
                             {Qt::AltModifier | Qt::ShiftModifier, 4},
                             {Qt::MetaModifier | Qt::ShiftModifier, 4},
                             {Qt::ShiftModifier, 3}};
    QPlainTextEdit& journal = *form.txtPass();
    const QTextCursor selected = journal.textCursor();
    for (const Press& press : presses) {
        journal.setTextCursor(selected);
        QTextCursor inside = journal.textCursor();
        inside.setPosition(4);
        const QPoint at = journal.cursorRect(inside).center();
        QTest::mousePress(journal.viewport(), Qt::LeftButton, press.modifiers, at);
        EXPECT_EQ(journal.textCursor().anchor(), press.anchor) << press.modifiers;
        EXPECT_EQ(journal.textCursor().position(), 4) << press.modifiers;
        QTest::mouseRelease(journal.viewport(), Qt::LeftButton, press.modifiers, at);
        EXPECT_EQ(journal.toPlainText(), "p1\np2\np3");
    }
}

// Touch keyboards and predictive input learn what is typed, unless the field
// says it holds a secret.
TEST_F(SecretFields, tellInputMethodsTheyHoldSecrets)
{
    const Qt::InputMethodHints secret =
        Qt::ImhSensitiveData | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase;
    for (const Field which : {Field::Password, Field::Journal}) {
        QInputMethodQueryEvent query(Qt::ImHints);
        QApplication::sendEvent(&field(which), &query);
        EXPECT_EQ(Qt::InputMethodHints(query.value(Qt::ImHints).toInt()) & secret, secret);
    }
}

#ifdef Q_OS_WIN
// Another program holding the clipboard open takes nothing: the cut then
// leaves the password where it was instead of losing it.
TEST_F(SecretFields, cutWhileAnotherProgramHoldsTheClipboardKeepsThePassword)
{
    {
        const testing::ClipboardHeldOpen heldByAnotherProgram;
        QTest::keyClick(&field(Field::Password), Qt::Key_X, Qt::ControlModifier);
    }
    EXPECT_EQ(text(Field::Password), "ab Kx7#q");
}
#endif

} // namespace
} // namespace passgen
