#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// A temporary file beside the target, created exclusively so that no other
// file is ever touched.
int CreateTemporary(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> serial{0};
    const std::size_t slash = target.rfind('/');
    // Keep the temporary name within the file system's name limit.
    const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 100);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        char suffix[96];
        std::snprintf(suffix, sizeof suffix, ".%ld.%u.%llx.tmp", static_cast<long>(::getpid()), serial++,
                      static_cast<unsigned long long>(tick));
        tempPath = FolderOf(target) + "/." + base + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

} // namespace

std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes)
{
    return ReplaceFileAtomically(path, std::vector<std::string_view>{bytes});
}

std::string ReplaceFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces)
{
    if (path.empty())
        return "no file name was given";
    std::string target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    bool exists = false;
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return "it is a folder";
        if (!S_ISREG(info.st_mode))
            return "it is not a regular file";
        exists = true;
    }

    std::string tempPath;
    const int fd = CreateTemporary(target, tempPath);
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
    for (std::string_view bytes : pieces)
        if (const int error = WriteAll(fd, bytes))
            return abandon(error);
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
    const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir); // best effort: the rename has already happened
        ::close(dir);
    }
    return {};
}
