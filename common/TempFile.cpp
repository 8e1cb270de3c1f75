#include "common/TempFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

namespace {

// The process number in a name ".<base>.<pid>.<serial>.<tick>.tmp", or 0
// when name is not one of ours for base.
long TemporaryOwner(const std::string& name, const std::string& base)
{
    const std::string head = "." + base + ".";
    const std::string tail = ".tmp";
    if (name.size() <= head.size() + tail.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return 0;
    const std::string middle = name.substr(head.size(), name.size() - head.size() - tail.size());
    const std::size_t first = middle.find('.');
    const std::size_t second = first == std::string::npos ? first : middle.find('.', first + 1);
    if (second == std::string::npos || middle.find('.', second + 1) != std::string::npos)
        return 0;
    const auto digits = [](const std::string& text, bool hex) {
        return !text.empty() && text.size() <= 20 &&
               text.find_first_not_of(hex ? "0123456789abcdef" : "0123456789") == std::string::npos;
    };
    const std::string pid = middle.substr(0, first);
    if (!digits(pid, false) || !digits(middle.substr(first + 1, second - first - 1), false) ||
        !digits(middle.substr(second + 1), true) || pid.size() > 9)
        return 0;
    return std::strtol(pid.c_str(), nullptr, 10);
}

std::string TemporaryBase(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    // Keep the temporary name within the file system's name limit.
    return target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 100);
}

} // namespace

int CreateTemporaryBeside(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> serial{0};
    const std::string folder = FolderOf(target);
    const std::string base = TemporaryBase(target);
    RemoveStaleTemporaries(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        char suffix[96];
        std::snprintf(suffix, sizeof suffix, ".%ld.%u.%llx.tmp", static_cast<long>(::getpid()), serial++,
                      static_cast<unsigned long long>(tick));
        tempPath = folder + "/." + base + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool ProcessIsRunning(long pid)
{
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}


void RemoveStaleTemporaries(const std::string& target)
{
    const std::string folder = FolderOf(target);
    const std::string base = TemporaryBase(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const long pid = TemporaryOwner(name, base);
        if (pid == 0 || pid == static_cast<long>(::getpid()) || ProcessIsRunning(pid))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid())
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

int WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename itself has already succeeded
        ::close(fd);
    }
}

std::string ReplaceTarget(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string target = real;
            std::free(real);
            return target;
        }
    }
    return path;
}

std::string WhyNotReplaceable(const std::string& path)
{
    if (path.empty())
        return "no file name was given";
    const std::string target = ReplaceTarget(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return std::strerror(EISDIR);
        // A device or pipe must never be renamed over.
        if (!S_ISREG(info.st_mode))
            return "it is not a regular file";
        if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return "the file is write-protected";
        if (::access(target.c_str(), W_OK) != 0)
            return "the file may not be written (" + std::string(std::strerror(errno)) + ")";
    } else if (errno != ENOENT) {
        return std::strerror(errno);
    }
    const std::string folder = FolderOf(target);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder \"" + folder + "\" cannot be written (" + std::strerror(errno) + ")";
    return {};
}

std::string ReplaceFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces)
{
    if (std::string why = WhyNotReplaceable(path); !why.empty())
        return why;
    const std::string target = ReplaceTarget(path);
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;

    std::string tempPath;
    const int fd = CreateTemporaryBeside(target, tempPath);
    if (fd < 0)
        return std::strerror(errno);
    auto abandon = [&](int error) -> std::string {
        ::close(fd);
        ::unlink(tempPath.c_str());
        return std::strerror(error);
    };
    if (exists) {
        ::fchmod(fd, info.st_mode & 07777);
        if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
            // Only a privileged user may hand a file to someone else; the mode still holds.
        }
    }
    for (std::string_view bytes : pieces) {
        if (const int error = WriteAll(fd, bytes.data(), bytes.size()))
            return abandon(error);
    }
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        return std::strerror(error);
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        return std::strerror(error);
    }
    SyncFolder(FolderOf(target));
    return {};
}
