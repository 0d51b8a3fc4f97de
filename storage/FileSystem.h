#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace passgen {

// True when path names a normal file that LoadFile should read. False for
// no such file, a directory, and on Windows a hidden or system file. Throws
// StorageError when the lookup itself fails.
bool isSettingsFile(const std::filesystem::path& path);

// Replaces the file at path, or the file a symbolic link there finally leads
// to, by one holding bytes, so that a reader sees the old content or the
// new, never a part. The new file comes into being beside the old one under
// a temporary name; temporaries that a killed save left there go first. In a
// folder where no new file may be made, overwrites the file in place.
// Throws StorageError naming path.
void replaceFile(const std::filesystem::path& path, std::string_view bytes);

// Overwrites the existing file at path (through a link, its target) with
// bytes and cuts it to their length: not atomic. Grows the file first, so a
// full disk shows before an old byte is overwritten. Throws StorageError
// naming path.
void overwriteFile(const std::filesystem::path& path, std::string_view bytes);

} // namespace passgen
