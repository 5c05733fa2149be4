#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>
#include <array>

// The System page's level meter: 16 bar segments from the bottom, a clip lamp and a limit lamp.
namespace kesmo {

inline constexpr int kLampSegments = 18;
inline constexpr int kLampBarSegments = 16;
inline constexpr int kClipLamp = 16;
inline constexpr int kLimitLamp = 17;

inline constexpr QRgb kLampBarColour = 0xFF00B050;
inline constexpr QRgb kLampClipColour = 0xFFFFFF00;
inline constexpr QRgb kLampLimitColour = 0xFFFFA500;
inline constexpr QRgb kLampBackground = 0xFF848484;

// Segment i of a meter of this client size (empty when the division leaves it no rows).
QRect lampSegmentRect(int segment, QSize client);
// Lit flags of the bar and clip lamp for a level code.
std::array<bool, kLampBarSegments + 1> litForLevel(int code);

class SLamp final : public QWidget {
    Q_OBJECT
public:
    explicit SLamp(QWidget* parent = nullptr);

    // Segment rectangles from the current client size; call once after sizing.
    void layout();
    void setLevel(int code);
    void setLimit(int code);
    void clear();
    bool isLit(int segment) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Segment {
        QRect rect;
        QColor colour;
        bool lit = false;
    };
    std::array<Segment, kLampSegments> m_segments;
};

} // namespace kesmo
