#pragma once

#include "common/DataSample.h"
#include "common/LoggerRecordSet.h"
#include "logger/DataFileReader.h"

#include <array>
#include <functional>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class IClock;
class IDialogSeam;

// The window lists every set a download keeps: the table's entries 1 .. 999.
inline constexpr int kListedSetsMax = kRecordSetTableSize - 1;

// One row of the record-set list (control 1043): Set, DATE, TIME, UNIT,
// Sampling Rate, Nums.
struct DataLoggerRow {
    std::string set;   // "%d" from 1
    std::string date;  // 2007-03-07
    std::string time;  // 09:05:00
    std::string unit;  // "dBA" or "dBC"
    std::string rate;  // downloaded: "%d" of the set's rate; imported: "%2.1f s" of the file's
    std::string nums;  // "%d" samples
};

// The window's statistics fields as values.
struct DataLoggerFields {
    int dataNo = 0;            // 1005
    std::string startTime;     // 1014
    double maximum = 30.0;     // 1007
    std::string maximumTime;   // 1008
    double minimum = 130.0;    // 1044
    std::string minimumTime;   // 1010
    double avg = 0.0;          // 1006
    std::string unit;          // 1045
};

// (control id, text) of each field as its edit shows it: "%d" for DataNo.,
// levels with one decimal, the average with two. The full values stay in
// DataLoggerFields.
std::array<std::pair<int, std::string>, 8> DataLoggerFieldTexts(const DataLoggerFields& fields);

// What the data-logger graph gets for the set just opened (SetData): the
// set's start as a calendar time, pixels per second, and the samples, which
// stay valid until the next Open, Reset, load or import.
struct OpenedSet {
    std::int64_t start = 0;
    double scale = 0.0;
    const DataSample* samples = nullptr;
    int count = 0;
};

enum class OpenStatus { Opened, NoRow, OutOfMemory };

// The logic of the DataLogger window, so the window itself only shows and
// forwards: the record-set list, loading a download, importing a data file,
// opening a set with its statistics and title, and what Save Data writes.
//
// Where it goes its own way, soundly:
// - The downloaded bytes and set table are copied, so the list never points
//   into a buffer that the next download replaces.
// - Save Data writes the rate of the set last opened (a downloaded set's own
//   rate, 1 for a rate byte of 0x0F; an imported file's rate).
// - Sample dates run through the real calendar: 29 February exists in a leap
//   year, and a set that runs on past a month's end goes on counting days.
// - A set of 0 or 1 samples (or all at one time) is drawn over one second
//   rather than dividing by no duration; 0 samples give an average of 0.
// - Every set a download keeps is listed (up to 999), not only the first 100.
// - Downloaded readings whose digits are not decimal have no value: they are
//   left out of the samples and of Nums.
// - An import replaces the list only once the file has been read whole; a
//   file refused or unreadable leaves the list and its sets as they were.
class CDataLoggerModel {
public:
    explicit CDataLoggerModel(const IClock& clock);

    // Before a download and before Import Data: the set last opened is let go
    // (the window clears its graph), the title shows the current local time and
    // the fields their starting values. The list stays.
    void Reset();

    // A finished download: table entries 1 .. table.size() - 1 describe sets in
    // bytes (entry 0 holds no set). Lists up to maxListed of them; an entry
    // too short to hold a header is passed over, not taken for the end of the
    // list. Nums counts the readings that have a value (all digits decimal).
    // Returns the number of rows.
    int LoadRecordSets(const std::vector<std::uint8_t>& bytes, const std::vector<LoggerRecordSet>& table,
                       int maxListed = kListedSetsMax);

    // Import Data: Reset (the window clears its graph first), the file dialog
    // and reading through the data file reader, then the list, fields and
    // title of the import. changed runs after the reset and after the import
    // is taken, each time before any message, so the window shows what the
    // model holds whenever a message is up. False when nothing was imported
    // (cancelled or refused; the reader has told the user why): the list and
    // its sets stay, the fields show the reset.
    bool Import(IDialogSeam& dialogs, const std::function<void()>& changed = {});
    // The list, fields and title of a file already read.
    void TakeImport(DataFileImport data);

    // A double-click on row (−1 for no row). plotWidth is the graph's, in pixels.
    OpenStatus Open(int row, int plotWidth, OpenedSet* opened = nullptr);

    // Save Data: the set last opened (the header only when none is) with its rate.
    bool SaveData(IDialogSeam& dialogs) const;
    double SaveRate() const;

    const std::vector<DataLoggerRow>& Rows() const { return m_rows; }
    // Goes up whenever the rows change, so a list shows them again only then.
    int RowsVersion() const { return m_rowsVersion; }
    const DataLoggerFields& Fields() const { return m_fields; }
    const std::string& Title() const { return m_title; } // 1046
    bool Downloaded() const { return m_downloaded; }
    const std::vector<DataSample>& OpenedSamples() const { return m_opened; }
    // The data file the sets were imported from; empty for a download.
    const std::string& ImportedPath() const { return m_import.path; }
    // The list's set of row, with every field filled; row must be listed.
    const LoggerRecordSet& ListedSet(int row) const;

private:
    void ReleaseSets();
    OpenStatus OpenDownloaded(int row, int plotWidth, OpenedSet* opened);
    OpenStatus OpenImported(int row, int plotWidth, OpenedSet* opened);
    void Finish(const LoggerRecordSet& set, const DataSample* last, int count, double sum, int plotWidth,
                OpenedSet* opened);

    const IClock& m_clock;
    std::vector<DataLoggerRow> m_rows;
    int m_rowsVersion = 0;
    DataLoggerFields m_fields;
    std::string m_title;

    bool m_downloaded = false;
    std::vector<std::uint8_t> m_bytes;
    std::vector<LoggerRecordSet> m_sets; // downloaded: the listed sets; imported: the file's
    DataFileImport m_import;
    double m_rate = 0.0; // the window's rate: the last listed set's, or the imported file's

    std::vector<DataSample> m_opened;
    bool m_setOpened = false;
    double m_openedRate = 0.0;
};
