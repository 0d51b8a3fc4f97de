#include "OtherProgram.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace passgen::testing {

namespace {

#ifdef Q_OS_WIN
std::optional<DWORD> dword(const wchar_t* formatName)
{
    const HANDLE data = GetClipboardData(RegisterClipboardFormatW(formatName));
    const auto* value = data ? static_cast<const DWORD*>(GlobalLock(data)) : nullptr;
    if (!value) {
        return std::nullopt;
    }
    const DWORD result = *value;
    GlobalUnlock(data);
    return result;
}
#endif

struct Run {
    QByteArray output;
    int exitCode = -1;
};

// Runs xclip, answering its requests for this program's selections while it
// runs.
Run xclip(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(QStringLiteral("xclip"), arguments);
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    const bool ended =
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000);
    EXPECT_TRUE(ended) << "xclip " << arguments.join(u' ').toStdString();
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    return {process.readAllStandardOutput(), process.exitCode()};
}

Run xclipOut(const char* selection, const char* target)
{
    return xclip({QStringLiteral("-selection"), QString::fromLatin1(selection),
                  QStringLiteral("-o"), QStringLiteral("-t"), QString::fromLatin1(target)});
}

} // namespace

bool othersSeeX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

SeenClipboard clipboardAsOthersSee()
{
    SeenClipboard seen;
#ifdef Q_OS_WIN
    if (!OpenClipboard(nullptr)) {
        ADD_FAILURE() << "the clipboard could not be opened";
        return seen;
    }
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* characters = static_cast<const wchar_t*>(GlobalLock(data))) {
            seen.text = QString::fromWCharArray(characters);
            GlobalUnlock(data);
        }
    }
    seen.marked = dword(L"ExcludeClipboardContentFromMonitorProcessing").has_value() &&
                  dword(L"CanIncludeInClipboardHistory") == 0u &&
                  dword(L"CanUploadToCloudClipboard") == 0u;
    CloseClipboard();
#else
    const QByteArray hint = QByteArrayLiteral("x-kde-passwordManagerHint");
    if (othersSeeX11()) {
        seen.text = QString::fromUtf8(xclipOut("clipboard", "UTF8_STRING").output);
        const QList<QByteArray> targets = xclipOut("clipboard", "TARGETS").output.split('\n');
        seen.marked =
            targets.contains(hint) && xclipOut("clipboard", hint.constData()).output == "secret";
    } else if (const QMimeData* data = QGuiApplication::clipboard()->mimeData()) {
        seen.text = data->text();
        seen.marked = data->data(QString::fromLatin1(hint)) == "secret";
    }
#endif
    return seen;
}

std::optional<QString> primaryAsOthersSee()
{
    const Run run = xclipOut("primary", "UTF8_STRING");
    if (run.exitCode != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(run.output);
}

void offerPrimaryFromOtherProgram(const QString& text)
{
    // X11 ignores a claim whose time stamp is older than the last owner's,
    // and Qt stamps its claims with the last server time it has seen, which
    // the events QTest makes up do not advance. Held by this program first,
    // the selection's loss brings that time along with it.
    QClipboard& clipboard = *QGuiApplication::clipboard();
    clipboard.setText(QString(), QClipboard::Selection);
    EXPECT_TRUE(clipboard.ownsSelection()) << "a stale time stamp kept PRIMARY from this program";
    // xclip stays in the background and holds the selection until another
    // program takes it; it leaves before its claim reaches the server.
    xclip({QStringLiteral("-selection"), QStringLiteral("primary"), QStringLiteral("-i")},
          text.toUtf8());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !clipboard.ownsSelection() && primaryAsOthersSee() == text; }, 10000))
        << "xclip did not take PRIMARY";
}

#ifdef Q_OS_WIN
ClipboardHeldOpen::ClipboardHeldOpen()
{
    std::promise<void> opened;
    m_holder = std::thread([&opened, released = m_release.get_future()] {
        OpenClipboard(nullptr);
        opened.set_value();
        released.wait();
        CloseClipboard();
    });
    opened.get_future().wait();
}

ClipboardHeldOpen::~ClipboardHeldOpen()
{
    m_release.set_value();
    m_holder.join();
}
#endif

} // namespace passgen::testing
