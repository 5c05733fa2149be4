#include "WidgetTestSupport.h"
#include "controls/Edit_Static.h"
#include "controls/FontStatic.h"
#include "controls/SLamp.h"

#include <QTest>
#include <gtest/gtest.h>

namespace kesmo {
namespace {

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(300, 300);
        page.setAutoFillBackground(true);
        QPalette colours = page.palette();
        colours.setColor(QPalette::Window, Qt::white);
        page.setPalette(colours);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    }

    QApplication& application = test::app();
    test::Recorder page;
};

TEST_F(LabelTest, ValueLabelKinds) {
    struct Case {
        const char* name;
        int kind, minimum, maximum;
        int integerScale, integerOffset;
        double realScale, realOffset;
        const char* unit;
        int value;
        const char* text;
    };
    const Case cases[] = {
        {"above the maximum", 20, 0, 100, 1, 0, 0, 0, "", 150, "150"},
        {"below the minimum", 20, 0, 100, 1, 0, 0, 0, "", -5, "0"},
        {"integer offset", 20, 0, 0, 1, 50, 0, 0, "dB", 0, "-50dB"},
        {"integer step", 20, 0, 250, 2, 0, 0, 0, "ms", 250, "500ms"},
        {"gate off", 47, 0, 60, 1, 78, 0, 0, "dBV", 0, "OFF"},
        {"gate on", 47, 0, 60, 1, 78, 0, 0, "dBV", 1, "-77dBV"},
        {"real", 14, 0, 40, 1, 0, 0.5, 10, "dB", 40, "10.0dB"},
        {"crossover off", 8, 0, 361, 1, 0, 0, 0, "Hz", 0, "OFF"},
        {"crossover one decimal", 8, 0, 361, 1, 0, 0, 0, "Hz", 81, "94.0Hz"},
        {"crossover whole", 8, 0, 361, 1, 0, 0, 0, "Hz", 82, "95Hz"},
        {"Q", 45, 0, 100, 1, 0, 0, 0, "", 16, "1.00"},
        {"metres", 48, 0, 1500, 1, 0, 0, 0, "", 100, "3.400m"},
        {"attack", 5, 0, 19, 1, 0, 0, 0, "ms", 0, "0.5ms"},
        {"ratio", 12, 0, 40, 1, 0, 0, 0, "", 40, "100"},
        {"release", 6, 0, 7, 1, 0, 0, 0, "", 7, "Atk X32"},
        {"beyond a table", 12, 0, 40, 1, 0, 0, 0, "", 99, "100"},
    };
    for (const auto& c : cases) {
        Edit_Static label(&page);
        label.setRange(c.minimum, c.maximum);
        label.setKind(c.kind);
        if (c.kind == 14)
            label.setRealFormat(c.realScale, c.realOffset, c.unit);
        else
            label.setIntegerFormat(c.integerScale, c.integerOffset, c.unit);
        label.setValue(c.value);
        EXPECT_EQ(label.text(), c.text) << c.name;
        EXPECT_EQ(label.value(), std::max(c.value, c.minimum)) << c.name;
        QCoreApplication::sendPostedEvents(); // the label's own repaint message
        EXPECT_TRUE(page.messages.empty()) << c.name;
    }
}

TEST_F(LabelTest, ValueLabelDrawsInItsColourAndEmbossedWhenDisabled) {
    Edit_Static label(&page);
    label.setGeometry(0, 0, 60, 20);
    label.setTextColour(Qt::red);
    label.setValue(888);
    label.show();
    const auto count = [&](QRgb colour) {
        const QImage image = page.grab(label.geometry()).toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += (image.pixel(x, y) | 0xFF000000u) == colour;
        return n;
    };
    EXPECT_GT(count(0xFFFF0000), 0);
    label.setEnabled(false);
    EXPECT_EQ(count(0xFFFF0000), 0);
    EXPECT_GT(count(label.palette().color(QPalette::Dark).rgb()), 0);
}

TEST_F(LabelTest, FontStaticRedrawsOnlyForANewColour) {
    FontStatic caption(&page);
    caption.setGeometry(0, 0, 100, 20);
    caption.setText("MMMM");
    caption.show();
    test::PaintCounter counter;
    caption.installEventFilter(&counter);
    QCoreApplication::processEvents();
    const int before = counter.paints;
    caption.setTextColour(Qt::black);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, before);
    caption.setTextColour(Qt::red);
    QCoreApplication::processEvents();
    EXPECT_GT(counter.paints, before);
    const QImage image = page.grab(caption.geometry()).toImage();
    int red = 0;
    for (int x = 0; x < image.width(); ++x)
        red += (image.pixel(x, 10) | 0xFF000000u) == 0xFFFF0000u;
    EXPECT_GT(red, 0);
    EXPECT_EQ(image.pixel(90, 10) | 0xFF000000u, 0xFFFFFFFFu); // left aligned: right end clear
}

TEST(SLampLayout, SegmentRows) {
    const QSize client(20, 173); // 17 rows of 10 and 3 left over
    EXPECT_EQ(lampSegmentRect(0, client), QRect(0, 169, 20, 4));
    EXPECT_EQ(lampSegmentRect(15, client), QRect(0, 19, 20, 4));
    EXPECT_EQ(lampSegmentRect(16, client), QRect(0, 9, 20, 4));
    EXPECT_EQ(lampSegmentRect(17, client), QRect(0, 0, 20, 3));
    EXPECT_TRUE(lampSegmentRect(17, QSize(20, 170)).isEmpty());
    EXPECT_TRUE(lampSegmentRect(3, QSize(20, 10)).isEmpty());
}

TEST_F(LabelTest, LampLevelsAndLimits) {
    SLamp lamp(&page);
    lamp.setGeometry(10, 10, 20, 173);
    lamp.layout();
    lamp.show();
    struct Case {
        int level;
        int litBar;
        bool clip;
    };
    const Case cases[] = {{109, 0, false},  {110, 1, false},  {116, 2, false}, {199, 15, false},
                          {200, 16, false}, {250, 16, false}, {-4, 0, false}};
    for (const auto& c : cases) {
        lamp.setLevel(c.level);
        for (int i = 0; i < kLampBarSegments; ++i)
            EXPECT_EQ(lamp.isLit(i), i < c.litBar) << c.level << " segment " << i;
        EXPECT_EQ(lamp.isLit(kClipLamp), c.level >= 200) << c.level;
    }
    lamp.setLevel(200);
    lamp.setLimit(199);
    EXPECT_TRUE(lamp.isLit(kLimitLamp));
    const QImage lit = lamp.grab().toImage();
    EXPECT_EQ(lit.pixel(10, 171), kLampBarColour);  // segment 0
    EXPECT_EQ(lit.pixel(10, 21), kLampBarColour);   // segment 15
    EXPECT_EQ(lit.pixel(10, 11), kLampClipColour);  // clip
    EXPECT_EQ(lit.pixel(10, 1), kLampLimitColour);  // limit
    EXPECT_EQ(lit.pixel(10, 167), kLampBackground); // the gap between segments
    lamp.setLimit(200);
    lamp.setLevel(109);
    const QImage dark = lamp.grab().toImage();
    EXPECT_EQ(dark.pixel(10, 171), kLampBackground);
    EXPECT_EQ(dark.pixel(10, 1), kLampBackground);
    lamp.setLevel(250);
    lamp.clear();
    for (int i = 0; i < kLampSegments; ++i)
        EXPECT_FALSE(lamp.isLit(i));
}

} // namespace
} // namespace kesmo
