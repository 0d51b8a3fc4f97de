#include "windows/frmSetup.h"
#include "windows/ChildWindow.h"
#include "windows/HighContrast.h"
#include "windows/MakeUp.h"
#include "windows/SavableField.h"

#include "generation/NormNumText.h"
#include "storage/CodePage.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace passgen {
namespace {

class SetupWindow : public ::testing::Test {
protected:
    SetupWindow() : window(area, [this] { return std::make_unique<frmSetup>(settings); })
    {
        settings = {u"abc", u"x", 6, 1};
        area.resize(600, 400);
        area.show();
    }

    frmSetup& open() { return window.get(); }

    Module1 settings;
    QMdiArea area;
    ChildWindow<frmSetup> window;
};

TEST_F(SetupWindow, loadShowsTheSettingsAndUnloadWithoutEditsKeepsThem)
{
    settings = {u"ab\r\ncd", u"xyz", -5, 999};
    frmSetup& form = open();
    EXPECT_EQ(form.txtLenPass()->text(), "-5");
    EXPECT_EQ(form.txtNPass()->text(), "999");
    EXPECT_EQ(form.txtSim()->document()->blockCount(), 2);
    EXPECT_EQ(form.txtIskl()->text(), "xyz");
    window.unload();
    EXPECT_FALSE(window.isLoaded());
    EXPECT_EQ(settings.Simbols, u"ab\r\ncd");
    EXPECT_EQ(settings.Excluds, u"xyz");
    EXPECT_EQ(settings.LenPass, -5);
    EXPECT_EQ(settings.NPass, 999);
}

TEST_F(SetupWindow, closeBoxCommitsAllFourFields)
{
    frmSetup& form = open();
    form.txtLenPass()->setText("12");
    form.txtNPass()->setText("3");
    form.txtSim()->setPlainText(QString::fromUtf16(u"a\u00A0b\nc"));
    form.txtIskl()->setText("q");
    window.subWindow()->close();
    EXPECT_EQ(settings.LenPass, 12);
    EXPECT_EQ(settings.NPass, 3);
    EXPECT_EQ(settings.Simbols, u"a\u00A0b\r\nc"); // the non-breaking space is a symbol too
    EXPECT_EQ(settings.Excluds, u"q");
}

// A text document keeps U+2028 and U+2029 as line breaks and U+FDD0 and
// U+FDD1 as marks of its own; in a set they are symbols like any other, also
// when the user edits the set elsewhere.
TEST_F(SetupWindow, everyCharacterOfTheSetsSurvivesATripThroughTheWindow)
{
    const std::u16string sets[] = {
        u"a\u2028b\u2029c\uFDD0d\uFDD1e",
        u"\u2029\r\n\u2028", // at the ends and beside a line break
        u"x\uFFFDy\u2028",   // the character that shows in their place
    };
    for (const std::u16string& set : sets) {
        std::u16string excluds = set;
        std::erase(excluds, u'\r');
        std::erase(excluds, u'\n');
        settings.Simbols = set;
        settings.Excluds = excluds;
        open();
        window.unload();
        EXPECT_EQ(settings.Simbols, set);
        EXPECT_EQ(settings.Excluds, excluds);

        QPlainTextEdit* txtSim = open().txtSim();
        txtSim->setFocus();
        txtSim->moveCursor(QTextCursor::End);
        QTest::keyClicks(txtSim, "z");
        txtSim->moveCursor(QTextCursor::Start);
        QTest::sendKeyEvent(QTest::Click, txtSim, Qt::Key_unknown, QString(QChar(0xA4)),
                            Qt::NoModifier);
        window.unload();
        EXPECT_EQ(settings.Simbols, u"\u00A4" + set + u"z");
    }
}

// The settings file keeps only what its code page has; anything else would
// come back as "?". Such characters are refused as they come, and the user is
// told which, on screen and in the field's description that screen readers
// read (the AT-SPI test hears it change).
TEST_F(SetupWindow, setsRefuseWhatTheSettingsFileCannotKeep)
{
    enum class Way { Typed, Pasted };
    struct Case {
        const char* name;
        bool symbols; // txtSim, else txtIskl
        Way way;
        const char16_t* input;
        const char16_t* kept;    // the set afterwards, typed after "abc"
        const char16_t* refused; // as the note names them; nullptr: no note
        bool atStart = false;    // put before "abc" instead
    };
    const Case cases[] = {
        {"typed", true, Way::Typed, u"ä€ß", u"abc€", u"«ß»"},
        {"pasted", true, Way::Pasted, u"ä€ß", u"abc€", u"«ä», «ß»"},
        {"pastedLines", true, Way::Pasted, u"ä\nxä\n", u"abc\r\nx\r\n", u"«ä»"},
        {"beyond16Bits", true, Way::Pasted, u"😀zä", u"abcz", u"«😀», «ä»"},
        {"invisible", true, Way::Pasted, u"\u200Bz", u"abcz", u"U+200B"},
        {"kept", true, Way::Pasted, u"Жё№?", u"abcЖё№?", nullptr},
        {"exclusionTyped", false, Way::Typed, u"yä", u"abcy", u"«ä»"},
        {"exclusionPasted", false, Way::Pasted, u"ä€ß😀", u"abc€", u"«ä», «ß», «😀»"},
        {"many", false, Way::Pasted, u"äöüßàéèç€ñ", u"abc€",
         u"«ä», «ö», «ü», «ß», «à», «é», «è», «ç», и ещё 1"},
        {"loneHalf", false, Way::Pasted, u"x\xDC00y", u"abcxy", u"U+DC00"},
        {"before", false, Way::Pasted, u"äx", u"xabc", u"«ä»", true},
        {"symbolsBefore", true, Way::Pasted, u"äx", u"xabc\r\nd", u"«ä»", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.Simbols = c.atStart && c.symbols ? u"abc\r\nd" : u"abc"; // a line after it too
        settings.Excluds = u"abc";
        frmSetup& form = open();
        QWidget* field = c.symbols ? static_cast<QWidget*>(form.txtSim()) : form.txtIskl();
        field->setFocus();
        QTest::keyClick(field, c.atStart ? Qt::Key_Home : Qt::Key_End,
                        c.symbols ? Qt::ControlModifier : Qt::NoModifier);
        const QString input = QString::fromStdU16String(c.input);
        if (c.way == Way::Typed) {
            for (const QChar character : input) {
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(character),
                                    Qt::NoModifier);
            }
        } else {
            QGuiApplication::clipboard()->setText(input);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        }
        const QString description =
            QAccessible::queryAccessibleInterface(field)->text(QAccessible::Description);
        // The caret stays behind what was kept of the edit.
        const int behindEdit = c.atStart ? 1 : static_cast<int>(std::u16string(c.kept).size());
        if (c.symbols) {
            EXPECT_EQ(form.txtSim()->textCursor().position(),
                      c.atStart ? 1 : form.txtSim()->document()->characterCount() - 1);
        } else {
            EXPECT_EQ(form.txtIskl()->cursorPosition(), behindEdit);
        }
        if (c.refused) {
            const QString note = QStringLiteral("Не принято: %1. Файл настроек хранит только "
                                                "символы кодовой страницы %2.")
                                     .arg(QString::fromStdU16String(c.refused),
                                          QString::fromStdU16String(codePageName()));
            EXPECT_EQ(QToolTip::text(), note);
            EXPECT_EQ(description, note);
            if (c.symbols && c.way == Way::Pasted) { // undone as one edit with what was kept
                QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
                EXPECT_EQ(form.txtSim()->toPlainText(),
                          QString::fromStdU16String(settings.Simbols).remove(u'\r'));
                QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            }
            // Edited on, the field is described by its tooltip again.
            QTest::keyClicks(field, "q");
            EXPECT_EQ(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Description),
                      field->toolTip());
            QTest::keyClick(field, Qt::Key_Backspace);
        } else {
            EXPECT_EQ(description, field->toolTip());
        }
        window.unload();
        EXPECT_EQ(c.symbols ? settings.Simbols : settings.Excluds, c.kept);
        QToolTip::hideText();
    }
}

TEST_F(SetupWindow, reopeningShowsTheCommittedValues)
{
    open().txtLenPass()->setText("42");
    window.unload();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frmSetup& again = open();
    EXPECT_EQ(again.txtLenPass()->text(), "42");
    again.txtLenPass()->setText("7");
    window.unload();
    EXPECT_EQ(settings.LenPass, 7);
}

struct Typed {
    const char* keys;
    const char* expected;
};

// Typing key by key into an emptied field; each key's change is corrected
// before the next key arrives.
TEST_F(SetupWindow, typingEndsWhereTheCorrectionSays)
{
    const Typed cases[] = {
        {"12", "12"},  {"12a", "12"}, {"1a2", "12"},   {"007", "107"}, {"-", "1"},
        {"2.9", "29"}, {"1e3", "13"}, {"9999", "999"}, {"abc", "1"},   {"5-", "5"},
    };
    frmSetup& form = open();
    for (QLineEdit* field : {form.txtLenPass(), form.txtNPass()}) {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        EXPECT_EQ(field->text(), "1"); // an emptied field reads 1 at once
        for (const Typed& c : cases) {
            field->selectAll();
            QTest::keyClicks(field, QString::fromLatin1(c.keys));
            EXPECT_EQ(field->text(), QString::fromLatin1(c.expected)) << c.keys;
            EXPECT_EQ(field->cursorPosition(), field->text().size()) << c.keys;
        }
    }
}

TEST_F(SetupWindow, negativeNumberIsTypedDigitsFirst)
{
    QLineEdit* field = open().txtLenPass();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "5");
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClicks(field, "-");
    EXPECT_EQ(field->text(), "-5");
    window.unload();
    EXPECT_EQ(settings.LenPass, -5);
}

// Whatever a change leaves in the field, the field shows what NormNumText
// makes of it: assignments longer than the field are cut to 3 first.
TEST_F(SetupWindow, assignedAndPastedTextsEndAsNormNumTextSays)
{
    const char* texts[] = {"12",  "1a2", "",    "0",  "00", "-5",   "-",   "2.9", "-2.9",
                           "0.4", "1e3", "9e9", " 5", "+5", "1234", "-99", "abc", "2,5"};
    const QString separator = QLocale::system().decimalPoint();
    frmSetup& form = open();
    QLineEdit* field = form.txtNPass();
    for (const char* text : texts) {
        const QString cut = QString::fromLatin1(text).left(3);
        const QString expected =
            QString::fromStdU16String(NormNumText(cut.toStdU16String(), separator.at(0).unicode()));
        field->setText(QString::fromLatin1(text));
        EXPECT_EQ(field->text(), expected) << "assigned " << text;

        field->selectAll();
        QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
        field->paste();
        EXPECT_EQ(field->text(), expected) << "pasted " << text;
    }
}

TEST_F(SetupWindow, numberFieldsHoldThreeCharacters)
{
    frmSetup& form = open();
    EXPECT_EQ(form.txtLenPass()->maxLength(), 3);
    EXPECT_EQ(form.txtNPass()->maxLength(), 3);
    const QString longSet(40000, QChar(u'z'));
    form.txtIskl()->setText(longSet);
    window.unload();
    EXPECT_EQ(settings.Excluds.size(), 40000u);
}

TEST_F(SetupWindow, opensWithLengthFocusedAndTabVisitsTheFieldsInOrder)
{
    frmSetup& form = open();
    area.activateWindow();
    area.setActiveSubWindow(window.subWindow());
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), form.txtLenPass());
    const QWidget* expected[] = {form.txtIskl(), form.txtSim(), form.txtNPass(), form.txtLenPass()};
    for (const QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    EXPECT_EQ(form.txtSim()->toPlainText(), "abc"); // the Tab went nowhere into the text
}

TEST_F(SetupWindow, makeUpFollowsTheDesignTable)
{
    frmSetup& form = open();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Настройки"));
    EXPECT_EQ(form.size(), QSize(427, 234));
    EXPECT_EQ(form.txtSim()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.txtLenPass()->toolTip(), "count of simbol in password");
    EXPECT_EQ(form.txtNPass()->toolTip(), "count of passwords");
    EXPECT_EQ(form.txtIskl()->toolTip(), "excluds");
    EXPECT_EQ(form.txtSim()->toolTip(), "simbols");
    EXPECT_EQ(form.txtIskl()->geometry(), QRect(7, 16, 400, 29));
    EXPECT_FALSE(form.windowIcon().pixmap(16, 16).isNull());
}

// The Windows styles take a frame's caption colour from the theme unless the
// frame's own palette sets it, so this runs under Wine as well as offscreen.
// In high-contrast mode a caption has the system's text colour, which is
// yellow in Windows' "High Contrast #1".
TEST_F(SetupWindow, frameCaptionsAreDrawnInTheirColours)
{
    const QColor yellow(255, 255, 0);
    const std::tuple<const char*, QColor, bool> captions[] = {{"fr3", QColor(0, 0, 192), false},
                                                              {"fr2", QColor(0, 128, 0), false},
                                                              {"fr2", yellow, true}};
    const QPalette saved = QApplication::palette();
    for (const auto& [name, colour, highContrast] : captions) {
        makeup::setHighContrastQuery([on = highContrast] { return on; });
        QPalette palette = saved;
        if (highContrast)
            palette.setColor(QPalette::WindowText, yellow);
        QApplication::setPalette(palette);
        QGroupBox* frame = open().findChild<QGroupBox*>(QString::fromLatin1(name));
        ASSERT_NE(frame, nullptr) << name;
        const QImage title = frame->grab(QRect(0, 0, frame->width(), 16)).toImage();
        int inColour = 0;
        for (int y = 0; y < title.height(); ++y) {
            for (int x = 0; x < title.width(); ++x) {
                const QColor pixel = title.pixelColor(x, y);
                inColour += std::abs(pixel.red() - colour.red()) < 48 &&
                            std::abs(pixel.green() - colour.green()) < 48 &&
                            std::abs(pixel.blue() - colour.blue()) < 48;
            }
        }
        EXPECT_GT(inColour, 40) << name;
        window.unload();
    }
    makeup::setHighContrastQuery(highContrastOn);
    QApplication::setPalette(saved);
}

// A widget's colours go with it: a widget made later where a painted one
// was, in the same memory, keeps the colours it would have had anyway.
TEST(paint, leavesANewWidgetWhereAPaintedOneWasAsItIs)
{
    QWidget window;
    alignas(QLabel) unsigned char place[sizeof(QLabel)];
    auto* label = new (place) QLabel(&window);
    makeup::paint(*label, makeup::rgb(192, 192, 192), makeup::rgb(0, 0, 192));
    label->~QLabel();
    static_assert(sizeof(QLineEdit) <= sizeof(QLabel));
    auto* field = new (place) QLineEdit(&window);
    makeup::paint(window, makeup::rgb(174, 208, 249)); // works out the window's colours again
    EXPECT_FALSE(field->autoFillBackground());
    EXPECT_EQ(field->palette().color(QPalette::Text),
              QApplication::palette(field).color(QPalette::Text));
    field->~QLineEdit();
}

// The colours are worked out again when the system's change, and only then:
// an idle window does no work.
TEST_F(SetupWindow, coloursAreWorkedOutOnlyWhenTheSystemsChange)
{
    QWidget* caption = open().findChild<QGroupBox*>("fr2");
    int changes = 0;
    struct Counter final : QObject {
        explicit Counter(int& changes) : m_changes(changes) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            m_changes += event->type() == QEvent::PaletteChange ? 1 : 0;
            return false;
        }
        int& m_changes;
    } counter(changes);
    QApplication::processEvents();
    caption->installEventFilter(&counter);
    for (int round = 0; round < 3; ++round) {
        caption->update();
        QApplication::processEvents();
    }
    EXPECT_EQ(changes, 0);
    const QPalette saved = QApplication::palette();
    QPalette darker = saved;
    darker.setColor(QPalette::WindowText, Qt::darkGray);
    QApplication::setPalette(darker); // as a change of theme comes
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes > 0; }));
    caption->removeEventFilter(&counter);
    QApplication::setPalette(saved);
}

#ifdef Q_OS_WIN
std::vector<QString>& announced()
{
    static std::vector<QString> texts;
    return texts;
}

// Qt tells UI Automation of no change of a description; Narrator and NVDA
// hear the note through the notification that a value change with text
// raises.
TEST_F(SetupWindow, refusalIsAnnouncedToWindowsScreenReaders)
{
    QPlainTextEdit& txtSim = *open().txtSim();
    // A UI Automation client's first request (UiaRootObjectId) turns Qt's
    // accessibility on.
    SendMessageW(reinterpret_cast<HWND>(area.window()->winId()), WM_GETOBJECT, 0, LPARAM(-25));
    ASSERT_TRUE(QAccessible::isActive());
    QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        if (event->type() == QAccessible::ValueChanged)
            announced().push_back(
                static_cast<QAccessibleValueChangeEvent*>(event)->value().toString());
    });
    txtSim.setFocus();
    QTest::sendKeyEvent(QTest::Click, &txtSim, Qt::Key_unknown, QString::fromUtf8("я"),
                        Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, &txtSim, Qt::Key_unknown, QString::fromUtf8("😀"),
                        Qt::NoModifier);
    QAccessible::installUpdateHandler(nullptr);
    EXPECT_EQ(announced(), std::vector<QString>{refusedNote(QString::fromUtf8("😀"))});
}
#endif

} // namespace
} // namespace passgen
