#pragma once

#include <QImage>
#include <QPainter>
#include <QSize>

// An off-screen image the size of a control: the whole picture is painted into it and then
// copied to the screen in one go, so the control never shows a half-drawn state.
namespace kesmo {

class MemDC final {
public:
    // Makes the image the given size (kept when it already is) and returns a painter on it;
    // the painting is complete when the painter ends.
    QPainter* begin(QSize size);
    void end();
    const QImage& image() const { return m_image; }
    // Copies the finished image to `target` at (0, 0).
    void blit(QPainter& target) const;

private:
    QImage m_image;
    QPainter m_painter;
};

} // namespace kesmo
