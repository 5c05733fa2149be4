#pragma once

#include "model/DataConver.h"

#include <array>
#include <complex>
#include <optional>

// Display-only filter design: the processor designs its own filters from the codes, so these
// coefficients never leave the program.
namespace kesmo {

inline constexpr double SampleRate = 192000.0;

// Normalised so that a0 = 1; a first-order section has b2 = a2 = 0.
struct BiquadCoefficients {
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
};

enum class FilterShape { HighPass, LowPass, Peaking, LowShelf, HighShelf };

using ComplexResponse = std::array<std::complex<double>, kGridPoints>;
using ResponseDb = std::array<double, kGridPoints>;

BiquadCoefficients designBiquad(FilterShape shape, double frequencyHz, double q, double gainDb);
// shape is HighPass or LowPass; any other shape is treated as LowPass.
BiquadCoefficients designFirstOrder(FilterShape shape, double frequencyHz);

ComplexResponse evaluateResponse(const BiquadCoefficients& c);
double magnitudeDb(std::complex<double> h);
// 20·log10|H| of every grid point, added onto `sum`.
void accumulateMagnitudeDb(const BiquadCoefficients& c, ResponseDb& sum);

// One row of the alignment table: the Q of each second-order section and whether an odd
// order adds a first-order section. All sections share the cut-off frequency.
struct CrossoverAlignment {
    int order = 0;
    int sections = 0;
    std::array<double, 3> q{};
    bool firstOrder = false;
};
inline constexpr int kSlopeCodes = 13; // "ByPass" .. "36dBLink-Riley"
// Slope 0 ("ByPass") and codes outside 0..12 have no alignment: the filter is flat.
std::optional<CrossoverAlignment> crossoverAlignment(int slope);

// The fields of a CrossoverFilter record the response depends on.
struct CrossoverSettings {
    int kind = 0; // 0 high-pass, otherwise low-pass
    int freqCode = 0;
    int slope = 0;
};
ResponseDb crossoverResponseDb(const CrossoverSettings& record);

} // namespace kesmo
