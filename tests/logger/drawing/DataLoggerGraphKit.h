#pragma once

// What the data-logger graph tests share: record sets as the DataLogger
// window hands them over, a graph on the window's kind of owner model (times
// shown as handed over) with a view that records what it is shown, and
// looking at rendered pixels.
#include "common/TimeText.h"
#include "graph/GraphOwnerModel.h"
#include "logger/DataLoggerGraph.h"
#include "logger/DataLoggerPainter.h"
#include "tests/support/LatestOwnerView.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <string>
#include <vector>

// The DataLogger window's graph: 375 x 161 dialog units.
inline constexpr int kLoggerGraphWidth = 654;
inline constexpr int kLoggerGraphHeight = 302;

// A record set rebuilt from a download: "%d:%d:%d" times and "%d-%d-%d"
// dates, from 7 March 2007 at the given second of the day (on into the next days).
struct TestSet {
    std::vector<DataSample> samples;
    int startSecond = 0;

    explicit TestSet(int startSecondOfDay = 9 * 3600 + 4 * 60 + 57) : startSecond(startSecondOfDay) {}

    // A sample at startSecond + offset seconds.
    TestSet& At(int offset, double value)
    {
        const int second = startSecond + offset;
        char time[32];
        std::snprintf(time, sizeof time, "%d:%d:%d", second / 3600 % 24, second / 60 % 60, second % 60);
        DataSample s;
        s.value = value;
        s.valid = 1;
        s.date = std::to_string(7 + second / 86400) + "-3-2007";
        s.time = time;
        s.unit = "dBA";
        samples.push_back(s);
        return *this;
    }
    // Values rate seconds apart, following the last sample (from offset 0 in an empty set).
    TestSet& Every(int rate, const std::vector<double>& values)
    {
        const int base = samples.empty() ? 0 : Offset(static_cast<int>(samples.size()) - 1) + rate;
        for (std::size_t k = 0; k < values.size(); ++k)
            At(base + static_cast<int>(k) * rate, values[k]);
        return *this;
    }
    int Offset(int index) const
    {
        return static_cast<int>(SampleCalendarTime(samples[static_cast<std::size_t>(index)]) - Start());
    }
    std::int64_t Start() const { return MakeLocalTime(2007, 3, 7, 0, 0, startSecond); }
    int Count() const { return static_cast<int>(samples.size()); }
    const DataSample* Data() const { return samples.data(); }
};

// The graph on the owner model the DataLogger window gives it.
struct LoggerGraph {
    explicit LoggerGraph(int width = kLoggerGraphWidth, int height = kLoggerGraphHeight,
                         CReadingCache::Converter convert = nullptr)
        : graph(owner, nullptr, convert)
    {
        feed.SetGraph(&graph);
        graph.Attach(width, height);
    }

    // Opens the set as the window does: its own scale, then the zoom reset.
    void Open(const TestSet& set)
    {
        const int span = set.Offset(set.Count() - 1);
        graph.SetData(set.Start(), graph.GetPlotWidth() / static_cast<double>(span), set.Data(), set.Count());
        owner.UndoZoom();
    }
    QImage Draw(TraceRendering rendering = TraceRendering::Fast)
    {
        const DataLoggerGraphState& s = graph.State();
        QImage image(s.width, s.height, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        drawer.Draw(painter, graph, rendering);
        return image;
    }
    void Drag(GraphPoint from, GraphPoint to)
    {
        graph.LeftButtonDown(from);
        graph.MouseMove(to);
        graph.LeftButtonUp(to);
    }

    CDataLoggerFeed feed;
    CLatestOwnerView view;
    CGraphOwnerModel owner{feed, &view, ReadoutTimes::AsHanded};
    CDataLoggerGraph graph;
    CDataLoggerPainter drawer;
};

// y of a level as the graph plots it: h - trunc((v - bottom) * h / (top - bottom)).
inline int PlotY(double value, int height, double topDb, double bottomDb)
{
    return height - static_cast<int>((value - bottomDb) * (height / (topDb - bottomDb)));
}

inline std::vector<QPoint> PixelsOf(const QImage& image, const QColor& colour)
{
    std::vector<QPoint> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb())
                pixels.emplace_back(x, y);
    return pixels;
}
