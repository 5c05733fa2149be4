#include "filters/RoomEqDeviation.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <numbers>

namespace kesmo {
namespace {

RoomEqPlan planFor(std::string_view filterLines, std::string_view channelName = "mic1") {
    const RoomEqRead read = readRoomEqText(filterLines);
    EXPECT_TRUE(read.ok()) << describe(*read.error);
    const RoomEqPlanResult planned = planRoomEq(read.text, *findRoomEqChannel(channelName));
    EXPECT_TRUE(planned.ok()) << describe(*planned.error);
    return planned.plan;
}

TEST(RoomEqDeviation, IsZeroWhenEveryValueIsATableEntry) {
    const RoomEqPlan plan = planFor("Filter 1: ON PK Fc 63.7 Hz Gain -6.2 dB Q 4.8\n"
                                    "Filter 2: ON LS Fc 80.3 Hz Gain -2.4 dB Q 0.71\n"
                                    "Filter 3: ON None\n"
                                    "Filter 4: OFF PK Fc 1007 Hz Gain 3.1 dB Q 1.41\n"
                                    "Filter 5: ON HSC Fc 12000 Hz Gain 4 dB Q 1.12\n"
                                    "Filter 6: ON PK Fc 20600 Hz Gain -24 dB Q 128\n");
    EXPECT_EQ(roomEqDeviationDb(plan), 0.0);
    EXPECT_GT(std::fabs(roomEqStoredResponseDb(plan)[96]), 3.0) << "the stored EQ is not flat";
}

// The cookbook's sections evaluated on the unit circle, written out here so that the designer
// is checked rather than restated.
struct Section {
    char shape; // 'P', 'L', 'H'
    double hz, gainDb, q;
};

double sectionDb(const Section& s, double f) {
    const double A = std::pow(10.0, s.gainDb / 40.0);
    const double w0 = 2 * std::numbers::pi * s.hz / 192000.0;
    const double alpha = std::sin(w0) / (2 * s.q);
    const double c = std::cos(w0);
    const double k = 2 * std::sqrt(A) * alpha;
    double b[3], a[3];
    if (s.shape == 'P') {
        b[0] = 1 + alpha * A, b[1] = -2 * c, b[2] = 1 - alpha * A;
        a[0] = 1 + alpha / A, a[1] = -2 * c, a[2] = 1 - alpha / A;
    } else if (s.shape == 'L') {
        b[0] = A * ((A + 1) - (A - 1) * c + k), b[1] = 2 * A * ((A - 1) - (A + 1) * c);
        b[2] = A * ((A + 1) - (A - 1) * c - k);
        a[0] = (A + 1) + (A - 1) * c + k, a[1] = -2 * ((A - 1) + (A + 1) * c);
        a[2] = (A + 1) + (A - 1) * c - k;
    } else {
        b[0] = A * ((A + 1) + (A - 1) * c + k), b[1] = -2 * A * ((A - 1) + (A + 1) * c);
        b[2] = A * ((A + 1) + (A - 1) * c - k);
        a[0] = (A + 1) - (A - 1) * c + k, a[1] = 2 * ((A - 1) - (A + 1) * c);
        a[2] = (A + 1) - (A - 1) * c - k;
    }
    const std::complex<double> zInv = std::polar(1.0, -2 * std::numbers::pi * f / 192000.0);
    const std::complex<double> h =
        (b[0] + b[1] * zInv + b[2] * zInv * zInv) / (a[0] + a[1] * zInv + a[2] * zInv * zInv);
    return 20 * std::log10(std::abs(h));
}

TEST(RoomEqDeviation, MatchesAnIndependentComputationForOffGridValues) {
    const RoomEqPlan plan = planFor("Filter 1: ON PK Fc 63.4 Hz Gain -6.33 dB Q 4.87\n"
                                    "Filter 2: ON LS Fc 85.3 Hz Gain 2.93 dB Q 0.8\n"
                                    "Filter 3: ON HS Fc 7000 Hz Gain -1.77 dB Q 0.6\n");
    const Section asked[] = {
        {'P', 63.4, -6.33, 4.87}, {'L', 85.3, 2.93, 0.8}, {'H', 7000, -1.77, 0.6}};
    // The table entries nearest to what was asked, and the 0.2 dB steps.
    const Section stored[] = {
        {'P', 63.7, -6.4, 4.8}, {'L', 85.0, 3.0, 0.79}, {'H', 6990, -1.8, 0.59}};
    for (int b = 0; b < 3; ++b) {
        const RoomEqBand& band = plan.bands[static_cast<std::size_t>(b)];
        EXPECT_DOUBLE_EQ(eqFrequencyHz(band.freq), stored[b].hz) << b;
        EXPECT_DOUBLE_EQ(gainDb(band.gain), stored[b].gainDb) << b;
        EXPECT_DOUBLE_EQ(qValue(band.q), stored[b].q) << b;
    }
    double largest = 0.0;
    for (const double f : responseGrid()) {
        double difference = 0.0;
        for (int b = 0; b < 3; ++b)
            difference += sectionDb(asked[b], f) - sectionDb(stored[b], f);
        largest = std::max(largest, std::fabs(difference));
    }
    EXPECT_GT(largest, 0.05);
    EXPECT_NEAR(roomEqDeviationDb(plan), largest, 1e-9);
}

TEST(RoomEqDeviation, ClampedGainsCountInFull) {
    // +18 dB asked, +12 dB stored: six decibels at the centre frequency.
    const RoomEqPlan plan = planFor("Filter 1: ON PK Fc 1000 Hz Gain 18 dB Q 2\n");
    EXPECT_NEAR(roomEqDeviationDb(plan), 6.0, 1e-6);
}

} // namespace
} // namespace kesmo
