#include "filters/memdc.h"

namespace kesmo {

QPainter* MemDC::begin(QSize size) {
    if (m_painter.isActive())
        m_painter.end();
    if (m_image.size() != size)
        m_image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_painter.begin(&m_image);
    return &m_painter;
}

void MemDC::end() {
    if (m_painter.isActive())
        m_painter.end();
}

void MemDC::blit(QPainter& target) const {
    target.drawImage(0, 0, m_image);
}

} // namespace kesmo
