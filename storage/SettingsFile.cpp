#include "storage/SettingsFile.h"

#include "storage/CodePage.h"
#include "storage/FileReader.h"
#include "storage/FileSystem.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace passgen {

namespace {

constexpr std::u16string_view lineBreak = u"\r\n";
constexpr std::size_t chunkSize = 64 * 1024;

std::string describe(const std::filesystem::path& path, const std::string& reason)
{
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end()) + ": " + reason;
}

// Without a message box there is nobody to tell, so the caller gets the error.
void report(const StorageError& error, const LoadServices& services)
{
    if (!services.showMessage) {
        throw error;
    }
    services.showMessage(error.message(), u"Error");
}

class LineJoiner {
public:
    LineJoiner(LoadMode mode, const LoadServices& services) : m_mode(mode), m_services(services)
    {
        m_loaded.found = true;
    }

    void add(std::string_view bytes)
    {
        // The accumulated text, not a line count, decides: leading empty
        // lines never reach the result.
        if (m_mode == LoadMode::KeepLineBreaks && !m_loaded.text.empty()) {
            m_loaded.text += lineBreak;
        }
        m_loaded.decodedCleanly = m_loaded.decodedCleanly && decodesCleanly(bytes);
        m_loaded.text += fromCodePage(bytes);
        if (m_services.yieldEvents) {
            m_services.yieldEvents();
        }
    }

    LoadedFile& loaded() { return m_loaded; }

private:
    LoadMode m_mode;
    const LoadServices& m_services;
    LoadedFile m_loaded;
};

// A failed read is reported and tried once more; a fault that persists ends
// the load instead of bringing the message back forever.
bool readChunk(FileReader& reader, std::span<char> buffer, std::size_t& count,
               const LoadServices& services)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            count = reader.read(buffer);
            return true;
        } catch (const StorageError& error) {
            report(error, services);
        }
    }
    return false;
}

// Not retried: the file is released even when closing reports an error, and
// a second close could hit a file opened since.
void closeReader(FileReader& reader, const LoadServices& services)
{
    try {
        reader.close();
    } catch (const StorageError& error) {
        report(error, services);
    }
}

} // namespace

StorageError::StorageError(std::filesystem::path path, std::string reason, bool oldFileStands)
    : std::runtime_error(describe(path, reason)), m_path(std::move(path)),
      m_reason(std::move(reason)), m_oldFileStands(oldFileStands)
{}

std::filesystem::path SettingsPath(const std::filesystem::path& folder, std::string_view name)
{
    // Appended to the native string rather than with operator/, which would
    // swallow the doubled separator after a root folder.
    std::filesystem::path::string_type native = folder.native();
    native += std::filesystem::path::preferred_separator;
    native += std::filesystem::path(std::u8string(name.begin(), name.end())).native();
    return native;
}

LoadedFile readSettings(FileReader& reader, LoadMode mode, const LoadServices& services)
{
    LineJoiner joiner(mode, services);
    LoadedFile& loaded = joiner.loaded();
    std::vector<char> buffer(chunkSize);
    std::string line;
    // A CR ends a line at once; an LF right after it belongs to that end,
    // even when the next chunk brings it.
    bool afterCr = false;
    for (;;) {
        std::size_t count = 0;
        if (!readChunk(reader, buffer, count, services)) {
            loaded.complete = false;
            closeReader(reader, services);
            return std::move(loaded);
        }
        if (count == 0) {
            break;
        }
        loaded.bytes.append(buffer.data(), count);
        auto next = buffer.begin();
        const auto end = buffer.begin() + static_cast<std::ptrdiff_t>(count);
        while (next != end) {
            if (afterCr && *next == '\n') {
                ++next;
            }
            afterCr = false;
            const auto stop =
                std::find_if(next, end, [](char c) { return c == '\r' || c == '\n'; });
            line.append(next, stop);
            if (stop == end) {
                break;
            }
            joiner.add(line);
            line.clear();
            afterCr = *stop == '\r';
            next = stop + 1;
        }
    }
    // The last line needs no line end.
    if (!line.empty()) {
        joiner.add(line);
    }
    closeReader(reader, services);
    return std::move(loaded);
}

std::u16string LoadFile(const std::filesystem::path& path, LoadMode mode,
                        const LoadServices& services, LoadedFile& seen)
{
    PathHolds holds = lookUp(path);
    std::filesystem::path restoredFrom;
    if (holds == PathHolds::Nothing) {
        if (const std::optional<std::filesystem::path> leftover = restoreLeftover(path)) {
            restoredFrom = *leftover;
            holds = lookUp(path);
        }
    }
    if (holds != PathHolds::SettingsFile) {
        seen = LoadedFile{};
        seen.passedOver = holds == PathHolds::Other;
        seen.restoredFrom = restoredFrom;
        return {};
    }
    const std::unique_ptr<FileReader> reader = openFileReader(path);
    seen = readSettings(*reader, mode, services);
    seen.restoredFrom = restoredFrom;
    return seen.text;
}

std::u16string LoadFile(const std::filesystem::path& path, LoadMode mode,
                        const LoadServices& services)
{
    LoadedFile seen;
    return LoadFile(path, mode, services, seen);
}

std::string settingsBytes(const std::u16string& text)
{
    std::string bytes = toCodePage(text);
    bytes += "\r\n";
    return bytes;
}

void namingFile(const std::filesystem::path& path, const std::function<void()>& work)
{
    try {
        work();
    } catch (const StorageError&) {
        throw;
    } catch (const std::exception& error) {
        throw StorageError(path, error.what());
    } catch (...) {
        throw StorageError(path, "неизвестная ошибка");
    }
}

void SaveFile(const std::u16string& text, const std::filesystem::path& path)
{
    // Whatever fails (the conversion, memory), the caller learns which file
    // and goes on with the other one.
    namingFile(path, [&] { replaceFile(path, settingsBytes(text)); });
}

} // namespace passgen
