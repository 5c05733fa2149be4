#include "controls/SliderGeometry.h"

#include "controls/ControlMath.h"

#include <cmath>

namespace kesmo {

namespace {

double span(const SliderAxis& axis) {
    return static_cast<double>(axis.length) - axis.marginLow - axis.marginHigh - axis.thumbLength;
}

} // namespace

int travelLow(const SliderAxis& axis) {
    return axis.marginLow + axis.thumbLength / 2;
}

int travelHigh(const SliderAxis& axis) {
    return axis.length - axis.marginHigh - axis.thumbLength / 2;
}

int clampToTravel(const SliderAxis& axis, int pixel) {
    const int high = travelHigh(axis);
    const int low = travelLow(axis);
    if (pixel > high)
        pixel = high;
    return pixel < low ? low : pixel;
}

int thumbCentre(const SliderAxis& axis, int minimum, int maximum, int position) {
    const double range = static_cast<double>(maximum) - minimum;
    if (range == 0.0)
        return travelLow(axis);
    const double offset = span(axis) * (static_cast<double>(position) - minimum) / range;
    return truncToInt(std::trunc(offset) + travelLow(axis));
}

int positionAt(const SliderAxis& axis, int minimum, int maximum, int pixel) {
    const double travel = span(axis);
    if (travel == 0.0)
        return minimum;
    const double fraction = (static_cast<double>(pixel) - travelLow(axis)) / travel;
    const double range = static_cast<double>(maximum) - minimum;
    return truncToInt(minimum + std::trunc(fraction * range));
}

} // namespace kesmo
