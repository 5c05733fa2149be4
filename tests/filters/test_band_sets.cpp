#include "filters/BandSets.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace kesmo;
using namespace kesmo::layout;

namespace {

constexpr int k1000HzGrid = 239;
constexpr std::uint16_t k1000HzCode = 204;

int outputEqChannel(int index) {
    return kEqOutputFirst + index;
}

struct BandSetsTest : ::testing::Test {
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<BandSets> sets = std::make_unique<BandSets>(*store);

    void SetUp() override { initialiseModel(*store); }
    double at1000Hz(const CFilter* f) { return f->responseDb()[k1000HzGrid]; }
};

TEST_F(BandSetsTest, EveryChannelHasItsBandsAndFilters) {
    struct Case {
        int channel;
        int count, bands;
        std::size_t firstBand, lastFilter;
    };
    const std::size_t out = outputChannelOffset(1, kSurroundR);
    const Case cases[] = {
        {kEqMusicLeft, 17, 15, 568, 564},
        {kEqMusicRight, 17, 15, 732, 728},
        {kEqMic1, 22, 20, 255, 251},
        {kEqMic2, 22, 20, 412, 408},
        {kEqEchoA, 9, 7, 20, 64},
        {kEqEchoB, 9, 7, 77, 121},
        {kEqReverb, 9, 7, 134, 178},
        {kEqSpareReverb, 9, 7, 186, 230},
        {outputEqChannel(kSurroundR), 12, 10, out + 11, out + 70},
        {kEqDynMusicLeft, 3, 3, 674, 694},
        {kEqDynMusicRight, 3, 3, 838, 858},
    };
    for (const Case& c : cases) {
        const CKTVEQ* set = sets->channel(c.channel);
        ASSERT_NE(set, nullptr) << c.channel;
        EXPECT_EQ(set->count(), c.count) << c.channel;
        EXPECT_EQ(set->bandCount(), c.bands) << c.channel;
        EXPECT_EQ(set->filter(0)->band()->offset(), c.firstBand) << c.channel;
        const CFilter* last = set->filter(c.count - 1);
        const std::size_t lastOffset =
            last->isCrossover() ? last->crossover()->offset() : last->band()->offset();
        EXPECT_EQ(lastOffset, c.lastFilter) << c.channel;
    }
    EXPECT_TRUE(sets->channel(kEqDynMusicRight)->filter(0)->dynamicBand());
    EXPECT_FALSE(sets->channel(kEqMusicRight)->filter(0)->dynamicBand());
}

// The offset of every record a set binds, bands first, then high-pass and low-pass.
std::vector<std::size_t> boundRecords(const CKTVEQ& set) {
    std::vector<std::size_t> out;
    for (int i = 0; i < set.count(); ++i) {
        const CFilter* f = set.filter(i);
        out.push_back(f->isCrossover() ? f->crossover()->offset() : f->band()->offset());
    }
    return out;
}

std::vector<std::size_t> records(std::size_t firstBand, int bands, std::size_t stride,
                                 std::vector<std::size_t> filters) {
    std::vector<std::size_t> out;
    for (int b = 0; b < bands; ++b)
        out.push_back(firstBand + stride * static_cast<std::size_t>(b));
    out.insert(out.end(), filters.begin(), filters.end());
    return out;
}

TEST_F(BandSetsTest, EverySetBindsItsRecords) {
    struct Case {
        int channel;
        std::vector<std::size_t> records;
    };
    const Case fixed[] = {
        {kEqMusicLeft, records(568, 15, 5, {560, 564})},
        {kEqMusicRight, records(732, 15, 5, {724, 728})},
        {kEqMic1, records(255, 20, 5, {247, 251})},
        {kEqMic2, records(412, 20, 5, {404, 408})},
        {kEqEchoA, records(20, 7, 5, {60, 64})},
        {kEqEchoB, records(77, 7, 5, {117, 121})},
        {kEqReverb, records(134, 7, 5, {174, 178})},
        {kEqSpareReverb, records(186, 7, 5, {226, 230})},
        {kEqDynMusicLeft, records(674, 3, 10, {})},
        {kEqDynMusicRight, records(838, 3, 10, {})},
    };
    for (const Case& c : fixed)
        EXPECT_EQ(boundRecords(*sets->channel(c.channel)), c.records) << "channel " << c.channel;
    for (int scene = 1; scene <= 3; ++scene)
        for (int index = 0; index < 8; ++index) {
            const std::size_t e = 882 + 608 * static_cast<std::size_t>(scene - 1) +
                                  76 * static_cast<std::size_t>(index);
            EXPECT_EQ(boundRecords(*sets->output(scene, index)),
                      records(e + 11, 10, 5, {e + 66, e + 70}))
                << "scene " << scene << " channel " << index;
        }
}

TEST_F(BandSetsTest, StartUpCurvesAreFlatAtTheDefaultFrequencies) {
    EXPECT_DOUBLE_EQ(sets->channel(kEqMic1)->filter(19)->frequencyHz(), 20200);
    EXPECT_DOUBLE_EQ(sets->output(3, kSub)->filter(9)->frequencyHz(), 3700);
    EXPECT_DOUBLE_EQ(sets->channel(kEqDynMusicRight)->filter(2)->frequencyHz(),
                     4240); // nearest entry to 4230
    EXPECT_DOUBLE_EQ(sets->channel(kEqEchoB)->lowPass()->frequencyHz(), 20600);
    for (int c = 0; c < kEqChannelCount; ++c) {
        CKTVEQ* set = sets->channel(c);
        set->layout({35, 10, 755, 370});
        set->combine();
        for (const PointF& p : set->combinedPoints())
            ASSERT_EQ(p.y, 130.0f) << "channel " << c;
    }
}

TEST_F(BandSetsTest, TakeOverMakesTheCurvesFollowTheNewImage) {
    ModeImage& w = store->working;
    mic2(w).eq(5).set(k1000HzCode, 150, 10, 1);
    outputChannel(w, 3, kSub).hpf().set(0, k1000HzCode, 9);
    musicRight(w).dynEq(0).band().set(k1000HzCode, 90, 10, 2);
    spareReverbBlock(w).eq(6).set(k1000HzCode, 105, 10, 1);
    takeOverImage(*store, false);

    EXPECT_NEAR(at1000Hz(sets->channel(kEqMic2)->filter(5)), 6.0, 1e-9);
    EXPECT_NEAR(at1000Hz(sets->output(3, kSub)->highPass()), -5.95, 0.01);
    EXPECT_NEAR(at1000Hz(sets->channel(kEqDynMusicRight)->filter(0)), -3.0, 1e-9);
    EXPECT_NEAR(at1000Hz(sets->channel(kEqSpareReverb)->filter(6)), -3.0, 1e-9);
    EXPECT_EQ(sets->channel(kEqMic2)->filter(5)->caption(), "PEQ  1000Hz 0.71Q 6.0dB");
}

TEST_F(BandSetsTest, RebindingOneOutputChannelLeavesTheOtherScenes) {
    ModeImage& w = store->working;
    for (int scene = 1; scene <= kScenes; ++scene)
        outputChannel(w, scene, kRearR).eq(0).set(k1000HzCode, 150, 10, 1);
    sets->rebindOutputChannel(2, kRearR);
    EXPECT_NEAR(at1000Hz(sets->output(2, kRearR)->filter(0)), 6.0, 1e-9);
    EXPECT_EQ(at1000Hz(sets->output(1, kRearR)->filter(0)), 0.0);
    EXPECT_EQ(at1000Hz(sets->output(3, kRearR)->filter(0)), 0.0);
    EXPECT_EQ(at1000Hz(sets->output(2, kRearL)->filter(0)), 0.0);

    // Channels 8..15 mean the edited scene.
    setScene(*store, 3);
    sets->rebindChannel(outputEqChannel(kRearR));
    EXPECT_NEAR(at1000Hz(sets->output(3, kRearR)->filter(0)), 6.0, 1e-9);
    EXPECT_EQ(at1000Hz(sets->output(1, kRearR)->filter(0)), 0.0);
}

TEST_F(BandSetsTest, OutputChannelsFollowTheEditedScene) {
    struct Case {
        int sceneSelect;
        int scene;
    };
    // The fallback scene is 1 from start-up; a value naming no scene falls back too.
    const Case cases[] = {{1, 1}, {2, 2}, {3, 3}, {0, 1}, {7, 1}};
    for (const Case& c : cases) {
        store->working.setByte(image::kSceneSelect, static_cast<std::uint8_t>(c.sceneSelect));
        EXPECT_EQ(sets->channel(outputEqChannel(kCenter)), sets->output(c.scene, kCenter))
            << "sceneSelect " << c.sceneSelect;
    }
}

TEST_F(BandSetsTest, UnknownChannelsAndScenesHaveNoSet) {
    for (int c : {-1, kEqChannelCount, 255})
        EXPECT_EQ(sets->channel(c), nullptr) << c;
    EXPECT_EQ(sets->output(0, 0), nullptr);
    EXPECT_EQ(sets->output(4, 0), nullptr);
    EXPECT_EQ(sets->output(1, kOutputChannels), nullptr);
    EXPECT_EQ(sets->output(1, -1), nullptr);
    sets->rebindChannel(99);
    sets->rebindOutputChannel(0, 3);
}

TEST_F(BandSetsTest, RegistersWithItsStoreForItsLifetime) {
    EXPECT_EQ(bandSetBinder(*store), sets.get());
    sets.reset();
    EXPECT_EQ(bandSetBinder(*store), nullptr);
    initialiseModel(*store); // no binder: nothing to call
}

} // namespace
