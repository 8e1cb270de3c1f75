#include "station/StationExport.h"

#include "station/IsoTime.h"

#include "common/TempFile.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string Tenths(double level)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, level, std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}

std::string WeightingOf(const std::string& unit)
{
    return unit == "dBA" ? "A" : unit == "dBC" ? "C" : "";
}

} // namespace

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CsvHeader()
{
    return "station,t_utc,local_time,meter_time,level,unit,weighting,response,flags\r\n";
}

std::string CsvLine(const std::string& station, const StationReading& reading)
{
    return CsvField(station) + "," + FormatUtc(reading.tUtc) + "," + FormatLocal(reading.tUtc) + "," +
           CsvField(reading.meterTime) + "," + Tenths(reading.level) + "," + CsvField(reading.unit) + "," +
           WeightingOf(reading.unit) + "," + CsvField(reading.response) + "," + CsvField(reading.flags) + "\r\n";
}

DataSample DataSampleOf(const StationReading& reading)
{
    const std::time_t seconds = static_cast<std::time_t>(reading.tUtc / 1000 - (reading.tUtc % 1000 < 0 ? 1 : 0));
    std::tm local {};
    localtime_r(&seconds, &local);
    char date[32];
    char time[32];
    std::snprintf(date, sizeof date, "%d-%d-%d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
    std::snprintf(time, sizeof time, "%d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    DataSample sample;
    sample.value = reading.level;
    sample.valid = 1;
    sample.date = date;
    sample.time = time;
    sample.unit = reading.unit;
    return sample;
}

void CStretches::Add(std::int64_t tUtc)
{
    if (m_stretches.empty() || tUtc - m_stretches.back().last > m_gapMs)
        m_stretches.push_back({tUtc, tUtc, 0});
    m_stretches.back().last = tUtc;
    ++m_stretches.back().count;
}

CFileReplacement::~CFileReplacement()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temp.c_str());
    }
}

bool CFileReplacement::Open(const std::string& path, std::string* error)
{
    m_path = path;
    m_fd = CreateTemporaryBeside(path, m_temp);
    if (m_fd < 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CFileReplacement::Flush(std::string* error)
{
    if (const int code = WriteAll(m_fd, m_buffer.data(), m_buffer.size()); code != 0) {
        *error = "cannot write " + m_path + ": " + std::strerror(code);
        return false;
    }
    m_buffer.clear();
    return true;
}

bool CFileReplacement::Write(const std::string& text, std::string* error)
{
    m_buffer += text;
    return m_buffer.size() < (1 << 20) || Flush(error);
}

bool CFileReplacement::Commit(std::string* error)
{
    if (!Flush(error))
        return false;
    if (::fsync(m_fd) != 0 || ::close(m_fd) != 0) {
        *error = "cannot write " + m_path + ": " + std::strerror(errno);
        m_fd = -1;
        ::unlink(m_temp.c_str());
        return false;
    }
    m_fd = -1;
    if (::rename(m_temp.c_str(), m_path.c_str()) != 0) {
        *error = "cannot write " + m_path + ": " + std::strerror(errno);
        ::unlink(m_temp.c_str());
        return false;
    }
    return true;
}
