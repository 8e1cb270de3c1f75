#include "monitor/RecordingJournal.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/TempFile.h"
#include "logger/DataFileReader.h"
#include "logger/DataFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool AllDigits(std::string_view text, std::size_t minimum, std::size_t maximum)
{
    return text.size() >= minimum && text.size() <= maximum &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "D-M-YYYY" or "H:MM:SS": three numbers of the given widths between separators.
bool ThreeNumbers(std::string_view text, char separator, std::size_t firstMax, std::size_t lastMin,
                  std::size_t lastMax)
{
    const std::size_t a = text.find(separator);
    const std::size_t b = a == std::string_view::npos ? a : text.find(separator, a + 1);
    if (b == std::string_view::npos)
        return false;
    return AllDigits(text.substr(0, a), 1, firstMax) && AllDigits(text.substr(a + 1, b - a - 1), 1, 2) &&
           AllDigits(text.substr(b + 1), lastMin, lastMax);
}

bool IsJournalName(const std::string& name)
{
    const std::string prefix = CRecordingJournal::kNamePrefix;
    const std::string suffix = CRecordingJournal::kNameSuffix;
    return name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

CRecordingJournal::~CRecordingJournal()
{
    Close();
}

bool CRecordingJournal::Fail(const std::string& what)
{
    m_error = "The recovery journal \"" + m_path + "\" " + what + ": " + std::strerror(errno);
    Close();
    return false;
}

bool CRecordingJournal::LockOpen(const std::string& path, int flags)
{
    Close();
    m_path = path;
    m_error.clear();
    m_fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (m_fd < 0)
        return false;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

bool CRecordingJournal::Begin(const std::string& path, double rate)
{
    if (!LockOpen(path, O_WRONLY | O_CREAT | O_EXCL | O_APPEND))
        return Fail("could not be created");
    m_everSynced = false;
    std::string header = FormatDataFileHeader(rate);
    header += kDataFileLineEnd;
    if (const int error = WriteAll(m_fd, header.data(), header.size())) {
        errno = error;
        return Fail("could not be written");
    }
    m_unsynced = true;
    Poll();
    return true;
}

bool CRecordingJournal::BeginInFolder(const std::string& folder, double rate)
{
    const std::string stem = folder + "/" + kNamePrefix + std::to_string(::getpid()) + ".";
    for (int n = 1; n < 1000; ++n) {
        const std::string path = stem + std::to_string(n) + kNameSuffix;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 && errno == ENOENT)
            return Begin(path, rate);
    }
    m_path = stem + "*" + kNameSuffix;
    errno = EEXIST;
    return Fail("could not be created");
}

void CRecordingJournal::Append(const DataSample& sample)
{
    if (m_fd < 0)
        return;
    std::string line = FormatDataFileLine(sample);
    line += kDataFileLineEnd;
    if (const int error = WriteAll(m_fd, line.data(), line.size())) {
        errno = error;
        Fail("could not be written");
        return;
    }
    m_unsynced = true;
    Poll();
}

void CRecordingJournal::Poll()
{
    if (m_fd < 0 || !m_unsynced)
        return;
    const std::uint32_t now = m_clock.TickCount();
    if (m_everSynced && now - m_lastSync < kSyncIntervalMs)
        return;
    Sync();
}

void CRecordingJournal::Sync()
{
    if (m_fd < 0 || !m_unsynced)
        return;
    ::fdatasync(m_fd);
    if (!m_everSynced)
        SyncFolder(FolderOf(m_path)); // the new name itself
    m_lastSync = m_clock.TickCount();
    m_everSynced = true;
    m_unsynced = false;
    ++m_syncs;
}

void CRecordingJournal::Remove()
{
    if (m_fd < 0)
        return;
    ::unlink(m_path.c_str());
    Close();
}

void CRecordingJournal::Close()
{
    if (m_fd < 0)
        return;
    Sync();
    ::close(m_fd); // the lock goes with it
    m_fd = -1;
}

bool CRecordingJournal::TakeOrphan(const std::string& folder)
{
    Close();
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code ignored;
        if (IsJournalName(entry.path().filename().string()) && entry.is_regular_file(ignored) &&
            !entry.is_symlink(ignored))
            found.emplace_back(entry.last_write_time(ignored), entry.path().string());
    }
    std::sort(found.begin(), found.end());
    for (const auto& [time, path] : found) {
        if (LockOpen(path, O_RDWR))
            return true; // nobody holds it: its program has ended
    }
    m_path.clear();
    return false;
}

bool ParseJournalLine(const std::string& line, DataSample& sample)
{
    // date ", " time ", " value ", " unit, the value padded to five characters.
    const std::size_t a = line.find(", ");
    const std::size_t b = a == std::string::npos ? a : line.find(", ", a + 2);
    const std::size_t c = b == std::string::npos ? b : line.find(", ", b + 2);
    if (c == std::string::npos)
        return false;
    const std::string_view text(line);
    const std::string_view date = text.substr(0, a);
    const std::string_view time = text.substr(a + 2, b - a - 2);
    std::string_view value = text.substr(b + 2, c - b - 2);
    const std::string_view unit = text.substr(c + 2);
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    const std::optional<double> level = ParseNumber(value);
    if (!ThreeNumbers(date, '-', 2, 4, 4) || !ThreeNumbers(time, ':', 2, 2, 2) || !level || *level < 0.0 ||
        *level > 200.0 || (unit != "dBA" && unit != "dBC"))
        return false;
    sample.valid = 1;
    sample.date = date;
    sample.time = time;
    sample.value = *level;
    sample.unit = unit;
    return true;
}

JournalContents ReadJournal(const std::string& path, int maxReadings)
{
    // No line of ours is longer than this; a longer one is garbage, skipped unread.
    constexpr std::size_t kLongestLine = 256;
    JournalContents contents;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        contents.error = std::strerror(errno);
        return contents;
    }
    contents.opened = true;
    bool header = true;
    // whole: the line ended in LF; a last line without one was cut short.
    const auto take = [&](const std::string& line, bool tooLong, bool whole) {
        if (header) {
            header = false;
            if (!tooLong && line.compare(0, kDataFileSignature.size(), kDataFileSignature) == 0)
                contents.rate = ParseDataFileRate(line);
            else
                ++contents.damagedLines;
            return;
        }
        if (!tooLong && (line.empty() || line == "\r\r"))
            return;
        DataSample sample;
        if (!tooLong && whole && line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\r") == 0 &&
            ParseJournalLine(line.substr(0, line.size() - 2), sample) &&
            static_cast<int>(contents.samples.size()) < maxReadings)
            contents.samples.push_back(std::move(sample));
        else
            ++contents.damagedLines;
    };
    std::string line;
    bool tooLong = false;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        const std::streamsize n = file.gcount();
        for (std::streamsize i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                take(line, tooLong, true);
                line.clear();
                tooLong = false;
            } else if (line.size() < kLongestLine) {
                line += buffer[i];
            } else {
                tooLong = true;
            }
        }
    }
    if (!line.empty() || tooLong)
        take(line, tooLong, false);
    return contents;
}
