// A graph window's scroll bar as the owner model sets it.
#include "graph/widgets/OwnerScrollBars.h"

#include <QImage>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

QImage Shown(QScrollBar& bar, int maximum, int position, bool enabled)
{
    ShowOwnerScrollBar(&bar, maximum, position, enabled);
    return bar.grab().toImage();
}

TEST(OwnerScrollBars, ADisabledBarShowsNoThumbWhereItWas)
{
    // The vertical bar after a zoom (five steps, at step 3) and after UnDo
    // Zoom, which disables it and puts it back to the top.
    QScrollBar bar(Qt::Vertical);
    bar.resize(17, 150);
    ConnectOwnerScrollBar(&bar, &bar, [](ScrollCode, int position) { return position; });
    ASSERT_NE(Shown(bar, 5, 0, true), Shown(bar, 5, 3, true)) << "an enabled bar shows its thumb";
    EXPECT_EQ(Shown(bar, 5, 0, false), Shown(bar, 5, 3, false)) << "a disabled one shows none";
    EXPECT_EQ(Shown(bar, 5, 0, false), Shown(bar, 0, 0, false));
}

} // namespace
