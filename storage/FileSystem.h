#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace passgen {

// True when path names a normal file that LoadFile should read. False for
// no such file, a directory, and on Windows a hidden or system file. Throws
// StorageError when the lookup itself fails.
bool isSettingsFile(const std::filesystem::path& path);

// Replaces the file at path by one holding bytes, so that a reader sees the
// old content or the new, never a part. Throws StorageError naming path.
void replaceFile(const std::filesystem::path& path, std::string_view bytes);

} // namespace passgen
