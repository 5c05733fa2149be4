#include "filters/Biquad.h"

#include <cmath>
#include <numbers>

namespace kesmo {

namespace {

constexpr double kPi = std::numbers::pi;

// e^(-jw) of every grid point, w from its frequency in whole tenths of a hertz as the grid is
// written (the small bias keeps 10.2 Hz at 102 tenths despite its binary representation).
// The grid is fixed, so these are constants: the same values every evaluation would compute.
struct UnitCircle {
    std::array<double, kGridPoints> c1, s1, c2, s2;
};

const UnitCircle& gridUnitCircle() {
    static const UnitCircle table = [] {
        UnitCircle t{};
        for (int i = 0; i < kGridPoints; ++i) {
            const double tenths = std::trunc(10.0 * gridFrequencyHz(i) + 1e-6);
            const double w = tenths * kPi / (10.0 * SampleRate / 2.0);
            const auto k = static_cast<std::size_t>(i);
            t.c1[k] = std::cos(w);
            t.s1[k] = std::sin(w);
            t.c2[k] = std::cos(2.0 * w);
            t.s2[k] = std::sin(2.0 * w);
        }
        return t;
    }();
    return table;
}

struct Raw {
    double b0, b1, b2, a0, a1, a2;
};

BiquadCoefficients normalised(const Raw& r) {
    return {r.b0 / r.a0, r.b1 / r.a0, r.b2 / r.a0, r.a1 / r.a0, r.a2 / r.a0};
}

// Numerator and denominator of one section at angle w.
struct NumDen {
    std::complex<double> n, d;
};

NumDen numDen(const BiquadCoefficients& c, const UnitCircle& u, std::size_t i) {
    const double c1 = u.c1[i], s1 = u.s1[i], c2 = u.c2[i], s2 = u.s2[i];
    return {{c.b0 + c.b1 * c1 + c.b2 * c2, -(c.b1 * s1 + c.b2 * s2)},
            {1.0 + c.a1 * c1 + c.a2 * c2, -(c.a1 * s1 + c.a2 * s2)}};
}

} // namespace

BiquadCoefficients designBiquad(FilterShape shape, double frequencyHz, double q, double gainDb) {
    const double w0 = 2.0 * kPi * frequencyHz / SampleRate;
    const double c = std::cos(w0);
    const double s = std::sin(w0);
    const double A = std::pow(10.0, gainDb / 40.0);
    const double alpha = s / (2.0 * q);
    const double sqrtA2alpha = 2.0 * std::sqrt(A) * alpha;

    switch (shape) {
    case FilterShape::HighPass:
        return normalised({(1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha});
    case FilterShape::LowPass:
        return normalised({(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha});
    case FilterShape::Peaking:
        return normalised(
            {1 + alpha * A, -2 * c, 1 - alpha * A, 1 + alpha / A, -2 * c, 1 - alpha / A});
    case FilterShape::LowShelf:
        return normalised(
            {A * ((A + 1) - (A - 1) * c + sqrtA2alpha), 2 * A * ((A - 1) - (A + 1) * c),
             A * ((A + 1) - (A - 1) * c - sqrtA2alpha), (A + 1) + (A - 1) * c + sqrtA2alpha,
             -2 * ((A - 1) + (A + 1) * c), (A + 1) + (A - 1) * c - sqrtA2alpha});
    case FilterShape::HighShelf:
        break;
    }
    return normalised({A * ((A + 1) + (A - 1) * c + sqrtA2alpha), -2 * A * ((A - 1) + (A + 1) * c),
                       A * ((A + 1) + (A - 1) * c - sqrtA2alpha),
                       (A + 1) - (A - 1) * c + sqrtA2alpha, 2 * ((A - 1) - (A + 1) * c),
                       (A + 1) - (A - 1) * c - sqrtA2alpha});
}

BiquadCoefficients designFirstOrder(FilterShape shape, double frequencyHz) {
    // Bilinear transform with the cut-off pre-warped onto the digital frequency.
    const double wc = 2.0 * kPi * frequencyHz;
    const double k = wc / std::tan(kPi * frequencyHz / SampleRate);
    const double d = wc + k;
    BiquadCoefficients out;
    if (shape == FilterShape::HighPass) {
        out.b0 = k / d;
        out.b1 = -k / d;
    } else {
        out.b0 = wc / d;
        out.b1 = wc / d;
    }
    out.a1 = (wc - k) / d;
    return out;
}

ComplexResponse evaluateResponse(const BiquadCoefficients& c) {
    const UnitCircle& u = gridUnitCircle();
    ComplexResponse out;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const NumDen nd = numDen(c, u, i);
        const double dd = std::norm(nd.d);
        out[i] = {(nd.n.real() * nd.d.real() + nd.n.imag() * nd.d.imag()) / dd,
                  (nd.d.real() * nd.n.imag() - nd.n.real() * nd.d.imag()) / dd};
    }
    return out;
}

double magnitudeDb(std::complex<double> h) {
    return 20.0 * std::log10(std::sqrt(h.real() * h.real() + h.imag() * h.imag()));
}

void accumulateMagnitudeDb(const BiquadCoefficients& c, ResponseDb& sum) {
    const UnitCircle& u = gridUnitCircle();
    for (std::size_t i = 0; i < sum.size(); ++i) {
        const NumDen nd = numDen(c, u, i);
        // 20·log10(|N|/|D|) without forming the quotient.
        sum[i] += 10.0 * std::log10(std::norm(nd.n) / std::norm(nd.d));
    }
}

std::optional<CrossoverAlignment> crossoverAlignment(int slope) {
    enum Family { Bessel, Butterworth, LinkwitzRiley };
    // Q[family][order 2, 3, 4, 6][section]
    static constexpr double kQ[3][4][3] = {
        {{0.5773}, {0.691}, {0.5219, 0.8055}, {0.5103, 0.6112, 1.0234}},
        {{0.7071}, {1.0}, {0.5412, 1.3065}, {0.5177, 0.7071, 1.932}},
        {{0.5}, {}, {0.71, 0.71}, {0.5, 1.0, 1.0}},
    };
    struct Row {
        Family family;
        int order;
    };
    static constexpr Row kRows[kSlopeCodes] = {
        {Butterworth, 0},   {Butterworth, 1},   {Bessel, 2},      {Butterworth, 2},
        {LinkwitzRiley, 2}, {Bessel, 3},        {Butterworth, 3}, {Bessel, 4},
        {Butterworth, 4},   {LinkwitzRiley, 4}, {Bessel, 6},      {Butterworth, 6},
        {LinkwitzRiley, 6},
    };
    if (slope <= 0 || slope >= kSlopeCodes)
        return std::nullopt;
    const Row& row = kRows[slope];
    CrossoverAlignment a;
    a.order = row.order;
    a.sections = row.order / 2;
    a.firstOrder = row.order % 2 == 1;
    const int orderIndex = row.order == 6 ? 3 : row.order - 2;
    for (int s = 0; s < a.sections; ++s)
        a.q[static_cast<std::size_t>(s)] = kQ[row.family][orderIndex][s];
    return a;
}

ResponseDb crossoverResponseDb(const CrossoverSettings& record) {
    ResponseDb sum{};
    const std::optional<CrossoverAlignment> a = crossoverAlignment(record.slope);
    if (!a)
        return sum;
    const double f = crossoverFrequencyHz(record.freqCode);
    const FilterShape shape = record.kind == 0 ? FilterShape::HighPass : FilterShape::LowPass;
    for (int s = 0; s < a->sections; ++s)
        accumulateMagnitudeDb(designBiquad(shape, f, a->q[static_cast<std::size_t>(s)], 0.0), sum);
    if (a->firstOrder)
        accumulateMagnitudeDb(designFirstOrder(shape, f), sum);
    return sum;
}

} // namespace kesmo
