#include "controls/ControlMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kesmo {

int truncToInt(double v) {
    if (std::isnan(v))
        return 0;
    constexpr double kLow = std::numeric_limits<int>::min();
    constexpr double kHigh = std::numeric_limits<int>::max();
    if (v <= kLow)
        return std::numeric_limits<int>::min();
    if (v >= kHigh)
        return std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(v));
}

int WheelAccumulator::add(int delta) {
    const int sum = std::clamp(m_sum + delta, -kNotch, kNotch);
    m_sum = static_cast<std::int16_t>(sum);
    if (sum != kNotch && sum != -kNotch)
        return 0;
    m_sum = 0;
    return sum > 0 ? 1 : -1;
}

} // namespace kesmo
