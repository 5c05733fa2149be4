#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

namespace kesmo {

// The font a dialog template names, as the original platform would create it: the point size at
// 96 dots per inch, so layouts do not depend on the screen. Arial and the old "System" font
// become the metric-compatible Liberation Sans.
QFont dialogFont(const QString& family, int pointSize);

// Dialog units to pixels through the dialog base units of one font: baseX is the average width
// of "A".."Z" "a".."z", baseY the font height; x px = x du * baseX / 4, y px = y du * baseY / 8.
class DialogUnits final {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }
    int toPixelsX(int du) const;
    int toPixelsY(int du) const;
    QSize toPixels(QSize du) const;
    // Each of x, y, width and height is converted on its own, as dialog creation did.
    QRect toPixels(const QRect& du) const;

private:
    int m_baseX;
    int m_baseY;
};

} // namespace kesmo
