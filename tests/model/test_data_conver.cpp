#include "model/DataConver.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace kesmo {
namespace {

TEST(FrequencySeries, GridEndsAndCodeOffset) {
    EXPECT_DOUBLE_EQ(gridFrequencyHz(0), 10.0);
    EXPECT_DOUBLE_EQ(gridFrequencyHz(35), 19.7);
    EXPECT_DOUBLE_EQ(gridFrequencyHz(239), 1000.0);
    EXPECT_DOUBLE_EQ(gridFrequencyHz(419), 32000.0);
    EXPECT_EQ(responseGrid().size(), 420u);
    EXPECT_DOUBLE_EQ(responseGrid()[117], 95.0);
    for (int code = 0; code < kFrequencyCodes; ++code) {
        EXPECT_DOUBLE_EQ(eqFrequencyHz(code), gridFrequencyHz(code + kFrequencyCodeGridOffset));
        EXPECT_DOUBLE_EQ(crossoverFrequencyHz(code), eqFrequencyHz(code));
    }
    EXPECT_DOUBLE_EQ(eqFrequencyHz(0), 19.7);
    EXPECT_DOUBLE_EQ(eqFrequencyHz(204), 1000.0);
    EXPECT_DOUBLE_EQ(eqFrequencyHz(361), 20600.0);
}

TEST(FrequencySeries, Ascends) {
    const auto& grid = responseGrid();
    for (std::size_t i = 1; i < grid.size(); ++i) {
        EXPECT_LT(grid[i - 1], grid[i]) << "grid index " << i;
    }
}

TEST(FrequencySeries, OutOfTableIndicesClampToTheEnds) {
    EXPECT_DOUBLE_EQ(gridFrequencyHz(-1), 10.0);
    EXPECT_DOUBLE_EQ(gridFrequencyHz(420), 32000.0);
    EXPECT_DOUBLE_EQ(eqFrequencyHz(-5), 19.7);
    EXPECT_DOUBLE_EQ(eqFrequencyHz(362), 20600.0);
    EXPECT_DOUBLE_EQ(crossoverFrequencyHz(65535), 20600.0);
}

struct LookupCase {
    double x;
    int code;
};

TEST(NearestFrequencyCode, AtAndBetweenEntries) {
    const LookupCase cases[] = {
        {1000.0, 204},  // an entry
        {1005.0, 204},  // dl 5 < du 15
        {1010.0, 205},  // half-way goes up
        {1015.0, 205},  // nearer the upper entry
        {19.7, 0},      // the first entry
        {19.0, 0},      // below the first entry
        {0.0, 0},       // far below
        {-100.0, 0},    // negative
        {19.95, 1},     // nearer 20.1
        {19.8, 0},      // nearer 19.7
        {20600.0, 361}, // the last entry
        {20400.0, 361}, // half-way between 20200 and 20600
        {20399.0, 360}, // nearer 20200
        {25000.0, 361}, // above the table: the last code
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nearestFrequencyCode(c.x), c.code) << c.x << " Hz";
    }
}

TEST(NearestFrequencyCode, EveryEntryMapsToItsOwnCode) {
    for (int code = 0; code < kFrequencyCodes; ++code) {
        EXPECT_EQ(nearestFrequencyCode(eqFrequencyHz(code)), code);
    }
}

TEST(NearestFrequencyCode, TypedFrequenciesOutsideTheRangeAreIgnored) {
    EXPECT_EQ(typedFrequencyCode(1000.0), 204);
    EXPECT_EQ(typedFrequencyCode(19.7), 0);
    EXPECT_EQ(typedFrequencyCode(20600.0), 361);
    EXPECT_EQ(typedFrequencyCode(25000.0), std::nullopt);
    EXPECT_EQ(typedFrequencyCode(10.0), std::nullopt);
    EXPECT_EQ(typedFrequencyCode(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

TEST(NearestFrequencyCode, DraggedFrequenciesAreClampedFirst) {
    EXPECT_EQ(draggedFrequencyCode(5.0), 0);
    EXPECT_EQ(draggedFrequencyCode(1005.0), 204);
    EXPECT_EQ(draggedFrequencyCode(32000.0), 361);
}

TEST(QTable, Values) {
    EXPECT_DOUBLE_EQ(qValue(0), 0.4);
    EXPECT_DOUBLE_EQ(qValue(16), 1.0);
    EXPECT_DOUBLE_EQ(qValue(56), 10.1);
    EXPECT_DOUBLE_EQ(qValue(100), 128.0);
    EXPECT_DOUBLE_EQ(qValue(-1), 0.4);
    EXPECT_DOUBLE_EQ(qValue(101), 128.0);
    EXPECT_DOUBLE_EQ(qValue(255), 128.0);
}

TEST(QTable, NearestCode) {
    const LookupCase cases[] = {
        {0.4, 0},    {0.1, 0},     {0.405, 0},
        {0.415, 1},  {1.0, 16},    {1.03, 17}, // half-way between 1 and 1.06 goes up
        {1.02, 16},  {105.0, 97},              // half-way between 102 and 108
        {104.9, 96}, {128.0, 100}, {125.0, 100},
        {124.0, 99}, {200.0, 100}, // beyond the table: the last code
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nearestQCode(c.x), c.code) << "Q " << c.x;
    }
    for (int code = 0; code < kQCodes; ++code) {
        EXPECT_EQ(nearestQCode(qValue(code)), code);
    }
}

TEST(QTable, TypedQIsClampedFirst) {
    EXPECT_EQ(typedQCode(200.0), 100);
    EXPECT_EQ(typedQCode(0.1), 0);
    EXPECT_EQ(typedQCode(2.0), 28);
}

TEST(Gain, CodeToDb) {
    EXPECT_DOUBLE_EQ(gainDb(0), -24.0);
    EXPECT_DOUBLE_EQ(gainDb(120), 0.0);
    EXPECT_DOUBLE_EQ(gainDb(180), 12.0);
    EXPECT_DOUBLE_EQ(gainDb(60), -12.0);
    EXPECT_DOUBLE_EQ(gainDb(121), 0.2);
}

TEST(Gain, DbToCodeHalfAStepGoesUp) {
    const struct {
        double db;
        int code;
    } cases[] = {
        {12.0, 180}, {-1.0, 115}, {0.1, 121},  {0.0, 120},   {-24.0, 0},
        {-12.0, 60}, {0.09, 120}, {-0.1, 120}, {-0.11, 119}, {11.9, 180},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gainCode(c.db), c.code) << c.db << " dB";
    }
    for (int code = 0; code <= 180; ++code) {
        EXPECT_EQ(gainCode(gainDb(code)), code);
    }
}

TEST(TextTables, EndsAndSizes) {
    EXPECT_STREQ(RatioTexts.front(), "1.0");
    EXPECT_STREQ(RatioTexts[27], "12");
    EXPECT_STREQ(RatioTexts.back(), "100");
    EXPECT_STREQ(AttackTexts.front(), "0.5");
    EXPECT_STREQ(AttackTexts.back(), "400");
    EXPECT_STREQ(ReleaseTexts.front(), "Atk X2");
    EXPECT_STREQ(ReleaseTexts.back(), "Atk X32");
}

DisplayFormat integerFormat(int minimum, int maximum, int scale, int offset, std::string unit) {
    DisplayFormat f;
    f.minimum = minimum;
    f.maximum = maximum;
    f.integerScale = scale;
    f.integerOffset = offset;
    f.unit = std::move(unit);
    return f;
}

DisplayFormat realFormat(int minimum, int maximum, double scale, double offset, std::string unit) {
    DisplayFormat f;
    f.minimum = minimum;
    f.maximum = maximum;
    f.realScale = scale;
    f.realOffset = offset;
    f.unit = std::move(unit);
    return f;
}

DisplayFormat unitOnly(int minimum, int maximum, std::string unit = {}) {
    return integerFormat(minimum, maximum, 1, 0, std::move(unit));
}

struct FormatCase {
    const char* what;
    int kind;
    int code;
    DisplayFormat format;
    const char* text;
};

TEST(FormatCode, EveryKind) {
    const FormatCase cases[] = {
        {"gate threshold off", kKindIntegerOff, 0, integerFormat(0, 60, 1, 78, "dBV"), "OFF"},
        {"gate threshold 1", kKindIntegerOff, 1, integerFormat(0, 60, 1, 78, "dBV"), "-77dBV"},
        {"gate threshold 60", kKindIntegerOff, 60, integerFormat(0, 60, 1, 78, "dBV"), "-18dBV"},
        {"attack 0", kKindAttack, 0, unitOnly(0, 19, "ms"), "0.5ms"},
        {"attack 19", kKindAttack, 19, unitOnly(0, 19, "ms"), "400ms"},
        {"release 0", kKindRelease, 0, unitOnly(0, 7), "Atk X2"},
        {"release 7", kKindRelease, 7, unitOnly(0, 7), "Atk X32"},
        {"release copy", kKindRelease2, 4, unitOnly(0, 7), "Atk X12"},
        {"release unit", kKindRelease, 1, unitOnly(0, 7, "!"), "Atk X4!"},
        {"ratio 0", kKindRatio, 0, unitOnly(0, 40), "1.0"},
        {"ratio 40", kKindRatio, 40, unitOnly(0, 40), "100"},
        {"limit level", kKindInteger, 0, integerFormat(0, 34, 1, 22, "dBV"), "-22dBV"},
        {"limit level top", kKindInteger, 34, integerFormat(0, 34, 1, 22, "dB"), "12dB"},
        {"right delay", kKindInteger, 0, integerFormat(0, 100, 1, 50, "%"), "-50%"},
        {"echo delay slider", kKindInteger, 250, integerFormat(0, 250, 2, 0, "ms"), "500ms"},
        {"plain number", kKindInteger, 84, unitOnly(0, 84), "84"},
        {"mic level", kKindReal, 0, realFormat(0, 40, 0.5, 10.0, "dB"), "-10.0dB"},
        {"mic level mid", kKindReal, 20, realFormat(0, 40, 0.5, 10.0, "dB"), "0.0dB"},
        {"mic level top", kKindReal, 40, realFormat(0, 40, 0.5, 10.0, "dB"), "10.0dB"},
        {"delay ms", kKindReal, 1500, realFormat(0, 1500, 0.1, 0.0, "ms"), "150.0ms"},
        {"delay metres", kKindMetres, 1500, unitOnly(0, 1500), "51.000m"},
        {"delay metres 100", kKindMetres, 100, unitOnly(0, 1500), "3.400m"},
        {"delay metres 0", kKindMetres, 0, unitOnly(0, 1500), "0.000m"},
        {"crossover off", kKindCrossoverFreq, 0, unitOnly(0, 361, "Hz"), "OFF"},
        {"crossover 81", kKindCrossoverFreq, 81, unitOnly(0, 361, "Hz"), "94.0Hz"},
        {"crossover 82", kKindCrossoverFreq, 82, unitOnly(0, 361, "Hz"), "95Hz"},
        {"crossover 1", kKindCrossoverFreq, 1, unitOnly(0, 361), "20.1"},
        {"crossover top", kKindCrossoverFreq, 361, unitOnly(0, 361), "20600"},
        {"q 0", kKindQ, 0, unitOnly(0, 100), "0.40"},
        {"q 100", kKindQ, 100, unitOnly(0, 100), "128.00"},
        {"q unit", kKindQ, 16, unitOnly(0, 100, "x"), "1.00x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatCode(c.kind, c.code, c.format), c.text) << c.what;
    }
}

TEST(FormatCode, BelowMinimumIsRaisedAboveMaximumIsShown) {
    EXPECT_EQ(formatCode(kKindInteger, -5, unitOnly(0, 100)), "0");
    EXPECT_EQ(formatCode(kKindInteger, 150, unitOnly(0, 100)), "150");
    EXPECT_EQ(formatCode(kKindInteger, 150, DisplayFormat{}), "150");
    EXPECT_EQ(formatCode(kKindIntegerOff, 3, integerFormat(5, 60, 1, 0, "x")), "OFF");
    EXPECT_EQ(formatCode(kKindIntegerOff, 6, integerFormat(5, 60, 1, 0, "x")), "6x");
    EXPECT_EQ(formatCode(kKindReal, -1, realFormat(0, 40, 0.5, 10.0, "dB")), "-10.0dB");
    EXPECT_EQ(formatCode(kKindReal, 60, realFormat(0, 40, 0.5, 10.0, "dB")), "20.0dB");
}

TEST(FormatCode, CodesBeyondATableShowItsLastEntry) {
    EXPECT_EQ(formatCode(kKindAttack, 20, unitOnly(0, 19, "ms")), "400ms");
    EXPECT_EQ(formatCode(kKindAttack, 65535, unitOnly(0, 19, "ms")), "400ms");
    EXPECT_EQ(formatCode(kKindRelease, 8, unitOnly(0, 7)), "Atk X32");
    EXPECT_EQ(formatCode(kKindRelease2, 255, unitOnly(0, 7)), "Atk X32");
    EXPECT_EQ(formatCode(kKindRatio, 41, unitOnly(0, 40)), "100");
    EXPECT_EQ(formatCode(kKindCrossoverFreq, 362, unitOnly(0, 361)), "20600");
    EXPECT_EQ(formatCode(kKindCrossoverFreq, 65535, unitOnly(0, 361)), "20600");
    EXPECT_EQ(formatCode(kKindQ, 101, unitOnly(0, 100)), "128.00");
    EXPECT_EQ(formatCode(kKindQ, 1000, unitOnly(0, 100)), "128.00");
}

TEST(FormatCode, TableKindsBelowTheirTableShowTheFirstEntry) {
    EXPECT_EQ(formatCode(kKindAttack, -3, unitOnly(-5, 19)), "0.5");
    EXPECT_EQ(formatCode(kKindRatio, -1, unitOnly(-1, 40)), "1.0");
    EXPECT_EQ(formatCode(kKindQ, -1, unitOnly(-1, 100)), "0.40");
    EXPECT_EQ(formatCode(kKindCrossoverFreq, -1, unitOnly(-1, 361)), "19.7");
}

TEST(FormatCode, UnknownKindsShowTheIntegerText) {
    EXPECT_EQ(formatCode(99, 7, integerFormat(0, 10, 2, 1, "u")), "13u");
}

TEST(Ranges, ClampAndContain) {
    EXPECT_TRUE(ranges::kFrequency.contains(361));
    EXPECT_FALSE(ranges::kFrequency.contains(362));
    EXPECT_EQ(ranges::kDynEqGain.clamp(10), 60);
    EXPECT_EQ(ranges::kQ.clamp(200), 100);
    EXPECT_EQ(ranges::kReverbTime.clamp(-1), 0);
    static_assert(ranges::kAttack.maximum + 1 == kAttackTextCount);
    static_assert(ranges::kRelease.maximum + 1 == kReleaseTextCount);
    static_assert(ranges::kRatio.maximum + 1 == kRatioTextCount);
    static_assert(ranges::kQ.maximum + 1 == kQCodes);
    static_assert(ranges::kFrequency.maximum + 1 == kFrequencyCodes);
}

} // namespace
} // namespace kesmo
