#include "storage/FileReader.h"
#include "storage/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace passgen {

namespace {

std::string reasonOf(int error)
{
    return std::generic_category().message(error);
}

[[noreturn]] void fail(const std::filesystem::path& path, int error)
{
    throw StorageError(path, reasonOf(error));
}

class PosixFileReader final : public FileReader {
public:
    PosixFileReader(std::filesystem::path path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    PosixFileReader(const PosixFileReader&) = delete;
    PosixFileReader& operator=(const PosixFileReader&) = delete;

    ~PosixFileReader() override
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    std::size_t read(std::span<char> buffer) override
    {
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                fail(m_path, errno);
            }
        }
    }

    void close() override
    {
        const int fd = m_fd;
        m_fd = -1;
        // POSIX leaves the descriptor released even when close reports an error.
        if (::close(fd) != 0 && errno != EINTR) {
            fail(m_path, errno);
        }
    }

private:
    std::filesystem::path m_path;
    int m_fd;
};

void writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category());
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// A new settings file gets the permissions any newly created file would get;
// a replaced one keeps its own.
mode_t modeFor(const std::filesystem::path& path)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool isSettingsFile(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return false;
        }
        fail(path, errno);
    }
    return S_ISREG(info.st_mode);
}

std::unique_ptr<FileReader> openFileReader(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fail(path, errno);
    }
    return std::make_unique<PosixFileReader>(path, fd);
}

void replaceFile(const std::filesystem::path& path, std::string_view bytes)
{
    // A file the user may not write stays as it is; the rename below would
    // replace it regardless of its own permissions.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
        fail(path, errno);
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        fail(path, errno);
    }
    try {
        if (::fchmod(fd, modeFor(path)) != 0) {
            throw std::system_error(errno, std::generic_category());
        }
        writeAll(fd, bytes);
        // On disk before the rename, or a crash could leave an empty file
        // under the settings file's name.
        if (::fsync(fd) != 0) {
            throw std::system_error(errno, std::generic_category());
        }
        const int closed = ::close(fd);
        if (closed != 0 && errno != EINTR) {
            ::unlink(temporary.c_str());
            fail(path, errno);
        }
    } catch (const std::system_error& error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        fail(path, error.code().value());
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail(path, error);
    }
    // Makes the rename itself durable; the file is already complete, so a
    // failure here is no reason to report the save as failed.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

} // namespace passgen
