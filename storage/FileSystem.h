#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace passgen {

// What stands at a settings file's path.
enum class PathHolds : std::uint8_t {
    Nothing,      // no such file
    SettingsFile, // a normal file, which LoadFile reads
    Other,        // a directory, a device, on Windows a file marked hidden or system
};

// Looks path up as LoadFile does. Throws StorageError when the lookup itself
// fails.
PathHolds lookUp(const std::filesystem::path& path);

// Replaces the file at path, or the file a symbolic link there finally leads
// to, by one holding bytes, so that a reader sees the old content or the
// new, never a part. The new file comes into being beside the old one under
// a temporary name; temporaries that a killed save left there go first. In a
// folder where no new file may be made, overwrites the file in place.
// Throws StorageError naming path.
void replaceFile(const std::filesystem::path& path, std::string_view bytes);

// Puts back a settings file that a save could not finish. On Windows a
// failed replace can leave no file under the settings file's name, the new
// set and the old one beside it under names of their own: when nothing has
// path's name, the newest whole copy that a save of an ended process left
// there takes it. Returns where that copy was, or nothing. Throws
// StorageError, naming the copy, when it cannot be moved. POSIX renames
// never leave the name empty; there it does nothing.
std::optional<std::filesystem::path> restoreLeftover(const std::filesystem::path& path);

// Overwrites the existing file at path (through a link, its target) with
// bytes and cuts it to their length: not atomic. Grows the file first, so a
// full disk shows before an old byte is overwritten. Throws StorageError
// naming path.
void overwriteFile(const std::filesystem::path& path, std::string_view bytes);

} // namespace passgen
