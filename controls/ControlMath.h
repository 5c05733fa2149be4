#pragma once

#include <cstdint>

// Small arithmetic the controls share.
namespace kesmo {

// Truncates toward zero; NaN gives 0 and values beyond int saturate instead of being undefined.
int truncToInt(double v);

// Collects wheel deltas, kept within one notch either way.
class WheelAccumulator final {
public:
    static constexpr int kNotch = 120;
    // +1 when a notch up is complete, -1 for a notch down, else 0; a full notch resets it.
    int add(int delta);

private:
    std::int16_t m_sum = 0;
};

} // namespace kesmo
