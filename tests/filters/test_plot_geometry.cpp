#include "filters/PlotGeometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace kesmo;

namespace {

// 720 × 360 pixels: 10 pixels per dB; 1000 Hz sits at x = 414, 20600 Hz at x = 686.
constexpr PlotSize kPlot{720, 360};

TEST(PlotMapping, CornersAreTheGraphRange) {
    EXPECT_NEAR(plotX(10, kPlot.width), 0.0, 1e-9);
    EXPECT_NEAR(plotX(30000, kPlot.width), 720.0, 1e-9);
    EXPECT_NEAR(plotX(1000, kPlot.width), 414.136, 0.001);
    EXPECT_NEAR(plotFrequencyHz(0, kPlot.width), 10.0, 1e-9);
    EXPECT_NEAR(plotFrequencyHz(720, kPlot.width), 30000.0, 1e-6);
    EXPECT_NEAR(plotFrequencyHz(plotX(1000, kPlot.width), kPlot.width), 1000.0, 1e-9);
    EXPECT_DOUBLE_EQ(plotY(12, kPlot.height), 0.0);
    EXPECT_DOUBLE_EQ(plotY(0, kPlot.height), 120.0);
    EXPECT_DOUBLE_EQ(plotY(-24, kPlot.height), 360.0);
}

TEST(PlotMapping, GainOfAPixelRowRoundsHalvesAwayFromZero) {
    struct Case {
        double y;
        int db;
    };
    const Case cases[] = {{0, 12}, {360, -24}, {120, 0}, {115, 1}, {125, -1}, {124, 0}, {-30, 15}};
    for (const Case& c : cases)
        EXPECT_EQ(plotGainDb(c.y, kPlot.height), c.db) << "y " << c.y;
}

TEST(PlotMapping, PixelsStayFiniteWhateverTheCurveHolds) {
    EXPECT_EQ(pixel(-std::numeric_limits<double>::infinity()), -10000000);
    EXPECT_EQ(pixel(std::numeric_limits<double>::infinity()), 10000000);
    EXPECT_EQ(pixel(std::nan("")), 0);
    EXPECT_EQ(pixel(-3.7), -3);
    EXPECT_EQ(pixel(plotY(-std::numeric_limits<double>::infinity(), 360)), 10000000);
}

TEST(MarkerPlacement, EqMarkersStayInsideThePlot) {
    struct Case {
        const char* what;
        double frequencyHz, gainDb;
        PlotSize plot;
        Rect expected;
    };
    const Case cases[] = {
        {"centre", 1000, 0, kPlot, {441, 122, 457, 138}},
        {"top left", 19.7, 12, kPlot, {87, 10, 103, 26}},
        {"above the top", 1000, 30, kPlot, {441, 10, 457, 26}},
        {"left edge may overhang by half", 10, 0, kPlot, {27, 122, 43, 138}},
        {"bottom", 1000, -24, kPlot, {441, 354, 457, 370}},
        {"just above the bottom", 1000, -23.2, kPlot, {441, 354, 457, 370}},
        {"20 kHz in a narrow plot", 20600, 0, {100, 360}, {119, 122, 135, 138}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(eqMarkerRect(c.frequencyHz, c.gainDb, c.plot), c.expected) << c.what;
}

TEST(MarkerPlacement, CrossoverMarkersSitOnTheirLine) {
    struct Case {
        const char* what;
        double frequencyHz;
        bool highPass;
        Rect expected;
    };
    const Case cases[] = {
        {"high-pass at +2 dB", 1000, true, {441, 110, 457, 126}},
        {"low-pass at 0 dB", 1000, false, {441, 130, 457, 146}},
        {"lowest code", 19.7, false, {87, 130, 103, 146}},
        {"past the right edge overhangs by half", 32000, true, {747, 110, 763, 126}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(crossoverMarkerRect(c.frequencyHz, c.highPass, kPlot), c.expected) << c.what;
}

TEST(CaptionBoxes, FollowTheMarkerAndStayInsideThePlot) {
    struct Case {
        const char* what;
        Rect marker;
        bool below;
        Rect expected;
    };
    const Case cases[] = {
        {"boost: below the marker", {441, 122, 457, 138}, true, {341, 157, 557, 223}},
        {"cut: around the marker", {441, 182, 457, 198}, false, {341, 132, 557, 232}},
        {"left edge: moved right", {87, 10, 103, 26}, true, {35, 45, 251, 111}},
        {"right edge: moved left", {713, 122, 729, 138}, true, {539, 157, 755, 223}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(eqCaptionRect(c.marker, c.below, kPlot), c.expected) << c.what;
}

TEST(CaptionBoxes, CrossoverCaptionsAreBesideTheMarker) {
    EXPECT_EQ(crossoverCaptionRect({441, 110, 457, 126}, true, kPlot), (Rect{441, 125, 507, 151}));
    EXPECT_EQ(crossoverCaptionRect({441, 130, 457, 146}, false, kPlot), (Rect{441, 115, 507, 166}));
    EXPECT_EQ(crossoverCaptionRect({713, 110, 729, 126}, true, kPlot), (Rect{689, 125, 755, 151}));
}

TEST(CaptionText, ShowsTypeFrequencyQAndGain) {
    struct Case {
        int type;
        double frequencyHz, q, gainDb;
        const char* expected;
    };
    const Case cases[] = {
        {1, 1000, 0.71, -3.0, "PEQ  1000Hz 0.71Q -3.0dB"},
        {0, 80.3, 0.71, 0, "BY  80.3Hz 0.71Q 0.0dB"},
        {2, 99.0, 0.5, 12, "LS  99.0Hz 0.500Q 12.0dB"},
        {3, 101, 128, -24, "HS  101Hz 128.000Q -24.0dB"},
        {1, 20600, 0.4, 0.2, "PEQ  20600Hz 0.40Q 0.2dB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(eqCaption(c.type, c.frequencyHz, c.q, c.gainDb), c.expected);
}

TEST(CaptionText, CrossoverShowsTheFrequencyOnly) {
    EXPECT_EQ(crossoverCaption(0, 19.7), "19.7Hz ");
    EXPECT_EQ(crossoverCaption(81, 94.0), "94.0Hz ");
    EXPECT_EQ(crossoverCaption(82, 95.0), "95Hz ");
    EXPECT_EQ(crossoverCaption(204, 1000), "1000Hz ");
}

} // namespace
