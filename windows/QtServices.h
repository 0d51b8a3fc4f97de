#pragma once

#include "generation/Journal.h"
#include "generation/Services.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QLineEdit;
class QObject;
class QPlainTextEdit;
class QWidget;

// The Qt side of the core's service interfaces.
namespace passgen {

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void information(std::u16string_view text, std::u16string_view title) override;

private:
    QWidget* m_parent;
};

// The message boxes of a run. Once a signal or the session's end has asked
// the program to quit, nobody may be there to answer a box, and an open one
// would keep the program from ending: from then on a message goes to the
// standard error stream instead.
class RunMessageBox final : public MessageBox {
public:
    explicit RunMessageBox(MessageBox& shown) : m_shown(shown) {}
    void information(std::u16string_view text, std::u16string_view title) override;
    void silence() { m_silent = true; }

    // Calls then once no box of the run is open and the handler that opened
    // the last one has returned to its event loop, at once when none is
    // open. Nothing happens if context is gone by then.
    void afterBoxes(QObject& context, std::function<void()> then);

private:
    MessageBox& m_shown;
    bool m_silent = false;
    int m_open = 0;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_afterBoxes;
};

// Closes every open message box and menu of the program and cancels a drag,
// so that the event loops they run return to the handlers that opened them.
void closeModalWindows();

// The clipboard, which gets each copy marked as a secret (SensitiveClipboard.h).
class QtClipboard final : public Clipboard {
public:
    void clear() override;
    void setText(const std::u16string& text) override;
    std::u16string text() const override;
};

class LineEditField final : public TextField {
public:
    explicit LineEditField(QLineEdit& edit) : m_edit(edit) {}
    std::u16string Text() const override;
    void setText(const std::u16string& text) override;
    std::int32_t SelStart() const override;
    void setSelStart(std::int32_t start) override;
    std::int32_t SelLength() const override;
    void setSelLength(std::int32_t length) override;
    std::u16string SelText() const override;
    void setSelText(const std::u16string& text) override;
    void setFocus() override;

private:
    QLineEdit& m_edit;
};

// The journal: positions and lengths count a line break as CR LF.
class JournalField final : public TextField {
public:
    explicit JournalField(QPlainTextEdit& edit) : m_edit(edit) {}
    std::u16string Text() const override;
    void setText(const std::u16string& text) override;
    bool isEmpty() const override;
    void append(const std::u16string& text) override;
    std::int32_t SelStart() const override;
    void setSelStart(std::int32_t start) override;
    std::int32_t SelLength() const override;
    void setSelLength(std::int32_t length) override;
    std::u16string SelText() const override;
    void setSelText(const std::u16string& text) override;
    void setFocus() override;

private:
    QString editorText() const;
    QPlainTextEdit& m_edit;
};

} // namespace passgen
