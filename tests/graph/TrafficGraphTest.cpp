// The real-time graph as the screen shows it: rendered under the offscreen
// platform and checked at the pixels where its colours, labels, trace, bars
// and cursors belong; its page, zoom and cursor rules through its owner.
#include "GraphTestKit.h"

#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace GraphColours;

// Optional: VEXALOG_GRAPH_DUMP=folder keeps the rendered images for a look.
void Dump(const QImage& image, const char* name)
{
    if (const char* folder = std::getenv("VEXALOG_GRAPH_DUMP"))
        image.save(QString::fromLatin1(folder) + "/" + name + ".png");
}

// The dB labels drawn on their own, to find their glyphs in a frame.
QImage LabelText(const QString& text, const QFont& font)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(kLabelStrip);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(kLabel);
    painter.drawText(QPoint(0, QFontMetrics(font).ascent()), text);
    return image;
}

class TrafficGraphTest : public ::testing::Test {
protected:
    TestGraph g;
};

TEST_F(TrafficGraphTest, AFreshGraphShowsPlotStripGridAndLabels30To130)
{
    const QImage frame = g.Grab();
    Dump(frame, "fresh");
    ASSERT_EQ(frame.size(), QSize(kGraphWidth, kGraphHeight));
    EXPECT_EQ(frame.pixel(35, 5), Rgb(kPlot));
    EXPECT_EQ(frame.pixel(305, 155), Rgb(kPlot));
    EXPECT_EQ(frame.pixel(29, 100), Rgb(kLabelStrip));
    // Grid lines every 10 pixels from x = 30 and from y = h - 2 upwards.
    EXPECT_EQ(frame.pixel(40, 100), Rgb(kGrid));
    EXPECT_EQ(frame.pixel(550, 100), Rgb(kGrid));
    EXPECT_EQ(frame.pixel(100, kGraphHeight - 2), Rgb(kGrid));
    EXPECT_EQ(frame.pixel(103, kGraphHeight - 12), Rgb(kGrid));
    EXPECT_EQ(frame.pixel(103, kGraphHeight - 7), Rgb(kPlot));
    // The labels " 30" .. "130" at the fifths of the range, " 30" 15 pixels up.
    const char* texts[] = {" 30", " 50", " 70", " 90", "110", "130"};
    const int tops[] = {kGraphHeight - 15, 223, 167, 111, 55, 0};
    for (int i = 0; i < 6; ++i) {
        const QImage expected = LabelText(QString::fromLatin1(texts[i]), g.button.font());
        const int h = std::min(expected.height(), kGraphHeight - tops[i]);
        // (Left of x = 2 the rounded corners take their pixels.)
        EXPECT_TRUE(frame.copy(2, tops[i], 28, h) == expected.copy(2, 0, 28, h)) << texts[i];
    }
    // No time in the strip.
    EXPECT_EQ(g.view.labels, std::vector<std::string>({" ", " ", " "}));
    EXPECT_EQ(CountColour(frame, kTrace), 0);
}

} // namespace
