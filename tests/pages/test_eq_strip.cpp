#include "controls/BitmapSlider.h"
#include "controls/FontStatic.h"
#include "controls/Messaging.h"
#include "controls/NumEdit.h"
#include "filters/CFStatic.h"
#include "pages/EQDlg.h"
#include "resources/Skin.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/pages/PageTestApp.h"

#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace kesmo {
namespace {

using namespace layout;

// The page a strip sits on: records StripTouched.
class PageStandIn final : public MessageTarget {
public:
    std::vector<std::intptr_t> touched() {
        QCoreApplication::sendPostedEvents();
        return std::exchange(m_touched, {});
    }

protected:
    bool onMessage(Message message, std::intptr_t, std::intptr_t lParam) override {
        if (message == Message::StripTouched)
            m_touched.push_back(lParam);
        return true;
    }

private:
    std::vector<std::intptr_t> m_touched;
};

class StripTest : public testing::Test {
protected:
    StripTest() : graph(host.store(), host.bandSets(), &page), strip(host, &page) {
        page.resize(400, 600);
        graph.setGeometry(0, 300, 400, 200);
        graph.setup();
        graph.layoutPage(kGraphMusic);
        graph.selectChannel(kEqMusicLeft);
        strip.setGraph(&graph);
        strip.move(60, 5);
        strip.setChannel(kEqMusicLeft, false);
        strip.setBand(kBand);
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
        page.touched();
    }

    EqBandView record() { return musicLeft(host.store().working).eq(kBand); }
    NumEdit* edit(int id) { return strip.control<NumEdit>(id); }
    BitmapSlider* slider() { return strip.control<BitmapSlider>(1291); }
    // The thumb's centre on the vertical travel.
    int thumbY() {
        BitmapSlider* s = slider();
        const int travel = s->height() - 1 - 2 - skinBitmapSize(bitmap::kStripThumb).height();
        return travel * (s->getPos() - s->minimum()) / (s->maximum() - s->minimum()) + 1 +
               skinBitmapSize(bitmap::kStripThumb).height() / 2;
    }
    void dragThumbTo(int y) {
        const QPoint thumb(26, thumbY());
        QTest::mousePress(slider(), Qt::LeftButton, {}, thumb);
        QTest::mouseMove(slider(), QPoint(26, y));
        QTest::mouseRelease(slider(), Qt::LeftButton, {}, QPoint(26, y));
        QCoreApplication::sendPostedEvents();
    }
    void type(int editId, const char* text) {
        NumEdit* e = edit(editId);
        QTest::mouseClick(e, Qt::LeftButton);
        e->selectAll();
        QTest::keyClicks(e, QString::fromLatin1(text));
        QTest::keyClick(e, Qt::Key_Return);
    }

    static constexpr int kBand = 4;
    test::FakePageHost host;
    PageStandIn page;
    GraphView graph;
    EQDlg strip;
};

TEST_F(StripTest, KeepsItsSliderBitmapSizeAndShowsItsBand) {
    EXPECT_EQ(slider()->size(), skinBitmapSize(bitmap::kStripChannel));
    EXPECT_EQ(strip.control<FontStatic>(1027)->text(), QStringLiteral("5"));
    EXPECT_EQ(strip.band(), host.bandSets()->channel(kEqMusicLeft)->filter(kBand));
    EXPECT_EQ(slider()->getPosInverted(), record().gain());
    EXPECT_EQ(edit(1023)->getValue(), record().freq());
}

TEST_F(StripTest, TheSliderEndsWriteTheGainEnds) {
    dragThumbTo(-40);
    EXPECT_EQ(record().gain(), 180);
    EXPECT_EQ(edit(1022)->text(), QStringLiteral("12.0"));
    EXPECT_EQ(page.touched(), std::vector<std::intptr_t>{kBand});
    EXPECT_EQ(graph.highlight(), kBand);
    EXPECT_EQ(QApplication::focusWidget(), edit(1022));

    dragThumbTo(400);
    EXPECT_EQ(record().gain(), 0);
    EXPECT_EQ(edit(1022)->text(), QStringLiteral("-24.0"));
}

TEST_F(StripTest, TypedValuesAreStoredAsCodes) {
    type(1022, "3");
    EXPECT_EQ(record().gain(), 135);
    EXPECT_EQ(edit(1022)->text(), QStringLiteral("3.0"));
    EXPECT_EQ(slider()->getPosInverted(), 135);
    std::vector<std::intptr_t> touched = page.touched();
    ASSERT_FALSE(touched.empty());
    EXPECT_EQ(touched.back(), kBand);

    type(1023, "1000");
    EXPECT_EQ(record().freq(), 204);
    EXPECT_EQ(edit(1023)->text(), QStringLiteral("1000"));
    EXPECT_DOUBLE_EQ(strip.band()->frequencyHz(), 1000.0);
}

TEST_F(StripTest, EnterCommitsTheTypedGainBeforeTheKeyGoesOn) {
    NumEdit* gain = edit(1022);
    QTest::mouseClick(gain, Qt::LeftButton);
    gain->selectAll();
    QTest::keyClicks(gain, QStringLiteral("-6"));
    EXPECT_NE(record().gain(), 90);
    QTest::keyClick(gain, Qt::Key_Enter);
    EXPECT_EQ(record().gain(), 90);
    EXPECT_NE(QApplication::focusWidget(), gain);
}

TEST_F(StripTest, BypassTypeFlattensTheCurveAndKeepsTheCodes) {
    strip.band()->setType(CFilter::kPeaking);
    strip.band()->setGainCode(160);
    strip.refresh();
    const int freq = record().freq(), gain = record().gain(), q = record().q();
    auto* list = strip.control<QComboBox>(1025);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home); // "BY", the first item
    EXPECT_EQ(record().type(), 0);
    EXPECT_EQ(record().freq(), freq);
    EXPECT_EQ(record().gain(), gain);
    EXPECT_EQ(record().q(), q);
    for (double db : strip.band()->responseDb())
        ASSERT_EQ(db, 0.0);
    EXPECT_EQ(page.touched(), std::vector<std::intptr_t>{kBand});
}

TEST_F(StripTest, ChannelChangesFollowTheEditedScene) {
    setScene(host.store(), 2);
    strip.setChannel(kEqOutputFirst + 1, true); // Main R
    EXPECT_EQ(strip.band(), host.bandSets()->output(2, kMainR)->filter(kBand));
    outputChannel(host.store().working, 2, kMainR).eq(kBand).setGain(77);
    strip.band()->rebind();
    strip.refresh();
    EXPECT_EQ(slider()->getPosInverted(), 77);

    CFilter* before = strip.band();
    strip.setChannel(kEqDynMusicLeft, true);
    EXPECT_EQ(strip.band(), before);
}

TEST_F(StripTest, AGraphDragMovesTheSliderOfTheShownBandOnly) {
    CFilter* shown = strip.band();
    EXPECT_EQ(shown->stripWindow(), &strip);
    shown->setGainCode(120);
    static_cast<StripWindow&>(strip).gainCodeDragged(150);
    EXPECT_EQ(slider()->getPosInverted(), 150);
    // Moved to another band, the strip is no longer the old band's strip window.
    strip.setBand(kBand + 1);
    EXPECT_EQ(shown->stripWindow(), nullptr);
    EXPECT_EQ(strip.band()->stripWindow(), &strip);
}

TEST_F(StripTest, EnableAllDisablesEveryControl) {
    strip.enableAll(false);
    EXPECT_FALSE(slider()->isSliderEnabled());
    EXPECT_FALSE(strip.isEnabled());
    const int gain = record().gain();
    dragThumbTo(-40);
    EXPECT_EQ(record().gain(), gain);
    strip.enableAll(true);
    EXPECT_TRUE(slider()->isSliderEnabled());
    EXPECT_TRUE(edit(1024)->isEnabled());
}

// The thumb's corners are keyed out by the colour of its pixel (0, 0): the channel shows there.
TEST_F(StripTest, TheThumbCornersShowTheChannel) {
    const QImage thumb = skinBitmap(bitmap::kStripThumb).toImage();
    const QRgb key = thumb.pixel(0, 0);
    const QImage shown = slider()->grab().toImage();
    const QSize size = thumb.size();
    const int top = thumbY() - size.height() / 2;
    int keyed = 0;
    for (int y = top; y < top + size.height(); ++y)
        for (int x = 18; x < 18 + size.width(); ++x)
            keyed += (shown.pixel(x, y) | 0xFF000000u) == (key | 0xFF000000u);
    EXPECT_EQ(keyed, 0);
}

} // namespace
} // namespace kesmo
