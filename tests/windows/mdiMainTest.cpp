#include "windows/mdiMain.h"
#include "windows/MakeUp.h"
#include "windows/StrengthFigure.h"

#include "storage/FileCalls.h"
#include "storage/SettingsFile.h"
#include "tests/generation/Fakes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include "tests/FileBytes.h"

#include <gtest/gtest.h>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>

namespace passgen {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

class MainWindow : public ::testing::Test {
protected:
    mdiMain& start()
    {
        window = std::make_unique<mdiMain>(
            folder, mdiMainServices{fakes.messageBox, fakes.clock, fakes.random});
        window->Load();
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    void click(const char* name) { QTest::mouseClick(window->button(name), Qt::LeftButton); }
    QLabel& strength() const { return *window->findChild<QLabel*>("lblStrength"); }
    frmSetup& openSetup()
    {
        click("cmdSetup");
        return *window->setupWindow().loaded();
    }
    fs::path file(const char* name) const { return SettingsPath(folder, name); }

    testing::TempFolder temporary;
    const fs::path folder = temporary.path();
    testing::FakeGenPassServices fakes;
    std::unique_ptr<mdiMain> window;
};

TEST_F(MainWindow, firstStartWithoutFilesWritesBothAtClose)
{
    mdiMain& main = start();
    EXPECT_EQ(main.settings().Simbols, u"");
    EXPECT_EQ(main.settings().Excluds, u"");
    EXPECT_EQ(main.settings().LenPass, 6);
    EXPECT_EQ(main.settings().NPass, 1);
    EXPECT_TRUE(main.close());
    EXPECT_EQ(readBytes(file("simbols")), "\r\n");
    EXPECT_EQ(readBytes(file("excluds")), "\r\n");
    EXPECT_TRUE(fakes.messageBox.texts.empty());
    EXPECT_FALSE(main.writeFailed());
}

TEST_F(MainWindow, setsFromFilesReachTheSettingsWindow)
{
    writeBytes(file("simbols"), "ab\r\ncd\r\n");
    writeBytes(file("excluds"), "x\r\ny\r\n");
    start();
    click("cmdSetup");
    frmSetup* setup = window->setupWindow().loaded();
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(setup->txtSim()->toPlainText(), "ab\ncd");
    EXPECT_EQ(setup->txtIskl()->text(), "xy");
    EXPECT_EQ(setup->txtLenPass()->text(), "6");
    EXPECT_EQ(setup->txtNPass()->text(), "1");
}

TEST_F(MainWindow, symbolsTypedIntoAnOpenSettingsWindowAreSavedAtClose)
{
    start();
    click("cmdSetup");
    QPlainTextEdit* txtSim = window->setupWindow().loaded()->txtSim();
    txtSim->setFocus();
    QTest::keyClicks(txtSim, "ab");
    QTest::keyClick(txtSim, Qt::Key_Return);
    QTest::sendKeyEvent(QTest::Click, txtSim, Qt::Key_unknown, QString::fromUtf8("Ж"),
                        Qt::NoModifier);
    // Shift+Enter breaks the line as Enter does, though the editor keeps it apart.
    QTest::keyClick(txtSim, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(txtSim, "c");
    // A character the file cannot keep never enters the set, so no "?" does.
    QTest::sendKeyEvent(QTest::Click, txtSim, Qt::Key_unknown, QString::fromUtf8("ä"),
                        Qt::NoModifier);
    click("cmdExit");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(readBytes(file("simbols")), "ab\r\n\xC6\r\nc\r\n");
    EXPECT_TRUE(fakes.messageBox.texts.empty());
}

TEST_F(MainWindow, toolbarBringsChildWindowsToTheirPlaces)
{
    start();
    click("cmdGen");
    QMdiSubWindow* generator = window->generatorWindow().subWindow();
    ASSERT_NE(generator, nullptr);
    EXPECT_EQ(generator->pos(), QPoint(0, 0)); // 1 twip
    EXPECT_EQ(window->area().activeSubWindow(), generator);

    click("cmdSetup");
    QMdiSubWindow* setup = window->setupWindow().subWindow();
    EXPECT_EQ(setup->pos(), QPoint(67, 13)); // 1000 and 200 twips
    EXPECT_EQ(window->area().activeSubWindow(), setup);

    generator->move(120, 80);
    click("cmdGen");
    EXPECT_EQ(generator->pos(), QPoint(0, 0));
    EXPECT_EQ(window->area().activeSubWindow(), generator);
    // Each shows its own icon in its title bar: the padlock, the spanner.
    for (QMdiSubWindow* child : {generator, setup}) {
        EXPECT_EQ(child->windowIcon().pixmap(16, 16).toImage(),
                  child->widget()->windowIcon().pixmap(16, 16).toImage());
        EXPECT_NE(child->windowIcon().pixmap(16, 16).toImage(),
                  window->windowIcon().pixmap(16, 16).toImage());
    }
}

TEST_F(MainWindow, toolbarClickGivesTheActiveChildTheFocusBack)
{
    start();
    click("cmdGen");
    frmMain* generator = window->generatorWindow().loaded();
    ASSERT_NE(generator, nullptr);
    generator->txtPass()->setFocus();
    window->button("cmdSetup")->setFocus(); // as Tab would
    ASSERT_EQ(window->area().activeSubWindow(), window->generatorWindow().subWindow());
    click("cmdGen");
    EXPECT_TRUE(generator->txtPass()->hasFocus());
}

TEST_F(MainWindow, minimisedOrMaximisedChildIsOnlyRestored)
{
    start();
    click("cmdSetup");
    QMdiSubWindow* setup = window->setupWindow().subWindow();
    setup->move(150, 100);
    const QPoint place = setup->pos();
    setup->showMinimized();
    click("cmdSetup");
    EXPECT_FALSE(setup->isMinimized());
    EXPECT_EQ(setup->pos(), place);

    window->setupWindow().loaded()->txtLenPass()->setText("9");
    setup->showMaximized();
    click("cmdSetup");
    EXPECT_FALSE(setup->isMaximized());
    EXPECT_EQ(window->setupWindow().loaded()->txtLenPass()->text(), "9"); // not loaded afresh
}

TEST_F(MainWindow, centredOnTheScreenByItsOuterSize)
{
    window = std::make_unique<mdiMain>(
        folder, mdiMainServices{fakes.messageBox, fakes.clock, fakes.random});
    window->Load();
    // As at start: centred before the window system has put a frame round it.
    window->centreOnScreen();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_NE(window->frameGeometry(), window->geometry()); // the test platform frames it too
    const QPoint offCentre =
        window->frameGeometry().center() - window->screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 1) << offCentre.x() << ", " << offCentre.y();
    // Once centred with its frame, it goes where the user moves it.
    const QPoint moved = window->pos() + QPoint(40, 30);
    window->move(moved);
    QApplication::processEvents();
    EXPECT_EQ(window->pos(), moved);
}

TEST(cmdExitLeft, keepsTheButtonAtTheRightEdgeEvenWhenNegative)
{
    EXPECT_EQ(cmdExitLeft(5000, 1170), 3730);
    EXPECT_EQ(cmdExitLeft(7680, 1170), 6410);
    EXPECT_EQ(cmdExitLeft(1000, 1170), -270);
}

// The strength between the buttons shows ever shorter forms of its text
// as the frame narrows, in the strip's own font, and never covers a button.
TEST_F(MainWindow, resizingMovesTheExitButton)
{
    writeBytes(file("simbols"), "aab\r\n");
    start();
    const QStringList forms =
        strengthWords(strengthOf({u"aab", u"", 6, 1}), "Стойкость пароля").forms;
    EXPECT_EQ(forms, (QStringList{
                         "Стойкость: 1 бит, ненадёжная\n«a» стоит 2 раза: выпадает в 2 раза чаще",
                         "Стойкость: 1 бит, ненадёжная\n«a» стоит 2 раза: в 2 раза чаще",
                         "Стойкость: 1 бит, ненадёжная",
                         "Стойкость: 1 бит\nненадёжная",
                         "1 бит\nненадёжная",
                         "1",
                     }));
    qsizetype shorter = 0;
    for (const int width : {1200, 500, 330, 300, 270, 250, 60}) {
        window->resize(width, 400);
        QApplication::processEvents();
        const int frameWidth = window->frameGeometry().width();
        const int expected = makeup::pixels(cmdExitLeft(frameWidth * 15.0f, 1170));
        EXPECT_EQ(window->button("cmdExit")->x(), expected) << width;
        EXPECT_EQ(strength().font(), window->button("cmdExit")->font());
        if (!strength().isVisible()) {
            shorter = forms.size();
            continue;
        }
        EXPECT_EQ(strength().height(), window->menuWidget()->height());
        for (const char* name : {"cmdGen", "cmdSetup", "cmdExit"}) {
            EXPECT_FALSE(strength().geometry().intersects(window->button(name)->geometry()))
                << name << " at " << width;
        }
        const qsizetype form = forms.indexOf(strength().text());
        ASSERT_GE(form, shorter) << strength().text().toStdString();
        shorter = form;
    }
    EXPECT_EQ(forms.indexOf(strength().text()), forms.size() - 1); // the bare figure, last shown
    EXPECT_EQ(shorter, forms.size());
    EXPECT_LT(window->button("cmdExit")->x(), 0);
    EXPECT_EQ(window->button("cmdGen")->x(), 0);
    EXPECT_EQ(window->button("cmdSetup")->x(), 77); // 1155 twips: 15 twips over cmdGen
    window->resize(1200, 400);
    QApplication::processEvents();
    EXPECT_TRUE(strength().isVisible());
    EXPECT_EQ(strength().text(), forms.first());
    // A font too large for two lines in the strip, as the user may choose.
    QFont large = window->menuWidget()->font();
    large.setPixelSize(window->menuWidget()->height() * 2 / 3);
    window->menuWidget()->setFont(large);
    EXPECT_EQ(strength().font(), large);
    EXPECT_FALSE(strength().text().contains(u'\n')) << strength().text().toStdString();
}

struct StrengthShown {
    const char* simbols;
    const char* excluds;
    const char* lenPass;
    const char* text; // in a frame wide enough for the fullest form
    const char* accessibleName;
    const char* toolTip;
};

TEST_F(MainWindow, strengthSaysInWordsHowStrongAndWhy)
{
    const StrengthShown rows[] = {
        {"", "", "6", "Стойкость: нет\nнабор символов пуст",
         "Стойкость пароля: нет, набор символов пуст", "no password: the symbol set is empty"},
        {"\n\t", "", "6", "Стойкость: нет\nв наборе лишь переводы строк и табуляции",
         "Стойкость пароля: нет, в наборе лишь переводы строк и табуляции",
         "no password: the set holds only line breaks and tabs"},
        {"abc", "cab", "6", "Стойкость: нет\nвсе символы исключены",
         "Стойкость пароля: нет, все символы исключены", "no password: every symbol is excluded"},
        {"abc", "", "-5", "Стойкость: нет\nдлина пароля 0 или меньше",
         "Стойкость пароля: нет, длина пароля 0 или меньше",
         "no password: the length is 0 or less"},
        {"abc", "", "1", "Стойкость: 1 бит, ненадёжная", "Стойкость пароля: 1 бит, ненадёжная",
         "strength of the draw: 1 bit, very weak"},
        {"abcdefghijklmnopqrstuvwxyz", "", "14", "Стойкость: 65 бит, слабая",
         "Стойкость пароля: 65 бит, слабая", "strength of the draw: 65 bits, weak"},
        {"abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", "", "16",
         "Стойкость: 95 бит, средняя", "Стойкость пароля: 95 бит, средняя",
         "strength of the draw: 95 bits, medium"},
        {"abcdefghijklmnopqrstuvwxyz", "", "22", "Стойкость: 102 бита, высокая",
         "Стойкость пароля: 102 бита, высокая", "strength of the draw: 102 bits, strong"},
        {"aab", "", "10", "Стойкость: 3 бита, ненадёжная\n«a» стоит 2 раза: выпадает в 2 раза чаще",
         "Стойкость пароля: 3 бита, ненадёжная",
         "strength of the draw: 3 bits, very weak\n\"a\" stands 2 times: it is drawn 2 times as "
         "often"},
        {"aaabb", "", "5",
         "Стойкость: 2 бита, ненадёжная\n«a» стоит 3 раза: выпадает в 1,5 раза чаще самых редких",
         "Стойкость пароля: 2 бита, ненадёжная",
         "strength of the draw: 2 bits, very weak\n\"a\" stands 3 times: it is drawn 1.5 times "
         "as often as the rarest"},
        {"  xy", "", "6",
         "Стойкость: 4 бита, ненадёжная\nсимвол U+0020 стоит 2 раза: выпадает в 2 раза чаще",
         "Стойкость пароля: 4 бита, ненадёжная",
         "strength of the draw: 4 bits, very weak\ncharacter U+0020 stands 2 times: it is drawn 2 "
         "times as often"},
    };
    start();
    window->resize(1600, 400);
    frmSetup& setup = openSetup();
    for (const StrengthShown& row : rows) {
        SCOPED_TRACE(row.accessibleName);
        setup.txtSim()->setPlainText(QString::fromUtf8(row.simbols));
        setup.txtIskl()->setText(QString::fromUtf8(row.excluds));
        setup.txtLenPass()->setText(row.lenPass);
        EXPECT_EQ(strength().text().toStdString(), row.text);
        EXPECT_EQ(strength().accessibleName().toStdString(), row.accessibleName);
        EXPECT_EQ(strength().toolTip().toStdString(), row.toolTip);
    }
}

// While the settings window is open the figure follows its fields as they are
// typed and corrected; otherwise the settings, as loaded and as committed.
TEST_F(MainWindow, strengthFollowsTheSettingsWindowsFieldsAndTheCommittedSettings)
{
    writeBytes(file("simbols"), "abc\r\n");
    start();
    const auto shown = [this] { return strength().accessibleName().toStdString(); };
    EXPECT_EQ(shown(), "Стойкость пароля: 7 бит, ненадёжная"); // 6 characters
    frmSetup& setup = openSetup();
    setup.txtSim()->setFocus();
    setup.txtSim()->moveCursor(QTextCursor::End);
    QTest::keyClicks(setup.txtSim(), "d");
    EXPECT_EQ(shown(), "Стойкость пароля: 10 бит, ненадёжная"); // log2 3.5 a character
    setup.txtIskl()->setFocus();
    QTest::keyClicks(setup.txtIskl(), "bc");
    EXPECT_EQ(shown(), "Стойкость пароля: 3 бита, ненадёжная");
    setup.txtLenPass()->setFocus();
    setup.txtLenPass()->selectAll();
    QTest::keyClicks(setup.txtLenPass(), "12x"); // corrected to 12
    EXPECT_EQ(setup.txtLenPass()->text(), "12");
    EXPECT_EQ(shown(), "Стойкость пароля: 7 бит, ненадёжная");
    QTest::keyClicks(setup.txtNPass(), "5"); // the count changes no figure
    EXPECT_EQ(shown(), "Стойкость пароля: 7 бит, ненадёжная");
    EXPECT_EQ(window->settings().Simbols, u"abc"); // nothing committed yet

    // Committed by the close box, then followed by the settings alone.
    window->setupWindow().subWindow()->close();
    EXPECT_EQ(window->settings().LenPass, 12);
    EXPECT_EQ(shown(), "Стойкость пароля: 7 бит, ненадёжная");
    // Committed by a generate: the figure of the settings that it used.
    openSetup().txtLenPass()->setText("-3");
    click("cmdGen");
    window->generatorWindow().get().findChild<QPushButton*>("cmdGen")->click();
    EXPECT_FALSE(window->setupWindow().isLoaded());
    EXPECT_EQ(window->settings().LenPass, -3);
    EXPECT_EQ(shown(), "Стойкость пароля: нет, длина пароля 0 или меньше");
}

TEST_F(MainWindow, unreadableFileAtStartIsAnErrorAndNothingIsWritten)
{
#ifdef Q_OS_WIN
    // Held open without sharing by another program: found, but not opened.
    writeBytes(file("simbols"), "held\r\n");
    const HANDLE held = CreateFileW(file("simbols").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
#else
    // A symlink loop defeats the lookup whatever the user's rights, root included.
    fs::create_symlink(file("simbols"), file("simbols"));
#endif
    writeBytes(file("excluds"), "keep\r\n");
    window = std::make_unique<mdiMain>(
        folder, mdiMainServices{fakes.messageBox, fakes.clock, fakes.random});
    try {
        window->Load();
        ADD_FAILURE() << "no error";
    } catch (const StorageError& error) {
        EXPECT_EQ(cannotReadMessage(error),
                  u"Набор символов не прочитан: не удалось прочитать файл " + error.message() +
                      u". Программа закрывается, ничего не записав: оба файла настроек остаются "
                      u"как есть.");
    }
    window->close();
    EXPECT_EQ(readBytes(file("excluds")), "keep\r\n");
#ifdef Q_OS_WIN
    CloseHandle(held);
    EXPECT_EQ(readBytes(file("simbols")), "held\r\n");
#else
    EXPECT_TRUE(fs::is_symlink(file("simbols")));
#endif
}

TEST_F(MainWindow, unwritableFileAtCloseIsReportedAndTheOtherStillWritten)
{
    writeBytes(file("excluds"), "old\r\n");
    start();
    window->settings().Simbols = u"new";
    window->settings().Excluds = u"newer";
    // A directory where the file should be cannot be replaced, root or not.
    fs::create_directory(file("simbols"));
    window->close();
    ASSERT_EQ(fakes.messageBox.texts.size(), 1u);
    // The system's reason, as a save of the same set there gives it.
    std::u16string failure;
    try {
        SaveFile(u"new", file("simbols"));
    } catch (const StorageError& error) {
        failure = error.message();
    }
#ifndef Q_OS_WIN
    EXPECT_EQ(QString::fromStdU16String(failure),
              QString::fromStdU16String(displayName(file("simbols"))) + ": " +
                  QString::fromLocal8Bit(std::strerror(EISDIR)));
#endif
    EXPECT_EQ(fakes.messageBox.texts[0], u"Набор символов не сохранён: не удалось записать файл " +
                                             failure + u". Файл остался прежним.");
    EXPECT_EQ(fakes.messageBox.titles[0], u"Error");
    EXPECT_EQ(readBytes(file("excluds")), "newer\r\n");
    EXPECT_TRUE(window->writeFailed()); // the exit status tells
}

TEST_F(MainWindow, copyClosingLastKeepsTheEditsOfTheCopyThatClosedFirst)
{
    writeBytes(file("simbols"), "start\r\n");
    writeBytes(file("excluds"), "x\r\n");
    mdiMain first(folder, mdiMainServices{fakes.messageBox, fakes.clock, fakes.random});
    mdiMain second(folder, mdiMainServices{fakes.messageBox, fakes.clock, fakes.random});
    first.Load();
    second.Load();
    first.settings().Simbols = u"edited";
    first.close();
    second.close();
    EXPECT_EQ(readBytes(file("simbols")), "edited\r\n");
    EXPECT_EQ(readBytes(file("excluds")), "x\r\n");
    // The second copy says so, and that is no failure to write.
    ASSERT_EQ(fakes.messageBox.texts.size(), 1u);
    EXPECT_EQ(QString::fromStdU16String(fakes.messageBox.texts[0]),
              QStringLiteral("Набор символов не сохранён: файл %1 изменила другая программа или "
                             "другая копия этой после того, как эта его прочитала. Файл оставлен "
                             "как есть.")
                  .arg(QString::fromStdU16String(displayName(file("simbols")))));
    EXPECT_FALSE(first.writeFailed());
    EXPECT_FALSE(second.writeFailed());
}

// Lets the first file of a close take its name and fails the others, as if
// the close had been cut short between the two saves.
class CutShortAfterOneSave final : public FileCalls {
public:
    Error replace(const fs::path& replacement, const fs::path& target,
                  const fs::path& backup) override
    {
        placed.push_back(target.filename().string());
        return placed.size() == 1 ? FileCalls::replace(replacement, target, backup) : ioError;
    }
    Error move(const fs::path& from, const fs::path& to) override
    {
        if (to.has_extension()) { // the new file named whole beside the settings file
            return FileCalls::move(from, to);
        }
        placed.push_back(to.filename().string());
        return placed.size() == 1 ? FileCalls::move(from, to) : ioError;
    }
    std::vector<std::string> placed;

private:
#ifdef Q_OS_WIN
    static constexpr Error ioError = ERROR_WRITE_FAULT;
#else
    static constexpr Error ioError = EIO;
#endif
};

// The symbols are saved first: a close cut short between the two saves
// loses the exclusions, not the symbols the user edited.
TEST_F(MainWindow, closeCutShortAfterOneSaveKeepsTheEditedSymbols)
{
    writeBytes(file("simbols"), "old\r\n");
    writeBytes(file("excluds"), "x\r\n");
    start();
    window->settings().Simbols = u"edited";
    window->settings().Excluds = u"edited too";
    CutShortAfterOneSave calls;
    {
        const UsingFileCalls seam(calls);
        window->close();
    }
    EXPECT_EQ(calls.placed, (std::vector<std::string>{"simbols", "excluds"}));
    EXPECT_EQ(readBytes(file("simbols")), "edited\r\n");
    EXPECT_EQ(readBytes(file("excluds")), "x\r\n");
}

// A file that the close leaves as it was is named with the reason, and that
// is no failure to write.
TEST_F(MainWindow, fileTheCloseKeepsIsNamedWithItsReason)
{
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> atStart, sinceLoad;
        KeptBecause reason;
        std::size_t readErrors = 0; // shown by the load first
    };
    const auto folderThere = [](const fs::path& path) { fs::create_directory(path); };
    const auto setThere = [](const fs::path& path) { writeBytes(path, "abc\r\n"); };
    const auto nothing = [](const fs::path&) {};
    std::vector<Case> cases = {
        {"folderAtStart", folderThere, nothing, KeptBecause::NotRead},
        {"folderSinceLoad", setThere,
         [&](const fs::path& path) {
             fs::remove(path);
             folderThere(path);
         },
         KeptBecause::ChangedSinceLoad},
        {"fileSinceLoad", nothing, setThere, KeptBecause::ChangedSinceLoad},
    };
#ifndef Q_OS_WIN
    // Found and opened, but every read fails.
    cases.push_back({"readCutShort",
                     [](const fs::path& path) { fs::create_symlink("/proc/self/mem", path); },
                     nothing, KeptBecause::ReadCutShort, 2});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempFolder here;
        testing::FakeGenPassServices boxes;
        const fs::path simbols = SettingsPath(here.path(), "simbols");
        c.atStart(simbols);
        mdiMain main(here.path(), mdiMainServices{boxes.messageBox, fakes.clock, fakes.random});
        main.Load();
        c.sinceLoad(simbols);
        const fs::file_type before = fs::symlink_status(simbols).type();
        main.close();
        EXPECT_EQ(fs::symlink_status(simbols).type(), before);
        if (before == fs::file_type::regular) {
            EXPECT_EQ(readBytes(simbols), "abc\r\n");
        }
        ASSERT_EQ(boxes.messageBox.texts.size(), c.readErrors + 1);
        EXPECT_EQ(boxes.messageBox.texts.back(), keptMessage(simbols, c.reason));
        EXPECT_EQ(boxes.messageBox.titles.back(), u"Error");
        EXPECT_EQ(readBytes(SettingsPath(here.path(), "excluds")), "\r\n");
        EXPECT_FALSE(main.writeFailed());
    }
}

TEST(keptMessage, saysWhichSetWhyAndThatTheFileIsKept)
{
    const std::pair<KeptBecause, const char16_t*> reasons[] = {
        {KeptBecause::ChangedSinceLoad,
         u"файл F изменила другая программа или другая копия этой после того, как эта его "
         u"прочитала"},
        {KeptBecause::ReadCutShort, u"файл F при запуске не удалось прочитать целиком"},
        {KeptBecause::NotInCodePage,
         u"в файле F есть байты, которые не являются символами кодовой страницы системы"},
        {KeptBecause::NotRead,
         u"файл F при запуске был скрытым, системным или не обычным файлом, и программа его не "
         u"читала"},
    };
    const std::pair<const char*, const char16_t*> sets[] = {{"simbols", u"Набор символов"},
                                                            {"excluds", u"Список исключений"}};
    for (const auto& [name, set] : sets) {
        const fs::path file = SettingsPath("folder", name);
        for (const auto& [reason, why] : reasons) {
            std::u16string expected =
                std::u16string(set) + u" не сохранён: " + why + u". Файл оставлен как есть.";
            expected.replace(expected.find(u" F "), 3, u" " + displayName(file) + u" ");
            EXPECT_EQ(keptMessage(file, reason), expected) << name;
        }
    }
}

#ifdef Q_OS_WIN
// A save that Windows could not finish left the set under a name of its own.
TEST_F(MainWindow, setThatAnUnfinishedSaveLeftIsPutBackAndTheStartSaysSo)
{
    fs::path leftover = file("simbols");
    leftover += ".passgen-4294967280-0.new";
    writeBytes(leftover, "restored\r\n");
    start();
    EXPECT_EQ(window->settings().Simbols, u"restored");
    EXPECT_EQ(fakes.messageBox.texts,
              std::vector<std::u16string>{
                  u"Набор символов восстановлен: файла " + displayName(file("simbols")) +
                  u" не было, так как прошлое сохранение не удалось "
                  u"завершить; его место занял файл " +
                  displayName(leftover) + u" с последним сохранённым набором."});
    EXPECT_EQ(fakes.messageBox.titles, std::vector<std::u16string>{u"Error"});
}
#endif

TEST_F(MainWindow, closeRunsOnceAndSavesWhatItClosedWith)
{
    start();
    window->close();
    writeBytes(file("simbols"), "changed\r\n");
    window->close();
    EXPECT_EQ(readBytes(file("simbols")), "changed\r\n");
}

// Windows asks before the session ends, and another program may still cancel
// (SessionEndTest_win.cpp sends it): the sets are saved as the close would,
// nothing is shown or closed, and the close compares against what that save
// wrote. The settings window's fields are saved, not committed. Once the
// close has saved, it is the close's alone.
TEST_F(MainWindow, saveBeforeTheSessionEndsLeavesTheRunAsItWas)
{
    writeBytes(file("simbols"), "ab\ncd"); // another program's line ends
    start();
    click("cmdSetup");
    window->setupWindow().loaded()->txtIskl()->setText("typed");
    window->saveBeforeSessionEnd();
    EXPECT_EQ(readBytes(file("simbols")), "ab\r\ncd\r\n");
    EXPECT_EQ(readBytes(file("excluds")), "typed\r\n");
    EXPECT_NE(window->setupWindow().loaded(), nullptr);
    EXPECT_EQ(window->settings().Excluds, u""); // still the field's alone
    EXPECT_FALSE(window->isClosing());
    window->close();
    EXPECT_TRUE(fakes.messageBox.texts.empty());
    writeBytes(file("simbols"), "later\r\n");
    window->saveBeforeSessionEnd();
    EXPECT_EQ(readBytes(file("simbols")), "later\r\n");
}

TEST_F(MainWindow, makeUpFollowsTheDesignTable)
{
    start();
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Генератор паролей"));
    EXPECT_EQ(window->size(), QSize(512, 427));
    const std::tuple<const char*, const char*, const char*> buttons[] = {
        {"cmdGen", "Генерация", "generator"},
        {"cmdSetup", "Установки", "setup"},
        {"cmdExit", "Закрыть", "quit"}};
    for (const auto& [name, caption, tip] : buttons) {
        QToolButton* button = window->button(name);
        EXPECT_EQ(button->text(), QString::fromUtf8(caption));
        EXPECT_EQ(button->toolTip(), tip);
        EXPECT_EQ(button->size(), QSize(78, 53));
        EXPECT_FALSE(button->icon().pixmap(32, 32).isNull()) << name;
    }
    EXPECT_FALSE(window->windowIcon().pixmap(16, 16).isNull());
    // The keyboard order of the toolbar: Закрыть, then Генерация, Установки.
    window->button("cmdExit")->setFocus();
    for (const char* next : {"cmdGen", "cmdSetup"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), window->button(next)) << next;
    }
}

} // namespace
} // namespace passgen
