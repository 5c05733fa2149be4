#include "controls/BitButton.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "pages/EQDlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/Rev_Dlg.h"
#include "shell/Show_Dlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <QComboBox>
#include <cstdlib>
#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

using namespace layout;

constexpr int kEffectTab = 3;

// The Effect tab of the real main window, connected to the simulator and read out.
class EffectPageLinkTest : public ::testing::Test {
protected:
    void open(int languageMode = kDeliveredLanguageMode) {
        candidates.serial = {sim.path()};
        KesmoSetup setup;
        setup.languageMode = languageMode;
        setup.candidates = &candidates;
        setup.clock = &noPauseClock();
        setup.screenSize = QSize(1920, 1080);
        window = std::make_unique<KesmoDlg>(setup);
        window->show();
        ASSERT_TRUE(waitFor([&] {
            return linkState().connected != 0 &&
                   window->progress()->face() == Show_Dlg::Face::Hidden &&
                   window->control<FontStatic>(3830)->text() != QStringLiteral("Off Line") &&
                   window->control<FontStatic>(3830)->text() != QString::fromUtf8("脱机") &&
                   sim.engine.count(130) >= 1;
        }));
        // Full mode: every control of the page is usable.
        auto* mode = window->control<QComboBox>(1025);
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_End);
        ASSERT_EQ(window->uiMode(), 1);
        auto* tabs = window->control<EnTabCtrl>(1028);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kEffectTab).center());
        page = static_cast<Effect_Dlg*>(window->page(kEffectTab));
        ASSERT_TRUE(page->isVisible());
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
    void choose(int selectorId) {
        QTest::mouseClick(page->control(selectorId), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    EffectPanel& shown() {
        if (page->currentEffectChannel() == kEqReverb)
            return *page->reverbPanel();
        return *page->echoPanel();
    }
    void key(QWidget* control, Qt::Key k) {
        control->setFocus();
        QTest::keyClick(control, k);
        QCoreApplication::sendPostedEvents();
    }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    SimDevice sim;
    std::unique_ptr<KesmoDlg> window;
    Effect_Dlg* page = nullptr;
};

// On each sub-page a time slider and a band gain reach the device's block.
TEST_F(EffectPageLinkTest, AnEditOnEachSubPageReachesTheDevice) {
    open();
    struct Case {
        int selector;
        std::size_t block;
        int slider;
        std::size_t offset; // of a 16-bit field
        int expected;
    };
    const Case cases[] = {
        {1065, image::kEchoB, 3607, echo::kDelay, 5000},
        {1066, image::kReverb, 3625, reverb::kReverbTime, 50000},
        {1064, image::kEchoA, 3604, echo::kPreDelay, 1500},
    };
    for (const Case& c : cases) {
        choose(c.selector);
        EffectPanel& panel = shown();
        ASSERT_TRUE(panel.isVisible()) << c.selector;
        key(panel.control(c.slider), Qt::Key_End);
        const std::size_t at = c.block + c.offset;
        ASSERT_EQ(working().word(at), c.expected);
        EXPECT_TRUE(waitFor([&] {
            const sim::DeviceState d = device();
            return d.working[at] == (c.expected & 0xFF) && d.working[at + 1] == (c.expected >> 8);
        })) << c.selector;

        EQDlg* strip = panel.strip(1);
        const std::size_t band = c.block + echo::kEq + eqband::kSize;
        const int gain = working().byte(band + eqband::kGain);
        key(strip->control(1291), Qt::Key_Up);
        EXPECT_EQ(working().byte(band + eqband::kGain), gain + 1);
        EXPECT_TRUE(waitFor([&] { return deviceHolds(band, eqband::kSize); })) << c.selector;
    }
    // Nothing else moved on either side.
    ASSERT_TRUE(waitFor([&] { return deviceHolds(0, kModeImageSize); }));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EffectPageLinkTest, TheEchoBlocksAndTheReverbArriveFromTheDevice) {
    sim.engine.modifyState([](sim::DeviceState& d) {
        d.working[image::kEchoB + echo::kRepeat] = 200;
        d.working[image::kReverb + reverb::kReverbTime] = 2750 & 0xFF;
        d.working[image::kReverb + reverb::kReverbTime + 1] = 2750 >> 8;
        d.working[image::kReverb + reverb::kDrySign] = 1;
    });
    open();
    choose(1065);
    EXPECT_EQ(shown().control<BitmapSlider>(3606)->getPos(), 90);
    EXPECT_EQ(shown().control<Edit_Static>(3520)->text(), QStringLiteral("200%"));
    choose(1066);
    EXPECT_EQ(shown().control<BitmapSlider>(3625)->getPos(), 5);
    EXPECT_EQ(shown().control<Edit_Static>(3548)->text(), QStringLiteral("250ms"));
    EXPECT_TRUE(shown().control<BitButton>(3534)->down());
    EXPECT_FALSE(shown().control<BitButton>(3531)->down());
    // Shown, not written: the device keeps its values.
    EXPECT_EQ(device().working[image::kEchoB + echo::kRepeat], 200);
}

// With KESMO_SHOT_DIR set: the connected window on each effect sub-page.
class EffectPageScreenshot : public EffectPageLinkTest,
                             public ::testing::WithParamInterface<int> {};

TEST_P(EffectPageScreenshot, OnEachSubPage) {
    const char* dir = std::getenv("KESMO_SHOT_DIR");
    if (dir == nullptr)
        GTEST_SKIP() << "KESMO_SHOT_DIR not set";
    const int languageMode = GetParam();
    sim.engine.modifyState([](sim::DeviceState& d) {
        const std::uint8_t gains[echo::kEqBands] = {126, 132, 116, 110, 124, 130, 118};
        for (std::size_t b : {image::kEchoA, image::kEchoB, image::kReverb}) {
            for (std::size_t i = 0; i < echo::kEqBands; ++i) {
                const std::size_t band = b + echo::kEq + i * eqband::kSize;
                d.working[band + eqband::kType] = 1;
                d.working[band + eqband::kGain] = static_cast<std::uint8_t>(gains[i] + b % 7);
            }
            d.working[b + echo::kHpf + crossover::kFreq] = 40;
            d.working[b + echo::kHpf + crossover::kSlope] = 4;
            d.working[b + echo::kLpf + crossover::kSlope] = 9;
            d.working[b + echo::kWetVolume] = 80;
            d.working[b + echo::kDryVolume] = 100;
            d.working[b + echo::kDrySign] = 1;
            d.working[b + echo::kPreDelay] = 200;
        }
        d.working[image::kEchoA + echo::kDelay] = 0x10;
        d.working[image::kEchoA + echo::kDelay + 1] = 0x0E;
        d.working[image::kEchoA + echo::kRepeat] = 60;
        d.working[image::kEchoA + echo::kRightDelay] = 70;
        d.working[image::kReverb + reverb::kReverbTime] = 0x64;
        d.working[image::kReverb + reverb::kReverbTime + 1] = 0x19;
    });
    open(languageMode);
    struct Shot {
        int selector;
        const char* name;
    };
    for (const Shot& shot : {Shot{1064, "echoa"}, Shot{1065, "echob"}, Shot{1066, "reverb"}}) {
        choose(shot.selector);
        shown().strip(2)->control<QWidget>(1024)->setFocus();
        QTest::mouseClick(shown().strip(2)->control(1024), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
        ASSERT_NE(linkState().connected, 0);
        const QString file =
            QStringLiteral("%1/effects-%2-%3.png")
                .arg(QString::fromLocal8Bit(dir), QString::fromLatin1(shot.name),
                     languageMode == 0 ? QStringLiteral("english") : QStringLiteral("chinese"));
        EXPECT_TRUE(window->grab().save(file));
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, EffectPageScreenshot, ::testing::Values(0, 1));

} // namespace
} // namespace kesmo::test
