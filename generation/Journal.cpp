#include "Journal.h"

#include "Repeat.h"

#include <algorithm>

namespace passgen {

namespace {

constexpr std::u16string_view lineBreak = u"\r\n";
constexpr std::u16string_view notCopiedMessage =
    u"Ничего не скопировано: не удалось записать в буфер обмена.";

} // namespace

GeneratorCommands::GeneratorCommands(Module1& settings, TextField& txtPasswd, TextField& txtPass,
                                     Clipboard& clipboard, const GenPassServices& genPass)
    : m_settings(settings), m_txtPasswd(txtPasswd), m_txtPass(txtPass), m_clipboard(clipboard),
      m_genPass(genPass)
{}

void GeneratorCommands::Generate()
{
    // Commits an open settings window, so the passwords use what was typed there.
    m_genPass.settingsWindow.close();
    m_txtPasswd.setText(u"");
    const std::int32_t count = m_settings.NPass;
    if (count < 2) {
        m_txtPasswd.setText(GenPass(m_settings, m_genPass).value_or(u""));
        return;
    }
    // Putting each password in on its own would change the field once per
    // password; the batch runs without window events in between, so adding
    // it in one piece shows exactly the same result.
    std::u16string batch;
    // Room for the largest batch the settings window lets the user ask for;
    // the settings are plain ints, and a larger batch grows as it goes.
    constexpr std::int32_t largest = 999;
    batch.reserve(static_cast<std::size_t>(std::min(count, largest)) *
                  (static_cast<std::size_t>(std::clamp(m_settings.LenPass, 0, largest)) + 2));
    bool journalEmpty = m_txtPass.isEmpty();
    repeat(count, [&] {
        const std::optional<std::u16string> password = GenPass(m_settings, m_genPass);
        if (!password) {
            // The symbol set cannot change within the batch: one report is enough.
            return false;
        }
        if (password->empty()) {
            return true;
        }
        if (!journalEmpty) {
            batch += lineBreak;
        }
        batch += *password;
        journalEmpty = false;
        return true;
    });
    if (!batch.empty()) {
        m_txtPass.append(batch);
    }
}

void GeneratorCommands::PutInJournal()
{
    const std::u16string password = m_txtPasswd.Text();
    if (password.empty()) {
        return;
    }
    m_txtPass.append(m_txtPass.isEmpty() ? password : std::u16string(lineBreak) + password);
    m_txtPasswd.setText(u"");
}

void GeneratorCommands::Clear()
{
    if (m_txtPass.SelText().empty()) {
        m_txtPass.setText(u"");
    }
    m_txtPass.setSelText(u"");
}

void GeneratorCommands::SelectAll()
{
    m_txtPass.setFocus();
    m_txtPass.setSelStart(0);
    m_txtPass.setSelLength(static_cast<std::int32_t>(m_txtPass.Text().size()));
}

void GeneratorCommands::Copy()
{
    m_clipboard.clear();
    std::u16string copied = m_txtPass.SelText();
    m_clipboard.setText(copied);
    if (m_txtPass.SelLength() == 0) {
        copied = m_txtPass.Text();
        m_clipboard.setText(copied);
    }
    if (m_clipboard.text() != copied) {
        m_genPass.messageBox.information(notCopiedMessage, m_genPass.caption());
    }
}

} // namespace passgen
