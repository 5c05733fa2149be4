#include "filters/KTVEQ.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace kesmo;
using namespace kesmo::layout;

namespace {

constexpr int k1000HzGrid = 239;
constexpr int k1000HzCode = 204;
constexpr int kZeroDbGain = 120;
constexpr int kQ071 = 10;
// 720 × 360 plot: 10 pixels per dB, 0 dB at window y 130, 1000 Hz at window x 449.
constexpr Rect kPlotRect{35, 10, 755, 370};

struct RecordingStrip final : StripWindow {
    std::vector<int> gains;
    void gainCodeDragged(int gainCode) override { gains.push_back(gainCode); }
};

// Music Left's 15 bands with its high- and low-pass filters, laid out on the 720 × 360 plot.
struct BandSetTest : ::testing::Test {
    std::unique_ptr<ModeImage> image = std::make_unique<ModeImage>();
    CKTVEQ set;

    void SetUp() override {
        MusicBlockView block = musicLeft(*image);
        for (std::size_t i = 0; i < music::kEqBands; ++i)
            block.eq(i).set(k1000HzCode, kZeroDbGain, kQ071, CFilter::kBypass);
        block.hpf().set(0, k1000HzCode, 0);
        block.lpf().set(1, k1000HzCode, 0);
        set.build(static_cast<int>(music::kEqBands), *image, image::kMusicLeft + music::kEq,
                  kEqMusicLeft, block.hpf(), block.lpf());
        set.layout(kPlotRect);
    }
    CFilter& band(int i) { return *set.filter(i); }
    EqBandView record(std::size_t i) { return musicLeft(*image).eq(i); }
};

TEST_F(BandSetTest, BuildOrdersBandsThenHighPassThenLowPass) {
    EXPECT_EQ(set.count(), 17);
    EXPECT_EQ(set.bandCount(), 15);
    EXPECT_EQ(set.highPassIndex(), 15);
    EXPECT_EQ(set.lowPassIndex(), 16);
    EXPECT_EQ(set.highPass(), set.filter(15));
    EXPECT_EQ(set.lowPass()->type(), CFilter::kLowPass);
    EXPECT_EQ(set.highPass()->markerLabel(), "H");
    EXPECT_EQ(set.lowPass()->markerLabel(), "L");
    EXPECT_EQ(band(14).markerLabel(), "15");
    EXPECT_EQ(set.filter(17), nullptr);
    EXPECT_EQ(set.filter(-1), nullptr);
}

TEST_F(BandSetTest, SettersWriteTheRecordAndTheCurveFollows) {
    CFilter& f = band(3);
    f.setType(CFilter::kPeaking);
    f.setGainCode(105);
    f.setQCode(kQ071);
    f.setFrequencyCode(k1000HzCode);
    const std::size_t at = record(3).offset();
    EXPECT_EQ(image->byte(at), 204);
    EXPECT_EQ(image->byte(at + 1), 0);
    EXPECT_EQ(image->byte(at + 2), 105);
    EXPECT_EQ(image->byte(at + 3), 10);
    EXPECT_EQ(image->byte(at + 4), 1);
    EXPECT_NEAR(f.responseDb()[k1000HzGrid], -3.0, 1e-9);
    EXPECT_EQ(f.curvePoints()[k1000HzGrid + 1], (Point{449, 160}));
    EXPECT_EQ(f.markerRect(), (Rect{441, 152, 457, 168}));
    EXPECT_EQ(f.caption(), "PEQ  1000Hz 0.71Q -3.0dB");

    f.setQCode(150);
    EXPECT_EQ(record(3).q(), 100);
    f.setGainCode(400);
    EXPECT_EQ(record(3).gain(), 180);
    EXPECT_NEAR(f.responseDb()[k1000HzGrid], 12.0, 1e-9);
}

TEST_F(BandSetTest, CurveOutlineIsClosedOnTheZeroDbLine) {
    const auto& points = band(0).curvePoints();
    EXPECT_EQ(points.front(), (Point{35, 130}));
    EXPECT_EQ(points.back(), (Point{755, 130}));
    EXPECT_EQ(points[1], (Point{35, 130}));
    // 32 kHz lies past the plot's 30 kHz edge and is held at it.
    EXPECT_EQ(points[kGridPoints].x, 755);
}

TEST_F(BandSetTest, CombinedCurveSumsBandsAndCrossoversButNotBypassedBands) {
    band(0).setType(CFilter::kPeaking);
    band(0).setGainCode(150); // +6 dB
    band(1).setGainCode(180); // +12 dB, but "BY"
    set.highPass()->setSlope(1);
    set.combine();
    const PointF p = set.combinedPoints()[k1000HzGrid];
    EXPECT_NEAR(p.x, 449.136, 0.001);
    EXPECT_NEAR(p.y, 10 + 10 * (12 - (6.0 - 3.0103)), 0.001);

    band(0).setType(CFilter::kBypass);
    set.highPass()->setSlope(0);
    set.combine();
    for (const PointF& q : set.combinedPoints())
        ASSERT_EQ(q.y, 130.0f);
}

TEST_F(BandSetTest, CaptionBoxIsBelowBoostsAndAroundCuts) {
    CFilter& f = band(0);
    f.setType(CFilter::kPeaking);
    EXPECT_EQ(f.captionRect(), (Rect{341, 157, 557, 223}));
    f.setGainCode(90); // -6 dB
    EXPECT_EQ(f.markerRect(), (Rect{441, 182, 457, 198}));
    EXPECT_EQ(f.captionRect(), (Rect{341, 132, 557, 232}));
    f.setType(CFilter::kBypass); // a bypassed band's caption goes below whatever its gain
    EXPECT_EQ(f.captionRect(), (Rect{341, 217, 557, 283}));
}

TEST_F(BandSetTest, BypassedCrossoverIsFlatButKeepsItsMarker) {
    CFilter& hp = *set.highPass();
    EXPECT_EQ(hp.markerRect(), (Rect{441, 110, 457, 126}));
    EXPECT_EQ(hp.captionRect(), (Rect{441, 125, 507, 151}));
    EXPECT_EQ(hp.caption(), "1000Hz ");
    for (double v : hp.responseDb())
        ASSERT_EQ(v, 0.0);
    hp.setSlope(9);
    EXPECT_NEAR(hp.responseDb()[k1000HzGrid], -5.95, 0.01);
    EXPECT_EQ(musicLeft(*image).hpf().slope(), 9);
}

TEST_F(BandSetTest, DraggingToTheTopAndBottomGivesTheGainLimits) {
    CFilter& f = band(0);
    f.setType(CFilter::kPeaking);
    RecordingStrip strip;
    f.setStripWindow(&strip);
    f.beginDrag({451, 131}); // two right of and one below the centre (449, 130)
    EXPECT_FALSE(f.dragTo({451, 131}));

    EXPECT_TRUE(f.dragTo({451, -40}));
    EXPECT_EQ(record(0).gain(), 180);
    EXPECT_EQ(record(0).freq(), k1000HzCode);
    EXPECT_TRUE(f.dragTo({451, 900}));
    EXPECT_EQ(record(0).gain(), 0);
    EXPECT_NEAR(f.responseDb()[k1000HzGrid], -24.0, 1e-9);
    EXPECT_EQ(strip.gains, (std::vector<int>{180, 0}));
    EXPECT_EQ(record(0).q(), kQ071);
    EXPECT_EQ(record(0).type(), CFilter::kPeaking);

    // Past the right edge the frequency stops at 20600 Hz (code 361).
    f.dragTo({2000, 131});
    EXPECT_EQ(record(0).freq(), 361);
    EXPECT_EQ(f.markerRect().right, 686 + 8 + 35);
}

TEST_F(BandSetTest, DynamicBandDragStopsAtMinusTwelveDb) {
    auto dyn = std::make_unique<CKTVEQ>();
    dyn->buildDynamic(*image, image::kMusicLeft + music::kDynEq);
    dyn->layout(kPlotRect);
    CFilter& f = *dyn->filter(1);
    EXPECT_TRUE(f.dynamicBand());
    EXPECT_EQ(dyn->highPass(), nullptr);
    f.beginDrag(f.markerRect().centre());
    f.dragTo({f.markerRect().centre().x, 900});
    EXPECT_EQ(musicLeft(*image).dynEq(1).band().gain(), 60);
    f.dragTo({f.markerRect().centre().x, -900});
    EXPECT_EQ(musicLeft(*image).dynEq(1).band().gain(), 180);
    // The band is the first five bytes of its ten-byte record.
    EXPECT_EQ(image->byte(image::kMusicLeft + music::kDynEq + 10 + 2), 180);
}

TEST_F(BandSetTest, QDragStepsOncePerTenPixelsTruncatingTowardZero) {
    CFilter& f = band(0);
    f.setType(CFilter::kPeaking);
    f.saveQForDrag();
    f.beginDrag({449, 130});
    struct Case {
        int dx;
        int code;
    };
    const Case cases[] = {{25, 12}, {-25, 8}, {9, 10}, {-9, 10}, {-19, 9}, {2000, 100}, {-2000, 0}};
    for (const Case& c : cases) {
        f.dragQ(449 + c.dx);
        EXPECT_EQ(record(0).q(), c.code) << "dx " << c.dx;
    }
    EXPECT_EQ(f.markerRect(), (Rect{441, 122, 457, 138}));
    EXPECT_FALSE(set.highPass()->dragQ(600));
}

TEST_F(BandSetTest, HighPassDraggedOffTheLeftEdgeSwitchesOff) {
    CFilter& hp = *set.highPass();
    hp.setSlope(4);
    hp.beginDrag(hp.markerRect().centre());
    EXPECT_TRUE(hp.dragCrossoverTo({30, 500}));
    EXPECT_EQ(musicLeft(*image).hpf().freq(), 0);
    EXPECT_EQ(musicLeft(*image).hpf().slope(), 4);
    for (double v : hp.responseDb())
        ASSERT_EQ(v, 0.0);
    for (std::size_t i = 1; i <= kGridPoints; ++i)
        ASSERT_EQ(hp.curvePoints()[i].y, 130);
    EXPECT_EQ(hp.markerRect().left, 60 - 8 + 35);
    EXPECT_FALSE(hp.dragCrossoverTo({20, 500}));
    // Back inside the plot the 19.7 Hz filter returns.
    EXPECT_TRUE(hp.dragCrossoverTo({37, 500}));
    EXPECT_EQ(musicLeft(*image).hpf().freq(), 0);
    EXPECT_LT(hp.responseDb()[0], -10.0);
}

TEST_F(BandSetTest, ACrossoverDragKeepsWhereTheMarkerWasGrabbed) {
    CFilter& lp = *set.lowPass();
    lp.setSlope(4);
    lp.setCrossoverFrequencyCode(100);
    const Point grabbed{lp.markerRect().centre().x + 5, lp.markerRect().centre().y + 3};
    lp.beginDrag(grabbed);
    // The marker's centre goes to plot x 414 (window x 449), where 1000 Hz is.
    EXPECT_TRUE(lp.dragCrossoverTo({449 + 5, 200}));
    EXPECT_EQ(musicLeft(*image).lpf().freq(), k1000HzCode);
    EXPECT_EQ(lp.markerRect().centre().x, 449);
}

TEST_F(BandSetTest, LowPassDraggedOffTheLeftEdgeTakesTheLowestCode) {
    CFilter& lp = *set.lowPass();
    lp.setSlope(4);
    lp.beginDrag(lp.markerRect().centre());
    EXPECT_TRUE(lp.dragCrossoverTo({0, 0}));
    EXPECT_EQ(musicLeft(*image).lpf().freq(), 0);
    EXPECT_LT(lp.responseDb()[k1000HzGrid], -60.0);
    EXPECT_FALSE(lp.dragTo({300, 100}));
    EXPECT_FALSE(band(0).dragCrossoverTo({300, 100}));
    // Far right stops at the highest code.
    lp.dragCrossoverTo({5000, 0});
    EXPECT_EQ(musicLeft(*image).lpf().freq(), 361);
}

TEST_F(BandSetTest, RecordsFromOutsideAreDrawnInRangeAndLeftAsTheyCame) {
    struct Case {
        std::uint16_t freq;
        std::uint8_t gain, q, type;
        const char* caption;
    };
    const Case cases[] = {
        {65535, 255, 255, 9, "BY  20600Hz 128.00Q 12.0dB"},
        {362, 181, 101, 4, "BY  20600Hz 128.00Q 12.0dB"},
        {1000, 0, 200, 5, "BY  20600Hz 128.00Q -24.0dB"},
        {400, 250, 255, 2, "LS  20600Hz 128.000Q 12.0dB"},
    };
    for (const Case& c : cases) {
        record(2).set(c.freq, c.gain, c.q, c.type);
        CFilter& f = band(2);
        f.rebind();
        EXPECT_EQ(f.caption(), c.caption);
        EXPECT_FALSE(f.isCrossover());
        for (double v : f.responseDb())
            ASSERT_TRUE(std::isfinite(v));
        EXPECT_EQ(record(2).freq(), c.freq);
        EXPECT_EQ(record(2).gain(), c.gain);
        EXPECT_EQ(record(2).q(), c.q);
        EXPECT_EQ(record(2).type(), c.type);
        EXPECT_EQ(f.setType(CFilter::kHighPass), 0);
        EXPECT_EQ(record(2).type(), c.type);
        set.combine();
    }
    musicLeft(*image).lpf().set(7, 9999, 77);
    CFilter& lp = *set.lowPass();
    lp.rebind();
    for (double v : lp.responseDb())
        ASSERT_EQ(v, 0.0);
    EXPECT_EQ(lp.caption(), "20600Hz ");
    EXPECT_EQ(lp.markerRect().left, 686 - 8 + 35);
    EXPECT_EQ(musicLeft(*image).lpf().slope(), 77);
}

TEST(UnlaidFilter, DragsDoNothingBeforeLayout) {
    auto image = std::make_unique<ModeImage>();
    CFilter f(1);
    f.bindBand(musicLeft(*image).eq(0));
    f.setType(CFilter::kPeaking);
    f.beginDrag({0, 0});
    EXPECT_FALSE(f.dragTo({100, 100}));
    EXPECT_EQ(musicLeft(*image).eq(0).gain(), 0);
}

} // namespace
