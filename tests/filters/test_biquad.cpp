#include "filters/Biquad.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <numbers>

using namespace kesmo;

namespace {

constexpr double kPi = std::numbers::pi;

// Grid indices of frequencies the tests use (36 points per octave).
constexpr int k125Hz = 131, k250Hz = 167, k500Hz = 203, k1000Hz = 239, k2000Hz = 275, k4000Hz = 311,
              k8000Hz = 347;
constexpr int kFrequencyCode1000Hz = 204;

double db(std::complex<double> h) {
    return 20.0 * std::log10(std::abs(h));
}

// The analogue prototypes the cookbook starts from, normalised to the cut-off; the bilinear
// transform maps the digital angle w to s = j·tan(w/2)/tan(w0/2).
std::complex<double> prototype(FilterShape shape, double q, double gainDb, std::complex<double> s) {
    const double A = std::pow(10.0, gainDb / 40.0);
    const double sa = std::sqrt(A);
    switch (shape) {
    case FilterShape::LowPass:
        return 1.0 / (s * s + s / q + 1.0);
    case FilterShape::HighPass:
        return s * s / (s * s + s / q + 1.0);
    case FilterShape::Peaking:
        return (s * s + s * (A / q) + 1.0) / (s * s + s / (A * q) + 1.0);
    case FilterShape::LowShelf:
        return A * (s * s + (sa / q) * s + A) / (A * s * s + (sa / q) * s + 1.0);
    case FilterShape::HighShelf:
        break;
    }
    return A * (A * s * s + (sa / q) * s + 1.0) / (s * s + (sa / q) * s + A);
}

double gridOmega(int i) {
    return 2.0 * kPi * gridFrequencyHz(i) / SampleRate;
}

TEST(DesignBiquad, MatchesTheAnaloguePrototypeAtEveryGridPoint) {
    struct Case {
        const char* what;
        FilterShape shape;
        double frequencyHz, q, gainDb;
    };
    const Case cases[] = {
        {"low-pass", FilterShape::LowPass, 1000, 0.7071, 0},
        {"high-pass", FilterShape::HighPass, 80.3, 1.3065, 0},
        {"peaking boost", FilterShape::Peaking, 3050, 2.0, 9.4},
        {"peaking narrow cut", FilterShape::Peaking, 125, 40, -18},
        {"low shelf", FilterShape::LowShelf, 198, 0.71, -7},
        {"high shelf", FilterShape::HighShelf, 7550, 0.5, 12},
    };
    for (const Case& c : cases) {
        const ComplexResponse h =
            evaluateResponse(designBiquad(c.shape, c.frequencyHz, c.q, c.gainDb));
        const double t0 = std::tan(kPi * c.frequencyHz / SampleRate);
        for (int i = 0; i < kGridPoints; ++i) {
            const std::complex<double> s{0.0, std::tan(gridOmega(i) / 2.0) / t0};
            ASSERT_NEAR(magnitudeDb(h[static_cast<std::size_t>(i)]),
                        db(prototype(c.shape, c.q, c.gainDb, s)), 1e-6)
                << c.what << " at " << gridFrequencyHz(i) << " Hz";
        }
    }
}

TEST(DesignBiquad, ZeroDbPeakingBandIsExactlyFlat) {
    for (double q : {0.4, 0.71, 128.0}) {
        const ComplexResponse h = evaluateResponse(designBiquad(FilterShape::Peaking, 1000, q, 0));
        for (const auto& v : h)
            ASSERT_EQ(magnitudeDb(v), 0.0) << "Q " << q;
    }
}

TEST(DesignBiquad, BandsReachTheirGainWhereTheyShould) {
    const auto at = [](FilterShape shape, double gainDb, int index) {
        return magnitudeDb(evaluateResponse(
            designBiquad(shape, 1000, 0.71, gainDb))[static_cast<std::size_t>(index)]);
    };
    // A peak reaches its gain at its own frequency; a shelf has half of it there and the
    // full gain far out on its side.
    EXPECT_NEAR(at(FilterShape::Peaking, 6, k1000Hz), 6.0, 1e-9);
    EXPECT_NEAR(at(FilterShape::Peaking, -24, k1000Hz), -24.0, 1e-9);
    EXPECT_NEAR(at(FilterShape::LowShelf, -12, k1000Hz), -6.0, 1e-9);
    EXPECT_NEAR(at(FilterShape::LowShelf, -12, 0), -12.0, 0.01);
    EXPECT_NEAR(at(FilterShape::HighShelf, 10, k1000Hz), 5.0, 1e-9);
    EXPECT_NEAR(at(FilterShape::HighShelf, 10, kGridPoints - 1), 10.0, 0.1);
    EXPECT_NEAR(at(FilterShape::LowShelf, 10, kGridPoints - 1), 0.0, 0.01);
}

TEST(DesignFirstOrder, IsThePrewarpedAnaloguePrototype) {
    for (FilterShape shape : {FilterShape::HighPass, FilterShape::LowPass}) {
        const BiquadCoefficients c = designFirstOrder(shape, 1000);
        EXPECT_EQ(c.b2, 0.0);
        EXPECT_EQ(c.a2, 0.0);
        const ComplexResponse h = evaluateResponse(c);
        const double t0 = std::tan(kPi * 1000 / SampleRate);
        for (int i = 0; i < kGridPoints; ++i) {
            const std::complex<double> s{0.0, std::tan(gridOmega(i) / 2.0) / t0};
            const std::complex<double> expected =
                shape == FilterShape::HighPass ? s / (s + 1.0) : 1.0 / (s + 1.0);
            ASSERT_NEAR(magnitudeDb(h[static_cast<std::size_t>(i)]), db(expected), 1e-6);
        }
    }
}

TEST(CrossoverResponse, SixDbPerOctaveHighPassIsThreeDbDownAtItsCutOff) {
    const ResponseDb r = crossoverResponseDb({0, kFrequencyCode1000Hz, 1});
    EXPECT_NEAR(r[k1000Hz], -3.0103, 0.001);
    EXPECT_NEAR(r[kGridPoints - 1], 0.0, 0.01);
    EXPECT_LT(r[kGridPoints - 1], 0.0);
}

TEST(CrossoverResponse, AlignmentsHaveTheirLossAtCutOff) {
    struct Case {
        int slope;
        double dbAtCutOff;
        double tolerance;
    };
    // Butterworth is 3 dB down, Linkwitz-Riley 6 dB, whatever the order.
    const Case cases[] = {
        {1, -3.01, 0.01},  {3, -3.01, 0.01}, {6, -3.01, 0.01}, {8, -3.01, 0.01},
        {11, -3.01, 0.01}, {4, -6.02, 0.01}, {9, -5.95, 0.01}, {12, -6.02, 0.01},
    };
    for (int kind : {0, 1})
        for (const Case& c : cases) {
            const ResponseDb r = crossoverResponseDb({kind, kFrequencyCode1000Hz, c.slope});
            EXPECT_NEAR(r[k1000Hz], c.dbAtCutOff, c.tolerance)
                << "slope " << c.slope << " kind " << kind;
        }
}

TEST(CrossoverResponse, AbsoluteValuesOfTheBesselRowsAndTheSampleRate) {
    constexpr int k16000Hz = 383, k32000Hz = 419;
    struct Case {
        const char* what;
        int kind, slope, gridIndex;
        double db;
    };
    // 20·log10 of each section's Q at the cut-off (a first-order section adds −3.0103), and
    // the bilinear transform at 192 kHz further out, all worked out by hand.
    const Case cases[] = {
        {"12dB Bessel high-pass at cut-off", 0, 2, k1000Hz, -4.7720},
        {"18dB Bessel high-pass at cut-off", 0, 5, k1000Hz, -6.2207},
        {"24dB Bessel high-pass at cut-off", 0, 7, k1000Hz, -7.5269},
        {"36dB Bessel high-pass at cut-off", 0, 10, k1000Hz, -9.9189},
        {"12dB Bessel low-pass at cut-off", 1, 2, k1000Hz, -4.7720},
        {"18dB Bessel low-pass at cut-off", 1, 5, k1000Hz, -6.2207},
        {"24dB Bessel low-pass at cut-off", 1, 7, k1000Hz, -7.5269},
        {"36dB Bessel low-pass at cut-off", 1, 10, k1000Hz, -9.9189},
        {"12dB Bessel high-pass three octaves down", 0, 2, k125Hz, -36.1935},
        {"6dB/ct low-pass at 16 kHz", 1, 1, k16000Hz, -24.2995},
        {"6dB/ct low-pass at 32 kHz", 1, 1, k32000Hz, -30.9545},
        {"12dB Butterworth low-pass at 16 kHz", 1, 3, k16000Hz, -48.5667},
        {"12dB Butterworth low-pass at 32 kHz", 1, 3, k32000Hz, -61.9021},
    };
    for (const Case& c : cases) {
        const ResponseDb r = crossoverResponseDb({c.kind, kFrequencyCode1000Hz, c.slope});
        EXPECT_NEAR(r[static_cast<std::size_t>(c.gridIndex)], c.db, 0.001) << c.what;
    }
}

TEST(CrossoverResponse, EverySlopeFallsAtItsRateBeyondCutOff) {
    const int dbPerOctave[kSlopeCodes] = {0, 6, 12, 12, 12, 18, 18, 24, 24, 24, 36, 36, 36};
    for (int slope = 1; slope < kSlopeCodes; ++slope) {
        const double rate = dbPerOctave[slope];
        // Two and three octaves past a 1000 Hz cut-off, on either side.
        const ResponseDb hp = crossoverResponseDb({0, kFrequencyCode1000Hz, slope});
        EXPECT_NEAR(hp[k250Hz] - hp[k125Hz], rate, 0.05 * rate) << "high-pass slope " << slope;
        const ResponseDb lp = crossoverResponseDb({1, kFrequencyCode1000Hz, slope});
        EXPECT_NEAR(lp[k4000Hz] - lp[k8000Hz], rate, 0.05 * rate) << "low-pass slope " << slope;
        EXPECT_GT(hp[k2000Hz], hp[k500Hz]);
        EXPECT_LT(lp[k2000Hz], lp[k500Hz]);
    }
}

TEST(CrossoverResponse, BypassAndUnknownSlopesAreFlat) {
    for (int slope : {0, 13, 200, -1})
        for (int code : {0, 204, 361, 5000}) {
            const ResponseDb r = crossoverResponseDb({0, code, slope});
            for (double v : r)
                ASSERT_EQ(v, 0.0) << "slope " << slope << " code " << code;
        }
}

TEST(CrossoverResponse, FrequencyCodeBeyondTheTableUsesTheLastEntry) {
    EXPECT_EQ(crossoverResponseDb({1, 4000, 9}), crossoverResponseDb({1, 361, 9}));
}

} // namespace
