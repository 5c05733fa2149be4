#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "model/DataConver.h"
#include "pages/EQDlg.h"
#include "pages/MusicDlg.h"
#include "pages/PageDlg.h"
#include "resources/Skin.h"
#include "tests/pages/PageTestApp.h"
#include "tests/pages/PageTestSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

using namespace layout;

const QColor kRed(255, 0, 0);

class MusicPageTest : public testing::Test {
protected:
    MusicPageTest() : page(host, nullptr) {
        page.refreshTexts();
        page.applyUiMode(1);
        page.refresh();
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    ModeImage& working() { return host.store().working; }
    BitmapSlider* slider(int id) { return page.control<BitmapSlider>(id); }
    QSlider* bandWindow() { return page.control<QSlider>(1029); }
    void click(int buttonId) {
        QTest::mouseClick(page.control(buttonId), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    // Left click on a band's marker of the graph.
    void pickOnGraph(int index) {
        GraphView* graph = page.graph();
        const Point c = graph->bandSet()->filter(index)->markerRect().centre();
        QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
        QTest::mouseMove(graph, QPoint(c.x, c.y));
        QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
        QCoreApplication::sendPostedEvents();
    }
    void dragSlider(int id, int position) { test::dragPageSlider(*slider(id), position); }
    std::vector<int> stripBands() {
        std::vector<int> bands;
        for (int i = 0; i < MusicDlg::kStrips; ++i)
            bands.push_back(page.strip(i)->bandIndex());
        return bands;
    }

    test::FakePageHost host;
    MusicDlg page;
};

TEST_F(MusicPageTest, TheBandWindowMovesAndFollowsBandsPickedOnTheGraph) {
    bandWindow()->setFocus();
    QTest::keyClick(bandWindow(), Qt::Key_End);
    EXPECT_EQ(bandWindow()->value(), 5);
    EXPECT_EQ(stripBands(), (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(page.strip(0)->control<FontStatic>(1027)->text(), QStringLiteral("6"));

    pickOnGraph(3);
    EXPECT_EQ(bandWindow()->value(), 0);
    EXPECT_EQ(page.strip(3)->bandIndex(), 3);
    EXPECT_EQ(QApplication::focusWidget(), page.strip(3)->control<NumEdit>(1022));
    EXPECT_EQ(page.highlightedStrip(), page.strip(3));
    EXPECT_EQ(page.strip(3)->captionColour(), kRed);

    pickOnGraph(12);
    EXPECT_EQ(bandWindow()->value(), 3);
    EXPECT_EQ(page.highlightedStrip(), page.strip(9));
    EXPECT_EQ(page.strip(3)->captionColour(), QColor(0, 0, 0));
}

TEST_F(MusicPageTest, MovingTheWindowOrResettingClearsTheHighlightUntilAStripIsTouched) {
    pickOnGraph(2);
    ASSERT_NE(page.highlightedStrip(), nullptr);
    bandWindow()->setFocus();
    QTest::keyClick(bandWindow(), Qt::Key_Right);
    EXPECT_EQ(page.highlightedStrip(), nullptr);

    // Touching a strip highlights it.
    NumEdit* q = page.strip(4)->control<NumEdit>(1024);
    QTest::mouseClick(q, Qt::LeftButton);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(page.highlightedStrip(), page.strip(4));

    musicLeft(working()).eq(1).setGain(10);
    click(1067);
    EXPECT_EQ(page.highlightedStrip(), nullptr);
    EXPECT_EQ(musicLeft(working()).eq(1).gain(), 120);
    EXPECT_EQ(page.strip(0)->control<NumEdit>(1022)->text(), QStringLiteral("0.0"));
}

TEST_F(MusicPageTest, SyncOnWhileMusicRightIsShownGoesBackToMusicLeft) {
    click(1066);
    EXPECT_EQ(page.shownChannel(), kEqMusicRight);
    EXPECT_EQ(page.strip(0)->channel(), kEqMusicRight);
    EXPECT_EQ(page.graph()->channel(), kEqMusicRight);

    click(1064);
    EXPECT_EQ(working().byte(image::kMusicLink), 1);
    EXPECT_EQ(page.shownChannel(), kEqMusicLeft);
    EXPECT_EQ(page.strip(0)->channel(), kEqMusicLeft);
    EXPECT_EQ(page.graph()->channel(), kEqMusicLeft);
    EXPECT_FALSE(page.control(1065)->isEnabled());
    EXPECT_FALSE(page.control(1066)->isEnabled());
    EXPECT_TRUE(page.control<BitButton>(1064)->down());

    // Linked edits go to Music Left; switching off copies it over Music Right, mirror too.
    musicLeft(working()).eq(3).setGain(170);
    click(1064);
    EXPECT_EQ(working().byte(image::kMusicLink), 0);
    ModeImage& mirror = host.store().mirror;
    for (std::size_t i = 0; i < music::kSize; ++i) {
        ASSERT_EQ(working().byte(image::kMusicRight + i), working().byte(image::kMusicLeft + i))
            << i;
        ASSERT_EQ(mirror.byte(image::kMusicRight + i), working().byte(image::kMusicRight + i)) << i;
    }
    EXPECT_TRUE(page.control(1066)->isEnabled());
    EXPECT_TRUE(page.control<BitButton>(1065)->down());
    EXPECT_FALSE(page.control<BitButton>(1064)->down());
    EXPECT_EQ(host.bandSets()->channel(kEqMusicRight)->filter(3)->band()->gain(), 170);
}

TEST_F(MusicPageTest, LimiterAndGateAlwaysEditMusicLeft) {
    click(1066);
    ASSERT_EQ(page.shownChannel(), kEqMusicRight);
    struct Case {
        int slider;
        int position;
        std::size_t offset;
        int label;
        const char* text;
    };
    const Case cases[] = {
        {1038, 10, music::kLimitLevel, 1037, "-12dBV"},
        {1081, 3, music::kLimitAttack, 1039, nullptr},
        {1041, 5, music::kLimitRelease, 1040, nullptr},
        {1042, 20, music::kLimitRatio, 1043, nullptr},
        {1047, 30, music::kGateThreshold, 1046, "-48dBV"},
        {1047, 0, music::kGateThreshold, 1046, "OFF"},
    };
    auto rightBytes = [this] {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < 7; ++i)
            bytes.push_back(working().byte(image::kMusicRight + i));
        return bytes;
    };
    const std::vector<std::uint8_t> rightBefore = rightBytes();
    for (const Case& c : cases) {
        dragSlider(c.slider, c.position);
        EXPECT_EQ(slider(c.slider)->getPos(), c.position) << c.slider;
        EXPECT_EQ(working().byte(image::kMusicLeft + c.offset), c.position) << c.slider;
        if (c.text != nullptr) {
            EXPECT_EQ(page.control<Edit_Static>(c.label)->text(), QString::fromLatin1(c.text));
        }
    }
    EXPECT_EQ(rightBytes(), rightBefore);
}

TEST_F(MusicPageTest, KeyControlKeepsTheSensitivityBits) {
    SystemBlock& system = host.store().workingSystem;
    system.setByte(system::kSensitivityAndKey, 0x9B);
    page.refresh();
    dragSlider(1387, 0);
    EXPECT_EQ(system.byte(system::kSensitivityAndKey), 0x0B);
    EXPECT_EQ(page.control<Edit_Static>(1386)->text(), QStringLiteral("-7"));
    dragSlider(1387, 14);
    EXPECT_EQ(system.byte(system::kSensitivityAndKey), 0xEB);
    EXPECT_EQ(page.control<Edit_Static>(1386)->text(), QStringLiteral("7"));
}

TEST_F(MusicPageTest, CrossoversEditTheShownChannelThroughTheirFilters) {
    click(1066);
    CKTVEQ* right = host.bandSets()->channel(kEqMusicRight);
    dragSlider(1076, 150); // 361 codes over 160 pixels: near 150
    const int code = slider(1076)->getPos();
    EXPECT_NEAR(code, 150, 3);
    EXPECT_EQ(musicRight(working()).hpf().freq(), code);
    EXPECT_EQ(page.control<NumEdit>(1023)->getValue(), code);
    EXPECT_DOUBLE_EQ(right->highPass()->frequencyHz(), crossoverFrequencyHz(code));
    EXPECT_EQ(page.graph()->highlight(), right->highPassIndex());
    EXPECT_EQ(musicLeft(working()).hpf().freq(),
              host.store().mirror.word(image::kMusicLeft + music::kHpf + 1));

    auto* slope = page.control<QComboBox>(1054);
    slope->setFocus();
    QTest::keyClick(slope, Qt::Key_End);
    EXPECT_EQ(musicRight(working()).lpf().slope(), 12);
    EXPECT_EQ(right->lowPass()->slope(), 12);
    EXPECT_EQ(page.graph()->highlight(), right->lowPassIndex());

    // A drag of the low-pass marker on the graph reloads the LPF box and slider.
    const int before = musicRight(working()).lpf().freq();
    right->lowPass()->setCrossoverFrequencyCode(100);
    QCoreApplication::postEvent(
        &page, new MessageEvent(Message::GraphBandSelected, 1, right->lowPassIndex()));
    QCoreApplication::sendPostedEvents();
    EXPECT_NE(before, 100);
    EXPECT_EQ(slider(1079)->getPos(), 100);
    EXPECT_EQ(page.control<NumEdit>(1024)->getValue(), 100);
}

TEST_F(MusicPageTest, EqBypassTogglesTheShownChannelsByte) {
    click(1068);
    EXPECT_EQ(musicLeft(working()).eqBypass(), 1);
    EXPECT_TRUE(page.control<BitButton>(1068)->down());
    click(1068);
    EXPECT_EQ(musicLeft(working()).eqBypass(), 0);
    EXPECT_FALSE(page.control<BitButton>(1068)->down());
}

TEST_F(MusicPageTest, EasyModeLocksTheAdvancedControlsAndKeepsTheirValues) {
    page.applyUiMode(0);
    for (int id : {1038, 1081, 1041, 1042, 1050, 1080, 1069, 1084, 1085})
        EXPECT_FALSE(slider(id)->isSliderEnabled()) << id;
    for (int id : {1064, 1055, 1022, 1293, 1294, 1030, 1031})
        EXPECT_FALSE(page.control(id)->isEnabled()) << id;
    for (int id : {1065, 1066, 1067, 1068, 1053, 1054, 1023, 1024, 1025, 1026})
        EXPECT_TRUE(page.control(id)->isEnabled()) << id;
    for (int id : {1047, 1076, 1079, 1387})
        EXPECT_TRUE(slider(id)->isSliderEnabled()) << id;
    const std::uint8_t level = musicLeft(working()).byte(music::kLimitLevel);
    dragSlider(1038, 3);
    EXPECT_EQ(musicLeft(working()).byte(music::kLimitLevel), level);
    EXPECT_EQ(page.control<QGroupBox>(1082)->title(), QStringLiteral("Low Exciter"));
    EXPECT_EQ(controlText(page.control(1058)), QStringLiteral("Harmonic"));
}

TEST_F(MusicPageTest, TextsFollowTheLanguage) {
    struct Case {
        int id;
        const char* english;
        const char* chinese;
    };
    const Case cases[] = {
        {1064, "SYNC", "同步"},           {1067, "EQ Reset", "EQ 重置"},
        {1068, "EQ Bypass", "EQ Bypass"}, {1385, "Key Control", "音乐变调"},
        {1391, "Gain(dB)", "增益(dB)"},   {1034, "Attack Time(Atk)", "压限启动时间(Atk)"}};
    for (const Case& c : cases)
        EXPECT_EQ(controlText(page.control(c.id)), QString::fromUtf8(c.english)) << c.id;
    host.language = 1;
    page.refreshTexts();
    for (const Case& c : cases)
        EXPECT_EQ(controlText(page.control(c.id)), QString::fromUtf8(c.chinese)) << c.id;
}

// Every control on screen, the strips' own included: none covers another or the graph.
TEST_F(MusicPageTest, NoControlCoversAnotherOrTheGraph) {
    test::expectNoControlCovers(page);
    EQDlg* strip = page.strip(0);
    const QList<QWidget*> inStrip = strip->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < inStrip.size(); ++i)
        for (qsizetype j = i + 1; j < inStrip.size(); ++j)
            EXPECT_FALSE(inStrip[i]->geometry().intersects(inStrip[j]->geometry()))
                << controlId(inStrip[i]) << " and " << controlId(inStrip[j]);
}

} // namespace
} // namespace kesmo
