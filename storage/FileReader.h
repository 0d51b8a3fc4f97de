#pragma once

#include "storage/SettingsFile.h"

#include <cstddef>
#include <memory>
#include <span>

namespace passgen {

// An open settings file as LoadFile reads it. Tests put their own in its
// place to make reads fail.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Reads the next bytes into buffer; returns how many, 0 at the end.
    // Throws StorageError; a failed read may be tried again.
    virtual std::size_t read(std::span<char> buffer) = 0;
    // Releases the file. Throws StorageError; must not be called again.
    virtual void close() = 0;
};

// Opens an existing file for reading. Throws StorageError.
std::unique_ptr<FileReader> openFileReader(const std::filesystem::path& path);

// The line reading of LoadFile over an open file: joins the lines by mode,
// yields after each, reports read errors to the user and retries once, and
// closes the reader before it returns. A read that fails again ends the
// load with what was read so far, marked incomplete.
LoadedFile readSettings(FileReader& reader, LoadMode mode, const LoadServices& services);

} // namespace passgen
