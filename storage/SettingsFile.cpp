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

// Error texts are UTF-8; a malformed sequence shows as U+FFFD rather than
// hiding the rest of the message.
std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string result;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        bool valid = (lead < 0x80 || lead >= 0xC2) && lead < 0xF5 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        valid = valid &&
                (length == 1 || code >= (length == 2   ? 0x80u
                                         : length == 3 ? 0x800u
                                                       : 0x10000u)) &&
                code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            result += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            result += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            result += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            result += static_cast<char16_t>(code);
        }
        i += length;
    }
    return result;
}

// Without a message box there is nobody to tell, so the caller gets the error.
void report(const StorageError& error, const LoadServices& services)
{
    if (!services.showMessage) {
        throw error;
    }
    services.showMessage(utf8ToUtf16(error.what()), u"Error");
}

class LineJoiner {
public:
    LineJoiner(LoadMode mode, const LoadServices& services) : m_mode(mode), m_services(services) {}

    void add(std::string_view bytes)
    {
        // The accumulated text, not a line count, decides: leading empty
        // lines never reach the result.
        if (m_mode == LoadMode::KeepLineBreaks && !m_text.empty()) {
            m_text += lineBreak;
        }
        m_text += fromCodePage(bytes);
        if (m_services.yieldEvents) {
            m_services.yieldEvents();
        }
    }

    std::u16string take() { return std::move(m_text); }

private:
    LoadMode m_mode;
    const LoadServices& m_services;
    std::u16string m_text;
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

StorageError::StorageError(std::filesystem::path path, std::string reason)
    : std::runtime_error(describe(path, reason)), m_path(std::move(path)),
      m_reason(std::move(reason))
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

std::u16string readSettings(FileReader& reader, LoadMode mode, const LoadServices& services)
{
    LineJoiner joiner(mode, services);
    std::vector<char> buffer(chunkSize);
    std::string line;
    // A CR ends a line at once; an LF right after it belongs to that end,
    // even when the next chunk brings it.
    bool afterCr = false;
    for (;;) {
        std::size_t count = 0;
        if (!readChunk(reader, buffer, count, services)) {
            closeReader(reader, services);
            return joiner.take();
        }
        if (count == 0) {
            break;
        }
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
    return joiner.take();
}

std::u16string LoadFile(const std::filesystem::path& path, LoadMode mode,
                        const LoadServices& services)
{
    if (!isSettingsFile(path)) {
        return {};
    }
    const std::unique_ptr<FileReader> reader = openFileReader(path);
    return readSettings(*reader, mode, services);
}

void SaveFile(const std::u16string& text, const std::filesystem::path& path)
{
    std::string bytes = toCodePage(text);
    bytes += "\r\n";
    replaceFile(path, bytes);
}

} // namespace passgen
