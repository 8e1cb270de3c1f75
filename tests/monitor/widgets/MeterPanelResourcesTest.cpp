// The compiled-in pictures: every one is there at its size, and the
// background pictures fit the face where the painter puts them.
#include "res/PanelBitmaps.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

struct Expected {
    int id;
    int width;
    int height;
};

constexpr Expected kPictures[] = {
    {162, 195, 480}, {176, 195, 480}, {141, 25, 53}, {143, 25, 53}, {132, 25, 53}, {133, 25, 53},
    {134, 25, 53}, {135, 25, 53}, {136, 25, 53}, {137, 25, 53}, {138, 25, 53}, {139, 25, 53},
    {148, 25, 53}, {140, 7, 8}, {144, 110, 24}, {153, 151, 27}, {146, 1, 7}, {149, 104, 10},
    {151, 112, 13}, {163, 53, 10}, {154, 40, 30}, {156, 50, 40}, {157, 39, 39}, {158, 26, 53},
    {160, 45, 28}, {161, 34, 34},
};

int DarkPixels(const QImage& image)
{
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 80)
                ++dark;
    return dark;
}

} // namespace

TEST(PanelBitmaps, EveryPictureLoadsAtItsSize)
{
    for (const Expected& e : kPictures) {
        const QImage picture = LoadPanelBitmap(e.id);
        ASSERT_FALSE(picture.isNull()) << PanelBitmapPath(e.id).toStdString();
        EXPECT_EQ(picture.size(), QSize(e.width, e.height)) << e.id;
        EXPECT_EQ(picture.format(), QImage::Format_RGB32) << e.id;
    }
    EXPECT_EQ(PanelBitmapPath(162), QStringLiteral(":/res/bmp162.png"));
    EXPECT_TRUE(LoadPanelBitmap(999).isNull());
}

TEST(PanelBitmaps, ToolbarStripAndIcon)
{
    EXPECT_EQ(LoadToolbarStrip().size(), QSize(160, 15));
    for (int i = 0; i < 10; ++i) {
        const QImage image = LoadToolbarImage(i);
        ASSERT_EQ(image.size(), QSize(16, 15)) << i;
        // Each image draws something on its transparent background.
        int opaque = 0;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 16; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 128;
        EXPECT_GT(opaque, 20) << i;
    }
    EXPECT_TRUE(LoadToolbarImage(10).isNull());
    EXPECT_TRUE(LoadToolbarImage(-1).isNull());
    EXPECT_EQ(LoadApplicationIcon().size(), QSize(32, 32));
}

TEST(PanelBitmaps, BackgroundsMatchTheLitFaceWhereTheyAreDrawn)
{
    const QImage face = LoadPanelBitmap(162);
    EXPECT_EQ(LoadPanelBitmap(144), face.copy(41, 88, 110, 24));
    EXPECT_EQ(LoadPanelBitmap(153), face.copy(44, 61, 151, 27));
    EXPECT_EQ(LoadPanelBitmap(149), face.copy(45, 50, 104, 10));
    EXPECT_EQ(LoadPanelBitmap(151), face.copy(42, 168, 112, 13));
    EXPECT_EQ(LoadPanelBitmap(163), face.copy(45, 40, 53, 10));
    // The eraser also serves the OVER place.
    EXPECT_EQ(LoadPanelBitmap(163).copy(0, 0, 51, 10), face.copy(98, 40, 51, 10));
    EXPECT_EQ(LoadPanelBitmap(148), face.copy(45, 113, 25, 53));
}

TEST(PanelBitmaps, GlyphsAreDistinctAndTheUnlitDisplayIsDark)
{
    const int ids[10] = {141, 143, 132, 133, 134, 135, 136, 137, 138, 139};
    EXPECT_EQ(DarkPixels(LoadPanelBitmap(148)), 0);
    for (int digit = 0; digit < 10; ++digit) {
        const QImage glyph = LoadPanelBitmap(ids[digit]);
        EXPECT_GT(DarkPixels(glyph), 30) << digit;
        for (int other = 0; other < digit; ++other)
            EXPECT_NE(glyph, LoadPanelBitmap(ids[other])) << digit << " vs " << other;
    }
    // 8 lights every segment: no glyph has more ink.
    for (int id : ids)
        EXPECT_LE(DarkPixels(LoadPanelBitmap(id)), DarkPixels(LoadPanelBitmap(138)));

    const QImage lit = LoadPanelBitmap(162);
    const QImage unlit = LoadPanelBitmap(176);
    EXPECT_GT(qGray(lit.pixel(100, 100)), qGray(unlit.pixel(100, 100)) + 60);
    // Only the display differs: the case and keys' wells are the same.
    EXPECT_EQ(lit.copy(0, 200, 195, 280), unlit.copy(0, 200, 195, 280));
}
