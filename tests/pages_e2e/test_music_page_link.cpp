#include "controls/BitButton.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "pages/EQDlg.h"
#include "pages/MusicDlg.h"
#include "shell/Show_Dlg.h"
#include "tests/pages_e2e/PageLinkSupport.h"
#include "tests/shell/ShellTestSupport.h"

#include <QComboBox>
#include <cstdlib>
#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

using namespace layout;

constexpr std::uint8_t kEqBandCode = 3;

// The Music tab of the real main window, connected to the simulator and read out.
class MusicPageLinkTest : public ::testing::Test {
protected:
    void open(int languageMode = kDeliveredLanguageMode) {
        ASSERT_NO_FATAL_FAILURE(openOnDevice(window, sim, candidates, 0, languageMode));
        page = static_cast<MusicDlg*>(window->page(0));
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
    bool deviceHoldsWorkingImage() { return deviceHolds(0, kModeImageSize); }
    void click(int buttonId) {
        QTest::mouseClick(page->control(buttonId), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    SimDevice sim;
    std::unique_ptr<KesmoDlg> window;
    MusicDlg* page = nullptr;
};

TEST_F(MusicPageLinkTest, DraggingBandOnesMarkerReachesTheDevice) {
    open();
    GraphView* graph = page->graph();
    CFilter& first = *graph->bandSet()->filter(0);
    const std::size_t record = first.band()->offset();
    const std::size_t framesBefore = sim.engine.count(kEqBandCode);
    const Point c = first.markerRect().centre();
    QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
    QTest::mouseMove(graph, QPoint(c.x, c.y));
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
    for (int step = 1; step <= 6; ++step)
        QTest::mouseMove(graph, QPoint(c.x + 30 * step, c.y - 12 * step));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(c.x + 180, c.y - 72));
    QCoreApplication::sendPostedEvents();
    EXPECT_GT(first.band()->gain(), 120);
    ASSERT_TRUE(waitFor([&] { return deviceHolds(record, eqband::kSize); }));
    EXPECT_GT(sim.engine.count(kEqBandCode), framesBefore);
    ASSERT_TRUE(waitFor([&] { return deviceHoldsWorkingImage(); }));
    // The strip showing band 1 followed the drag.
    EXPECT_EQ(page->strip(0)->control<BitmapSlider>(1291)->getPosInverted(), first.band()->gain());
}

TEST_F(MusicPageLinkTest, AStripSliderDragReachesTheDevice) {
    open();
    EQDlg* strip = page->strip(2);
    BitmapSlider* slider = strip->control<BitmapSlider>(1291);
    const std::size_t record = strip->band()->band()->offset();
    const std::size_t framesBefore = sim.engine.count(kEqBandCode);
    const int thumbHeight = skinBitmapSize(bitmap::kStripThumb).height();
    const int travel = slider->height() - 3 - thumbHeight;
    const int thumbY = travel * slider->getPos() / slider->maximum() + 1 + thumbHeight / 2;
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(26, thumbY));
    QTest::mouseMove(slider, QPoint(26, thumbY / 2));
    QTest::mouseMove(slider, QPoint(26, -30));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(26, -30));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(working().byte(record + eqband::kGain), 180);
    ASSERT_TRUE(waitFor([&] { return device().working[record + eqband::kGain] == 180; }));
    EXPECT_GT(sim.engine.count(kEqBandCode), framesBefore);
    ASSERT_TRUE(waitFor([&] { return deviceHoldsWorkingImage(); }));
}

TEST_F(MusicPageLinkTest, SyncOffSendsNothingForMusicRight) {
    const std::size_t rightBand = image::kMusicRight + music::kEq + 2 * eqband::kSize;
    sim.engine.modifyState([&](sim::DeviceState& d) { d.working[rightBand + eqband::kGain] = 50; });
    open();
    click(1064);
    ASSERT_TRUE(waitFor([&] { return device().working[image::kMusicLink] == 1; }));
    click(1064);
    EXPECT_EQ(working().byte(image::kMusicLink), 0);
    EXPECT_EQ(working().byte(rightBand + eqband::kGain),
              working().byte(image::kMusicLeft + music::kEq + 2 * eqband::kSize + eqband::kGain));
    ASSERT_TRUE(waitFor([&] { return device().working[image::kMusicLink] == 0; }));
    // A later edit has gone through the synchroniser after the switch: Music Right was not sent.
    BitmapSlider* limit = page->control<BitmapSlider>(1038);
    limit->setPos(limit->getPos() == 5 ? 6 : 5);
    postMessage(page, Message::SliderChanged, 1038, limit->getPos());
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(waitFor([&] {
        return device().working[image::kMusicLeft + music::kLimitLevel] == limit->getPos();
    }));
    EXPECT_EQ(device().working[rightBand + eqband::kGain], 50);
    EXPECT_TRUE(deviceHolds(image::kMusicLeft, music::kSize));
}

TEST_F(MusicPageLinkTest, EqResetDeliversTheResetBands) {
    const std::size_t eq = image::kMusicLeft + music::kEq;
    sim.engine.modifyState([&](sim::DeviceState& d) {
        for (std::size_t i = 0; i < music::kEqBands; ++i)
            d.working[eq + i * eqband::kSize + eqband::kGain] = static_cast<std::uint8_t>(60 + i);
    });
    open();
    click(1067);
    for (std::size_t i = 0; i < music::kEqBands; ++i)
        EXPECT_EQ(working().byte(eq + i * eqband::kSize + eqband::kGain), 120) << i;
    ASSERT_TRUE(waitFor([&] { return deviceHolds(eq, music::kEqBands * eqband::kSize); }));
    EXPECT_TRUE(dialogs.messages.empty());
}

// With KESMO_SHOT_DIR set: the Music page of the connected window while band 6 is dragged.
class MusicPageScreenshot : public MusicPageLinkTest, public ::testing::WithParamInterface<int> {};

TEST_P(MusicPageScreenshot, WhileABandIsDragged) {
    const char* dir = std::getenv("KESMO_SHOT_DIR");
    if (dir == nullptr)
        GTEST_SKIP() << "KESMO_SHOT_DIR not set";
    const int languageMode = GetParam();
    sim.engine.modifyState([](sim::DeviceState& d) {
        const std::size_t eq = image::kMusicLeft + music::kEq;
        const std::uint8_t gains[music::kEqBands] = {126, 132, 128, 118, 112, 120, 124, 130,
                                                     116, 110, 122, 128, 134, 126, 120};
        for (std::size_t i = 0; i < music::kEqBands; ++i) {
            d.working[eq + i * eqband::kSize + eqband::kType] = 1;
            d.working[eq + i * eqband::kSize + eqband::kGain] = gains[i];
        }
        d.working[image::kMusicLeft + music::kHpf + crossover::kSlope] = 4;
        d.working[image::kMusicLeft + music::kLpf + crossover::kSlope] = 9;
    });
    open(languageMode);
    GraphView* graph = page->graph();
    const Point c = graph->bandSet()->filter(5)->markerRect().centre();
    QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
    QTest::mouseMove(graph, QPoint(c.x, c.y));
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
    QTest::mouseMove(graph, QPoint(c.x + 40, c.y - 30));
    QTest::mouseMove(graph, QPoint(c.x + 70, c.y - 60));
    QCoreApplication::sendPostedEvents();
    ASSERT_NE(linkState().connected, 0);
    const QString file =
        QStringLiteral("%1/music-%2.png")
            .arg(QString::fromLocal8Bit(dir),
                 languageMode == 0 ? QStringLiteral("english") : QStringLiteral("chinese"));
    EXPECT_TRUE(window->grab().save(file));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(c.x + 70, c.y - 60));
}

INSTANTIATE_TEST_SUITE_P(Languages, MusicPageScreenshot, ::testing::Values(0, 1));

} // namespace
} // namespace kesmo::test
