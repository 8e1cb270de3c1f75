#include "logger/DataFileReader.h"

#include "common/TimeText.h"
#include "logger/DataFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The data file opened for reading, cut into lines. Only a regular file is
// read: a pipe could block for ever and a device never end. A line longer
// than kMaxDataFileLine bytes is never held whole, so a file without line
// ends cannot make the reader hold all of it.
class CLineFile {
public:
    enum class OpenResult { Ok, Failed, NotRegular };

    CLineFile() = default;
    ~CLineFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CLineFile(const CLineFile&) = delete;
    CLineFile& operator=(const CLineFile&) = delete;

    OpenResult Open(const std::string& path)
    {
        // Without O_NONBLOCK opening a pipe would wait for a writer.
        m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0)
            return OpenResult::Failed;
        struct stat info {};
        if (::fstat(m_fd, &info) != 0)
            return OpenResult::Failed;
        if (!S_ISREG(info.st_mode))
            return OpenResult::NotRegular;
        m_buffer.resize(kMaxDataFileLine + kReadSize + 2);
        return OpenResult::Ok;
    }

    bool Failed() const { return m_error != 0; }
    int Error() const { return m_error; }
    bool TooLong() const { return m_tooLong; }
    std::int64_t LineNumber() const { return m_lineNumber; }

    // The next line without its LF and without one CR before it, as a text-mode
    // stream would give it: a CR CR LF line end leaves one CR in the text. The
    // view stays valid until the next call. A line longer than
    // kMaxDataFileLine bytes is read to its end without being kept: it comes
    // back empty with TooLong() true. False at the end of the file and on a
    // read error.
    bool Next(std::string_view& line)
    {
        m_tooLong = false;
        for (;;) {
            const char* begin = m_buffer.data() + m_begin;
            const std::size_t waiting = m_end - m_begin;
            if (const void* lf = std::memchr(begin, '\n', waiting)) {
                std::size_t length = static_cast<std::size_t>(static_cast<const char*>(lf) - begin);
                m_begin += length + 1;
                ++m_lineNumber;
                if (m_tooLong || length > kMaxDataFileLine) {
                    m_tooLong = true;
                    line = {};
                    return true;
                }
                if (length > 0 && begin[length - 1] == '\r')
                    --length;
                line = std::string_view(begin, length);
                return true;
            }
            if (waiting > kMaxDataFileLine) {
                m_tooLong = true; // what is held of the line is let go
                m_begin = m_end;
            }
            if (m_eof) {
                if (waiting == 0 && !m_tooLong)
                    return false;
                m_begin = m_end;
                ++m_lineNumber;
                line = m_tooLong ? std::string_view() : std::string_view(begin, waiting);
                return true;
            }
            if (!Fill())
                return false;
        }
    }

private:
    static constexpr std::size_t kReadSize = 64 * 1024;

    bool Fill()
    {
        if (m_begin > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
            m_end -= m_begin;
            m_begin = 0;
        }
        for (;;) {
            const ssize_t n = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                m_error = errno;
                return false;
            }
            if (n == 0)
                m_eof = true;
            m_end += static_cast<std::size_t>(n);
            return true;
        }
    }

    int m_fd = -1;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_tooLong = false;
    int m_error = 0;
    std::int64_t m_lineNumber = 0;
};

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of('\r') == std::string_view::npos;
}

// The text before the first separator (all of it when there is none), and the text after it.
std::string_view Before(std::string_view text, char separator)
{
    return text.substr(0, text.find(separator));
}

std::string_view After(std::string_view text, char separator)
{
    const std::size_t at = text.find(separator);
    return at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
}

// Day, month and year of a "d-m-yyyy" text: the year is in the last four characters.
void ParseDate(std::string_view date, LoggerRecordSet& set)
{
    set.day = TextToInt(Before(date, '-'));
    set.month = TextToInt(Before(After(date, '-'), '-'));
    set.year = TextToInt(date.size() > 4 ? date.substr(date.size() - 4) : date);
}

void ParseTime(std::string_view time, LoggerRecordSet& set)
{
    set.hour = TextToInt(Before(time, ':'));
    const std::string_view rest = After(time, ':');
    set.minute = TextToInt(Before(rest, ':'));
    set.second = TextToInt(After(rest, ':'));
}

std::string_view TakeField(std::string_view& rest)
{
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
        rest.remove_prefix(rest.empty() ? 0 : 1);
        return {};
    }
    const std::string_view field = rest.substr(0, comma);
    rest.remove_prefix(std::min(comma + 2, rest.size()));
    return field;
}

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits, sep, digits, sep, digits: a date (d-m-yyyy) or a time (h:m:s).
bool ThreeNumbers(std::string_view text, char separator)
{
    int parts = 0;
    std::size_t digits = 0;
    for (const char c : text) {
        if (IsDigit(c)) {
            ++digits;
        } else if (c == separator && digits > 0 && parts < 2) {
            ++parts;
            digits = 0;
        } else {
            return false;
        }
    }
    return parts == 2 && digits > 0;
}

constexpr double kLowestFileLevel = 0.0;
constexpr double kHighestFileLevel = 200.0;
constexpr double kLongestFileRate = 86400.0;

// Blanks, an optional sign, digits with at most one decimal point: the
// writer's "%5.2f" and any plainer form of a level.
bool PlainNumber(std::string_view text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos)
        return false;
    if (text[i] == '-' || text[i] == '+')
        ++i;
    bool digit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i]))
            digit = true;
        else if (text[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

DataFileReadResult Error(DataFileReadStatus status, std::string text)
{
    DataFileReadResult result;
    result.status = status;
    result.error = std::move(text);
    return result;
}

DataFileReadResult ReadFailure(const std::string& path, const std::string& reason)
{
    return Error(DataFileReadStatus::ReadFailed, "The data file \"" + path + "\" could not be read: " + reason + ".");
}

std::string TooLongText()
{
    return "it is longer than " + std::to_string(kMaxDataFileLine) + " bytes, which no data file's line is";
}

// Why the reading stopped before the end, or nothing when it reached the end.
std::optional<DataFileReadResult> Stopped(const CLineFile& file, const std::string& path)
{
    if (file.Failed())
        return ReadFailure(path, std::strerror(file.Error()));
    return std::nullopt;
}

DataFileReadResult ReadSamples(CLineFile& file, const std::string& path, double rate)
{
    DataFileReadResult result;
    DataFileImport& data = result.data;
    data.rate = rate;
    data.path = path;
    data.store.resize(kImportStoreSize);
    data.sets.reserve(16);

    std::string_view line;
    while (file.Next(line)) {
        if (!file.TooLong() && IsBlank(line))
            continue;
        const std::string damage = file.TooLong() ? TooLongText() : DataFileLineDamage(line);
        if (!damage.empty()) {
            if (data.damagedLines.size() < kDamagedLinesKept)
                data.damagedLines.push_back({file.LineNumber(), damage});
            ++data.damagedCount;
            continue;
        }
        if (data.limit != DataFileLimit::None) {
            ++data.linesLeftOut;
            continue;
        }
        if (data.count == kImportStoreSize) {
            data.limit = DataFileLimit::Samples;
            ++data.linesLeftOut;
            continue;
        }
        DataFileFields fields = SplitDataFileLine(line);
        const int n = data.count;
        if (n > 0 && fields.unit != data.sets.back().unit) {
            if (data.SetCount() == kRecordSetTableSize) {
                data.limit = DataFileLimit::RecordSets;
                ++data.linesLeftOut;
                continue;
            }
            data.sets.back().end = n - 1;
        }
        if (n == 0 || fields.unit != data.sets.back().unit) {
            LoggerRecordSet set;
            set.begin = n;
            set.end = n;
            set.unit = fields.unit;
            ParseDate(fields.date, set);
            ParseTime(fields.time, set);
            data.sets.push_back(std::move(set));
        }

        DataSample& sample = data.store[static_cast<std::size_t>(n)];
        sample.valid = 1;
        sample.value = TextToDouble(fields.value);
        sample.date = std::move(fields.date);
        sample.time = std::move(fields.time);
        sample.unit = std::move(fields.unit);

        data.sum += sample.value;
        if (sample.value > data.maximum) {
            data.maximum = sample.value;
            data.maximumTime = sample.time;
        }
        if (sample.value < data.minimum) {
            data.minimum = sample.value;
            data.minimumTime = sample.time;
        }
        ++data.count;
    }
    if (auto stopped = Stopped(file, path))
        return std::move(*stopped);
    if (data.count > 0)
        data.sets.back().end = data.count - 1;
    return result;
}

} // namespace

double ParseDataFileRate(std::string_view headerLine)
{
    if (headerLine.size() <= kDataFileSignature.size())
        return 0.0;
    const std::string_view tail = headerLine.substr(kDataFileSignature.size(), 25);
    const std::size_t colon = tail.find(':');
    const std::size_t semicolon = tail.find(';');
    if (semicolon == std::string_view::npos || semicolon < 1)
        return 0.0;
    const std::size_t start = colon == std::string_view::npos ? 0 : colon + 1;
    if (start >= tail.size())
        return 0.0;
    const double rate = TextToDouble(tail.substr(start, semicolon - 1));
    // A rate that is no number of seconds up to a day is no rate at all.
    return std::isfinite(rate) && rate >= 0.0 && rate <= kLongestFileRate ? rate : 0.0;
}

std::string DataFileLineDamage(std::string_view line)
{
    if (line.find('\0') != std::string_view::npos)
        return "it holds NUL bytes";
    // Each field ends at a comma followed by a blank, as the writer puts them.
    std::string_view rest = line;
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const std::size_t comma = rest.find(", ");
        if (comma == std::string_view::npos)
            return "it ends before its unit";
        field = rest.substr(0, comma);
        rest.remove_prefix(comma + 2);
    }
    if (!ThreeNumbers(fields[0], '-'))
        return "its date is not day-month-year";
    if (!ThreeNumbers(fields[1], ':'))
        return "its time is not hour:minute:second";
    if (!PlainNumber(fields[2]))
        return "its level is not a number";
    // The meter measures 30 to 130 dB; a level far outside any sound level
    // is no reading (it would stand as the file's maximum and average).
    const double level = TextToDouble(fields[2]);
    if (level < kLowestFileLevel || level > kHighestFileLevel)
        return "its level is out of range";
    const std::string_view unit = rest.substr(0, 3);
    if (unit != "dBA" && unit != "dBC")
        return "its unit is neither dBA nor dBC";
    return {};
}

DataFileFields SplitDataFileLine(std::string_view line)
{
    DataFileFields fields;
    std::string_view rest = line;
    fields.date = TakeField(rest);
    fields.time = TakeField(rest);
    fields.value = TakeField(rest);
    fields.unit = rest.substr(0, 3);
    return fields;
}

DataFileReadResult ReadDataFile(const std::string& path, const std::function<void()>& onSignatureMatched)
{
    try {
        CLineFile file;
        switch (file.Open(path)) {
        case CLineFile::OpenResult::Failed:
            return Error(DataFileReadStatus::OpenFailed,
                         "The data file \"" + path + "\" could not be opened: " + std::strerror(errno) + ".");
        case CLineFile::OpenResult::NotRegular:
            return Error(DataFileReadStatus::OpenFailed,
                         "The data file \"" + path + "\" could not be opened: it is not a regular file.");
        case CLineFile::OpenResult::Ok:
            break;
        }
        std::string_view header;
        if (!file.Next(header)) {
            if (auto stopped = Stopped(file, path))
                return std::move(*stopped);
        }
        if (file.TooLong())
            return ReadFailure(path, "line 1 is longer than " + std::to_string(kMaxDataFileLine) +
                                         " bytes, which no data file has");
        // An editor may have put a UTF-8 byte-order mark in front of the signature.
        if (header.starts_with(kUtf8ByteOrderMark))
            header.remove_prefix(kUtf8ByteOrderMark.size());
        // Compared byte for byte and case-sensitively; whatever follows the signature is accepted.
        if (header.substr(0, kDataFileSignature.size()) != kDataFileSignature)
            return Error(DataFileReadStatus::FormatError, kDataFormatWrongText);
        const double rate = ParseDataFileRate(header);
        if (onSignatureMatched)
            onSignatureMatched();
        return ReadSamples(file, path, rate);
    } catch (const std::bad_alloc&) {
        return Error(DataFileReadStatus::OutOfMemory, kMemoryOverflowText);
    }
}

std::string DataFileDamageText(const DataFileImport& data)
{
    if (data.damagedCount == 0)
        return {};
    std::string text;
    for (const DamagedDataLine& damaged : data.damagedLines)
        text += "line " + std::to_string(damaged.line) + " is damaged: " + damaged.reason + "\n";
    if (data.damagedCount > static_cast<std::int64_t>(data.damagedLines.size()))
        text += "and " + std::to_string(data.damagedCount - static_cast<std::int64_t>(data.damagedLines.size())) +
                " more damaged lines\n";
    text += data.damagedCount == 1 ? "That line was left out; the rest of the file was read."
                                   : std::to_string(data.damagedCount) +
                                         " damaged lines were left out; the rest of the file was read.";
    return text;
}

std::string DataFileTruncationText(const DataFileImport& data)
{
    const std::string leftOut = std::to_string(data.linesLeftOut);
    switch (data.limit) {
    case DataFileLimit::Samples:
        return "The file holds more than " + std::to_string(kImportStoreSize) + " readings; only the first " +
               std::to_string(kImportStoreSize) + " were imported. Lines left out: " + leftOut + ".";
    case DataFileLimit::RecordSets:
        return "The file holds more than " + std::to_string(kRecordSetTableSize) + " record sets; only the first " +
               std::to_string(kRecordSetTableSize) + " (" + std::to_string(data.count) +
               " readings) were imported. Lines left out: " + leftOut + ".";
    case DataFileLimit::None:
        break;
    }
    return {};
}
