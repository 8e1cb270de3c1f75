// The areas the view redraws when the link says a panel element changed:
// whatever the change alters on the rendered panel lies inside its element's area.
#include "monitor/widgets/MeterPanel.h"
#include "monitor/widgets/PanelAreas.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <functional>

namespace {

QImage Render(CMeterPanel& panel, const MeterState& state, bool connected)
{
    QImage screen(CMeterPanel::kWidth, CMeterPanel::kHeight, QImage::Format_RGB32);
    screen.fill(Qt::magenta);
    QPainter painter(&screen);
    panel.Paint(painter, state, connected);
    return screen;
}

// Bounding box of the pixels where two renderings differ.
QRect Difference(const QImage& a, const QImage& b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

// A meter showing something in every element, so each change shows.
MeterState Showing()
{
    MeterState state;
    state.displayDigits[1] = 8;
    state.displayDigits[2] = 5;
    state.displayDigits[3] = 3;
    state.displayValid = true;
    state.range = 1;
    state.barDigits[1] = 5;
    state.barDigits[2] = 5;
    state.fast = true;
    state.dBA = true;
    state.clockText12 = "9:05:00";
    state.clockText24 = "9:05:00";
    state.clockValid = true;
    return state;
}

TEST(PanelAreasTest, EveryChangeOfAnElementIsDrawnInsideItsArea)
{
    const struct {
        const char* what;
        PanelElement element;
        std::function<void(MeterState&)> change;
    } cases[] = {
        {"OVER", PanelElement::Limit, [](MeterState& s) { s.over = true; }},
        {"UNDER", PanelElement::Limit, [](MeterState& s) { s.under = true; }},
        {"FAST to SLOW", PanelElement::Mode, [](MeterState& s) {
             s.fast = false;
             s.slow = true;
         }},
        {"MAX", PanelElement::Mode, [](MeterState& s) { s.max = true; }},
        {"MIN", PanelElement::Mode, [](MeterState& s) { s.min = true; }},
        {"range 2", PanelElement::Range, [](MeterState& s) { s.range = 2; }},
        {"range 3", PanelElement::Range, [](MeterState& s) { s.range = 3; }},
        {"automatic range", PanelElement::Range, [](MeterState& s) { s.range = 4; }},
        {"bar", PanelElement::Range, [](MeterState& s) { s.barDigits[1] = 7; }},
        {"clock", PanelElement::Clock, [](MeterState& s) { s.clockText12 = s.clockText24 = "12:59:59"; }},
        {"display", PanelElement::Display, [](MeterState& s) {
             s.displayDigits[0] = 1;
             s.displayDigits[3] = 9;
         }},
        {"REC", PanelElement::Status, [](MeterState& s) { s.rec = true; }},
        {"dBA to dBC", PanelElement::Status, [](MeterState& s) {
             s.dBA = false;
             s.dBC = true;
         }},
        {"HOLD", PanelElement::Hold, [](MeterState& s) { s.hold = true; }},
    };
    for (const auto& c : cases) {
        CMeterPanel panel;
        ASSERT_TRUE(panel.PicturesLoaded());
        MeterState state = Showing();
        const QImage before = Render(panel, state, true);
        c.change(state);
        const QRect changed = Difference(before, Render(panel, state, true));
        EXPECT_FALSE(changed.isEmpty()) << c.what;
        EXPECT_TRUE(PanelAreaOf(c.element).contains(changed))
            << c.what << ": changed " << changed.x() << "," << changed.y() << " " << changed.width() << "x"
            << changed.height();
    }

    // Switching on: the lit face takes the unlit face's place inside the face's area.
    CMeterPanel panel;
    const QImage off = Render(panel, Showing(), false);
    const QRect changed = Difference(off, Render(panel, Showing(), true));
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_TRUE(PanelAreaOf(PanelElement::MeterFace).contains(changed))
        << changed.x() << "," << changed.y() << " " << changed.width() << "x" << changed.height();
}

} // namespace
