#pragma once

#include <QColor>

// Colours of the owner-drawn tab strip, as pure functions of its look flags.
namespace kesmo {

enum TabLookFlag : int {
    kLookCustom = 1,
    kLookUseBackground = 2,
    kLookHighlightSelected = 4,
    kLookGradient = 8,
    kLookFrameBackTabs = 16,
    kLookAll = 31,
};

// Each of red, green and blue multiplied by factor, truncated, capped at 255.
QColor scaleColour(const QColor& colour, double factor);

struct TabColours {
    QColor fill;        // the tab background
    QColor gradientEnd; // bottom of the gradient when gradient is set
    bool gradient = false;
    QColor text;
    QColor leftEdge;
    QColor rightEdge;
    bool topEdge = false; // drawn in leftEdge's colour
};

// background: the strip's colour, invalid when none is set (the button face stands in).
TabColours tabColours(bool selected, int flags, const QColor& background, const QColor& buttonFace,
                      const QColor& windowText, int displayDepth);

// The colour the tab area border is drawn from.
QColor tabBorderBase(int flags, const QColor& background, const QColor& buttonFace);

} // namespace kesmo
