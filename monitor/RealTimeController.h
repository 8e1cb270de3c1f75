#pragma once

#include "common/TimeText.h"
#include "graph/GraphOwnerModel.h"
#include "meter/MeterLinkListener.h"
#include "monitor/ReadingStore.h"
#include "monitor/RealTimeStatistics.h"
#include "monitor/RecordingJournal.h"

#include <cstdint>
#include <functional>
#include <string>

class IClock;
class IDialogSeam;
class IRealTimeGraph;
class IRealTimeSetupDialog;
struct MeterState;

// The form's control that mirrors the controller's model: the sampling-rate
// box. Told whenever the controller changes it itself.
class IRealTimeControlsView {
public:
    virtual ~IRealTimeControlsView() = default;
    virtual void ShowSamplingRate(int index) = 0; // -1: no item selected
};

// The sinks of the controller; either may be left out.
struct RealTimeControllerViews {
    IStatisticsView* statistics = nullptr;
    IRealTimeControlsView* controls = nullptr;
};

// Writes samples 0 .. count - 1 to a data file at the given sampling rate;
// true when they were saved.
using SaveDataFileFunction = std::function<bool(const DataSample* samples, int count, double rate)>;

// Runs a task once the event being handled is over (the view queues it on its
// event loop). The end-of-monitoring question and the save after it go this
// way: readings arrive inside the serial receive handler, and while a dialog
// waits in there no more data is received and the link is taken as lost.
using PostFunction = std::function<void(std::function<void()> task)>;

// The main view's acquisition logic: Run, Stop, Setup and Clean, the sampling
// rate, the recording limit, the two pacing rules, the statistics and the end
// of monitoring. It feeds the real-time graph: what the graph's owner asks of
// the graph (scrolling, zoom reset, a wider time scale) comes through here,
// since the store and the run state are the controller's. It listens to the
// meter link itself (its owner subscribes it): decoded values, the end of
// each block, the port opened and the link lost.
class CRealTimeController final : public IGraphFeed, public IMeterLinkListener {
public:
    // post: where the end-of-monitoring question goes; without one it is asked at once.
    CRealTimeController(const MeterState& state, IRealTimeGraph& graph, const IClock& clock, IDialogSeam& dialogs,
                        IRealTimeSetupDialog& setupDialog, SaveDataFileFunction saveDataFile, PostFunction post,
                        RealTimeControllerViews views = {});

    // IMeterLinkListener: events from the link.
    void DisplayValueDecoded(double value) override; // tag 0x0B
    void CurrentValueDecoded() override;             // tag 0x0D: the value bytes of MeterState
    void BlockDecoded() override;
    // The port was opened (again): the meter on it may count its days anew,
    // so the next reading takes its date from the PC again.
    void PortOpened() override { LinkOpened(); }
    void LinkLost() override { Stop(); }
    void LinkOpened() { m_haveDateBase = false; }

    // Commands.
    void Run();
    void Stop();   // also for a lost link and the end of a download
    void Setup();
    void Clean();
    // Save as: true when the readings were saved. A run that has ended then
    // no longer needs its recovery journal.
    bool Save();

    // The recovery journal every run writes: a new one in folder, or the
    // given path when not empty. Without one nothing is journalled.
    void SetJournal(CRecordingJournal* journal, std::string folder, std::string path = {});
    // Readings of a journal left by a program that ended without saving them
    // come back into the store as they were recorded, with their statistics,
    // and into a journal of this program. False when it holds none.
    bool Restore(const JournalContents& contents);
    // Readings that were neither saved nor deliberately cleaned.
    bool HasUnsavedReadings() const { return m_unsaved; }
    void SamplingRateSelected(int index); // the user chose item index of box 1038
    void ShowHistogram() const;           // Graph / Histogram
    void ShowLine() const;                // Graph / Line
    void Print() const;                   // 32797

    // Copies the statistics into their fields (after each decoded block).
    void RefreshStatistics() const;

    // Enable rules of the menu and toolbar.
    bool CanRun() const { return !m_running; }
    bool CanStop() const { return m_running; }
    bool CanSetup() const { return !m_running; }
    bool CanDataLogger(bool connected) const;

    // IGraphFeed: the graph owner's scroll bars and zoom reset.
    int ReadingLimit() const override { return m_limit; }
    void ScrollGraphTo(int firstReading) override;
    void AfterHorizontalScroll() override;
    void ScrollGraphVertically(int position) override;
    void UndoGraphZoom() override;
    void ExtendTimeScale() override;

    // State.
    const ReadingStore& Store() const { return m_store; }
    const RealTimeStatistics& Statistics() const { return m_statistics; }
    RealTimeStatisticsTexts StatisticsTexts() const { return MakeStatisticsTexts(m_statistics); }
    bool Running() const { return m_running; }
    bool FirstReadingTaken() const { return m_firstReadingTaken; }
    double SamplingPeriod() const { return m_period; }
    int RecordSource() const { return m_recordSource; } // 1 meter clock, 0 tick count
    std::int64_t StartTime() const { return m_startTime; }
    double TimeScale() const { return m_timeScale; }
    double Sum() const { return m_sum; }
    int SamplingRateIndex() const { return m_rateIndex; }

    // Sampling period and reading limit as a run would get them from Setup, for
    // callers without a dialog (the command line); the rate box follows.
    void SetParameters(double period, int limit);

private:
    bool MeterClockKnown() const;
    bool MeterReadyToRecord() const;
    std::int64_t MeterClockTime();
    void RecordByMeterClock(double value);
    void RecordByTick(double value);
    void TakeFirstReading(double value);
    void Append(double value);
    void EndMonitoring();
    void WriteSlot(int index, double value);
    LocalDate ReadingDate();
    void ApplyTimeScale(double readingsAcross);
    void SelectRate(int index);
    void SelectRateOfPeriod();
    void SaveReadings();
    void BeginJournal();
    void Journal(const DataSample& sample);

    const MeterState& m_state;
    IRealTimeGraph& m_graph;
    const IClock& m_clock;
    IDialogSeam& m_dialogs;
    IRealTimeSetupDialog& m_setupDialog;
    SaveDataFileFunction m_saveDataFile;
    PostFunction m_post;
    RealTimeControllerViews m_views;

    ReadingStore m_store;
    RealTimeStatistics m_statistics;

    bool m_running = false;
    bool m_firstReadingTaken = false;
    double m_period = 0.5;
    int m_limit = ReadingStore::kSlots;
    int m_recordSource = 1;
    std::uint32_t m_lastReadingTick = 0;
    std::int64_t m_lastReadingClock = 0; // MeterClockTime of the last reading
    std::int64_t m_startTime = 0;
    double m_timeScale = 0.0;
    double m_sum = 0.0;

    int m_rateIndex = 2;

    bool m_unsaved = false;
    CRecordingJournal* m_journal = nullptr;
    std::string m_journalFolder;
    std::string m_journalPath;
    bool m_journalFailureShown = false;

    // The PC's date at the first reading of the run (or after the port was
    // opened again), less the meter's midnights counted until then: reading
    // dates are this plus the day offset, so they follow the meter's own day.
    bool m_haveDateBase = false;
    LocalDate m_dateBase;
};
