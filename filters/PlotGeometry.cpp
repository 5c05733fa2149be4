#include "filters/PlotGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kesmo {

namespace {

const double kDecades = std::log10(30000.0) - 1.0;
constexpr double kDbSpan = kPlotTopDb - kPlotBottomDb;

std::string printed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// A marker's left edge: centred on its frequency, overhanging the plot's left edge by half.
int markerLeft(double frequencyHz, int plotWidth) {
    return std::max(pixel(plotX(frequencyHz, plotWidth)) - kMarkerSize / 2, -kMarkerSize / 2);
}

Rect inWindow(const Rect& r) {
    return {r.left + kPlotLeft, r.top + kPlotTop, r.right + kPlotLeft, r.bottom + kPlotTop};
}

} // namespace

double plotX(double frequencyHz, int plotWidth) {
    return (std::log10(frequencyHz) - 1.0) * plotWidth / kDecades;
}

double plotFrequencyHz(double x, int plotWidth) {
    return std::pow(10.0, kDecades * x / plotWidth + 1.0);
}

double plotY(double gainDb, int plotHeight) {
    return plotHeight / kDbSpan * (kPlotTopDb - gainDb);
}

int plotGainDb(double y, int plotHeight) {
    return pixel(std::round(kPlotTopDb - kDbSpan * y / plotHeight));
}

double finiteCoordinate(double v) {
    constexpr double kLimit = 1e7;
    if (std::isnan(v))
        return 0.0;
    return std::clamp(v, -kLimit, kLimit);
}

// Truncates toward zero, like the integer part the pixel arithmetic takes.
int pixel(double v) {
    return static_cast<int>(finiteCoordinate(v));
}

Rect eqMarkerRect(double frequencyHz, double gainDb, PlotSize plot) {
    Rect r;
    r.left = markerLeft(frequencyHz, plot.width);
    r.top = std::max(pixel(plotY(gainDb, plot.height)) - kMarkerSize / 2, 0);
    r.right = r.left + kMarkerSize;
    r.bottom = r.top + kMarkerSize;
    if (r.right > plot.width) {
        r.right = plot.width;
        r.left = plot.width - kMarkerSize;
    }
    if (r.bottom >= plot.height) {
        r.bottom = plot.height;
        r.top = plot.height - kMarkerSize;
    }
    return inWindow(r);
}

Rect eqCaptionRect(const Rect& marker, bool below, PlotSize plot) {
    Rect r;
    r.left = marker.left - 100;
    r.right = marker.right + 100;
    const int plotRight = plot.width + kPlotLeft;
    if (r.right > plotRight) {
        r.left -= r.right - plotRight;
        r.right = plotRight;
    } else if (r.left < kPlotLeft) {
        r.right += kPlotLeft - r.left;
        r.left = kPlotLeft;
    }
    if (below) {
        r.top = marker.top + 35;
        r.bottom = marker.bottom + 85;
    } else {
        r.top = marker.top - 50;
        r.bottom = marker.top + 50;
    }
    return r;
}

Rect crossoverMarkerRect(double frequencyHz, bool highPass, PlotSize plot) {
    Rect r;
    r.left = markerLeft(frequencyHz, plot.width);
    r.top = pixel(plotY(highPass ? 2.0 : 0.0, plot.height));
    r.right = r.left + kMarkerSize;
    r.bottom = r.top + kMarkerSize;
    if (r.right > plot.width + kMarkerSize / 2) {
        r.right = plot.width + kMarkerSize / 2;
        r.left = r.right - kMarkerSize;
    }
    return inWindow(r);
}

Rect crossoverCaptionRect(const Rect& marker, bool highPass, PlotSize plot) {
    constexpr int kWidth = kMarkerSize + 50;
    Rect r;
    r.left = marker.left;
    r.right = marker.right + 50;
    const int plotRight = plot.width + kPlotLeft;
    if (r.right > plotRight) {
        r.right = plotRight;
        r.left = plotRight - kWidth;
    }
    if (highPass) {
        r.top = marker.top + 15;
        r.bottom = marker.bottom + 25;
    } else {
        r.top = marker.top - 15;
        r.bottom = marker.bottom + 20;
    }
    return r;
}

std::string eqCaption(int bandType, double frequencyHz, double q, double gainDb) {
    static constexpr const char* kNames[] = {"BY", "PEQ", "LS", "HS"};
    const int t = std::clamp(bandType, 0, 3);
    const bool shelf = t == 2 || t == 3;
    return std::string(kNames[t]) + "  " +
           printed(frequencyHz < 101.0 ? "%.1f" : "%.0f", frequencyHz) + "Hz " +
           printed(shelf ? "%.3f" : "%.2f", q) + "Q " + printed("%.1f", gainDb) + "dB";
}

std::string crossoverCaption(int freqCode, double frequencyHz) {
    return printed(freqCode < 82 ? "%.1f" : "%.0f", frequencyHz) + "Hz ";
}

} // namespace kesmo
