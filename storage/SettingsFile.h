#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace passgen {

// A settings file that could not be tested, opened, written or replaced.
// what() reads "<path>: <operating system's reason>".
class StorageError : public std::runtime_error {
public:
    StorageError(std::filesystem::path path, std::string reason);
    const std::filesystem::path& path() const noexcept { return m_path; }
    const std::string& reason() const noexcept { return m_reason; }

private:
    std::filesystem::path m_path;
    std::string m_reason;
};

// What LoadFile needs from the window system.
struct LoadServices {
    // A modal message box, information icon, one OK button.
    std::function<void(std::u16string_view text, std::u16string_view title)> showMessage;
    // One pass over the waiting window events.
    std::function<void()> yieldEvents;
};

enum class LoadMode : std::uint8_t {
    JoinLines = 0,      // lines joined with nothing between them
    KeepLineBreaks = 1, // lines joined with CR LF
};

// The path of a settings file: the folder path as the platform gives it,
// then the platform's separator, then the name. On Windows a drive's root
// folder thus gives two backslashes in a row, which the file system accepts.
std::filesystem::path SettingsPath(const std::filesystem::path& folder, std::string_view name);

// Reads a settings file. A missing file (or a directory, or on Windows a file
// marked hidden or system) reads as the empty text. Throws StorageError when
// the file exists but cannot be tested or opened.
std::u16string LoadFile(const std::filesystem::path& path, LoadMode mode,
                        const LoadServices& services);

// Writes text and CR LF in the 8-bit code page, replacing the file
// atomically: on failure the old file is intact and StorageError is thrown.
void SaveFile(const std::u16string& text, const std::filesystem::path& path);

} // namespace passgen
