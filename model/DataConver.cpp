#include "model/DataConver.h"

#include "model/TextFormat.h"

#include <algorithm>
#include <cstdio>

namespace kesmo {

namespace {

// About 36 points per octave, rounded: one decimal below 100 Hz, whole hertz above.
// clang-format off
constexpr std::array<double, kGridPoints> kGridHz = {
    10.0, 10.2, 10.4, 10.6, 10.8, 11.0, 11.3, 11.5, 11.7, 11.9, 12.2, 12.4,
    12.6, 12.9, 13.1, 13.4, 13.7, 13.9, 14.2, 14.5, 14.7, 15.0, 15.3, 15.6,
    15.9, 16.2, 16.6, 16.9, 17.2, 17.5, 17.9, 18.2, 18.6, 18.9, 19.3, 19.7,
    20.1, 20.5, 20.9, 21.3, 21.7, 22.1, 22.5, 23.0, 23.4, 23.9, 24.3, 24.8,
    25.3, 25.8, 26.3, 26.8, 27.3, 27.8, 28.4, 28.9, 29.5, 30.1, 30.7, 31.3,
    31.9, 32.5, 33.1, 33.8, 34.4, 35.1, 35.8, 36.5, 37.2, 37.9, 38.6, 39.4,
    40.1, 40.9, 41.7, 42.5, 43.4, 44.2, 45.1, 45.9, 46.8, 47.7, 48.7, 49.6,
    50.6, 51.6, 52.6, 53.6, 54.6, 55.7, 56.8, 57.9, 59.0, 60.1, 61.3, 62.5,
    63.7, 65.0, 66.2, 67.5, 68.8, 70.2, 71.5, 72.9, 74.3, 75.8, 77.2, 78.7,
    80.3, 81.8, 83.4, 85.0, 86.7, 88.4, 90.1, 91.9, 94.0, 95.0, 97.0, 99.0,
    101, 103, 105, 107, 109, 111, 114, 116, 118, 120, 123, 125,
    127, 130, 132, 135, 138, 140, 143, 146, 149, 152, 154, 157,
    161, 164, 167, 170, 173, 177, 180, 184, 187, 191, 195, 198,
    202, 206, 210, 214, 218, 223, 227, 231, 236, 241, 245, 250,
    255, 260, 265, 270, 275, 281, 286, 292, 297, 303, 309, 315,
    321, 327, 334, 340, 347, 354, 360, 367, 375, 382, 389, 397,
    405, 412, 420, 429, 437, 445, 454, 463, 472, 481, 490, 500,
    510, 520, 530, 540, 551, 561, 572, 583, 595, 606, 618, 630,
    642, 655, 667, 680, 694, 707, 721, 735, 749, 764, 779, 794,
    809, 825, 841, 857, 874, 891, 908, 926, 944, 962, 981, 1000,
    1020, 1040, 1060, 1080, 1100, 1120, 1140, 1170, 1190, 1210, 1240, 1260,
    1280, 1310, 1330, 1360, 1390, 1410, 1440, 1470, 1500, 1530, 1560, 1590,
    1620, 1650, 1680, 1710, 1750, 1780, 1820, 1850, 1890, 1920, 1960, 2000,
    2040, 2080, 2120, 2160, 2200, 2240, 2290, 2330, 2380, 2420, 2470, 2520,
    2570, 2620, 2670, 2720, 2770, 2830, 2880, 2940, 3000, 3050, 3110, 3170,
    3240, 3300, 3360, 3430, 3500, 3560, 3630, 3700, 3780, 3850, 3920, 4000,
    4080, 4160, 4240, 4320, 4400, 4490, 4580, 4670, 4760, 4850, 4940, 5040,
    5140, 5240, 5340, 5440, 5550, 5660, 5770, 5880, 5990, 6110, 6230, 6350,
    6470, 6600, 6730, 6860, 6990, 7130, 7270, 7410, 7550, 7700, 7850, 8000,
    8160, 8310, 8480, 8640, 8810, 8980, 9150, 9330, 9510, 9700, 9890, 10100,
    10300, 10500, 10700, 10900, 11100, 11300, 11500, 11800, 12000, 12200, 12500, 12700,
    12900, 13200, 13500, 13700, 14000, 14300, 14500, 14800, 15100, 15400, 15700, 16000,
    16300, 16600, 17000, 17300, 17600, 18000, 18300, 18700, 19000, 19400, 19800, 20200,
    20600, 21000, 21400, 21800, 22200, 22600, 23100, 23500, 24000, 24400, 24900, 25400,
    25900, 26400, 26900, 27400, 28000, 28500, 29100, 29600, 30200, 30800, 31400, 32000,
};
// clang-format on

// clang-format off
constexpr std::array<double, kQCodes> kQTable = {
    0.4, 0.42, 0.45, 0.47, 0.5, 0.53, 0.56, 0.59, 0.63, 0.67, 0.71, 0.75,
    0.79, 0.84, 0.89, 0.94, 1.0, 1.06, 1.12, 1.19, 1.26, 1.3, 1.4, 1.5,
    1.6, 1.7, 1.8, 1.9, 2.0, 2.1, 2.2, 2.4, 2.5, 2.7, 2.8, 3.0,
    3.2, 3.4, 3.6, 3.8, 4.0, 4.2, 4.5, 4.8, 5.0, 5.3, 5.7, 6.0,
    6.3, 6.7, 7.1, 7.6, 8.0, 8.5, 9.0, 9.5, 10.1, 10.7, 11.3, 12.0,
    12.7, 13.5, 14.0, 15.0, 16.0, 17.0, 18.0, 19.0, 20.0, 21.0, 23.0, 24.0,
    25.0, 27.0, 29.0, 30.0, 32.0, 34.0, 36.0, 38.0, 40.0, 43.0, 45.0, 48.0,
    51.0, 54.0, 57.0, 60.0, 64.0, 68.0, 72.0, 76.0, 81.0, 85.0, 91.0, 96.0,
    102, 108, 114, 121, 128,
};
// clang-format on

// One table serves EQ bands, crossovers and exciters: the codes are the grid from 19.7 Hz on.
constexpr const double* kFrequencyTable = kGridHz.data() + kFrequencyCodeGridOffset;
static_assert(kFrequencyCodeGridOffset + kFrequencyCodes <= kGridPoints);
static_assert(kGridHz[kFrequencyCodeGridOffset] == kMinTypedFrequencyHz);
static_assert(kGridHz[kFrequencyCodeGridOffset + kFrequencyCodes - 1] == kMaxTypedFrequencyHz);
static_assert(kQTable.front() == kMinQ && kQTable.back() == kMaxQ);

// The first entry not below x; below the first entry gives 0; the nearer neighbour otherwise,
// half-way going up. The tables ascend, so the upward walk is a binary search.
int nearestIndex(const double* table, int count, double x) {
    const double* end = table + count;
    const int i = static_cast<int>(std::lower_bound(table, end, x) - table);
    if (i == 0) {
        return 0;
    }
    if (i == count) {
        return count - 1;
    }
    const double dl = x - table[i - 1];
    const double du = table[i] - x;
    return dl < du ? i - 1 : i;
}

template <std::size_t N> const char* tableText(const std::array<const char*, N>& table, int code) {
    return table[static_cast<std::size_t>(std::clamp(code, 0, static_cast<int>(N) - 1))];
}

std::string integerText(int code, const DisplayFormat& format) {
    const long long value =
        static_cast<long long>(code) * format.integerScale - format.integerOffset;
    return std::to_string(value);
}

} // namespace

double gridFrequencyHz(int gridIndex) {
    return kGridHz[static_cast<std::size_t>(std::clamp(gridIndex, 0, kGridPoints - 1))];
}

const std::array<double, kGridPoints>& responseGrid() {
    return kGridHz;
}

double eqFrequencyHz(int code) {
    return kFrequencyTable[std::clamp(code, 0, kFrequencyCodes - 1)];
}

double crossoverFrequencyHz(int code) {
    return eqFrequencyHz(code);
}

int nearestFrequencyCode(double hz) {
    return nearestIndex(kFrequencyTable, kFrequencyCodes, hz);
}

std::optional<int> typedFrequencyCode(double hz) {
    if (!(hz >= kMinTypedFrequencyHz && hz <= kMaxTypedFrequencyHz)) {
        return std::nullopt;
    }
    return nearestFrequencyCode(hz);
}

int draggedFrequencyCode(double hz) {
    return nearestFrequencyCode(std::clamp(hz, kMinTypedFrequencyHz, kMaxTypedFrequencyHz));
}

double qValue(int code) {
    return kQTable[static_cast<std::size_t>(ranges::kQ.clamp(code))];
}

int nearestQCode(double q) {
    return nearestIndex(kQTable.data(), kQCodes, q);
}

int typedQCode(double q) {
    return nearestQCode(std::clamp(q, kMinQ, kMaxQ));
}

// 0.2 dB per step from -24 dB, written so that whole steps come out as the nearest doubles.
double gainDb(int code) {
    return (code - 120) / 5.0;
}

int gainCode(double db) {
    return static_cast<int>((db + 24.0) * 100.0 / 20.0 + 0.5);
}

const std::array<const char*, kRatioTextCount> RatioTexts = {
    "1.0", "1.2", "1.4",  "1.6",  "1.8",  "2.0", "2.4", "2.8", "3.2", "3.6", "4.0",
    "4.4", "4.8", "5.2",  "5.6",  "6.0",  "6.4", "6.8", "7.2", "7.6", "8.0", "8.4",
    "9.0", "9.6", "10.2", "10.8", "11.4", "12",  "13",  "14",  "15",  "16",  "17",
    "18",  "19",  "20",   "22",   "24",   "26",  "30",  "100"};

const std::array<const char*, kAttackTextCount> AttackTexts = {
    "0.5", "0.7", "1.0", "1.4", "2.0", "2.8", "4.0", "5.7", "8.0", "11",
    "16",  "23",  "32",  "45",  "64",  "90",  "100", "120", "150", "400"};

const std::array<const char*, kReleaseTextCount> ReleaseTexts = {
    "Atk X2", "Atk X4", "Atk X6", "Atk X8", "Atk X12", "Atk X16", "Atk X24", "Atk X32"};

std::string formatCode(int kind, int code, const DisplayFormat& format) {
    const int c = std::max(code, format.minimum);
    switch (kind) {
    case kKindAttack:
        return tableText(AttackTexts, c) + format.unit;
    case kKindRelease:
    case kKindRelease2:
        return tableText(ReleaseTexts, c) + format.unit;
    case kKindRatio:
        return tableText(RatioTexts, c) + format.unit;
    case kKindCrossoverFreq:
        if (c == 0) {
            return "OFF";
        }
        return fixedText(crossoverFrequencyHz(c), c < 82 ? 1 : 0) + format.unit;
    case kKindReal:
        return fixedText(c * format.realScale - format.realOffset, 1) + format.unit;
    case kKindQ:
        return fixedText(qValue(c), 2) + format.unit;
    case kKindIntegerOff:
        if (c == format.minimum) {
            return "OFF";
        }
        return integerText(c, format) + format.unit;
    case kKindMetres:
        return fixedText(c / 10.0 * 0.34, 3) + "m" + format.unit;
    case kKindInteger:
    default:
        return integerText(c, format) + format.unit;
    }
}

} // namespace kesmo
