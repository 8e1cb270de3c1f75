#include "DataFileWriter.h"

#include "DataSample.h"
#include "NumberText.h"
#include "TempFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DataFileWriteResult Failure(const std::string& path, const std::string& reason)
{
    return {false, "The data file \"" + path + "\" could not be saved: " + reason + "."};
}

DataFileWriteResult Failure(const std::string& path, int error)
{
    return Failure(path, std::strerror(error));
}

// The file a save replaces: through a symbolic link, the file it points to.
std::string SaveTarget(const std::string& path)
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

} // namespace

std::string FormatDataFileHeader(double rate)
{
    return std::string(kDataFileSignature) + " SamplingRate:" + FormatFixed(rate, 1, 2) + ";";
}

std::string FormatDataFileLine(const DataSample& sample)
{
    return sample.date + ", " + sample.time + ", " + FormatFixed(sample.value, 2, 5) + ", " + sample.unit;
}

DataFileWriteResult CheckDataFileTarget(const std::string& path)
{
    if (path.empty())
        return Failure(path, "no file name was given");
    const std::string target = SaveTarget(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return Failure(path, EISDIR);
        // A device or pipe must never be renamed over.
        if (!S_ISREG(info.st_mode))
            return Failure(path, "it is not a regular file");
        // A file nobody may write is kept, even from a user the system would let replace it.
        if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return Failure(path, "the file is write-protected");
        if (::access(target.c_str(), W_OK) != 0)
            return Failure(path, "the file may not be written (" + std::string(std::strerror(errno)) + ")");
    } else if (errno != ENOENT) {
        return Failure(path, errno);
    }
    const std::string folder = FolderOf(target);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return Failure(path, "the folder \"" + folder + "\" cannot be written (" + std::strerror(errno) + ")");
    return {true, {}};
}

DataFileWriteResult WriteDataFile(const std::string& path, const DataSample* samples, int count, double rate)
{
    if (const DataFileWriteResult check = CheckDataFileTarget(path); !check.ok)
        return check;
    if (samples == nullptr || count < 0)
        count = 0;

    const std::string target = SaveTarget(path);
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;

    std::string tempPath;
    const int fd = CreateTemporaryBeside(target, tempPath);
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
            if (const int error = WriteAll(fd, buffer.data(), buffer.size()))
                return abandon(error);
            buffer.clear();
        }
    }
    if (const int error = WriteAll(fd, buffer.data(), buffer.size()))
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
