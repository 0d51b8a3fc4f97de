#include "storage/FileCalls.h"
#include "storage/FileReader.h"
#include "storage/FileSystem.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cwchar>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace passgen {

namespace {

constexpr int maxLinks = 40; // as the kernel allows, then ELOOP

std::string reasonOf(int error)
{
    return std::generic_category().message(error);
}

[[noreturn]] void fail(const std::filesystem::path& path, int error)
{
    throw StorageError(path, reasonOf(error));
}

// strerror's text, like file names, comes in the character set of the
// locale, which Qt sets from the environment at start.
std::u16string fromLocaleText(std::string_view text)
{
    std::u16string result;
    std::mbstate_t state{};
    while (!text.empty()) {
        wchar_t wide = 0;
        std::size_t length = std::mbrtowc(&wide, text.data(), text.size(), &state);
        if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2)) {
            result += u'\uFFFD';
            state = {};
            length = 1;
        } else {
            const auto code = static_cast<char32_t>(wide);
            if (code >= 0x10000) {
                result += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
                result += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                result += static_cast<char16_t>(code);
            }
            length = length == 0 ? 1 : length; // a NUL byte
        }
        text.remove_prefix(length);
    }
    return result;
}

// Owns a descriptor; reports errors as the errno of the failed call.
class File {
public:
    explicit File(int fd) : m_fd(fd) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int fd() const { return m_fd; }

    void writeAll(std::string_view bytes)
    {
        while (!bytes.empty()) {
            std::size_t written = 0;
            const auto error = static_cast<int>(fileCalls().write(m_fd, bytes, written));
            if (error == EINTR) {
                continue;
            }
            if (error != 0) {
                throw error;
            }
            bytes.remove_prefix(written);
        }
    }

    void sync()
    {
        if (const auto error = static_cast<int>(fileCalls().flush(m_fd))) {
            throw error;
        }
    }

    void close()
    {
        const int fd = m_fd;
        m_fd = -1;
        // POSIX leaves the descriptor released even when close reports an error.
        const auto error = static_cast<int>(fileCalls().close(fd));
        if (error != 0 && error != EINTR) {
            throw error;
        }
    }

private:
    int m_fd;
};

class PosixFileReader final : public FileReader {
public:
    PosixFileReader(std::filesystem::path path, int fd) : m_path(std::move(path)), m_file(fd) {}

    std::size_t read(std::span<char> buffer) override
    {
        for (;;) {
            std::size_t got = 0;
            const auto error = static_cast<int>(fileCalls().read(m_file.fd(), buffer, got));
            if (error == 0) {
                return got;
            }
            if (error != EINTR) {
                fail(m_path, error);
            }
        }
    }

    void close() override
    {
        try {
            m_file.close();
        } catch (int error) {
            fail(m_path, error);
        }
    }

private:
    std::filesystem::path m_path;
    File m_file;
};

// The file a path finally names, following symbolic links, a dangling one
// too: saving through a link writes the linked file and keeps the link.
// Links are followed by hand rather than with realpath, which fails for a
// link whose file is not there yet.
std::filesystem::path finalTarget(const std::filesystem::path& path)
{
    std::filesystem::path target = path;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return target;
        }
        if (hops == maxLinks) {
            fail(path, ELOOP);
        }
        std::error_code error;
        const std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error) {
            fail(path, error.value());
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

// Temporaries are named ".<name>.<process id>.XXXXXX", so that a later save
// can tell one left by a killed process from one that a running copy of the
// program is writing.
std::string temporaryPrefix(const std::filesystem::path& target)
{
    return "." + target.filename().string() + ".";
}

bool isRunning(pid_t process)
{
    return process != ::getpid() && (::kill(process, 0) == 0 || errno == EPERM);
}

void removeStaleTemporaries(const std::filesystem::path& folder, const std::string& prefix)
{
    DIR* const dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return; // creating the temporary will say what is wrong
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) {
            continue;
        }
        const std::string_view rest = name.substr(prefix.size());
        pid_t process = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), process);
        const std::string_view suffix(end,
                                      static_cast<std::size_t>(rest.data() + rest.size() - end));
        if (error == std::errc{} && process > 0 && suffix.size() == 7 && suffix[0] == '.' &&
            !isRunning(process)) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

// A new settings file gets the permissions any newly created file would get;
// a replaced one keeps its own, and its owner where this user may keep it.
void takeOverOwnership(int fd, const std::filesystem::path& target)
{
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
        if (::fchmod(fd, existing.st_mode & 07777) != 0) {
            throw errno;
        }
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) {
        throw errno;
    }
}

void syncFolder(const std::filesystem::path& folder)
{
    // Makes the rename itself durable; the file is already complete, so a
    // failure here is no reason to report the save as failed.
    fileCalls().flushFolder(folder);
}

FileCalls::Error errorOf(int result)
{
    return result == 0 ? 0 : static_cast<FileCalls::Error>(errno);
}

} // namespace

FileCalls::Error FileCalls::open(const std::filesystem::path& path, Handle& file)
{
    file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return file < 0 ? static_cast<Error>(errno) : 0;
}

FileCalls::Error FileCalls::read(Handle file, std::span<char> buffer, std::size_t& got)
{
    const ssize_t result = ::read(static_cast<int>(file), buffer.data(), buffer.size());
    got = result < 0 ? 0 : static_cast<std::size_t>(result);
    return result < 0 ? static_cast<Error>(errno) : 0;
}

FileCalls::Error FileCalls::write(Handle file, std::string_view bytes, std::size_t& written)
{
    const ssize_t result = ::write(static_cast<int>(file), bytes.data(), bytes.size());
    written = result < 0 ? 0 : static_cast<std::size_t>(result);
    return result < 0 ? static_cast<Error>(errno) : 0;
}

FileCalls::Error FileCalls::flush(Handle file)
{
    return errorOf(::fsync(static_cast<int>(file)));
}

FileCalls::Error FileCalls::close(Handle file)
{
    return errorOf(::close(static_cast<int>(file)));
}

FileCalls::Error FileCalls::replace(const std::filesystem::path& replacement,
                                    const std::filesystem::path& target,
                                    const std::filesystem::path& /*backup*/)
{
    return errorOf(::rename(replacement.c_str(), target.c_str()));
}

FileCalls::Error FileCalls::move(const std::filesystem::path& from, const std::filesystem::path& to)
{
    return errorOf(::rename(from.c_str(), to.c_str()));
}

FileCalls::Error FileCalls::remove(const std::filesystem::path& path)
{
    return errorOf(::unlink(path.c_str()));
}

FileCalls::Error FileCalls::flushFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return static_cast<Error>(errno);
    }
    const Error error = errorOf(::fsync(fd));
    ::close(fd);
    return error;
}

void FileCalls::pause(std::chrono::milliseconds time)
{
    std::this_thread::sleep_for(time);
}

std::u16string StorageError::message() const
{
    return displayName(m_path) + u": " + fromLocaleText(m_reason);
}

std::u16string displayName(const std::filesystem::path& path)
{
    return fromLocaleText(path.native());
}

PathHolds lookUp(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return PathHolds::Nothing;
        }
        fail(path, errno);
    }
    return S_ISREG(info.st_mode) ? PathHolds::SettingsFile : PathHolds::Other;
}

std::unique_ptr<FileReader> openFileReader(const std::filesystem::path& path)
{
    FileCalls::Handle fd = -1;
    if (const auto error = static_cast<int>(fileCalls().open(path, fd))) {
        fail(path, error);
    }
    return std::make_unique<PosixFileReader>(path, static_cast<int>(fd));
}

void replaceFile(const std::filesystem::path& path, std::string_view bytes)
{
    const std::filesystem::path target = finalTarget(path);
    // A file the user may not write stays as it is; the rename below would
    // replace it regardless of its own permissions.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
        fail(path, errno);
    }
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const std::string prefix = temporaryPrefix(target);
    removeStaleTemporaries(folder, prefix);
    std::string temporary = (folder / (prefix + std::to_string(::getpid()) + ".XXXXXX")).string();
    File file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.fd() < 0) {
        // Where the user may write the file but not make one beside it, the
        // file is overwritten: not atomic, but the only way to save there.
        const int error = errno;
        if ((error == EACCES || error == EPERM) && ::access(target.c_str(), F_OK) == 0) {
            overwriteFile(path, bytes);
            return;
        }
        fail(path, error);
    }
    try {
        takeOverOwnership(file.fd(), target);
        file.writeAll(bytes);
        // On disk before the rename, or a crash could leave an empty file
        // under the settings file's name.
        file.sync();
        file.close();
        if (const auto error = static_cast<int>(fileCalls().replace(temporary, target, {}))) {
            throw error;
        }
    } catch (int error) {
        fileCalls().remove(temporary);
        fail(path, error);
    }
    syncFolder(folder);
}

std::optional<std::filesystem::path> restoreLeftover(const std::filesystem::path& /*path*/)
{
    return std::nullopt;
}

void overwriteFile(const std::filesystem::path& path, std::string_view bytes)
{
    File file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.fd() < 0) {
        fail(path, errno);
    }
    bool overwriting = false; // from here on a failure may leave the file partly written
    try {
        struct stat info {};
        if (::fstat(file.fd(), &info) != 0) {
            throw errno;
        }
        const auto length = static_cast<off_t>(bytes.size());
        if (length > info.st_size) {
            const int error = ::posix_fallocate(file.fd(), 0, length);
            if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
                throw error;
            }
        }
        overwriting = true;
        file.writeAll(bytes);
        if (::ftruncate(file.fd(), length) != 0) {
            throw errno;
        }
        file.sync();
        file.close();
    } catch (int error) {
        if (overwriting) {
            throw StorageError(path, reasonOf(error) + "; файл мог остаться записанным не до конца",
                               false);
        }
        fail(path, error);
    }
}

} // namespace passgen
