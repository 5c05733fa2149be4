#include "controls/Edit_Static.h"

#include "controls/Messaging.h"

#include <QPainter>
#include <algorithm>

namespace kesmo {

Edit_Static::Edit_Static(QWidget* parent) : QLabel(parent) {}

void Edit_Static::setRange(int minimum, int maximum) {
    m_format.minimum = minimum;
    m_format.maximum = maximum;
}

void Edit_Static::setIntegerFormat(int scale, int offset, const QString& unit) {
    m_format.integerScale = scale;
    m_format.integerOffset = offset;
    m_format.unit = unit.toStdString();
}

void Edit_Static::setRealFormat(double scale, double offset, const QString& unit) {
    m_format.realScale = scale;
    m_format.realOffset = offset;
    m_format.unit = unit.toStdString();
}

void Edit_Static::setValue(int value) {
    m_value = std::max(value, m_format.minimum);
    invalidateWithParent();
    setText(QString::fromStdString(formatCode(m_kind, m_value, m_format)));
    postMessage(this, Message::LabelRepaint);
}

void Edit_Static::setTextColour(const QColor& colour) {
    m_textColour = colour;
    update();
}

void Edit_Static::invalidateWithParent() {
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
    update();
}

bool Edit_Static::event(QEvent* event) {
    if (const MessageEvent* message = asMessage(event)) {
        if (message->message() == Message::LabelRepaint) {
            invalidateWithParent();
            return true;
        }
        return false;
    }
    return QLabel::event(event);
}

void Edit_Static::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const QRect area = contentsRect();
    const int flags = static_cast<int>(alignment()) | Qt::TextSingleLine;
    if (isEnabled()) {
        painter.setPen(m_textColour);
        painter.drawText(area, flags, text());
        return;
    }
    // Embossed: a highlight one pixel down and right under the shadow.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area.translated(1, 1), flags, text());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(area, flags, text());
}

} // namespace kesmo
