#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

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

} // namespace passgen::testing
