#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/NumEdit.h"
#include "controls/SliderGeometry.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "model/DataConver.h"
#include "pages/DEQ_Dlg.h"
#include "pages/MusicDlg.h"
#include "resources/Skin.h"
#include "tests/pages/PageTestApp.h"
#include "tests/pages/PageTestSupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

namespace kesmo {
namespace {

using namespace layout;

enum Id : int {
    kFrequencyEdit = 2030,
    kTypeList = 2040,
    kGainEdit = 2050,
    kQEdit = 2060,
    kGainSlider = 2070,
    kThresholdLabel = 2090,
    kThresholdSlider = 2100,
    kAttackLabel = 2120,
    kAttackSlider = 2130,
    kReleaseLabel = 2150,
    kReleaseSlider = 2160,
    kRatioLabel = 2180,
    kRatioSlider = 2190,
    kSync = 1064,
    kLeft = 1065,
    kRight = 1066,
    kReset = 1067,
};

// Offset of band k's DynEqBand record in a music block.
std::size_t dynBand(std::size_t block, int k) {
    return block + music::kDynEq + dyneq::kSize * static_cast<std::size_t>(k);
}

class DynamicEqPageTest : public testing::Test {
protected:
    DynamicEqPageTest() : page(host, nullptr) {
        page.refreshTexts();
        page.applyUiMode(1);
        page.refresh();
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    ModeImage& working() { return host.store().working; }
    BitmapSlider* slider(int id) { return page.control<BitmapSlider>(id); }
    NumEdit* edit(int id) { return page.control<NumEdit>(id); }
    QString label(int id) { return page.control<Edit_Static>(id)->text(); }
    void click(int buttonId) {
        QTest::mouseClick(page.control(buttonId), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }

    // The thumb's travel: the gain sliders keep 1 pixel above and 35 below, the page sliders none.
    static SliderAxis axisOf(BitmapSlider* s) {
        if (s->isVertical())
            return {s->height(), 1, 35, skinBitmapSize(bitmap::kStripThumb).height()};
        return {s->width(), 0, 0, skinBitmapSize(bitmap::kSliderThumb).width()};
    }
    static QPoint along(BitmapSlider* s, int pixel) {
        return s->isVertical() ? QPoint(s->width() / 2, pixel) : QPoint(pixel, s->height() / 2);
    }
    // The first pixel whose position is `position`.
    static int pixelOf(BitmapSlider* s, int position) {
        const SliderAxis axis = axisOf(s);
        for (int p = 0; p < axis.length; ++p)
            if (positionAt(axis, s->minimum(), s->maximum(), p) >= position)
                return p;
        return axis.length;
    }
    // Presses on the thumb and drags it to a pixel along the travel (beyond an end allowed).
    void dragToPixel(int id, int pixel) {
        BitmapSlider* s = slider(id);
        const int from = thumbCentre(axisOf(s), s->minimum(), s->maximum(), s->getPos());
        QTest::mousePress(s, Qt::LeftButton, {}, along(s, from));
        QTest::mouseMove(s, along(s, (from + pixel) / 2));
        QTest::mouseMove(s, along(s, pixel));
        QTest::mouseRelease(s, Qt::LeftButton, {}, along(s, pixel));
        QCoreApplication::sendPostedEvents();
    }
    void dragTo(int id, int position) { dragToPixel(id, pixelOf(slider(id), position)); }
    void wheel(int id, int delta) {
        BitmapSlider* s = slider(id);
        const QPointF at(s->width() / 2.0, s->height() / 2.0);
        QWheelEvent event(at, s->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(s, &event);
        QCoreApplication::sendPostedEvents();
    }
    // Types into an edit as a user would: select all, type, Enter.
    void type(int id, const char* text) {
        NumEdit* e = edit(id);
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, QString::fromUtf8(text));
        QTest::keyClick(e, Qt::Key_Return);
        QCoreApplication::sendPostedEvents();
    }
    // A left-button drag of band k's marker on the graph by (dx, dy).
    void dragMarker(int k, int dx, int dy) {
        GraphView* graph = page.graph();
        const Point c = graph->bandSet()->filter(k)->markerRect().centre();
        QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
        QTest::mouseMove(graph, QPoint(c.x, c.y));
        QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(graph, QPoint(c.x + dx * step / 4, c.y + dy * step / 4));
        QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(c.x + dx, c.y + dy));
        QCoreApplication::sendPostedEvents();
    }
    std::vector<std::uint8_t> bytes(std::size_t offset, std::size_t size) {
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i < size; ++i)
            out.push_back(working().byte(offset + i));
        return out;
    }
    std::vector<std::uint8_t> image() { return bytes(0, kModeImageSize); }

    test::FakePageHost host;
    DEQ_Dlg page;
};

TEST_F(DynamicEqPageTest, GainSliderEndsWriteTwelveDecibelsEitherWay) {
    struct Case {
        int band;
        bool up;
        int code;
        const char* text;
    };
    const Case cases[] = {{0, true, 180, "12.0"},
                          {0, false, 60, "-12.0"},
                          {1, false, 60, "-12.0"},
                          {2, true, 180, "12.0"}};
    for (const Case& c : cases) {
        const int id = kGainSlider + c.band;
        dragToPixel(id, c.up ? -30 : slider(id)->height() + 30);
        const std::size_t record = dynBand(image::kMusicLeft, c.band);
        EXPECT_EQ(working().byte(record + eqband::kGain), c.code) << c.band;
        EXPECT_EQ(slider(id)->getPosInverted(), c.code);
        EXPECT_EQ(edit(kGainEdit + c.band)->text(), QString::fromLatin1(c.text));
        EXPECT_DOUBLE_EQ(page.graph()->bandSet()->filter(c.band)->gainDb(), gainDb(c.code));
        EXPECT_EQ(page.graph()->highlight(), c.band);
    }
}

TEST_F(DynamicEqPageTest, TypedGainsAreClampedToTheDynamicRange) {
    struct Case {
        const char* typed;
        int code;
        const char* shown;
    };
    const Case cases[] = {
        {"-20", 60, "-12.0"}, {"3.4", 137, "3.4"}, {"25", 180, "12.0"}, {"-12", 60, "-12.0"}};
    const std::size_t record = dynBand(image::kMusicLeft, 1);
    for (const Case& c : cases) {
        type(kGainEdit + 1, c.typed);
        EXPECT_EQ(working().byte(record + eqband::kGain), c.code) << c.typed;
        EXPECT_EQ(edit(kGainEdit + 1)->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(slider(kGainSlider + 1)->getPosInverted(), c.code) << c.typed;
    }
}

TEST_F(DynamicEqPageTest, FrequencyQAndTypeGoThroughTheBandAndHighlightItOnTheGraph) {
    const std::size_t record = dynBand(image::kMusicLeft, 2);
    CFilter* band3 = page.graph()->bandSet()->filter(2);

    type(kFrequencyEdit + 2, "1000");
    const int code = working().word(record + eqband::kFreq);
    EXPECT_NEAR(eqFrequencyHz(code), 1000.0, 30.0);
    EXPECT_DOUBLE_EQ(band3->frequencyHz(), eqFrequencyHz(code));
    EXPECT_EQ(page.graph()->highlight(), 2);

    type(kQEdit + 0, "200"); // beyond the highest Q
    EXPECT_EQ(working().byte(dynBand(image::kMusicLeft, 0) + eqband::kQ), 100);
    EXPECT_EQ(edit(kQEdit + 0)->text(), QStringLiteral("128.000"));
    EXPECT_EQ(page.graph()->highlight(), 0);

    auto* list = page.control<QComboBox>(kTypeList + 2);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(working().byte(record + eqband::kType), CFilter::kHighShelf);
    EXPECT_EQ(band3->type(), CFilter::kHighShelf);
    EXPECT_EQ(page.graph()->highlight(), 2);
}

TEST_F(DynamicEqPageTest, DraggingAMarkerStaysWithinTwelveDecibelsAndMovesTheColumn) {
    struct Case {
        int band;
        int dy;
        int code;
    };
    const Case cases[] = {{0, -400, 180}, {1, 400, 60}};
    for (const Case& c : cases) {
        dragMarker(c.band, 0, c.dy);
        EXPECT_EQ(working().byte(dynBand(image::kMusicLeft, c.band) + eqband::kGain), c.code);
        EXPECT_EQ(slider(kGainSlider + c.band)->getPosInverted(), c.code);
        EXPECT_EQ(edit(kGainEdit + c.band)->getValue(), c.code);
    }
}

TEST_F(DynamicEqPageTest, CompressorSlidersOfMusicRightWriteItsBandBytes) {
    click(kRight);
    ASSERT_EQ(page.shownChannel(), kEqDynMusicRight);
    struct Case {
        int slider;
        int position;
        std::size_t offset;
        int label;
        QString text;
    };
    const QString ms = QStringLiteral("ms");
    const std::vector<Case> cases = {
        {kThresholdSlider, 0, 843, kThresholdLabel, QStringLiteral("-48dBV")},
        {kAttackSlider, 19, 844, kAttackLabel, QString::fromUtf8(AttackTexts[19]) + ms},
        {kReleaseSlider, 7, 845, kReleaseLabel, QString::fromUtf8(ReleaseTexts[7])},
        {kRatioSlider, 40, 846, kRatioLabel, QString::fromUtf8(RatioTexts[40])},
        {kThresholdSlider + 1, 60, 853, kThresholdLabel + 1, QStringLiteral("12dBV")},
        {kAttackSlider + 1, 4, 854, kAttackLabel + 1, QString::fromUtf8(AttackTexts[4]) + ms},
        {kReleaseSlider + 1, 3, 855, kReleaseLabel + 1, QString::fromUtf8(ReleaseTexts[3])},
        {kRatioSlider + 1, 20, 856, kRatioLabel + 1, QString::fromUtf8(RatioTexts[20])},
        {kThresholdSlider + 2, 30, 863, kThresholdLabel + 2, QStringLiteral("-18dBV")},
        {kAttackSlider + 2, 1, 864, kAttackLabel + 2, QString::fromUtf8(AttackTexts[1]) + ms},
        {kReleaseSlider + 2, 5, 865, kReleaseLabel + 2, QString::fromUtf8(ReleaseTexts[5])},
        {kRatioSlider + 2, 9, 866, kRatioLabel + 2, QString::fromUtf8(RatioTexts[9])},
    };
    const std::vector<std::uint8_t> left = bytes(image::kMusicLeft, music::kSize);
    std::vector<std::uint8_t> expected = image();
    for (const Case& c : cases) {
        dragTo(c.slider, c.position);
        EXPECT_EQ(slider(c.slider)->getPos(), c.position) << c.slider;
        EXPECT_EQ(working().byte(c.offset), c.position) << c.slider;
        EXPECT_EQ(label(c.label), c.text) << c.slider;
        expected[c.offset] = static_cast<std::uint8_t>(c.position);
    }
    // Nothing else moved: not Music Left, not the bands, not reserved9.
    EXPECT_EQ(image(), expected);
    EXPECT_EQ(bytes(image::kMusicLeft, music::kSize), left);
}

TEST_F(DynamicEqPageTest, EqResetRestoresTheBandsAndKeepsTheCompressors) {
    struct Case {
        int channel;
        std::size_t block;
        std::size_t other;
    };
    const Case cases[] = {{kEqDynMusicLeft, image::kMusicLeft, image::kMusicRight},
                          {kEqDynMusicRight, image::kMusicRight, image::kMusicLeft}};
    test::FakePageHost defaults;
    // A compressor or reserved byte of band k, distinct for each.
    auto mark = [](std::size_t i, int k) {
        return static_cast<std::uint8_t>(i + 16 * static_cast<std::size_t>(k));
    };
    for (const Case& c : cases) {
        click(c.channel == kEqDynMusicLeft ? kLeft : kRight);
        ASSERT_EQ(page.shownChannel(), c.channel);
        for (int k = 0; k < DEQ_Dlg::kBands; ++k) {
            const std::size_t r = dynBand(c.block, k);
            EqBandView(working(), r).set(static_cast<std::uint16_t>(300 - k), 70, 55, 3);
            for (std::size_t i = dyneq::kThreshold; i < dyneq::kSize; ++i)
                working().setByte(r + i, mark(i, k));
        }
        const std::vector<std::uint8_t> otherBefore = bytes(c.other, music::kSize);
        page.refresh();
        ASSERT_EQ(edit(kGainEdit)->text(), QStringLiteral("-10.0"));

        click(kReset);
        for (int k = 0; k < DEQ_Dlg::kBands; ++k) {
            const std::size_t r = dynBand(c.block, k);
            const std::uint16_t defaultFreq = defaults.store().working.word(r + eqband::kFreq);
            EXPECT_EQ(working().word(r + eqband::kFreq), defaultFreq) << k;
            EXPECT_EQ(working().byte(r + eqband::kGain), 120) << k;
            EXPECT_EQ(working().byte(r + eqband::kQ), 10) << k;
            EXPECT_EQ(working().byte(r + eqband::kType), CFilter::kPeaking) << k;
            for (std::size_t i = dyneq::kThreshold; i < dyneq::kSize; ++i)
                EXPECT_EQ(working().byte(r + i), mark(i, k)) << k << " " << i;
            EXPECT_EQ(edit(kGainEdit + k)->text(), QStringLiteral("0.0"));
            EXPECT_EQ(slider(kGainSlider + k)->getPosInverted(), 120);
            EXPECT_EQ(page.control<QComboBox>(kTypeList + k)->currentText(), QStringLiteral("P"));
            EXPECT_EQ(edit(kFrequencyEdit + k)->getValue(), defaultFreq);
            EXPECT_DOUBLE_EQ(page.graph()->bandSet()->filter(k)->gainDb(), 0.0);
        }
        EXPECT_EQ(page.graph()->channel(), c.channel);
        EXPECT_EQ(bytes(c.other, music::kSize), otherBefore);
    }
}

TEST_F(DynamicEqPageTest, ChannelButtonsShowEachChannelsBands) {
    EqBandView(working(), dynBand(image::kMusicLeft, 0)).setGain(150);
    EqBandView(working(), dynBand(image::kMusicRight, 0)).setGain(90);
    working().setByte(dynBand(image::kMusicRight, 1) + dyneq::kThreshold, 10);
    host.bandSets()->rebindAll();
    page.refresh();
    struct Case {
        int button;
        int channel;
        const char* gain;
        const char* threshold;
    };
    const Case cases[] = {{kRight, kEqDynMusicRight, "-6.0", "-38dBV"},
                          {kLeft, kEqDynMusicLeft, "6.0", "-48dBV"}};
    for (const Case& c : cases) {
        click(c.button);
        EXPECT_EQ(page.shownChannel(), c.channel);
        EXPECT_EQ(page.graph()->channel(), c.channel);
        EXPECT_EQ(edit(kGainEdit)->text(), QString::fromLatin1(c.gain));
        EXPECT_EQ(label(kThresholdLabel + 1), QString::fromLatin1(c.threshold));
        EXPECT_EQ(page.control<BitButton>(kRight)->down(), c.channel == kEqDynMusicRight);
        EXPECT_EQ(page.control<BitButton>(kLeft)->down(), c.channel == kEqDynMusicLeft);
    }
}

// A code from the device beyond a control's range shows as the nearest one, never as what
// another band or channel left in the control; clicking into the edit does not rewrite it.
TEST_F(DynamicEqPageTest, CodesBeyondTheRangesShowClampedAndStayUntilChanged) {
    EqBandView(working(), dynBand(image::kMusicRight, 0)).set(100, 150, 20, 1);
    click(kRight);
    ASSERT_EQ(edit(kGainEdit)->text(), QStringLiteral("6.0"));
    const std::size_t record = dynBand(image::kMusicLeft, 0);
    EqBandView(working(), record).set(400, 20, 150, 7);
    working().setByte(record + dyneq::kThreshold, 90);
    host.bandSets()->rebindAll();
    click(kLeft);

    EXPECT_EQ(edit(kGainEdit)->text(), QStringLiteral("-12.0"));
    EXPECT_EQ(slider(kGainSlider)->getPosInverted(), 60);
    EXPECT_EQ(edit(kFrequencyEdit)->getValue(), 361);
    EXPECT_EQ(edit(kQEdit)->getValue(), 100);
    EXPECT_EQ(page.control<QComboBox>(kTypeList)->currentIndex(), -1);
    EXPECT_EQ(slider(kThresholdSlider)->getPos(), 60);
    EXPECT_EQ(label(kThresholdLabel), QStringLiteral("42dBV"));

    const std::vector<std::uint8_t> before = image();
    for (int id : {kGainEdit, kFrequencyEdit, kQEdit}) {
        QTest::mouseClick(edit(id), Qt::LeftButton);
        QTest::keyClick(edit(id), Qt::Key_Return);
        QCoreApplication::sendPostedEvents();
    }
    EXPECT_EQ(image(), before);

    // A real change is written.
    type(kGainEdit, "-3");
    EXPECT_EQ(working().byte(record + eqband::kGain), 105);
}

TEST_F(DynamicEqPageTest, SyncIsTheMusicPagesLinkBothWays) {
    MusicDlg music(host, nullptr);
    music.applyUiMode(1);
    music.refresh();
    auto syncShown = [&] {
        return std::pair{page.control<BitButton>(kSync)->down(),
                         music.control<BitButton>(kSync)->down()};
    };
    struct Case {
        PageDlg* from;
        int link;
    };
    const Case cases[] = {{&page, 1}, {&music, 0}, {&music, 1}, {&page, 0}};
    for (const Case& c : cases) {
        QTest::mouseClick(c.from->control(kSync), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(working().byte(image::kMusicLink), c.link);
        page.refresh();
        music.refresh();
        EXPECT_EQ(syncShown(), std::pair(c.link == 1, c.link == 1));
        EXPECT_EQ(page.control(kLeft)->isEnabled(), c.link == 0);
        EXPECT_EQ(page.control(kRight)->isEnabled(), c.link == 0);
    }
}

TEST_F(DynamicEqPageTest, SyncOnShowsMusicLeftAndOffCopiesItOverMusicRight) {
    click(kRight);
    click(kSync);
    EXPECT_EQ(working().byte(image::kMusicLink), 1);
    EXPECT_EQ(page.shownChannel(), kEqDynMusicLeft);
    EXPECT_EQ(page.graph()->channel(), kEqDynMusicLeft);
    EXPECT_FALSE(page.control<BitButton>(kRight)->down());
    EXPECT_FALSE(page.control<BitButton>(kLeft)->down());

    // Linked edits go to Music Left.
    dragTo(kRatioSlider + 2, 12);
    EXPECT_EQ(working().byte(dynBand(image::kMusicLeft, 2) + dyneq::kRatio), 12);
    dragToPixel(kGainSlider, -30);
    EXPECT_EQ(working().byte(dynBand(image::kMusicLeft, 0) + eqband::kGain), 180);

    // Full mode does not enable the channel buttons while linked.
    page.applyUiMode(1);
    EXPECT_FALSE(page.control(kRight)->isEnabled());

    click(kSync);
    EXPECT_EQ(working().byte(image::kMusicLink), 0);
    const std::size_t size = dyneq::kSize * DEQ_Dlg::kBands;
    const std::vector<std::uint8_t> left = bytes(dynBand(image::kMusicLeft, 0), size);
    EXPECT_EQ(bytes(dynBand(image::kMusicRight, 0), size), left);
    for (std::size_t i = 0; i < size; ++i)
        EXPECT_EQ(host.store().mirror.byte(dynBand(image::kMusicRight, 0) + i), left[i]) << i;
    EXPECT_EQ(host.bandSets()->channel(kEqDynMusicRight)->filter(0)->band()->gain(), 180);
    EXPECT_TRUE(page.control<BitButton>(kLeft)->down());
    EXPECT_TRUE(page.control(kRight)->isEnabled());

    click(kRight);
    EXPECT_EQ(edit(kGainEdit)->text(), QStringLiteral("12.0"));
    EXPECT_EQ(slider(kRatioSlider + 2)->getPos(), 12);
}

// A mode that arrives linked while Music Right is shown: the page and its graph go to Music Left.
TEST_F(DynamicEqPageTest, ARefreshWhileLinkedShowsMusicLeft) {
    click(kRight);
    working().setByte(image::kMusicLink, 1);
    page.refresh();
    EXPECT_EQ(page.shownChannel(), kEqDynMusicLeft);
    EXPECT_EQ(page.graph()->channel(), kEqDynMusicLeft);
    dragTo(kAttackSlider, 6);
    EXPECT_EQ(working().byte(dynBand(image::kMusicLeft, 0) + dyneq::kAttack), 6);
}

TEST_F(DynamicEqPageTest, EasyModeShowsEverythingAndTakesNoInput) {
    EqBandView(working(), dynBand(image::kMusicLeft, 1)).setGain(140);
    host.bandSets()->rebindAll();
    page.refresh();
    page.applyUiMode(0);
    const std::vector<std::uint8_t> before = image();

    dragToPixel(kGainSlider + 1, -30);
    dragTo(kThresholdSlider + 2, 40);
    type(kFrequencyEdit, "500");
    type(kGainEdit + 2, "6");
    for (int id : {kSync, kRight, kReset})
        click(id);
    auto* list = page.control<QComboBox>(kTypeList);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    dragMarker(0, 0, -100);
    wheel(kGainSlider, 120);

    EXPECT_EQ(image(), before);
    EXPECT_EQ(page.shownChannel(), kEqDynMusicLeft);
    // The values stay in view.
    EXPECT_EQ(edit(kGainEdit + 1)->text(), QStringLiteral("4.0"));
    EXPECT_TRUE(slider(kGainSlider + 1)->isSliderEnabled());
    EXPECT_EQ(slider(kGainSlider + 1)->getPosInverted(), 140);

    page.applyUiMode(1);
    dragTo(kThresholdSlider + 2, 40);
    EXPECT_EQ(working().byte(dynBand(image::kMusicLeft, 2) + dyneq::kThreshold), 40);
}

TEST_F(DynamicEqPageTest, GainSlidersWearTheStripsVerticalSkin) {
    for (int k = 0; k < DEQ_Dlg::kBands; ++k) {
        BitmapSlider* s = slider(kGainSlider + k);
        EXPECT_TRUE(s->isVertical());
        EXPECT_EQ(s->size(), skinBitmapSize(bitmap::kStripChannel));
        EXPECT_EQ(s->minimum(), 60);
        EXPECT_EQ(s->maximum(), 180);
    }
    // At 0 dB and -12 dB the thumb sits where the strips' thumb does on the same scale.
    MusicDlg music(host, nullptr);
    BitmapSlider* strip = music.strip(0)->control<BitmapSlider>(1291);
    const SliderAxis stripAxis{strip->height(), 1, 2, skinBitmapSize(bitmap::kStripThumb).height()};
    EXPECT_NEAR(thumbCentre(axisOf(slider(kGainSlider)), 60, 180, 120),
                thumbCentre(stripAxis, 0, 180, 60), 1);
    EXPECT_NEAR(thumbCentre(axisOf(slider(kGainSlider)), 60, 180, 180),
                thumbCentre(stripAxis, 0, 180, 120), 2);
}

// Every control on screen: none covers another or the graph, all inside the page.
TEST_F(DynamicEqPageTest, NoControlCoversAnother) {
    std::vector<QWidget*> widgets;
    for (QWidget* w : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && qobject_cast<QGroupBox*>(w) == nullptr)
            widgets.push_back(w);
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        ASSERT_TRUE(page.rect().contains(widgets[i]->geometry())) << controlId(widgets[i]);
        for (std::size_t j = i + 1; j < widgets.size(); ++j)
            EXPECT_FALSE(widgets[i]->geometry().intersects(widgets[j]->geometry()))
                << controlId(widgets[i]) << " and " << controlId(widgets[j]);
    }
}

} // namespace
} // namespace kesmo
