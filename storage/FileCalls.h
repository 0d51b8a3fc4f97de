#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace passgen {

// The system calls by which the settings files are read and saves change
// them, so that tests can record their order, slow them down, make them fail
// as Wine and a healthy disk never do, or let another copy of the program
// save in between. The methods are the system's own (FileSystem_posix.cpp,
// FileSystem_win.cpp); a test derives from this class, overrides what it
// watches and calls the base for the real work.
class FileCalls {
public:
    using Handle = std::intptr_t; // a descriptor, or a HANDLE
    using Error = unsigned long;  // errno, or GetLastError(); 0 for success

    FileCalls() = default;
    FileCalls(const FileCalls&) = delete;
    FileCalls& operator=(const FileCalls&) = delete;
    virtual ~FileCalls() = default;

    // Opens an existing file to read it; on Windows others may only read it
    // meanwhile.
    virtual Error open(const std::filesystem::path& path, Handle& file);
    // Reads the next bytes into buffer, at most all; got tells how many, 0 at
    // the end.
    virtual Error read(Handle file, std::span<char> buffer, std::size_t& got);
    // Writes the first bytes of bytes, at most all; written tells how many.
    virtual Error write(Handle file, std::string_view bytes, std::size_t& written);
    // Puts the file's content on the disk: fsync, FlushFileBuffers.
    virtual Error flush(Handle file);
    virtual Error close(Handle file);
    // Puts replacement in target's place. POSIX renames; Windows calls
    // ReplaceFileW, which leaves the old file under the name backup.
    virtual Error replace(const std::filesystem::path& replacement,
                          const std::filesystem::path& target, const std::filesystem::path& backup);
    // Renames a file, over one of the new name if there is one.
    virtual Error move(const std::filesystem::path& from, const std::filesystem::path& to);
    virtual Error remove(const std::filesystem::path& path);
    // Puts the folder's names on the disk: fsync on POSIX, nothing on Windows,
    // where a replace is durable by itself.
    virtual Error flushFolder(const std::filesystem::path& folder);
    // Waits before a call that failed is tried again.
    virtual void pause(std::chrono::milliseconds time);
};

// The calls that saves use: the system's, unless a test has put others in
// their place.
FileCalls& fileCalls();

// Makes saves use calls for as long as it lives; then the ones before.
class UsingFileCalls {
public:
    explicit UsingFileCalls(FileCalls& calls);
    UsingFileCalls(const UsingFileCalls&) = delete;
    UsingFileCalls& operator=(const UsingFileCalls&) = delete;
    ~UsingFileCalls();

private:
    FileCalls* m_before;
};

} // namespace passgen
