#pragma once

// Stand-ins shared by the controller tests: a graph that records every call,
// a scripted Setup dialog and recording sinks, around one controller.
#include "common/Clock.h"
#include "common/ScriptedDialogs.h"
#include "common/TimeText.h"
#include "graph/RealTimeGraph.h"
#include "meter/MeterState.h"
#include "monitor/RealTimeController.h"
#include "monitor/RealTimeSetup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CRecordingGraph final : public IRealTimeGraph {
public:
    void SetScrolling(int on) override { scrolling.push_back(on); }
    void SetTimeScale(std::int64_t startTime, double pixelsPerSecond) override
    {
        timeScales.emplace_back(startTime, pixelsPerSecond);
    }
    void NewReading(const DataSample* store, int index) override
    {
        newReadingStore = store;
        newReadings.push_back(index);
    }
    void Clear() override { ++clears; }
    void SetStyle(int style) override { styles.push_back(style); }
    void SetStartIndex(int index) override { startIndexes.push_back(index); }
    void SetVerticalScrollPos(int position) override { verticalPositions.push_back(position); }
    void UndoZoom(const DataSample* store) override { undoZoomStores.push_back(store); }
    int GetPlotWidth() const override { return plotWidth; }
    void PrintGraph() override { ++prints; }

    int plotWidth = 530;
    std::vector<int> scrolling;
    std::vector<std::pair<std::int64_t, double>> timeScales;
    std::vector<int> newReadings;
    const DataSample* newReadingStore = nullptr;
    int clears = 0;
    std::vector<int> styles;
    std::vector<int> startIndexes;
    std::vector<int> verticalPositions;
    std::vector<const DataSample*> undoZoomStores;
    int prints = 0;
};

class CScriptedSetup final : public IRealTimeSetupDialog {
public:
    void SetStart(int year, int month, int day, int hour, int minute, int second) override
    {
        start = {year, month, day, hour, minute, second};
    }
    void SetParameters(double interval, int count) override
    {
        givenInterval = interval;
        givenCount = count;
    }
    bool Run() override
    {
        ++runs;
        return answerStart;
    }
    void GetParameters(double& interval, int& count, int& choice) const override
    {
        interval = resultInterval;
        count = resultCount;
        choice = resultChoice;
    }

    LocalDateTime start;
    double givenInterval = 0.0;
    int givenCount = 0;
    int runs = 0;
    bool answerStart = true;
    double resultInterval = 0.5;
    int resultCount = 20000;
    int resultChoice = 2;
};

class CRecordingViews final : public IStatisticsView, public IRealTimeControlsView {
public:
    void ShowStatistics(const RealTimeStatisticsTexts& texts) override
    {
        last = texts;
        ++refreshes;
    }
    void ShowSamplingRate(int index) override { rateSelections.push_back(index); }

    RealTimeStatisticsTexts last;
    int refreshes = 0;
    std::vector<int> rateSelections;
};

struct SavedFile {
    std::vector<DataSample> samples;
    double rate = 0.0;
    const DataSample* address = nullptr;
};

class RealTimeControllerFixture : public ::testing::Test {
protected:
    // The PC's clock: 12 May 2007, 10:00:00 local time.
    // The meter shows dBA, as after its first weighting tag.
    RealTimeControllerFixture() : clock(MakeLocalTime(2007, 5, 12, 10, 0, 0), 0) { state.dBA = true; }

    // The meter's clock as the decoder leaves it after a clock tag, dated with
    // the PC's current date.
    void SetMeterClock(int hour, int minute, int second)
    {
        state.hour = hour;
        state.minute = minute;
        state.second = second;
        char text[32];
        std::snprintf(text, sizeof text, "%d:%02d:%02d", hour, minute, second);
        state.clockText24 = text;
        state.clockValid = true;
        const LocalDate today = LocalDateOf(clock.Now());
        state.clockTimestamp = MakeLocalTime(today.year, today.month, today.day, hour, minute, second);
    }

    // A display tag with value bytes b1, b2.
    void Display(std::uint8_t b1, std::uint8_t b2)
    {
        state.valueBytes[0] = b1;
        state.valueBytes[1] = b2;
        state.displayDigits[0] = b1 >> 4;
        state.displayDigits[1] = b1 & 0x0F;
        state.displayDigits[2] = b2 >> 4;
        state.displayDigits[3] = b2 & 0x0F;
        state.displayValid = true;
        controller.DisplayValueDecoded(state.DisplayValue());
    }

    // A current-value tag with value bytes b1, b2 at the PC tick tick.
    void Current(std::uint8_t b1, std::uint8_t b2, std::uint32_t tick)
    {
        clock.SetTick(tick);
        state.valueBytes[0] = b1;
        state.valueBytes[1] = b2;
        controller.CurrentValueDecoded();
    }

    int Count() const { return controller.Store().Count(); }
    // What the controller left for after the event: the view's event loop runs it.
    void RunPosted()
    {
        while (!posted.empty()) {
            auto task = std::move(posted.front());
            posted.erase(posted.begin());
            task();
        }
    }
    const DataSample& Slot(int i) const { return controller.Store()[i]; }

    MeterState state;
    CRecordingGraph graph;
    CManualClock clock;
    CScriptedDialogs dialogs;
    CScriptedSetup setup;
    CRecordingViews views;
    std::vector<SavedFile> saves;
    std::vector<std::function<void()>> posted;
    CRealTimeController controller{state,
                                   graph,
                                   clock,
                                   dialogs,
                                   setup,
                                   [this](const DataSample* samples, int count, double rate) {
                                       saves.push_back({std::vector<DataSample>(samples, samples + count), rate,
                                                        samples});
                                       return true;
                                   },
                                   [this](std::function<void()> task) { posted.push_back(std::move(task)); },
                                   RealTimeControllerViews{&views, &views}};
};
