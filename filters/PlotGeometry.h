#pragma once

#include <string>

// Where curves, markers and captions sit in a response graph. The plot runs from 10 Hz to
// 30 kHz across and from +12 dB to -24 dB down, and sits at (35, 10) inside the graph window;
// every stored point and rectangle includes that offset.
namespace kesmo {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct PointF {
    float x = 0;
    float y = 0;
};

// Right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    Point centre() const { return {(left + right) / 2, (top + bottom) / 2}; }
    bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct PlotSize {
    int width = 0;
    int height = 0;
    bool valid() const { return width > 0 && height > 0; }
};

inline constexpr int kPlotLeft = 35;
inline constexpr int kPlotTop = 10;
inline constexpr int kMarkerSize = 16;
inline constexpr double kPlotTopDb = 12.0;
inline constexpr double kPlotBottomDb = -24.0;

// Plot mapping, relative to the plot's top-left corner.
double plotX(double frequencyHz, int plotWidth);
double plotFrequencyHz(double x, int plotWidth);
double plotY(double gainDb, int plotHeight);
// Whole dB, halves away from zero.
int plotGainDb(double y, int plotHeight);

// A coordinate kept finite and far inside int range, whatever the curve holds (a response
// can reach -inf dB); pixel() also takes its integer part.
double finiteCoordinate(double v);
int pixel(double v);

Rect eqMarkerRect(double frequencyHz, double gainDb, PlotSize plot);
// Boosts and flat or bypassed bands put the caption below the marker, cuts around it.
Rect eqCaptionRect(const Rect& marker, bool below, PlotSize plot);
Rect crossoverMarkerRect(double frequencyHz, bool highPass, PlotSize plot);
Rect crossoverCaptionRect(const Rect& marker, bool highPass, PlotSize plot);

// Caption texts; bandType 0..3 is "BY", "PEQ", "LS", "HS".
std::string eqCaption(int bandType, double frequencyHz, double q, double gainDb);
std::string crossoverCaption(int freqCode, double frequencyHz);

} // namespace kesmo
