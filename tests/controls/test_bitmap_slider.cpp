#include "WidgetTestSupport.h"
#include "controls/BitmapSlider.h"

#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

using test::Received;

struct GeometryCase {
    const char* name;
    SliderAxis axis;
    int minimum, maximum, position, centre;
};

TEST(SliderGeometry, ThumbCentreAtEndsAndMiddle) {
    const GeometryCase cases[] = {
        {"horizontal low", {101, 0, 0, 11}, 0, 100, 0, 5},
        {"horizontal high", {101, 0, 0, 11}, 0, 100, 100, 95},
        {"horizontal middle", {101, 0, 0, 11}, 0, 100, 50, 50},
        {"margins low", {101, 4, 6, 11}, 0, 100, 0, 9},
        {"margins high", {101, 4, 6, 11}, 0, 100, 100, 89},
        {"margins middle", {101, 4, 6, 11}, 0, 100, 50, 49},
        {"vertical top", {123, 3, 3, 17}, 0, 180, 0, 11},
        {"vertical bottom", {123, 3, 3, 17}, 0, 180, 180, 111},
        {"vertical middle", {123, 3, 3, 17}, 0, 180, 90, 61},
        {"offset range", {101, 0, 0, 11}, 60, 180, 120, 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(thumbCentre(c.axis, c.minimum, c.maximum, c.position), c.centre) << c.name;
        EXPECT_EQ(positionAt(c.axis, c.minimum, c.maximum, c.centre), c.position) << c.name;
    }
}

TEST(SliderGeometry, DegenerateAxesStayFinite) {
    EXPECT_EQ(thumbCentre({101, 0, 0, 11}, 5, 5, 5), 5);  // empty range
    EXPECT_EQ(positionAt({11, 0, 0, 11}, 0, 100, 40), 0); // no travel
    EXPECT_EQ(clampToTravel({10, 8, 8, 11}, 3), 13);      // travel inverted: low end
    EXPECT_EQ(thumbCentre({101, 0, 0, 11}, 0, 1, 2'000'000'000), 2'147'483'647);
}

constexpr QRgb kChannel = 0xFF0000FF;
constexpr QRgb kActiveChannel = 0xFFFF8000;
constexpr QRgb kThumb = 0xFF808080;
constexpr QRgb kActiveThumb = 0xFF00FF00;
constexpr QRgb kKey = 0xFFFF00FF;
constexpr int kId = 3820;

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(300, 300);
        setControlId(&slider, kId);
        ASSERT_TRUE(slider.setChannelPixmaps(test::solid(101, 12, kChannel),
                                             test::solid(101, 12, kActiveChannel)));
        ASSERT_TRUE(
            slider.setThumbPixmaps(test::solid(11, 12, kThumb), test::solid(11, 12, kActiveThumb)));
        slider.setRange(0, 100);
        slider.setPos(50);
        // Takes the focus when the window activates, so the slider has it only from clicks.
        sink.setFocusPolicy(Qt::StrongFocus);
        sink.setGeometry(200, 200, 10, 10);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    }
    bool isThumb(QRgb pixel) const {
        return pixel == (slider.hasFocusLook() ? kActiveThumb : kThumb);
    }
    void makeVertical() {
        slider.setVertical(true);
        slider.setChannelPixmaps(test::solid(12, 101, kChannel),
                                 test::solid(12, 101, kActiveChannel));
        slider.setThumbPixmaps(test::solid(12, 11, kThumb), test::solid(12, 11, kActiveThumb));
    }
    static void wheel(QWidget& target, int delta) {
        const QPointF at(5, 5);
        QWheelEvent event(at, target.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&target, &event);
    }
    static Received changed(int position) { return {Message::SliderChanged, kId, position}; }
    static Received tracking(int position) { return {Message::SliderTracking, kId, position}; }

    QApplication& application = test::app();
    test::Recorder page;
    QWidget sink{&page};
    BitmapSlider slider{&page};
};

TEST_F(SliderTest, ChannelBitmapSizesTheControlAndMismatchedActiveIsRefused) {
    EXPECT_EQ(slider.size(), QSize(101, 12));
    EXPECT_FALSE(slider.setChannelPixmaps(test::solid(101, 12, kChannel),
                                          test::solid(100, 12, kActiveChannel)));
    EXPECT_FALSE(slider.setChannelBitmaps(99999));
}

TEST_F(SliderTest, RangeAndPositionRules) {
    slider.setRange(0, 361, false);
    EXPECT_EQ(slider.getPos(), 0);
    slider.setRange(0, 100);
    slider.setPos(500);
    EXPECT_EQ(slider.getPos(), 100);
    slider.setPos(-3);
    EXPECT_EQ(slider.getPos(), 0);
    slider.setRange(0, 180);
    slider.setPosInverted(150);
    EXPECT_EQ(slider.getPos(), 30);
    EXPECT_EQ(slider.getPosInverted(), 150);
    slider.setPosInverted(200); // not clamped
    EXPECT_EQ(slider.getPos(), -20);
}

TEST_F(SliderTest, ClickOffTheThumbMovesOneStep) {
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(95, 6));
    EXPECT_EQ(slider.getPos(), 51);
    EXPECT_FALSE(slider.isDragging());
    EXPECT_TRUE(page.take().empty());
    slider.trackingTick();
    EXPECT_EQ(page.take(), std::vector{tracking(51)});
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(95, 6));
    EXPECT_TRUE(page.take().empty());
    EXPECT_FALSE(slider.isTrackingTimerActive());

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(2, 6));
    EXPECT_EQ(slider.getPos(), 50);
}

TEST_F(SliderTest, QuickClickIsReportedOnRelease) {
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(10, 6));
    EXPECT_EQ(slider.getPos(), 49);
    EXPECT_EQ(page.take(), std::vector{changed(49)});
}

TEST_F(SliderTest, DragToLowEndSetsMinimumWithoutTracking) {
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(52, 6)); // grabbed 2 px right
    EXPECT_TRUE(slider.isDragging());
    EXPECT_EQ(slider.getPos(), 50);
    QTest::mouseMove(&slider, QPoint(-40, 6));
    EXPECT_EQ(slider.getPos(), 0);
    slider.trackingTick();
    EXPECT_TRUE(page.take().empty());
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(-40, 6));
    EXPECT_EQ(page.take(), std::vector{changed(0)});
    EXPECT_TRUE(isThumb(test::pixelAt(slider, 5, 6)));
}

TEST_F(SliderTest, TrackingAtMostOncePerTickAndOnlyAfterAChange) {
    EXPECT_EQ(BitmapSlider::kTrackingInterval, std::chrono::milliseconds(50));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(50, 6));
    EXPECT_TRUE(slider.isTrackingTimerActive());
    slider.trackingTick();
    EXPECT_TRUE(page.take().empty());
    QTest::mouseMove(&slider, QPoint(60, 6));
    EXPECT_EQ(slider.getPos(), 61);
    slider.trackingTick();
    slider.trackingTick();
    EXPECT_EQ(page.take(), std::vector{tracking(61)});
    QTest::mouseMove(&slider, QPoint(70, 6));
    QTest::mouseMove(&slider, QPoint(80, 6));
    slider.trackingTick();
    EXPECT_EQ(page.take(), std::vector{tracking(83)});
    QTest::mouseMove(&slider, QPoint(500, 6));
    EXPECT_EQ(slider.getPos(), 100);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(500, 6));
    EXPECT_EQ(page.take(), std::vector{changed(100)});
    EXPECT_FALSE(slider.isTrackingTimerActive());
}

TEST_F(SliderTest, KeyTable) {
    struct Case {
        bool vertical;
        int start;
        Qt::Key key;
        int expected;
    };
    const Case cases[] = {
        {false, 5, Qt::Key_PageUp, 0},      {false, 0, Qt::Key_PageUp, 0},
        {false, 90, Qt::Key_PageDown, 100}, {false, 30, Qt::Key_PageDown, 50},
        {false, 30, Qt::Key_End, 100},      {false, 30, Qt::Key_Home, 0},
        {false, 50, Qt::Key_Up, 51},        {false, 50, Qt::Key_Down, 49},
        {true, 50, Qt::Key_Up, 49},         {true, 50, Qt::Key_Down, 51},
        {true, 50, Qt::Key_PageUp, 30},     {false, 50, Qt::Key_Left, 50},
        {false, 50, Qt::Key_Right, 50},     {false, 100, Qt::Key_Up, 100},
    };
    for (const auto& c : cases) {
        slider.setVertical(c.vertical);
        slider.setPos(c.start);
        QTest::keyClick(&slider, c.key);
        EXPECT_EQ(slider.getPos(), c.expected) << c.key << " from " << c.start;
        EXPECT_EQ(page.take(), std::vector{changed(c.expected)}) << c.key;
    }
    QTest::keyClick(&slider, Qt::Key_A);
    EXPECT_TRUE(page.take().empty());
}

TEST_F(SliderTest, WheelStepsInBothOrientations) {
    struct Case {
        bool vertical;
        std::vector<int> deltas;
        int expected;
        std::size_t messages;
    };
    const Case cases[] = {
        {false, {60, 60}, 51, 1}, {true, {60, 60}, 49, 2},    {false, {-120}, 49, 1},
        {true, {-120}, 51, 1},    {false, {240}, 51, 1},      {false, {60, -60, 60}, 50, 0},
        {true, {-60}, 50, 1},     {false, {120, 120}, 52, 2},
    };
    for (const auto& c : cases) {
        BitmapSlider fresh(&page);
        setControlId(&fresh, kId);
        fresh.setVertical(c.vertical);
        fresh.setPos(50);
        for (int delta : c.deltas)
            wheel(fresh, delta);
        EXPECT_EQ(fresh.getPos(), c.expected);
        const auto received = page.take();
        ASSERT_EQ(received.size(), c.messages);
        if (!received.empty()) {
            EXPECT_EQ(received.back(), changed(c.expected));
        }
    }
}

TEST_F(SliderTest, DrawsActiveChannelUpToTheThumb) {
    EXPECT_EQ(test::pixelAt(slider, 50, 6), kThumb);
    EXPECT_EQ(test::pixelAt(slider, 20, 6), kActiveChannel);
    EXPECT_EQ(test::pixelAt(slider, 80, 6), kChannel);
    slider.setFocusLook(true);
    EXPECT_EQ(test::pixelAt(slider, 50, 6), kActiveThumb);
    slider.setFocusLook(false);
    EXPECT_EQ(test::pixelAt(slider, 50, 6), kThumb);
}

TEST_F(SliderTest, VerticalThumbMovesUpWithUpArrow) {
    makeVertical();
    EXPECT_EQ(test::pixelAt(slider, 6, 50), kThumb);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.getPos(), 40);
    EXPECT_TRUE(isThumb(test::pixelAt(slider, 6, 41)));
    EXPECT_EQ(test::pixelAt(slider, 6, 20), kActiveChannel);
    EXPECT_EQ(test::pixelAt(slider, 6, 60), kChannel);
}

TEST_F(SliderTest, DisabledSliderDrawsNoThumbAndIgnoresInput) {
    slider.enable(false);
    EXPECT_EQ(test::pixelAt(slider, 50, 6), kChannel);
    EXPECT_EQ(test::pixelAt(slider, 20, 6), kChannel);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(90, 6));
    QTest::keyClick(&slider, Qt::Key_End);
    wheel(slider, 120);
    EXPECT_EQ(slider.getPos(), 50);
    EXPECT_TRUE(page.take().empty());
    slider.enable(true);
    EXPECT_TRUE(isThumb(test::pixelAt(slider, 50, 6)));
}

TEST_F(SliderTest, DisablingDuringADragEndsIt) {
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(50, 6));
    slider.enable(false);
    EXPECT_FALSE(slider.isDragging());
    EXPECT_FALSE(slider.isTrackingTimerActive());
    QTest::mouseMove(&slider, QPoint(80, 6));
    EXPECT_EQ(slider.getPos(), 50);
}

TEST_F(SliderTest, TransparentThumbShowsTheChannelThroughItsKeyColour) {
    QImage ring(11, 12, QImage::Format_ARGB32);
    ring.fill(kKey);
    for (int y = 3; y < 9; ++y)
        for (int x = 3; x < 8; ++x)
            ring.setPixel(x, y, kThumb);
    ASSERT_TRUE(slider.setThumbPixmaps(QPixmap::fromImage(ring), {}, true, QColor::fromRgb(kKey)));
    EXPECT_EQ(test::pixelAt(slider, 50, 6), kThumb);
    EXPECT_EQ(test::pixelAt(slider, 46, 1), kActiveChannel);
    EXPECT_EQ(test::pixelAt(slider, 54, 1), kChannel);
    // Key taken from a pixel of the bitmap.
    ASSERT_TRUE(slider.setThumbPixmaps(QPixmap::fromImage(ring), {}, true, QColor(), 0, 0));
    EXPECT_EQ(test::pixelAt(slider, 54, 1), kChannel);
}

} // namespace
} // namespace kesmo
