#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "filters/BandSets.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "pages/EQDlg.h"
#include "pages/MainDlg.h"
#include "resources/Skin.h"
#include "tests/pages/PageTestApp.h"
#include "tests/pages/PageTestSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace kesmo {
namespace {

using namespace layout;

constexpr int kMainTab = 4, kCenterTab = 5, kSubTab = 6, kRearTab = 7;
constexpr int kMainL = 8, kMainR = 9, kCenter = 10, kSub = 11, kRearL = 12, kRearR = 13;

std::size_t blockOf(int scene, int channel) {
    return outputChannelOffset(scene, channel - kEqOutputFirst);
}

// Every control that edits the model.
constexpr int kEditingButtons[] = {3700, 3703, 3704, 3705, 3706, 3750, 3751, 3752, 3753, 3754};
constexpr int kEditingSliders[] = {3720, 3721, 3722, 3723, 3724, 3725, 3726,
                                   3727, 3728, 3729, 3730, 3731, 3732};
constexpr int kEditingFields[] = {1025, 1026, 1287, 1290};

// Public: the tables of cases act on the page through it.
class OutputPageTest : public testing::Test {
public:
    OutputPageTest() : page(host, nullptr) {
        page.refreshTexts();
        open(kRearTab);
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    // What the main window does on a switch to an output tab.
    void open(int tab) {
        host.page = tab;
        page.showGroup(tab);
        page.refresh();
        page.applyUiMode(host.mode);
    }
    ModeImage& working() { return host.store().working; }
    ModeImage& mirror() { return host.store().mirror; }
    BitmapSlider* slider(int id) { return page.control<BitmapSlider>(id); }
    QString label(int id) { return page.control<Edit_Static>(id)->text(); }
    bool down(int id) { return page.control<BitButton>(id)->down(); }
    void click(int id) {
        QTest::mouseClick(page.control(id), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    void key(int id, Qt::Key k) {
        page.control(id)->setFocus();
        QTest::keyClick(page.control(id), k);
        QCoreApplication::sendPostedEvents();
    }
    void drag(int id, int position) { test::dragPageSlider(*slider(id), position); }
    void type(QWidget* edit, const char* text) {
        QTest::mouseClick(edit, Qt::LeftButton);
        static_cast<NumEdit*>(edit)->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::sendPostedEvents();
    }
    void typeGain(int strip, const char* text) {
        type(page.strip(strip)->control<NumEdit>(1022), text);
    }
    std::vector<std::uint8_t> snapshot() {
        std::vector<std::uint8_t> bytes(kModeImageSize);
        for (std::size_t i = 0; i < kModeImageSize; ++i)
            bytes[i] = working().byte(i);
        return bytes;
    }
    std::vector<std::size_t> changedSince(const std::vector<std::uint8_t>& before) {
        std::vector<std::size_t> changed;
        for (std::size_t i = 0; i < kModeImageSize; ++i)
            if (working().byte(i) != before[i])
                changed.push_back(i);
        return changed;
    }

    test::FakePageHost host;
    MainDlg page;
};

// An action on the page and the bytes it may change: `width` bytes at `rel` of a channel's
// block in the edited scene.
struct EditCase {
    const char* what;
    std::function<void(OutputPageTest&)> act;
    int channel;
    std::size_t rel;
    std::size_t width;
};

class OutputPageEdits : public OutputPageTest {
protected:
    void expectEdits(const EditCase& c, int scene) {
        const std::vector<std::uint8_t> before = snapshot();
        c.act(*this);
        const std::vector<std::size_t> changed = changedSince(before);
        ASSERT_FALSE(changed.empty()) << c.what;
        const std::size_t first = blockOf(scene, c.channel) + c.rel;
        for (std::size_t offset : changed)
            EXPECT_TRUE(offset >= first && offset < first + c.width)
                << c.what << " changed byte " << offset << ", expected " << first << ".."
                << first + c.width - 1;
    }
};

const EditCase kRearRightCases[] = {
    {"limit level", [](OutputPageTest& t) { t.drag(3725, 30); }, kRearL, 62, 1},
    {"attack", [](OutputPageTest& t) { t.drag(3726, 12); }, kRearL, 63, 1},
    {"release", [](OutputPageTest& t) { t.drag(3727, 5); }, kRearL, 64, 1},
    {"ratio", [](OutputPageTest& t) { t.drag(3728, 25); }, kRearL, 65, 1},
    {"L mute", [](OutputPageTest& t) { t.click(3705); }, kRearL, output::kMute, 1},
    {"R mute", [](OutputPageTest& t) { t.click(3706); }, kRearR, output::kMute, 1},
    {"left delay", [](OutputPageTest& t) { t.key(3729, Qt::Key_End); }, kRearL, 74, 2},
    {"right delay", [](OutputPageTest& t) { t.key(3730, Qt::Key_End); }, kRearR, 74, 2},
    {"music level", [](OutputPageTest& t) { t.drag(3720, 150); }, kRearR, 1, 1},
    {"music sign", [](OutputPageTest& t) { t.click(3750); }, kRearR, 2, 1},
    {"mic level", [](OutputPageTest& t) { t.drag(3721, 50); }, kRearR, 3, 1},
    {"reverb sign", [](OutputPageTest& t) { t.click(3754); }, kRearR, 10, 1},
    {"EQ band 3 gain", [](OutputPageTest& t) { t.typeGain(2, "6"); }, kRearR, 11 + 2 * 5 + 2, 1},
    {"EQ Pass", [](OutputPageTest& t) { t.click(3704); }, kRearR, output::kEqBypass, 1},
    {"HPF slider", [](OutputPageTest& t) { t.drag(3731, 120); }, kRearR, output::kHpf + 1, 2},
    {"HPF typed", [](OutputPageTest& t) { t.type(t.page.control(1287), "1000"); }, kRearR,
     output::kHpf + 1, 2},
    {"LPF slope", [](OutputPageTest& t) { t.key(1026, Qt::Key_End); }, kRearR, output::kLpf + 3, 1},
};

TEST_F(OutputPageEdits, WithRearRShownTheLimiterAndLMuteEditRearLAndTheRestRearR) {
    click(3702);
    ASSERT_EQ(page.shownChannel(), kRearR);
    ASSERT_EQ(page.strip(0)->channel(), kRearR);
    for (const EditCase& c : kRearRightCases)
        expectEdits(c, 1);
}

TEST_F(OutputPageEdits, SingleChannelsHideThePairControlsAndEditTheirOwnBlock) {
    constexpr int kPairControls[] = {3700, 3701, 3702, 3706, 1283, 1284, 1416, 3730};
    for (const auto& [tab, channel] : {std::pair{kCenterTab, kCenter}, std::pair{kSubTab, kSub}}) {
        open(tab);
        EXPECT_EQ(page.shownChannel(), channel);
        EXPECT_EQ(page.graph()->channel(), channel);
        for (int id : kPairControls)
            EXPECT_FALSE(page.control(id)->isVisible()) << tab << ", control " << id;
        for (int id : {3705, 3729, 1281, 1415, 3703, 3704})
            EXPECT_TRUE(page.control(id)->isVisible()) << tab << ", control " << id;
        const EditCase cases[] = {
            {"mute", [](OutputPageTest& t) { t.click(3705); }, channel, output::kMute, 1},
            {"delay", [](OutputPageTest& t) { t.drag(3729, 700); }, channel, 74, 2},
            {"limiter", [](OutputPageTest& t) { t.drag(3725, 5); }, channel, 62, 1},
            {"level", [](OutputPageTest& t) { t.drag(3724, 90); }, channel, 9, 1},
            {"EQ", [](OutputPageTest& t) { t.typeGain(9, "-3"); }, channel, 11 + 45 + 2, 1},
        };
        for (const EditCase& c : cases)
            expectEdits(c, 1);
    }
}

TEST_F(OutputPageEdits, AutoDisablesEveryEditingControlAndDiscoEditsSceneTwo) {
    click(3707);
    EXPECT_EQ(working().byte(image::kSceneSelect), 0);
    EXPECT_TRUE(down(3707));
    // The main window re-applies the mode after its refresh; the limiter stays locked.
    page.applyUiMode(1);
    for (int i = 0; i < MainDlg::kStrips; ++i)
        EXPECT_FALSE(page.strip(i)->isEnabled()) << "strip " << i;
    EXPECT_FALSE(page.strip(0)->control<BitmapSlider>(1291)->isSliderEnabled());
    EXPECT_FALSE(page.graph()->isEnabled());
    for (int id : kEditingButtons)
        EXPECT_FALSE(page.control(id)->isEnabled()) << id;
    for (int id : kEditingSliders)
        EXPECT_FALSE(slider(id)->isSliderEnabled()) << id;
    for (int id : kEditingFields)
        EXPECT_FALSE(page.control(id)->isEnabled()) << id;

    // Nothing the user does reaches the image.
    const std::vector<std::uint8_t> before = snapshot();
    click(3705);
    click(3750);
    drag(3720, 180);
    key(3729, Qt::Key_End);
    typeGain(0, "9");
    EXPECT_TRUE(changedSince(before).empty());

    click(3709);
    EXPECT_EQ(working().byte(image::kSceneSelect), 2);
    EXPECT_TRUE(down(3709));
    EXPECT_FALSE(down(3707));
    for (int i = 0; i < MainDlg::kStrips; ++i)
        EXPECT_TRUE(page.strip(i)->isEnabled()) << "strip " << i;
    EXPECT_TRUE(page.graph()->isEnabled());
    for (int id : kEditingButtons)
        EXPECT_TRUE(page.control(id)->isEnabled()) << id;
    for (int id : kEditingSliders)
        EXPECT_TRUE(slider(id)->isSliderEnabled()) << id;
    for (int id : kEditingFields)
        EXPECT_TRUE(page.control(id)->isEnabled()) << id;
    CKTVEQ* disco = host.bandSets()->output(2, kRearL - kEqOutputFirst);
    EXPECT_EQ(page.graph()->bandSet(), disco);
    EXPECT_EQ(page.strip(4)->band(), disco->filter(4));
    const EditCase cases[] = {
        {"EQ", [](OutputPageTest& t) { t.typeGain(4, "4"); }, kRearL, 11 + 20 + 2, 1},
        {"mute", [](OutputPageTest& t) { t.click(3706); }, kRearR, 0, 1},
        {"level", [](OutputPageTest& t) { t.drag(3722, 60); }, kRearL, 5, 1},
        {"LPF", [](OutputPageTest& t) { t.drag(3732, 100); }, kRearL, output::kLpf + 1, 2},
    };
    for (const EditCase& c : cases)
        expectEdits(c, 2);
}

TEST_F(OutputPageEdits, EasyModeLocksSyncAndTheLimiterOnly) {
    page.applyUiMode(0);
    for (int id : {3725, 3726, 3727, 3728})
        EXPECT_FALSE(slider(id)->isSliderEnabled()) << id;
    for (int id : {3700, 1269, 1272, 1275, 1278})
        EXPECT_FALSE(page.control(id)->isEnabled()) << id;
    for (int id : {3720, 3729, 3730, 3731, 3732})
        EXPECT_TRUE(slider(id)->isSliderEnabled()) << id;
    for (int id : {3701, 3702, 3703, 3704, 3705, 3706, 3750})
        EXPECT_TRUE(page.control(id)->isEnabled()) << id;
    const std::vector<std::uint8_t> before = snapshot();
    drag(3725, 3);
    click(3700);
    EXPECT_TRUE(changedSince(before).empty());
    page.applyUiMode(1);
    EXPECT_TRUE(slider(3725)->isSliderEnabled());
}

TEST_F(OutputPageTest, MainLinkOnShowsMainLAndOffCopiesItInEveryScene) {
    open(kMainTab);
    click(3702);
    ASSERT_EQ(page.shownChannel(), kMainR);
    click(3700);
    EXPECT_EQ(working().byte(image::kMainLink), 1);
    EXPECT_TRUE(down(3700));
    EXPECT_EQ(page.shownChannel(), kMainL);
    EXPECT_EQ(page.strip(0)->channel(), kMainL);
    EXPECT_EQ(page.graph()->channel(), kMainL);
    EXPECT_FALSE(page.control(3701)->isEnabled());
    EXPECT_FALSE(page.control(3702)->isEnabled());
    EXPECT_FALSE(down(3701));
    EXPECT_FALSE(down(3702));

    // Main L and Main R differ in every byte, in every scene.
    for (int scene = 1; scene <= kScenes; ++scene)
        for (std::size_t i = 0; i < output::kSize; ++i) {
            working().setByte(blockOf(scene, kMainL) + i,
                              static_cast<std::uint8_t>(static_cast<std::size_t>(scene) + i));
            working().setByte(blockOf(scene, kMainR) + i, static_cast<std::uint8_t>(200 - i));
        }
    const auto rightBefore = snapshot();
    click(3700);
    EXPECT_EQ(working().byte(image::kMainLink), 0);
    for (int scene = 1; scene <= kScenes; ++scene) {
        const std::size_t left = blockOf(scene, kMainL), right = blockOf(scene, kMainR);
        for (std::size_t i = 0; i < output::kSize; ++i) {
            const bool own = i == output::kMute || i == output::kDelay || i == output::kDelay + 1;
            const std::uint8_t expected = own ? rightBefore[right + i] : working().byte(left + i);
            EXPECT_EQ(working().byte(right + i), expected) << "scene " << scene << ", byte " << i;
            // The copied bytes go to the mirror too, so nothing is sent for them.
            if (!own) {
                EXPECT_EQ(mirror().byte(right + i), expected) << "scene " << scene << ", " << i;
            }
        }
    }
    EXPECT_FALSE(down(3700));
    EXPECT_TRUE(down(3701));
    EXPECT_TRUE(page.control(3701)->isEnabled());
    EXPECT_TRUE(page.control(3702)->isEnabled());
    EXPECT_EQ(host.bandSets()->output(1, 1)->filter(0)->band()->gain(),
              working().byte(blockOf(1, kMainL) + output::kEq + 2));
}

TEST_F(OutputPageTest, LabelsShowTheValueInItsUnit) {
    struct Case {
        int slider;
        Qt::Key key;
        int label;
        const char* text;
        std::size_t rel;
        int stored;
    };
    const Case cases[] = {
        {3729, Qt::Key_End, 1281, "150.0ms", output::kDelay, 1500},
        {3729, Qt::Key_End, 1415, "51.000m", output::kDelay, 1500},
        {3729, Qt::Key_Home, 1415, "0.000m", output::kDelay, 0},
        {3720, Qt::Key_End, 1253, "200%", output::kMusicLevel, 200},
        {3725, Qt::Key_Home, 1269, "-22dB", output::kLimitLevel, 0},
        {3725, Qt::Key_End, 1269, "12dB", output::kLimitLevel, 34},
    };
    for (const Case& c : cases) {
        key(c.slider, c.key);
        EXPECT_EQ(label(c.label), QString::fromLatin1(c.text)) << c.slider;
        const std::size_t at = blockOf(1, kRearL) + c.rel;
        const int stored = c.rel == output::kDelay ? working().word(at) : working().byte(at);
        EXPECT_EQ(stored, c.stored) << c.slider;
    }
    // A delay from the device beyond the slider's range: the metres show it as it is.
    working().setWord(blockOf(1, kRearR) + output::kDelay, 3000);
    page.refresh();
    EXPECT_EQ(label(1416), QStringLiteral("102.000m"));
    EXPECT_EQ(slider(3730)->getPos(), 1500);
}

TEST_F(OutputPageTest, EachPairKeepsItsShownChannelAcrossTabs) {
    click(3702);
    open(kMainTab);
    EXPECT_EQ(page.shownChannel(), kMainL);
    open(kCenterTab);
    open(kRearTab);
    EXPECT_EQ(page.shownChannel(), kRearR);
    EXPECT_EQ(page.strip(0)->channel(), kRearR);
    EXPECT_EQ(page.graph()->channel(), kRearR);
    EXPECT_TRUE(down(3702));
    EXPECT_FALSE(down(3701));
}

// A mode that arrives with another scene: the strips and the graph edit that scene from the
// next edit on, before the page was refreshed.
TEST_F(OutputPageTest, AStripEditsTheSceneThatIsBeingEdited) {
    working().setByte(image::kSceneSelect, 3);
    typeGain(1, "-6");
    const std::size_t gain = output::kEq + 5 + eqband::kGain;
    EXPECT_EQ(working().byte(blockOf(3, kRearL) + gain), 90);
    EXPECT_EQ(working().byte(blockOf(1, kRearL) + gain), 120);
    page.graph()->redraw(-1, false);
    EXPECT_EQ(page.graph()->bandSet(), host.bandSets()->output(3, kRearL - kEqOutputFirst));
    page.refresh();
    EXPECT_TRUE(down(3710));
    EXPECT_FALSE(down(3708));
}

TEST_F(OutputPageTest, CrossoverControlsHighlightTheirMarker) {
    CKTVEQ* set = host.bandSets()->channel(kRearL);
    drag(3732, 200);
    EXPECT_EQ(page.graph()->highlight(), set->lowPassIndex());
    EXPECT_EQ(page.control<NumEdit>(1290)->getValue(), slider(3732)->getPos());
    EXPECT_DOUBLE_EQ(set->lowPass()->frequencyHz(), crossoverFrequencyHz(slider(3732)->getPos()));
    type(page.control(1287), "100");
    EXPECT_EQ(page.graph()->highlight(), set->highPassIndex());
    EXPECT_EQ(slider(3731)->getPos(), working().word(blockOf(1, kRearL) + output::kHpf + 1));

    // A drag of the high-pass marker reloads its box and slider.
    set->highPass()->setCrossoverFrequencyCode(40);
    QCoreApplication::postEvent(
        &page, new MessageEvent(Message::GraphBandSelected, kRearL, set->highPassIndex()));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(page.control<NumEdit>(1287)->getValue(), 40);
    EXPECT_EQ(slider(3731)->getPos(), 40);
}

TEST_F(OutputPageTest, TouchingAStripHighlightsItUntilTheNextRefresh) {
    EXPECT_EQ(page.highlightedStrip(), nullptr);
    QTest::mouseClick(page.strip(6)->control<NumEdit>(1024), Qt::LeftButton);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(page.highlightedStrip(), page.strip(6));
    EXPECT_EQ(page.strip(6)->captionColour(), QColor(255, 0, 0));
    page.refresh();
    EXPECT_EQ(page.highlightedStrip(), nullptr);
    EXPECT_EQ(page.strip(6)->captionColour(), QColor(0, 0, 0));
}

TEST_F(OutputPageTest, TogglesShowTheirByte) {
    for (int id : {3750, 3705, 3704}) {
        click(id);
        EXPECT_TRUE(down(id)) << id;
        click(id);
        EXPECT_FALSE(down(id)) << id;
    }
    working().setByte(blockOf(1, kRearL) + output::kMicSign, 1);
    working().setByte(blockOf(1, kRearR) + output::kMute, 1);
    page.refresh();
    EXPECT_TRUE(down(3751));
    EXPECT_TRUE(down(3706));
    EXPECT_FALSE(down(3705));
}

// Every control on screen, the strips included: none covers another or the graph.
TEST_F(OutputPageTest, NoControlCoversAnotherOrTheGraph) {
    for (int tab : {kMainTab, kSubTab}) {
        open(tab);
        test::expectNoControlCovers(page);
    }
}

} // namespace
} // namespace kesmo
