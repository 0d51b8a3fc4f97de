#include "SensitiveClipboard.h"

#include <QMimeData>

#include <windows.h>

#include <cstring>

namespace passgen {

namespace {

// Windows' clipboard history and cloud clipboard look for these formats by
// name. Qt 6.4 registers a custom format under its whole MIME name
// ("application/x-qt-windows-mime;value=...") when it writes, so they are set
// here with the system's own calls.
bool put(UINT format, const void* data, std::size_t size)
{
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) {
        return false;
    }
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    if (!SetClipboardData(format, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true; // the clipboard owns it now
}

bool putDword(const wchar_t* formatName, DWORD value)
{
    return put(RegisterClipboardFormatW(formatName), &value, sizeof value);
}

// EmptyClipboard makes the window that opened the clipboard its owner, and
// SetClipboardData fails for a clipboard without one.
HWND owner()
{
    static const HWND window =
        CreateWindowExW(0, L"STATIC", L"passgen clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    return window;
}

// Another program may hold the clipboard open for a moment, as clipboard
// viewers do after every change.
bool open()
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner())) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

} // namespace

void putSensitiveText(const QString& text)
{
    if (!open()) {
        return;
    }
    if (EmptyClipboard()) {
        const std::size_t size = (static_cast<std::size_t>(text.size()) + 1) * sizeof(wchar_t);
        if (put(CF_UNICODETEXT, text.utf16(), size)) {
            putDword(L"ExcludeClipboardContentFromMonitorProcessing", 1);
            putDword(L"CanIncludeInClipboardHistory", 0);
            putDword(L"CanUploadToCloudClipboard", 0);
        }
    }
    CloseClipboard();
}

QMimeData* sensitiveMimeData(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

bool carriesMarks(const QMimeData&)
{
    return false; // Qt's data never has the formats that putSensitiveText writes
}

QString clipboardText()
{
    if (!open()) {
        return {};
    }
    QString text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* characters = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = QString::fromWCharArray(characters);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

} // namespace passgen
