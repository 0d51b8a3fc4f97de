#include "frmMain.h"

#include "MakeUp.h"
#include "SecretField.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <exception>
#include <system_error>

namespace passgen {

namespace {

using namespace makeup;

constexpr Colour lightBlue = rgb(174, 208, 249);

const Window windowSpec{"frmMain", "Генератор", 7140, 5085, {}, ":/icons/generator.ico"};

// clang-format off
const Control controls[] = {
    {.name = "cmdSelSave", .kind = Kind::Picture, .container = nullptr,
     .left = 6510, .top = 1260, .width = 540, .height = 495, .tabIndex = 6,
     .toolTip = "copy selected/all in clipboard", .accessibleName = "Копировать",
     .picture = ":/icons/copy.ico"},
    {.name = "cmdDelSel", .kind = Kind::Picture, .container = nullptr,
     .left = 6510, .top = 660, .width = 540, .height = 495, .tabIndex = 5,
     .toolTip = "clear selected/all", .accessibleName = "Очистить", .picture = ":/icons/clear.ico"},
    {.name = "cmdSelAll", .kind = Kind::Picture, .container = nullptr,
     .left = 6510, .top = 60, .width = 540, .height = 495, .tabIndex = 4,
     .toolTip = "select all", .accessibleName = "Выделить всё", .picture = ":/icons/selectall.ico"},
    {.name = "txtPass", .kind = Kind::TextBox, .container = nullptr,
     .left = 105, .top = 60, .width = 6315, .height = 3435, .tabIndex = 2, .accessibleName = "Журнал",
     .font = {"Tahoma", 12}, .multiLine = true, .scrollBars = ScrollBars::Both, .secret = true},
    {.name = "fr1", .kind = Kind::Frame, .container = nullptr,
     .left = 105, .top = 3540, .width = 6945, .height = 1455, .tabIndex = 0},
    {.name = "cmdGen", .kind = Kind::Button, .container = "fr1",
     .left = 105, .top = 240, .width = 6735, .height = 315, .tabIndex = 7,
     .caption = "Генерировать", .toolTip = "generate", .font = {"Verdana", 8.25, true}},
    {.name = "XpB1", .kind = Kind::Picture, .container = "fr1",
     .left = 6300, .top = 780, .width = 540, .height = 555, .tabIndex = 3,
     .toolTip = "put in jurnal", .accessibleName = "Добавить в журнал",
     .picture = ":/icons/journal.ico"},
    {.name = "txtPasswd", .kind = Kind::TextBox, .container = "fr1",
     .left = 105, .top = 780, .width = 6105, .height = 555, .tabIndex = 1, .accessibleName = "Пароль",
     .font = {"Courier New", 20.25}, .secret = true},
};
// clang-format on

} // namespace

frmMain::frmMain(Module1& settings, const frmMainServices& services, QWidget* parent)
    : QWidget(parent), m_messageBox(services.messageBox)
{
    apply(*this, windowSpec);
    const auto widgets = build(*this, controls);
    m_txtPasswd = qobject_cast<QLineEdit*>(widgets.value("txtPasswd"));
    m_txtPass = qobject_cast<QPlainTextEdit*>(widgets.value("txtPass"));
    // Load: the frame, then the window itself, in the generator's light blue.
    paint(*widgets.value("fr1"), lightBlue);
    paint(*this, lightBlue);

    m_passwordField = std::make_unique<LineEditField>(*m_txtPasswd);
    m_journalField = std::make_unique<JournalField>(*m_txtPass);
    // Both fields show passwords: every copy out of them is marked as one.
    keepSecret(*m_txtPasswd, *m_passwordField);
    keepSecret(*m_txtPass, *m_journalField);
    const GenPassServices genPass{services.messageBox,
                                  [this] { return windowTitle().toStdU16String(); },
                                  services.settingsWindow, services.clock, services.random};
    m_commands = std::make_unique<GeneratorCommands>(settings, *m_passwordField, *m_journalField,
                                                     m_clipboard, genPass);

    const std::pair<const char*, void (GeneratorCommands::*)()> bindings[] = {
        {"cmdGen", &GeneratorCommands::Generate},     {"XpB1", &GeneratorCommands::PutInJournal},
        {"cmdSelAll", &GeneratorCommands::SelectAll}, {"cmdDelSel", &GeneratorCommands::Clear},
        {"cmdSelSave", &GeneratorCommands::Copy},
    };
    for (const auto& [name, command] : bindings) {
        connect(button(name), &QPushButton::clicked, this, [this, command] { run(command); });
    }
}

frmMain::~frmMain() = default;

QPushButton* frmMain::button(const char* name) const
{
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void frmMain::run(void (GeneratorCommands::*command)())
{
    // The random source throws when the operating system cannot supply
    // random bytes; no password is made then, and the user is told why.
    QString text;
    try {
        (m_commands.get()->*command)();
        return;
    } catch (const std::system_error& error) {
        text = QStringLiteral("Пароль не создан: системный источник случайных чисел не ответил "
                              "(%1).")
                   .arg(QString::fromLocal8Bit(error.what()));
    } catch (const std::exception& error) {
        text =
            QStringLiteral("Команда не выполнена: %1.").arg(QString::fromLocal8Bit(error.what()));
    }
    m_messageBox.information(text.toStdU16String(), windowTitle().toStdU16String());
}

} // namespace passgen
