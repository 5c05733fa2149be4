#include "controls/FontStatic.h"

#include <QPainter>

namespace kesmo {

FontStatic::FontStatic(QWidget* parent) : QWidget(parent) {}

void FontStatic::invalidateWithParent() {
    update();
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
}

void FontStatic::setText(const QString& text) {
    m_text = text;
    invalidateWithParent();
}

void FontStatic::setTextColour(const QColor& colour) {
    if (colour == m_textColour)
        return;
    m_textColour = colour;
    invalidateWithParent();
}

void FontStatic::setLeftAligned(bool left) {
    m_leftAligned = left;
    update();
}

void FontStatic::setFontHeight(int pixels) {
    m_fontHeight = pixels > 0 ? pixels : kDefaultFontHeight;
    update();
}

void FontStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Arial resolves to the metric-compatible Liberation Sans where Arial is not installed.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(m_fontHeight);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    painter.setPen(m_textColour);
    const Qt::Alignment horizontal = m_leftAligned ? Qt::AlignLeft : Qt::AlignHCenter;
    painter.drawText(rect(), static_cast<int>(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine,
                     m_text);
}

} // namespace kesmo
