#pragma once

// What the graph tests share: a store of readings, a feed that widens the
// time scale as the recorder does, a graph control on its owner model, and
// looking at rendered pixels.
#include "common/DataSample.h"
#include "common/ScriptedDialogs.h"
#include "common/TimeText.h"
#include "graph/GraphOwnerModel.h"
#include "graph/TrafficGraphPainter.h"
#include "graph/widgets/CTrafficButton.h"
#include "tests/support/LatestOwnerView.h"

#include <QImage>

#include <cstdio>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

// The main form's graph: 560 x 279 pixels, a plot 530 wide.
inline constexpr int kGraphWidth = 560;
inline constexpr int kGraphHeight = 279;

// A store of 40000 samples, filled from slot 0.
struct TestStore {
    std::vector<DataSample> samples = std::vector<DataSample>(40000);
    int count = 0;

    // A reading at the given time of 12 May 2007 (seconds after midnight).
    void Add(double value, int secondOfDay, const std::string& date = "12-5-2007")
    {
        DataSample& s = samples[static_cast<std::size_t>(count++)];
        char time[32];
        std::snprintf(time, sizeof time, "%d:%02d:%02d", secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
        s.value = value;
        s.valid = 1;
        s.date = date;
        s.time = time;
        s.unit = "dBA";
    }
    const DataSample* Data() const { return samples.data(); }
};

inline std::int64_t TestTime(int secondOfDay)
{
    return MakeLocalTime(2007, 5, 12, 0, 0, secondOfDay);
}

// Stands for the recorder: widens the time scale when asked, as the view's
// ExtendTimeScale does, and reloads the page on a scroll.
class CTestFeed final : public IGraphFeed {
public:
    int ReadingLimit() const override { return limit; }
    void ScrollGraphTo(int firstReading) override
    {
        if (graph)
            graph->SetStartIndex(firstReading);
    }
    void AfterHorizontalScroll() override
    {
        if (graph && store)
            graph->NewReading(store->Data(), store->count);
    }
    void ScrollGraphVertically(int position) override
    {
        if (graph)
            graph->SetVerticalScrollPos(position);
    }
    void UndoGraphZoom() override
    {
        if (graph)
            graph->UndoZoom(store ? store->Data() : nullptr);
    }
    void ExtendTimeScale() override
    {
        ++extensions;
        if (graph)
            graph->SetTimeScale(origin, 530.0 / ((3.0 * limit - 2.0 * (store ? store->count : 0)) * period));
    }

    CTrafficGraph* graph = nullptr;
    TestStore* store = nullptr;
    int limit = 40000;
    double period = 0.5;
    std::int64_t origin = 0;
    int extensions = 0;
};

// A calendar that has no time for the dates of "31-12-1901", as where the C
// library cannot represent them.
inline std::optional<std::int64_t> RefuseOldDates(std::string_view date, std::string_view time)
{
    return date == "31-12-1901" ? std::nullopt : TrySampleCalendarTime(date, time);
}

// A graph control of the main form's size on its owner model.
struct TestGraph {
    TestGraph()
    {
        button.resize(kGraphWidth, kGraphHeight);
        button.Attach();
        feed.graph = &button.Graph();
        feed.store = &store;
    }

    // Hands the graph the store as the recorder does after a reading.
    void Feed(int index) { button.NewReading(store.Data(), index); }
    // Readings one second apart from secondOfDay, handed over as recorded.
    void Record(const std::vector<double>& values, int secondOfDay = 10 * 3600)
    {
        for (double v : values) {
            store.Add(v, secondOfDay++);
            if (store.count > 1)
                Feed(store.count - 1);
        }
    }
    // A zoom drag from the top at x over (almost) the whole height: page mode
    // on the page of the reading drawn at x, the dB range nearly unchanged.
    void ZoomAt(int x)
    {
        button.Graph().LeftButtonDown({x, 1});
        button.Graph().MouseMove({x + 20, kGraphHeight - 1});
        button.Graph().LeftButtonUp({x + 20, kGraphHeight - 1});
    }
    const TrafficGraphState& State() { return button.Graph().State(); }
    void StartClock(int secondOfDay, double period = 0.5)
    {
        feed.origin = TestTime(secondOfDay);
        feed.period = period;
        button.SetTimeScale(feed.origin, 530.0 / (feed.limit * period));
    }
    // The control as the screen shows it.
    QImage Grab() { return button.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TestStore store;
    CTestFeed feed;
    CLatestOwnerView view;
    CGraphOwnerModel owner{feed, &view};
    CScriptedDialogs dialogs;
    CTrafficButton button{owner, dialogs};
};

inline QRgb Rgb(const QColor& colour)
{
    return colour.rgb();
}

// Rows of column x that have the colour.
inline std::vector<int> RowsOf(const QImage& image, int x, const QColor& colour)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == colour.rgb())
            rows.push_back(y);
    return rows;
}

inline int CountColour(const QImage& image, const QColor& colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour.rgb();
    return n;
}
