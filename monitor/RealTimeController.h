#pragma once

#include "GraphOwner.h"
#include "ReadingStore.h"
#include "RealTimeStatistics.h"
#include "TimeText.h"

#include <cstdint>
#include <functional>
#include <string>

class IClock;
class IDialogSeam;
class IRealTimeGraph;
class IRealTimeSetupDialog;
struct MeterState;

// The horizontal bar under the graph (1030); its range is always 0..maximum.
struct HScrollBarState {
    int step = 265; // readings per scroll position
    int maximum = 150;
    int position = 0;
    bool arrowsEnabled = false;
    friend bool operator==(const HScrollBarState&, const HScrollBarState&) = default;
};

// The vertical bar beside the graph (1039); its range is always 0..maximum.
struct VScrollBarState {
    double unit = 0.0; // dB per scroll position
    int maximum = 0;
    int position = 0;
    bool arrowsEnabled = false;
    friend bool operator==(const VScrollBarState&, const VScrollBarState&) = default;
};

// What a scroll bar reports, in the window system's terms.
enum class ScrollCode { LineBack, LineForward, PageBack, PageForward, ThumbPosition, ThumbTrack, ToStart, ToEnd, EndScroll };

// The form's controls that mirror the controller's model: both scroll bars and
// the sampling-rate box. Told whenever the controller changes them itself.
class IRealTimeControlsView {
public:
    virtual ~IRealTimeControlsView() = default;
    virtual void ShowHScrollBar(const HScrollBarState& bar) = 0;
    virtual void ShowVScrollBar(const VScrollBarState& bar) = 0;
    virtual void ShowSamplingRate(int index) = 0; // -1: no item selected
};

// Where the graph's three time labels go (the time strip 1051).
class ITimeLabelsSink {
public:
    virtual ~ITimeLabelsSink() = default;
    virtual void SetTimeLabels(const std::string& left, const std::string& middle, const std::string& right) = 0;
};

// The sinks of the controller; any may be left out.
struct RealTimeControllerViews {
    IStatisticsView* statistics = nullptr;
    IRealTimeControlsView* controls = nullptr;
    ITimeLabelsSink* timeLabels = nullptr;
};

// Writes samples 0 .. count - 1 to a data file at the given sampling rate.
using SaveDataFileFunction = std::function<void(const DataSample* samples, int count, double rate)>;

// Runs a task once the event being handled is over (the view queues it on its
// event loop). The end-of-monitoring question and the save after it go this
// way: readings arrive inside the serial receive handler, and while a dialog
// waits in there no more data is received and the link is taken as lost.
using PostFunction = std::function<void(std::function<void()> task)>;

// The main view's acquisition logic: Run, Stop, Setup and Clean, the sampling
// rate, the recording limit, the two pacing rules, the statistics, the end of
// monitoring, the scroll bars of the graph area and the graph's callbacks.
class CRealTimeController final : public IGraphOwner {
public:
    // post: where the end-of-monitoring question goes; without one it is asked at once.
    CRealTimeController(const MeterState& state, IRealTimeGraph& graph, const IClock& clock, IDialogSeam& dialogs,
                        IRealTimeSetupDialog& setupDialog, SaveDataFileFunction saveDataFile, PostFunction post,
                        RealTimeControllerViews views = {});

    // Events from the decoder.
    void DisplayValueDecoded(double value); // tag 0x0B
    void CurrentValueDecoded();             // tag 0x0D: the value bytes of MeterState
    // The port was opened (again): the meter on it may count its days anew,
    // so the next reading takes its date from the PC again.
    void LinkOpened() { m_haveDateBase = false; }

    // Commands.
    void Run();
    void Stop();   // also for a lost link and the end of a download
    void Setup();
    void Clean();
    void SamplingRateSelected(int index); // the user chose item index of box 1038
    void ShowHistogram() const;           // Graph / Histogram
    void ShowLine() const;                // Graph / Line
    void UndoZoom();                      // button 1037
    void Print() const;                   // 32797
    void HorizontalScroll(ScrollCode code, int thumbPosition); // bar 1030 only
    void VerticalScroll(ScrollCode code, int thumbPosition);   // bar 1039 only

    // Copies the statistics into their fields (after each decoded block).
    void RefreshStatistics() const;

    // Enable rules of the menu and toolbar.
    bool CanRun() const { return !m_running; }
    bool CanStop() const { return m_running; }
    bool CanSetup() const { return !m_running; }
    bool CanHistogram() const { return m_histogramAllowed != 0; }
    bool CanPrint() const { return m_printAllowed != 0; }
    bool CanDataLogger(bool connected) const;

    // IGraphOwner: the real-time graph reports here.
    void ShowCursorA(double value, const std::string& clockText) override;
    void ShowCursorB(double value, const std::string& clockText) override;
    void ShowMaxBetween(double value, const std::string& clockText) override;
    void ShowMinBetween(double value, const std::string& clockText) override;
    void ShowAvgBetween(double value) override;
    void ClearBetweenReadouts() override;
    void SetTimeLabels(const std::string& left, const std::string& middle, const std::string& right) override;
    void SetPrintAllowed(int allowed) override { m_printAllowed = allowed; }
    void SetHistogramAllowed(int allowed) override { m_histogramAllowed = allowed; }
    void SetHScrollPage(int step) override;
    void SetHScrollPos(int readingIndex) override;
    int GetHScrollPos() const override { return m_hBar.position; }
    void SetVScroll(double unit, int maximum, double topLevel) override;
    void ExtendTimeScale() override;

    // State.
    const ReadingStore& Store() const { return m_store; }
    const RealTimeStatistics& Statistics() const { return m_statistics; }
    RealTimeStatisticsTexts StatisticsTexts() const { return MakeStatisticsTexts(m_statistics); }
    bool Running() const { return m_running; }
    bool FirstReadingTaken() const { return m_firstReadingTaken; }
    double SamplingPeriod() const { return m_period; }
    int ReadingLimit() const { return m_limit; }
    int RecordSource() const { return m_recordSource; } // 1 meter clock, 0 tick count
    std::int64_t StartTime() const { return m_startTime; }
    double TimeScale() const { return m_timeScale; }
    double Sum() const { return m_sum; }
    int FirstVisibleReading() const { return m_firstVisibleReading; }
    int SamplingRateIndex() const { return m_rateIndex; }
    const HScrollBarState& HScrollBar() const { return m_hBar; }
    const VScrollBarState& VScrollBar() const { return m_vBar; }

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
    void PublishHBar() const;
    void PublishVBar() const;

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
    int m_firstVisibleReading = 0;
    int m_histogramAllowed = 0;
    int m_printAllowed = 1;

    int m_rateIndex = 2;
    HScrollBarState m_hBar;
    VScrollBarState m_vBar;

    // The PC's date at the first reading of the run (or after the port was
    // opened again), less the meter's midnights counted until then: reading
    // dates are this plus the day offset, so they follow the meter's own day.
    bool m_haveDateBase = false;
    LocalDate m_dateBase;
};
