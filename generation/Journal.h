#pragma once

#include "GenPass.h"
#include "Module1.h"

#include <cstdint>
#include <string>

namespace passgen {

// A text field as the generator window's commands see it. Positions and
// lengths count 16-bit characters, a line break being CR LF, two characters.
// setSelStart moves the caret and empties the selection; setSelLength selects
// that many characters from SelStart; setSelText replaces the selection and
// leaves the caret behind the inserted text.
class TextField {
public:
    virtual ~TextField() = default;
    virtual std::u16string Text() const = 0;
    virtual void setText(const std::u16string& text) = 0;
    virtual bool isEmpty() const { return Text().empty(); }
    // Adds text at the end, leaving the field as setText(Text() + text)
    // would. A field whose text is costly to read and assign overrides it,
    // so a click costs what it adds, not the size of the journal.
    virtual void append(const std::u16string& text) { setText(Text() + text); }
    virtual std::int32_t SelStart() const = 0;
    virtual void setSelStart(std::int32_t start) = 0;
    virtual std::int32_t SelLength() const = 0;
    virtual void setSelLength(std::int32_t length) = 0;
    virtual std::u16string SelText() const = 0;
    virtual void setSelText(const std::u16string& text) = 0;
    virtual void setFocus() = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    // Replaces what the clipboard holds with plain text. Another program may
    // hold the clipboard, so the write can fail unnoticed: read it back.
    virtual void setText(const std::u16string& text) = 0;
    // The plain text the clipboard holds now.
    virtual std::u16string text() const = 0;
};

// The five commands of the generator window, on its password field
// (txtPasswd) and its journal (txtPass).
class GeneratorCommands {
public:
    GeneratorCommands(Module1& settings, TextField& txtPasswd, TextField& txtPass,
                      Clipboard& clipboard, const GenPassServices& genPass);

    void Generate();     // cmdGen
    void PutInJournal(); // XpB1
    void Clear();        // cmdDelSel
    void SelectAll();    // cmdSelAll
    void Copy();         // cmdSelSave

private:
    Module1& m_settings;
    TextField& m_txtPasswd;
    TextField& m_txtPass;
    Clipboard& m_clipboard;
    GenPassServices m_genPass;
};

} // namespace passgen
