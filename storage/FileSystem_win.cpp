#include "storage/FileReader.h"
#include "storage/FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace passgen {

namespace {

std::string systemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message;
    if (length > 0 && text) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                             nullptr, nullptr);
        message.resize(static_cast<std::size_t>(size));
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), message.data(), size,
                            nullptr, nullptr);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                    message.back() == ' ' || message.back() == '.')) {
            message.pop_back();
        }
    }
    LocalFree(text);
    return message.empty() ? "error " + std::to_string(error) : message;
}

[[noreturn]] void fail(const std::filesystem::path& path, DWORD error)
{
    throw StorageError(path, systemMessage(error));
}

class WinFileReader final : public FileReader {
public:
    WinFileReader(std::filesystem::path path, HANDLE file) : m_path(std::move(path)), m_file(file)
    {}
    WinFileReader(const WinFileReader&) = delete;
    WinFileReader& operator=(const WinFileReader&) = delete;
    ~WinFileReader() override
    {
        if (m_file != INVALID_HANDLE_VALUE) {
            CloseHandle(m_file);
        }
    }

    std::size_t read(std::span<char> buffer) override
    {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
        if (!ReadFile(m_file, buffer.data(), wanted, &got, nullptr)) {
            fail(m_path, GetLastError());
        }
        return got;
    }

    void close() override
    {
        const HANDLE file = m_file;
        m_file = INVALID_HANDLE_VALUE;
        if (!CloseHandle(file)) {
            fail(m_path, GetLastError());
        }
    }

private:
    std::filesystem::path m_path;
    HANDLE m_file;
};

void writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            throw GetLastError();
        }
        bytes.remove_prefix(written);
    }
}

} // namespace

bool isSettingsFile(const std::filesystem::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return false;
        }
        fail(path, error);
    }
    constexpr DWORD notNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (attributes & notNormal) == 0;
}

std::unique_ptr<FileReader> openFileReader(const std::filesystem::path& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        fail(path, GetLastError());
    }
    return std::make_unique<WinFileReader>(path, file);
}

void replaceFile(const std::filesystem::path& path, std::string_view bytes)
{
    // A file the user made read-only stays as it is; the move below would
    // replace it regardless.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        fail(path, ERROR_ACCESS_DENIED);
    }
    // Beside the target, so the final move stays on one volume and is atomic.
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = path.native() + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                    std::to_wstring(attempt) + L".tmp";
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE &&
            (GetLastError() != ERROR_FILE_EXISTS || attempt > 100)) {
            fail(path, GetLastError());
        }
    }
    try {
        writeAll(file, bytes);
        if (!FlushFileBuffers(file)) {
            throw GetLastError();
        }
    } catch (DWORD error) {
        CloseHandle(file);
        DeleteFileW(temporary.c_str());
        fail(path, error);
    }
    if (!CloseHandle(file)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        fail(path, error);
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        fail(path, error);
    }
}

} // namespace passgen
