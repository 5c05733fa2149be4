#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/SliderGeometry.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "model/DataConver.h"
#include "pages/EQDlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/Rev_Dlg.h"
#include "resources/Skin.h"
#include "tests/pages/PageTestApp.h"
#include "tests/pages/PageTestSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QTest>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

using namespace layout;

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

enum class Act { Drag, Up, Down, Home, End };

class EffectPageTest : public testing::Test {
protected:
    EffectPageTest() : page(host, nullptr) {
        page.refreshTexts();
        page.applyUiMode(1);
        page.refresh();
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    ModeImage& working() { return host.store().working; }
    Echo_Dlg& echo() { return *page.echoPanel(); }
    Rev_Dlg& reverb() { return *page.reverbPanel(); }
    EffectPanel& shown() {
        return page.currentEffectChannel() == kEqReverb ? static_cast<EffectPanel&>(reverb())
                                                        : static_cast<EffectPanel&>(echo());
    }
    void click(QWidget* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    void choose(int selectorId) { click(page.control(selectorId)); }
    QString label(EffectPanel& panel, int id) { return panel.control<Edit_Static>(id)->text(); }
    int position(EffectPanel& panel, int id) { return panel.control<BitmapSlider>(id)->getPos(); }
    // Moves a panel slider with the mouse (to the first pixel meaning the position) or a key.
    void move(EffectPanel& panel, int id, Act act, int target = 0) {
        BitmapSlider* s = panel.control<BitmapSlider>(id);
        if (act != Act::Drag) {
            s->setFocus();
            const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home,
                                    Qt::Key_End};
            QTest::keyClick(s, keys[static_cast<int>(act)]);
            QCoreApplication::sendPostedEvents();
            return;
        }
        const SliderAxis axis{s->width(), 0, 0, skinBitmapSize(bitmap::kSliderThumb).width()};
        int x = 0;
        while (x < s->width() && positionAt(axis, s->minimum(), s->maximum(), x) < target)
            ++x;
        const int y = s->height() / 2;
        QTest::mousePress(s, Qt::LeftButton, {},
                          QPoint(thumbCentre(axis, s->minimum(), s->maximum(), s->getPos()), y));
        QTest::mouseMove(s, QPoint(x, y));
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(x, y));
        QCoreApplication::sendPostedEvents();
    }
    // A left click on a band's marker of the graph.
    void pickOnGraph(int index) {
        GraphView* graph = page.graph();
        const Point c = graph->bandSet()->filter(index)->markerRect().centre();
        QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
        QTest::mouseMove(graph, QPoint(c.x, c.y));
        QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
        QCoreApplication::sendPostedEvents();
    }
    void touchStrip(EffectPanel& panel, int i) {
        QTest::mouseClick(panel.strip(i)->control<NumEdit>(1024), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    std::vector<std::uint8_t> block(std::size_t offset, std::size_t size) {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < size; ++i)
            bytes.push_back(working().byte(offset + i));
        return bytes;
    }
    void setField(std::size_t offset, int width, int value) {
        working().setByte(offset, static_cast<std::uint8_t>(value & 0xFF));
        if (width == 2)
            working().setByte(offset + 1, static_cast<std::uint8_t>(value >> 8));
    }
    int field(std::size_t offset, int width) {
        return width == 2 ? working().word(offset) : working().byte(offset);
    }

    test::FakePageHost host;
    Effect_Dlg page;
};

TEST_F(EffectPageTest, OpensOnEchoAWithTheEchoPanelAtItsPlace) {
    EXPECT_EQ(page.currentEffectChannel(), kEqEchoA);
    EXPECT_TRUE(echo().isVisible());
    EXPECT_FALSE(reverb().isVisible());
    EXPECT_EQ(echo().pos(), QPoint(100, 0));
    EXPECT_EQ(reverb().pos(), QPoint(100, 0));
    EXPECT_TRUE(page.control<BitButton>(1064)->down());
    EXPECT_FALSE(page.control<BitButton>(1065)->down());
    EXPECT_FALSE(page.control<BitButton>(1066)->down());
    EXPECT_EQ(page.graph()->channel(), kEqEchoA);
    for (int i = 0; i < EffectPanel::kStrips; ++i) {
        EXPECT_EQ(echo().strip(i)->channel(), kEqEchoA);
        EXPECT_EQ(echo().strip(i)->bandIndex(), i);
        EXPECT_EQ(echo().strip(i)->pos(), QPoint(60 + 58 * i, 5));
        EXPECT_EQ(reverb().strip(i)->channel(), kEqReverb);
    }
}

TEST_F(EffectPageTest, SelectorButtonsShowTheirSubPage) {
    struct Case {
        int button;
        int channel;
        bool echoShown;
    };
    const Case cases[] = {{1066, kEqReverb, false},
                          {1065, kEqEchoB, true},
                          {1064, kEqEchoA, true},
                          {1065, kEqEchoB, true},
                          {1066, kEqReverb, false}};
    for (const Case& c : cases) {
        choose(c.button);
        EXPECT_EQ(page.currentEffectChannel(), c.channel) << c.button;
        EXPECT_EQ(echo().isVisible(), c.echoShown) << c.button;
        EXPECT_EQ(reverb().isVisible(), !c.echoShown) << c.button;
        EXPECT_EQ(page.graph()->channel(), c.channel) << c.button;
        for (int id : {1064, 1065, 1066})
            EXPECT_EQ(page.control<BitButton>(id)->down(), id == c.button) << id;
    }
    // The sub-page last chosen survives a reload.
    page.refresh();
    EXPECT_TRUE(reverb().isVisible());
    EXPECT_EQ(page.currentEffectChannel(), kEqReverb);
}

// Choosing the sub-page already shown reloads nothing, redraws nothing and keeps the highlight.
TEST_F(EffectPageTest, ChoosingTheShownSubPageAgainChangesNothing) {
    struct Case {
        int button;
        std::size_t block;
        int wetLabel;
    };
    const Case cases[] = {{1064, image::kEchoA, 3501}, {1066, image::kReverb, 3529}};
    for (const Case& c : cases) {
        choose(c.button);
        EffectPanel& panel = shown();
        touchStrip(panel, 2);
        ASSERT_EQ(panel.highlightedStrip(), panel.strip(2)) << c.button;
        ASSERT_EQ(page.graph()->highlight(), 2);
        const QString wetBefore = label(panel, c.wetLabel);
        working().setByte(c.block + echo::kWetVolume, 66);
        choose(c.button);
        EXPECT_EQ(label(panel, c.wetLabel), wetBefore) << c.button;
        EXPECT_EQ(panel.highlightedStrip(), panel.strip(2)) << c.button;
        EXPECT_EQ(panel.strip(2)->captionColour(), kRed);
        EXPECT_EQ(page.graph()->highlight(), 2) << c.button;
        page.refresh();
        EXPECT_EQ(label(panel, c.wetLabel), QStringLiteral("66%")) << c.button;
    }
}

TEST_F(EffectPageTest, EchoBTakesOverTheStripsAndEveryControl) {
    EchoBlockView b = echoB(working());
    b.setByte(echo::kWetVolume, 77);
    b.setDelay(1000);
    b.eq(0).setGain(150);
    b.hpf().setFreq(90);
    b.setByte(echo::kHpf + crossover::kSlope, 4);
    touchStrip(echo(), 3);
    ASSERT_EQ(echo().highlightedStrip(), echo().strip(3));

    choose(1065);
    EXPECT_EQ(echo().targetChannel(), kEqEchoB);
    EXPECT_EQ(echo().highlightedStrip(), nullptr);
    EXPECT_EQ(echo().strip(3)->captionColour(), kBlack);
    for (int i = 0; i < EffectPanel::kStrips; ++i)
        EXPECT_EQ(echo().strip(i)->channel(), kEqEchoB);
    EXPECT_EQ(echo().strip(0)->control<NumEdit>(1022)->text(), QStringLiteral("6.0"));
    EXPECT_EQ(label(echo(), 3501), QStringLiteral("77%"));
    EXPECT_EQ(label(echo(), 3523), QStringLiteral("100ms"));
    EXPECT_EQ(position(echo(), 3602), 90);
    EXPECT_EQ(echo().control<QComboBox>(1025)->currentIndex(), 4);

    // Edits now go to Echo B only.
    const std::vector<std::uint8_t> echoABefore = block(image::kEchoA, echo::kSize);
    move(echo(), 3600, Act::Up);
    EXPECT_EQ(b.byte(echo::kWetVolume), 78);
    BitmapSlider* gain = echo().strip(0)->control<BitmapSlider>(1291);
    gain->setFocus();
    QTest::keyClick(gain, Qt::Key_Up);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(b.eq(0).gain(), 151);
    click(echo().control(1064));
    EXPECT_EQ(b.byte(echo::kWetSign), 1);
    EXPECT_EQ(block(image::kEchoA, echo::kSize), echoABefore);

    // And back: Echo A's own values.
    choose(1064);
    EXPECT_EQ(label(echo(), 3501), QStringLiteral("0%"));
    EXPECT_EQ(echo().strip(0)->control<NumEdit>(1022)->text(), QStringLiteral("0.0"));
    EXPECT_FALSE(echo().control<BitButton>(1064)->down());
}

// What the echo's delay group shows for stored values, out-of-range ones included.
TEST_F(EffectPageTest, EchoDelaysShowTheirStoredValues) {
    struct Case {
        std::size_t offset;
        int width;
        int stored;
        int slider;
        int position;
        int labelId;
        const char* text;
    };
    const Case cases[] = {
        {echo::kPreDelay, 2, 1505, 3604, 150, 3514, "150ms"},
        {echo::kPreDelay, 2, 2000, 3604, 150, 3514, "200ms"},
        {echo::kDelay, 2, 19, 3607, 0, 3523, "0ms"},
        {echo::kDelay, 2, 4999, 3607, 249, 3523, "498ms"},
        {echo::kRepeat, 1, 200, 3606, 90, 3520, "200%"},
        {echo::kRightDelay, 2, 0, 3608, 0, 3526, "-50%"},
        {echo::kRightDelay, 2, 50, 3608, 50, 3526, "0%"},
        {echo::kRightDelay, 2, 100, 3608, 100, 3526, "50%"},
        {echo::kRightPreDelay, 2, 300, 3605, 50, 3517, "300%"},
        {echo::kWetVolume, 1, 255, 3600, 100, 3501, "255%"},
        {echo::kDryVolume, 1, 35, 3601, 35, 3504, "35%"},
    };
    for (const Case& c : cases) {
        setField(image::kEchoA + c.offset, c.width, c.stored);
        page.refresh();
        EXPECT_EQ(position(echo(), c.slider), c.position) << c.stored;
        EXPECT_EQ(label(echo(), c.labelId), QString::fromLatin1(c.text)) << c.stored;
        // Showing a value never writes it.
        EXPECT_EQ(field(image::kEchoA + c.offset, c.width), c.stored);
    }
}

TEST_F(EffectPageTest, EchoSlidersStoreTheirScaledValues) {
    struct Case {
        std::size_t offset;
        int width;
        int stored; // before the move
        int slider;
        Act act;
        int target;
        int expected; // stored after the move
        int labelId;
        const char* text;
    };
    const Case cases[] = {
        {echo::kPreDelay, 2, 1505, 3604, Act::Down, 0, 1490, 3514, "149ms"},
        {echo::kPreDelay, 2, 0, 3604, Act::End, 0, 1500, 3514, "150ms"},
        {echo::kDelay, 2, 19, 3607, Act::Up, 0, 20, 3523, "2ms"},
        {echo::kDelay, 2, 0, 3607, Act::End, 0, 5000, 3523, "500ms"},
        {echo::kRepeat, 1, 200, 3606, Act::Down, 0, 89, 3520, "89%"},
        {echo::kRightDelay, 2, 60, 3608, Act::Home, 0, 0, 3526, "-50%"},
        {echo::kRightDelay, 2, 0, 3608, Act::End, 0, 100, 3526, "50%"},
        {echo::kRightPreDelay, 2, 0, 3605, Act::End, 0, 50, 3517, "50%"},
        {echo::kWetVolume, 1, 0, 3600, Act::Drag, 40, 40, 3501, "40%"},
        {echo::kDryVolume, 1, 90, 3601, Act::Drag, 0, 0, 3504, "0%"},
    };
    for (const Case& c : cases) {
        setField(image::kEchoA + c.offset, c.width, c.stored);
        page.refresh();
        move(echo(), c.slider, c.act, c.target);
        EXPECT_EQ(field(image::kEchoA + c.offset, c.width), c.expected) << c.slider;
        EXPECT_EQ(label(echo(), c.labelId), QString::fromLatin1(c.text)) << c.slider;
    }
    // Volume and delay moves leave the graph alone.
    EXPECT_EQ(page.graph()->highlight(), -1);
}

TEST_F(EffectPageTest, ReverbTimesShowAndStoreTheirScaledValues) {
    choose(1066);
    struct Case {
        std::size_t offset;
        int stored;
        int slider;
        int position;
        int labelId;
        const char* text;
        Act act;
        int expected;
        const char* movedText;
    };
    const Case cases[] = {
        {reverb::kReverbTime, 2750, 3625, 5, 3548, "250ms", Act::Up, 3000, "300ms"},
        {reverb::kReverbTime, 60000, 3625, 100, 3548, "6000ms", Act::Down, 49500, "4950ms"},
        {reverb::kPreDelay, 39, 3624, 1, 3545, "2ms", Act::Down, 0, "0ms"},
        {reverb::kPreDelay, 2000, 3624, 100, 3545, "200ms", Act::Home, 0, "0ms"},
    };
    for (const Case& c : cases) {
        setField(image::kReverb + c.offset, 2, c.stored);
        page.refresh();
        EXPECT_EQ(position(reverb(), c.slider), c.position) << c.stored;
        EXPECT_EQ(label(reverb(), c.labelId), QString::fromLatin1(c.text)) << c.stored;
        move(reverb(), c.slider, c.act);
        EXPECT_EQ(working().word(image::kReverb + c.offset), c.expected) << c.stored;
        EXPECT_EQ(label(reverb(), c.labelId), QString::fromLatin1(c.movedText)) << c.stored;
    }
    move(reverb(), 3622, Act::Drag, 55);
    EXPECT_EQ(working().byte(image::kReverb + reverb::kWetVolume), 55);
    EXPECT_EQ(label(reverb(), 3529), QStringLiteral("55%"));
}

// Each toggle shows and flips its own byte of the shown block.
TEST_F(EffectPageTest, TogglesFlipTheirOwnBytes) {
    struct Case {
        int selector;
        std::size_t block;
        int wet, dry, bypass;
    };
    const Case cases[] = {{1064, image::kEchoA, 1064, 1065, 3551},
                          {1065, image::kEchoB, 1064, 1065, 3551},
                          {1066, image::kReverb, 3531, 3534, 1067}};
    for (const Case& c : cases) {
        working().setByte(c.block + echo::kWetSign, 0);
        working().setByte(c.block + echo::kDrySign, 1);
        choose(c.selector);
        page.refresh();
        EffectPanel& panel = shown();
        EXPECT_FALSE(panel.control<BitButton>(c.wet)->down()) << c.selector;
        EXPECT_TRUE(panel.control<BitButton>(c.dry)->down()) << c.selector;

        click(panel.control(c.wet));
        EXPECT_EQ(working().byte(c.block + echo::kWetSign), 1);
        EXPECT_EQ(working().byte(c.block + echo::kDrySign), 1);
        EXPECT_TRUE(panel.control<BitButton>(c.wet)->down());
        click(panel.control(c.dry));
        EXPECT_EQ(working().byte(c.block + echo::kDrySign), 0);
        EXPECT_FALSE(panel.control<BitButton>(c.dry)->down());
        EXPECT_EQ(working().byte(c.block + echo::kWetSign), 1);

        pickOnGraph(1);
        click(panel.control(c.bypass));
        EXPECT_EQ(working().byte(c.block + echo::kEqBypass), 1);
        EXPECT_TRUE(panel.control<BitButton>(c.bypass)->down());
        EXPECT_EQ(page.graph()->highlight(), -1);
        click(panel.control(c.bypass));
        EXPECT_EQ(working().byte(c.block + echo::kEqBypass), 0);
    }
}

TEST_F(EffectPageTest, CrossoversEditTheShownBlockThroughTheirFilters) {
    struct Case {
        int selector;
        int channel;
        int hpfSlider, hpfEdit, lpfSlope, lpfEdit, lpfSlider;
    };
    const Case cases[] = {{1065, kEqEchoB, 3602, 3508, 3506, 3511, 3603},
                          {1066, kEqReverb, 3620, 3538, 3541, 3542, 3621}};
    for (const Case& c : cases) {
        choose(c.selector);
        EffectPanel& panel = shown();
        CKTVEQ* set = host.bandSets()->channel(c.channel);
        const CrossoverView hpf =
            c.channel == kEqReverb ? reverbBlock(working()).hpf() : echoB(working()).hpf();
        const CrossoverView lpf =
            c.channel == kEqReverb ? reverbBlock(working()).lpf() : echoB(working()).lpf();
        move(panel, c.hpfSlider, Act::End);
        EXPECT_EQ(hpf.freq(), 361) << c.selector;
        EXPECT_EQ(panel.control<NumEdit>(c.hpfEdit)->getValue(), 361);
        EXPECT_DOUBLE_EQ(set->highPass()->frequencyHz(), crossoverFrequencyHz(361));
        EXPECT_EQ(page.graph()->highlight(), set->highPassIndex());
        EXPECT_EQ(set->highPassIndex(), 7);

        auto* slope = panel.control<QComboBox>(c.lpfSlope);
        slope->setFocus();
        QTest::keyClick(slope, Qt::Key_End);
        EXPECT_EQ(lpf.slope(), 12) << c.selector;
        EXPECT_EQ(set->lowPass()->slope(), 12);
        EXPECT_EQ(page.graph()->highlight(), 8);

        // A frequency typed and committed with Enter, which leaves the page open.
        NumEdit* edit = panel.control<NumEdit>(c.lpfEdit);
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("1000"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::sendPostedEvents();
        const int code = nearestFrequencyCode(1000.0);
        EXPECT_EQ(lpf.freq(), code) << c.selector;
        EXPECT_EQ(position(panel, c.lpfSlider), code);
        EXPECT_DOUBLE_EQ(set->lowPass()->frequencyHz(), crossoverFrequencyHz(code));
        EXPECT_TRUE(page.isVisible());
        EXPECT_TRUE(panel.isVisible());
        // The kind bytes are never touched.
        EXPECT_EQ(hpf.kind(), 0);
        EXPECT_EQ(lpf.kind(), 1);
    }
}

// A marker dragged on the graph reloads the frequency edit (and its slider); a band picked on
// the graph highlights its strip.
TEST_F(EffectPageTest, GraphPicksReachTheShownPanel) {
    choose(1065);
    pickOnGraph(4);
    EXPECT_EQ(echo().highlightedStrip(), echo().strip(4));
    EXPECT_EQ(QApplication::focusWidget(), echo().strip(4)->control<NumEdit>(1022));

    GraphView* graph = page.graph();
    CFilter* lowPass = graph->bandSet()->lowPass();
    const int before = echoB(working()).lpf().freq();
    const Point c = lowPass->markerRect().centre();
    QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
    QTest::mouseMove(graph, QPoint(c.x, c.y));
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
    QTest::mouseMove(graph, QPoint(c.x - 60, c.y));
    QTest::mouseMove(graph, QPoint(c.x - 120, c.y));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(c.x - 120, c.y));
    QCoreApplication::sendPostedEvents();
    const int after = echoB(working()).lpf().freq();
    EXPECT_LT(after, before);
    EXPECT_EQ(echo().control<NumEdit>(3511)->getValue(), after);
    EXPECT_EQ(position(echo(), 3603), after);
    EXPECT_EQ(echo().highlightedStrip(), echo().strip(4));
}

// The graph names its channel: the message goes to that channel's panel, shown or not.
TEST_F(EffectPageTest, GraphSelectionsAreRoutedByChannel) {
    struct Case {
        int wParam;
        int band;
        int echoHighlight;   // -1 none
        int reverbHighlight; // -1 none
    };
    const Case cases[] = {
        {kEqReverb, 3, -1, 3},   {kEqEchoA, 5, 5, 3},       {kEqEchoB, 2, 2, 3},
        {kEqMusicLeft, 6, 2, 3}, {kEqSpareReverb, 1, 2, 3}, {kEqEchoA, 9, 2, 3},
    };
    ASSERT_TRUE(echo().isVisible());
    for (const Case& c : cases) {
        QCoreApplication::postEvent(&page,
                                    new MessageEvent(Message::GraphBandSelected, c.wParam, c.band));
        QCoreApplication::sendPostedEvents();
        EffectPanel* panels[] = {&echo(), &reverb()};
        const int expected[] = {c.echoHighlight, c.reverbHighlight};
        for (int p = 0; p < 2; ++p) {
            EQDlg* want = expected[p] < 0 ? nullptr : panels[p]->strip(expected[p]);
            EXPECT_EQ(panels[p]->highlightedStrip(), want) << c.wParam << " " << c.band;
        }
    }
    EXPECT_TRUE(echo().isVisible());
    EXPECT_FALSE(reverb().isVisible());
}

TEST_F(EffectPageTest, TouchingStripsMovesTheRedCaption) {
    touchStrip(echo(), 1);
    touchStrip(echo(), 1);
    EXPECT_EQ(echo().highlightedStrip(), echo().strip(1));
    EXPECT_EQ(echo().strip(1)->captionColour(), kRed);
    touchStrip(echo(), 6);
    EXPECT_EQ(echo().highlightedStrip(), echo().strip(6));
    EXPECT_EQ(echo().strip(6)->captionColour(), kRed);
    EXPECT_EQ(echo().strip(1)->captionColour(), kBlack);
    // A reload keeps the highlight.
    page.refresh();
    EXPECT_EQ(echo().highlightedStrip(), echo().strip(6));
}

// EQ Reset resets the shown effect's seven bands and nothing else.
TEST_F(EffectPageTest, EqResetResetsOnlyTheShownEffectsBands) {
    struct Case {
        int selector;
        std::size_t block;
        int reset;
    };
    const Case cases[] = {{1065, image::kEchoB, 3550}, {1066, image::kReverb, 1066}};
    for (const Case& c : cases) {
        for (std::size_t b : {image::kEchoA, image::kEchoB, image::kReverb})
            for (std::size_t i = 0; i < echo::kEqBands; ++i)
                working().setByte(b + i * eqband::kSize + eqband::kGain,
                                  static_cast<std::uint8_t>(50 + i));
        working().setByte(c.block + echo::kWetVolume, 42);
        working().setByte(c.block + echo::kEqBypass, 1);
        choose(c.selector);
        page.refresh();
        EffectPanel& panel = shown();
        touchStrip(panel, 2);
        const std::vector<std::uint8_t> afterEq =
            block(c.block + echo::kEqBypass, echo::kSize - echo::kEqBypass);
        click(panel.control(c.reset));
        for (std::size_t i = 0; i < echo::kEqBands; ++i) {
            const std::size_t band = c.block + i * eqband::kSize;
            EXPECT_EQ(working().byte(band + eqband::kGain), 120) << i;
            EXPECT_EQ(working().byte(band + eqband::kType), 1) << i;
            EXPECT_EQ(working().byte(band + eqband::kQ), 10) << i;
        }
        EXPECT_EQ(block(c.block + echo::kEqBypass, echo::kSize - echo::kEqBypass), afterEq);
        for (std::size_t b : {image::kEchoA, image::kEchoB, image::kReverb})
            if (b != c.block) {
                EXPECT_EQ(working().byte(b + eqband::kGain), 50) << b;
            }
        EXPECT_EQ(panel.highlightedStrip(), nullptr);
        EXPECT_EQ(panel.strip(2)->captionColour(), kBlack);
        EXPECT_EQ(panel.strip(0)->control<NumEdit>(1022)->text(), QStringLiteral("0.0"));
        EXPECT_EQ(page.graph()->highlight(), -1);
    }
}

TEST_F(EffectPageTest, EasyModeLocksOnlyEachPanelsAdvancedControls) {
    struct Case {
        int selector;
        std::vector<int> lockedSliders;
        std::vector<int> lockedLabels;
        std::vector<int> freeSliders;
        std::vector<int> freeControls;
    };
    const Case cases[] = {
        {1064,
         {3601, 3604, 3605, 3608},
         {3504, 3514, 3517, 3526},
         {3600, 3602, 3603, 3606, 3607},
         {1064, 1065, 3550, 3551, 1025, 3506, 3508, 3511, 3501, 3520, 3523}},
        {1066,
         {3623},
         {3533},
         {3620, 3621, 3622, 3624, 3625},
         {3531, 3534, 1066, 1067, 3537, 3541, 3538, 3542, 3529, 3545, 3548}},
    };
    const std::vector<std::uint8_t> effectsBefore = block(image::kEchoA, image::kSpareReverb);
    page.applyUiMode(0);
    for (const Case& c : cases) {
        choose(c.selector);
        EffectPanel& panel = shown();
        for (int id : c.lockedSliders) {
            EXPECT_FALSE(panel.control<BitmapSlider>(id)->isSliderEnabled()) << id;
            const int before = position(panel, id);
            move(panel, id, Act::End);
            move(panel, id, Act::Drag, 1);
            EXPECT_EQ(position(panel, id), before) << id;
        }
        for (int id : c.lockedLabels)
            EXPECT_FALSE(panel.control(id)->isEnabled()) << id;
        for (int id : c.freeSliders)
            EXPECT_TRUE(panel.control<BitmapSlider>(id)->isSliderEnabled()) << id;
        for (int id : c.freeControls)
            EXPECT_TRUE(panel.control(id)->isEnabled()) << id;
    }
    EXPECT_EQ(block(image::kEchoA, image::kSpareReverb), effectsBefore);
    // The free ones still move.
    choose(1064);
    move(echo(), 3607, Act::End);
    EXPECT_EQ(echoA(working()).delay(), 5000);
    choose(1066);
    move(reverb(), 3624, Act::End);
    EXPECT_EQ(reverbBlock(working()).preDelay(), 2000);
    page.applyUiMode(1);
    for (int id : {3601, 3604, 3605, 3608})
        EXPECT_TRUE(echo().control<BitmapSlider>(id)->isSliderEnabled()) << id;
    EXPECT_TRUE(reverb().control<BitmapSlider>(3623)->isSliderEnabled());
    EXPECT_TRUE(reverb().control(3533)->isEnabled());
}

TEST_F(EffectPageTest, TextsFollowTheLanguage) {
    struct Case {
        QWidget* (*where)(Effect_Dlg&);
        int id;
        const char* english;
        const char* chinese;
    };
    auto hostPage = [](Effect_Dlg& p) -> QWidget* { return &p; };
    auto echoOf = [](Effect_Dlg& p) -> QWidget* { return p.echoPanel(); };
    auto reverbOf = [](Effect_Dlg& p) -> QWidget* { return p.reverbPanel(); };
    const Case cases[] = {
        {hostPage, 1064, "EchoA", "回声A"},
        {hostPage, 1066, "Reverb", "混响"},
        {echoOf, 3500, "Echo Wet Volume", "回声音量"},
        {echoOf, 3516, "Echo Right PreDelay", "右通道预延时"},
        {echoOf, 3510, "Echo LPF", "回声低通"},
        {echoOf, 1399, "Gain(dB)", "增益(dB)"},
        {echoOf, 3550, "EQ Reset", "EQ重置"},
        {echoOf, 3551, "EQ pass", "EQ pass"},
        {reverbOf, 3547, "Reverb Time", "混响时间"},
        {reverbOf, 3536, "HPF", "高通"},
        {reverbOf, 3540, "LPF", "低通"},
        {reverbOf, 1405, "Q", "Q值"},
        {reverbOf, 1066, "EQ Reset", "EQ重置"},
    };
    auto text = [this](const Case& c) {
        return controlText(static_cast<PageDlg*>(c.where(page))->control(c.id));
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(c), QString::fromUtf8(c.english)) << c.id;
    host.language = 1;
    page.refreshTexts();
    for (const Case& c : cases)
        EXPECT_EQ(text(c), QString::fromUtf8(c.chinese)) << c.id;
}

// No control covers another, the panels stay clear of the graph, nothing leaves the page.
TEST_F(EffectPageTest, NoControlCoversAnotherOrTheGraph) {
    const QRect graph = page.graph()->geometry();
    for (int selector : {1064, 1066}) {
        choose(selector);
        EffectPanel& panel = shown();
        EXPECT_FALSE(panel.geometry().intersects(graph)) << selector;
        EXPECT_TRUE(page.rect().contains(panel.geometry())) << selector;
        for (int id : {1064, 1065, 1066})
            EXPECT_FALSE(panel.geometry().intersects(page.control(id)->geometry())) << id;
        std::vector<QWidget*> widgets;
        for (QWidget* w : panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible() && qobject_cast<QGroupBox*>(w) == nullptr)
                widgets.push_back(w);
        for (std::size_t i = 0; i < widgets.size(); ++i) {
            EXPECT_TRUE(panel.rect().contains(widgets[i]->geometry())) << controlId(widgets[i]);
            for (std::size_t j = i + 1; j < widgets.size(); ++j)
                EXPECT_FALSE(widgets[i]->geometry().intersects(widgets[j]->geometry()))
                    << controlId(widgets[i]) << " and " << controlId(widgets[j]);
        }
    }
}

} // namespace
} // namespace kesmo
