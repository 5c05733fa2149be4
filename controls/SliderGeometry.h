#pragma once

// Where a bitmap slider's thumb sits, along its travel axis only.
namespace kesmo {

struct SliderAxis {
    int length = 0;      // control width (horizontal) or height (vertical)
    int marginLow = 0;   // left or top margin
    int marginHigh = 0;  // right or bottom margin
    int thumbLength = 0; // thumb width or height
};

// Ends of the thumb centre's travel.
int travelLow(const SliderAxis& axis);
int travelHigh(const SliderAxis& axis);
// A pixel coordinate clamped to the travel (to the low end when the travel is empty).
int clampToTravel(const SliderAxis& axis, int pixel);

// Thumb centre of a position; positions outside the range give centres outside the travel.
int thumbCentre(const SliderAxis& axis, int minimum, int maximum, int position);
// Position under a thumb centre (truncated toward zero, not clamped).
int positionAt(const SliderAxis& axis, int minimum, int maximum, int pixel);

} // namespace kesmo
