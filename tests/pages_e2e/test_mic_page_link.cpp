#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "pages/EQDlg.h"
#include "pages/Mic_Dlg.h"
#include "tests/pages/ChannelPageTestSupport.h"
#include "tests/pages_e2e/PageLinkTestSupport.h"

#include <QComboBox>
#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

using namespace layout;

constexpr std::size_t kBand2Gain = mic::kEq + 2 * eqband::kSize + eqband::kGain;

class MicPageLinkTest : public PageLinkTest<Mic_Dlg, 2> {
protected:
    void dragTo(int sliderId, int position) {
        dragPageSlider(*page->control<BitmapSlider>(sliderId), position);
    }
    void type(NumEdit* edit, const char* text) { typeInto(*edit, text); }
};

// The items that carry Mic 2's bytes on the wire: code, first and last index.
struct WireItem {
    std::uint8_t code;
    std::uint8_t first, last;
};
constexpr WireItem kMic2Items[] = {
    {3, 65, 89}, {4, 3, 3},  {6, 1, 1},  {7, 1, 1},  {10, 1, 1},
    {18, 3, 3},  {18, 7, 7}, {19, 2, 2}, {20, 6, 7},
};

bool carriesMic2(const sim::ReceivedFrame& frame) {
    if (frame.bytes.size() < 6)
        return false;
    const std::uint8_t index = frame.bytes[5];
    for (const WireItem& item : kMic2Items)
        if (frame.code == item.code && index >= item.first && index <= item.last)
            return true;
    return false;
}

TEST_F(MicPageLinkTest, EditsOfEachMicrophoneReachTheDeviceAtItsOffsets) {
    open();
    click(1066);
    ASSERT_EQ(page->shownChannel(), kEqMic2);
    dragTo(3007, 20); // compressor level
    dragTo(3003, 36); // mic level
    type(page->control<NumEdit>(3031), "1000");
    type(page->strip(2)->control<NumEdit>(1022), "6");
    auto* feedback = page->control<QComboBox>(1053);
    feedback->setFocus();
    QTest::keyClicks(feedback, QStringLiteral("FB.EX3"));
    click(1065);
    dragTo(3004, 30); // Mic 1's gate threshold

    const struct {
        std::size_t offset;
        int value;
    } expected[] = {
        {image::kMic2 + mic::kLimitLevel, 20},
        {image::kMic2 + mic::kMicLevel, 36},
        {image::kMic2 + mic::kHpf + crossover::kFreq, 204},
        {image::kMic2 + kBand2Gain, 150},
        {image::kMic2 + mic::kFeedback, 3},
        {image::kMic1 + mic::kGateThreshold, 30},
    };
    for (const auto& e : expected)
        EXPECT_EQ(working().byte(e.offset), e.value) << e.offset;
    ASSERT_TRUE(waitFor([&] {
        const sim::DeviceState d = device();
        for (const auto& e : expected)
            if (d.working[e.offset] != e.value)
                return false;
        return true;
    }));
    EXPECT_EQ(device().working[image::kMic1 + mic::kLimitLevel],
              working().byte(image::kMic1 + mic::kLimitLevel));
    ASSERT_TRUE(waitFor([&] { return deviceHoldsWorkingImage(); }));
    EXPECT_TRUE(dialogs.messages.empty());
}

// Switching the link off makes the program's Mic 2 a copy of Mic 1 in the working image and in
// its record of the device alike, so nothing is sent for Mic 2: the device, which applied Mic 1
// to both while linked, is not told anything about Mic 2.
TEST_F(MicPageLinkTest, SyncOffSendsNothingForMic2) {
    sim.engine.modifyState([&](sim::DeviceState& d) {
        d.working[image::kMic2 + kBand2Gain] = 50;
        d.working[image::kMic2 + mic::kLimitLevel] = 7;
    });
    open();
    click(1064);
    ASSERT_TRUE(waitFor([&] { return device().working[image::kMicLink] == 1; }));
    dragTo(3007, 15); // Mic 1's compressor while linked
    ASSERT_TRUE(waitFor([&] { return device().working[image::kMic1 + mic::kLimitLevel] == 15; }));
    sim.engine.clearFrames();

    click(1064);
    EXPECT_EQ(working().byte(image::kMicLink), 0);
    EXPECT_EQ(working().byte(image::kMic2 + mic::kLimitLevel), 15);
    EXPECT_EQ(working().byte(image::kMic2 + kBand2Gain), working().byte(image::kMic1 + kBand2Gain));
    ASSERT_TRUE(waitFor([&] { return device().working[image::kMicLink] == 0; }));
    // A later edit has gone through the synchroniser after the switch.
    dragTo(3003, 10);
    ASSERT_TRUE(waitFor([&] { return device().working[image::kMic1 + mic::kMicLevel] == 10; }));

    for (const sim::ReceivedFrame& frame : sim.engine.frames())
        EXPECT_FALSE(carriesMic2(frame)) << "code " << int(frame.code);
    EXPECT_EQ(device().working[image::kMic2 + kBand2Gain], 50);
    EXPECT_EQ(device().working[image::kMic2 + mic::kLimitLevel], 7);
    EXPECT_TRUE(deviceHolds(image::kMic1, mic::kSize));
}

// With KESMO_SHOT_DIR set: the Mic page of the connected window, a band picked on the graph.
class MicPageScreenshot : public MicPageLinkTest, public ::testing::WithParamInterface<int> {};

TEST_P(MicPageScreenshot, WithABandPicked) {
    const int languageMode = GetParam();
    const QString file = shotFile("mic", languageMode);
    if (file.isEmpty())
        GTEST_SKIP() << "KESMO_SHOT_DIR not set";
    sim.engine.modifyState([](sim::DeviceState& d) {
        const std::uint8_t gains[mic::kEqBands] = {120, 126, 132, 128, 118, 112, 106,
                                                   120, 124, 130, 136, 128, 116, 110,
                                                   122, 128, 134, 126, 118, 120};
        setPeakingBands(d, image::kMic1 + mic::kEq, gains);
        d.working[image::kMic1 + mic::kHpf + crossover::kFreq] = 60;
        d.working[image::kMic1 + mic::kHpf + crossover::kSlope] = 4;
        d.working[image::kMic1 + mic::kLpf + crossover::kSlope] = 9;
        d.working[image::kMic1 + mic::kMicLevel] = 26;
        d.working[image::kMic1 + mic::kFeedback] = 2;
        d.working[image::kMic1 + mic::kLimitLevel] = 18;
        d.working[image::kMic1 + mic::kLimitRatio] = 12;
        d.working[image::kMic1 + mic::kGateThreshold] = 20;
    });
    open(languageMode);
    pickOnGraph(*page->graph(), 14);
    ASSERT_NE(linkState().connected, 0);
    EXPECT_TRUE(window->grab().save(file));
}

INSTANTIATE_TEST_SUITE_P(Languages, MicPageScreenshot, ::testing::Values(0, 1));

} // namespace
} // namespace kesmo::test
