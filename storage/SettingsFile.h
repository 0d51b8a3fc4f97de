#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace passgen {

// A settings file that could not be tested, opened, read, written or
// replaced. what() reads "<path>: <reason>", in the encoding the reason came
// in: UTF-8 on Windows, the locale's character set elsewhere.
class StorageError : public std::runtime_error {
public:
    // oldFileStands: the file at path is as it was before the failed step,
    // or absent as it was; false when a replace cut short left the sets
    // under other names, which the reason then gives.
    StorageError(std::filesystem::path path, std::string reason, bool oldFileStands = true);
    const std::filesystem::path& path() const noexcept { return m_path; }
    const std::string& reason() const noexcept { return m_reason; }
    bool oldFileStands() const noexcept { return m_oldFileStands; }
    // "<path>: <reason>" as 16-bit text, each part decoded as it was encoded.
    std::u16string message() const;

private:
    std::filesystem::path m_path;
    std::string m_reason;
    bool m_oldFileStands;
};

// A path as the user reads it in a message.
std::u16string displayName(const std::filesystem::path& path);

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

// What a load saw of a settings file, so that the close can tell whether
// writing the set back would lose anything the file holds.
struct LoadedFile {
    std::u16string text;        // what LoadFile returned
    std::string bytes;          // the bytes it read, line ends included
    bool found = false;         // there was a settings file to read
    bool passedOver = false;    // something LoadFile does not read stood in its place
    bool complete = true;       // read to its end, no read given up on
    bool decodedCleanly = true; // saving text gives back the bytes of every line
    // The copy that an unfinished save left and the load put in the file's
    // place, which the user is told of; empty when none.
    std::filesystem::path restoredFrom;
};

// The path of a settings file: the folder path as the platform gives it,
// then the platform's separator, then the name. On Windows a drive's root
// folder thus gives two backslashes in a row, which the file system accepts.
std::filesystem::path SettingsPath(const std::filesystem::path& folder, std::string_view name);

// Reads a settings file. A missing file (or a directory, or on Windows a file
// marked hidden or system) reads as the empty text, unless a save that could
// not be finished left a whole copy of it (restoreLeftover): that copy is put
// in its place and read, and seen.restoredFrom names it for the caller to
// tell the user. Throws StorageError when
// the file exists but cannot be tested or opened, or the copy not be put back.
std::u16string LoadFile(const std::filesystem::path& path, LoadMode mode,
                        const LoadServices& services);
// The same, also telling what the load saw.
std::u16string LoadFile(const std::filesystem::path& path, LoadMode mode,
                        const LoadServices& services, LoadedFile& seen);

// The content of a settings file holding text: the text in the 8-bit code
// page, then CR LF.
std::string settingsBytes(const std::u16string& text);

// Runs work; a failure of any kind that is not a StorageError yet becomes
// one naming path, so that callers have one kind of error to handle.
void namingFile(const std::filesystem::path& path, const std::function<void()>& work);

// Writes text and CR LF in the 8-bit code page over the file at path, or
// through it to the file a symbolic link there leads to. The file is
// replaced atomically, except in a folder where no new file may be made:
// there it is overwritten in place. Every failure, of whatever kind, throws
// StorageError naming path; the other settings file can still be written.
void SaveFile(const std::u16string& text, const std::filesystem::path& path);

} // namespace passgen
