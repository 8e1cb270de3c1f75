#include "DataFileReader.h"

#include "DataFileWriter.h"
#include "TimeText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <new>

namespace {

// A FILE* and getline's buffer, released together; lines may be of any length.
class CLineFile {
public:
    explicit CLineFile(const std::string& path) : m_file(std::fopen(path.c_str(), "rb")) {}
    ~CLineFile()
    {
        std::free(m_buffer);
        if (m_file)
            std::fclose(m_file);
    }
    CLineFile(const CLineFile&) = delete;
    CLineFile& operator=(const CLineFile&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    bool Failed() const { return std::ferror(m_file) != 0; }

    // The next line without its LF and without one CR before it, as a text-mode
    // stream would give it: a CR CR LF line end leaves one CR in the text.
    bool Next(std::string_view& line)
    {
        errno = 0;
        const ssize_t n = ::getline(&m_buffer, &m_capacity, m_file);
        if (n < 0) {
            if (errno == ENOMEM)
                throw std::bad_alloc();
            return false;
        }
        std::size_t length = static_cast<std::size_t>(n);
        if (length > 0 && m_buffer[length - 1] == '\n') {
            --length;
            if (length > 0 && m_buffer[length - 1] == '\r')
                --length;
        }
        line = std::string_view(m_buffer, length);
        return true;
    }

private:
    std::FILE* m_file = nullptr;
    char* m_buffer = nullptr;
    std::size_t m_capacity = 0;
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

DataFileReadResult Error(DataFileReadStatus status, std::string text)
{
    DataFileReadResult result;
    result.status = status;
    result.error = std::move(text);
    return result;
}

DataFileReadResult ReadFailure(const std::string& path)
{
    return Error(DataFileReadStatus::ReadFailed,
                 "The data file \"" + path + "\" could not be read: " + std::strerror(errno) + ".");
}

DataFileReadResult ReadSamples(CLineFile& file, const std::string& path, double rate)
{
    DataFileReadResult result;
    DataFileImport& data = result.data;
    data.rate = rate;
    data.store.resize(kImportStoreSize);
    data.sets.reserve(16);

    std::string_view line;
    while (file.Next(line)) {
        if (IsBlank(line))
            continue;
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
    if (file.Failed())
        return ReadFailure(path);
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
    return TextToDouble(tail.substr(start, semicolon - 1));
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
        CLineFile file(path);
        if (!file.IsOpen())
            return Error(DataFileReadStatus::OpenFailed,
                         "The data file \"" + path + "\" could not be opened: " + std::strerror(errno) + ".");
        std::string_view header;
        if (!file.Next(header) && file.Failed())
            return ReadFailure(path);
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
