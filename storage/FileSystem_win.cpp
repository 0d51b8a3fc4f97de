#include "storage/FileCalls.h"
#include "storage/FileReader.h"
#include "storage/FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace passgen {

namespace {

// In the user's language where the system has the message in it: Wine,
// asked for no language in particular, answers in English.
DWORD formatSystemMessage(DWORD error, wchar_t*& text)
{
    constexpr DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    for (const LANGID language : {GetUserDefaultUILanguage(), LANGID{0}}) {
        const DWORD length = FormatMessageW(flags, nullptr, error, language,
                                            reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length > 0) {
            return length;
        }
    }
    return 0;
}

std::string utf8(std::wstring_view text)
{
    std::string result;
    if (!text.empty() && text.size() <= INT_MAX) {
        const int length = static_cast<int>(text.size());
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
        result.resize(static_cast<std::size_t>(std::max(size, 0)));
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), size, nullptr, nullptr);
    }
    return result;
}

// Kept as UTF-8, whatever the ANSI code page, so no character of it is lost.
std::string systemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = formatSystemMessage(error, text);
    std::string message;
    if (length > 0 && text) {
        message = utf8(std::wstring_view(text, length));
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

FileCalls::Handle handleOf(HANDLE file)
{
    return reinterpret_cast<FileCalls::Handle>(file);
}

HANDLE handleOf(FileCalls::Handle file)
{
    return reinterpret_cast<HANDLE>(file);
}

// The errors of a file that another program holds for a moment: a virus
// scanner, an indexer or a sync client that opened it without sharing.
// ReplaceFileW may say ERROR_UNABLE_TO_REMOVE_REPLACED for it, both files
// keeping their names.
bool isPassing(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Tries a call again while passing says its error may pass: five tries
// within 150 ms, about as long as a scanner looks at a new file.
DWORD retried(const std::function<DWORD()>& call,
              const std::function<bool(DWORD)>& passing = isPassing)
{
    DWORD error = call();
    for (int wait = 10; passing(error) && wait <= 80; wait *= 2) {
        fileCalls().pause(std::chrono::milliseconds(wait));
        error = call();
    }
    return error;
}

// Reads through the file-calls seam, trying a read again as a save's calls
// are tried: the close reads an unchanged file back to compare it, and a
// scanner may hold it just then.
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
        std::size_t got = 0;
        if (const DWORD error =
                retried([&] { return fileCalls().read(handleOf(m_file), buffer, got); })) {
            fail(m_path, error);
        }
        return got;
    }

    void close() override
    {
        const HANDLE file = m_file;
        m_file = INVALID_HANDLE_VALUE;
        if (const DWORD error = fileCalls().close(handleOf(file))) {
            fail(m_path, error);
        }
    }

private:
    std::filesystem::path m_path;
    HANDLE m_file;
};

void writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        std::size_t written = 0;
        if (const DWORD error = fileCalls().write(handleOf(file), bytes, written)) {
            throw error;
        }
        bytes.remove_prefix(written);
    }
}

void flushAndClose(HANDLE file)
{
    const DWORD flushed = fileCalls().flush(handleOf(file));
    const DWORD closed = fileCalls().close(handleOf(file));
    if (flushed != 0 || closed != 0) {
        throw flushed != 0 ? flushed : closed;
    }
}

void moveTo(HANDLE file, std::size_t position)
{
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(file, distance, nullptr, FILE_BEGIN)) {
        throw GetLastError();
    }
}

// The file a path finally names: saving through a symbolic link writes the
// linked file and keeps the link. Only a link in the last part matters; one
// to a folder on the way still leaves the temporary beside the file.
std::wstring finalTarget(const std::filesystem::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path.native();
    }
    const HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return path.native(); // a link to nothing: the save makes a file in its place
    }
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        length = GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length < target.size()) {
            break;
        }
        target.resize(length);
    }
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (length == 0 || length >= target.size()) {
        fail(path, length == 0 ? error : ERROR_INSUFFICIENT_BUFFER);
    }
    target.resize(length);
    return target;
}

bool isRunning(DWORD process)
{
    if (process == GetCurrentProcessId()) {
        return false; // one user-interface thread: no save of its own is under way
    }
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (handle == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    const bool running = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    CloseHandle(handle);
    return running;
}

// What a save leaves beside the settings file, each named
// "<name>.passgen-<process id>-<attempt>.<kind>": a form that no copy a
// person makes takes ("simbols.bak", "simbols.2024.05.bak"), so that a later
// run can tell the program's leftovers from the user's own copies, what a
// killed or failed save left from what a running copy of the program is
// writing, and a copy that holds a whole set from one that may not.
enum class Leftover {
    Temporary, // .tmp: the new file while it is written
    Complete,  // .new: the new file once it is whole on disk, before it takes the name
    Backup,    // .bak: the old file, which the replace puts aside
};

constexpr std::wstring_view marker = L".passgen-";

constexpr std::pair<Leftover, std::wstring_view> kinds[] = {
    {Leftover::Temporary, L".tmp"},
    {Leftover::Complete, L".new"},
    {Leftover::Backup, L".bak"},
};

std::wstring leftoverName(const std::wstring& target, unsigned attempt, Leftover kind)
{
    return target + std::wstring(marker) + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(attempt) + std::wstring(kinds[static_cast<int>(kind)].second);
}

struct FoundLeftover {
    std::wstring path;
    Leftover kind;
    DWORD process;
    std::wstring save; // "<process id>-<attempt>", which the copies of one save share
    FILETIME written;
};

// The program's leftovers beside target, whichever process left them.
std::vector<FoundLeftover> leftoversBeside(const std::wstring& target)
{
    const std::size_t nameStart = target.find_last_of(L"\\/") + 1;
    const std::wstring folder = target.substr(0, nameStart);
    const std::wstring prefix = target.substr(nameStart) + std::wstring(marker);
    std::vector<FoundLeftover> leftovers;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((target + std::wstring(marker) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return leftovers;
    }
    const auto digits = [](std::wstring_view text) {
        return !text.empty() && text.size() <= 10 &&
               std::all_of(text.begin(), text.end(),
                           [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    };
    do {
        // The pattern also matches short 8.3 names; the long name decides.
        const std::wstring_view entry = found.cFileName;
        if (entry.size() <= prefix.size() ||
            CompareStringOrdinal(entry.data(), static_cast<int>(prefix.size()), prefix.data(),
                                 static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL) {
            continue;
        }
        const std::wstring_view rest = entry.substr(prefix.size());
        for (const auto& [kind, suffix] : kinds) {
            if (!rest.ends_with(suffix)) {
                continue;
            }
            const std::wstring_view save = rest.substr(0, rest.size() - suffix.size());
            const std::size_t dash = save.find(L'-');
            const std::wstring_view process = save.substr(0, dash);
            if (dash != save.npos && digits(process) && digits(save.substr(dash + 1))) {
                leftovers.push_back({folder + found.cFileName, kind,
                                     static_cast<DWORD>(std::stoull(std::wstring(process))),
                                     std::wstring(save), found.ftLastWriteTime});
            }
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return leftovers;
}

bool present(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Only while a settings file stands: before, a leftover may be the only copy
// of a set. Then what no run needs goes: the temporary of an ended save,
// never whole, and the old set that a finished replace put aside but could
// not remove. A new set that never took the name stays whatever its time,
// and the old set beside it, as no run has put them back.
void removeStaleLeftovers(const std::wstring& target)
{
    WIN32_FILE_ATTRIBUTE_DATA settings{};
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &settings)) {
        return;
    }
    const std::vector<FoundLeftover> leftovers = leftoversBeside(target);
    const auto unfinished = [&](const FoundLeftover& backup) {
        return std::any_of(leftovers.begin(), leftovers.end(), [&](const FoundLeftover& other) {
            return other.kind == Leftover::Complete && other.save == backup.save;
        });
    };
    for (const FoundLeftover& leftover : leftovers) {
        const bool stale = leftover.kind == Leftover::Temporary ||
                           (leftover.kind == Leftover::Backup && !unfinished(leftover) &&
                            CompareFileTime(&leftover.written, &settings.ftLastWriteTime) <= 0);
        if (stale && !isRunning(leftover.process)) {
            DeleteFileW(leftover.path.c_str());
        }
    }
}

[[noreturn]] void failLeaving(const std::filesystem::path& path, DWORD error,
                              const std::wstring& temporary, const std::wstring& backup)
{
    std::string reason = systemMessage(error) + "; новый набор — в файле " + utf8(temporary);
    if (present(backup)) {
        reason += ", прежний — в файле " + utf8(backup);
    }
    throw StorageError(path, reason, false);
}

// After a replace that failed: ReplaceFileW may have taken the old file
// from its name, leaving it under the backup name or nowhere (errors 1176
// and 1177). What the folder holds decides, not the error: a settings file
// gone from its name gets the new file, or else the old one back, and the
// temporary is deleted only while a settings file stands. Returns when the
// replace is finished after all, leaving the backup to the caller.
void recover(const std::filesystem::path& path, DWORD error, const std::wstring& target,
             const std::wstring& temporary, const std::wstring& backup)
{
    FileCalls& calls = fileCalls();
    if (present(target)) {
        calls.remove(temporary);
        fail(path, error);
    }
    if (!backup.empty()) {
        if (retried([&] { return calls.move(temporary, target); }) == 0) {
            return;
        }
        if (present(backup) && retried([&] { return calls.move(backup, target); }) == 0) {
            calls.remove(temporary);
            fail(path, error);
        }
    }
    failLeaving(path, error, temporary, backup);
}

} // namespace

FileCalls::Error FileCalls::open(const std::filesystem::path& path, Handle& file)
{
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    file = handleOf(handle);
    return handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
}

FileCalls::Error FileCalls::read(Handle file, std::span<char> buffer, std::size_t& got)
{
    DWORD count = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
    const bool done = ReadFile(handleOf(file), buffer.data(), wanted, &count, nullptr);
    got = count;
    return done ? 0 : GetLastError();
}

FileCalls::Error FileCalls::write(Handle file, std::string_view bytes, std::size_t& written)
{
    DWORD count = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    const bool done = WriteFile(handleOf(file), bytes.data(), chunk, &count, nullptr);
    written = count;
    return done ? 0 : GetLastError();
}

FileCalls::Error FileCalls::flush(Handle file)
{
    return FlushFileBuffers(handleOf(file)) ? 0 : GetLastError();
}

FileCalls::Error FileCalls::close(Handle file)
{
    return CloseHandle(handleOf(file)) ? 0 : GetLastError();
}

FileCalls::Error FileCalls::replace(const std::filesystem::path& replacement,
                                    const std::filesystem::path& target,
                                    const std::filesystem::path& backup)
{
    const bool done = ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(),
                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    return done ? 0 : GetLastError();
}

FileCalls::Error FileCalls::move(const std::filesystem::path& from, const std::filesystem::path& to)
{
    const bool done =
        MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    return done ? 0 : GetLastError();
}

FileCalls::Error FileCalls::remove(const std::filesystem::path& path)
{
    return DeleteFileW(path.c_str()) ? 0 : GetLastError();
}

FileCalls::Error FileCalls::flushFolder(const std::filesystem::path& /*folder*/)
{
    return 0;
}

void FileCalls::pause(std::chrono::milliseconds time)
{
    Sleep(static_cast<DWORD>(time.count()));
}

std::u16string StorageError::message() const
{
    std::u16string reason;
    if (!m_reason.empty() && m_reason.size() <= INT_MAX) {
        const int length = static_cast<int>(m_reason.size());
        const int size = MultiByteToWideChar(CP_UTF8, 0, m_reason.data(), length, nullptr, 0);
        reason.resize(static_cast<std::size_t>(std::max(size, 0)));
        MultiByteToWideChar(CP_UTF8, 0, m_reason.data(), length,
                            reinterpret_cast<wchar_t*>(reason.data()), size);
    }
    return displayName(m_path) + u": " + reason;
}

std::u16string displayName(const std::filesystem::path& path)
{
    const std::wstring& name = path.native();
    return std::u16string(name.begin(), name.end());
}

PathHolds lookUp(const std::filesystem::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return PathHolds::Nothing;
        }
        fail(path, error);
    }
    constexpr DWORD notNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (attributes & notNormal) == 0 ? PathHolds::SettingsFile : PathHolds::Other;
}

std::unique_ptr<FileReader> openFileReader(const std::filesystem::path& path)
{
    FileCalls::Handle file = 0;
    if (const DWORD error = retried([&] { return fileCalls().open(path, file); })) {
        fail(path, error);
    }
    return std::make_unique<WinFileReader>(path, handleOf(file));
}

void replaceFile(const std::filesystem::path& path, std::string_view bytes)
{
    const std::wstring target = finalTarget(path);
    // A file the user made read-only stays as it is; the replace below would
    // go ahead regardless. So does a folder of the file's name.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        fail(path, ERROR_ACCESS_DENIED);
    }
    removeStaleLeftovers(target);
    // Beside the target, so the final move stays on one volume and is atomic.
    // An attempt's names are all free: a process of the same id may have
    // left some before.
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    unsigned attempt = 0;
    for (;; ++attempt) {
        temporary = leftoverName(target, attempt, Leftover::Temporary);
        if (present(leftoverName(target, attempt, Leftover::Complete)) ||
            present(leftoverName(target, attempt, Leftover::Backup))) {
            continue;
        }
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            break;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED && exists) {
            // Where the user may write the file but not make one beside it,
            // the file is overwritten: not atomic, but the only way to save.
            overwriteFile(path, bytes);
            return;
        }
        if (error != ERROR_FILE_EXISTS || attempt > 100) {
            fail(path, error);
        }
    }
    FileCalls& calls = fileCalls();
    try {
        try {
            writeAll(file, bytes);
        } catch (DWORD) {
            calls.close(handleOf(file));
            throw;
        }
        // On disk before the replace, or a power cut could leave an empty
        // file under the settings file's name.
        flushAndClose(file);
    } catch (DWORD error) {
        calls.remove(temporary);
        fail(path, error);
    }
    // Named whole only now, so that a later run takes it for a set.
    const std::wstring complete = leftoverName(target, attempt, Leftover::Complete);
    if (const DWORD error = retried([&] { return calls.move(temporary, complete); })) {
        calls.remove(temporary);
        fail(path, error);
    }
    // ReplaceFileW keeps the old file's creation time, attributes and access
    // list, which a move over it would drop. Wine's keeps none of them, so the
    // attributes go onto the new file beforehand as well.
    constexpr DWORD carried =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (exists && (attributes & carried) != 0) {
        SetFileAttributesW(complete.c_str(), attributes & carried);
    }
    if (!exists) {
        if (const DWORD error = retried([&] { return calls.move(complete, target); })) {
            recover(path, error, target, complete, {});
        }
        return;
    }
    // With a backup name, ERROR_UNABLE_TO_MOVE_REPLACEMENT leaves both files
    // under their own names, so the replace may be tried again; what the
    // folder holds decides.
    const std::wstring backup = leftoverName(target, attempt, Leftover::Backup);
    const auto passing = [&](DWORD error) {
        return isPassing(error) || (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && present(target) &&
                                    present(complete) && !present(backup));
    };
    if (const DWORD error =
            retried([&] { return calls.replace(complete, target, backup); }, passing)) {
        recover(path, error, target, complete, backup);
    }
    // The old file; should it be held open just now, a later save removes it.
    calls.remove(backup);
}

std::optional<std::filesystem::path> restoreLeftover(const std::filesystem::path& path)
{
    const std::wstring target = finalTarget(path);
    if (present(target)) {
        return std::nullopt;
    }
    // With the name empty these may be the only copies of the set, so a
    // process that looks alive hides none: its ID may belong to another
    // process since a restart, OpenProcess may be refused, or the run that
    // failed may still be showing its message. Within one save the new set
    // is the newer by construction, whatever the clock says; of different
    // saves, the one with the latest time.
    struct Save {
        const FoundLeftover* best = nullptr;
        FILETIME latest{};
    };
    const std::vector<FoundLeftover> leftovers = leftoversBeside(target);
    std::map<std::wstring, Save> saves;
    for (const FoundLeftover& leftover : leftovers) {
        if (leftover.kind == Leftover::Temporary) {
            continue; // may be cut short
        }
        Save& save = saves[leftover.save];
        if (!save.best || leftover.kind == Leftover::Complete) {
            save.best = &leftover;
        }
        if (CompareFileTime(&leftover.written, &save.latest) > 0) {
            save.latest = leftover.written;
        }
    }
    const Save* newest = nullptr;
    for (const auto& [name, save] : saves) {
        if (!newest || CompareFileTime(&save.latest, &newest->latest) > 0) {
            newest = &save;
        }
    }
    if (!newest) {
        return std::nullopt;
    }
    const std::wstring& copy = newest->best->path;
    if (const DWORD error = retried([&] { return fileCalls().move(copy, target); })) {
        throw StorageError(path,
                           systemMessage(error) + "; последний набор — в файле " + utf8(copy));
    }
    return std::filesystem::path(copy);
}

void overwriteFile(const std::filesystem::path& path, std::string_view bytes)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        fail(path, GetLastError());
    }
    bool overwriting = false; // from here on a failure may leave the file partly written
    try {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file, &size)) {
            throw GetLastError();
        }
        if (bytes.size() > static_cast<std::size_t>(size.QuadPart)) {
            moveTo(file, bytes.size());
            if (!SetEndOfFile(file)) {
                throw GetLastError();
            }
            moveTo(file, 0);
        }
        overwriting = true;
        writeAll(file, bytes);
        if (!SetEndOfFile(file) || !FlushFileBuffers(file)) {
            throw GetLastError();
        }
    } catch (DWORD error) {
        CloseHandle(file);
        if (overwriting) {
            throw StorageError(
                path, systemMessage(error) + "; файл мог остаться записанным не до конца", false);
        }
        fail(path, error);
    }
    if (!CloseHandle(file)) {
        fail(path, GetLastError());
    }
}

} // namespace passgen
