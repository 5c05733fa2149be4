#pragma once

#include "filters/Biquad.h"
#include "filters/PlotGeometry.h"
#include "model/ModeImage.h"

#include <array>
#include <optional>
#include <string>

namespace kesmo {

// The EQ band strip showing a band; a graph drag that changes the gain moves its slider.
class StripWindow {
public:
    virtual ~StripWindow() = default;
    virtual void gainCodeDragged(int gainCode) = 0;
};

// One EQ band or high-/low-pass filter bound to its record in an image: the record holds the
// codes, this object their physical values, response curve and place in a graph.
//
// Codes that came from the device or a file may lie outside the ranges the pages allow. They
// stay in the record as they came; the curve, marker and caption show the nearest valid code
// (frequency 361, Q 100, gain 0..180), an EqBand type above 3 as "BY" and a slope above 12 as
// "ByPass".
class CFilter final {
public:
    enum Type : int {
        kBypass = 0,
        kPeaking = 1,
        kLowShelf = 2,
        kHighShelf = 3,
        kHighPass = 4,
        kLowPass = 5
    };
    static constexpr int kCurvePointCount = kGridPoints + 2;
    static constexpr int kMinCrossoverCode = 0;
    static constexpr int kMaxCrossoverCode = 361;

    explicit CFilter(int number = 0);

    void bindBand(EqBandView record);
    void bindCrossover(CrossoverView record);
    // Binds the same record again, re-reading every code.
    void rebind();

    // Setters write the bound record and recompute; 1 on success, 0 when no matching record
    // is bound (or, for setType, the type does not suit the record). Codes are kept in range.
    int setFrequencyCode(int code);
    int setCrossoverFrequencyCode(int code);
    int setQCode(int code);
    int setGainCode(int code);
    int setSlope(int code);
    int setType(int t);
    void setStripWindow(StripWindow* strip) { m_stripWindow = strip; }
    void setDynamicBand(bool dynamic) { m_dynamicBand = dynamic; }

    void layout(int plotWidth, int plotHeight);
    void recompute();
    std::string caption() const;

    // Graph drags; each returns whether the record (or the curve) changed.
    void beginDrag(Point mouse);
    bool dragTo(Point mouse);
    bool dragCrossoverTo(Point mouse);
    void saveQForDrag();
    bool dragQ(int mouseX);

    int type() const { return m_type; }
    bool isCrossover() const { return m_type == kHighPass || m_type == kLowPass; }
    int number() const { return m_number; }
    // The band number, or "H" / "L".
    std::string markerLabel() const;
    bool dynamicBand() const { return m_dynamicBand; }
    double frequencyHz() const { return m_frequencyHz; }
    double gainDb() const { return m_gainDb; }
    double q() const { return m_q; }
    int slope() const { return m_slope; }
    StripWindow* stripWindow() const { return m_stripWindow; }
    const std::optional<EqBandView>& band() const { return m_band; }
    const std::optional<CrossoverView>& crossover() const { return m_crossover; }

    const ComplexResponse& complexResponse() const { return m_complexResponse; }
    const ResponseDb& responseDb() const { return m_responseDb; }
    const Rect& markerRect() const { return m_markerRect; }
    const Rect& captionRect() const { return m_captionRect; }
    const std::array<Point, kCurvePointCount>& curvePoints() const { return m_curvePoints; }
    PlotSize plotSize() const { return m_plot; }

    // Interaction state kept for the graph.
    struct GraphFlags {
        bool hovered = false;
        bool leftDrag = false;
        bool rightDrag = false;
    };
    GraphFlags graphFlags;

private:
    // The record's codes as drawn: in range, whatever the bytes hold.
    int shownGainCode() const;
    int shownQCode() const;
    void computeResponse();
    void placeMarker();
    void updateCurveY();

    std::optional<EqBandView> m_band;
    std::optional<CrossoverView> m_crossover;
    StripWindow* m_stripWindow = nullptr;
    bool m_dynamicBand = false;
    int m_type = kBypass;
    int m_number = 0;
    double m_frequencyHz = 1000.0;
    double m_gainDb = 0.0;
    double m_q = 0.71;
    int m_savedQCode = 0;
    int m_slope = 0;
    // Set while a high-pass dragged off the left edge shows "OFF" with a flat curve.
    bool m_switchedOff = false;
    PlotSize m_plot;
    Point m_dragOffset;
    Rect m_markerRect;
    Rect m_captionRect;
    ComplexResponse m_complexResponse{};
    ResponseDb m_responseDb{};
    std::array<Point, kCurvePointCount> m_curvePoints{};
};

} // namespace kesmo
