#include "controls/BitButton.h"

#include "controls/SkinPixmaps.h"
#include "resources/Skin.h"

#include <QMouseEvent>
#include <QPainter>

namespace kesmo {

int bitButtonFace(bool down, bool pressed, bool hover) {
    const int base = down ? kFaceDownNormal : kFaceUpNormal;
    return base + (pressed ? 2 : hover ? 1 : 0);
}

BitButton::BitButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(handCursor());
}

void BitButton::setBitmaps(int upNormal, int upHover, int upPressed, int downNormal, int downHover,
                           int downPressed) {
    setPixmaps({skinPixmap(upNormal), skinPixmap(upHover), skinPixmap(upPressed),
                skinPixmap(downNormal), skinPixmap(downHover), skinPixmap(downPressed)});
}

void BitButton::setDisabledBitmaps(int up, int down) {
    setDisabledPixmaps(skinPixmap(up), skinPixmap(down));
}

void BitButton::setPixmaps(const std::array<QPixmap, 6>& faces) {
    m_faces = faces;
    update();
}

void BitButton::setDisabledPixmaps(const QPixmap& up, const QPixmap& down) {
    m_disabledFaces = {up, down};
    update();
}

void BitButton::setTextColours(const std::array<QColor, 6>& colours) {
    m_textColours = colours;
    update();
}

void BitButton::setDisabledTextColour(const QColor& colour, bool use) {
    m_disabledTextColour = colour;
    m_useDisabledTextColour = use;
    update();
}

void BitButton::setDown(bool down) {
    if (m_down == down)
        return;
    m_down = down;
    update();
}

QSize BitButton::sizeHint() const {
    const QPixmap& face = m_faces[kFaceUpNormal];
    return face.isNull() ? QSize(75, 23) : face.size();
}

const QPixmap& BitButton::currentFace() const {
    if (!isEnabled()) {
        const QPixmap& face = m_disabledFaces[m_down ? 1 : 0];
        return face.isNull() && m_down ? m_disabledFaces[0] : face;
    }
    const int index = bitButtonFace(m_down, isDown(), m_hover);
    const QPixmap& face = m_faces[static_cast<std::size_t>(index)];
    if (face.isNull() && index >= kFaceDownNormal)
        return m_faces[static_cast<std::size_t>(index - kFaceDownNormal)];
    return face;
}

void BitButton::enterEvent(QEnterEvent* event) {
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void BitButton::leaveEvent(QEvent* event) {
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void BitButton::mouseMoveEvent(QMouseEvent* event) {
    // The first move inside counts as entering, in case no enter event came.
    if (!m_hover && rect().contains(event->position().toPoint())) {
        m_hover = true;
        update();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void BitButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap& face = currentFace();
    if (face.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Button));
    else
        painter.drawPixmap(rect(), face);
    if (text().isEmpty())
        return;
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    if (isEnabled()) {
        const QColor colour =
            m_textColours[static_cast<std::size_t>(bitButtonFace(m_down, isDown(), m_hover))];
        painter.setPen(colour.isValid() ? colour : palette().color(QPalette::ButtonText));
        painter.drawText(rect(), flags, text());
    } else if (m_useDisabledTextColour) {
        painter.setPen(m_disabledTextColour);
        painter.drawText(rect(), flags, text());
    } else {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(rect().translated(1, 1), flags, text());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(rect(), flags, text());
    }
}

} // namespace kesmo
