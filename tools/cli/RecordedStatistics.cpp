#include "tools/cli/RecordedStatistics.h"

#include "common/DataSample.h"
#include "common/NumberText.h"
#include "common/TimeText.h"
#include "logger/DataFileReader.h"
#include "logger/DataFileSummary.h"

#include <cstdio>

bool CRecordedStatistics::Update(const DataSample* samples, int count)
{
    if (count < m_count) // a new run
        *this = CRecordedStatistics();
    if (count == m_count)
        return false;
    for (int i = m_count; i < count; ++i) {
        const DataSample& sample = samples[i];
        m_sum += sample.value;
        if (sample.value > m_maximum) {
            m_maximum = sample.value;
            m_maximumTime = sample.time;
        }
        if (sample.value < m_minimum) {
            m_minimum = sample.value;
            m_minimumTime = sample.time;
        }
    }
    m_count = count;
    return true;
}

namespace {

std::string TimeOf(const std::string& time)
{
    return time.empty() ? std::string("(no time)") : PadTimeText(time);
}

} // namespace

std::string CRecordedStatistics::ProgressLine() const
{
    if (m_count == 0)
        return "reading 0";
    return "reading " + std::to_string(m_count) + "  avg " + FormatFixed(m_sum / m_count, 2) + "  max " +
           FormatFixed(m_maximum, 2) + " @ " + TimeOf(m_maximumTime) + "  min " + FormatFixed(m_minimum, 2) +
           " @ " + TimeOf(m_minimumTime);
}

std::vector<std::string> SavedStatisticsLines(const std::string& path)
{
    std::vector<std::string> lines;
    const DataFileReadResult result = ReadDataFile(path);
    if (result.status != DataFileReadStatus::Ok) {
        std::fprintf(stderr, "vexalog-cli record: %s cannot be read back: %s\n", path.c_str(), result.error.c_str());
        return lines;
    }
    for (const std::string& line : DataFileSummaryLines(result.data))
        if (line.rfind("Average:", 0) == 0 || line.rfind("Maximum:", 0) == 0 || line.rfind("Minimum:", 0) == 0)
            lines.push_back(line);
    return lines;
}
