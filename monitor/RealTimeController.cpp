#include "monitor/RealTimeController.h"

#include "common/Clock.h"
#include "common/DialogSeam.h"
#include "common/PackedBcd.h"
#include "graph/RealTimeGraph.h"
#include "meter/MeterState.h"
#include "monitor/RealTimeSetup.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCleanMaximum = 30.0;
constexpr double kCleanMinimum = 130.0;

constexpr const char* kMonitoringFinished = "Monitoring Time has finished. Do you want to save data?";
constexpr const char* kResetQuestion =
    "There is data in Real-Time graph, the graph has  to reset.\r\n Do you want to save the data?";
constexpr const char* kRateRefused = "Can not change Sampling Rate while real time is running.";
constexpr const char* kJournalFailed = " The readings of this run are kept in memory only: save them before you exit.";

} // namespace

CRealTimeController::CRealTimeController(const MeterState& state, IRealTimeGraph& graph, const IClock& clock,
                                         IDialogSeam& dialogs, IRealTimeSetupDialog& setupDialog,
                                         SaveDataFileFunction saveDataFile, PostFunction post,
                                         RealTimeControllerViews views)
    : m_state(state), m_graph(graph), m_clock(clock), m_dialogs(dialogs), m_setupDialog(setupDialog),
      m_saveDataFile(std::move(saveDataFile)), m_post(std::move(post)), m_views(views), m_startTime(clock.Now())
{
}

// ---- events from the decoder ----

void CRealTimeController::DisplayValueDecoded(double value)
{
    // A repeated maximum keeps the time it was first reached; a repeated
    // minimum moves to the latest occurrence. Until the meter's clock is known
    // there is no time to give them, so they wait for it as readings do.
    if (MeterClockKnown() && value - m_statistics.maximum > 0.01) {
        m_statistics.maximum = value;
        m_statistics.maximumTime = PadTimeText(m_state.clockText24);
    }
    if (MeterClockKnown() && value - m_statistics.minimum < 0.01) {
        m_statistics.minimum = value;
        m_statistics.minimumTime = PadTimeText(m_state.clockText24);
    }
    if (m_running && m_recordSource == 1)
        RecordByMeterClock(value);
}

void CRealTimeController::CurrentValueDecoded()
{
    if (!m_running || m_recordSource != 0)
        return;
    const BcdDigits digits = UnpackBcd(m_state.valueBytes[0], m_state.valueBytes[1]);
    if (!AllDecimal(digits))
        return;
    RecordByTick(LevelOfDigits(digits));
}

// A reading carries the meter's time of day and its weighting, so none is
// taken before the meter clock and the dBA/dBC indicator have been decoded:
// a program that connects between two status tags would otherwise label its
// first readings dBC whatever the meter measures.
bool CRealTimeController::MeterReadyToRecord() const
{
    return MeterClockKnown() && (m_state.dBA || m_state.dBC);
}

// A whole clock (hour, minute and second) has been decoded.
bool CRealTimeController::MeterClockKnown() const
{
    return m_state.clockValid;
}

// The meter's time of day on the reading date. Unlike a timestamp made with
// the PC's date it moves on when the meter passes midnight, and only then:
// the meter's clock drifts, so the PC's date and the meter's clock do not pass
// midnight together, and pacing on the PC's date would go back a day and take
// no reading until the other clock caught up.
std::int64_t CRealTimeController::MeterClockTime()
{
    const LocalDate date = ReadingDate();
    return MakeLocalTime(date.year, date.month, date.day, m_state.hour, m_state.minute, m_state.second);
}

void CRealTimeController::RecordByMeterClock(double value)
{
    if (!MeterReadyToRecord())
        return;
    if (!m_firstReadingTaken) {
        TakeFirstReading(value);
        return;
    }
    if (m_store.Count() >= m_limit) {
        EndMonitoring();
        return;
    }
    const std::int64_t elapsed = MeterClockTime() - m_lastReadingClock;
    // At 0.5 s every display value is recorded: the meter clock only has whole seconds.
    if (static_cast<double>(elapsed) < m_period && m_period != 0.5)
        return;
    Append(value);
}

void CRealTimeController::RecordByTick(double value)
{
    if (!MeterReadyToRecord())
        return;
    if (!m_firstReadingTaken) {
        TakeFirstReading(value);
        return;
    }
    const std::uint32_t tick = m_clock.TickCount();
    if (m_store.Count() >= m_limit) {
        EndMonitoring();
        return;
    }
    const std::uint32_t elapsed = tick - m_lastReadingTick; // wraps with the tick count
    if (static_cast<double>(elapsed) < m_period * 1000.0)
        return;
    m_lastReadingTick = tick;
    // While MAX or MIN hold is on the recording follows the held display.
    if (m_state.max)
        value = m_state.DisplayValue();
    if (m_state.min)
        value = m_state.DisplayValue();
    Append(value);
}

void CRealTimeController::TakeFirstReading(double value)
{
    m_sum = 0.0;
    m_firstReadingTaken = true;
    // Every run dates its readings from the PC's date of its first one: a
    // program left open for days would otherwise date them with an old day.
    m_haveDateBase = false;
    const LocalDate date = ReadingDate();
    m_startTime = MakeLocalTime(date.year, date.month, date.day, m_state.hour, m_state.minute, m_state.second);
    ApplyTimeScale(m_limit);
    m_statistics.startTime = PadTimeText(m_state.clockText24);
    m_store.SetCount(0);
    m_statistics.dataNo = 0;
    m_lastReadingClock = m_startTime;

    WriteSlot(0, value);
    m_sum += value;
    m_statistics.dataNo = 1;
    m_store.SetCount(1);
    m_statistics.avg = m_sum / m_statistics.dataNo;
    m_unsaved = true;
    BeginJournal();
    Journal(m_store[0]);
    // The graph learns of slot 0 with the second reading.
}

void CRealTimeController::Append(double value)
{
    const int index = m_store.Count();
    if (index >= ReadingStore::kSlots) // the limit is clamped to the store; this only guards it
        return;
    m_sum += value;
    m_statistics.dataNo += 1;
    m_statistics.avg = m_sum / m_statistics.dataNo;
    WriteSlot(index, value);
    m_lastReadingClock = MeterClockTime();
    m_graph.NewReading(m_store.Data(), index);
    m_store.SetCount(index + 1);
    m_unsaved = true;
    Journal(m_store[index]);
}

void CRealTimeController::BlockDecoded()
{
    if (m_journal)
        m_journal->Poll();
    RefreshStatistics();
}

void CRealTimeController::SetJournal(CRecordingJournal* journal, std::string folder, std::string path)
{
    m_journal = journal;
    m_journalFolder = std::move(folder);
    m_journalPath = std::move(path);
}

void CRealTimeController::BeginJournal()
{
    if (!m_journal)
        return;
    m_journal->Remove();
    const bool begun = m_journalPath.empty() ? m_journal->BeginInFolder(m_journalFolder, m_period)
                                             : m_journal->Begin(m_journalPath, m_period);
    if (!begun)
        m_journalFailureShown = false;
}

// A journal that cannot be written is said once a run, after the block being
// handled: the first reading is taken inside the receive handler.
void CRealTimeController::Journal(const DataSample& sample)
{
    if (!m_journal)
        return;
    m_journal->Append(sample);
    if (m_journal->IsOpen() || m_journalFailureShown)
        return;
    m_journalFailureShown = true;
    const std::string text = m_journal->Error() + "." + kJournalFailed;
    auto say = [this, text] { ShowMessage(m_dialogs, text); };
    if (m_post)
        m_post(say);
    else
        say();
}

bool CRealTimeController::Restore(const JournalContents& contents)
{
    const int n = std::min(static_cast<int>(contents.samples.size()), ReadingStore::kSlots);
    if (n == 0)
        return false;
    Clean();
    if (contents.rate > 0.0)
        SetParameters(contents.rate, m_limit);
    m_sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const DataSample& sample = contents.samples[static_cast<std::size_t>(i)];
        m_store[i] = sample;
        m_sum += sample.value;
        // As recorded: a repeated maximum keeps its first time, a repeated minimum takes the latest.
        if (sample.value - m_statistics.maximum > 0.01) {
            m_statistics.maximum = sample.value;
            m_statistics.maximumTime = PadTimeText(sample.time);
        }
        if (sample.value - m_statistics.minimum < 0.01) {
            m_statistics.minimum = sample.value;
            m_statistics.minimumTime = PadTimeText(sample.time);
        }
    }
    m_store.SetCount(n);
    m_statistics.dataNo = n;
    m_statistics.avg = m_sum / n;
    m_statistics.startTime = PadTimeText(m_store[0].time);
    m_startTime = SampleCalendarTime(m_store[0]);
    m_lastReadingClock = SampleCalendarTime(m_store[n - 1]);
    m_firstReadingTaken = true;
    m_unsaved = true;
    ApplyTimeScale(m_limit);
    m_graph.NewReading(m_store.Data(), n);
    RefreshStatistics();
    BeginJournal();
    for (int i = 0; i < n; ++i)
        Journal(m_store[i]);
    if (m_journal)
        m_journal->Sync();
    return true;
}

void CRealTimeController::WriteSlot(int index, double value)
{
    DataSample& slot = m_store[index];
    slot.valid = 1;
    slot.date = DateText(ReadingDate());
    slot.time = m_state.clockText24;
    slot.value = value;
    slot.unit = m_state.dBA ? "dBA" : "dBC";
}

void CRealTimeController::EndMonitoring()
{
    Stop();
    auto ask = [this] {
        if (AskOkCancel(m_dialogs, kMonitoringFinished))
            SaveReadings();
    };
    if (m_post)
        m_post(ask);
    else
        ask();
}

void CRealTimeController::SaveReadings()
{
    Save();
}

bool CRealTimeController::Save()
{
    if (!m_saveDataFile || !m_saveDataFile(m_store.Data(), m_store.Count(), m_period))
        return false;
    m_unsaved = false;
    // A run still going on keeps its journal: the readings still to come need it.
    if (!m_running && m_journal)
        m_journal->Remove();
    return true;
}

// The meter's midnights are counted by the day offset. Adding it to today's
// date would count a midnight twice once the PC's date has moved on as well,
// so it is added to the date of the run's first reading.
LocalDate CRealTimeController::ReadingDate()
{
    if (!m_haveDateBase) {
        m_dateBase = LocalDateOf(m_clock.Now(), -m_state.dayOffset);
        m_haveDateBase = true;
    }
    return LocalDateOf(MakeLocalTime(m_dateBase.year, m_dateBase.month, m_dateBase.day, 12, 0, 0),
                       m_state.dayOffset);
}

void CRealTimeController::ApplyTimeScale(double readingsAcross)
{
    // A limit of 0 still records the first reading: scale for at least one.
    const double across = std::max(readingsAcross, 1.0);
    m_timeScale = m_graph.GetPlotWidth() / (across * m_period);
    m_graph.SetTimeScale(m_startTime, m_timeScale);
}

// ---- commands ----

void CRealTimeController::Run()
{
    if (m_store.Count() > 0) {
        if (AskOkCancel(m_dialogs, kResetQuestion))
            SaveReadings();
        Clean();
    }
    m_running = true;
    m_graph.SetScrolling(1);
}

void CRealTimeController::Stop()
{
    m_running = false;
    m_graph.SetScrolling(0);
    if (m_journal)
        m_journal->Sync();
}

void CRealTimeController::Setup()
{
    const LocalDateTime start = BreakDownLocalTime(m_startTime);
    m_setupDialog.SetStart(start.year, start.month, start.day, start.hour, start.minute, start.second);
    m_setupDialog.SetParameters(m_period, m_limit);
    if (!m_setupDialog.Run())
        return;
    double period = m_period;
    int limit = m_limit;
    int choice = m_rateIndex;
    m_setupDialog.GetParameters(period, limit, choice);
    if (period > 0.0)
        m_period = period;
    m_limit = std::clamp(limit, 0, ReadingStore::kSlots);
    SelectRate(choice);
    m_recordSource = m_period >= 0.5 ? 1 : 0;
    Run();
}

void CRealTimeController::SetParameters(double period, int limit)
{
    if (period > 0.0)
        m_period = period;
    m_limit = std::clamp(limit, 0, ReadingStore::kSlots);
    m_recordSource = m_period >= 0.5 ? 1 : 0;
    SelectRateOfPeriod();
}

void CRealTimeController::Clean()
{
    Stop();
    m_store.EmptySlots();
    m_statistics.maximum = kCleanMaximum;
    m_statistics.minimum = kCleanMinimum;
    m_statistics.dataNo = 0;
    m_firstReadingTaken = false;
    m_statistics.avg = 0.0;
    m_unsaved = false;
    if (m_journal)
        m_journal->Remove();
    RefreshStatistics();
    m_graph.Clear();
}

void CRealTimeController::SamplingRateSelected(int index)
{
    if (m_running) {
        ShowMessage(m_dialogs, kRateRefused);
        SelectRateOfPeriod();
        return;
    }
    if (index < 0 || index >= kSamplingRateCount)
        return;
    m_rateIndex = index;
    m_period = RateItemValue(index);
    m_recordSource = m_period >= 0.5 ? 1 : 0;
    ApplyTimeScale(m_limit);
}

void CRealTimeController::SelectRate(int index)
{
    m_rateIndex = (index >= 0 && index < kSamplingRateCount) ? index : -1;
    if (m_views.controls)
        m_views.controls->ShowSamplingRate(m_rateIndex);
}

void CRealTimeController::SelectRateOfPeriod()
{
    SelectRate(FindRateItem(IntervalText(m_period), 0));
}

void CRealTimeController::ShowHistogram() const
{
    m_graph.SetStyle(0);
}

void CRealTimeController::ShowLine() const
{
    m_graph.SetStyle(1);
}

void CRealTimeController::Print() const
{
    m_graph.PrintGraph();
}

bool CRealTimeController::CanDataLogger(bool connected) const
{
    return connected && !m_state.rec;
}

void CRealTimeController::RefreshStatistics() const
{
    if (m_views.statistics)
        m_views.statistics->ShowStatistics(MakeStatisticsTexts(m_statistics));
}

// ---- what the graph's owner asks of the graph ----

void CRealTimeController::ScrollGraphTo(int firstReading)
{
    m_graph.SetStartIndex(firstReading);
}

void CRealTimeController::AfterHorizontalScroll()
{
    // While nothing is recorded the graph repaints only when told.
    if (!m_running)
        m_graph.NewReading(m_store.Data(), m_store.Count());
}

void CRealTimeController::ScrollGraphVertically(int position)
{
    m_graph.SetVerticalScrollPos(position);
}

void CRealTimeController::UndoGraphZoom()
{
    m_graph.UndoZoom(m_store.Data());
}

void CRealTimeController::ExtendTimeScale()
{
    ApplyTimeScale(3.0 * m_limit - 2.0 * m_statistics.dataNo);
}
