#include "resources/Skin.h"
#include "tests/resources/WidgetTestApp.h"

#include <QImage>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

QColor pixel(int id, int x, int y) {
    return skinBitmap(id).toImage().pixelColor(x, y);
}

struct SizeCase {
    int id;
    int width;
    int height;
};

TEST(Skin, BitmapsHaveTheirSizes) {
    const SizeCase cases[] = {
        {133, 11, 19},  {134, 117, 19},  {137, 15, 17}, {138, 38, 123},   {141, 15, 15},
        {142, 175, 15}, {152, 64, 22},   {154, 64, 22}, {155, 175, 15},   {157, 88, 25},
        {158, 88, 25},  {160, 18, 18},   {161, 18, 18}, {167, 1139, 628}, {168, 88, 25},
        {169, 117, 19}, {170, 811, 344}, {172, 18, 18}, {173, 18, 18},    {174, 811, 344},
    };
    ASSERT_EQ(skinBitmapIds().size(), std::size(cases));
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.id);
        const QPixmap& pixmap = skinBitmap(c.id);
        EXPECT_EQ(pixmap.size(), QSize(c.width, c.height));
        EXPECT_EQ(skinBitmapSize(c.id), QSize(c.width, c.height));
    }
}

TEST(Skin, ChannelsWithTheSameRoleMatchInSize) {
    // A slider's normal and active bitmaps must be the same size.
    EXPECT_EQ(skinBitmap(134).size(), skinBitmap(169).size());
    EXPECT_EQ(skinBitmap(142).size(), skinBitmap(155).size());
}

TEST(Skin, UnknownIdGivesNullPixmap) {
    for (int id : {0, -1, 132, 151, 175, 100000}) {
        EXPECT_TRUE(skinBitmap(id).isNull()) << id;
        EXPECT_TRUE(skinBitmapSize(id).isEmpty()) << id;
    }
}

TEST(Skin, EachBitmapIsDrawnOnce) {
    EXPECT_EQ(skinBitmap(167).cacheKey(), skinBitmap(167).cacheKey());
}

TEST(Skin, PageSliderLinesAreBlackAndOrange) {
    const int mid = 15 / 2;
    for (int x : {3, 70, 171}) {
        EXPECT_EQ(pixel(142, x, mid), QColor(Qt::black)) << x;
        EXPECT_EQ(pixel(155, x, mid), QColor(kAccentColour)) << x;
    }
    // Away from the line both show the page colour, so the slider blends with its page.
    EXPECT_EQ(pixel(142, 70, 1), QColor(kPageColour));
    EXPECT_EQ(pixel(155, 70, 1), QColor(kPageColour));
}

TEST(Skin, StripThumbCornersAreTheKeyColourAndItsFaceIsNot) {
    const QImage thumb = skinBitmap(137).toImage();
    for (auto [x, y] : {std::pair{0, 0}, {14, 0}, {0, 16}, {14, 16}}) {
        EXPECT_EQ(thumb.pixel(x, y), kSkinKeyColour) << x << "," << y;
    }
    int keyed = 0;
    for (int y = 0; y < thumb.height(); ++y) {
        for (int x = 0; x < thumb.width(); ++x) {
            keyed += thumb.pixel(x, y) == kSkinKeyColour ? 1 : 0;
        }
    }
    EXPECT_LE(keyed, 16); // only the rounded corners
    EXPECT_NE(thumb.pixel(7, 8), kSkinKeyColour);
}

TEST(Skin, GreyRingThumbHasARingAroundALightCentre) {
    const QColor ring = pixel(141, 1, 7);
    const QColor centre = pixel(141, 7, 7);
    EXPECT_LT(ring.lightness(), centre.lightness());
    EXPECT_LT(std::abs(ring.red() - ring.blue()), 20); // grey, not coloured
}

TEST(Skin, SignBitmapsDiffer) {
    // The plus has a vertical bar through the centre column; the minus does not.
    const QColor plusAbove = pixel(161, 9, 5);
    const QColor minusAbove = pixel(160, 9, 5);
    EXPECT_LT(plusAbove.lightness(), 100);
    EXPECT_GT(minusAbove.lightness(), 100);
    EXPECT_LT(pixel(160, 9, 9).lightness(), 100);
}

TEST(Skin, MeterPicturesPrintDifferentLanguages) {
    EXPECT_NE(skinBitmap(170).toImage(), skinBitmap(174).toImage());
}

TEST(Skin, HandCursorAndIcon) {
    EXPECT_FALSE(handCursor().pixmap().isNull());
    EXPECT_EQ(handCursor().hotSpot(), QPoint(10, 1));
    EXPECT_FALSE(programIcon().pixmap(32).isNull());
    EXPECT_FALSE(programIcon().pixmap(16).isNull());
}

} // namespace
} // namespace kesmo
