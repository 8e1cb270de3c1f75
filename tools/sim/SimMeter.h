#pragma once

// The simulated meter's state: what it shows, what the keys do, and its data
// logger. Time is given by the caller in seconds since the simulator started,
// so the state is driven the same way by the main loop and by tests.

#include "tools/sim/SimLevels.h"
#include "tools/sim/SimWire.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class CSimMeter {
public:
    // clockStart: the meter's date and time at second 0, as a time_t whose
    // UTC fields are the meter's local date and time (no daylight-saving jumps).
    CSimMeter(std::unique_ptr<ILevelModel> model, std::time_t clockStart);

    void SetLevelModel(std::unique_ptr<ILevelModel> model, double now);
    // Updates the level, OVER/UNDER, the recording and the periodic status repeat.
    void Advance(double now);
    // The next 20-byte block of the stream: the current value first (the sync
    // pair), the clock when its second changed, bar and display twice a second,
    // then as many waiting status tags as fit.
    std::array<std::uint8_t, SimWire::kBlockSize> NextBlock(double now);

    // A key byte, from the program or pressed on the meter; false when the byte is no key.
    bool PressKey(std::uint8_t key, double now);
    void ToggleHold();

    // Replaces the logger's sets; a recording in progress goes on in a new set after them.
    void SetLogger(std::vector<SimWire::LoggerSet> sets, double now);
    const std::vector<SimWire::LoggerSet>& LoggerSets() const { return m_sets; }
    std::vector<std::uint8_t> LoggerData() const { return SimWire::DumpData(m_sets); }

    // Lines for the simulator's stdout, e.g. "REC ON", gathered since the last call.
    std::vector<std::string> TakeMessages();

    double Level() const { return m_level; }
    double DisplayLevel() const;
    int Range() const { return m_range; }
    bool Recording() const { return m_recording; }
    bool Fast() const { return m_fast; }
    bool CWeighted() const { return m_cWeighted; }
    bool Hold() const { return m_hold; }
    int MaxMinMode() const { return m_maxMin; } // 0 off, 1 MAX, 2 MIN
    std::tm ClockAt(double now) const;

private:
    void QueueFullStatus();
    void QueueRangeTag();
    void QueueOverUnder();
    void StartRecording(double now);
    void StopRecording();
    void StoreReading();

    std::unique_ptr<ILevelModel> m_model;
    double m_modelStart = 0.0;
    std::time_t m_clockStart;

    double m_level = 0.0;
    double m_extreme = 0.0; // the held maximum or minimum
    double m_heldDisplay = 0.0;
    bool m_fast = true;
    bool m_cWeighted = false;
    int m_maxMin = 0;
    int m_range = 4;
    bool m_hold = false;
    bool m_over = false;
    bool m_under = false;

    bool m_recording = false;
    std::size_t m_recordSet = 0;
    double m_nextReading = 0.0;
    std::vector<SimWire::LoggerSet> m_sets;
    std::size_t m_dataBytes = 0;

    std::deque<std::uint8_t> m_pendingTags;
    double m_nextStatusRepeat = 0.0;
    long m_lastClockSecond = -1;
    long m_lastDisplayHalf = -1;
    std::vector<std::string> m_messages;
};
