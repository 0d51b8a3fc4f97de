#pragma once

#include "QtServices.h"
#include "generation/GenPass.h"
#include "generation/Journal.h"
#include "generation/Module1.h"

#include <QWidget>

#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace passgen {

// What the generator window needs from the frame and the platform.
struct frmMainServices {
    SettingsWindow& settingsWindow;
    MessageBox& messageBox;
    Clock& clock;
    RandomSource& random;
};

// The generator window: the password field, the journal and the five
// command buttons.
class frmMain final : public QWidget {
    Q_OBJECT

public:
    frmMain(Module1& settings, const frmMainServices& services, QWidget* parent = nullptr);
    ~frmMain() override;

    QLineEdit* txtPasswd() const { return m_txtPasswd; }
    QPlainTextEdit* txtPass() const { return m_txtPass; }
    QPushButton* button(const char* name) const;

private:
    void run(void (GeneratorCommands::*command)());

    MessageBox& m_messageBox;
    QLineEdit* m_txtPasswd = nullptr;
    QPlainTextEdit* m_txtPass = nullptr;
    std::unique_ptr<LineEditField> m_passwordField;
    std::unique_ptr<JournalField> m_journalField;
    QtClipboard m_clipboard;
    std::unique_ptr<GeneratorCommands> m_commands;
};

} // namespace passgen
