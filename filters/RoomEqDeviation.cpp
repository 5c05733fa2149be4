#include "filters/RoomEqDeviation.h"

#include <algorithm>
#include <cmath>

namespace kesmo {

namespace {

// A band's type code; an active filter's band holds the code of its shape.
FilterShape shapeOfCode(std::uint8_t type) {
    return type == 2   ? FilterShape::LowShelf
           : type == 3 ? FilterShape::HighShelf
                       : FilterShape::Peaking;
}

} // namespace

ResponseDb roomEqAskedResponseDb(const RoomEqPlan& plan) {
    ResponseDb sum{};
    for (const RoomEqBand& b : plan.bands)
        if (b.asked && b.asked->active() && b.asked->hasValues)
            accumulateMagnitudeDb(designBiquad(shapeOfCode(b.type), b.asked->frequencyHz,
                                               b.asked->q, b.asked->gainDb),
                                  sum);
    return sum;
}

ResponseDb roomEqStoredResponseDb(const RoomEqPlan& plan) {
    ResponseDb sum{};
    for (const RoomEqBand& b : plan.bands)
        if (b.type >= 1 && b.type <= 3)
            accumulateMagnitudeDb(designBiquad(shapeOfCode(b.type), eqFrequencyHz(b.freq),
                                               qValue(b.q), gainDb(b.gain)),
                                  sum);
    return sum;
}

double roomEqDeviationDb(const RoomEqPlan& plan) {
    const ResponseDb asked = roomEqAskedResponseDb(plan);
    const ResponseDb stored = roomEqStoredResponseDb(plan);
    double largest = 0.0;
    for (std::size_t i = 0; i < asked.size(); ++i)
        largest = std::max(largest, std::fabs(asked[i] - stored[i]));
    return largest;
}

} // namespace kesmo
