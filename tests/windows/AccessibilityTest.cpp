#include "windows/HighContrast.h"
#include "windows/MakeUp.h"
#include "windows/QtServices.h"
#include "windows/Workspace.h"
#include "windows/mdiMain.h"

#include "tests/generation/Fakes.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

#include <gtest/gtest.h>

#ifdef Q_OS_WIN
#include "windows/HighContrast_win.h"
#include <windows.h>
#undef MessageBox // the program's own
#endif

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

namespace passgen {
namespace {

namespace fs = std::filesystem;

// The program's frame with both child windows open, as the user sees it.
class Accessibility : public ::testing::Test {
protected:
    Accessibility()
    {
        folder =
            fs::temp_directory_path() / ("passgen-a11y-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
    }
    ~Accessibility() override
    {
        window.reset();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    mdiMain& start(MessageBox& messageBox)
    {
        window = std::make_unique<mdiMain>(folder,
                                           mdiMainServices{messageBox, fakes.clock, fakes.random});
        window->Load();
        window->settings().Simbols = u"abcdefgh";
        window->resize(900, 700);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }
    mdiMain& startWithBothWindows()
    {
        start(fakes.messageBox);
        window->button("cmdGen")->click();
        window->button("cmdSetup")->click();
        return *window;
    }

    QWidget* control(const char* form, const char* name) const
    {
        QWidget* parent = window.get();
        if (QString::fromLatin1(form) != "mdiMain")
            parent = window->findChild<QWidget*>(QString::fromLatin1(form));
        return parent ? parent->findChild<QWidget*>(QString::fromLatin1(name)) : nullptr;
    }

    // The pane that holds widget: the toolbar, or a child window.
    QWidget* pane(QWidget* widget) const
    {
        for (QWidget* w = widget; w; w = w->parentWidget()) {
            if (qobject_cast<QMdiSubWindow*>(w) || w->objectName() == "Picture1")
                return w;
        }
        return nullptr;
    }

    // Reaches a control by the keyboard as a user would: F6 between the
    // toolbar and the active child window, Ctrl+F6 to the next child window,
    // then Tab. Every stop on the way must be a control the user can see
    // and use.
    void tabTo(const char* form, const char* name)
    {
        QWidget* target = control(form, name);
        ASSERT_NE(target, nullptr) << name;
        for (int i = 0; i < 4 && pane(QApplication::focusWidget()) != pane(target); ++i) {
            const bool toolbar = pane(target)->objectName() == "Picture1";
            const bool inToolbar = pane(QApplication::focusWidget())->objectName() == "Picture1";
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6,
                            toolbar != inToolbar ? Qt::NoModifier : Qt::ControlModifier);
        }
        for (tabsPressed = 0; tabsPressed < 20 && QApplication::focusWidget() != target;
             ++tabsPressed) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            const QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            EXPECT_TRUE(focus->isVisible() && focus->isEnabled())
                << focus->objectName().toStdString();
        }
        ASSERT_EQ(QApplication::focusWidget(), target) << "the keyboard never reached " << name;
    }

    fs::path folder;
    int tabsPressed = 0; // on the last way to a control
    testing::FakeGenPassServices fakes;
    std::unique_ptr<mdiMain> window;
};

// The interactive controls of a window as a screen reader finds them through
// QAccessible, not descending into the child windows inside it.
std::vector<QAccessibleInterface*> interactive(QAccessibleInterface* root)
{
    std::vector<QAccessibleInterface*> found;
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (!child || child->state().invisible || qobject_cast<QMdiSubWindow*>(child->object()))
            continue;
        if (child->state().focusable)
            found.push_back(child);
        const auto below = interactive(child);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

struct Expected {
    const char* name;
    QAccessible::Role role;
    const char* description; // the tooltip
    const char* labelledBy = nullptr;
};

TEST_F(Accessibility, everyInteractiveControlHasAUniqueNameAndItsRole)
{
    startWithBothWindows();
    const std::map<QString, std::map<QString, Expected>> windows = {
        {"mdiMain",
         {{"cmdGen", {"Генерация", QAccessible::Button, "generator"}},
          {"cmdSetup", {"Установки", QAccessible::Button, "setup"}},
          {"cmdExit", {"Закрыть", QAccessible::Button, "quit"}}}},
        {"frmMain",
         {{"cmdSelAll", {"Выделить всё", QAccessible::Button, "select all"}},
          {"cmdDelSel", {"Очистить", QAccessible::Button, "clear selected/all"}},
          {"cmdSelSave", {"Копировать", QAccessible::Button, "copy selected/all in clipboard"}},
          {"XpB1", {"Добавить в журнал", QAccessible::Button, "put in jurnal"}},
          {"cmdGen", {"Генерировать", QAccessible::Button, "generate"}},
          {"txtPass", {"Журнал", QAccessible::EditableText, ""}},
          {"txtPasswd", {"Пароль", QAccessible::EditableText, ""}}}},
        {"frmSetup",
         {{"txtLenPass",
           {"Кол-во символов в пароле", QAccessible::EditableText, "count of simbol in password",
            "Label1"}},
          {"txtNPass",
           {"Кол-во паролей", QAccessible::EditableText, "count of passwords", "Label2"}},
          {"txtIskl",
           {"Список исключений (символы, запрещенные в пароле)", QAccessible::EditableText,
            "excluds", "fr4"}},
          {"txtSim",
           {"Набор символов, используемых для генерации пароля", QAccessible::EditableText,
            "simbols", "fr2"}}}},
    };
    for (const auto& [form, controls] : windows) {
        QWidget* root = form == "mdiMain" ? window.get() : window->findChild<QWidget*>(form);
        ASSERT_NE(root, nullptr) << form.toStdString();
        std::map<QString, int> names;
        for (QAccessibleInterface* item :
             interactive(QAccessible::queryAccessibleInterface(root))) {
            const QString objectName = item->object()->objectName();
            const QString name = item->text(QAccessible::Name);
            SCOPED_TRACE(form.toStdString() + "/" + objectName.toStdString());
            EXPECT_FALSE(name.isEmpty());
            ++names[name];
            const auto row = controls.find(objectName);
            ASSERT_NE(row, controls.end()) << "not in the table: " << name.toStdString();
            const Expected& expected = row->second;
            EXPECT_EQ(name.toStdString(), expected.name);
            EXPECT_EQ(item->role(), expected.role);
            EXPECT_EQ(item->text(QAccessible::Description).toStdString(), expected.description);
            if (expected.labelledBy) {
                QStringList labels;
                for (const auto& [label, relation] : item->relations(QAccessible::Label))
                    labels << label->object()->objectName();
                EXPECT_TRUE(labels.contains(expected.labelledBy)) << labels.join(',').toStdString();
            }
        }
        for (const auto& [name, count] : names)
            EXPECT_EQ(count, 1) << form.toStdString() << ": " << name.toStdString();
        for (const auto& [objectName, expected] : controls) {
            EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                                    [&](const auto& n) { return n.first == expected.name; }))
                << form.toStdString() << ": " << objectName.toStdString() << " not reachable";
        }
    }
}

// The palettes a user may run under. The dark and high-contrast ones are
// those of the usual dark theme and of Windows' "High Contrast Black";
// "highContrastMode" is the latter with Windows' high-contrast switch on.
QPalette themePalette(const std::string& theme)
{
    QPalette palette = QApplication::style()->standardPalette();
    if (theme == "light")
        return palette;
    const bool dark = theme == "dark";
    const QColor window = dark ? QColor(53, 53, 53) : QColor(Qt::black);
    const QColor base = dark ? QColor(35, 35, 35) : QColor(Qt::black);
    const QColor text = dark ? QColor(230, 230, 230) : QColor(Qt::white);
    for (const auto& [role, colour] :
         {std::pair{QPalette::Window, window},
          {QPalette::WindowText, text},
          {QPalette::Base, base},
          {QPalette::AlternateBase, window},
          {QPalette::Text, text},
          {QPalette::Button, window},
          {QPalette::ButtonText, text},
          {QPalette::Dark, window},
          {QPalette::Highlight, dark ? QColor(42, 130, 218) : QColor(0, 255, 255)},
          {QPalette::HighlightedText, QColor(Qt::black)}})
        palette.setColor(role, colour);
    return palette;
}

// Each widget's colours by its path of names, and the workspace's: as they
// are drawn, or as the system's palette has them.
std::map<std::string, std::string> colours(const mdiMain& frame, bool system = false)
{
    const QColor workspace =
        system ? applicationWorkspaceColour(frame) : frame.area().background().color();
    std::map<std::string, std::string> found{{"workspace", workspace.name().toStdString()}};
    for (const QWidget* widget : frame.findChildren<QWidget*>()) {
        std::string path;
        for (const QWidget* w = widget; w != &frame; w = w->parentWidget())
            path = w->objectName().toStdString() + "/" + path;
        const QPalette palette = system ? QApplication::palette(widget) : widget->palette();
        for (const QPalette::ColorRole role :
             {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text,
              QPalette::Button, QPalette::ButtonText})
            found[path] += palette.color(QPalette::Active, role).name().toStdString() + " ";
    }
    return found;
}

struct TextOnBackground {
    QString name;
    QColor text;
    QColor background;
};

// Each text that the windows draw, with the colour it is drawn in and the
// colour it is drawn on.
std::vector<TextOnBackground> texts(const QWidget& root)
{
    std::vector<TextOnBackground> found;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        const QPalette& palette = widget->palette();
        const QString name = widget->objectName();
        if (qobject_cast<const QLabel*>(widget) ||
            (qobject_cast<const QGroupBox*>(widget) &&
             !static_cast<const QGroupBox*>(widget)->title().isEmpty()))
            found.push_back(
                {name, palette.color(QPalette::WindowText), makeup::backgroundBehind(*widget)});
        else if (qobject_cast<const QLineEdit*>(widget) ||
                 qobject_cast<const QPlainTextEdit*>(widget))
            found.push_back({name, palette.color(QPalette::Text), palette.color(QPalette::Base)});
        else if (qobject_cast<const QAbstractButton*>(widget) &&
                 !static_cast<const QAbstractButton*>(widget)->text().isEmpty())
            found.push_back(
                {name, palette.color(QPalette::ButtonText), palette.color(QPalette::Button)});
    }
    return found;
}

// The theme at the start, and the one switched to while the windows are open.
using Theme = std::pair<const char*, const char*>;

class ThemeContrast : public Accessibility, public ::testing::WithParamInterface<Theme> {
protected:
    ThemeContrast() : m_saved(QApplication::palette()) { useTheme(GetParam().first); }
    ~ThemeContrast() override
    {
        window.reset();
        makeup::setHighContrastQuery(highContrastOn);
        QApplication::setPalette(m_saved);
    }

    // Switches as the user does. On Windows the high-contrast switch alone,
    // which Windows announces to every window, brings the system's colours
    // in or out.
    void useTheme(const std::string& theme)
    {
        [[maybe_unused]] const bool was = std::exchange(m_mode, theme == "highContrastMode");
        makeup::setHighContrastQuery([mode = m_mode] { return mode; });
#ifdef Q_OS_WIN
        if (window && m_mode != was) {
            SendMessageW(reinterpret_cast<HWND>(window->winId()), WM_SETTINGCHANGE,
                         SPI_SETHIGHCONTRAST, 0);
            return;
        }
#endif
        QApplication::setPalette(themePalette(theme));
    }

private:
    QPalette m_saved;
    bool m_mode = false;
};

TEST_P(ThemeContrast, everyTextReadsOnItsBackground)
{
    startWithBothWindows();
    const auto [start, now] = GetParam();
    const std::string theme = now ? now : start;
    const bool systemColours = theme == "highContrastMode";
    if (now) {
        // What the user has open when the theme changes stays as it is.
        const QPointer<frmMain> generator = &window->generatorWindow().get();
        const QPointer<frmSetup> setup = &window->setupWindow().get();
        generator->txtPass()->setPlainText("gW4kqz");
        generator->txtPass()->selectAll();
        setup->txtIskl()->setText("0O");
        setup->txtIskl()->setFocus();
        useTheme(theme);
        mdiMain fresh(folder, mdiMainServices{fakes.messageBox, fakes.clock, fakes.random});
        fresh.settings() = window->settings(); // for the same strength
        fresh.button("cmdGen")->click();
        fresh.button("cmdSetup")->click();
        // The colours they would have if built now, once the change is handled.
        EXPECT_TRUE(QTest::qWaitFor([&] { return colours(*window) == colours(fresh); }));
        EXPECT_EQ(colours(*window), colours(fresh));
        ASSERT_TRUE(generator && setup);
        EXPECT_EQ(generator->txtPass()->textCursor().selectedText(), "gW4kqz");
        EXPECT_EQ(setup->txtIskl()->text(), "0O");
        EXPECT_EQ(QApplication::focusWidget(), setup->txtIskl());
    }
    // As a native dialog, in the system's colours while it asks for them;
    // the workspace always is.
    EXPECT_EQ(colours(*window) == colours(*window, true), systemColours);
    EXPECT_EQ(colours(*window)["workspace"], colours(*window, true)["workspace"]);
    // The settings window's green caption keeps the colour that the make-up
    // gives it, though on the fixed light grey that stays below the goal.
    const QColor tableGreen(0, 128, 0);
    const std::vector<TextOnBackground> found = texts(*window);
    EXPECT_GE(found.size(), 14u);
    for (const TextOnBackground& text : found) {
        SCOPED_TRACE(text.name.toStdString());
        if (text.name == "fr2" && !systemColours) {
            EXPECT_EQ(text.text, tableGreen);
            continue;
        }
        EXPECT_GE(makeup::contrast(text.text, text.background), 4.5)
            << text.text.name().toStdString() << " on " << text.background.name().toStdString();
    }
    // The strength in a colour of its range's own, or with no figure in the
    // caption colour, each readable on the strip's grey; or all in the
    // system's colour.
    frmSetup& setup = window->setupWindow().get();
    const QLabel& figure = *window->findChild<QLabel*>("lblStrength");
    std::set<QRgb> shown;
    for (const char* length : {"1", "14", "18", "22", "-1"}) {
        setup.txtSim()->setPlainText("abcdefghijklmnopqrstuvwxyz");
        setup.txtLenPass()->setText(length);
        const QColor text = figure.palette().color(QPalette::WindowText);
        EXPECT_GE(makeup::contrast(text, makeup::backgroundBehind(figure)), 4.5)
            << length << ": " << text.name().toStdString();
        if (systemColours) {
            EXPECT_EQ(text, QApplication::palette(&figure).color(QPalette::WindowText));
        }
        shown.insert(text.rgb());
    }
    EXPECT_EQ(shown.size(), systemColours ? 1u : 5u);
}

INSTANTIATE_TEST_SUITE_P(Themes, ThemeContrast,
                         ::testing::Values(Theme{"light", nullptr}, Theme{"dark", nullptr},
                                           Theme{"highContrast", nullptr},
                                           Theme{"highContrastMode", nullptr},
                                           Theme{"light", "dark"},
                                           Theme{"light", "highContrastMode"},
                                           Theme{"highContrastMode", "light"}),
                         [](const ::testing::TestParamInfo<Theme>& info) {
                             const char* then = info.param.second;
                             return std::string(info.param.first) +
                                    (then ? std::string("_then_") + then : std::string());
                         });

#ifdef Q_OS_WIN
// The theme tests stand in for the query; this reads what Windows answers.
// Most systems have HCF_AVAILABLE set, and only the switch itself asks for
// the system's colours.
TEST(HighContrast, followsTheSwitchNotWhetherTheModeIsAvailable)
{
    const std::pair<DWORD, bool> flags[] = {
        {HCF_HIGHCONTRASTON | HCF_AVAILABLE, true}, {HCF_AVAILABLE, false}, {0, false}};
    for (const auto& [set, on] : flags) {
        HIGHCONTRASTW setting{};
        setting.cbSize = sizeof setting;
        setting.dwFlags = set;
        EXPECT_EQ(asksForSystemColours(setting), on) << set;
    }
}
#endif

// What Qt hands a screen reader's bridge.
std::vector<std::pair<QObject*, QAccessible::Event>> sent;

void recordSent(QAccessibleEvent* event)
{
    sent.emplace_back(event->object(), event->type());
}

TEST_F(Accessibility, strengthIsNamedAndTellsAScreenReaderWhenItChanges)
{
    startWithBothWindows();
    QLabel* figure = window->findChild<QLabel*>("lblStrength");
    frmSetup& setup = window->setupWindow().get();
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(figure);
    EXPECT_EQ(item->role(), QAccessible::StaticText);
    EXPECT_EQ(item->text(QAccessible::Name), "Стойкость пароля: 17 бит, ненадёжная");

    // As a screen reader's arrival makes it, on every platform.
    QPlatformAccessibility* platform =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    ASSERT_NE(platform, nullptr);
    platform->setActive(true);
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordSent);
    const auto heard = [&](QAccessible::Event type) {
        return std::count(sent.begin(), sent.end(),
                          std::pair<QObject*, QAccessible::Event>(figure, type));
    };
    sent.clear();
    setup.txtSim()->setPlainText("abcdefghijk");
    EXPECT_EQ(heard(QAccessible::NameChanged), 1);
    EXPECT_EQ(item->text(QAccessible::Name), "Стойкость пароля: 20 бит, ненадёжная");
    setup.txtNPass()->setText("7"); // the same figure
    window->resize(330, 400);       // a shorter form of it
    QApplication::processEvents();
    EXPECT_EQ(heard(QAccessible::NameChanged), 1);
    setup.txtSim()->setPlainText("abcdefghijkk");
    EXPECT_EQ(heard(QAccessible::NameChanged), 2);
    EXPECT_EQ(heard(QAccessible::DescriptionChanged), 1);
    EXPECT_EQ(item->text(QAccessible::Description), "«k» стоит 2 раза: выпадает в 2 раза чаще");
    QAccessible::installUpdateHandler(previous);
    platform->setActive(false);
}

struct KeyPress {
    const char* form;
    const char* button;
    Qt::Key key;
    bool byF6Alone = false;  // F6 returns to the toolbar button it left
    bool autoRepeat = false; // a held key's repeats press nothing
};

TEST_F(Accessibility, enterAndSpacePressTheFocusedButton)
{
    // Each row is pressed from the keyboard alone, reached by Tab.
    // clang-format off
    const KeyPress rows[] = {
        {"mdiMain", "cmdGen", Qt::Key_Return},    {"mdiMain", "cmdSetup", Qt::Key_Space},
        {"frmMain", "cmdGen", Qt::Key_Return},    {"frmMain", "cmdGen", Qt::Key_Enter},
        {"frmMain", "cmdGen", Qt::Key_Space},     {"frmMain", "XpB1", Qt::Key_Return},
        {"frmMain", "cmdSelAll", Qt::Key_Return}, {"frmMain", "cmdSelSave", Qt::Key_Space},
        {"frmMain", "cmdDelSel", Qt::Key_Enter},  {"mdiMain", "cmdSetup", Qt::Key_Return, true},
        {"frmMain", "cmdDelSel", Qt::Key_Return, false, true},
    };
    // clang-format on
    start(fakes.messageBox);
    window->button("cmdExit")->setFocus();
    for (const KeyPress& row : rows) {
        SCOPED_TRACE(std::string(row.form) + "/" + row.button + " key " + std::to_string(row.key));
        tabTo(row.form, row.button);
        auto* button = qobject_cast<QAbstractButton*>(control(row.form, row.button));
        int clicks = 0;
        const auto counter = QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
        if (row.autoRepeat) {
            QKeyEvent repeated(QEvent::KeyPress, row.key, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(button, &repeated);
        } else {
            // The keypad's Enter, the only one a keyboard sends as Key_Enter.
            QTest::keyClick(button, row.key,
                            row.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        }
        QObject::disconnect(counter);
        EXPECT_EQ(clicks, row.autoRepeat ? 0 : 1);
        if (row.byF6Alone) {
            EXPECT_EQ(tabsPressed, 0);
        }
    }
}

TEST_F(Accessibility, keyboardAloneGeneratesSelectsCopiesAndClears)
{
    start(fakes.messageBox);
    window->settings().NPass = 3;
    window->button("cmdExit")->setFocus();
    tabTo("mdiMain", "cmdGen");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // The first control in the window's keyboard order.
    EXPECT_EQ(QApplication::focusWidget(), window->generatorWindow().get().txtPasswd());
    tabTo("frmMain", "cmdGen");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    const QString journal = window->generatorWindow().get().txtPass()->toPlainText();
    ASSERT_EQ(journal.split('\n').size(), 3);

    tabTo("frmMain", "cmdSelAll");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    tabTo("frmMain", "cmdSelSave");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // Whether the copy keeps CR LF is the generator window's test; Qt's
    // Windows clipboard hands it back with LF.
    EXPECT_EQ(QApplication::clipboard()->text().replace("\r\n", "\n"), journal);
    tabTo("frmMain", "cmdDelSel");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(window->generatorWindow().get().txtPass()->toPlainText().isEmpty());

    // F6 or Shift+F6 to the toolbar button it left, and back to the control it left.
    QWidget* left = QApplication::focusWidget();
    for (const Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
        QTest::keyClick(left, Qt::Key_F6, modifiers);
        EXPECT_EQ(QApplication::focusWidget(), window->button("cmdGen")) << modifiers;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, modifiers);
        EXPECT_EQ(QApplication::focusWidget(), left) << modifiers;
    }
}

TEST_F(Accessibility, messageBoxClosedByEnterLeavesTheFocusInTheSettingsWindow)
{
    QtMessageBox messageBox;
    start(messageBox);
    window->settings().Simbols.clear();
    window->button("cmdGen")->click();
    tabTo("frmMain", "cmdGen");
    QString heard;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        heard = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description);
        // Every message of the program comes with the information icon, its
        // sound, and one OK button.
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->windowTitle(), "Генератор");
        ASSERT_TRUE(QTest::qWaitForWindowActive(box));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(heard, "Нет символов для генерации пароля");
    ASSERT_TRUE(window->setupWindow().isLoaded());
    // The settings window that the generator brought up, where the missing
    // symbols are typed.
    // The window system gives the frame back its activation, as Windows
    // does for the owner of a message box; offscreen it has to be asked.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->setupWindow().loaded()->isAncestorOf(QApplication::focusWidget()); }));
}

} // namespace
} // namespace passgen
