#include "model/ModeImage.h"

#include <gtest/gtest.h>
#include <memory>

using namespace kesmo;
using namespace kesmo::layout;

namespace {

struct StoreTest : ::testing::Test {
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
};

TEST(ModeImage, SixteenBitFieldsAtOddOffsetsAreLittleEndian) {
    auto image = std::make_unique<ModeImage>();
    echoB(*image).setPreDelay(0x1234);
    EXPECT_EQ(image->byte(125), 0x34);
    EXPECT_EQ(image->byte(126), 0x12);
    echoA(*image).hpf().setFreq(0x0169);
    EXPECT_EQ(image->byte(61), 0x69);
    EXPECT_EQ(image->byte(62), 0x01);
    EXPECT_EQ(echoA(*image).hpf().freq(), 0x0169);
    EXPECT_EQ(echoB(*image).preDelay(), 0x1234);
}

TEST(ModeImage, BlockViewsLandOnTheNamedOffsets) {
    auto image = std::make_unique<ModeImage>();
    struct Case {
        const char* what;
        std::size_t offset;
    };
    const Case cases[] = {
        {"music left eq 0", musicLeft(*image).eq(0).offset()},
        {"music right lpf", musicRight(*image).lpf().offset()},
        {"music left main hpf", musicLeft(*image).mainMusicHpf().offset()},
        {"music right dyn eq 2", musicRight(*image).dynEq(2).offset()},
        {"music left high exciter", musicLeft(*image).highExciter().offset()},
        {"mic 2 extra band 4", mic2(*image).extraBand(4).offset()},
        {"mic 1 low exciter", mic1(*image).lowExciter().offset()},
        {"reverb lpf", reverbBlock(*image).lpf().offset()},
        {"scene 3 surround R delay",
         outputChannel(*image, 3, kSurroundR).offset() + output::kDelay},
    };
    const std::size_t expected[] = {568, 728, 670, 858, 708, 533, 382, 178, 2098 + 7 * 76 + 74};
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].offset, expected[i]) << cases[i].what;
}

TEST(ModeImage, OutputChannelOffsetCoversTheThreeScenes) {
    EXPECT_EQ(outputChannelOffset(1, 0), 882u);
    EXPECT_EQ(outputChannelOffset(2, 0), 1490u);
    EXPECT_EQ(outputChannelOffset(3, 7), 2098u + 532u);
    EXPECT_EQ(outputChannelOffset(3, 7) + output::kSize, image::kSceneSelect);
}

TEST(ModeImage, BandRecordFollowsTheWireNumbering) {
    struct Case {
        int index;
        int scene;
        std::size_t offset;
    };
    const Case cases[] = {
        {0, 1, 568},
        {14, 1, 638},
        {15, 1, 644},
        {20, 1, 732},
        {35, 1, 808},
        {40, 1, 255},
        {60, 1, 356},
        {65, 1, 412},
        {85, 1, 513},
        {90, 1, 20},
        {97, 1, 134},
        {104, 1, 77},
        {110, 1, 107},
        {111, 1, 893},
        {120, 1, 938},
        {121, 2, 1490 + 76 + 11},
        {190, 3, 2098 + 7 * 76 + 11 + 45},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bandRecord(c.index, c.scene), c.offset) << "wire band " << c.index;
}

TEST_F(StoreTest, EditedSceneFallsBackWhenSceneSelectNamesNoScene) {
    setScene(*store, 1);
    EXPECT_EQ(editedScene(*store), 1);
    setScene(*store, 2);
    EXPECT_EQ(editedScene(*store), 2);
    setScene(*store, 0); // Auto: the fallback set by the last explicit scene
    EXPECT_EQ(store->working.byte(image::kSceneSelect), 0);
    EXPECT_EQ(editedScene(*store), 2);
    setScene(*store, 7); // ignored
    EXPECT_EQ(store->working.byte(image::kSceneSelect), 0);
    store->working.setByte(image::kSceneSelect, 200); // from the device or a file
    EXPECT_EQ(editedScene(*store), 2);
    store->working.setByte(image::kSceneSelect, 3);
    EXPECT_EQ(editedScene(*store), 3);
}

TEST(SystemBlock, LoweringAMaximumClampsTheMasterVolumeAndClearsItsMute) {
    auto sb = std::make_unique<SystemBlock>();
    sb->setByte(system::kMicVolume, 0x80 | 60); // muted at 60
    setMaxVolume(*sb, MasterChannel::Mic, 70);
    EXPECT_EQ(sb->byte(system::kMicVolume), 0x80 | 60);
    setMaxVolume(*sb, MasterChannel::Mic, 40);
    EXPECT_EQ(sb->byte(system::kMicMaxVolume), 40);
    EXPECT_EQ(sb->byte(system::kMicVolume), 40);
    EXPECT_EQ(sb->byte(system::kMusicVolume), 0);
}

TEST_F(StoreTest, OutputLinkCopyKeepsTheRightChannelsMuteAndDelay) {
    for (std::size_t i = 0; i < kModeImageSize; ++i)
        store->working.setByte(i, static_cast<std::uint8_t>(i * 7 + 3));
    store->mirror.assign(store->working);
    linkCopy(*store, Link::Rear);
    for (int scene = 1; scene <= 3; ++scene) {
        const std::size_t l = outputChannelOffset(scene, kRearL);
        const std::size_t r = outputChannelOffset(scene, kRearR);
        EXPECT_NE(store->working.byte(r), store->working.byte(l)) << "mute is the right's own";
        for (std::size_t rel = 1; rel < output::kDelay; ++rel)
            EXPECT_EQ(store->working.byte(r + rel), store->working.byte(l + rel));
        EXPECT_EQ(store->working.word(r + output::kDelay),
                  static_cast<std::uint16_t>((((r + 74) * 7 + 3) & 0xFF) |
                                             (((r + 75) * 7 + 3) & 0xFF) << 8));
    }
    EXPECT_TRUE(store->working.sameAs(store->mirror));
}

TEST_F(StoreTest, StoredModeLinkCopyTouchesOnlyThatImage) {
    ModeImage& stored = store->storedMode(4);
    mic1(stored).setByte(mic::kMicLevel, 33);
    linkCopy(stored, Link::Mic);
    EXPECT_EQ(stored.byte(image::kMic2), 33);
    EXPECT_EQ(store->working.byte(image::kMic2), 0);
    EXPECT_EQ(store->mirror.byte(image::kMic2), 0);
}

} // namespace
