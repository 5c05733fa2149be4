#include "devicelink/Catalogue.h"
#include "filters/Filter.h"
#include "filters/KTVEQ.h"
#include "shell/Show_Dlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <gtest/gtest.h>

// The window keeps editing and repainting while whole modes arrive on the link thread; run
// under the thread sanitizer this shows that the two threads share nothing unguarded.
namespace kesmo::test {
namespace {

namespace sb = layout::system;

// Counts the whole modes the window was told of.
class ModeArrivals final : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (const MessageEvent* m = asMessage(event);
            m != nullptr && m->message() == Message::WorkingModeArrived)
            ++count;
        return false;
    }
};

TEST(EditorThreads, EditingAndRepaintingWhileModesArrive) {
    FreshModel model;
    AnsweringDialogs dialogs;
    SimDevice sim;
    ListCandidates candidates;
    candidates.serial = {sim.path()};
    KesmoSetup setup;
    setup.candidates = &candidates;
    setup.clock = &noPauseClock();
    setup.screenSize = QSize(1920, 1080);
    KesmoDlg window(setup);
    ModeArrivals arrivals;
    window.installEventFilter(&arrivals);
    window.show();
    ASSERT_TRUE(waitFor([&] {
        return linkState().connected != 0 && sim.engine.count(130) >= 1 &&
               window.progress()->face() == Show_Dlg::Face::Hidden;
    }));

    CKTVEQ& music = *window.bandSets()->channel(0);
    auto& volume = *window.control<BitmapSlider>(3820);
    ASSERT_TRUE(waitFor([&] { return arrivals.count == 1; }));
    constexpr int kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
        window.sendCommand(codeValue(CommandCode::ReadMode), 0);
        int gain = 100;
        while (arrivals.count < round + 2) {
            music.filter(round % 10)->setGainCode(gain);
            music.combine();
            gain = gain == 140 ? 100 : gain + 4;
            dragSlider(volume, pixelOf(volume, 10 + (gain % 40)));
            window.grab();
            QCoreApplication::processEvents();
        }
    }
    // The last edits reach the device once nothing else is asked of it (and the busy window
    // no longer holds the mouse).
    ASSERT_TRUE(waitFor([&] { return window.progress()->face() == Show_Dlg::Face::Hidden; }));
    music.filter(3)->setGainCode(150);
    dragSlider(volume, pixelOf(volume, 33));
    // Where a drag lands depends on where the thumb was grabbed; what counts is that the
    // device gets what the window holds.
    const int level = volume.getPos();
    ASSERT_NEAR(level, 33, 1);
    const std::size_t band3 =
        layout::image::kMusicLeft + layout::music::kEq + 3 * layout::eqband::kSize;
    ASSERT_TRUE(waitFor([&] {
        const sim::DeviceState d = sim.engine.state();
        bool same = d.system[sb::kMusicVolume] == level;
        for (std::size_t i = band3; i < band3 + 5; ++i)
            same = same && d.working[i] == paramStore().working.byte(i);
        return same;
    }));
    EXPECT_EQ(paramStore().working.byte(band3 + layout::eqband::kGain), 150);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{});
}

} // namespace
} // namespace kesmo::test
