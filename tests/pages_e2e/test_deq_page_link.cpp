#include "controls/BitButton.h"
#include "controls/NumEdit.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "pages/DEQ_Dlg.h"
#include "tests/pages_e2e/PageLinkSupport.h"

#include <QComboBox>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

using namespace layout;

constexpr std::uint8_t kDynEqCode = 17;
constexpr std::uint8_t kReserved9 = 0x5A;

// Offset of band k's DynEqBand record in a music block.
std::size_t dynBand(std::size_t block, int k) {
    return block + music::kDynEq + dyneq::kSize * static_cast<std::size_t>(k);
}

// The dynamic EQ tab of the real main window, connected to the simulator.
class DynamicEqLinkTest : public ConnectedWindowTest {
protected:
    DynamicEqLinkTest() {
        // Bytes the page never writes: they travel back to the device as they came.
        sim.engine.modifyState([](sim::DeviceState& d) {
            for (std::size_t block : {image::kMusicLeft, image::kMusicRight})
                for (int k = 0; k < DEQ_Dlg::kBands; ++k)
                    d.working[dynBand(block, k) + dyneq::kReserved9] = kReserved9;
        });
    }

    void open(int languageMode = kDeliveredLanguageMode) {
        openTab(1, languageMode);
        page = static_cast<DEQ_Dlg*>(window->page(1));
    }
    void click(int buttonId) {
        QTest::mouseClick(page->control(buttonId), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    // Drags a slider's thumb far past one end of its travel. The gain sliders keep 1 pixel
    // above the travel and 35 below; the page sliders none.
    void dragPastEnd(int sliderId, bool towardMaximumPixel) {
        auto* s = page->control<BitmapSlider>(sliderId);
        const bool vertical = s->isVertical();
        const SliderAxis axis =
            vertical ? SliderAxis{s->height(), 1, 35, skinBitmapSize(bitmap::kStripThumb).height()}
                     : SliderAxis{s->width(), 0, 0, skinBitmapSize(bitmap::kSliderThumb).width()};
        auto at = [&](int pixel) {
            return vertical ? QPoint(s->width() / 2, pixel) : QPoint(pixel, s->height() / 2);
        };
        const int from = thumbCentre(axis, s->minimum(), s->maximum(), s->getPos());
        const int target = towardMaximumPixel ? axis.length + 40 : -40;
        QTest::mousePress(s, Qt::LeftButton, {}, at(from));
        QTest::mouseMove(s, at((from + target) / 2));
        QTest::mouseMove(s, at(target));
        QTest::mouseRelease(s, Qt::LeftButton, {}, at(target));
        QCoreApplication::sendPostedEvents();
    }
    void type(int editId, const char* text) {
        auto* e = page->control<NumEdit>(editId);
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, QString::fromUtf8(text));
        QTest::keyClick(e, Qt::Key_Return);
        QCoreApplication::sendPostedEvents();
    }
    // The last dynamic EQ frame of a wire index: its ten record bytes.
    std::vector<std::uint8_t> lastRecordSent(int index) const {
        const std::vector<sim::ReceivedFrame> frames = sim.engine.frames(kDynEqCode);
        for (auto it = frames.rbegin(); it != frames.rend(); ++it)
            if (it->bytes.size() >= 6 + dyneq::kSize && it->bytes[5] == index)
                return {it->bytes.begin() + 6, it->bytes.begin() + 6 + dyneq::kSize};
        return {};
    }
    std::vector<std::uint8_t> record(std::size_t offset) {
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i < dyneq::kSize; ++i)
            out.push_back(working().byte(offset + i));
        return out;
    }

    DEQ_Dlg* page = nullptr;
};

TEST_F(DynamicEqLinkTest, EditsTravelAsWholeBandRecords) {
    open();
    struct Case {
        const char* what;
        int channelButton;
        std::function<void()> edit;
        std::size_t record;
        int wireIndex;
        std::size_t field;
        int value;
    };
    const Case cases[] = {
        {"Music Left band 3 gain slider to the top", 1065, [this] { dragPastEnd(2072, false); },
         dynBand(image::kMusicLeft, 2), 2, eqband::kGain, 180},
        {"Music Right band 1 ratio slider to the end", 1066, [this] { dragPastEnd(2190, true); },
         dynBand(image::kMusicRight, 0), 3, dyneq::kRatio, 40},
        {"Music Right band 3 typed gain", 1066, [this] { type(2052, "-20"); },
         dynBand(image::kMusicRight, 2), 5, eqband::kGain, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        click(c.channelButton);
        const std::size_t framesBefore = sim.engine.count(kDynEqCode);
        c.edit();
        EXPECT_EQ(working().byte(c.record + c.field), c.value);
        ASSERT_TRUE(waitFor([&] { return deviceHolds(c.record, dyneq::kSize); }));
        EXPECT_GT(sim.engine.count(kDynEqCode), framesBefore);
        EXPECT_EQ(lastRecordSent(c.wireIndex), record(c.record));
        EXPECT_EQ(device().working[c.record + dyneq::kReserved9], kReserved9);
    }
    ASSERT_TRUE(waitFor([&] { return deviceHolds(0, kModeImageSize); }));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DynamicEqLinkTest, EqResetDeliversTheBandsAndLeavesTheCompressors) {
    sim.engine.modifyState([](sim::DeviceState& d) {
        for (int k = 0; k < DEQ_Dlg::kBands; ++k) {
            const std::size_t r = dynBand(image::kMusicLeft, k);
            d.working[r + eqband::kGain] = static_cast<std::uint8_t>(70 + 40 * k);
            d.working[r + dyneq::kThreshold] = static_cast<std::uint8_t>(20 + k);
            d.working[r + dyneq::kRatio] = static_cast<std::uint8_t>(30 + k);
        }
    });
    open();
    click(1067);
    const std::size_t all = dyneq::kSize * DEQ_Dlg::kBands;
    ASSERT_TRUE(waitFor([&] { return deviceHolds(dynBand(image::kMusicLeft, 0), all); }));
    const sim::DeviceState d = device();
    for (int k = 0; k < DEQ_Dlg::kBands; ++k) {
        const std::size_t r = dynBand(image::kMusicLeft, k);
        EXPECT_EQ(d.working[r + eqband::kGain], 120) << k;
        EXPECT_EQ(d.working[r + dyneq::kThreshold], 20 + k) << k;
        EXPECT_EQ(d.working[r + dyneq::kRatio], 30 + k) << k;
        EXPECT_EQ(d.working[r + dyneq::kReserved9], kReserved9) << k;
    }
}

// With KESMO_SHOT_DIR set: the dynamic EQ page of the connected window, Music Right shown,
// band 2 picked on the graph.
class DynamicEqScreenshot : public DynamicEqLinkTest, public ::testing::WithParamInterface<int> {};

TEST_P(DynamicEqScreenshot, WithMusicRightShown) {
    const char* dir = std::getenv("KESMO_SHOT_DIR");
    if (dir == nullptr)
        GTEST_SKIP() << "KESMO_SHOT_DIR not set";
    const int languageMode = GetParam();
    sim.engine.modifyState([](sim::DeviceState& d) {
        const std::uint8_t types[] = {2, 1, 3};
        const std::uint8_t gains[] = {150, 95, 140};
        const std::uint8_t qs[] = {10, 30, 10};
        for (int k = 0; k < DEQ_Dlg::kBands; ++k) {
            const std::size_t r = dynBand(image::kMusicRight, k);
            const auto i = static_cast<std::size_t>(k);
            d.working[r + eqband::kType] = types[i];
            d.working[r + eqband::kGain] = gains[i];
            d.working[r + eqband::kQ] = qs[i];
            d.working[r + dyneq::kThreshold] = static_cast<std::uint8_t>(24 + 12 * k);
            d.working[r + dyneq::kAttack] = static_cast<std::uint8_t>(3 + 4 * k);
            d.working[r + dyneq::kRelease] = static_cast<std::uint8_t>(2 + k);
            d.working[r + dyneq::kRatio] = static_cast<std::uint8_t>(10 + 8 * k);
        }
    });
    open(languageMode);
    click(1066);
    GraphView* graph = page->graph();
    const Point c = graph->bandSet()->filter(1)->markerRect().centre();
    QTest::mouseMove(graph, QPoint(c.x + 1, c.y));
    QTest::mouseMove(graph, QPoint(c.x, c.y));
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(c.x, c.y));
    QCoreApplication::sendPostedEvents();
    ASSERT_NE(linkState().connected, 0);
    const QString language =
        languageMode == 0 ? QStringLiteral("english") : QStringLiteral("chinese");
    EXPECT_TRUE(window->grab().save(
        QStringLiteral("%1/deq-%2.png").arg(QString::fromLocal8Bit(dir), language)));
    // Easy mode: the same values, nothing to change.
    auto* mode = window->control<QComboBox>(1025);
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Home);
    ASSERT_EQ(window->uiMode(), 0);
    EXPECT_TRUE(window->grab().save(
        QStringLiteral("%1/deq-easy-%2.png").arg(QString::fromLocal8Bit(dir), language)));
}

INSTANTIATE_TEST_SUITE_P(Languages, DynamicEqScreenshot, ::testing::Values(0, 1));

} // namespace
} // namespace kesmo::test
