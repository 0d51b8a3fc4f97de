#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

#ifdef Q_OS_WIN
#include <future>
#include <thread>
#endif

// The clipboard as another program reads it: under Windows through the
// system's clipboard calls, on X11 through xclip, a program of its own, while
// this one answers its requests. On other platforms (Qt's offscreen one) only
// the data this program offers can be read, through Qt.
namespace passgen::testing {

struct SeenClipboard {
    QString text;
    bool marked = false; // carries every mark that keeps a secret out of history
};

SeenClipboard clipboardAsOthersSee();

bool othersSeeX11();

// The X11 PRIMARY selection's text, or nothing when no program holds it.
std::optional<QString> primaryAsOthersSee();

// Makes another program hold the PRIMARY selection with text.
void offerPrimaryFromOtherProgram(const QString& text);

#ifdef Q_OS_WIN
// Another program holding the Windows clipboard open for as long as this
// lives, as a clipboard manager or remote desktop may: nothing can be put on
// the clipboard meanwhile.
class ClipboardHeldOpen final {
public:
    ClipboardHeldOpen();
    ~ClipboardHeldOpen();
    ClipboardHeldOpen(const ClipboardHeldOpen&) = delete;
    ClipboardHeldOpen& operator=(const ClipboardHeldOpen&) = delete;

private:
    std::promise<void> m_release;
    std::thread m_holder;
};
#endif

} // namespace passgen::testing
