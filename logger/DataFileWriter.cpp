#include "DataFileWriter.h"

#include "DataSample.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// snprintf into a string that grows to whatever the texts need.
[[gnu::format(printf, 2, 3)]] void AppendFormat(std::string& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed > 0) {
        const std::size_t old = out.size();
        out.resize(old + static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(out.data() + old, static_cast<std::size_t>(needed) + 1, format, args);
        out.resize(old + static_cast<std::size_t>(needed));
    }
    va_end(args);
}

DataFileWriteResult Failure(const std::string& path, const std::string& reason)
{
    return {false, "The data file \"" + path + "\" could not be saved: " + reason + "."};
}

DataFileWriteResult Failure(const std::string& path, int error)
{
    return Failure(path, std::strerror(error));
}

int WriteAll(int fd, const std::string& data)
{
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// A temporary file beside the target, created exclusively so no other file is
// ever touched; the umask applies as for any new file.
int CreateTemporary(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> serial{0};
    const std::string folder = FolderOf(target);
    const std::size_t slash = target.rfind('/');
    // Keep the temporary name within the file system's name limit.
    const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 100);
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

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename itself has already succeeded
        ::close(fd);
    }
}

} // namespace

std::string FormatDataFileHeader(double rate)
{
    std::string header;
    AppendFormat(header, "%s SamplingRate:%2.1f;", std::string(kDataFileSignature).c_str(), rate);
    return header;
}

std::string FormatDataFileLine(const DataSample& sample)
{
    std::string line;
    AppendFormat(line, "%s, %s, %5.2f, %s", sample.date.c_str(), sample.time.c_str(), sample.value,
                 sample.unit.c_str());
    return line;
}

DataFileWriteResult WriteDataFile(const std::string& path, const DataSample* samples, int count, double rate)
{
    if (path.empty())
        return Failure(path, "no file name was given");
    if (samples == nullptr || count < 0)
        count = 0;

    // Saving through a symbolic link replaces the file it points to, not the link.
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
            return Failure(path, EISDIR);
        // A device or pipe must never be renamed over.
        if (!S_ISREG(info.st_mode))
            return Failure(path, "it is not a regular file");
        exists = true;
    }

    std::string tempPath;
    const int fd = CreateTemporary(target, tempPath);
    if (fd < 0)
        return Failure(path, errno);

    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(tempPath.c_str());
        return Failure(path, error);
    };

    if (exists) {
        // The replacement keeps the old file's permissions and, where allowed, its owner.
        ::fchmod(fd, info.st_mode & 07777);
        if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
            // Only a privileged user may hand a file to someone else; the mode above still holds.
        }
    }

    constexpr std::size_t kChunk = 64 * 1024;
    std::string buffer = FormatDataFileHeader(rate);
    buffer += kDataFileLineEnd;
    for (int i = 0; i < count; ++i) {
        buffer += FormatDataFileLine(samples[i]);
        buffer += kDataFileLineEnd;
        if (buffer.size() >= kChunk) {
            if (const int error = WriteAll(fd, buffer))
                return abandon(error);
            buffer.clear();
        }
    }
    if (const int error = WriteAll(fd, buffer))
        return abandon(error);
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        return Failure(path, error);
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        return Failure(path, error);
    }
    SyncFolder(FolderOf(target));
    return {true, {}};
}
