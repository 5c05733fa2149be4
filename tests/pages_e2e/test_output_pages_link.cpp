#include "controls/BitButton.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "pages/EQDlg.h"
#include "pages/MainDlg.h"
#include "shell/Show_Dlg.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/pages_e2e/PageLinkSupport.h"
#include "tests/shell/ShellTestSupport.h"

#include <QComboBox>
#include <cstdlib>
#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

using namespace layout;

constexpr int kSubTab = 6, kRearTab = 7;
constexpr int kRearL = 4, kRearR = 5, kSub = 3; // memory order
constexpr std::uint8_t kMeterLevels = 12, kMeterLimits = 24;

std::size_t blockOf(int scene, int index) {
    return outputChannelOffset(scene, index);
}

// An output tab of the real main window, connected to the simulator and read out.
class OutputPagesLinkTest : public ::testing::Test {
protected:
    void open(int tab, int languageMode = kDeliveredLanguageMode) {
        ASSERT_NO_FATAL_FAILURE(openOnDevice(window, sim, candidates, tab, languageMode));
        page = static_cast<MainDlg*>(window->page(tab));
        ASSERT_TRUE(page->isVisible());
        ASSERT_EQ(page->group(), tab);
    }
    sim::DeviceState device() const { return sim.engine.state(); }
    ModeImage& working() { return paramStore().working; }
    bool deviceHolds(std::size_t offset, std::size_t size) {
        const sim::DeviceState d = device();
        for (std::size_t i = 0; i < size; ++i)
            if (d.working[offset + i] != working().byte(offset + i))
                return false;
        return true;
    }
    void click(int id) {
        QTest::mouseClick(page->control(id), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    // A strip's gain slider dragged past its top: 12 dB, code 180.
    void raiseGain(int strip) {
        auto* slider = page->strip(strip)->control<BitmapSlider>(1291);
        const int thumbHeight = skinBitmapSize(bitmap::kStripThumb).height();
        const int travel = slider->height() - 3 - thumbHeight;
        const int thumbY = travel * slider->getPos() / slider->maximum() + 1 + thumbHeight / 2;
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(26, thumbY));
        QTest::mouseMove(slider, QPoint(26, thumbY / 2));
        QTest::mouseMove(slider, QPoint(26, -30));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(26, -30));
        QCoreApplication::sendPostedEvents();
    }
    void drag(int id, int position) { dragPageSlider(*page->control<BitmapSlider>(id), position); }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    SimDevice sim;
    std::unique_ptr<KesmoDlg> window;
    MainDlg* page = nullptr;
};

// The device runs "Decode": the page edits scene 3 and the device takes the edits there.
TEST_F(OutputPagesLinkTest, EditsReachTheEditedSceneOfTheDevice) {
    sim.engine.modifyState([](sim::DeviceState& d) { d.working[image::kSceneSelect] = 3; });
    open(kRearTab);
    EXPECT_TRUE(page->control<BitButton>(3710)->down());
    click(3702);
    const std::size_t right = blockOf(3, kRearR), left = blockOf(3, kRearL);
    drag(3720, 160);
    raiseGain(3);
    drag(3725, 20);
    click(3706);
    const std::size_t gain = output::kEq + 3 * eqband::kSize + eqband::kGain;
    EXPECT_EQ(working().byte(right + gain), 180);
    EXPECT_EQ(working().byte(right + output::kMute), 1);
    ASSERT_TRUE(waitFor([&] {
        return deviceHolds(right, output::kSize) && deviceHolds(left, output::kLimitRatio + 1);
    }));
    const sim::DeviceState d = device();
    EXPECT_EQ(d.working[right + gain], 180);
    EXPECT_EQ(d.working[right + output::kMusicLevel], working().byte(right + output::kMusicLevel));
    EXPECT_NE(d.working[right + output::kMusicLevel], 0);
    EXPECT_EQ(d.working[left + output::kLimitLevel], working().byte(left + output::kLimitLevel));
    EXPECT_NE(d.working[left + output::kLimitLevel], 0);
    // Scene 1 was not touched on either side.
    for (std::size_t i = 0; i < output::kSize; ++i)
        EXPECT_EQ(d.working[blockOf(1, kRearR) + i], working().byte(blockOf(1, kRearR) + i)) << i;
    EXPECT_EQ(d.working[blockOf(1, kRearR) + gain], 120);
}

TEST_F(OutputPagesLinkTest, DiscoIsDeliveredAndEditsThenLandInSceneTwo) {
    open(kRearTab);
    ASSERT_EQ(device().working[image::kSceneSelect], 1);
    click(3709);
    ASSERT_TRUE(waitFor([&] { return device().working[image::kSceneSelect] == 2; }));
    click(3705);
    raiseGain(0);
    const std::size_t left = blockOf(2, kRearL);
    const std::size_t gain = output::kEq + eqband::kGain;
    ASSERT_TRUE(waitFor([&] {
        const sim::DeviceState d = device();
        return d.working[left + output::kMute] == 1 && d.working[left + gain] == 180;
    }));
    EXPECT_EQ(device().working[blockOf(1, kRearL) + output::kMute], 0);
    EXPECT_EQ(device().working[blockOf(1, kRearL) + gain], 120);
    EXPECT_TRUE(deviceHolds(left, output::kSize));
}

TEST_F(OutputPagesLinkTest, UnderAutoNothingCanBeEditedAndNothingIsSent) {
    open(kRearTab);
    click(3707);
    ASSERT_TRUE(waitFor([&] { return device().working[image::kSceneSelect] == 0; }));
    // The synchroniser has nothing left to send once it polls the meters again.
    const std::size_t polls = sim.engine.count(kMeterLevels) + sim.engine.count(kMeterLimits);
    ASSERT_TRUE(waitFor([&] {
        return sim.engine.count(kMeterLevels) + sim.engine.count(kMeterLimits) > polls + 2;
    }));
    sim.engine.clearFrames();
    std::vector<std::uint8_t> before(kModeImageSize);
    for (std::size_t i = 0; i < kModeImageSize; ++i)
        before[i] = working().byte(i);

    for (int id : {3705, 3706, 3750, 3704, 3703, 3700})
        click(id);
    drag(3720, 150);
    drag(3725, 10);
    drag(3729, 900);
    raiseGain(2);
    GraphView* graph = page->graph();
    const Point c = graph->bandSet()->filter(4)->markerRect().centre();
    QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
    QTest::mouseMove(graph, QPoint(c.x, c.y));
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
    QTest::mouseMove(graph, QPoint(c.x + 40, c.y - 40));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(c.x + 40, c.y - 40));
    QCoreApplication::sendPostedEvents();

    for (std::size_t i = 0; i < kModeImageSize; ++i)
        ASSERT_EQ(working().byte(i), before[i]) << "byte " << i;
    const std::size_t after = sim.engine.count(kMeterLevels) + sim.engine.count(kMeterLimits);
    ASSERT_TRUE(waitFor([&] {
        return sim.engine.count(kMeterLevels) + sim.engine.count(kMeterLimits) > after + 2;
    }));
    for (const sim::ReceivedFrame& f : sim.engine.frames())
        EXPECT_TRUE(f.code == kMeterLevels || f.code == kMeterLimits) << int{f.code};
}

// With KESMO_SHOT_DIR set: the Rear page (a pair, Rear R shown) and the SUB page of the
// connected window.
struct ShotCase {
    int tab;
    const char* name;
    int languageMode;
};

class OutputPagesScreenshot : public OutputPagesLinkTest,
                              public ::testing::WithParamInterface<ShotCase> {};

TEST_P(OutputPagesScreenshot, ConnectedToTheDevice) {
    const char* dir = std::getenv("KESMO_SHOT_DIR");
    if (dir == nullptr)
        GTEST_SKIP() << "KESMO_SHOT_DIR not set";
    const ShotCase& shot = GetParam();
    sim.engine.modifyState([](sim::DeviceState& d) {
        const std::uint8_t gains[output::kEqBands] = {132, 126, 118, 114, 120,
                                                      124, 128, 122, 116, 126};
        for (int index : {kRearR, kSub}) {
            const std::size_t block = blockOf(1, index);
            for (std::size_t i = 0; i < output::kEqBands; ++i) {
                d.working[block + output::kEq + i * eqband::kSize + eqband::kType] = 1;
                d.working[block + output::kEq + i * eqband::kSize + eqband::kGain] = gains[i];
            }
            d.working[block + output::kMusicLevel] = 100;
            d.working[block + output::kMicLevel] = 80;
            d.working[block + output::kEchoALevel] = 60;
            d.working[block + output::kEchoBLevel] = 60;
            d.working[block + output::kReverbLevel] = 45;
            d.working[block + output::kMicSign] = 1;
        }
        d.working[blockOf(1, kRearR) + output::kHpf + crossover::kSlope] = 4;
        d.working[blockOf(1, kRearR) + output::kHpf + crossover::kFreq] = 60;
        d.working[blockOf(1, kSub) + output::kLpf + crossover::kSlope] = 9;
        d.working[blockOf(1, kSub) + output::kLpf + crossover::kFreq] = 120;
        d.working[blockOf(1, kSub) + output::kLpf + crossover::kFreq + 1] = 0;
        for (int index : {kRearL, kSub}) {
            const std::size_t block = blockOf(1, index);
            d.working[block + output::kLimitLevel] = 26;
            d.working[block + output::kLimitAttack] = 6;
            d.working[block + output::kLimitRelease] = 3;
            d.working[block + output::kLimitRatio] = 10;
            d.working[block + output::kDelay] = 0x2C; // 30.0 ms
            d.working[block + output::kDelay + 1] = 0x01;
        }
        d.working[blockOf(1, kRearR) + output::kDelay] = 0xC8; // 20.0 ms
        d.working[blockOf(1, kRearR) + output::kMute] = 1;
    });
    open(shot.tab, shot.languageMode);
    if (shot.tab == kRearTab)
        click(3702);
    ASSERT_NE(linkState().connected, 0);
    const QString file =
        QStringLiteral("%1/outputs-%2-%3.png")
            .arg(QString::fromLocal8Bit(dir), QString::fromLatin1(shot.name),
                 shot.languageMode == 0 ? QStringLiteral("english") : QStringLiteral("chinese"));
    EXPECT_TRUE(window->grab().save(file));
}

INSTANTIATE_TEST_SUITE_P(Pages, OutputPagesScreenshot,
                         ::testing::Values(ShotCase{kRearTab, "rear", 0},
                                           ShotCase{kRearTab, "rear", 1},
                                           ShotCase{kSubTab, "sub", 0},
                                           ShotCase{kSubTab, "sub", 1}),
                         [](const ::testing::TestParamInfo<ShotCase>& param) {
                             return std::string(param.param.name) +
                                    (param.param.languageMode == 0 ? "English" : "Chinese");
                         });

} // namespace
} // namespace kesmo::test
