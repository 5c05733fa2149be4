#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "model/DataConver.h"
#include "pages/EQDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/PageDlg.h"
#include "tests/pages/ChannelPageTestSupport.h"
#include "tests/pages/PageTestApp.h"
#include "tests/pages/PageTestSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

using namespace layout;

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

std::size_t blockOf(int channel) {
    return channel == kEqMic1 ? image::kMic1 : image::kMic2;
}

class MicPageTest : public test::ChannelPageTest<Mic_Dlg, 3000> {
protected:
    ModeImage& mirror() { return host.store().mirror; }
    std::vector<std::uint8_t> bytes(const ModeImage& image, std::size_t offset) const {
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i < mic::kSize; ++i)
            out.push_back(image.byte(offset + i));
        return out;
    }
    QString text(int id) { return controlText(page.control(id)); }
    void type(int editId, const char* typed) { type(page.control<NumEdit>(editId), typed); }
    void type(NumEdit* edit, const char* typed) { test::typeInto(*edit, typed); }
    void typeInCombo(int comboId, const char* typed) {
        auto* combo = page.control<QComboBox>(comboId);
        combo->setFocus();
        QTest::keyClicks(combo, QString::fromUtf8(typed));
    }
};

TEST_F(MicPageTest, MicLevelLabelShowsDecibelsInHalfSteps) {
    const struct {
        int code;
        const char* label;
    } cases[] = {{0, "-10.0dB"}, {20, "0.0dB"}, {40, "10.0dB"}, {7, "-6.5dB"}};
    for (const auto& c : cases) {
        dragSlider(3003, c.code);
        EXPECT_EQ(working().byte(image::kMic1 + mic::kMicLevel), c.code);
        EXPECT_EQ(text(3045), QString::fromLatin1(c.label)) << c.code;
    }
    // A level that arrives with the image is shown the same way.
    working().setByte(image::kMic1 + mic::kMicLevel, 20);
    page.refresh();
    EXPECT_EQ(text(3045), QStringLiteral("0.0dB"));
    EXPECT_EQ(slider(3003)->getPos(), 20);
}

// Each microphone in turn: every slider and list writes the shown microphone's own byte, with
// the other microphone left exactly as it was.
class EveryControlEditsTheShownMicrophone : public MicPageTest,
                                            public testing::WithParamInterface<int> {};

TEST_P(EveryControlEditsTheShownMicrophone, AndNotTheOther) {
    const int shown = GetParam();
    click(shown == kEqMic1 ? 1065 : 1066);
    ASSERT_EQ(page.shownChannel(), shown);
    const std::size_t block = blockOf(shown);
    const std::size_t other = blockOf(shown == kEqMic1 ? kEqMic2 : kEqMic1);
    const std::vector<std::uint8_t> otherBefore = bytes(working(), other);

    const QString ms = QStringLiteral("ms");
    const struct {
        int slider;
        int position;
        std::size_t offset;
        int label;
        QString text;
    } sliders[] = {
        {3003, 30, mic::kMicLevel, 3045, QStringLiteral("5.0dB")},
        {3004, 30, mic::kGateThreshold, 3049, QStringLiteral("-48dBV")},
        {3005, 4, mic::kGateAttack, 3051, QString::fromUtf8(AttackTexts[4]) + ms},
        {3006, 5, mic::kGateRelease, 3053, QString::fromUtf8(ReleaseTexts[5])},
        {3007, 10, mic::kLimitLevel, 3056, QStringLiteral("-12dBV")},
        {3008, 3, mic::kLimitAttack, 3058, QString::fromUtf8(AttackTexts[3]) + ms},
        {3009, 6, mic::kLimitRelease, 3060, QString::fromUtf8(ReleaseTexts[6])},
        {3010, 20, mic::kLimitRatio, 3062, QString::fromUtf8(RatioTexts[20])},
    };
    for (const auto& c : sliders) {
        dragSlider(c.slider, c.position);
        EXPECT_EQ(slider(c.slider)->getPos(), c.position) << c.slider;
        EXPECT_EQ(working().byte(block + c.offset), c.position) << c.slider;
        EXPECT_EQ(text(c.label), c.text) << c.slider;
    }
    dragSlider(3004, 0);
    EXPECT_EQ(text(3049), QStringLiteral("OFF"));

    const struct {
        int combo;
        const char* typed;
        std::size_t offset;
        int stored;
    } combos[] = {
        {1053, "FB.EX3", mic::kFeedback, 3},
        {3025, "24dBL", mic::kHpf + crossover::kSlope, 9},
        {3024, "36dBL", mic::kLpf + crossover::kSlope, 12},
        {3023, "7", mic::kLowExciter + exciter::kHarmonic, 7},
        {3020, "2", mic::kLowExciter + exciter::kTimbre, 2},
        {3022, "9", mic::kHighExciter + exciter::kHarmonic, 9},
        {3021, "5", mic::kHighExciter + exciter::kTimbre, 5},
    };
    for (const auto& c : combos) {
        typeInCombo(c.combo, c.typed);
        EXPECT_EQ(working().byte(block + c.offset), c.stored) << c.combo;
    }
    CKTVEQ* set = host.bandSets()->channel(shown);
    EXPECT_EQ(set->highPass()->slope(), 9);
    EXPECT_EQ(set->lowPass()->slope(), 12);

    // Frequency sliders and their boxes: 361 codes over a short slider, so near the target.
    const struct {
        int slider;
        int edit;
        std::size_t offset;
    } frequencies[] = {
        {3001, 3031, mic::kHpf + crossover::kFreq},
        {3002, 3030, mic::kLpf + crossover::kFreq},
        {3011, 1023, mic::kHighExciter + exciter::kFreq},
        {3012, 1022, mic::kLowExciter + exciter::kFreq},
    };
    for (const auto& c : frequencies) {
        dragSlider(c.slider, 180);
        const int code = slider(c.slider)->getPos();
        EXPECT_NEAR(code, 180, 4) << c.slider;
        EXPECT_EQ(working().word(block + c.offset), code) << c.slider;
        EXPECT_EQ(page.control<NumEdit>(c.edit)->getValue(), code) << c.slider;
    }
    EXPECT_EQ(set->highPass()->frequencyHz(),
              crossoverFrequencyHz(working().word(block + mic::kHpf + crossover::kFreq)));

    EXPECT_EQ(bytes(working(), other), otherBefore);
}

INSTANTIATE_TEST_SUITE_P(Microphones, EveryControlEditsTheShownMicrophone,
                         testing::Values(kEqMic1, kEqMic2),
                         [](const testing::TestParamInfo<int>& param) {
                             return param.param == kEqMic1 ? std::string("Mic1")
                                                           : std::string("Mic2");
                         });

TEST_F(MicPageTest, TypedFrequenciesMoveTheirSlidersAndFilters) {
    click(1066);
    const std::size_t block = image::kMic2;
    CKTVEQ* set = host.bandSets()->channel(kEqMic2);
    const struct {
        int edit;
        int slider;
        std::size_t offset;
        CFilter* filter; // the crossover the box drives, or none
    } cases[] = {
        {3031, 3001, mic::kHpf + crossover::kFreq, set->highPass()},
        {3030, 3002, mic::kLpf + crossover::kFreq, set->lowPass()},
        {1023, 3011, mic::kHighExciter + exciter::kFreq, nullptr},
        {1022, 3012, mic::kLowExciter + exciter::kFreq, nullptr},
    };
    for (const auto& c : cases) {
        type(c.edit, "1000");
        EXPECT_EQ(working().word(block + c.offset), 204) << c.edit;
        EXPECT_EQ(slider(c.slider)->getPos(), 204) << c.edit;
        EXPECT_EQ(page.control<NumEdit>(c.edit)->text(), QStringLiteral("1000Hz")) << c.edit;
        if (c.filter != nullptr) {
            EXPECT_DOUBLE_EQ(c.filter->frequencyHz(), crossoverFrequencyHz(204));
        }
    }
    EXPECT_EQ(page.graph()->highlight(), set->lowPassIndex());
}

TEST_F(MicPageTest, TheBandWindowCoversTwentyBandsAndFollowsThePickedBand) {
    pickOnGraph(19);
    EXPECT_EQ(bandWindow()->value(), 10);
    EXPECT_EQ(stripBands(), (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
    EXPECT_EQ(page.highlightedStrip(), page.strip(9));
    EXPECT_EQ(page.strip(9)->captionColour(), kRed);
    EXPECT_EQ(QApplication::focusWidget(), page.strip(9)->control<NumEdit>(1022));

    // The trackbar moved to where it is already rebinds nothing and keeps the highlight.
    bandWindow()->setFocus();
    QTest::keyClick(bandWindow(), Qt::Key_End);
    EXPECT_EQ(bandWindow()->value(), 10);
    EXPECT_EQ(page.highlightedStrip(), page.strip(9));

    // A band inside the window keeps it; one below it goes back to 0.
    pickOnGraph(12);
    EXPECT_EQ(bandWindow()->value(), 10);
    EXPECT_EQ(page.highlightedStrip(), page.strip(2));
    EXPECT_EQ(page.strip(9)->captionColour(), kBlack);
    pickOnGraph(4);
    EXPECT_EQ(bandWindow()->value(), 0);
    EXPECT_EQ(page.highlightedStrip(), page.strip(4));

    QTest::keyClick(bandWindow(), Qt::Key_Right);
    EXPECT_EQ(page.highlightedStrip(), nullptr);
    EXPECT_EQ(page.strip(0)->bandIndex(), 1);
}

TEST_F(MicPageTest, DraggingTheHighPassMarkerUpdatesItsBoxAndSlider) {
    click(1066);
    CKTVEQ* set = page.graph()->bandSet();
    ASSERT_EQ(set, host.bandSets()->channel(kEqMic2));
    ASSERT_EQ(set->highPassIndex(), 20);
    CFilter* highPass = set->filter(20);
    const int before = working().word(image::kMic2 + mic::kHpf + crossover::kFreq);
    const int mic1Before = working().word(image::kMic1 + mic::kHpf + crossover::kFreq);
    GraphView* graph = page.graph();
    // Band 1's marker overlaps the high-pass marker at the low end: grab the part that shows.
    const Rect marker = highPass->markerRect();
    Point c{-1, -1};
    for (int y = marker.top; y < marker.bottom && c.x < 0; ++y)
        for (int x = marker.left; x < marker.right && c.x < 0; ++x)
            if (!set->filter(0)->markerRect().contains(Point{x, y}) && x > 0 && y > 0)
                c = Point{x, y};
    ASSERT_GE(c.x, 0);
    QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
    QTest::mouseMove(graph, QPoint(c.x, c.y));
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(graph, QPoint(c.x + 40 * step, c.y));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(c.x + 160, c.y));
    QCoreApplication::sendPostedEvents();

    const int code = working().word(image::kMic2 + mic::kHpf + crossover::kFreq);
    EXPECT_GT(code, before);
    EXPECT_EQ(slider(3001)->getPos(), code);
    EXPECT_EQ(page.control<NumEdit>(3031)->getValue(), code);
    EXPECT_EQ(working().word(image::kMic1 + mic::kHpf + crossover::kFreq), mic1Before);
}

TEST_F(MicPageTest, SyncEditsMic1AndSwitchingItOffCopiesTheWholeBlock) {
    click(1066);
    dragSlider(3007, 30); // Mic 2's compressor, before the link
    ASSERT_EQ(working().byte(image::kMic2 + mic::kLimitLevel), 30);

    click(1064);
    EXPECT_EQ(working().byte(image::kMicLink), 1);
    EXPECT_EQ(page.shownChannel(), kEqMic1);
    EXPECT_EQ(page.strip(0)->channel(), kEqMic1);
    EXPECT_EQ(page.graph()->channel(), kEqMic1);
    EXPECT_TRUE(page.control<BitButton>(1064)->down());
    for (int id : {1065, 1066}) {
        EXPECT_FALSE(page.control(id)->isEnabled()) << id;
        EXPECT_FALSE(page.control<BitButton>(id)->down()) << id;
    }

    // Linked edits land in Mic 1 only.
    const std::vector<std::uint8_t> mic2Linked = bytes(working(), image::kMic2);
    dragSlider(3007, 12);
    dragSlider(3003, 33);
    type(3031, "200");
    type(page.strip(5)->control<NumEdit>(1022), "6");
    EXPECT_EQ(mic1(working()).eq(5).gain(), 150);
    EXPECT_EQ(working().byte(image::kMic1 + mic::kLimitLevel), 12);
    EXPECT_EQ(working().byte(image::kMic1 + mic::kMicLevel), 33);
    EXPECT_EQ(bytes(working(), image::kMic2), mic2Linked);
    // The extra bands and reserved bytes travel with the copy too.
    working().setByte(image::kMic1 + mic::kExtraBands + eqband::kGain, 77);
    working().setByte(image::kMic1 + mic::kReserved + 4, 0xA5);

    click(1064);
    EXPECT_EQ(working().byte(image::kMicLink), 0);
    const std::vector<std::uint8_t> mic1 = bytes(working(), image::kMic1);
    EXPECT_EQ(bytes(working(), image::kMic2), mic1);
    EXPECT_EQ(bytes(mirror(), image::kMic2), mic1);
    EXPECT_EQ(host.bandSets()->channel(kEqMic2)->filter(5)->band()->gain(), 150);
    EXPECT_TRUE(page.control<BitButton>(1065)->down());
    EXPECT_FALSE(page.control<BitButton>(1066)->down());
    EXPECT_FALSE(page.control<BitButton>(1064)->down());
    EXPECT_TRUE(page.control(1065)->isEnabled());
    EXPECT_TRUE(page.control(1066)->isEnabled());

    // From here on the two are independent again.
    click(1066);
    EXPECT_EQ(text(3056), QStringLiteral("-10dBV"));
    dragSlider(3007, 0);
    EXPECT_EQ(working().byte(image::kMic2 + mic::kLimitLevel), 0);
    EXPECT_EQ(working().byte(image::kMic1 + mic::kLimitLevel), 12);
}

TEST_F(MicPageTest, AModeArrivingLinkedWhileMic2IsShownShowsMic1) {
    click(1066);
    working().setByte(image::kMicLink, 1);
    working().setByte(image::kMic1 + mic::kFeedback, 2);
    working().setByte(image::kMic2 + mic::kFeedback, 4);
    page.refresh();
    EXPECT_EQ(page.shownChannel(), kEqMic1);
    EXPECT_EQ(page.strip(0)->channel(), kEqMic1);
    EXPECT_EQ(page.graph()->channel(), kEqMic1);
    EXPECT_EQ(page.control<QComboBox>(1053)->currentText(), QStringLiteral("FB.EX2"));
    EXPECT_FALSE(page.control(1066)->isEnabled());
}

TEST_F(MicPageTest, EqResetAndBypassActOnTheShownMicrophone) {
    for (std::size_t b = 0; b < mic::kEqBands; ++b) {
        mic1(working()).eq(b).setGain(100);
        mic2(working()).eq(b).setGain(100);
    }
    mic2(working()).extraBand(0).setGain(90);
    click(1066);
    pickOnGraph(2);
    ASSERT_NE(page.highlightedStrip(), nullptr);

    click(1067);
    for (std::size_t b = 0; b < mic::kEqBands; ++b) {
        EXPECT_EQ(mic2(working()).eq(b).gain(), 120) << b;
        EXPECT_EQ(mic1(working()).eq(b).gain(), 100) << b;
    }
    EXPECT_EQ(mic2(working()).extraBand(0).gain(), 90);
    EXPECT_EQ(page.highlightedStrip(), nullptr);
    EXPECT_EQ(page.strip(0)->control<NumEdit>(1022)->text(), QStringLiteral("0.0"));

    click(1068);
    EXPECT_EQ(mic2(working()).eqBypass(), 1);
    EXPECT_EQ(mic1(working()).eqBypass(), 0);
    EXPECT_TRUE(page.control<BitButton>(1068)->down());
    click(1065);
    EXPECT_FALSE(page.control<BitButton>(1068)->down());
    click(1066);
    click(1068);
    EXPECT_EQ(mic2(working()).eqBypass(), 0);
    EXPECT_FALSE(page.control<BitButton>(1068)->down());
}

// Bytes from a device or a file can hold anything: the page shows them without reading past
// its tables and puts each slider at its end.
TEST_F(MicPageTest, OutOfRangeBytesAreShownSafely) {
    for (std::size_t i = 0; i < mic::kSize; ++i)
        working().setByte(image::kMic1 + i, 0xFF);
    page.refresh();
    EXPECT_EQ(slider(3003)->getPos(), 40);
    EXPECT_EQ(slider(3001)->getPos(), 361);
    EXPECT_EQ(page.control<QComboBox>(1053)->currentIndex(), -1);
    EXPECT_EQ(text(3051), QString::fromUtf8(AttackTexts[kAttackTextCount - 1]) + "ms");
    EXPECT_EQ(text(3062), QString::fromUtf8(RatioTexts[kRatioTextCount - 1]));
}

TEST_F(MicPageTest, EasyModeLocksTheAdvancedControlsAndKeepsTheirValues) {
    page.applyUiMode(0);
    for (int id : {3005, 3006, 3007, 3008, 3009, 3010})
        EXPECT_FALSE(slider(id)->isSliderEnabled()) << id;
    for (int id : {1064, 3051, 3053, 3056, 3058, 3060, 3062, 1022, 1023, 3020, 3021})
        EXPECT_FALSE(page.control(id)->isEnabled()) << id;
    for (int id : {3001, 3002, 3003, 3004, 3011, 3012})
        EXPECT_TRUE(slider(id)->isSliderEnabled()) << id;
    for (int id : {1065, 1066, 1067, 1068, 3025, 3024, 3031, 3030, 1053, 3023, 3022, 3049})
        EXPECT_TRUE(page.control(id)->isEnabled()) << id;
    EXPECT_TRUE(page.strip(0)->isEnabled());

    const std::uint8_t ratio = working().byte(image::kMic1 + mic::kLimitRatio);
    dragSlider(3010, 25);
    EXPECT_EQ(working().byte(image::kMic1 + mic::kLimitRatio), ratio);
    dragSlider(3012, 100); // the exciter slider still works
    EXPECT_EQ(working().word(image::kMic1 + mic::kLowExciter + exciter::kFreq),
              slider(3012)->getPos());
    EXPECT_EQ(text(3066), QStringLiteral("Harmonic"));

    page.applyUiMode(1);
    EXPECT_TRUE(slider(3010)->isSliderEnabled());
    EXPECT_TRUE(page.control(1064)->isEnabled());
}

TEST_F(MicPageTest, TextsFollowTheLanguage) {
    const struct {
        int id;
        const char* english;
        const char* chinese;
    } cases[] = {
        {1064, "SYNC", "同步"},
        {1065, "Mic 1", "话筒1"},
        {1066, "Mic 2", "话筒2"},
        {1067, "EQ Reset", "EQ 重置"},
        {1068, "EQ Bypass", "EQ Bypass"},
        {3041, "HPF", "高通"},
        {3043, "LPF", "低通"},
        {3047, "NoiseGate", "噪声门"},
        {3054, "Limit", "压限器"},
        {3044, "Mic Level", "话筒电平"},
        {3057, "Attack Time(Atk)", "压限启动时间(Atk)"},
        {1395, "Gain(dB)", "增益(dB)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(c.id), QString::fromUtf8(c.english)) << c.id;
    host.language = 1;
    page.refreshTexts();
    page.applyUiMode(0);
    for (const auto& c : cases)
        EXPECT_EQ(text(c.id), QString::fromUtf8(c.chinese)) << c.id;
    EXPECT_EQ(text(3071), QString::fromUtf8("谐波量"));
}

TEST_F(MicPageTest, NoControlCoversAnotherOrTheGraph) {
    test::expectNoOverlaps(page, *page.strip(0));
}

} // namespace
} // namespace kesmo
