#pragma once

#include "common/DataSample.h"

#include <cstdint>
#include <string>
#include <vector>

class IClock;

// The recovery journal of a recording: a data file (the header with the
// sampling rate, then one reading a line, CR CR LF) that grows as readings are
// taken. Each reading is handed to the system as soon as it is taken, so a
// program that is killed loses none of them; the file is flushed to disk at
// most once a second (and at the end), so a power cut loses at most the last
// second. While a journal is open its file is locked: a journal nobody holds
// the lock of is orphaned, whatever process number its name carries. The
// program's journals are "vexalog-recording.<pid>.<n>.journal" in its working
// folder; the command line's is its output file with ".partial" added.
class CRecordingJournal {
public:
    static constexpr std::uint32_t kSyncIntervalMs = 1000;
    static constexpr const char* kNamePrefix = "vexalog-recording.";
    static constexpr const char* kNameSuffix = ".journal";

    explicit CRecordingJournal(const IClock& clock) : m_clock(clock) {}
    ~CRecordingJournal(); // closes (and unlocks) the file, which stays
    CRecordingJournal(const CRecordingJournal&) = delete;
    CRecordingJournal& operator=(const CRecordingJournal&) = delete;

    // Creates path (which must not exist yet), locks it and writes the header.
    // False with Error() set when it cannot.
    bool Begin(const std::string& path, double rate);
    // A new journal in folder under a name no other file has.
    bool BeginInFolder(const std::string& folder, double rate);
    // Appends one reading; a failed write closes the journal with Error() set.
    void Append(const DataSample& sample);
    // Flushes to disk when the last flush is a second old and readings came since.
    void Poll();
    // Flushes to disk now (the end of a run).
    void Sync();
    // Closes the file and deletes it: its readings were saved or given up.
    void Remove();
    // Closes the file, which stays.
    void Close();

    // Takes the first orphaned journal of folder (oldest first): opens and
    // locks it, so no other program takes it meanwhile. False when there is none.
    bool TakeOrphan(const std::string& folder);
    // The orphan taken becomes this program's journal: renamed to a name of
    // ours and open for further readings. False with Error() set when it cannot.
    bool Adopt(const std::string& folder);

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }
    int Syncs() const { return m_syncs; } // flushes to disk so far

private:
    bool Fail(const std::string& what);
    bool LockOpen(const std::string& path, int flags);

    const IClock& m_clock;
    int m_fd = -1;
    std::string m_path;
    std::string m_error;
    bool m_unsynced = false;
    std::uint32_t m_lastSync = 0;
    bool m_everSynced = false;
    int m_syncs = 0;
};

// What a journal holds: every whole reading, and how many lines were damaged
// (cut short, garbage) and left out.
struct JournalContents {
    bool opened = false;
    std::string error; // why it could not be read
    double rate = 0.0; // 0 when the header is damaged
    std::vector<DataSample> samples;
    int damagedLines = 0;
};

// Reads a journal (or any data file) strictly: a reading line is
// "D-M-YYYY, H:MM:SS, VALUE, dBA|dBC" ended by CR CR LF; anything else counts
// as damaged. At most maxReadings readings are kept; more count as damaged.
JournalContents ReadJournal(const std::string& path, int maxReadings);

// Whether line is a reading as the recorder writes it; fills sample when it is.
bool ParseJournalLine(const std::string& line, DataSample& sample);
