#include "logger/DataLoggerModel.h"

#include "common/Clock.h"
#include "common/TimeText.h"
#include "graph/GraphReadouts.h"
#include "logger/DataFile.h"
#include "logger/DownloadedSet.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

// Date and time of a sample's texts, each field read as a decimal prefix.
LoggerRecordSet DateTimeOf(const DataSample& sample)
{
    const LocalDateTime at = SplitSampleDateTime(sample.date, sample.time);
    LoggerRecordSet fields;
    fields.year = at.year;
    fields.month = at.month;
    fields.day = at.day;
    fields.hour = at.hour;
    fields.minute = at.minute;
    fields.second = at.second;
    return fields;
}

std::string DateTimeText(const LoggerRecordSet& at)
{
    return ListDateText(at.year, at.month, at.day) + " " + ListTimeText(at.hour, at.minute, at.second);
}

std::string Decimal(int value)
{
    return std::to_string(value);
}

} // namespace

std::array<std::pair<int, std::string>, 8> DataLoggerFieldTexts(const DataLoggerFields& fields)
{
    return {{{1005, Decimal(fields.dataNo)},
             {1014, fields.startTime},
             {1007, LevelFieldText(fields.maximum)},
             {1008, fields.maximumTime},
             {1044, LevelFieldText(fields.minimum)},
             {1010, fields.minimumTime},
             {1006, AverageFieldText(fields.avg)},
             {1045, fields.unit}}};
}

CDataLoggerModel::CDataLoggerModel(const IClock& clock) : m_clock(clock)
{
    m_title = FormatLocalTime(m_clock.Now(), "%Y-%m-%d %H:%M:%S");
}

void CDataLoggerModel::Reset()
{
    m_opened.clear();
    m_setOpened = false;
    m_title = FormatLocalTime(m_clock.Now(), "%Y-%m-%d %H:%M:%S");
    m_fields = DataLoggerFields{};
}

void CDataLoggerModel::ReleaseSets()
{
    ++m_rowsVersion;
    m_rows.clear();
    m_sets.clear();
    m_bytes.clear();
    m_import = DataFileImport{};
    m_opened.clear();
    m_setOpened = false;
    m_downloaded = false;
}

int CDataLoggerModel::LoadRecordSets(const std::vector<std::uint8_t>& bytes, const std::vector<LoggerRecordSet>& table,
                                     int maxListed)
{
    ReleaseSets();
    m_bytes = bytes;
    const int last = static_cast<int>(std::min<std::size_t>(table.size(), kRecordSetTableSize)) - 1;
    m_rows.reserve(static_cast<std::size_t>(std::clamp(last, 0, maxListed)));
    for (int g = 1; g <= last && static_cast<int>(m_rows.size()) < maxListed; ++g) {
        LoggerRecordSet set = table[static_cast<std::size_t>(g)];
        if (set.begin < 0 || set.end - set.begin < 8)
            continue; // no whole header: no set
        set.end = std::min(set.end, static_cast<int>(m_bytes.size()) - 1); // no readings beyond the bytes
        DecodeSetHeader(m_bytes, set);
        m_rate = set.rate;
        const int count = DownloadedValidCount(m_bytes, set);
        m_rows.push_back({Decimal(static_cast<int>(m_rows.size()) + 1), ListDateText(set.year, set.month, set.day),
                          ListTimeText(set.hour, set.minute, set.second), set.unit, Decimal(set.rate),
                          Decimal(count)});
        m_sets.push_back(std::move(set));
    }
    m_downloaded = true;
    return static_cast<int>(m_rows.size());
}

bool CDataLoggerModel::Import(IDialogSeam& dialogs, const std::function<void()>& changed)
{
    Reset(); // before the dialog, so a cancelled one still leaves the window reset
    if (changed)
        changed();
    return ImportDataFile(dialogs, [&](DataFileImport data) {
        TakeImport(std::move(data));
        if (changed)
            changed();
    });
}

void CDataLoggerModel::TakeImport(DataFileImport data)
{
    ReleaseSets();
    m_import = std::move(data);
    m_import.count = std::clamp(m_import.count, 0, static_cast<int>(m_import.store.size()));
    m_rate = m_import.rate;
    char rate[64];
    std::snprintf(rate, sizeof rate, "%2.1f s", m_rate);
    for (const LoggerRecordSet& set : m_import.sets) {
        if (set.begin < 0 || set.end < set.begin || set.end >= m_import.count)
            break; // a set the store does not hold
        m_rows.push_back({Decimal(static_cast<int>(m_rows.size()) + 1), ListDateText(set.year, set.month, set.day),
                          ListTimeText(set.hour, set.minute, set.second), set.unit, rate,
                          Decimal(set.end - set.begin + 1)});
        m_sets.push_back(set);
    }
    if (m_sets.empty())
        return; // a header without samples: the fields stay as the reset left them

    const int count = m_import.count;
    const LoggerRecordSet& first = m_sets.front();
    m_fields.maximum = m_import.maximum;
    m_fields.maximumTime = PadTimeText(m_import.maximumTime);
    m_fields.minimum = m_import.minimum;
    m_fields.minimumTime = PadTimeText(m_import.minimumTime);
    m_fields.startTime = ListTimeText(first.hour, first.minute, first.second);
    m_fields.dataNo = count;
    m_fields.avg = m_import.sum / count;
    m_fields.unit = "dBA/dBC";
    m_title = "Real-Time From:" + DateTimeText(first) + " To:" +
              DateTimeText(DateTimeOf(m_import.store[static_cast<std::size_t>(count - 1)]));
}

const LoggerRecordSet& CDataLoggerModel::ListedSet(int row) const
{
    return m_sets.at(static_cast<std::size_t>(row));
}

OpenStatus CDataLoggerModel::Open(int row, int plotWidth, OpenedSet* opened)
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return OpenStatus::NoRow;
    try {
        return m_downloaded ? OpenDownloaded(row, plotWidth, opened) : OpenImported(row, plotWidth, opened);
    } catch (const std::bad_alloc&) {
        m_opened.clear();
        m_setOpened = false;
        return OpenStatus::OutOfMemory;
    }
}

OpenStatus CDataLoggerModel::OpenDownloaded(int row, int plotWidth, OpenedSet* opened)
{
    const LoggerRecordSet& set = m_sets[static_cast<std::size_t>(row)];
    RebuiltSet rebuilt = RebuildSamples(m_bytes, set);
    m_opened = std::move(rebuilt.samples);
    m_setOpened = true;
    m_openedRate = set.rate;
    const int count = static_cast<int>(m_opened.size());

    m_fields.maximum = rebuilt.maximum;
    m_fields.maximumTime = PadTimeText(rebuilt.maximumTime);
    m_fields.minimum = rebuilt.minimum;
    m_fields.minimumTime = PadTimeText(rebuilt.minimumTime);
    m_fields.startTime = ListTimeText(set.hour, set.minute, set.second);
    Finish(set, count > 0 ? &m_opened.back() : nullptr, count, rebuilt.sum, plotWidth, opened);
    return OpenStatus::Opened;
}

OpenStatus CDataLoggerModel::OpenImported(int row, int plotWidth, OpenedSet* opened)
{
    const LoggerRecordSet& set = m_sets[static_cast<std::size_t>(row)];
    const auto from = m_import.store.begin() + set.begin;
    m_opened.assign(from, from + (set.end - set.begin + 1));
    m_setOpened = true;
    m_openedRate = m_rate;

    // Ties: the maximum keeps the earliest of equal values, the minimum the latest.
    double maximum = 30.0;
    double minimum = 130.0;
    std::string maximumTime = m_opened.front().time;
    std::string minimumTime = maximumTime;
    double sum = 0.0;
    for (const DataSample& sample : m_opened) {
        sum += sample.value;
        if (sample.value - maximum > 0.01) {
            maximum = sample.value;
            maximumTime = sample.time;
        }
        if (sample.value - minimum < 0.01) {
            minimum = sample.value;
            minimumTime = sample.time;
        }
    }
    m_fields.maximum = maximum;
    m_fields.maximumTime = PadTimeText(maximumTime);
    m_fields.minimum = minimum;
    m_fields.minimumTime = PadTimeText(minimumTime);
    m_fields.startTime = PadTimeText(m_opened.front().time);
    Finish(set, &m_opened.back(), static_cast<int>(m_opened.size()), sum, plotWidth, opened);
    return OpenStatus::Opened;
}

void CDataLoggerModel::Finish(const LoggerRecordSet& set, const DataSample* last, int count, double sum,
                              int plotWidth, OpenedSet* opened)
{
    m_fields.dataNo = count;
    m_fields.avg = count > 0 ? sum / count : 0.0;
    m_fields.unit = count > 0 ? m_opened.front().unit : set.unit;

    const LoggerRecordSet end = last != nullptr ? DateTimeOf(*last) : set;
    m_title = "Real-Time From:" + DateTimeText(set) + " To:" + DateTimeText(end);

    const std::int64_t start = MakeLocalTime(set.year, set.month, set.day, set.hour, set.minute, set.second);
    const std::int64_t stop = last != nullptr ? SampleCalendarTime(*last) : start;
    // One sample, or all at one time, has no duration to scale by: one second stands in.
    const std::int64_t seconds = std::max<std::int64_t>(stop - start, 1);
    if (opened != nullptr)
        *opened = OpenedSet{start, static_cast<double>(plotWidth) / static_cast<double>(seconds),
                            m_opened.empty() ? nullptr : m_opened.data(), count};
}

double CDataLoggerModel::SaveRate() const
{
    return m_setOpened ? m_openedRate : m_rate;
}

bool CDataLoggerModel::SaveData(IDialogSeam& dialogs) const
{
    return SaveDataFile(dialogs, m_opened.empty() ? nullptr : m_opened.data(), static_cast<int>(m_opened.size()),
                        SaveRate());
}
