#include "controls/TabLook.h"

#include <algorithm>

namespace kesmo {

namespace {
constexpr int kGradientMinDepth = 16;

int scaled(int channel, double factor) {
    return std::min(255, static_cast<int>(channel * factor));
}
} // namespace

QColor scaleColour(const QColor& colour, double factor) {
    return QColor(scaled(colour.red(), factor), scaled(colour.green(), factor),
                  scaled(colour.blue(), factor));
}

TabColours tabColours(bool selected, int flags, const QColor& background, const QColor& buttonFace,
                      const QColor& windowText, int displayDepth) {
    const QColor strip = background.isValid() ? background : buttonFace;
    TabColours c;
    if (selected) {
        if (flags & kLookHighlightSelected)
            c.fill = (flags & kLookUseBackground) ? scaleColour(QColor(230, 230, 230), 1.9)
                                                  : scaleColour(buttonFace, 1.4);
        else
            c.fill = buttonFace;
    } else if ((flags & kLookFrameBackTabs) || !(flags & kLookCustom)) {
        c.fill = scaleColour(strip, 0.9);
    } else {
        c.fill = strip;
    }
    c.gradient = (flags & kLookGradient) && displayDepth >= kGradientMinDepth;
    c.gradientEnd = selected ? buttonFace : scaleColour(strip, 0.7);
    if (selected)
        c.text = windowText;
    else if (!(flags & (kLookCustom | kLookUseBackground)))
        c.text = scaleColour(buttonFace, 0.5);
    else
        c.text = scaleColour(strip, 0.1);
    if (selected || (flags & kLookFrameBackTabs)) {
        c.leftEdge = scaleColour(c.fill, 1.5);
        c.topEdge = true;
    } else {
        c.leftEdge = scaleColour(c.fill, 0.75);
    }
    c.rightEdge = scaleColour(c.fill, 0.75);
    return c;
}

QColor tabBorderBase(int flags, const QColor& background, const QColor& buttonFace) {
    return (flags & kLookUseBackground) && background.isValid() ? background : buttonFace;
}

} // namespace kesmo
